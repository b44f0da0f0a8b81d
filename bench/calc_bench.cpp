// Speed of one whole calculation, with and without the record of its cycles, and of the
// comparison of choices.
#include <benchmark/benchmark.h>

#include "calc/calculation.h"
#include "calc/comparison.h"

namespace {

void runStand(benchmark::State& state, const lodra::InputRecord& input,
              lodra::CycleRecord* record = nullptr) {
    lodra::StandCalculation calc;
    lodra::SeededRandom random(1);
    lodra::CalcOptions options;
    options.random = &random;
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
void BM_DefaultStand(benchmark::State& state) {
    runStand(state, lodra::InputRecord{});
}

// Ten growing trees of 5 to 50 cm, largest ring 20 mm, 1000 years.
lodra::InputRecord tenTreesLongHorizon() {
    lodra::InputRecord input;
    input.totaltid = "1000";
    input.maxRing = "20";
    for (int i = 0; i < 10; ++i) {
        input.rows[static_cast<std::size_t>(i)] = {std::to_string(5 + 5 * i), false};
    }
    return input;
}

void BM_TenTreesLongHorizon(benchmark::State& state) {
    runStand(state, tenTreesLongHorizon());
}

// The same two stands recording one row per cycle: at most 10 % slower than without.
void BM_Record_DefaultStand(benchmark::State& state) {
    lodra::CycleRecord record;
    runStand(state, lodra::InputRecord{}, &record);
}

void BM_Record_TenTreesLongHorizon(benchmark::State& state) {
    lodra::CycleRecord record;
    runStand(state, tenTreesLongHorizon(), &record);
}

// The 44 calculations of the comparison of the default stand: under 20 ms.
void BM_Compare_DefaultStand(benchmark::State& state) {
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

BENCHMARK(BM_DefaultStand)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TenTreesLongHorizon)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Record_DefaultStand)->Name("Record/DefaultStand")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Record_TenTreesLongHorizon)
    ->Name("Record/TenTreesLongHorizon")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compare_DefaultStand)->Name("Compare/DefaultStand")->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
