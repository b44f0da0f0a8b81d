#pragma once

// The files of a batch run. Everything the run writes waits in spool files that have no name
// at all; the outputs are checked before the first calculation and produced from the spools
// at the end, all of them complete before any is put in place. A new output is one more
// entry in the list of planned outputs.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "files/fdwriter.h"
#include "files/filestate.h"
#include "files/outputcommit.h"
#include "files/pendingfile.h"

namespace lodra {

// Where an output goes, as found before the run.
struct OutputTarget {
    enum class Kind {
        Numbered,   // the next free "Result" + N + ".txt" of folder
        Replacing,  // the regular file path (links followed), replaced when complete
        InPlace,    // standard output, a device or a FIFO: written into at the end
    };
    Kind kind = Kind::Numbered;
    std::string shown;   // the file as the user named it, quoted, for messages
    std::string path;    // Replacing: the file replaced; Numbered: fixed by prepare(); a FIFO
    std::string folder;  // Numbered, Replacing: where the file is made
    mode_t mode = 0;     // Replacing an existing file: its permission bits
    int fd = -1;         // InPlace: where to write (a FIFO: opened when written)
};

// The target of "--output" (std::nullopt: a numbered file in the current folder; "-":
// standard output) or of another named output. Refuses a folder, a dangling link, a file
// that cannot be written, and a closed standard output.
Result<OutputTarget> findTarget(const std::optional<std::string>& argument);

// Standard output is open for writing (a closed one is refused before the run).
Result<> standardOutputWritable();

// A standard stream that is closed is held by /dev/null opened for reading, so that no file
// of the run gets its number and writing to it fails instead of going into that file.
void holdClosedStandardStreams();

// Whether an output argument names standard output: "-", /dev/stdout, /dev/fd/1 or
// /proc/self/fd/1.
bool isStandardOutput(const std::string& argument);

// What tells one file from another.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
// Standard output when it is a regular file, which an output or the stand file may then be.
std::optional<FileIdentity> standardOutputFile();
// The file open as fd when it is a regular file (standard error, say).
std::optional<FileIdentity> regularFileOf(int fd);
// The file at path, followed through links; none for a missing file, a device or a FIFO.
std::optional<FileIdentity> identityOf(const std::string& path);

// Whether two paths name the same file: the same device and inode once it exists, the same
// resolved path otherwise. Standard output, devices and FIFOs are never the same file.
bool sameFile(const std::string& a, const std::string& b);

// A numbered file once in place: its path, and the path fixed before the run when another
// program took that one first.
struct SavedNumbered {
    std::string path;
    std::optional<std::string> taken;
};
// Told of each numbered file before the commit is final; a failure (its path could not be
// shown) undoes the commit.
using SavedNumberedNotice = std::function<Result<>(const SavedNumbered&)>;

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
    // claimed: the paths of the files the run replaces, which a numbered file never takes.
    Result<> prepare(const std::vector<std::string>& claimed);
    // After prepare(): the file being made, which may be written into during the run (it
    // has no name until it is committed); null for an output written in place at the end.
    FdWriter* fileWriter();
    // After the run: a file output gets the rest of its content and is made durable.
    Result<> finish();
    // Opens a FIFO that is written in place, which waits for a reader; else nothing.
    Result<> openInPlace();
    // Gives a finished file its name, as part of commit, or writes an output in place. A
    // numbered file whose name another program took first gets the next free number.
    Result<> commit(OutputCommit& commit);
    const OutputTarget& target() const { return target_; }
    // A numbered file, after commit().
    SavedNumbered saved() const { return {target_.path, takenFirst_}; }

  private:
    Result<> writeInPlace();

    OutputTarget target_;
    Producer producer_;
    PendingFile file_;
    std::vector<std::string> claimed_;       // names a numbered file never takes
    std::optional<std::string> takenFirst_;  // the numbered name another program took
};

// Prepares every output (a numbered file's name is fixed then, past every name another
// output claims), then, once the run is done, finishes the files in list order (the table
// before the result, so that a full disk stops the run before the result is in place) and
// commits them as one: the numbered files, the replaced ones, then what is written in
// place; a failure puts every file back as it was. seam is asked before each link and
// rename; savedNumbered is told of each numbered file once all are in place. SIGINT,
// SIGTERM and SIGHUP wait while the files are put in place (the run's other threads have
// ended by then), and take effect once every file is in place or put back; what is written
// in place may wait on its reader and can still be interrupted.
Result<> prepareAll(std::list<PlannedOutput>& outputs);
Result<> finishAll(std::list<PlannedOutput>& outputs);
Result<> commitAll(std::list<PlannedOutput>& outputs, const StepSeam& seam,
                   const SavedNumberedNotice& savedNumbered);

}  // namespace lodra
