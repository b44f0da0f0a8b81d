#include "files/outputcommit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "base/quote.h"
#include "files/errortext.h"

namespace lodra {

namespace {

// The name of path inside its folder.
std::string leafName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

}  // namespace

OutputCommit::~OutputCommit() {
    if (!done_) {
        undo();
    }
}

int OutputCommit::keepPrevious(int folder, const std::string& name, std::string& kept, int& lock) {
    kept.clear();
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string hidden = hiddenFileName();
        int error = step();
        if (error == 0 && ::linkat(folder, name.c_str(), folder, hidden.c_str(), 0) != 0) {
            error = errno;
        }
        if (error == 0) {
            // Locked where it can be, so that no other run takes it for a leftover.
            lock = openLocked(folder, hidden);
            kept = std::move(hidden);
            return 0;
        }
        if (error != EEXIST) {
            return error;
        }
    }
    return EEXIST;
}

Result<> OutputCommit::replace(PendingFile& file, const std::string& path) {
    Result<std::string> staged = file.stage(path, seam_);
    if (!staged) {
        return staged.error();
    }
    Placed placed{::fcntl(file.folder(), F_DUPFD_CLOEXEC, 0), leafName(path), {}, -1};
    int error = placed.folder >= 0 ? 0 : errno;
    if (error == 0) {
        error = keepPrevious(placed.folder, placed.name, placed.previous, placed.lock);
    }
    if (error == 0) {
        error = step();
    }
    if (error == 0 &&
        ::renameat(file.folder(), staged->c_str(), file.folder(), placed.name.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlinkat(file.folder(), staged->c_str(), 0);
        if (!placed.previous.empty()) {
            ::unlinkat(placed.folder, placed.previous.c_str(), 0);
        }
        release(placed);
        file.discard();
        return systemFailure("spara", inQuotes(path), error);
    }
    file.discard();
    placed_.push_back(std::move(placed));
    return {};
}

Result<> OutputCommit::create(PendingFile& file, std::string& path, const NextName& next) {
    if (Result<> finished = file.finish(); !finished) {
        return finished;
    }
    // Another program may take the name between the choice and the link: a name taken
    // first is passed over, and the next is chosen afresh.
    constexpr int kMostNames = 1000;
    for (int attempt = 1;; ++attempt) {
        int error = step();
        if (error == 0) {
            error = file.linkAs(leafName(path));
        }
        if (error == 0) {
            break;
        }
        if (error != EEXIST || !next || attempt == kMostNames) {
            return systemFailure("spara", inQuotes(path), error);
        }
        Result<std::string> other = next();
        if (!other) {
            return other.error();
        }
        path = std::move(*other);
    }
    placed_.push_back({::fcntl(file.folder(), F_DUPFD_CLOEXEC, 0), leafName(path), {}, -1});
    file.discard();
    return {};
}

void OutputCommit::release(Placed& placed) {
    for (int* fd : {&placed.folder, &placed.lock}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void OutputCommit::done() {
    for (Placed& placed : placed_) {
        if (!placed.previous.empty()) {
            ::unlinkat(placed.folder, placed.previous.c_str(), 0);
        }
        release(placed);
    }
    placed_.clear();
    done_ = true;
}

void OutputCommit::undo() {
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
        if (it->previous.empty()) {
            ::unlinkat(it->folder, it->name.c_str(), 0);
        } else {
            ::renameat(it->folder, it->previous.c_str(), it->folder, it->name.c_str());
        }
        release(*it);
    }
    placed_.clear();
}

}  // namespace lodra
