// The outputs of a run are put in place as one: whichever link or rename fails, every file
// of the folder is left byte for byte as it was and no new file exists.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

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
        Arguments arguments;
        arguments.stands = "s.csv";
        arguments.output = run.output;
        arguments.table = "tabell.csv";
        arguments.cycles = "cykler.csv";
        arguments.seed = 3;
        arguments.threads = 2;
        const Files before = filesIn(folder_);
        int k = 1;
        for (;; ++k) {
            int steps = 0;
            std::FILE* err = std::tmpfile();
            std::FILE* messages = std::tmpfile();
            RunStreams streams{messages, err, false, [&] { return ++steps == k ? EIO : 0; }};
            const int status = runBatch(arguments, '.', streams);
            const std::string errors = testfiles::readStream(err);
            const std::string said = testfiles::readStream(messages);
            std::fclose(err);
            std::fclose(messages);
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
        std::ofstream("tabell.csv") << "en tidigare tabell\r\n";
        fs::remove("cykler.csv");
    }
}

}  // namespace
}  // namespace lodra::batch
