#pragma once

// The cycle rows and the comparison grid as CSV for a spreadsheet: UTF-8 with a byte-order
// mark, ';' between fields, CR LF, numbers in full (up to 15 significant digits) with the
// given decimal separator and without grouping.

#include <string>
#include <vector>

#include "calc/comparison.h"
#include "calc/cyclerecord.h"

namespace lodra {

// The column names of the cycle rows, without a line end.
std::string cycleCsvHeader();
// One cycle row, without a line end. A felling cycle is "ja", any other "nej".
std::string cycleCsvRow(const CycleRow& row, char decimalSeparator);
// The whole file: the mark, the column names and every row.
std::string cycleCsv(const std::vector<CycleRow>& rows, char decimalSeparator);

// The whole file of a comparison: a row per felling interval, a column per rate, then a
// row naming the best interval of each rate. A stopped cell is empty.
std::string comparisonCsv(const ComparisonGrid& grid, char decimalSeparator);

}  // namespace lodra
