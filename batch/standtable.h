#pragma once

// The table of a batch run: one row per stand with its economic results, volumes and
// felling statistics, for sorting a stand register in a spreadsheet. UTF-8 with a
// byte-order mark (so that spreadsheets read "ö" right), ';' between fields, CR LF.

#include <string>

#include "calc/calculation.h"

namespace lodra::batch {

// The byte-order mark and the row of column names.
std::string tableHeader();

// The row of a calculated stand: the figures the calculation computed for the result
// text, never worked out again here. Numbers are written in full (up to 15 significant
// digits) with the given decimal separator; a figure that the result text leaves out
// (years between fellings and volume per felling when nothing was felled) is empty.
std::string tableRow(int row, const StandCalculation& calculation, char decimalSeparator);
void appendTableRow(std::string& out, int row, const StandCalculation& calculation,
                    char decimalSeparator);

// The row of a refused stand: its number, empty figures and the message.
std::string tableRefusedRow(int row, const std::string& message);

}  // namespace lodra::batch
