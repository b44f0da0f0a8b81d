#pragma once

// The spread of a stand's results under random growth: the entered stand calculated N
// times, run k (1..N) from its own generator seeded with standSeed(seed, k), and the
// statistics of the present value, the years between fellings and the volume per felling
// over the runs. The runs may be calculated on any number of threads: each run depends on
// its seed alone, and the statistics are taken in run order afterwards.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.h"
#include "calc/inputrecord.h"

namespace lodra {

inline constexpr int kMinSpreadRuns = 1;
inline constexpr int kMaxSpreadRuns = 100000;
inline constexpr int kDefaultSpreadRuns = 1000;

// One run: its seed and, when its calculation completed, the three figures.
struct SpreadRun {
    std::uint64_t seed = 0;  // of the run's generator
    bool completed = false;  // false: the calculation stopped, the figures are 0
    bool felled = false;     // a felling at some cycle end: the per-felling figures hold
    double nuvarde = 0;      // kr/ha
    double arMellan = 0;     // years between fellings
    double volAvv = 0;       // m3sk/ha per felling
};

// The statistics of a set of values. With no values count is 0 and the figures are 0.
struct SpreadStatistics {
    int count = 0;
    double mean = 0;
    std::optional<double> sd;  // with n - 1 in the denominator; none for fewer than 2 values
    double min = 0;
    double p5 = 0;
    double p10 = 0;
    double p50 = 0;
    double p90 = 0;
    double p95 = 0;
    double max = 0;
};

// The percentile of values sorted in ascending order (not empty), for percent 0..100:
// with h = (N - 1) * percent / 100, v[floor(h)] + (h - floor(h)) * (v[floor(h)+1] -
// v[floor(h)]), the interpolation spreadsheets call inclusive. h is worked out exactly.
double percentileInc(std::span<const double> sorted, int percent);

// The statistics of the values: equal values give that value and a deviation of exactly 0,
// finite values never an infinite mean, and the sums are compensated, so that the figures
// hold to the last bits whatever the order and size of the values.
SpreadStatistics statisticsOf(std::vector<double> values);

struct Spread {
    std::vector<SpreadRun> runs;  // run k at index k - 1
    int completed = 0;
    int stopped = 0;
    std::string firstStop;      // why the first stopped run stopped ("Körning k: ..."), else empty
    SpreadStatistics nuvarde;   // of the completed runs
    SpreadStatistics arMellan;  // of the completed runs with a felling
    SpreadStatistics volAvv;    // of the completed runs with a felling
};

struct SpreadProgress {
    std::atomic<int> runsDone{0};
};

// Calls body(0) ... body(parts - 1), each once, in any order and on any threads, and
// returns when all have returned.
using ParallelFor = std::function<void(int parts, const std::function<void(int)>& body)>;

// A ParallelFor on up to `threads` threads of its own, the caller's among them.
void threadsFor(unsigned threads, int parts, const std::function<void(int)>& body);

struct SpreadOptions {
    std::uint64_t seed = 1;
    int runs = kDefaultSpreadRuns;
    unsigned threads = 1;     // for the built-in parallelFor; 1 calculates on the caller's
    ParallelFor parallelFor;  // empty: the built-in one, on `threads` threads
    const std::atomic<bool>* cancel = nullptr;  // set by another thread to stop
    SpreadProgress* progress = nullptr;
};

// Calculates the runs and their statistics, the entries read with decimalSeparator as by
// the calculation. Fails with the calculation's message when the entries are refused, and
// with "Spridningen avbröts." when cancelled.
Result<Spread> computeSpread(const InputRecord& input, char decimalSeparator,
                             const SpreadOptions& options);

// The statistics of the runs' figures, as computeSpread sets them.
void summarize(Spread& spread);

}  // namespace lodra
