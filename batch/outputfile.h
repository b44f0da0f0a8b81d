#pragma once

// The files of a batch run. Everything the run writes waits in spool files that have no name
// at all; the outputs are checked before the first calculation and produced from the spools
// at the end, all of them complete before any is put in place. A new output is one more
// entry in the list of planned outputs.

#include <sys/types.h>

#include <functional>
#include <list>
#include <optional>
#include <string>

#include "base/result.h"
#include "files/fdwriter.h"
#include "files/pendingfile.h"

namespace lodra::batch {

// An unnamed temporary file (in TMPDIR, else /tmp) that is written once and read back.
class SpoolFile {
  public:
    SpoolFile() = default;
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;
    ~SpoolFile();

    Result<> create();
    bool created() const { return writer_.fd() >= 0; }
    FdWriter& writer() { return writer_; }
    // Copies everything written so far to out.
    Result<> copyTo(FdWriter& out);

  private:
    FdWriter writer_;
};

// Where an output goes, as found before the run.
struct OutputTarget {
    enum class Kind {
        Numbered,   // the next free "Result" + N + ".txt" of folder
        Replacing,  // the regular file path (links followed), replaced when complete
        InPlace,    // standard output, a device or a FIFO: written into at the end
    };
    Kind kind = Kind::Numbered;
    std::string shown;   // the file as the user named it, quoted, for messages
    std::string path;    // Replacing: the file replaced
    std::string folder;  // Numbered, Replacing: where the file is made
    mode_t mode = 0;     // Replacing an existing file: its permission bits
    int fd = -1;         // InPlace: where to write
};

// The target of "--output" (std::nullopt: a numbered file in the current folder; "-":
// standard output) or of another named output. Refuses a folder, a dangling link, a file
// that cannot be written, and a closed standard output.
Result<OutputTarget> findTarget(const std::optional<std::string>& argument);

// Standard output is open for writing (a closed one is refused before the run).
Result<> standardOutputWritable();

// Whether two paths name the same file: the same device and inode once it exists, the same
// resolved path otherwise. Standard output, devices and FIFOs are never the same file.
bool sameFile(const std::string& a, const std::string& b);

// One output of the run. The producer writes its content at the end, after what was
// written into fileWriter() during the run.
class PlannedOutput {
  public:
    using Producer = std::function<Result<>(FdWriter&)>;

    PlannedOutput(OutputTarget target, Producer producer)
        : target_(std::move(target)), producer_(std::move(producer)) {}
    PlannedOutput(const PlannedOutput&) = delete;
    PlannedOutput& operator=(const PlannedOutput&) = delete;
    ~PlannedOutput();

    // Before the run: makes the file that will be written, so that a folder that cannot
    // be written is known at once.
    Result<> prepare();
    // After prepare(): the file being made, which may be written into during the run (it
    // has no name until it is committed); null for an output written in place at the end.
    FdWriter* fileWriter();
    // After the run: a file output gets the rest of its content and is made durable.
    Result<> finish();
    // Writes an output in place, or gives a finished file its name; returns its path.
    Result<std::string> commit();
    const OutputTarget& target() const { return target_; }

  private:
    OutputTarget target_;
    Producer producer_;
    PendingFile file_;
};

// Prepares every output, then, once the run is done, finishes the files in list order
// (the table before the result, so that a full disk stops the run before the result is
// in place) and commits them: what is written in place first, then the new numbered
// files, then the replaced ones; a failure removes the numbered files made before it.
// savedNumbered is told the path of a numbered file once it is in place.
Result<> prepareAll(std::list<PlannedOutput>& outputs);
Result<> finishAll(std::list<PlannedOutput>& outputs);
Result<> commitAll(std::list<PlannedOutput>& outputs,
                   const std::function<void(const std::string&)>& savedNumbered);

}  // namespace lodra::batch
