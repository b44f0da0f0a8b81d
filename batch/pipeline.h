#pragma once

// The stands of a run calculated on several threads and written in row order, with the
// bytes in flight bounded: what the stands read and not yet written hold (their fields, what
// their calculation takes while it runs and their outputs) stays under bytesInFlight and one
// stand more, whatever the number of threads and however long a stand's texts are.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "calc/standflow.h"
#include "standfile/standfile.h"

namespace lodra::batch {

// Why the stand cannot be calculated, if it cannot.
struct RowRefusal {
    std::string text;          // for a table's message cell
    const char* joint = ": ";  // between "Rad N" and the text on standard error
    bool stopped = false;      // the entries were taken: the outputs that calculate the
                               // stand again still do
};

// Everything one stand gives the outputs, made before any of it is written.
struct StandOutputs {
    std::optional<RowRefusal> refusal;
    std::string indata;               // Windows-1252; empty when refused
    std::string resultat;             // Windows-1252; empty when refused
    std::vector<std::string> tables;  // the rows of each table, as kOutputTables orders them
    std::vector<FlowYear> flow;       // per ha, for the property's flow; empty when refused
};

// The bytes a stand takes while it is in flight: its fields, its outputs and their room.
std::size_t bytesOf(const StandFile::Stand& stand, const StandOutputs& outputs);

// The most bytes a stand's calculation and outputs can take beyond its fields, worked out
// from its entries before it is calculated: a stand is read only when its share fits.
using EstimateStand = std::function<std::size_t(const StandFile::Stand&)>;

struct PipelineLimits {
    std::size_t threads = 1;
    std::size_t bytesInFlight = std::size_t{32} << 20;
    std::size_t chunkBytes = std::size_t{1} << 20;  // the most one chunk is meant to hold
    std::size_t stands = SIZE_MAX;                  // the most stands read
};

// estimate(stand) runs on the caller's thread as each stand is read; compute(worker, stand,
// outputs) runs on the worker's own thread; write(stand, outputs) runs on the caller's
// thread in row order, and its first failure ends the run. A failure of the stand file ends
// the reading: the stands read before it are still written, and then it is returned in
// readError.
using ComputeStand = std::function<void(std::size_t, const StandFile::Stand&, StandOutputs&)>;
using WriteStand = std::function<Result<>(const StandFile::Stand&, const StandOutputs&)>;
struct StandWork {
    EstimateStand estimate;
    ComputeStand compute;
    WriteStand write;
};
Result<> runPipeline(StandFile& stands, const PipelineLimits& limits, const StandWork& work,
                     std::optional<Error>& readError);

}  // namespace lodra::batch
