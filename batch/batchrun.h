#pragma once

// The batch tool: a whole stand register calculated in one run, with the bytes the
// desktop program would save after the same calculations.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "batch/shard.h"
#include "files/pendingfile.h"

namespace lodra::batch {

struct Arguments {
    std::string stands;                   // the stand file
    std::optional<std::uint64_t> seed;    // each row draws from a stream seeded from it
    std::optional<std::string> output;    // "-" for standard output; none: numbered file
    std::optional<std::string> table;     // the table of figures, if asked for
    std::optional<std::string> cycles;    // the table of every stand's cycles, if asked for
    std::optional<std::string> compare;   // the comparison grid of every stand, if asked for
    std::optional<std::string> spread;    // every stand's spread under random growth, if asked for
    std::optional<std::string> measures;  // every stand's grids under both measures, if asked for
    std::optional<std::string> estate;    // the property's flow year by year, if asked for
    int runs = 0;                         // runs of each spread; 0: the default
    unsigned threads = 0;                 // threads that calculate; 0: one per core
    std::optional<Shard> shard;           // only this share of the stands
    std::vector<std::string> join;        // --join: the joined file, then its parts in order
    bool help = false;
    bool version = false;
};

// The most threads --threads takes, and the most a run uses by default.
inline constexpr unsigned kMaxThreads = 64;

// Reads the command line (without the program name), or says what is wrong with it.
Result<Arguments> parseArguments(const std::vector<std::string>& args);

// The text of --help.
std::string helpText();

// The decimal separator of the user's regional settings (LC_ALL, LC_NUMERIC, LANG), as
// the desktop program finds it: one ASCII character, else '.'.
char systemDecimalSeparator();

struct RunStreams {
    std::FILE* messages = stdout;  // where the saved file is named
    std::FILE* errors = stderr;    // refused rows, errors and progress
    bool progress = false;         // show a progress line (on a terminal)
    StepSeam commitSeam;           // asked before each step that puts a file in place
};

// Exit status of a run: 0 when every stand was calculated, 1 when any row was refused,
// 2 for a usage or file error (then no new file exists and no existing file has changed).
enum ExitStatus : int { kAllCalculated = 0, kRowsRefused = 1, kUsageOrFileError = 2 };

int runBatch(const Arguments& arguments, char decimalSeparator, const RunStreams& streams);

// The whole program, from its command line to its exit status.
int batchMain(int argc, char** argv);

}  // namespace lodra::batch
