#include "standfile/standwriter.h"

#include <algorithm>

#include "calc/parameters.h"
#include "report/csv.h"

namespace lodra {

namespace {

// A number as the reader takes it under either decimal separator.
std::string numberCell(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return csvFieldAsTyped(text);
}

void add(std::string& header, std::string& row, const std::string& column,
         const std::string& value) {
    if (!header.empty()) {
        header += ';';
        row += ';';
    }
    header += column;
    row += value;
}

}  // namespace

std::string standFileBytes(const InputRecord& input, std::string_view name, const ChoiceCells& kept,
                           std::string_view area) {
    const auto choice = [](const std::optional<std::string>& cellKept, std::string_view chosen) {
        return cellKept ? csvFieldAsTyped(*cellKept) : std::string(chosen);
    };
    std::string header;
    std::string row;
    if (!name.empty()) {
        add(header, row, std::string(kNameColumn), csvFieldAsTyped(name));
    }
    if (!area.empty()) {
        add(header, row, std::string(kAreaColumn), numberCell(std::string(area)));
    }
    for (const ParameterRow& parameter : kParameterTable) {
        add(header, row, std::string(parameter.column), numberCell(input.*parameter.member));
    }
    add(header, row, std::string(kSpeciesColumn.column),
        choice(kept.tradslag, nameOf(input.species)));
    add(header, row, std::string(kMeasureColumn.column),
        choice(kept.atgard, nameOf(input.measure)));
    for (std::size_t k = 0; k < kTreeRows; ++k) {
        add(header, row, std::string(kDiameterColumn) + std::to_string(k + 1),
            numberCell(input.rows[k].text));
    }
    for (std::size_t k = 0; k < kTreeRows; ++k) {
        add(header, row, std::string(kMarkColumn) + std::to_string(k + 1),
            choice(kept.avv[k], input.rows[k].avverkas ? "x" : ""));
    }
    return std::string(kUtf8ByteOrderMark) + header + "\r\n" + row + "\r\n";
}

}  // namespace lodra
