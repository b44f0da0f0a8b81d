#include "files/filestate.h"

#include <sys/stat.h>

namespace lodra {

namespace {

FileState stateFrom(const struct stat& st) {
    return FileState{st.st_dev, st.st_ino, st.st_size,
                     st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec};
}

}  // namespace

std::optional<FileState> stateOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return stateFrom(st);
}

std::optional<FileState> stateOfDescriptor(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return std::nullopt;
    }
    return stateFrom(st);
}

bool readableOnce(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 &&
           (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode));
}

}  // namespace lodra
