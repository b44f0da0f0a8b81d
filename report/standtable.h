#pragma once

// The table of a batch run: one row per stand with its economic results, volumes and
// felling statistics, for sorting a stand register in a spreadsheet. UTF-8 with a
// byte-order mark (so that spreadsheets read "ö" right), ';' between fields, CR LF.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/calculation.h"
#include "calc/comparison.h"
#include "calc/cyclerecord.h"
#include "report/csv.h"

namespace lodra {

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

// The cycle table of a run: every cycle of every stand, each row led by the stand's row
// number and ended by a message cell, empty for a calculated stand. A refused stand has
// one row with empty figures and its message.
std::string cyclesHeader();
std::string cyclesRows(int row, const std::vector<CycleRow>& cycles, char decimalSeparator);
// The same rows onto the end of out, with room made for them at once: out grows by
// kCycleLineBytesMost a cycle, never by doubling.
void appendCyclesRows(std::string& out, int row, const std::vector<CycleRow>& cycles,
                      char decimalSeparator);
// The longest line of a cycle row: a row number, twelve numbers of at most 22 characters
// ("-1.23456789012345E-308") with their ';', the felling cell (";ingen") and the empty
// message.
inline constexpr std::size_t kCycleLineBytesMost = 11 + 12 * 23 + 6 + 3;
std::string cyclesRefusedRow(int row, const std::string& message);

// The comparison table of a run: one row per stand with its row number, the 44 present
// values interval by interval (nuvarde_c0_r2, nuvarde_c0_r3, ... nuvarde_c10_r5), the best
// interval at each rate (basta_r2 ... basta_r5) and a message cell: why the first empty
// value was stopped, or the message of a refused stand, whose figures are all empty.
std::string compareHeader();
std::string compareRow(int row, const ComparisonGrid& grid, char decimalSeparator);
std::string compareRefusedRow(int row, const std::string& message);

// A stand file with a bestand column carries the stand's name into every table, as the
// column right after Rad: the header with it, and each line of a stand's rows with the
// name's cell.
std::string withNameColumn(std::string_view header);
std::string nameCell(std::string_view name);
std::string withName(std::string_view rows, std::string_view name);
// Each CR LF line of rows split where the name's cell goes: line(head, tail) with head up to
// the end of the line's first field and tail from the ';' or line end after it. A writer
// puts the cell between them itself, so that a long name is never copied line by line.
void forEachLineSplit(std::string_view rows,
                      const std::function<void(std::string_view, std::string_view)>& line);

}  // namespace lodra
