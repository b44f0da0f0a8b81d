#include "report/standtable.h"

#include <array>
#include <optional>
#include <string_view>

#include "report/csv.h"
#include "report/cyclecsv.h"
#include "report/numbertext.h"

namespace lodra {

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

// A row of empty fields after the row number, then the message.
std::string refusedRow(int row, std::size_t emptyFields, const std::string& message) {
    std::string out = std::to_string(row);
    out.append(emptyFields + 1, ';');
    out += csvField(message);
    return out + "\r\n";
}

constexpr std::size_t kCompareValues =
    std::size_t{ComparisonGrid::kIntervals} * ComparisonGrid::kRateCount;

}  // namespace

std::string tableHeader() {
    std::string out = std::string(kUtf8ByteOrderMark) + "Rad";
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
    return refusedRow(row, kFigureNames.size() - 1, message);
}

std::string cyclesHeader() {
    return std::string(kUtf8ByteOrderMark) + "Rad;" + cycleCsvHeader() + ";Meddelande\r\n";
}

std::string cyclesRows(int row, const std::vector<CycleRow>& cycles, char decimalSeparator) {
    std::string out;
    appendCyclesRows(out, row, cycles, decimalSeparator);
    return out;
}

void appendCyclesRows(std::string& out, int row, const std::vector<CycleRow>& cycles,
                      char decimalSeparator) {
    const std::string lead = std::to_string(row) + ';';
    out.reserve(out.size() + cycles.size() * kCycleLineBytesMost);
    for (const CycleRow& cycle : cycles) {
        out.append(lead).append(cycleCsvRow(cycle, decimalSeparator)).append(";\r\n");
    }
}

std::string cyclesRefusedRow(int row, const std::string& message) {
    return refusedRow(row, kCycleColumnNames.size(), message);
}

std::string compareHeader() {
    std::string out = std::string(kUtf8ByteOrderMark) + "Rad";
    for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
        for (const int ranta : kRates) {
            out += ";nuvarde_c" + std::to_string(c) + "_r" + std::to_string(ranta);
        }
    }
    for (const int ranta : kRates) {
        out += ";basta_r" + std::to_string(ranta);
    }
    return out + ";Meddelande\r\n";
}

std::string compareRow(int row, const ComparisonGrid& grid, char decimalSeparator) {
    std::string out = std::to_string(row);
    for (const auto& interval : grid.nuvarde) {
        for (const std::optional<double>& cell : interval) {
            out += ';';
            if (cell) {
                out += numberText(*cell, decimalSeparator);
            }
        }
    }
    for (int r = 0; r < ComparisonGrid::kRateCount; ++r) {
        out += ';';
        if (const int best = grid.best(r); grid.marked(r)) {
            out += std::to_string(best);
        }
    }
    return out + ';' + csvField(grid.stopped) + "\r\n";
}

std::string compareRefusedRow(int row, const std::string& message) {
    return refusedRow(row, kCompareValues + ComparisonGrid::kRateCount, message);
}

void forEachLineSplit(std::string_view rows,
                      const std::function<void(std::string_view, std::string_view)>& line) {
    std::size_t start = 0;
    while (start < rows.size()) {
        const std::size_t end = rows.find("\r\n", start);
        const std::size_t stop = end == std::string_view::npos ? rows.size() : end + 2;
        const std::string_view whole = rows.substr(start, stop - start);
        const std::size_t first = std::min(whole.find_first_of(";\r"), whole.size());
        line(whole.substr(0, first), whole.substr(first));
        start = stop;
    }
}

namespace {

// Each CR LF line with cell put in after its first field (a row number, or Rad).
std::string afterFirstField(std::string_view lines, std::string_view cell) {
    std::string out;
    out.reserve(lines.size() + cell.size() + 1);
    forEachLineSplit(lines, [&](std::string_view head, std::string_view tail) {
        out.append(head).append(";").append(cell).append(tail);
    });
    return out;
}

}  // namespace

std::string withNameColumn(std::string_view header) {
    const std::string_view mark = kUtf8ByteOrderMark;
    const bool marked = header.starts_with(mark);
    return (marked ? std::string(mark) : std::string()) +
           afterFirstField(header.substr(marked ? mark.size() : 0), "Bestånd");
}

std::string nameCell(std::string_view name) {
    return csvField(name);
}

std::string withName(std::string_view rows, std::string_view name) {
    return afterFirstField(rows, nameCell(name));
}

}  // namespace lodra
