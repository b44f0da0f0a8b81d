#include "report/propertycsv.h"

#include "report/csv.h"
#include "report/numbertext.h"
#include "report/standtable.h"

namespace lodra {

namespace {

void appendFlowFigures(std::string& out, const FlowYear& year, char decimalSeparator) {
    for (const double value :
         {year.volym, year.netto, year.kostnad, year.kassaflode(), year.nuvarde}) {
        out += ';';
        appendNumber(out, value, decimalSeparator);
    }
    out += "\r\n";
}

}  // namespace

std::string propertyFlowCsv(const PropertyFlow& flow, char decimalSeparator) {
    std::string out(kUtf8ByteOrderMark);
    for (std::size_t i = 0; i < kFlowColumnNames.size(); ++i) {
        out += (i == 0 ? "" : ";");
        out += kFlowColumnNames[i];
    }
    out += "\r\n";
    for (const FlowYear& year : flow.years()) {
        appendNumber(out, year.ar);
        appendFlowFigures(out, year, decimalSeparator);
    }
    out += kFlowTotalRow;
    appendFlowFigures(out, flow.total(), decimalSeparator);
    return out;
}

std::string withCellsAfterRow(std::string_view rows, std::string_view cells) {
    std::string out;
    out.reserve(rows.size() + 2 * (cells.size() + 1));
    forEachLineSplit(rows, [&](std::string_view head, std::string_view tail) {
        out.append(head).append(";").append(cells).append(tail);
    });
    return out;
}

std::string withAreaColumns(std::string_view header) {
    const std::string_view mark = kUtf8ByteOrderMark;
    const bool marked = header.starts_with(mark);
    return (marked ? std::string(mark) : std::string()) +
           withCellsAfterRow(header.substr(marked ? mark.size() : 0), kAreaColumnNames);
}

std::string areaCells(std::optional<double> hektar, std::optional<double> nuvardeKr,
                      char decimalSeparator) {
    std::string out;
    if (hektar) {
        appendNumber(out, *hektar, decimalSeparator);
    }
    out += ';';
    if (nuvardeKr) {
        appendNumber(out, *nuvardeKr, decimalSeparator);
    }
    return out;
}

}  // namespace lodra
