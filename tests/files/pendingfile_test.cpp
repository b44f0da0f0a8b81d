// Hidden files left by a run that was killed: the next file made in the folder removes them,
// but only when their run has provably ended.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/pendingfile.h"
#include "tests/testfiles.h"

namespace lodra {
namespace {

namespace fs = std::filesystem;

// The number of a process that has ended and been reaped.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(HiddenFiles, OnlyThoseOfEndedRunsAreRemoved) {
    const fs::path folder = testfiles::newFolder("hidden");
    ASSERT_FALSE(folder.empty());
    const std::string ended = std::to_string(endedProcess());
    const std::string running = std::to_string(::getppid());
    const std::string self = std::to_string(::getpid());
    const struct {
        std::string name;
        bool locked;  // by a process still running, such as a run on another machine
        bool stays;
    } cases[] = {
        {".lodra05-" + ended + "-abcdefghij", false, false},
        {".lodra05-" + ended + "-0123456789", true, true},
        {".lodra05-" + running + "-abcdefghij", false, true},
        {".lodra05-" + self + "-abcdefghij", false, true},
        {".lodra05-abcdefghij", false, true},  // whose maker cannot be known
        {".lodra05-" + ended + "-abc", false, true},
        {".lodra05-" + ended + "-abcdefghijk", false, true},
        {"lodra05-" + ended + "-abcdefghij", false, true},
        {".lodra05-x" + ended + "-abcdefghij", false, true},
    };
    std::vector<int> locks;
    std::vector<std::string> staying;
    for (const auto& c : cases) {
        testfiles::writeFile(folder / c.name, "x");
        if (c.locked) {
            locks.push_back(::open((folder / c.name).c_str(), O_RDONLY));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
        }
        if (c.stays) {
            staying.push_back(c.name);
        }
    }
    std::sort(staying.begin(), staying.end());
    PendingFile file;
    ASSERT_TRUE(file.create(folder.string(), "\"x\""));
    EXPECT_EQ(testfiles::fileNames(folder), staying);
    // A hidden name of this process's own: its number, '-' and ten letters.
    const Result<std::string> hidden = file.stage("x");
    ASSERT_TRUE(hidden) << hidden.message();
    EXPECT_TRUE(hidden->starts_with(".lodra05-" + self + "-")) << *hidden;
    EXPECT_EQ(hidden->size(), 9 + self.size() + 1 + 10);
    PendingFile other;
    ASSERT_TRUE(other.create(folder.string(), "\"y\""));
    EXPECT_TRUE(fs::exists(folder / *hidden));
    for (const int lock : locks) {
        ::close(lock);
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace lodra
