#include "files/outputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "base/quote.h"
#include "files/errortext.h"
#include "files/outputcommit.h"
#include "files/resultfile.h"
#include "files/signalhold.h"

namespace lodra {

namespace {

namespace fs = std::filesystem;

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

// The file that path names once every link of its last part is followed. Kept as relative
// as it was given: a folder deeper than the system's path limit stays reachable.
Result<std::string> followLinks(std::string path, const std::string& shown) {
    for (int links = 0; links < 40; ++links) {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(path, ec);
        if (ec) {
            return cannotWrite(shown, ec.value());
        }
        if (!fs::is_symlink(status)) {
            return path;
        }
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) {
            return cannotWrite(shown, ec.value());
        }
        path = (target.is_absolute() ? target : fs::path(path).parent_path() / target).string();
    }
    return cannotWrite(shown, ELOOP);
}

// A file that exists: a regular one is replaced where it is (through any links), a
// device or FIFO is written into, anything else is refused.
Result<OutputTarget> existingTarget(OutputTarget target, const struct stat& st) {
    if (S_ISDIR(st.st_mode)) {
        return cannotWrite(target.shown, EISDIR);
    }
    if (isStream(st.st_mode)) {
        // A FIFO is opened only when the run writes to it, since opening it waits for a
        // reader; a device at once, which tells whether it can be written.
        target.kind = OutputTarget::Kind::InPlace;
        if (S_ISFIFO(st.st_mode)) {
            return ::access(target.path.c_str(), W_OK) == 0 ? Result<OutputTarget>(target)
                                                            : cannotWrite(target.shown, errno);
        }
        target.fd = ::open(target.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (target.fd < 0) {
            return cannotWrite(target.shown, errno);
        }
        return target;
    }
    if (!S_ISREG(st.st_mode)) {
        return fail("Kunde inte skriva " + target.shown + ": det är ingen vanlig fil.");
    }
    if (::access(target.path.c_str(), W_OK) != 0) {
        return cannotWrite(target.shown, errno);
    }
    Result<std::string> linked = followLinks(target.path, target.shown);
    if (!linked) {
        return linked.error();
    }
    target.path = std::move(*linked);
    target.mode = st.st_mode & 07777;
    const std::string folder = fs::path(target.path).parent_path().string();
    target.folder = folder.empty() ? "." : folder;
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

Result<OutputTarget> findTarget(const std::optional<std::string>& argument) {
    if (!argument) {
        return numberedInCurrentFolder();
    }
    if (isStandardOutput(*argument)) {
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

void holdClosedStandardStreams() {
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) < 0) {
            const int held = ::open("/dev/null", O_RDONLY);
            if (held >= 0 && held != fd) {
                ::dup2(held, fd);
                ::close(held);
            }
        }
    }
}

bool isStandardOutput(const std::string& argument) {
    return argument == "-" || argument == "/dev/stdout" || argument == "/dev/fd/1" ||
           argument == "/proc/self/fd/1";
}

std::optional<FileIdentity> standardOutputFile() {
    return regularFileOf(STDOUT_FILENO);
}

std::optional<FileIdentity> regularFileOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{st.st_dev, st.st_ino};
}

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || isStream(st.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{st.st_dev, st.st_ino};
}

bool sameFile(const std::string& a, const std::string& b) {
    if (isStandardOutput(a) || isStandardOutput(b)) {
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

namespace {

// Whether path names the file name in the open folder: the same file once it exists, else
// the same name in the same folder.
bool namesFileIn(int folder, const std::string& name, const std::string& path) {
    struct stat here {};
    struct stat there {};
    if (::fstatat(folder, name.c_str(), &here, 0) == 0) {
        return ::stat(path.c_str(), &there) == 0 && here.st_dev == there.st_dev &&
               here.st_ino == there.st_ino;
    }
    const std::string parent = fs::path(path).parent_path().string();
    return fs::path(path).filename() == name && ::fstat(folder, &here) == 0 &&
           ::stat(parent.empty() ? "." : parent.c_str(), &there) == 0 &&
           here.st_dev == there.st_dev && here.st_ino == there.st_ino;
}

// The numbered file's name in the open folder: the first free number above the highest
// whose name no other output of the run claims.
Result<std::string> numberedPath(int folderFd, const std::string& folder,
                                 const std::vector<std::string>& claimed) {
    Result<ResultNumbers> numbers = listResultNumbers(folderFd, folder);
    if (!numbers) {
        return numbers.error();
    }
    for (int number = numbers->highest + 1; number <= kHighestResultNumber; ++number) {
        const std::string name = resultFileName(number);
        if (!numbers->taken(number) &&
            std::none_of(claimed.begin(), claimed.end(), [&](const std::string& other) {
                return namesFileIn(folderFd, name, other);
            })) {
            return resultFilePath(folder, number);
        }
    }
    return fail("Kunde inte hitta ett ledigt filnummer i mappen " + inQuotes(folder) + ".");
}

}  // namespace

Result<> PlannedOutput::prepare(const std::vector<std::string>& claimed) {
    if (target_.kind == OutputTarget::Kind::InPlace) {
        return {};
    }
    if (Result<> created = file_.create(target_.folder, target_.shown); !created) {
        return created;
    }
    file_.keepMode(target_.mode);
    if (target_.kind == OutputTarget::Kind::Numbered) {
        claimed_ = claimed;
        Result<std::string> path = numberedPath(file_.folder(), target_.folder, claimed_);
        if (!path) {
            return path.error();
        }
        target_.path = std::move(*path);
    }
    return {};
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

Result<> PlannedOutput::commit(OutputCommit& commit) {
    switch (target_.kind) {
        case OutputTarget::Kind::InPlace:
            return writeInPlace();
        case OutputTarget::Kind::Replacing:
            return commit.replace(file_, target_.path);
        case OutputTarget::Kind::Numbered:
            break;
    }
    const std::string fixed = target_.path;
    Result<> created = commit.create(file_, target_.path, [this] {
        return numberedPath(file_.folder(), target_.folder, claimed_);
    });
    if (created && target_.path != fixed) {
        takenFirst_ = fixed;
    }
    return created;
}

Result<> PlannedOutput::openInPlace() {
    if (target_.kind == OutputTarget::Kind::InPlace && target_.fd < 0) {
        target_.fd = ::open(target_.path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (target_.fd < 0) {
            return cannotWrite(target_.shown, errno);
        }
    }
    return {};
}

Result<> PlannedOutput::writeInPlace() {
    if (Result<> opened = openInPlace(); !opened) {
        return opened;
    }
    FdWriter out(target_.fd, target_.shown);
    Result<> written = producer_(out);
    if (written) {
        written = out.flush();
    }
    return written;
}

Result<> prepareAll(std::list<PlannedOutput>& outputs) {
    std::vector<std::string> claimed;
    for (const PlannedOutput& output : outputs) {
        if (output.target().kind == OutputTarget::Kind::Replacing) {
            claimed.push_back(output.target().path);
        }
    }
    for (PlannedOutput& output : outputs) {
        if (Result<> prepared = output.prepare(claimed); !prepared) {
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

namespace {

using Kind = OutputTarget::Kind;

Result<> commitKind(std::list<PlannedOutput>& outputs, OutputCommit& commit, Kind kind) {
    for (PlannedOutput& output : outputs) {
        if (output.target().kind != kind) {
            continue;
        }
        if (Result<> committed = output.commit(commit); !committed) {
            return committed;
        }
    }
    return {};
}

Result<> tellSaved(const std::list<PlannedOutput>& outputs,
                   const SavedNumberedNotice& savedNumbered) {
    for (const PlannedOutput& output : outputs) {
        if (output.target().kind != Kind::Numbered) {
            continue;
        }
        if (Result<> told = savedNumbered(output.saved()); !told) {
            return told;
        }
    }
    return {};
}

// What is written in place (standard output, a device, a FIFO), then the saved names told,
// after the files are in place; a failure puts every file back.
Result<> commitRest(std::list<PlannedOutput>& outputs, OutputCommit& commit,
                    const SavedNumberedNotice& savedNumbered) {
    Result<> rest = commitKind(outputs, commit, Kind::InPlace);
    if (rest) {
        rest = tellSaved(outputs, savedNumbered);
    }
    if (!rest) {
        commit.undo();
        return rest;
    }
    commit.done();
    return {};
}

}  // namespace

Result<> commitAll(std::list<PlannedOutput>& outputs, const StepSeam& seam,
                   const SavedNumberedNotice& savedNumbered) {
    // Opening a FIFO waits for a reader, and a signal may still end that wait: nothing is in
    // place yet.
    for (PlannedOutput& output : outputs) {
        if (Result<> opened = output.openInPlace(); !opened) {
            return opened;
        }
    }
    // The files first, each replaced one kept until the end, so that a failure puts every
    // file back; what is written in place cannot be taken back and comes last. A signal
    // waits until the files are whole. Writing in place may wait on its reader, so a signal
    // is not held back there: a replaced version left hidden by a run ended that way is
    // removed by the next run in its folder.
    OutputCommit commit(seam);
    const bool inPlace = std::any_of(outputs.begin(), outputs.end(), [](const auto& output) {
        return output.target().kind == Kind::InPlace;
    });
    {
        const SignalHold hold;
        Result<> files = commitKind(outputs, commit, Kind::Numbered);
        if (files) {
            files = commitKind(outputs, commit, Kind::Replacing);
        }
        if (!files) {
            commit.undo();
            return files;
        }
        if (!inPlace) {
            return commitRest(outputs, commit, savedNumbered);
        }
    }
    return commitRest(outputs, commit, savedNumbered);
}

}  // namespace lodra
