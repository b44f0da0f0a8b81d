// The spread of a stand under random growth: the percentile definition on hand-made
// samples, each run as the single calculation from its own seed, and the same figures on
// any number of threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "calc/calculation.h"
#include "calc/spread.h"

namespace lodra {
namespace {

TEST(Spread, PercentileInterpolatesBetweenOrderStatistics) {
    using Expected = std::vector<std::pair<int, double>>;  // percent, percentile
    const std::pair<std::vector<double>, Expected> cases[] = {
        {{7}, {{0, 7}, {5, 7}, {50, 7}, {100, 7}}},
        {{1, 3}, {{0, 1}, {10, 1.2}, {50, 2}, {95, 2.9}, {100, 3}}},
        {{-4, -4}, {{90, -4}}},
        {{2, 4, 8, 16, 32},
         {{5, 2.4}, {10, 2.8}, {25, 4}, {50, 8}, {90, 25.6}, {95, 28.8}, {100, 32}}},
    };
    for (const auto& [sorted, expected] : cases) {
        for (const auto& [percent, value] : expected) {
            EXPECT_DOUBLE_EQ(percentileInc(sorted, percent), value)
                << sorted.size() << " values, P" << percent;
        }
    }
}

// Each figure from its own field: unsorted on purpose, the percentiles are of the sorted
// values; one value has no standard deviation.
TEST(Spread, StatisticsOfHandSamples) {
    const SpreadStatistics five = statisticsOf({16, 2, 32, 8, 4});
    EXPECT_EQ(five.count, 5);
    ASSERT_TRUE(five.sd.has_value());
    EXPECT_DOUBLE_EQ(*five.sd, std::sqrt(148.8));  // squares 595.2 over n - 1 = 4
    const std::pair<double, double> figures[] = {{five.mean, 12.4}, {five.min, 2}, {five.p5, 2.4},
                                                 {five.p10, 2.8},   {five.p50, 8}, {five.p90, 25.6},
                                                 {five.p95, 28.8},  {five.max, 32}};
    for (const auto& [figure, expected] : figures) {
        EXPECT_DOUBLE_EQ(figure, expected);
    }

    const SpreadStatistics one = statisticsOf({-3.5});
    EXPECT_EQ(one.count, 1);
    EXPECT_FALSE(one.sd.has_value());
    for (const double v : {one.mean, one.min, one.p5, one.p50, one.p95, one.max}) {
        EXPECT_EQ(v, -3.5);
    }
    EXPECT_EQ(statisticsOf({}).count, 0);
}

// Mean and deviation against sums worked out in a wider type: equal values give exactly that
// value and a deviation of 0, values near the largest double never give inf, and values that
// differ only in their last digits keep their deviation.
TEST(Spread, StatisticsSoundForEqualHugeAndCloseValues) {
    const auto repeated = [](double v, int n) { return std::vector<double>(n, v); };
    std::vector<double> close;
    std::vector<double> wide;
    for (int k = 0; k < 1000; ++k) {
        close.push_back(1e6 + k * 1e-4);
        wide.push_back((k % 2 == 0 ? 1.0 : -1.0) * 1e6 * k + 0.1 * k);
    }
    const std::vector<double> cases[] = {repeated(0.1, 3),
                                         repeated(6.72e306, 100),
                                         repeated(-183724.25, 1000),
                                         {1.7e308, 1.6e308, 1.5e308},
                                         {1e-300, 3e-300, 2e-300},
                                         close,
                                         wide};
    for (const std::vector<double>& values : cases) {
        const SpreadStatistics stats = statisticsOf(values);
        long double sum = 0;
        for (const double v : values) {
            sum += v;
        }
        const long double mean = sum / values.size();
        long double squares = 0;
        for (const double v : values) {
            squares += (v - mean) * (v - mean);
        }
        const auto sd = static_cast<double>(std::sqrt(squares / (values.size() - 1)));
        ASSERT_TRUE(stats.sd.has_value());
        if (values.front() == values.back()) {
            EXPECT_EQ(stats.mean, values.front());
            EXPECT_EQ(*stats.sd, 0.0);
            continue;
        }
        EXPECT_NEAR(stats.mean, static_cast<double>(mean), 1e-12 * std::abs(stats.mean))
            << values.front();
        EXPECT_NEAR(*stats.sd, sd, 1e-12 * sd) << values.front();
    }
    // Percentiles between neighbours whose difference overflows.
    EXPECT_DOUBLE_EQ(statisticsOf({-1.5e308, 1.5e308}).p50, 0.0);
}

InputRecord varied() {
    InputRecord input;
    input.variation = "100";
    return input;
}

// Each run is the single calculation of the entered stand from standSeed(seed, k).
TEST(Spread, RunKIsTheCalculationFromItsOwnSeed) {
    SpreadOptions options;
    options.seed = 987654321987654321u;
    options.runs = 150;
    SpreadProgress progress;
    options.progress = &progress;
    const Result<Spread> spread = computeSpread(varied(), ',', options);
    ASSERT_TRUE(spread.ok()) << spread.message();
    ASSERT_EQ(spread->runs.size(), 150u);
    EXPECT_EQ(progress.runsDone.load(), 150);
    EXPECT_EQ(spread->completed, 150);
    EXPECT_EQ(spread->stopped, 0);
    for (const int k : {1, 2, 64, 65, 128, 150}) {
        StandCalculation calc;
        SeededRandom random(standSeed(options.seed, k));
        CalcOptions single;
        single.random = &random;
        ASSERT_TRUE(calc.berakna(varied(), ',', single).ok());
        const SpreadRun& run = spread->runs[static_cast<std::size_t>(k - 1)];
        EXPECT_EQ(run.seed, standSeed(options.seed, k));
        EXPECT_EQ(run.nuvarde, calc.economics.nuvarde) << "run " << k;
        EXPECT_EQ(run.arMellan, calc.figures.arMellanAvv) << "run " << k;
        EXPECT_EQ(run.volAvv, calc.figures.volymPerAvv) << "run " << k;
    }
    // The variation does make the runs differ.
    EXPECT_LT(spread->nuvarde.min, spread->nuvarde.max);
    EXPECT_LE(spread->nuvarde.p5, spread->nuvarde.p50);
}

TEST(Spread, SameFiguresOnAnyNumberOfThreads) {
    SpreadOptions options;
    options.seed = 42;
    options.runs = 700;
    const Result<Spread> one = computeSpread(varied(), '.', options);
    ASSERT_TRUE(one.ok());
    for (const unsigned threads : {2u, 3u, 8u}) {
        options.threads = threads;
        const Result<Spread> many = computeSpread(varied(), '.', options);
        ASSERT_TRUE(many.ok());
        for (std::size_t k = 0; k < one->runs.size(); ++k) {
            ASSERT_EQ(many->runs[k].nuvarde, one->runs[k].nuvarde) << threads << " threads";
        }
        const auto figures = [](const SpreadStatistics& s) {
            return std::vector<double>{s.mean, *s.sd, s.min, s.p5, s.p10,
                                       s.p50,  s.p90, s.p95, s.max};
        };
        EXPECT_EQ(figures(many->nuvarde), figures(one->nuvarde)) << threads << " threads";
        EXPECT_EQ(figures(many->volAvv), figures(one->volAvv)) << threads << " threads";
    }
}

TEST(Spread, RefusedStoppedAndCancelled) {
    InputRecord refused = varied();
    refused.bonitet = "abc";
    const Result<Spread> noSpread = computeSpread(refused, '.', SpreadOptions{});
    ASSERT_FALSE(noSpread.ok());
    EXPECT_EQ(noSpread.error().status, Status::Refused);
    EXPECT_EQ(noSpread.error().refusal.field, InputField::bonitet);

    // The longest horizon overflows at 3 %: every run stops, none is a reason to fail.
    InputRecord stops;
    stops.totaltid = "32767";
    SpreadOptions options;
    options.runs = 3;
    const Result<Spread> stopped = computeSpread(stops, '.', options);
    ASSERT_TRUE(stopped.ok());
    EXPECT_EQ(stopped->completed, 0);
    EXPECT_EQ(stopped->stopped, 3);
    EXPECT_EQ(stopped->nuvarde.count, 0);
    EXPECT_EQ(stopped->firstStop.rfind("Körning 1: Beräkningen avbröts: ", 0), 0u)
        << stopped->firstStop;

    const std::atomic<bool> cancel{true};
    options.cancel = &cancel;
    const Result<Spread> cancelled = computeSpread(varied(), '.', options);
    ASSERT_FALSE(cancelled.ok());
    EXPECT_EQ(cancelled.message(), "Spridningen avbröts.");
}

}  // namespace
}  // namespace lodra
