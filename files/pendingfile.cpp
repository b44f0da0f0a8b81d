#include "files/pendingfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "base/quote.h"
#include "files/errortext.h"

namespace lodra {

int openFolder(const std::string& folder) {
    constexpr int kFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    const int fd = ::open(folder.c_str(), kFlags);
    if (fd >= 0 || errno != ENAMETOOLONG) {
        return fd;
    }
    // One folder at a time, each name short enough by itself.
    int at = ::open(folder.starts_with('/') ? "/" : ".", kFlags);
    std::size_t from = 0;
    while (at >= 0 && from < folder.size()) {
        std::size_t to = folder.find('/', from);
        to = to == std::string::npos ? folder.size() : to;
        if (to > from) {
            const std::string part = folder.substr(from, to - from);
            const int next = ::openat(at, part.c_str(), kFlags);
            const int error = errno;
            ::close(at);
            at = next;
            errno = error;
        }
        from = to + 1;
    }
    return at;
}

namespace {

constexpr std::string_view kHiddenPrefix = ".lodra05-";

// The process that made a hidden file, from its name; none for any other name.
std::optional<pid_t> hiddenFileMaker(std::string_view name) {
    if (!name.starts_with(kHiddenPrefix)) {
        return std::nullopt;
    }
    name.remove_prefix(kHiddenPrefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || pid <= 0 || name.substr(end - name.data()).size() != 11 ||
        *end != '-') {
        return std::nullopt;
    }
    return pid;
}

// Whether a hidden file's maker has provably ended: no process has its number.
bool makerEnded(pid_t pid) {
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

bool lacksUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Links the named file temp to name in the folder, never replacing anything: a hard link,
// or on a file system without them a claimed name that temp is renamed over. Returns 0 or
// the errno.
int placeNamed(int folder, const std::string& temp, const std::string& name) {
    if (::linkat(folder, temp.c_str(), folder, name.c_str(), 0) == 0) {
        ::unlinkat(folder, temp.c_str(), 0);
        return 0;
    }
    const int error = errno;
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP && error != EMLINK) {
        return error;
    }
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    if (::renameat(folder, temp.c_str(), folder, name.c_str()) != 0) {
        const int renameError = errno;
        ::unlinkat(folder, name.c_str(), 0);
        return renameError;
    }
    return 0;
}

// The name of path inside its folder.
std::string leafName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

std::string hiddenFileName() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = std::string(kHiddenPrefix) + std::to_string(::getpid()) + "-";
    for (int i = 0; i < 10; ++i) {
        name += kLetters[pick(device)];
    }
    return name;
}

bool lockHidden(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

int openLocked(int folder, const std::string& name) {
    // For writing where that is allowed: some network file systems lock only such files.
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::openat(folder, name.c_str(), O_RDWR | kFlags);
    if (fd < 0) {
        fd = ::openat(folder, name.c_str(), O_RDONLY | kFlags);
    }
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !lockHidden(fd))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void removeStaleHiddenFiles(int folder) {
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (dir == nullptr) {
        if (listing >= 0) {
            ::close(listing);
        }
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::optional<pid_t> maker = hiddenFileMaker(entry->d_name);
        if (!maker || !makerEnded(*maker)) {
            continue;
        }
        if (const int fd = openLocked(folder, entry->d_name); fd >= 0) {
            ::unlinkat(folder, entry->d_name, 0);
            ::close(fd);
        }
    }
    ::closedir(dir);
}

int openUnnamed(int folder, mode_t mode, std::string* named) {
    const int fd = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (fd >= 0 || !lacksUnnamedFiles(errno)) {
        return fd;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = hiddenFileName();
        const int made =
            ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (made >= 0) {
            lockHidden(made);
            if (named != nullptr) {
                *named = name;
            } else {
                ::unlinkat(folder, name.c_str(), 0);
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

PendingFile::~PendingFile() {
    discard();
    if (folderFd_ >= 0) {
        ::close(folderFd_);
    }
}

Result<> PendingFile::create(const std::string& folder, const std::string& what) {
    discard();
    if (folderFd_ >= 0) {
        ::close(folderFd_);
    }
    folder_ = folder;
    finished_ = false;
    mode_ = 0;
    folderFd_ = openFolder(folder);
    int fd = -1;
    if (folderFd_ >= 0) {
        removeStaleHiddenFiles(folderFd_);
        fd = openUnnamed(folderFd_, 0666, &namedPath_);
    }
    if (fd < 0) {
        return systemFailure("skapa en fil i mappen", inQuotes(folder), errno);
    }
    // Locked while it lives: once it has a hidden name, no other run takes it for a leftover.
    lockHidden(fd);
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

int PendingFile::linkAs(const std::string& name) {
    if (!namedPath_.empty()) {
        const int error = placeNamed(folderFd_, namedPath_, name);
        if (error == 0) {
            namedPath_.clear();
        }
        return error;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(writer_.fd());
    if (::linkat(AT_FDCWD, self.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return 0;
    }
    const int error = errno;
    if (error != ENOENT) {
        return error;
    }
    // No /proc: the descriptor itself, which needs the right to do so.
    if (::linkat(writer_.fd(), "", folderFd_, name.c_str(), AT_EMPTY_PATH) == 0) {
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
        const std::string name = hiddenFileName();
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
    if (temp.empty()) {
        discard();
        return systemFailure("spara", inQuotes(path), EEXIST);
    }
    return temp;
}

Result<> PendingFile::commitReplacing(const std::string& path) {
    Result<std::string> temp = stage(path);
    if (!temp) {
        return temp.error();
    }
    const int renamed = ::renameat(folderFd_, temp->c_str(), folderFd_, leafName(path).c_str());
    const int error = errno;
    if (renamed != 0) {
        ::unlinkat(folderFd_, temp->c_str(), 0);
    }
    discard();
    return renamed == 0 ? Result<>() : systemFailure("spara", inQuotes(path), error);
}

void PendingFile::discard() {
    if (writer_.fd() >= 0) {
        ::close(writer_.fd());
        writer_ = FdWriter();
    }
    if (!namedPath_.empty()) {
        ::unlinkat(folderFd_, namedPath_.c_str(), 0);
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
    const int at = openFolder(folder);
    const int fd = at >= 0 ? openUnnamed(at, 0600, nullptr) : -1;
    const int error = errno;
    if (at >= 0) {
        ::close(at);
    }
    errno = error;
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
