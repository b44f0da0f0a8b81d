#pragma once

// The cycle rows as CSV for a spreadsheet: UTF-8 with a byte-order mark, ';' between
// fields, CR LF, numbers in full (up to 15 significant digits) with the given decimal
// separator and without grouping.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "calc/cyclerecord.h"

namespace lodra {

// The names of the columns of a cycle row, with their units, in the order of the row. A row
// is dated by the year its cycle ends, when its felling is made.
inline constexpr std::array<std::string_view, 13> kCycleColumnNames = {
    "År vid cykelns slut",
    "Årsring (mm)",
    "Volym vid start (m3sk/ha)",
    "Volym efter 5 år (m3sk/ha)",
    "Avverkningsdiameter (cm)",
    "Avverkning",
    "Avverkade träd (st/ha)",
    "Medeldiameter (cm)",
    "Avverkad volym (m3sk/ha)",
    "Netto (kr/ha)",
    "Återväxtkostnad (kr/ha)",
    "Diskonterat netto (kr/ha)",
    "Summa diskonterat netto (kr/ha)",
};

// The year a cycle ends: its felling is made then, and the development chart marks it there.
inline double cycleEndYear(const CycleRow& row) {
    return row.ar + 5;
}

// What a cycle felled: "ja" when a tree was felled, "ingen" when the cycle could fell but
// no tree had reached the felling diameter, "nej" when it was no felling cycle.
std::string_view fellingWord(const CycleRow& row);

// The column names of the cycle rows, without a line end.
std::string cycleCsvHeader();
// One cycle row, without a line end, its felling as fellingWord says.
std::string cycleCsvRow(const CycleRow& row, char decimalSeparator);
// The whole file: the mark, the column names and every row.
std::string cycleCsv(const std::vector<CycleRow>& rows, char decimalSeparator);

}  // namespace lodra
