#pragma once

// The spool files of the batch tool: the texts of a long run wait in files that have no name
// at all, so that a register of any length runs in little memory.

#include <string>
#include <string_view>

#include "report/safefile.h"

namespace lodra::batch {

// An unnamed temporary file (in TMPDIR, else /tmp) that is written once and read back.
class SpoolFile {
  public:
    SpoolFile() = default;
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;
    ~SpoolFile();

    bool create(std::string& message);
    bool write(std::string_view bytes) { return writer_.write(bytes); }
    bool flush() { return writer_.flush(); }
    int error() const { return writer_.error(); }
    const std::string& folder() const { return folder_; }
    // Copies everything written so far to out. False when reading the spool or writing
    // out fails (then out.error() or error() tells which).
    bool copyTo(FdWriter& out);

  private:
    FdWriter writer_;
    std::string folder_;
};

}  // namespace lodra::batch
