// Buffered writing: the bytes arrive whole and in order, in writes of whole buffers, so that
// the pages of a new file are never written in part.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "files/fdwriter.h"

namespace lodra {
namespace {

off_t sizeOf(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? info.st_size : -1;
}

TEST(FdWriter, WritesWholeBuffersAndEveryByteInOrder) {
    char name[] = "/tmp/lodra05-fdwriter-XXXXXX";
    const int fd = ::mkstemp(name);
    ASSERT_GE(fd, 0);
    ::unlink(name);
    FdWriter writer(fd, "provfilen");
    std::string expected;
    // Pieces of awkward sizes, and one longer than the buffer.
    for (const std::size_t size : {1000u, 70000u, 3u, 600000u, 4096u, 123457u}) {
        const std::string piece(size, static_cast<char>('a' + expected.size() % 26));
        ASSERT_TRUE(writer.write(piece));
        expected += piece;
        EXPECT_EQ(sizeOf(fd) % (off_t{1} << 18), 0) << "after " << expected.size() << " bytes";
    }
    ASSERT_TRUE(writer.flush());
    std::string written(expected.size(), '\0');
    ASSERT_EQ(::pread(fd, written.data(), written.size(), 0),
              static_cast<ssize_t>(expected.size()));
    EXPECT_EQ(written, expected);
    ::close(fd);
}

}  // namespace
}  // namespace lodra
