#pragma once

// A file that is never seen half-written and that cannot outlive the program: its bytes go
// to an unnamed file in the folder it will end up in, which gets its name only when
// complete. Where the file system has no unnamed files, a hidden named one is used instead.

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "files/fdwriter.h"

namespace lodra {

// Asked before each link and rename that puts a file in place: an error number makes that
// step fail as if the system had said it (a test walks a failure through every step); 0
// lets it run.
using StepSeam = std::function<int()>;

// Opens folder for the calls made relative to it (without the right to read it); a path
// longer than the system takes at once is followed one folder at a time. -1 and errno
// when it cannot be opened.
int openFolder(const std::string& folder);

// A hidden file name (".lodra05-", the number of this process, '-' and ten letters). The
// process number tells a later run whether the file's maker is still running.
std::string hiddenFileName();

// Removes the hidden files that runs which have ended left in the folder (a program killed
// while it put its files in place): only those whose process is gone and which no process
// holds locked, so that the file of a run still going, here or on another machine sharing
// the folder, is never touched.
void removeStaleHiddenFiles(int folder);

// Holds a hidden file locked while it lives, which removeStaleHiddenFiles respects; false
// when the file system has no locks (the process number still guards the file).
bool lockHidden(int fd);
// Opens the regular file name of the folder (no link followed) and locks it: the open file,
// or -1 when it cannot be opened or another process holds it locked.
int openLocked(int folder, const std::string& name);

// Opens an unnamed file in the folder; where the file system has none, a hidden named one,
// locked, whose name goes to named (or which is removed at once when named is null). -1
// and errno when neither can be made.
int openUnnamed(int folder, mode_t mode, std::string* named);

class PendingFile {
  public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile();

    // Opens the file in folder, first removing what ended runs left there; what names the
    // file in messages about writing it.
    Result<> create(const std::string& folder, const std::string& what);
    Result<> write(std::string_view bytes) { return writer_.write(bytes); }
    FdWriter& writer() { return writer_; }
    // The permission bits the file gets (those of a file it replaces); else those of any
    // new file.
    void keepMode(mode_t mode) { mode_ = mode; }

    // Writes out everything and makes it durable, so that a full disk shows before any
    // file is put in place. The commits finish the file themselves when not done before.
    Result<> finish();
    // Puts the complete file in place under path (a name in the folder it was created in),
    // replacing a regular file of that name.
    Result<> commitReplacing(const std::string& path);
    // Finishes the file and gives it a hidden name in its folder, which it returns (the name
    // alone); the file stays open and locked until discard(). path names the file in a
    // message.
    Result<std::string> stage(const std::string& path, const StepSeam& seam = {});
    // Gives the file the name (in its folder) if nothing has it; the errno of the failure,
    // else 0.
    [[nodiscard]] int linkAs(const std::string& name);
    // Closes the file and removes it, if it has not been put in place.
    void discard();
    // The folder, open, for the calls made relative to it; -1 before create().
    int folder() const { return folderFd_; }
    const std::string& folderPath() const { return folder_; }

  private:
    std::string folder_;
    int folderFd_ = -1;
    std::string namedPath_;  // the hidden name, where the file system has no unnamed files
    bool finished_ = false;
    mode_t mode_ = 0;
    FdWriter writer_;
};

// An unnamed temporary file (in TMPDIR, else /tmp) that is written once and read back; like
// a pending file it falls back to a hidden named one, removed at once.
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

}  // namespace lodra
