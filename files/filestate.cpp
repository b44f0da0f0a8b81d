#include "files/filestate.h"

#include <sys/stat.h>

namespace lodra {

std::optional<FileState> stateOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileState{st.st_dev, st.st_ino, st.st_size,
                     st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec};
}

bool readableOnce(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 &&
           (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode));
}

}  // namespace lodra
