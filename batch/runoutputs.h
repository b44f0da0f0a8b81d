#pragma once

// The outputs of a batch run: the saved result and the tables asked for, checked before the
// run, written into while it runs and put in place together at the end.

#include <array>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "batch/batchrun.h"
#include "batch/outputtables.h"
#include "batch/pipeline.h"
#include "batch/shard.h"
#include "files/outputfile.h"

namespace lodra::batch {

// One part of the run's texts. It goes straight into the file of its output when that is a
// file (which has no name until every output is complete); for an output written only at
// the end (standard output, a device, a FIFO) it waits in a spool.
struct RunPart {
    PlannedOutput* output = nullptr;  // what the part goes into
    SpoolFile spool;                  // made only when needed
    FdWriter* sink = nullptr;         // where the part is written during the run
    std::uint64_t written = 0;        // bytes of the part, its header included

    // Before the outputs are prepared: makes the spool if the part needs one.
    Result<> createSpool(bool direct) {
        const bool inFile = direct && output->target().kind != OutputTarget::Kind::InPlace;
        return inFile ? Result<>() : spool.create();
    }
    // After: the part's sink, and its header written there.
    Result<> connect(std::string_view header) {
        sink = spool.created() ? &spool.writer() : output->fileWriter();
        return write(header);
    }
    Result<> write(std::string_view bytes) {
        written += bytes.size();
        return sink->write(bytes);
    }
    // What the output gets at the end: the spool; nothing when written straight into it.
    Result<> copyTo(FdWriter& out) { return spool.created() ? spool.copyTo(out) : Result<>(); }
};

// Standard error (refused rows, progress, messages), open as errorFd, when it is a regular
// file may be neither the stand file nor an output: the messages would go into it.
Result<> checkErrorStream(const Arguments& arguments, int errorFd);

class RunOutputs {
  public:
    // Before anything is read: no output may be the stand file or another output, and each
    // must be one that can be written.
    Result<> plan(const Arguments& arguments);
    // Before the run: the files and spools made, the tables' headers written (with a column
    // of the stands' names when named).
    Result<> prepare(bool named, bool areaColumns = false);
    // One stand's part of every output, in row order; with a name, the tables carry it.
    Result<> write(const StandOutputs& stand, const std::optional<std::string>& name);
    // The bytes of --estate and the flow's exact sums, once every stand has been written.
    void setEstate(std::string bytes, std::string exact) {
        estate_ = std::move(bytes);
        estateExact_ = std::move(exact);
    }
    // A shard's run: what the note beside each table says (its bytes are counted here).
    void noteShard(const PartNote& note) { note_ = note; }
    // After the run: every output complete and put in place as one; without a calculated
    // stand, every output but the result. savedNumbered is told of a numbered file.
    Result<> commit(bool withResult, const StepSeam& seam,
                    const SavedNumberedNotice& savedNumbered);

  private:
    RunPart indata_;    // input summaries, Windows-1252
    RunPart resultat_;  // result texts, Windows-1252, after all the summaries
    std::array<RunPart, kOutputTables.size()> tables_;
    std::vector<std::pair<RunPart*, std::string>> asked_;  // each part, with its header
    std::list<PlannedOutput> outputs_;                     // the tables, then the result
    std::string estate_;                                   // written whole at the end
    std::string estateExact_;                              // in the note beside it
    PartNote note_;
    PartNote noted(std::uint64_t bytes) const;
    // With --shard: each table's note beside it, its text made when it is written.
    Result<> planNote(const std::string& table, const PlannedOutput& output,
                      std::function<std::string()> text);
};

}  // namespace lodra::batch
