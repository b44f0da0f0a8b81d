#include "calc/spread.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

#include "calc/calculation.h"
#include "calc/randomsource.h"

namespace lodra {

namespace {

// Runs per part: enough to make a part's calculation object worth its making, few enough
// to keep two threads evenly busy on a thousand runs.
constexpr int kRunsPerPart = 64;

// What one part of the runs ended with beyond its runs' figures.
struct PartEnd {
    std::optional<Error> failure;  // refused, cancelled or failed: the spread fails
    std::string firstStop;         // of the part's first stopped run
};

// A WebAssembly module built without threads calculates every part on the caller's thread.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kHelperThreads = false;
#else
constexpr bool kHelperThreads = true;
#endif

// Calculates runs first + 1 ... last (of 1..N) into their places.
PartEnd calculatePart(const InputRecord& input, char decimalSeparator, const SpreadOptions& options,
                      int first, int last, std::vector<SpreadRun>& runs) {
    PartEnd end;
    auto calc = std::make_unique<StandCalculation>();
    CalcOptions calcOptions;
    calcOptions.cancel = options.cancel;
    for (int k = first + 1; k <= last; ++k) {
        if (options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed)) {
            end.failure = fail("Spridningen avbröts.");
            return end;
        }
        SpreadRun& run = runs[static_cast<std::size_t>(k - 1)];
        run.seed = standSeed(options.seed, k);
        SeededRandom random(run.seed);
        calcOptions.random = &random;
        const Outcome outcome = calc->berakna(input, decimalSeparator, calcOptions);
        if (outcome.ok()) {
            run.completed = true;
            run.felled = calc->s.antalAvverkningar > 0;
            run.nuvarde = calc->economics.nuvarde;
            run.arMellan = calc->figures.arMellanAvv;
            run.volAvv = calc->figures.volymPerAvv;
        } else if (outcome.error().status == Status::Stopped) {
            if (end.firstStop.empty()) {
                end.firstStop = "Körning " + std::to_string(k) + ": " + outcome.message();
            }
        } else {
            end.failure = outcome.error().status == Status::Cancelled ? fail("Spridningen avbröts.")
                                                                      : outcome.error();
            return end;
        }
        if (options.progress != nullptr) {
            options.progress->runsDone.fetch_add(1, std::memory_order_relaxed);
        }
    }
    return end;
}

}  // namespace

void threadsFor(unsigned threads, int parts, const std::function<void(int)>& body) {
    if (parts <= 0) {
        return;
    }
    std::atomic<int> next{0};
    auto work = [&] {
        for (int part = next++; part < parts; part = next++) {
            body(part);
        }
    };
    const unsigned extra =
        kHelperThreads ? std::min<unsigned>(threads, static_cast<unsigned>(parts)) - 1 : 0;
    std::vector<std::thread> helpers;
    // Joined however this thread leaves, as the helpers share its counter.
    struct JoinAll {
        std::vector<std::thread>& helpers;
        ~JoinAll() {
            for (std::thread& helper : helpers) {
                helper.join();
            }
        }
    } joinAll{helpers};
    helpers.reserve(extra);
    for (unsigned t = 0; t < extra; ++t) {
        helpers.emplace_back(work);
    }
    work();
}

double percentileInc(std::span<const double> sorted, int percent) {
    const auto n = static_cast<long long>(sorted.size());
    const long long scaled = (n - 1) * percent;  // h * 100
    const auto low = static_cast<std::size_t>(scaled / 100);
    const double fraction = static_cast<double>(scaled % 100) / 100;
    if (fraction == 0) {
        return sorted[low];
    }
    const double a = sorted[low];
    const double b = sorted[low + 1];
    const double step = b - a;
    if (std::isfinite(step)) {
        return a + fraction * step;
    }
    // Neighbours so far apart that their difference overflows: weighted instead.
    return a * (1 - fraction) + b * fraction;
}

namespace {

// A sum that carries the rounding error of every addition (Neumaier's variant of Kahan's
// summation), so that a long sum of runs is as exact as its last bit.
class CompensatedSum {
  public:
    void add(double v) {
        const double t = sum_ + v;
        compensation_ += std::abs(sum_) >= std::abs(v) ? (sum_ - t) + v : (v - t) + sum_;
        sum_ = t;
    }
    double value() const { return sum_ + compensation_; }

