// The numbered result files and their Windows-1252 bytes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "report/resultfile.h"
#include "tests/testfiles.h"

namespace lodra {
namespace {

namespace fs = std::filesystem;

class ResultFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/lodra05-test-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        folder = name;
    }
    void TearDown() override {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder);
    }
    void touch(const std::string& name) { std::ofstream(folder + "/" + name) << "x"; }
    std::string read(const std::string& path) { return testfiles::readFile(path); }
    std::vector<std::string> names() { return testfiles::fileNames(folder); }
    std::string folder;
};

TEST(Windows1252, SwedishLettersAreSingleBytes) {
    EXPECT_EQ(toWindows1252("åäöÅÄÖ\r\n\t-"), "\xE5\xE4\xF6\xC5\xC4\xD6\r\n\t-");
    EXPECT_EQ(toWindows1252("\xE2\x88\x92"
                            "5"),
              "?5");  // a character it cannot hold
    EXPECT_EQ(fromWindows1252("L\xF6v"), "Löv");
    EXPECT_EQ(fromWindows1252("\x80"), "€");
}

TEST_F(ResultFolder, NumberingFollowsTheFilesOnDisk) {
    EXPECT_EQ(nextResultNumber(folder).number, 1);
    for (const char* name : {"Result1.txt", "Result3.txt", "result7.txt", "Result9.TXT",
                             "Resultat.txt", "Result007.txt", "Result.txt", "Result_a.txt",
                             "Result-9.txt", "Result 9.txt", "XResult9.txt"}) {
        touch(name);
    }
    fs::create_directory(folder + "/Result20.txt");  // a folder is not a result file
    const NumberResult next = nextResultNumber(folder);
    EXPECT_EQ(next.error, "");
    EXPECT_EQ(next.number, 8);
    EXPECT_EQ(resultFilePath(folder, 8), folder + "/Result8.txt");
    EXPECT_EQ(resultFilePath("/", 1), "/Result1.txt");
}

TEST_F(ResultFolder, NumberingStopsAt32767) {
    touch("Result32766.txt");
    EXPECT_EQ(nextResultNumber(folder).number, 32767);
    touch("Result32767.txt");
    NumberResult next = nextResultNumber(folder);
    EXPECT_EQ(next.number, 0);
    EXPECT_EQ(next.error, "Mappen \"" + folder +
                              "\" har redan en resultatfil med numret 32767, det högsta möjliga. "
                              "Flytta filen eller välj en annan mapp.");
    fs::remove(folder + "/Result32767.txt");
    touch("Result000000000040000.txt");
    next = nextResultNumber(folder);
    EXPECT_EQ(next.error,
              "Mappen \"" + folder +
                  "\" innehåller filen Result000000000040000.txt, vars nummer är större "
                  "än 32767. Flytta filen eller välj en annan mapp.");
    EXPECT_EQ(nextResultNumber(folder + "/saknas").error,
              "Kunde inte läsa mappen \"" + folder + "/saknas\": mappen eller filen finns inte.");
}

TEST_F(ResultFolder, SavesIntoTheNextFreeNumberWithoutReplacing) {
    SaveResult first = saveNumberedResult(folder, "abc\r\n");
    ASSERT_TRUE(first.ok) << first.message;
    EXPECT_EQ(first.path, folder + "/Result1.txt");
    EXPECT_EQ(read(first.path), "abc\r\n");
    SaveResult second = saveNumberedResult(folder, "abc\r\n");
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(second.path, folder + "/Result2.txt");
    EXPECT_EQ(read(second.path), "abc\r\n");
    EXPECT_EQ(names(), (std::vector<std::string>{"Result1.txt", "Result2.txt"}));  // no leftovers
    struct stat st {};
    ASSERT_EQ(::stat(first.path.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IRGRP, 0u);  // ordinary permissions, not those of a private temp file
}

TEST_F(ResultFolder, FailuresSayWhatAndWhereAndLeaveNothing) {
    const std::string gone = folder + "/borta";
    SaveResult r = saveNumberedResult(gone, "x");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              "Kunde inte skapa en fil i mappen \"" + gone + "\": mappen eller filen finns inte.");

    if (::geteuid() != 0) {  // root writes into read-only folders anyway
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        r = saveNumberedResult(folder, "x");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message,
                  "Kunde inte skapa en fil i mappen \"" + folder + "\": behörighet saknas.");
        fs::permissions(folder, fs::perms::owner_all);
    }
    touch("Result32767.txt");
    r = saveNumberedResult(folder, "x");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(names(), (std::vector<std::string>{"Result32767.txt"}));
}

TEST_F(ResultFolder, WriteReplacingSwapsTheWholeFile) {
    const std::string path = folder + "/ut.txt";
    touch("ut.txt");
    SaveResult r = writeFileReplacing(path, "ny text");
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(read(path), "ny text");
    EXPECT_EQ(names(), (std::vector<std::string>{"ut.txt"}));
    r = writeFileReplacing(folder + "/saknas/ut.txt", "x");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Kunde inte skapa en fil i mappen \"" + folder +
                             "/saknas\": mappen eller filen finns inte.");
}

}  // namespace
}  // namespace lodra
