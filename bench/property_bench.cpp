// The property window's work on a register of default-like stands with their areas: every
// stand calculated on two threads and put together by line, then the window's two tables
// filled, as the window does before it shows them.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ui/propertyjob.h"
#include "ui/propertymodel.h"

namespace {

namespace fs = std::filesystem;

// Stands near the default, as the batch tool's benchmark has them, with 1 to 40 ha each.
void writeRegister(const fs::path& path, int stands) {
    static const char* const kSpecies[] = {"Tall", "Gran", "Löv"};
    std::ofstream out(path, std::ios::binary);
    out << "bestand;hektar;totaltid;bonitet;areal;ranta;tradslag;dia1;avv1;dia2;avv2;dia3;dia4\r\n";
    for (int i = 0; i < stands; ++i) {
        out << "Skifte " << i << ';' << 1 + i % 40 << ";250;"
            << std::to_string(35 + i % 11).insert(1, ".") << ";50;" << 2 + i % 4 << ";"
            << kSpecies[i % 3] << ";45;x;35;;1;1\r\n";
    }
}

void BM_PropertyWindow(benchmark::State& state) {
    const int stands = static_cast<int>(state.range(0));
    const fs::path folder =
        fs::temp_directory_path() / ("lodra05-property-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    writeRegister(folder / "stands.csv", stands);
    lodra::PropertyOptions options;
    options.threads = static_cast<int>(state.range(1));
    options.seed = 1;
    for (auto _ : state) {
        lodra::Result<lodra::PropertyResult> result =
            lodra::calculateProperty((folder / "stands.csv").string(), options);
        if (!result || result->totals.calculated != stands) {
            state.SkipWithError("not every stand was calculated");
            break;
        }
        lodra::PropertyStandModel table;
        lodra::PropertyFlowModel flow;
        flow.setFlow(result->totals.flow(), '.');
        table.setStands(std::move(result->stands), '.');
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * stands);
    fs::remove_all(folder);
}
// Stands, threads.
BENCHMARK(BM_PropertyWindow)
    ->Args({10000, 1})
    ->Args({10000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
