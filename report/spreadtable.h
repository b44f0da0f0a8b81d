#pragma once

// The spread table and the measures table of a batch run, one row per stand, in the form
// of the other tables: UTF-8 with a byte-order mark, ';' between fields, CR LF, numbers in
// full with the given decimal separator, a refused stand's figures all empty.

#include <string>

#include "calc/comparison.h"
#include "calc/spread.h"

namespace lodra {

// Rad, korningar, stoppade; for nuvarde, ar_mellan and vol_avv the mean, the standard
// deviation, min, P5, P10, P50, P90, P95 and max; Meddelande: why the first stopped run
// stopped. A figure of no values (no run felled) is empty, and so is the standard
// deviation of a single value.
std::string spreadHeader();
std::string spreadRow(int row, const Spread& spread, char decimalSeparator);
std::string spreadRefusedRow(int row, const std::string& message);

// Rad, the 44 present values under thinning (gallring_c0_r2 ... gallring_c10_r5,
// interval-major), the 44 under clear-felling (kal_...), the best measure (gallring or
// kal) and interval at each rate, Meddelande: the first stopped cell by its measure,
// interval and rate. A stopped cell is empty.
std::string measuresHeader();
std::string measuresRow(int row, const MeasureComparison& comparison, char decimalSeparator);
std::string measuresRefusedRow(int row, const std::string& message);

}  // namespace lodra
