// Speed of one whole calculation.
#include <benchmark/benchmark.h>

#include "calc/calculation.h"

namespace {

void runStand(benchmark::State& state, const lodra::InputRecord& input) {
    lodra::StandCalculation calc;
    lodra::SeededRandom random(1);
    lodra::CalcOptions options;
    options.random = &random;
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
void BM_TenTreesLongHorizon(benchmark::State& state) {
    lodra::InputRecord input;
    input.totaltid = "1000";
    input.maxRing = "20";
    for (int i = 0; i < 10; ++i) {
        input.rows[static_cast<std::size_t>(i)] = {std::to_string(5 + 5 * i), false};
    }
    runStand(state, input);
}

}  // namespace

BENCHMARK(BM_DefaultStand)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TenTreesLongHorizon)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
