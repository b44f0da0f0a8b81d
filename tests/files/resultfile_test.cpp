// The file layer: the numbered result files and saving without ever
// replacing or leaving behind anything.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "files/pendingfile.h"
#include "files/resultfile.h"
#include "tests/testfiles.h"

namespace lodra {
namespace {

namespace fs = std::filesystem;

class ResultFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testfiles::newFolder("test").string();
        ASSERT_FALSE(folder.empty());
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

TEST_F(ResultFolder, NumberingFollowsTheFilesOnDisk) {
    EXPECT_EQ(*nextResultNumber(folder), 1);
    for (const char* name : {"Result1.txt", "Result3.txt", "result7.txt", "Result9.TXT",
                             "Resultat.txt", "Result007.txt", "Result.txt", "Result_a.txt",
                             "Result-9.txt", "Result 9.txt", "XResult9.txt"}) {
        touch(name);
    }
    fs::create_directory(folder + "/Result20.txt");  // a folder is not a result file
    EXPECT_EQ(*nextResultNumber(folder), 8);
    EXPECT_EQ(resultFilePath(folder, 8), folder + "/Result8.txt");
    EXPECT_EQ(resultFilePath("/", 1), "/Result1.txt");
}

// A name taken by a folder, a link or a dangling link is skipped, not a dead end.
TEST_F(ResultFolder, NamesTakenByAnythingAreSkipped) {
    touch("Result7.txt");
    fs::create_directory(folder + "/Result8.txt");
    fs::create_symlink("saknas", folder + "/Result9.txt");
    fs::create_directory_symlink(folder + "/Result8.txt", folder + "/Result10.txt");
    EXPECT_EQ(*nextResultNumber(folder), 11);
    const Result<std::string> saved = saveNumberedResult(folder, "abc\r\n");
    ASSERT_TRUE(saved) << saved.message();
    EXPECT_EQ(*saved, folder + "/Result11.txt");
    EXPECT_EQ(read(*saved), "abc\r\n");
    EXPECT_FALSE(fs::exists(folder + "/saknas"));
}

TEST_F(ResultFolder, NumberingStopsAt32767) {
    const std::string in = "\"" + folder + "\"";
    const struct {
        const char* present;
        std::string message;
    } cases[] = {
        {"Result32767.txt", "Mappen " + in +
                                " har redan en resultatfil med numret 32767, det högsta möjliga. "
                                "Flytta filen eller välj en annan mapp."},
        {"Result000000000040000.txt",
         "Mappen " + in +
             " innehåller filen Result000000000040000.txt, vars nummer är större än 32767. "
             "Flytta filen eller välj en annan mapp."},
    };
    touch("Result32766.txt");
    EXPECT_EQ(*nextResultNumber(folder), 32767);
    for (const auto& c : cases) {
        touch(c.present);
        const Result<int> next = nextResultNumber(folder);
        ASSERT_FALSE(next);
        EXPECT_EQ(next.message(), c.message);
        const Result<std::string> saved = saveNumberedResult(folder, "x");
        ASSERT_FALSE(saved);
        EXPECT_EQ(saved.message(), c.message);
        fs::remove(folder + "/" + c.present);
    }
    fs::create_directory(folder + "/Result32767.txt");
    const Result<std::string> saved = saveNumberedResult(folder, "x");
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.message(), "Kunde inte hitta ett ledigt filnummer i mappen " + in + ".");
    EXPECT_EQ(names(), (std::vector<std::string>{"Result32766.txt", "Result32767.txt"}));
    EXPECT_EQ(nextResultNumber(folder + "/saknas").message(),
              "Kunde inte läsa mappen \"" + folder + "/saknas\": mappen eller filen finns inte.");
}

TEST_F(ResultFolder, SavedFilesGetTheModeOfAnyNewFileOrOfTheFileTheyReplace) {
    const mode_t before = ::umask(027);
    const Result<std::string> first = saveNumberedResult(folder, "abc\r\n");
    ::umask(before);
    ASSERT_TRUE(first) << first.message();
    const std::string path = folder + "/ut.txt";
    touch("ut.txt");
    fs::permissions(path, fs::perms(0604));
    ASSERT_TRUE(writeFileReplacing(path, "ny text"));
    EXPECT_EQ(read(path), "ny text");
    EXPECT_EQ(names(), (std::vector<std::string>{"Result1.txt", "ut.txt"}));  // no leftovers
    struct stat st {};
    ASSERT_EQ(::stat(first->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
}

// What a save replaces: a link's target in the target's own folder, the links kept; never a
// file marked read-only (the superuser running the tests included) nor one that changed.
TEST_F(ResultFolder, SavingFollowsLinksAndKeepsToReadOnlyAndChangedFiles) {
    const std::string loop =
        "Kunde inte spara \"" + folder + "/a.csv\": för många symboliska länkar i sökvägen.";
    const std::string denied = "Kunde inte spara \"" + folder + "/a.csv\": behörighet saknas.";
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // name, where it leads
        fs::perms mode;                                          // of sub/real.csv
        std::string message;                                     // empty: saved
        std::string real;                                        // sub/real.csv after
        std::vector<std::string> sub = {"real.csv"};  // all sub holds after: no leftovers
    } cases[] = {
        {"relative link", {{"a.csv", "sub/real.csv"}}, fs::perms(0640), "", "ny"},
        {"link to a link",
         {{"a.csv", "b.csv"}, {"b.csv", folder + "/sub/link.csv"}, {"sub/link.csv", "real.csv"}},
         fs::perms(0600),
         "",
         "ny",
         {"link.csv", "real.csv"}},
        {"dangling link",
         {{"a.csv", "sub/new.csv"}},
         fs::perms(0644),
         "",
         "gammal",
         {"new.csv", "real.csv"}},
        {"loop of links",
         {{"a.csv", "b.csv"}, {"b.csv", "a.csv"}},
         fs::perms(0644),
         loop,
         "gammal"},
        {"read-only file", {{"a.csv", "sub/real.csv"}}, fs::perms(0444), denied, "gammal"},
        {"no write bit", {{"a.csv", "sub/real.csv"}}, fs::perms(0550), denied, "gammal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::create_directories(folder + "/sub");
        testfiles::writeFile(folder + "/sub/real.csv", "gammal");
        fs::permissions(folder + "/sub/real.csv", c.mode);
        for (const auto& [name, target] : c.links) {
            fs::create_symlink(target, folder + "/" + name);
        }
        const Result<FileState> saved = saveReplacing(folder + "/a.csv", "ny");
        EXPECT_EQ(saved ? std::string() : saved.message(), c.message);
        EXPECT_EQ(read(folder + "/sub/real.csv"), c.real);
        EXPECT_EQ(fs::status(folder + "/sub/real.csv").permissions(), c.mode);
        for (const auto& [name, target] : c.links) {
            EXPECT_EQ(fs::read_symlink(folder + "/" + name), target) << name;
        }
        if (saved) {
            EXPECT_EQ(read(folder + "/a.csv"), "ny");
            EXPECT_EQ(stateOf(folder + "/a.csv"), *saved);
        }
        EXPECT_EQ(testfiles::fileNames(folder + "/sub"), c.sub);
    }
}

TEST_F(ResultFolder, SavingRefusesAFileThatChangedSinceItsStateWasTaken) {
    const std::string path = folder + "/a.csv";
    const Result<FileState> first = saveReplacing(path, "ett");
    ASSERT_TRUE(first) << first.message();
    const Result<FileState> second = saveReplacing(path, "två", *first);
    ASSERT_TRUE(second) << second.message();
    EXPECT_NE(*second, *first);
    testfiles::writeFile(path, "tre");  // another program
    const Result<FileState> third = saveReplacing(path, "fyra", *second);
    ASSERT_FALSE(third);
    EXPECT_EQ(third.message(), "Filen \"" + path +
                                   "\" har ändrats av ett annat program medan den sparades "
                                   "och skrevs inte över.");
    EXPECT_EQ(read(path), "tre");
    EXPECT_EQ(names(), std::vector<std::string>{"a.csv"});
}

// A file being written has no name at all, so that nothing is left if the program is killed.
TEST_F(ResultFolder, APendingFileHasNoNameUntilItIsPutInPlace) {
    PendingFile file;
    ASSERT_TRUE(file.create(folder, "\"x\""));
    ASSERT_TRUE(file.write(std::string(200000, 'x')));
    ASSERT_TRUE(file.finish());
    EXPECT_EQ(names(), std::vector<std::string>{});
    const Result<std::string> path = commitNumbered(file);
    ASSERT_TRUE(path) << path.message();
    EXPECT_EQ(names(), std::vector<std::string>{"Result1.txt"});
    EXPECT_EQ(fs::file_size(*path), 200000u);
}

TEST_F(ResultFolder, FailuresSayWhatAndWhereAndLeaveNothing) {
    const std::string gone = folder + "/borta";
    const std::string tooLong = folder + "/" + std::string(300, 'a');
    const struct {
        std::string folder;
        std::string message;
    } cases[] = {
        {gone, "Kunde inte skapa en fil i mappen \"" + gone + "\": mappen eller filen finns inte."},
        {tooLong, "Kunde inte skapa en fil i mappen \"" + tooLong + "\": sökvägen är för lång."},
    };
    for (const auto& c : cases) {
        const Result<std::string> saved = saveNumberedResult(c.folder, "x");
        ASSERT_FALSE(saved);
        EXPECT_EQ(saved.message(), c.message);
        const Result<> written = writeFileReplacing(c.folder + "/ut.txt", "x");
        ASSERT_FALSE(written);
        EXPECT_EQ(written.message(), c.message);
    }
    if (::geteuid() != 0) {  // root writes into read-only folders anyway
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        const Result<std::string> saved = saveNumberedResult(folder, "x");
        EXPECT_EQ(saved.message(),
                  "Kunde inte skapa en fil i mappen \"" + folder + "\": behörighet saknas.");
        fs::permissions(folder, fs::perms::owner_all);
    }
    EXPECT_EQ(names(), std::vector<std::string>{});
}

// 200,000 files, the next hundred names blocked by folders: one listing, under a second.
TEST_F(ResultFolder, LargeFolderIsListedOnce) {
    for (int i = 1; i <= 200000; ++i) {
        const std::string name =
            i <= 30000 ? "Result" + std::to_string(i) : "annan" + std::to_string(i);
        const int fd = ::creat((folder + "/" + name + ".txt").c_str(), 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    for (int i = 30001; i <= 30100; ++i) {
        fs::create_directory(folder + "/Result" + std::to_string(i) + ".txt");
    }
    const auto start = std::chrono::steady_clock::now();
    const Result<std::string> saved = saveNumberedResult(folder, "x");
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(saved) << saved.message();
    EXPECT_EQ(*saved, folder + "/Result30101.txt");
    EXPECT_LT(seconds, 1.0);
}

}  // namespace
}  // namespace lodra
