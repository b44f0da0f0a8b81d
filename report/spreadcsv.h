#pragma once

// The runs of a spread and the comparison of both measures as CSV for a spreadsheet, in
// the form of the cycle rows' file: UTF-8 with a byte-order mark, ';' between fields,
// CR LF, numbers in full with the given decimal separator.

#include <cstdint>
#include <string>

#include "calc/comparison.h"
#include "calc/spread.h"

namespace lodra {

// The mark before a seed in a table: a cell that begins with it is text to every
// spreadsheet, which keeps all 20 digits of a 64-bit seed instead of rounding it to 15 as
// a number. "Frö" takes a seed with or without it.
inline constexpr char kSeedMark = '#';
// The seed as a table writes it: the mark and the decimal digits ("#18446744073709551615").
std::string seedCell(std::uint64_t seed);

// First the summary: for the present value, the years between fellings and the volume per
// felling the number of values, the mean, the standard deviation, min, P5, P10, P50, P90,
// P95 and max (empty where there are no values, the deviation of a single value empty),
// then the number of stopped runs. After an empty line a row per run: its number, its
// seed (seedCell), the present value, the years between fellings and the volume per
// felling. A stopped run has empty figures; a run without a felling, empty per-felling
// figures.
std::string spreadRunsCsv(const Spread& spread, char decimalSeparator);

// A row per felling interval, a column per measure and rate (thinning first), then the
// rows naming the best measure and interval of each rate, or saying that the best cannot be
// told apart from the next where it is not marked. A stopped cell is empty.
std::string measureComparisonCsv(const MeasureComparison& comparison, char decimalSeparator);

// The measure's name as the window's option says it.
std::string measureName(int measure);

}  // namespace lodra
