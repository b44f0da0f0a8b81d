#include "files/outputcommit.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/quote.h"

namespace lodra {

OutputCommit::~OutputCommit() {
    if (!done_) {
        undo();
    }
}

int OutputCommit::keepPrevious(const std::string& path, std::string& kept) {
    kept.clear();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = hiddenFileName(folder.empty() ? "." : folder);
        int error = step();
        if (error == 0 && ::link(path.c_str(), name.c_str()) != 0) {
            error = errno;
        }
        if (error == 0) {
            kept = std::move(name);
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
    std::string previous;
    int error = keepPrevious(path, previous);
    if (error == 0) {
        error = step();
    }
    if (error == 0 && std::rename(staged->c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(staged->c_str());
        if (!previous.empty()) {
            ::unlink(previous.c_str());
        }
        return systemFailure("spara", inQuotes(path), error);
    }
    placed_.push_back({path, std::move(previous)});
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
            error = file.linkAs(path);
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
    file.discard();
    placed_.push_back({path, {}});
    return {};
}

void OutputCommit::done() {
    for (const Placed& placed : placed_) {
        if (!placed.previous.empty()) {
            ::unlink(placed.previous.c_str());
        }
    }
    placed_.clear();
    done_ = true;
}

void OutputCommit::undo() {
    for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
        if (it->previous.empty()) {
            ::unlink(it->path.c_str());
        } else {
            std::rename(it->previous.c_str(), it->path.c_str());
        }
    }
    placed_.clear();
}

}  // namespace lodra
