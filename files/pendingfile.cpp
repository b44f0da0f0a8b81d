#include "files/pendingfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "base/quote.h"
#include "files/resultfile.h"

namespace lodra {

std::string hiddenFileName(const std::string& folder) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = (folder == "/" ? std::string() : folder) + "/.lodra05-";
    for (int i = 0; i < 10; ++i) {
        name += kLetters[pick(device)];
    }
    return name;
}

namespace {

bool lacksUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Links the named file temp to path, never replacing anything: a hard link, or on a file
// system without them a claimed name that temp is renamed over. Returns 0 or the errno.
int placeNamed(const std::string& temp, const std::string& path) {
    if (::link(temp.c_str(), path.c_str()) == 0) {
        ::unlink(temp.c_str());
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
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(path.c_str());
        return renameError;
    }
    return 0;
}

}  // namespace

int openUnnamed(const std::string& folder, mode_t mode, std::string* named) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (fd >= 0 || !lacksUnnamedFiles(errno)) {
        return fd;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = hiddenFileName(folder);
        const int made = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (made >= 0) {
            if (named != nullptr) {
                *named = path;
            } else {
                ::unlink(path.c_str());
            }
            return made;
        }
        if (errno != EEXIST) {
            return -1;
        }
    }
    errno = EEXIST;
    return -1;
}

Result<> PendingFile::create(const std::string& folder, const std::string& what) {
    discard();
    folder_ = folder;
    finished_ = false;
    mode_ = 0;
    const int fd = openUnnamed(folder, 0666, &namedPath_);
    if (fd < 0) {
        return systemFailure("skapa en fil i mappen", inQuotes(folder), errno);
    }
    writer_ = FdWriter(fd, what);
    return {};
}

Result<> PendingFile::finish() {
    if (finished_) {
        return {};
    }
    const std::string what = writer_.what();
    if (writer_.fd() < 0) {
        return fail("Kunde inte skriva " + what + ".");
    }
    if (Result<> written = writer_.flush(); !written) {
        discard();
        return written;
    }
    int error = 0;
    if (::fsync(writer_.fd()) != 0 && errno != EINVAL) {
        error = errno;
    } else if (mode_ != 0 && ::fchmod(writer_.fd(), mode_) != 0) {
        error = errno;
    }
    if (error != 0) {
        discard();
        return systemFailure("skriva", what, error);
    }
    finished_ = true;
    return {};
}

int PendingFile::linkAs(const std::string& path) {
    if (!namedPath_.empty()) {
        const int error = placeNamed(namedPath_, path);
        if (error == 0) {
            namedPath_.clear();
        }
        return error;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(writer_.fd());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return 0;
    }
    const int error = errno;
    if (error != ENOENT) {
        return error;
    }
    // No /proc: the descriptor itself, which needs the right to do so.
    if (::linkat(writer_.fd(), "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0) {
        return 0;
    }
    return error;
}

Result<std::string> PendingFile::stage(const std::string& path, const StepSeam& seam) {
    if (Result<> finished = finish(); !finished) {
        return finished.error();
    }
    std::string temp = std::exchange(namedPath_, {});
    for (int attempt = 0; temp.empty() && attempt < 100; ++attempt) {
        const std::string name = hiddenFileName(folder_);
        int error = seam ? seam() : 0;
        if (error == 0) {
            error = linkAs(name);
        }
        if (error == 0) {
            temp = name;
        } else if (error != EEXIST) {
            discard();
            return systemFailure("spara", inQuotes(path), error);
        }
    }
    discard();
    return temp;
}

Result<> PendingFile::commitReplacing(const std::string& path) {
    Result<std::string> temp = stage(path);
    if (!temp) {
        return temp.error();
    }
    if (::rename(temp->c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp->c_str());
        return systemFailure("spara", inQuotes(path), error);
    }
    return {};
}

Result<std::string> PendingFile::commitNumbered() {
    if (Result<> finished = finish(); !finished) {
        return finished.error();
    }
    Result<ResultNumbers> numbers = listResultNumbers(folder_);
    if (!numbers) {
        discard();
        return numbers.error();
    }
    // Another program may take a number between the listing and the link: try the next.
    for (int number = numbers->highest + 1; number <= kHighestResultNumber; ++number) {
        if (numbers->taken(number)) {
            continue;
        }
        std::string path = resultFilePath(folder_, number);
        const int error = linkAs(path);
        if (error == 0) {
            discard();
            return path;
        }
        if (error != EEXIST) {
            discard();
            return systemFailure("spara", inQuotes(path), error);
        }
    }
    discard();
    return fail("Kunde inte hitta ett ledigt filnummer i mappen " + inQuotes(folder_) + ".");
}

void PendingFile::discard() {
    if (writer_.fd() >= 0) {
        ::close(writer_.fd());
        writer_ = FdWriter();
    }
    if (!namedPath_.empty()) {
        ::unlink(namedPath_.c_str());
        namedPath_.clear();
    }
}

namespace {

constexpr std::size_t kSpoolChunk = 1 << 16;

}  // namespace

SpoolFile::~SpoolFile() {
    if (writer_.fd() >= 0) {
        ::close(writer_.fd());
    }
}

Result<> SpoolFile::create() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    const int fd = openUnnamed(folder, 0600, nullptr);
    if (fd < 0) {
        return systemFailure("skapa en tillfällig fil i mappen", inQuotes(folder), errno);
    }
    writer_ = FdWriter(fd, "en tillfällig fil i mappen " + inQuotes(folder));
    return {};
}

Result<> SpoolFile::copyTo(FdWriter& out) {
    Result<> flushed = writer_.flush();
    if (flushed) {
        flushed = out.flush();
    }
    if (!flushed) {
        return flushed;
    }
    // File to file inside the kernel, without passing the bytes through here. A pipe or a
    // device, and any failure, go on through the buffer below, which words the error.
    off_t offset = 0;
    for (;;) {
        const ssize_t n =
            ::copy_file_range(writer_.fd(), &offset, out.fd(), nullptr, kSpoolChunk * 16, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0) {
            return {};
        }
        if (n < 0) {
            break;
        }
    }
    std::vector<char> chunk(kSpoolChunk);
    for (;;) {
        const ssize_t n = ::pread(writer_.fd(), chunk.data(), chunk.size(), offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return fail("Kunde inte läsa en tillfällig fil.");
        }
        if (n == 0) {
            return {};
        }
        offset += n;
        if (Result<> written = out.write({chunk.data(), static_cast<std::size_t>(n)}); !written) {
            return written;
        }
    }
}

}  // namespace lodra
