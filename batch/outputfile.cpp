#include "batch/outputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "base/quote.h"
#include "files/resultfile.h"

namespace lodra::batch {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunkBytes = 1 << 16;

std::string tempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

// An unnamed file in folder, or a named one removed at once where the file system has no
// unnamed files.
int openAnonymous(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
        return fd;
    }
    std::string path = folder + "/lodra05-batch-spool-XXXXXX";
    const int named = ::mkostemp(path.data(), O_CLOEXEC);
    if (named >= 0) {
        ::unlink(path.c_str());
    }
    return named;
}

Error cannotWrite(const std::string& shown, int error) {
    return systemFailure("skriva", shown, error);
}

bool isStream(mode_t mode) {
    return S_ISCHR(mode) || S_ISFIFO(mode);
}

Result<OutputTarget> standardOutput() {
    if (Result<> usable = standardOutputWritable(); !usable) {
        return usable.error();
    }
    OutputTarget target;
    target.kind = OutputTarget::Kind::InPlace;
    target.shown = "resultatet";
    target.fd = STDOUT_FILENO;
    return target;
}

Result<OutputTarget> numberedInCurrentFolder() {
    std::error_code ec;
    const fs::path folder = fs::current_path(ec);
    if (ec) {
        return systemFailure("läsa mappen", inQuotes("."), ec.value());
    }
    OutputTarget target;
    target.folder = folder.string();
    target.shown = "resultatfilen i mappen " + inQuotes(target.folder);
    return target;
}

// A file that exists: a regular one is replaced where it is (through any links), a
// device or FIFO is written into, anything else is refused.
Result<OutputTarget> existingTarget(OutputTarget target, const struct stat& st) {
    if (S_ISDIR(st.st_mode)) {
        return cannotWrite(target.shown, EISDIR);
    }
    if (isStream(st.st_mode)) {
        const int fd = ::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            return cannotWrite(target.shown, errno);
        }
        target.kind = OutputTarget::Kind::InPlace;
        target.fd = fd;
        return target;
    }
    if (!S_ISREG(st.st_mode)) {
        return fail("Kunde inte skriva " + target.shown + ": det är ingen vanlig fil.");
    }
    if (::access(target.path.c_str(), W_OK) != 0) {
        return cannotWrite(target.shown, errno);
    }
    std::error_code ec;
    target.path = fs::canonical(target.path, ec).string();
    if (ec) {
        return cannotWrite(target.shown, ec.value());
    }
    target.mode = st.st_mode & 07777;
    target.folder = fs::path(target.path).parent_path().string();
    return target;
}

}  // namespace

Result<> standardOutputWritable() {
    const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) {
        return fail("Standardutmatningen är stängd eller går inte att skriva i.");
    }
    return {};
}

SpoolFile::~SpoolFile() {
    if (writer_.fd() >= 0) {
        ::close(writer_.fd());
    }
}

Result<> SpoolFile::create() {
    const std::string folder = tempFolder();
    const int fd = openAnonymous(folder);
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
            ::copy_file_range(writer_.fd(), &offset, out.fd(), nullptr, kChunkBytes * 16, 0);
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
    std::vector<char> chunk(kChunkBytes);
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

Result<OutputTarget> findTarget(const std::optional<std::string>& argument) {
    if (!argument) {
        return numberedInCurrentFolder();
    }
    if (*argument == "-") {
        return standardOutput();
    }
    OutputTarget target;
    target.kind = OutputTarget::Kind::Replacing;
    target.shown = inQuotes(*argument);
    target.path = *argument;
    struct stat st {};
    if (::stat(argument->c_str(), &st) == 0) {
        return existingTarget(std::move(target), st);
    }
    if (errno != ENOENT) {
        return cannotWrite(target.shown, errno);
    }
    if (::lstat(argument->c_str(), &st) == 0) {
        return fail("Kunde inte skriva " + target.shown +
                    ": länken pekar på en fil som inte finns.");
    }
    const std::string folder = fs::path(*argument).parent_path().string();
    target.folder = folder.empty() ? "." : folder;
    return target;
}

bool sameFile(const std::string& a, const std::string& b) {
    if (a == "-" || b == "-") {
        return false;
    }
    struct stat sa {};
    struct stat sb {};
    const bool aExists = ::stat(a.c_str(), &sa) == 0;
    const bool bExists = ::stat(b.c_str(), &sb) == 0;
    if (aExists && bExists) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino && !isStream(sa.st_mode);
    }
    std::error_code ea;
    std::error_code eb;
    const fs::path pa = fs::weakly_canonical(fs::absolute(a, ea), ea);
    const fs::path pb = fs::weakly_canonical(fs::absolute(b, eb), eb);
    return !ea && !eb && pa == pb;
}

