// Speed of one whole calculation, with the fast and with the step-by-step ring search, so
// that the ratio of Search/Literal/<case> to Search/Fast/<case> reads from one run; with the
// record of its cycles (Record/<case>, at most 10 % above Search/Fast/<case>); and of the
// comparison of choices.
#include <benchmark/benchmark.h>

#include <string>

#include "calc/calculation.h"
#include "calc/comparison.h"

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
        const lodra::Outcome outcome = calc.berakna(input, options);
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
        auto grid = lodra::compareChoices(input, options);
        if (!grid) {
            state.SkipWithError(grid.message().c_str());
            break;
        }
        benchmark::DoNotOptimize(grid->nuvarde);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerCase("default", defaultStand, benchmark::kMicrosecond);
    registerCase("tenTrees", tenTrees, benchmark::kMicrosecond);
    registerCase("longHorizon", longHorizon, benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Compare/default", compareDefaultStand)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
