#pragma once

// The runs of a spread and the comparison of both measures as CSV for a spreadsheet, in
// the form of the cycle rows' file: UTF-8 with a byte-order mark, ';' between fields,
// CR LF, numbers in full with the given decimal separator.

#include <string>

#include "calc/comparison.h"
#include "calc/spread.h"

namespace lodra {

// A row per run: its number, its seed, the present value, the years between fellings and
// the volume per felling. A stopped run has empty figures; a run without a felling, empty
// per-felling figures.
std::string spreadRunsCsv(const Spread& spread, char decimalSeparator);

// A row per felling interval, a column per measure and rate (thinning first), then the
// rows naming the best measure and interval of each rate, or saying that the best cannot be
// told apart from the next where it is not marked. A stopped cell is empty.
std::string measureComparisonCsv(const MeasureComparison& comparison, char decimalSeparator);

// The measure's name as the window's option says it.
std::string measureName(int measure);

}  // namespace lodra
