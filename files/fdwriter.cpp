#include "files/fdwriter.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "files/errortext.h"

namespace lodra {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 18;

}  // namespace

Result<> FdWriter::failed() const {
    return systemFailure("skriva", what_, error_);
}

Result<> FdWriter::write(std::string_view bytes) {
    if (error_ != 0) {
        return failed();
    }
    // The buffer is filled to the brim before it is written, so that the writes of a new
    // file cover whole pages: a write that ends inside a page makes the system zero and
    // later fill the rest of it.
    while (buffer_.size() + bytes.size() >= kBufferBytes) {
        const std::size_t room = kBufferBytes - buffer_.size();
        buffer_.append(bytes.substr(0, room));
        bytes.remove_prefix(room);
        if (Result<> flushed = flush(); !flushed) {
            return flushed;
        }
    }
    buffer_.append(bytes);
    return {};
}

Result<> FdWriter::flush() {
    if (error_ != 0) {
        return failed();
    }
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            return failed();
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return {};
}

}  // namespace lodra
