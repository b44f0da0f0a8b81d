// The batch tool on stand registers of default-like stands: reading the stand file alone,
// and whole runs on one and on two threads. Each run reports the peak resident memory of
// the process so far (peak_rss_mb), which must stay under 100 MB.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "batch/batchrun.h"
#include "standfile/standfile.h"

namespace {

namespace fs = std::filesystem;

// Stands near the default: all three species, site indices 3.5 to 4.5, rates 2 to 5 %,
// the default trees.
void writeStandRegister(std::ostream& out, int stands) {
    static const char* const kSpecies[] = {"Tall", "Gran", "Löv"};
    out << "totaltid;bonitet;areal;ranta;tradslag;dia1;avv1;dia2;avv2;dia3;dia4\r\n";
    for (int i = 0; i < stands; ++i) {
        out << "250;" << std::to_string(35 + i % 11).insert(1, ".") << ";50;" << 2 + i % 4 << ";"
            << kSpecies[i % 3] << ";45;x;35;;1;1\r\n";
    }
}

std::string standRegister(int stands) {
    std::ostringstream csv;
    writeStandRegister(csv, stands);
    return csv.str();
}

double peakRssMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kB on Linux
}

void BM_ReadStandFile(benchmark::State& state) {
    const std::string csv = standRegister(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::istringstream in(csv);
        lodra::StandFile file;
        if (const lodra::Result<> opened = file.open(in); !opened) {
            state.SkipWithError(opened.message().c_str());
            return;
        }
        lodra::StandFile::Stand stand;
        int count = 0;
        for (auto read = file.next(stand); read && *read; read = file.next(stand)) {
            ++count;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(csv.size()));
}
BENCHMARK(BM_ReadStandFile)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_BatchRun(benchmark::State& state) {
    const int stands = static_cast<int>(state.range(0));
    const fs::path folder =
        fs::temp_directory_path() / ("lodra05-batch-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    {
        // Written row by row, so that the register takes no room in the process measured.
        std::ofstream csv(folder / "stands.csv", std::ios::binary);
        writeStandRegister(csv, stands);
    }
    lodra::batch::Arguments arguments;
    arguments.stands = (folder / "stands.csv").string();
    arguments.output = (folder / "out.txt").string();
    arguments.table = (folder / "table.csv").string();
    arguments.seed = 1;
    arguments.threads = static_cast<unsigned>(state.range(1));
    lodra::batch::RunStreams streams;
    for (auto _ : state) {
        if (lodra::batch::runBatch(arguments, '.', streams) != lodra::batch::kAllCalculated) {
            state.SkipWithError("the run did not calculate every stand");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * stands);
    state.counters["out_mb"] = static_cast<double>(fs::file_size(folder / "out.txt")) / 1e6;
    state.counters["peak_rss_mb"] = peakRssMegabytes();
    fs::remove_all(folder);
}
// Stands, threads: the ratio of the two runs of 100,000 is what a second core gives. Wall
// time, since the work of the threads is what is measured (the CPU column is the first
// thread's alone, which reads the stands and writes the outputs while the workers
// calculate).
BENCHMARK(BM_BatchRun)->Args({1000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BatchRun)
    ->Args({100000, 1})
    ->Args({100000, 2})
    ->Args({1000000, 2})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// A property of stands with their areas summed year by year (--estate), on two threads:
// what the flow adds to the run of the same stands.
void BM_EstateRun(benchmark::State& state) {
    const int stands = static_cast<int>(state.range(0));
    const fs::path folder =
        fs::temp_directory_path() / ("lodra05-estate-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    {
        std::ostringstream plain;
        writeStandRegister(plain, stands);
        std::istringstream rows(plain.str());
        std::ofstream csv(folder / "stands.csv", std::ios::binary);
        std::string line;
        for (int i = 0; std::getline(rows, line); ++i) {
            csv << (i == 0 ? "hektar" : std::to_string(1 + i % 40)) << ';' << line << '\n';
        }
    }
    lodra::batch::Arguments arguments;
    arguments.stands = (folder / "stands.csv").string();
    arguments.output = (folder / "out.txt").string();
    if (state.range(1) != 0) {
        arguments.estate = (folder / "estate.csv").string();
    }
    arguments.seed = 1;
    arguments.threads = 2;
    lodra::batch::RunStreams streams;
    for (auto _ : state) {
        if (lodra::batch::runBatch(arguments, '.', streams) != lodra::batch::kAllCalculated) {
            state.SkipWithError("the run did not calculate every stand");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * stands);
    state.counters["peak_rss_mb"] = peakRssMegabytes();
    fs::remove_all(folder);
}
// Stands, with --estate (1) or without (0).
BENCHMARK(BM_EstateRun)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Stands whose texts are long: the longest horizon with the largest ring, every cycle
// written, on 16 threads (kind 0); a bonitet of 900,000 zeros in every row, on 2 threads
// (kind 1). The bytes in flight are bounded, so both stay under 100 MB.
void BM_BatchRunLongTexts(benchmark::State& state) {
    const bool cycles = state.range(0) == 0;
    const fs::path folder =
        fs::temp_directory_path() / ("lodra05-batch-bench-long-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    {
        std::ofstream csv(folder / "stands.csv", std::ios::binary);
        csv << (cycles ? "totaltid;maxRing;ranta\n" : "totaltid;bonitet\n");
        const std::string row = cycles ? "32767;100;2\n" : "250;" + std::string(900000, '0') + "\n";
        for (int i = 0; i < (cycles ? 1000 : 300); ++i) {
            csv << row;
        }
    }
    lodra::batch::Arguments arguments;
    arguments.stands = (folder / "stands.csv").string();
    arguments.output = (folder / "out.txt").string();
    if (cycles) {
        arguments.cycles = (folder / "cycles.csv").string();
    }
    arguments.seed = 1;
    arguments.threads = cycles ? 16 : 2;
    lodra::batch::RunStreams streams;
    for (auto _ : state) {
        if (lodra::batch::runBatch(arguments, '.', streams) != lodra::batch::kAllCalculated) {
            state.SkipWithError("the run did not calculate every stand");
            break;
        }
    }
    state.counters["peak_rss_mb"] = peakRssMegabytes();
    fs::remove_all(folder);
}
BENCHMARK(BM_BatchRunLongTexts)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
