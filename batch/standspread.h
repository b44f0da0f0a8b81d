#pragma once

// A stand's rows of the outputs that calculate it again: the spread of its present value
// under random growth and the comparison under both measures. Each depends on the stand's
// entries, its row and the run's seed alone, so that any number of threads gives the same
// bytes.

#include <cstdint>
#include <optional>
#include <string>

#include "calc/inputrecord.h"

namespace lodra::batch {

// The seed a stand's extra calculations start from: standSeed(seed, row) with --seed, else
// one from the clock.
std::uint64_t baseSeed(std::optional<std::uint64_t> seed, int row);

// The spread row of the stand: run k from standSeed(base, k). A refused stand gives its
// refused row.
std::string spreadStandRow(int row, const InputRecord& input, std::uint64_t base, int runs,
                           char decimalSeparator);

// The measures row of the stand: every cell's generator from base, or with runs (not 0)
// every cell the mean of that many runs, run k of each from standSeed(base, k).
std::string measuresStandRow(int row, const InputRecord& input, std::uint64_t base, int runs,
                             char decimalSeparator);

}  // namespace lodra::batch
