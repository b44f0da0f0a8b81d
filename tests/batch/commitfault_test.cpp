// The outputs of a run are put in place as one: whichever link or rename fails, every file
// of the folder is left byte for byte as it was and no new file exists.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/batchrun.h"
#include "tests/testfiles.h"

namespace lodra::batch {
namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;

Files filesIn(const fs::path& folder) {
    Files files;
    for (const std::string& name : testfiles::fileNames(folder)) {
        files[name] = testfiles::readFile(folder / name);
    }
    return files;
}

// Whether any hidden file of a commit is left in the folder.
bool anyHidden(const Files& files) {
    return std::any_of(files.begin(), files.end(),
                       [](const auto& file) { return file.first.starts_with(".lodra05-"); });
}

// Runs f in a child process of its own and waits for it; the child's wait status.
template <typename F>
int inChild(F f) {
    const pid_t child = ::fork();
    if (child == 0) {
        f();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

struct Outcome {
    int status = -1;
    std::string errors;  // standard error
    std::string said;    // standard output
};

Outcome runWith(const Arguments& arguments, StepSeam seam) {
    std::FILE* err = std::tmpfile();
    std::FILE* messages = std::tmpfile();
    Outcome outcome;
    outcome.status = runBatch(arguments, '.', RunStreams{messages, err, false, std::move(seam)});
    outcome.errors = testfiles::readStream(err);
    outcome.said = testfiles::readStream(messages);
    std::fclose(err);
    std::fclose(messages);
    return outcome;
}

class CommitFault : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = testfiles::newFolder("commitfault");
        ASSERT_FALSE(folder_.empty());
        std::ofstream(folder_ / "s.csv") << "totaltid;ranta\n250;2\n120;4\n";
        std::ofstream(folder_ / "out.txt") << "ett tidigare resultat\r\n";
        std::ofstream(folder_ / "tabell.csv") << "en tidigare tabell\r\n";
        std::ofstream(folder_ / "Result4.txt") << "ett numrerat resultat\r\n";
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path("/");
        fs::remove_all(folder_);
    }
    // The outputs a run may replace, put back as they were before it.
    static void restoreOutputs() {
        std::ofstream("out.txt") << "ett tidigare resultat\r\n";
        std::ofstream("tabell.csv") << "en tidigare tabell\r\n";
        fs::remove("cykler.csv");
    }
    // A run of s.csv with its result in output (none: a numbered file) and its tables.
    static Arguments arguments(std::optional<std::string> output, bool cycles) {
        Arguments arguments;
        arguments.stands = "s.csv";
        arguments.output = std::move(output);
        arguments.table = "tabell.csv";
        if (cycles) {
            arguments.cycles = "cykler.csv";
        }
        arguments.seed = 3;
        return arguments;
    }
    fs::path folder_;
};

// Every step in turn fails, until a run has none left to fail and succeeds.
TEST_F(CommitFault, AFailedStepLeavesEveryFileAsItWas) {
    const struct {
        const char* name;
        std::optional<std::string> output;  // none: a numbered file
    } runs[] = {{"replacing", "out.txt"}, {"numbered", std::nullopt}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        Arguments arguments = CommitFault::arguments(run.output, true);
        arguments.threads = 2;
        const Files before = filesIn(folder_);
        int k = 1;
        for (;; ++k) {
            int steps = 0;
            const auto [status, errors, said] =
                runWith(arguments, [&] { return ++steps == k ? EIO : 0; });
            if (status == kAllCalculated) {
                EXPECT_EQ(errors, "");
                break;
            }
            SCOPED_TRACE("step " + std::to_string(k));
            ASSERT_EQ(status, kUsageOrFileError);
            EXPECT_TRUE(errors.starts_with("lodra05-batch: Kunde inte spara \"")) << errors;
            EXPECT_TRUE(errors.ends_with("\": in- eller utmatningsfel.\n")) << errors;
            EXPECT_EQ(said, "");
            EXPECT_EQ(filesIn(folder_), before);
            ASSERT_LT(k, 20);
        }
        // A numbered file: created; each replaced file: a hidden name, the version it
        // replaces kept, the rename; a new file: a hidden name and the rename.
        EXPECT_EQ(k, run.output ? 9 : 7);
        const Files after = filesIn(folder_);
        EXPECT_EQ(after.size(), before.size() + (run.output ? 1 : 2));  // nothing hidden left
        EXPECT_TRUE(after.at("tabell.csv").starts_with("\xEF\xBB\xBFRad;"));
        EXPECT_EQ(after.count(run.output ? "out.txt" : "Result5.txt"), 1U);
        restoreOutputs();
    }
}

// Another program takes numbered names between the listing before the run and the link:
// the result gets the first free number after them, and the run says which.
TEST_F(CommitFault, ANumberTakenMeanwhileMovesToTheNextFree) {
    const struct {
        std::vector<std::string> taken;  // by the other program, just before the link
        const char* saved;
    } cases[] = {
        {{"Result5.txt"}, "Result6.txt"},
        {{"Result5.txt", "Result6.txt"}, "Result7.txt"},
        {{"Result5.txt", "Result9.txt"}, "Result10.txt"},
    };
    const Arguments arguments = CommitFault::arguments(std::nullopt, false);
    const std::string expected = testfiles::readFile(
        (runWith(arguments, {}), folder_ / "Result5.txt"));  // what the run saves untroubled
    fs::remove("Result5.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        int steps = 0;
        const Outcome outcome = runWith(arguments, [&] {
            if (++steps == 1) {
                inChild([&] {
                    for (const std::string& name : c.taken) {
                        testfiles::writeFile(name, "ett annat program\n");
                    }
                });
            }
            return 0;
        });
        const std::string folder = fs::current_path().string();
        EXPECT_EQ(outcome.status, kAllCalculated);
        EXPECT_EQ(outcome.said,
                  "Resultatet sparades i följande fil:\n" + folder + "/" + c.saved + "\n");
        EXPECT_EQ(outcome.errors, "Filen \"" + folder +
                                      "/Result5.txt\" skapades av ett annat program under "
                                      "körningen, så resultatet sparades i nästa lediga fil, \"" +
                                      folder + "/" + c.saved + "\".\n");
        EXPECT_EQ(testfiles::readFile(c.saved), expected);
        for (const std::string& name : c.taken) {
            EXPECT_EQ(testfiles::readFile(name), "ett annat program\n");
            fs::remove(name);
        }
        fs::remove(c.saved);
    }
    EXPECT_FALSE(anyHidden(filesIn(folder_)));
}

// SIGTERM, sent at each step of the commit in turn, waits until the commit is whole: every
// output new, or, when a later step fails, every file as it was; then it ends the run, and
// no hidden file is left either way.
TEST_F(CommitFault, ASignalDuringTheCommitWaitsUntilItIsWhole) {
    const Arguments arguments = CommitFault::arguments("out.txt", true);
    const Files before = filesIn(folder_);
    constexpr int kSteps = 8;  // of this commit: the test above succeeds at the ninth
    for (int signalled = 1; signalled <= kSteps; ++signalled) {
        for (const bool laterFailure : {false, true}) {
            if (laterFailure && signalled == kSteps) {
                continue;
            }
            SCOPED_TRACE("SIGTERM at step " + std::to_string(signalled) +
                         (laterFailure ? ", the next one failing" : ""));
            const int status = inChild([&] {
                int steps = 0;
                (void)runWith(arguments, [&] {
                    ++steps;
                    if (steps == signalled) {
                        ::kill(::getpid(), SIGTERM);
                    }
                    return laterFailure && steps == signalled + 1 ? EIO : 0;
                });
            });
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
            const Files after = filesIn(folder_);
            EXPECT_FALSE(anyHidden(after));
            if (laterFailure) {
                EXPECT_EQ(after, before);
                continue;
            }
            EXPECT_EQ(after.size(), before.size() + 1);
            EXPECT_TRUE(after.at("tabell.csv").starts_with("\xEF\xBB\xBFRad;"));
            EXPECT_TRUE(after.at("cykler.csv").starts_with("\xEF\xBB\xBFRad;"));
            EXPECT_NE(after.at("out.txt"), before.at("out.txt"));
            restoreOutputs();
        }
    }
}

// SIGKILL cannot wait: a run killed at any step of its commit leaves hidden files, which the
// next run in the folder removes, its maker having ended.
TEST_F(CommitFault, WhatAKilledRunLeavesTheNextRunRemoves) {
    const Arguments arguments = CommitFault::arguments("out.txt", false);
    int leftBehind = 0;
    for (int killed = 1; killed <= 6; ++killed) {
        SCOPED_TRACE("SIGKILL at step " + std::to_string(killed));
        const int status = inChild([&] {
            int steps = 0;
            (void)runWith(arguments, [&] {
                if (++steps == killed) {
                    ::kill(::getpid(), SIGKILL);
                }
                return 0;
            });
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
        leftBehind += anyHidden(filesIn(folder_)) ? 1 : 0;
        EXPECT_EQ(runWith(arguments, {}).status, kAllCalculated);
        const Files after = filesIn(folder_);
        EXPECT_FALSE(anyHidden(after));
        EXPECT_TRUE(after.at("tabell.csv").starts_with("\xEF\xBB\xBFRad;"));
    }
    EXPECT_GT(leftBehind, 0);
}

}  // namespace
}  // namespace lodra::batch
