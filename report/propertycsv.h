#pragma once

// The tables of a property (a register whose stands have their areas): its flow year by
// year, and the columns the stand table gains. UTF-8 with a byte-order mark, ';' between
// fields, CR LF, numbers in full (up to 15 significant digits) with the given decimal
// separator and without grouping, as the other tables.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "calc/standflow.h"

namespace lodra {

inline constexpr std::array<std::string_view, 6> kFlowColumnNames = {
    "År",           "Volym (m3sk)", "Netto (kr)", "Återväxt och röjning (kr)", "Kassaflöde (kr)",
    "Nuvärde (kr)",
};
// The first cell of the flow's last row, which holds the sum of every column.
inline constexpr std::string_view kFlowTotalRow = "Summa";

// The whole flow file: the mark, the column names, one row per year in which anything
// happens, then the Summa row.
std::string propertyFlowCsv(const PropertyFlow& flow, char decimalSeparator);

// The stand table's columns for the area, right after Rad (and Bestånd).
inline constexpr std::string_view kAreaColumnNames = "Hektar;Nuvärde (kr)";
// The header with them after its first field.
std::string withAreaColumns(std::string_view header);
// A stand's two cells, without a leading ';': its area and its present value in kr
// (NUVÄRDE kr/ha × hektar), each empty when unknown.
std::string areaCells(std::optional<double> hektar, std::optional<double> nuvardeKr,
                      char decimalSeparator);
// Each CR LF line of rows with cells put in after its first field.
std::string withCellsAfterRow(std::string_view rows, std::string_view cells);

}  // namespace lodra
