#include "files/fdwriter.h"

#include <unistd.h>

#include <cerrno>
#include <string>

namespace lodra {

namespace {

constexpr std::size_t kBufferBytes = std::size_t{1} << 18;

}  // namespace

std::string systemErrorText(int error) {
    static constexpr struct {
        int error;
        const char* text;
    } kTexts[] = {
        {EACCES, "behörighet saknas"},
        {EPERM, "behörighet saknas"},
        {ENOENT, "mappen eller filen finns inte"},
        {ENOTDIR, "en del av sökvägen är ingen mapp"},
        {EISDIR, "det är en mapp"},
        {EEXIST, "det finns redan en fil med det namnet"},
        {ENOSPC, "disken är full"},
        {EDQUOT, "diskkvoten är slut"},
        {EROFS, "filsystemet är skrivskyddat"},
        {EBUSY, "filen eller enheten används av systemet"},
        {EMFILE, "programmet har för många filer öppna"},
        {ENFILE, "systemet har för många filer öppna"},
        {ENAMETOOLONG, "sökvägen är för lång"},
        {ELOOP, "för många symboliska länkar i sökvägen"},
        {EXDEV, "filerna ligger i olika filsystem"},
        {EIO, "in- eller utmatningsfel"},
        {EFBIG, "filen blir större än tillåtet"},
        {ETXTBSY, "filen är ett program som körs"},
        {EINVAL, "filen går inte att använda så"},
        {ENOMEM, "minnet räcker inte"},
        {EAGAIN, "filen är tillfälligt upptagen, försök igen"},
        {EPIPE, "mottagaren har slutat läsa"},
        {EBADF, "filen är stängd"},
        {ENXIO, "ingen läser i andra änden"},
        {EMLINK, "filen har för många länkar"},
        {ENOTEMPTY, "mappen är inte tom"},
    };
    for (const auto& entry : kTexts) {
        if (entry.error == error) {
            return entry.text;
        }
    }
    return "systemfel nummer " + std::to_string(error);
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
