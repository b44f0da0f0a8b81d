#pragma once

// The comparison of choices: the present value of a stand for every felling interval
// (cykTillAvv 0 to 10 cycles) at each of the interest rates 2, 3, 4 and 5 %, everything
// else as entered.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "base/result.h"
#include "calc/inputrecord.h"
#include "calc/parameters.h"

namespace lodra {

struct ComparisonGrid {
    static constexpr int kIntervals = 11;  // cykTillAvv 0..10
    // The rates (%) are kRates, in its order.
    static constexpr int kRateCount = static_cast<int>(kRates.size());

    // kr/ha, NUVÄRDE per interval and rate; empty where that calculation was stopped.
    std::array<std::array<std::optional<double>, kRates.size()>, kIntervals> nuvarde{};
    // Why the first empty cell (interval-major) was stopped, led by its interval and rate
    // ("Vid 3 cykler och 4 %: ..."), else empty.
    std::string stopped;

    // The interval with the highest present value at the rate (the shortest one of equal
    // values), or -1 when the rate has no value.
    int best(int rate) const;
};

// What the comparison reports while it runs, read by another thread.
struct ComparisonProgress {
    std::atomic<int> cellsDone{0};    // calculations finished, 0..44 (88 for both measures)
    std::atomic<int> cyclesDone{0};   // cycles of the calculation running now
    std::atomic<int> cyclesTotal{0};  // cycles one calculation takes
};

struct ComparisonOptions {
    std::uint64_t seed = 1;                     // every cell's random generator starts here
    const std::atomic<bool>* cancel = nullptr;  // set by another thread to stop
    ComparisonProgress* progress = nullptr;
};

// Calculates the 44 cells, the entries read with decimalSeparator as by the calculation.
// Fails with the message of the calculation when the entries are refused, and with
// "Jämförelsen avbröts." when cancelled. A cell whose calculation stops is empty and the
// others are filled.
Result<ComparisonGrid> compareChoices(const InputRecord& input, char decimalSeparator,
                                      const ComparisonOptions& options);

// The comparison under both measures: the 44 cells under "Gallring och plockhuggning"
// and the 44 under "Kalavverkning", everything else as entered.
struct MeasureComparison {
    static constexpr int kMeasures = 2;
    // The grids' indices: the input's Measure.
    static constexpr int kGallring = static_cast<int>(Measure::gallring);
    static constexpr int kKalavverkning = static_cast<int>(Measure::kalavverkning);
    std::array<ComparisonGrid, kMeasures> grids;  // indexed by Measure
    // Why the first empty cell (thinning first) was stopped, led by its measure, interval
    // and rate ("Kalavverkning vid 3 cykler och 4 %: ..."), else empty.
    std::string stopped;

    // The best pair at a rate: the highest present value of both grids; of equal values
    // the shorter interval, then thinning. Both -1 when the rate has no value.
    struct Best {
        int measure = -1;
        int interval = -1;
    };
    Best best(int rate) const;
};

// Calculates the 88 cells, with the same failures as compareChoices; progress counts on
// to 88.
Result<MeasureComparison> compareMeasures(const InputRecord& input, char decimalSeparator,
                                          const ComparisonOptions& options);

}  // namespace lodra
