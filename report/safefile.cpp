#include "report/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "report/resultfile.h"

namespace lodra {

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

std::string inQuotes(const std::string& s) {
    return "\"" + s + "\"";
}

// A temporary file from a mkstemp pattern, opened for reading and writing.
int makeTemporary(std::string& path) {
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd >= 0) {
        path.assign(name.data());
    }
    return fd;
}

// The temporary files that a signal must remove, kept where a signal handler can read them.
constexpr int kSignalSlots = 4;
constexpr std::size_t kSlotBytes = 4096;
char gTemporary[kSignalSlots][kSlotBytes];
volatile std::sig_atomic_t gTemporaryUsed[kSignalSlots];

extern "C" void removeTemporaryFilesAndEnd(int signal) {
    for (int i = 0; i < kSignalSlots; ++i) {
        if (gTemporaryUsed[i] != 0) {
            ::unlink(gTemporary[i]);
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int registerTemporary(const std::string& path) {
    if (path.size() >= kSlotBytes) {
        return -1;
    }
    for (int i = 0; i < kSignalSlots; ++i) {
        if (gTemporaryUsed[i] == 0) {
            std::memcpy(gTemporary[i], path.c_str(), path.size() + 1);
            gTemporaryUsed[i] = 1;
            return i;
        }
    }
    return -1;
}

// Gives the complete temporary file the name path only if no file has it: a hard link, or
// on a file system without them a claimed name that the file is renamed over. Returns 0 or
// the errno of the failure (EEXIST when the name is taken).
int placeExclusively(const std::string& tempPath, const std::string& path) {
    if (::link(tempPath.c_str(), path.c_str()) == 0) {
        ::unlink(tempPath.c_str());
        return 0;
    }
    const int error = errno;
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP && error != EMLINK) {
        return error;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(path.c_str());
        return renameError;
    }
    return 0;
}

}  // namespace

void removeTemporaryFilesOnSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(signal, removeTemporaryFilesAndEnd);
    }
}

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
        default:
            return std::strerror(error);
    }
}

bool FdWriter::write(std::string_view bytes) {
    if (error_ != 0) {
        return false;
    }
    if (buffer_.size() + bytes.size() > kBufferBytes) {
        if (!flush()) {
            return false;
        }
        if (bytes.size() >= kBufferBytes) {
            buffer_.assign(bytes);
            return flush();
        }
    }
    buffer_.append(bytes);
    return true;
}

bool FdWriter::flush() {
    if (error_ != 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return true;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

bool PendingFile::create(const std::string& folder, std::string& message) {
    discard();
    folder_ = folder;
    tempPath_ = (folder == "/" ? std::string() : folder) + "/.lodra05-XXXXXX";
    const int fd = makeTemporary(tempPath_);
    if (fd < 0) {
        const int error = errno;
        tempPath_.clear();
        message = "Kunde inte skapa en fil i mappen " + inQuotes(folder) + ": " +
                  systemErrorText(error) + ".";
        return false;
    }
    // mkstemp makes the file private; give it the mode of any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    writer_ = FdWriter(fd);
    signalSlot_ = registerTemporary(tempPath_);
    return true;
}

bool PendingFile::finish(const std::string& what, std::string& message) {
    if (writer_.fd() < 0) {
        if (tempPath_.empty()) {
            message = "Kunde inte skriva " + what + ".";
            return false;
        }
        return true;  // finished before
    }
    int error = 0;
    if (!writer_.flush()) {
        error = writer_.error();
    } else if (::fsync(writer_.fd()) != 0 && errno != EINVAL) {
        error = errno;
    }
    if (::close(writer_.fd()) != 0 && error == 0 && errno != EINTR) {
        error = errno;
    }
    writer_.setFd(-1);
    if (error != 0) {
        message = "Kunde inte skriva " + what + ": " + systemErrorText(error) + ".";
        discard();
        return false;
    }
    return true;
}

bool PendingFile::commitReplacing(const std::string& path, std::string& message) {
    if (!finish(inQuotes(path), message)) {
        return false;
    }
    if (::rename(tempPath_.c_str(), path.c_str()) != 0) {
        const int error = errno;
        message = "Kunde inte spara " + inQuotes(path) + ": " + systemErrorText(error) + ".";
        discard();
        return false;
    }
    tempPath_.clear();
    discard();
    return true;
}

bool PendingFile::commitNumbered(std::string& path, std::string& message) {
    if (!finish("resultatfilen i mappen " + inQuotes(folder_), message)) {
        return false;
    }
    // Another program may take a number between the listing and the link: try the next.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const NumberResult next = nextResultNumber(folder_);
        if (!next.error.empty()) {
            message = next.error;
            discard();
            return false;
        }
        path = resultFilePath(folder_, next.number);
        const int error = placeExclusively(tempPath_, path);
        if (error == 0) {
            tempPath_.clear();
            discard();
            return true;
        }
        if (error != EEXIST) {
            message = "Kunde inte spara " + inQuotes(path) + ": " + systemErrorText(error) + ".";
            discard();
            return false;
        }
    }
    message = "Kunde inte hitta ett ledigt filnummer i mappen " + inQuotes(folder_) + ".";
    discard();
    return false;
}

void PendingFile::discard() {
    if (writer_.fd() >= 0) {
        ::close(writer_.fd());
        writer_.setFd(-1);
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
    if (signalSlot_ >= 0) {
        gTemporaryUsed[signalSlot_] = 0;
        signalSlot_ = -1;
    }
}

}  // namespace lodra
