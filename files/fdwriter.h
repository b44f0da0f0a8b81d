#pragma once

// Buffered writing to an open file descriptor.

#include <string>
#include <string_view>

#include "base/result.h"

namespace lodra {

// Writes through a buffer of 256 kB, in whole buffers. The first failure stays: every later write
// and flush returns it again, so that a file with a gap in it is never taken for complete.
class FdWriter {
  public:
    FdWriter() = default;
    // what names the file in messages ("\"ut.txt\"", "resultatet").
    FdWriter(int fd, std::string what) : fd_(fd), what_(std::move(what)) {}

    Result<> write(std::string_view bytes);
    Result<> flush();
    int fd() const { return fd_; }
    const std::string& what() const { return what_; }

  private:
    Result<> failed() const;

    int fd_ = -1;
    std::string what_;
    int error_ = 0;  // errno of the first failure
    std::string buffer_;
};

}  // namespace lodra
