#pragma once

// The comparison of choices: the present value of a stand for every felling interval
// (cykTillAvv 0 to 10 cycles) at each of the interest rates 2, 3, 4 and 5 %, everything
// else as entered. Under a random variation each cell may be the mean of N runs drawn with
// common random numbers: run k of every cell from the generator seeded with
// standSeed(seed, k), so that two cells differ by their choice and not by their draw, and
// the lead of the best cell over the next is judged against the spread of the runs'
// paired differences.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "base/result.h"
#include "calc/inputrecord.h"
#include "calc/parameters.h"
#include "calc/spread.h"

namespace lodra {

inline constexpr int kDefaultComparisonRuns = 100;

// How far the best cell of a rate leads the next one under a variation, over the runs.
struct ComparisonLead {
    int measure = -1;   // of the next cell (MeasureComparison only)
    int interval = -1;  // of the next cell
    double lead = 0;    // kr/ha: the mean of the runs' differences, best less next
    // kr/ha: the standard error of the lead, the standard deviation of the runs' differences
    // over the square root of their number; none for a single run.
    std::optional<double> standardError;
    // The best is told apart from the next: its lead is more than twice its standard error.
    bool clear() const { return standardError && lead > 2 * *standardError; }
};

struct ComparisonGrid {
    static constexpr int kIntervals = 11;  // cykTillAvv 0..10
    // The rates (%) are kRates, in its order.
    static constexpr int kRateCount = static_cast<int>(kRates.size());

    // kr/ha, NUVÄRDE per interval and rate (the mean of the runs); empty where that
    // calculation (any of its runs) was stopped.
    std::array<std::array<std::optional<double>, kRates.size()>, kIntervals> nuvarde{};
    // The calculations each cell is the mean of: 1 without runs, or where no calculation
    // drew a random number (then every run is the same).
    int runs = 1;
    bool varied = false;  // some calculation drew random numbers
    // Per rate, under runs that drew random numbers, where the rate has two values or more.
    std::array<std::optional<ComparisonLead>, kRates.size()> leads{};
    // Why the first empty cell (interval-major) was stopped, led by its interval and rate
    // ("Vid 3 cykler och 4 %: ..."), else empty.
    std::string stopped;

    // The interval with the highest present value at the rate (the shortest one of equal
    // values), or -1 when the rate has no value.
    int best(int rate) const;
    // Whether the best interval of the rate is marked: it has a value, and under runs its
    // lead over the next is clear.
    bool marked(int rate) const;
};

// What the comparison reports while it runs, read by another thread.
struct ComparisonProgress {
    // Calculations finished: 0..44 (88 for both measures), times the runs.
    std::atomic<int> cellsDone{0};
    // Cycles of the calculation running now, while the first run of the cells is calculated
    // (the others run on several threads).
    std::atomic<int> cyclesDone{0};
    std::atomic<int> cyclesTotal{0};  // cycles one calculation takes
};

struct ComparisonOptions {
    // 0: every cell is one calculation from a generator seeded with seed. N > 0: every cell
    // is the mean of N runs, run k of every cell from standSeed(seed, k); a cell whose first
    // run draws no random number (no variation) is that calculation alone.
    int runs = 0;
    std::uint64_t seed = 1;
    unsigned threads = 1;     // for the built-in parallelFor; 1 calculates on the caller's
    ParallelFor parallelFor;  // empty: the built-in one, on `threads` threads
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
    std::array<ComparisonGrid, kMeasures> grids;  // indexed by Measure; their leads are unused
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
    // The best pair of the rate but the one left out, in the same order.
    Best bestBut(int rate, Best left) const;
    // Whether the best pair of the rate is marked: it has a value, and under runs its lead
    // over the next is clear.
    bool marked(int rate) const;

    // Per rate, under runs that drew random numbers: the best pair's lead over the next pair.
    std::array<std::optional<ComparisonLead>, kRates.size()> leads{};
    // The calculations each cell is the mean of (as ComparisonGrid::runs), and whether
    // any of them drew random numbers.
    int runs = 1;
    bool varied = false;
    std::uint64_t seed = 0;  // the runs' base seed, when varied
    // The entered measure, interval and rate, when they are a cell of the grids.
    struct Cell {
        int measure = -1;
        int interval = -1;
        int rate = -1;
    };
    std::optional<Cell> entered;
};

// Calculates the 88 cells, with the same failures as compareChoices; progress counts on
// to 88.
Result<MeasureComparison> compareMeasures(const InputRecord& input, char decimalSeparator,
                                          const ComparisonOptions& options);

}  // namespace lodra
