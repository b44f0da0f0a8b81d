#pragma once

// What tells one state of a file from another: a change between two readings means that
// something wrote the file meanwhile.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace lodra {

struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;             // bytes
    std::int64_t modified = 0;  // ns since the epoch

    bool operator==(const FileState&) const = default;
};

// The file's state now; none when it cannot be looked at. A symbolic link gives the state
// of the file it leads to.
std::optional<FileState> stateOf(const std::string& path);

// Whether path is a FIFO (a pipe such as /dev/stdin or a shell's <(...)), a socket or a
// device: something that gives its bytes once and cannot be read again.
bool readableOnce(const std::string& path);

// The state of the open file fd; none when it cannot be looked at.
std::optional<FileState> stateOfDescriptor(int fd);

}  // namespace lodra
