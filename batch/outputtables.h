#pragma once

// The extra outputs of a run, each a CSV table with a row (or rows) per stand. Adding an
// output is one entry in kOutputTables, its option in Arguments and a line of the help text;
// the command line, the checks of the outputs, the calculation and the writing read it.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "batch/batchrun.h"
#include "batch/pipeline.h"
#include "calc/cyclerecord.h"
#include "calc/randomsource.h"
#include "session/session.h"
#include "standfile/standfile.h"

namespace lodra::batch {

// What a calculated stand gives its rows.
struct StandContext {
    const StandFile::Stand& stand;
    const Session& session;     // after the stand's calculation
    const CycleRecord& record;  // its cycles, when an output needs them
    const Arguments& arguments;
    char decimalSeparator;
};

struct OutputTable {
    const char* option;                           // "table" for --table
    std::optional<std::string> Arguments::*path;  // the file it is written to, if asked for
    const char* subject;                          // in messages, at the start of a sentence
    const char* object;                           // after "och"
    bool needsCycles;                             // its rows read the stand's cycles
    bool recalculates;  // calculates the stand again: its rows stand alone when the
                        // stand's own calculation stopped
    std::string (*header)();
    // Appends the rows of a calculated stand.
    void (*rows)(const StandContext& stand, std::string& out);
    std::string (*refusedRow)(int row, const std::string& message);
};

extern const std::array<OutputTable, 5> kOutputTables;
// The place of --table in kOutputTables: with a hektar column it gains the area's columns.
inline constexpr std::size_t kStandTable = 0;

// What one worker thread keeps from stand to stand.
struct Worker {
    explicit Worker(char decimalSeparator) : session(decimalSeparator) {}
    Session session;
    ClockRandom clock;  // without --seed
    CycleRecord record;
    bool areaColumns = false;  // the stand file has a hektar column: the table shows it
};

// The most bytes a stand's calculation and its part of the outputs asked for take beyond its
// fields, from its entries alone: its cycles and their rows, its spread's runs, its texts.
std::size_t standBytesMost(const StandFile::Stand& stand, const Arguments& arguments,
                           char decimalSeparator);

// Calculates one stand and makes its part of every output asked for.
void computeStand(Worker& worker, const StandFile::Stand& stand, const Arguments& arguments,
                  char decimalSeparator, StandOutputs& out);

}  // namespace lodra::batch