  private:
    double sum_ = 0;
    double compensation_ = 0;
};

// Mean and standard deviation of sorted values (at least two, not all equal) worked on
// values scaled by a power of two, which is exact: values near the largest double then sum
// without overflow and tiny ones without underflow. The deviation is taken about the mean
// with the mean's own rounding corrected for (the corrected two-pass formula).
void meanAndDeviation(std::span<const double> sorted, SpreadStatistics& stats) {
    int exponent = 0;
    std::frexp(std::max(std::abs(sorted.front()), std::abs(sorted.back())), &exponent);
    const auto n = static_cast<double>(sorted.size());
    CompensatedSum sum;
    for (const double v : sorted) {
        sum.add(std::ldexp(v, -exponent));
    }
    const double scaledMean = sum.value() / n;
    stats.mean = std::clamp(std::ldexp(scaledMean, exponent), sorted.front(), sorted.back());
    CompensatedSum squares;
    CompensatedSum deviations;
    for (const double v : sorted) {
        const double d = std::ldexp(v, -exponent) - scaledMean;
        squares.add(d * d);
        deviations.add(d);
    }
    const double drift = deviations.value();
    const double spread = std::max(0.0, squares.value() - drift * drift / n);
    stats.sd = std::ldexp(std::sqrt(spread / (n - 1)), exponent);
}

}  // namespace

SpreadStatistics statisticsOf(std::vector<double> values) {
    SpreadStatistics stats;
    stats.count = static_cast<int>(values.size());
    if (values.empty()) {
        return stats;
    }
    std::sort(values.begin(), values.end());
    stats.min = values.front();
    stats.max = values.back();
    if (stats.min == stats.max) {
        // Equal runs: their value, and no deviation at all.
        stats.mean = stats.min;
        if (values.size() >= 2) {
            stats.sd = 0.0;
        }
    } else {
        meanAndDeviation(values, stats);
    }
    stats.p5 = percentileInc(values, 5);
    stats.p10 = percentileInc(values, 10);
    stats.p50 = percentileInc(values, 50);
    stats.p90 = percentileInc(values, 90);
    stats.p95 = percentileInc(values, 95);
    return stats;
}

void summarize(Spread& spread) {
    std::vector<double> nuvarde, arMellan, volAvv;
    spread.completed = 0;
    for (const SpreadRun& run : spread.runs) {
        if (!run.completed) {
            continue;
        }
        ++spread.completed;
        nuvarde.push_back(run.nuvarde);
        if (run.felled) {
            arMellan.push_back(run.arMellan);
            volAvv.push_back(run.volAvv);
        }
    }
    spread.stopped = static_cast<int>(spread.runs.size()) - spread.completed;
    spread.nuvarde = statisticsOf(std::move(nuvarde));
    spread.arMellan = statisticsOf(std::move(arMellan));
    spread.volAvv = statisticsOf(std::move(volAvv));
}

Result<Spread> computeSpread(const InputRecord& input, char decimalSeparator,
                             const SpreadOptions& options) {
    const int runs = std::clamp(options.runs, kMinSpreadRuns, kMaxSpreadRuns);
    Spread spread;
    spread.runs.resize(static_cast<std::size_t>(runs));
    const int parts = (runs + kRunsPerPart - 1) / kRunsPerPart;
    std::vector<PartEnd> ends(static_cast<std::size_t>(parts));
    const auto body = [&](int part) {
        PartEnd& end = ends[static_cast<std::size_t>(part)];
        try {
            end = calculatePart(input, decimalSeparator, options, part * kRunsPerPart,
                                std::min(runs, (part + 1) * kRunsPerPart), spread.runs);
        } catch (const std::exception&) {
            end.failure = fail("Beräkningen kunde inte slutföras.");
        }
    };
    if (options.parallelFor) {
        options.parallelFor(parts, body);
    } else {
        threadsFor(std::max(1u, options.threads), parts, body);
    }
    for (PartEnd& end : ends) {
        if (end.failure) {
            return *end.failure;
        }
        if (spread.firstStop.empty()) {
            spread.firstStop = std::move(end.firstStop);
        }
    }
    summarize(spread);
    return spread;
}

}  // namespace lodra
