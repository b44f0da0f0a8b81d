#include "batch/outputfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace lodra::batch {

namespace {

constexpr std::size_t kChunkBytes = 1 << 16;

std::string inQuotes(const std::string& s) {
    return "\"" + s + "\"";
}

}  // namespace

SpoolFile::~SpoolFile() {
    if (writer_.fd() >= 0) {
        ::close(writer_.fd());
    }
}

bool SpoolFile::create(std::string& message) {
    const char* tmp = std::getenv("TMPDIR");
    folder_ = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    std::string path = folder_ + "/lodra05-batch-spool-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        const int error = errno;
        message = "Kunde inte skapa en tillfällig fil i mappen " + inQuotes(folder_) + ": " +
                  systemErrorText(error) + ".";
        return false;
    }
    ::unlink(path.c_str());
    writer_ = FdWriter(fd);
    return true;
}

bool SpoolFile::copyTo(FdWriter& out) {
    if (!writer_.flush()) {
        return false;
    }
    std::vector<char> chunk(kChunkBytes);
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(writer_.fd(), chunk.data(), chunk.size(), offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return true;
        }
        offset += n;
        if (!out.write(std::string_view(chunk.data(), static_cast<std::size_t>(n)))) {
            return false;
        }
    }
}

}  // namespace lodra::batch
