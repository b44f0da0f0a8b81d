#include "files/fdwriter.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lodra {

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

}  // namespace

std::string systemErrorText(int error) {
    switch (error) {
        case ENOSPC:
            return "disken är full";
        case EDQUOT:
            return "diskkvoten är slut";
        case EFBIG:
            return "filen blir större än tillåtet";
        case EACCES:
        case EPERM:
            return "behörighet saknas";
        case EROFS:
            return "filsystemet är skrivskyddat";
        case ENOENT:
            return "mappen eller filen finns inte";
        case ENOTDIR:
            return "en del av sökvägen är ingen mapp";
        case EISDIR:
            return "det är en mapp";
        case EIO:
            return "in- eller utmatningsfel";
        case EPIPE:
            return "mottagaren har slutat läsa";
        case ENAMETOOLONG:
            return "sökvägen är för lång";
        case ELOOP:
            return "för många symboliska länkar i sökvägen";
        case EBADF:
            return "filen är stängd";
        default:
            return std::strerror(error);
    }
}

Error systemFailure(const std::string& action, const std::string& what, int error) {
    return fail("Kunde inte " + action + " " + what + ": " + systemErrorText(error) + ".");
}

Result<> FdWriter::failed() const {
    return systemFailure("skriva", what_, error_);
}

Result<> FdWriter::write(std::string_view bytes) {
    if (error_ != 0) {
        return failed();
    }
    if (buffer_.size() + bytes.size() > kBufferBytes) {
        if (Result<> flushed = flush(); !flushed) {
            return flushed;
        }
        if (bytes.size() >= kBufferBytes) {
            buffer_.assign(bytes);
            return flush();
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
