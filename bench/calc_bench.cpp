// Speed of one whole calculation, with the fast and with the step-by-step ring search, so
// that the ratio of Search/Literal/<case> to Search/Fast/<case> reads from one run; with the
// record of its cycles (Record/<case>, at most 10 % above Search/Fast/<case>); of the
// comparison of choices; of the comparison under both measures (at most 5 ms); and of the
// spread of the default stand at variation 100 (1,000 runs on one thread in at most 50 ms;
// 100,000 runs on two threads in at most 5 s, with the figures of one thread).
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "calc/calculation.h"
#include "calc/comparison.h"
#include "calc/spread.h"

namespace {

void runStand(benchmark::State& state, const lodra::InputRecord& input,
              lodra::RingSearchMethod search, lodra::CycleRecord* record) {
    lodra::StandCalculation calc;
    lodra::SeededRandom random(1);
    lodra::CalcOptions options;
    options.random = &random;
    options.search = search;
    options.cycleRecord = record;
    for (auto _ : state) {
        const lodra::Outcome outcome = calc.berakna(input, '.', options);
        if (!outcome.ok()) {
            state.SkipWithError(outcome.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(calc.economics.nuvarde);
    }
}

// The initial entries of both windows: three growing trees, 250 years.
lodra::InputRecord defaultStand() {
    return {};
}

// Ten growing trees of 5 to 50 cm, largest ring 20 mm, 1000 years.
lodra::InputRecord tenTrees() {
    lodra::InputRecord input;
    input.totaltid = "1000";
    input.maxRing = "20";
    for (int i = 0; i < 10; ++i) {
        input.rows[static_cast<std::size_t>(i)] = {std::to_string(5 + 5 * i), false};
    }
    return input;
}

// The largest ring the intake takes and the longest horizon, at 2 %.
lodra::InputRecord longHorizon() {
    lodra::InputRecord input;
    input.totaltid = "32767";
    input.maxRing = "100";
    input.ranta = "2";
    return input;
}

void registerCase(const char* name, lodra::InputRecord (*make)(), benchmark::TimeUnit unit) {
    const lodra::InputRecord input = make();
    for (const auto& [method, search] : {std::pair{"Literal", lodra::RingSearchMethod::Literal},
                                         std::pair{"Fast", lodra::RingSearchMethod::Fast}}) {
        benchmark::RegisterBenchmark(
            (std::string("Search/") + method + "/" + name).c_str(),
            [input, search](benchmark::State& state) { runStand(state, input, search, nullptr); })
            ->Unit(unit);
    }
    benchmark::RegisterBenchmark((std::string("Record/") + name).c_str(),
                                 [input](benchmark::State& state) {
                                     lodra::CycleRecord record;
                                     runStand(state, input, lodra::RingSearchMethod::Fast, &record);
                                 })
        ->Unit(unit);
}

// The 44 calculations of the comparison of the default stand: under 20 ms.
void compareDefaultStand(benchmark::State& state) {
    const lodra::InputRecord input;
    const lodra::ComparisonOptions options;
    for (auto _ : state) {
        auto grid = lodra::compareChoices(input, '.', options);
        if (!grid) {
            state.SkipWithError(grid.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(grid->nuvarde);
    }
}

// The 88 calculations of both measures for the default stand.
void compareMeasuresDefaultStand(benchmark::State& state) {
    const lodra::InputRecord input;
    const lodra::ComparisonOptions options;
    for (auto _ : state) {
        auto both = lodra::compareMeasures(input, '.', options);
        if (!both) {
            state.SkipWithError(both.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(both->grids);
    }
}

lodra::InputRecord variedStand() {
    lodra::InputRecord input;
    input.variation = "100";
    return input;
}

// Spread/<runs>/<threads>: the runs of the default stand at variation 100. On more than one
// thread every run's present value is compared with one thread's.
void spreadDefaultStand(benchmark::State& state) {
    lodra::SpreadOptions options;
    options.seed = 20240601;
    options.runs = static_cast<int>(state.range(0));
    options.threads = static_cast<unsigned>(state.range(1));
    std::optional<lodra::Result<lodra::Spread>> single;
    if (options.threads > 1) {
        lodra::SpreadOptions one = options;
        one.threads = 1;
        single.emplace(lodra::computeSpread(variedStand(), '.', one));
    }
    for (auto _ : state) {
        const lodra::Result<lodra::Spread> spread =
            lodra::computeSpread(variedStand(), '.', options);
        if (!spread || spread->completed != options.runs) {
            state.SkipWithError("the spread did not complete");
            break;
        }
        if (single) {
            for (std::size_t k = 0; k < spread->runs.size(); ++k) {
                if (spread->runs[k].nuvarde != (**single).runs[k].nuvarde) {
                    state.SkipWithError("the threads' figures differ from one thread's");
                    return;
                }
            }
        }
        benchmark::DoNotOptimize(spread->nuvarde.mean);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerCase("default", defaultStand, benchmark::kMicrosecond);
    registerCase("tenTrees", tenTrees, benchmark::kMicrosecond);
    registerCase("longHorizon", longHorizon, benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Compare/default", compareDefaultStand)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("CompareMeasures/default", compareMeasuresDefaultStand)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Spread/default", spreadDefaultStand)
        ->Args({1000, 1})
        ->Args({100000, 1})
        ->Args({100000, 2})
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