PlannedOutput::~PlannedOutput() {
    if (target_.kind == OutputTarget::Kind::InPlace && target_.fd > STDERR_FILENO) {
        ::close(target_.fd);
    }
}

Result<> PlannedOutput::prepare() {
    if (target_.kind == OutputTarget::Kind::InPlace) {
        return {};
    }
    if (target_.kind == OutputTarget::Kind::Numbered) {
        // A folder whose numbers are used up is known before the run.
        if (Result<ResultNumbers> numbers = listResultNumbers(target_.folder); !numbers) {
            return numbers.error();
        }
    }
    Result<> created = file_.create(target_.folder, target_.shown);
    file_.keepMode(target_.mode);
    return created;
}

FdWriter* PlannedOutput::fileWriter() {
    return target_.kind == OutputTarget::Kind::InPlace ? nullptr : &file_.writer();
}

Result<> PlannedOutput::finish() {
    if (target_.kind == OutputTarget::Kind::InPlace) {
        return {};
    }
    if (Result<> written = producer_(file_.writer()); !written) {
        return written;
    }
    return file_.finish();
}

Result<std::string> PlannedOutput::commit() {
    switch (target_.kind) {
        case OutputTarget::Kind::InPlace: {
            FdWriter out(target_.fd, target_.shown);
            Result<> written = producer_(out);
            if (written) {
                written = out.flush();
            }
            if (!written) {
                return written.error();
            }
            return std::string();
        }
        case OutputTarget::Kind::Replacing:
            if (Result<> replaced = file_.commitReplacing(target_.path); !replaced) {
                return replaced.error();
            }
            return target_.path;
        case OutputTarget::Kind::Numbered:
            break;
    }
    return file_.commitNumbered();
}

Result<> prepareAll(std::list<PlannedOutput>& outputs) {
    for (PlannedOutput& output : outputs) {
        if (Result<> prepared = output.prepare(); !prepared) {
            return prepared;
        }
    }
    return {};
}

Result<> finishAll(std::list<PlannedOutput>& outputs) {
    for (PlannedOutput& output : outputs) {
        if (Result<> finished = output.finish(); !finished) {
            return finished;
        }
    }
    return {};
}

Result<> commitAll(std::list<PlannedOutput>& outputs,
                   const std::function<void(const std::string&)>& savedNumbered) {
    using Kind = OutputTarget::Kind;
    // Replacing comes last: a replaced file cannot be had back, a new numbered one can be
    // removed again when a later commit fails.
    std::vector<std::string> created;
    for (const Kind kind : {Kind::InPlace, Kind::Numbered, Kind::Replacing}) {
        for (PlannedOutput& output : outputs) {
            if (output.target().kind != kind) {
                continue;
            }
            Result<std::string> path = output.commit();
            if (!path) {
                for (const std::string& made : created) {
                    ::unlink(made.c_str());
                }
                return path.error();
            }
            if (kind == Kind::Numbered) {
                created.push_back(*path);
            }
        }
    }
    for (const std::string& path : created) {
        savedNumbered(path);
    }
    return {};
}

}  // namespace lodra::batch
