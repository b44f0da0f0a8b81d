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

std::string tableRow(int row, const StandCalculation& calculation, char decimalSeparator) {
    const StandState& s = calculation.s;
    const Economics& e = calculation.economics;
    std::string out = std::to_string(row);
    auto add = [&](double value) {
        out += ';';
        out += numberText(value, decimalSeparator);
    };
    auto skip = [&] { out += ';'; };

    add(e.nettoPerTrad);
    add(e.rojningKost);
    add(e.atervKostTotal);
    add(e.drivningsnetto);
    add(e.kassaflode);
    add(e.nuvarde);

    // The figures of the result text, computed as its lines compute them.
    out += ';';
    out += numberText(s.antalAvverkningar);
    if (s.antalAvverkningar > 0) {
        add(static_cast<double>(s.totaltid) / s.antalAvverkningar);
    } else {
        skip();
    }
    if (s.totaltid != 0) {
        add(s.haFaktor * s.avvVolSumma / s.totaltid);
    } else {
        skip();
    }
    if (s.antalAvverkningar > 0) {
        add(s.haFaktor * s.avvVolSumma / s.antalAvverkningar);
    } else {
        skip();
    }
    add(s.haFaktor * s.antalAvvTotalt);
    add(s.medeldiameter);

    const bool cycles = s.antalCykler > 0;
    auto statistics = [&](double max, double sum, double min) {
        add(max);
        if (cycles) {
            add(sum / s.antalCykler);
        } else {
            skip();
        }
        add(min);
    };
    statistics(s.ringMax, s.ringSumma, s.ringMin);
    statistics(s.vol00Max, s.vol00Summa, s.vol00Min);
    statistics(s.vol05Max, s.vol05Summa, s.vol05Min);
    skip();  // no message
    return out + "\r\n";
}

std::string tableRefusedRow(int row, const std::string& message) {
    std::string out = std::to_string(row);
    out.append(kFigureNames.size() - 1, ';');
    out += ';';
    out += csvField(message);
    return out + "\r\n";
}

}  // namespace lodra::batch
