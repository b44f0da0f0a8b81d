#pragma once

// A file that is never seen half-written and that cannot outlive the program: its bytes go
// to an unnamed file in the folder it will end up in, which gets its name only when
// complete. Where the file system has no unnamed files, a hidden named one is used instead.

#include <sys/types.h>

#include <string>
#include <string_view>

#include "base/result.h"
#include "files/fdwriter.h"

namespace lodra {

class PendingFile {
  public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    ~PendingFile() { discard(); }

    // Opens the file in folder; what names it in messages about writing it.
    Result<> create(const std::string& folder, const std::string& what);
    Result<> write(std::string_view bytes) { return writer_.write(bytes); }
    FdWriter& writer() { return writer_; }
    // The permission bits the file gets (those of a file it replaces); else those of any
    // new file.
    void keepMode(mode_t mode) { mode_ = mode; }

    // Writes out everything and makes it durable, so that a full disk shows before any
    // file is put in place. The commits finish the file themselves when not done before.
    Result<> finish();
    // Puts the complete file in place under path, replacing a regular file of that name.
    Result<> commitReplacing(const std::string& path);
    // Puts the complete file in place as the folder's next free "Result" + N + ".txt",
    // never replacing anything; returns its path.
    Result<std::string> commitNumbered();
    // Closes the file and removes it, if it has not been put in place.
    void discard();

  private:
    Result<> openNamed(const std::string& what);
    // Gives the file the name path if nothing has it; the errno of the failure, else 0.
    [[nodiscard]] int linkAs(const std::string& path);

    std::string folder_;
    std::string namedPath_;  // the hidden name, where the file system has no unnamed files
    bool finished_ = false;
    mode_t mode_ = 0;
    FdWriter writer_;
};

}  // namespace lodra
