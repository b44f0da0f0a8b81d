#include "batch/standtable.h"

#include <array>
#include <string_view>

#include "report/numbertext.h"

namespace lodra::batch {

namespace {

constexpr std::array<std::string_view, 22> kFigureNames = {
    "Netto per träd (kr/träd)",
    "Röjning nu (kr/ha)",
    "Återväxtkostnad (kr/ha)",
    "Drivningsnetto (kr/ha)",
    "Kassaflöde i framtid (kr/ha och år)",
    "Nuvärde (kr/ha)",
    "Antal avverkningar",
    "År mellan avverkningarna",
    "Producerad volym (m3sk/ha och år)",
    "Volym/avverkning (m3sk/ha)",
    "Antal avverkade träd/ha",
    "Medeldiameter (cm)",
    "Årsring max (mm)",
    "Årsring medel (mm)",
    "Årsring min (mm)",
    "Volym år 0 max (m3sk/ha)",
    "Volym år 0 medel (m3sk/ha)",
    "Volym år 0 min (m3sk/ha)",
    "Volym år 5 max (m3sk/ha)",
    "Volym år 5 medel (m3sk/ha)",
    "Volym år 5 min (m3sk/ha)",
    "Meddelande",
};

std::string csvField(std::string_view text) {
    if (text.find_first_of(";\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    return out + '"';
}

}  // namespace

std::string tableHeader() {
    std::string out = "\xEF\xBB\xBFRad";
    for (std::string_view name : kFigureNames) {
        out += ';';
        out += name;
    }
    return out + "\r\n";
}

void appendTableRow(std::string& out, int row, const StandCalculation& calculation,
                    char decimalSeparator) {
    const StandState& s = calculation.s;
    const Economics& e = calculation.economics;
    const ReportFigures& f = calculation.figures;
    // As in the result text: without a felling there are no figures per felling.
    const bool fellings = s.antalAvverkningar > 0;
    appendNumber(out, row);
    auto add = [&](bool shown, double value) {
        out += ';';
        if (shown) {
            appendNumber(out, value, decimalSeparator);
        }
    };

    for (const double value : {e.nettoPerTrad, e.rojningKost, e.atervKostTotal, e.drivningsnetto,
                               e.kassaflode, e.nuvarde}) {
        add(true, value);
    }
    out += ';';
    appendNumber(out, s.antalAvverkningar);
    add(fellings, f.arMellanAvv);
    add(true, f.prodVolymPerAr);
    add(fellings, f.volymPerAvv);
    for (const double value :
         {f.avvTradPerHa, s.medeldiameter, s.ringMax, f.ringMedel, s.ringMin, s.vol00Max,
          f.vol00Medel, s.vol00Min, s.vol05Max, f.vol05Medel, s.vol05Min}) {
        add(true, value);
    }
    out += ";\r\n";  // no message
}

std::string tableRow(int row, const StandCalculation& calculation, char decimalSeparator) {
    std::string out;
    appendTableRow(out, row, calculation, decimalSeparator);
    return out;
}

std::string tableRefusedRow(int row, const std::string& message) {
    std::string out = std::to_string(row);
    out.append(kFigureNames.size() - 1, ';');
    out += ';';
    out += csvField(message);
    return out + "\r\n";
}

}  // namespace lodra::batch
