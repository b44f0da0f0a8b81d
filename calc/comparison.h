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

namespace lodra {

struct ComparisonGrid {
    static constexpr int kIntervals = 11;  // cykTillAvv 0..10
    static constexpr int kRates = 4;
    static constexpr std::array<int, kRates> kRanta = {2, 3, 4, 5};  // %

    // kr/ha, NUVÄRDE per interval and rate; empty where that calculation was stopped.
    std::array<std::array<std::optional<double>, kRates>, kIntervals> nuvarde{};
    std::string stopped;  // why the first empty cell was stopped, else empty

    // The interval with the highest present value at the rate (the shortest one of equal
    // values), or -1 when the rate has no value.
    int best(int rate) const;
};

// What the comparison reports while it runs, read by another thread.
struct ComparisonProgress {
    std::atomic<int> cellsDone{0};    // calculations finished, 0..44
    std::atomic<int> cyclesDone{0};   // cycles of the calculation running now
    std::atomic<int> cyclesTotal{0};  // cycles one calculation takes
};

struct ComparisonOptions {
    char decimalSeparator = '.';                // as for the calculation
    std::uint64_t seed = 1;                     // every cell's random generator starts here
    const std::atomic<bool>* cancel = nullptr;  // set by another thread to stop
    ComparisonProgress* progress = nullptr;
};

// Calculates the 44 cells. Fails with the message of the calculation when the entries
// are refused, and with "Jämförelsen avbröts." when cancelled.
Result<ComparisonGrid> compareChoices(const InputRecord& input, const ComparisonOptions& options);

}  // namespace lodra
