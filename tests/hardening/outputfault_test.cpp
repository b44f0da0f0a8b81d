// The batch tool against hostile command lines and files: outputs that name the same file,
// folders, links, devices, a closed standard output, a stand file that changes during the
// run. Exit status 2 means that no new file exists and no existing file has changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/testfiles.h"

namespace lodra {
namespace {

namespace fs = std::filesystem;

using testfiles::readFile;
using testfiles::writeFile;

const std::string kStands = "totaltid\n250\n";

class OutputFault : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testfiles::newFolder("outputfault");
        ASSERT_FALSE(folder.empty());
        writeFile(folder / "s.csv", kStands);
        writeFile(folder / "keep.txt", "en tidigare fil\r\n");
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs "lodra05-batch arguments" in the folder; shell text before and after it (such
    // as a redirection) may replace the standard output to the file "out".
    int run(const std::string& arguments, const std::string& before = "",
            const std::string& after = ">out") {
        const std::string command = "cd '" + folder.string() + "' || exit 9; " + before +
                                    " LC_ALL=C.UTF-8 '" LODRA05_BATCH "' " + arguments + " 2>err " +
                                    after;
        const int status = std::system(command.c_str());
        err = readFile(folder / "err");
        out = readFile(folder / "out");
        fs::remove(folder / "err");
        fs::remove(folder / "out");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path folder;
    std::string out, err;
};

// Everything that must be refused before anything is computed, and leaves every file as it
// was: s.csv, keep.txt and what the setting made.
TEST_F(OutputFault, RefusedBeforeTheRunLeavingEveryFileAsItWas) {
    const struct {
        const char* setting;
        const char* arguments;
        const char* redirection;
        std::string message;
    } cases[] = {
        {"", "--seed 1 --output r.txt --table ./r.txt s.csv", ">out",
         "Resultatet och tabellen kan inte skrivas till samma fil."},
        {"ln keep.txt l.txt", "--output keep.txt --table l.txt s.csv", ">out",
         "Resultatet och tabellen kan inte skrivas till samma fil."},
        {"", "--output ./s.csv s.csv", ">out",
         "Resultatet kan inte skrivas till beståndsfilen \"s.csv\"."},
        {"ln -s s.csv t.csv", "--table t.csv s.csv", ">out",
         "Tabellen kan inte skrivas till beståndsfilen \"s.csv\"."},
        {"ln keep.txt l.txt", "--table keep.txt --cycles c.csv --compare l.txt s.csv", ">out",
         "Tabellen och jämförelsen kan inte skrivas till samma fil."},
        {"ln -s s.csv t.csv", "--compare t.csv s.csv", ">out",
         "Jämförelsen kan inte skrivas till beståndsfilen \"s.csv\"."},
        {"mkdir tdir", "--cycles tdir s.csv", ">out",
         "Kunde inte skriva \"tdir\": det är en mapp."},
        {"mkdir tdir", "--table tdir s.csv", ">out", "Kunde inte skriva \"tdir\": det är en mapp."},
        {"mkdir tdir", "--output keep.txt --table tdir s.csv", ">out",
         "Kunde inte skriva \"tdir\": det är en mapp."},
        {"", "--output keep.txt --table saknas/t.csv s.csv", ">out",
         "Kunde inte skapa en fil i mappen \"saknas\": mappen eller filen finns inte."},
        {"ln -s saknas.txt ut.txt", "--output ut.txt s.csv", ">out",
         "Kunde inte skriva \"ut.txt\": länken pekar på en fil som inte finns."},
        {"touch Result32767.txt", "--table keep.txt s.csv", ">out",
         "Mappen \"@\" har redan en resultatfil med numret 32767, det högsta möjliga. Flytta "
         "filen eller välj en annan mapp."},
        {"", "--output - s.csv", ">&-",
         "Standardutmatningen är stängd eller går inte att skriva i."},
        {"", "s.csv", ">&-", "Standardutmatningen är stängd eller går inte att skriva i."},
        {"", "--output keep.txt s.csv", ">out",
         "Kunde inte skapa en tillfällig fil i mappen \"/saknas\": mappen eller filen finns "
         "inte."},
        // Standard output is an output like the others, under any of its names.
        {"touch t.csv", "--output - --table t.csv s.csv", ">t.csv",
         "Resultatet och tabellen kan inte skrivas till samma fil."},
        {"", "--output - s.csv", ">>s.csv",
         "Resultatet kan inte skrivas till beståndsfilen \"s.csv\"."},
        {"", "s.csv", ">>s.csv",
         "Standardutmatningen kan inte skrivas till beståndsfilen \"s.csv\"."},
        {"", "--output - --table /dev/stdout s.csv", ">out",
         "Resultatet och tabellen kan inte skrivas till samma fil."},
        {"", "--output keep.txt --cycles /proc/self/fd/1 --compare /dev/fd/1 s.csv", ">out",
         "Cykeltabellen och jämförelsen kan inte skrivas till samma fil."},
        {"", "--output keep.txt --compare t.csv s.csv", ">>keep.txt",
         "Resultatet och standardutmatningen kan inte skrivas till samma fil."},
        // A FIFO nobody reads is not opened before the stand file is checked.
        {"mkfifo f; printf 'totaltid\\n\"250\\n' >b.csv", "--output r.txt --cycles f b.csv", ">out",
         "Fel i beståndsfilen \"b.csv\": Rad 2: ett citattecken som inleder ett fält avslutas "
         "aldrig."},
        // A count of runs for a table that has none.
        {"", "--runs 5 s.csv", ">out",
         "--runs gäller bara spridningen och jämförelserna: ange också --spread, --measures "
         "eller --compare FIL, eller ta bort --runs.\n"
         "Skriv lodra05-batch --help för hjälp."},
        {"", "--runs 5 --table t.csv s.csv", ">out",
         "--runs gäller bara spridningen och jämförelserna: ange också --spread, --measures "
         "eller --compare FIL, eller ta bort --runs.\n"
         "Skriv lodra05-batch --help för hjälp."},
        // A stand file that can be read only once, as a pipe or a device.
        {"mkfifo f", "--output keep.txt f", ">out",
         "Beståndsfilen \"f\" är en pipe eller en enhet, som bara kan läsas en gång, men filen "
         "läses två gånger. Spara den i en fil först och ange den filen."},
        {"", "--output keep.txt /dev/stdin", ">out </dev/null",
         "Beståndsfilen \"/dev/stdin\" är en pipe eller en enhet, som bara kan läsas en gång, "
         "men filen läses två gånger. Spara den i en fil först och ange den filen."},
        // A path is echoed with its control characters written out.
        {"", "--table \"$(printf 'x\\033[2J\\r')/t.csv\" s.csv", ">out",
         "Kunde inte skapa en fil i mappen \"x\\x1b[2J\\x0d\": mappen eller filen finns inte."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " / " + c.arguments + " " + c.redirection);
        const bool noTmp = std::string(c.message).find("tillfällig") != std::string::npos;
        std::string setting = c.setting;
        if (!setting.empty()) {
            ASSERT_EQ(std::system(("cd '" + folder.string() + "' && " + setting).c_str()), 0);
        }
        const std::vector<std::string> before = testfiles::fileNames(folder);
        EXPECT_EQ(run(c.arguments, noTmp ? "TMPDIR=/saknas" : "timeout 20 env", c.redirection), 2);
        std::string expected = "lodra05-batch: " + c.message + "\n";
        if (const std::size_t at = expected.find('@'); at != std::string::npos) {
            expected.replace(at, 1, folder.string());
        }
        EXPECT_EQ(err, expected);
        EXPECT_EQ(out, "");
        EXPECT_EQ(testfiles::fileNames(folder), before);
        EXPECT_EQ(readFile(folder / "s.csv"), kStands);
        EXPECT_EQ(readFile(folder / "keep.txt"), "en tidigare fil\r\n");
        fs::remove_all(folder / "tdir");
        for (const char* name :
             {"l.txt", "t.csv", "ut.txt", "Result32767.txt", "f", "b.csv", "m.csv"}) {
            fs::remove(folder / name);
        }
    }
}

// What is not a regular file is never replaced: a device is written into, a link to a file
// replaces that file and stays a link, and a replaced file keeps its permission bits.
TEST_F(OutputFault, SpecialFilesAndLinksAreWrittenThroughNotReplaced) {
    const std::string expected = readFile(LODRA05_TEST_DATA "/default.dot.txt");
    fs::permissions(folder / "keep.txt", fs::perms(0604));
    fs::create_symlink("keep.txt", folder / "ut.txt");
    ASSERT_EQ(run("--output ut.txt s.csv"), 0) << err;
    EXPECT_TRUE(fs::is_symlink(folder / "ut.txt"));
    EXPECT_EQ(readFile(folder / "keep.txt"), expected);
    EXPECT_EQ(fs::status(folder / "keep.txt").permissions(), fs::perms(0604));

    ASSERT_EQ(run("--output /dev/stdout s.csv"), 0) << err;
    EXPECT_EQ(out, expected);
    ASSERT_EQ(run("--output /dev/null --table /dev/null s.csv"), 0) << err;
    EXPECT_EQ(out, "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(testfiles::fileNames(folder),
              (std::vector<std::string>{"keep.txt", "s.csv", "ut.txt"}));
}

// A NUL byte in a field shows as \\0 in the message, which goes on after it.
TEST_F(OutputFault, StandFilesThatAreNotWhatTheySeem) {
    const struct {
        const char* name;
        std::string bytes;
        int status;
        std::string message;
    } cases[] = {
        {"nul.csv", std::string("totaltid\n2\00050\n", 14), 1,
         "Rad 2, kolumn totaltid: \"2\\050\" är inte ett tal.\n"
         "Inget bestånd kunde beräknas, så inget resultat skrevs.\n"},
        {"esc.csv",
         "totaltid\n2\x1b[2J\x07\xe2\x80\xae"
         "50\n",
         1,
         "Rad 2, kolumn totaltid: \"2\\x1b[2J\\x07\\u202e50\" är inte ett tal.\n"
         "Inget bestånd kunde beräknas, så inget resultat skrevs.\n"},
        {"bom.csv", "\xef\xbb\xbf\xef\xbb\xbftotaltid\n250\n", 2,
         "lodra05-batch: Fel i beståndsfilen \"bom.csv\": Okänd kolumn \"\\ufefftotaltid\" i "
         "rubrikraden. Kolumnerna heter totaltid, bonitet, areal, ranta, maxRing, tradslag, "
         "variation, atervandel, atgard, berikning, cykTillAvv, dia1 till dia10, avv1 till "
         "avv10 och bestand.\n"},
        {"tradslag.csv", std::string("tradslag\nT\0all\n", 15), 1,
         "Rad 2: Okänt trädslag \"T\\0all\" i kolumnen tradslag. Skriv Tall, Gran eller Löv.\n"
         "Inget bestånd kunde beräknas, så inget resultat skrevs.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(folder / c.name, c.bytes);
        EXPECT_EQ(run(std::string("--output keep.txt ") + c.name), c.status);
        EXPECT_EQ(err, c.message);
        EXPECT_EQ(readFile(folder / "keep.txt"), "en tidigare fil\r\n");
        fs::remove(folder / c.name);
    }
}

// Standard error is checked as standard output is: messages never go into the stand file or
// an output. The refusal is said on standard output instead, unless that is the same file.
TEST_F(OutputFault, StandardErrorIsNeitherTheStandFileNorAnOutput) {
    const struct {
        const char* setting;
        const char* arguments;
        const char* redirection;
        std::string said;  // on standard output
    } cases[] = {
        {"", "s.csv", ">out 2>>s.csv",
         "Standardfelet kan inte skrivas till beståndsfilen \"s.csv\"."},
        {"ln -s s.csv l.csv", "l.csv", ">out 2>>s.csv",
         "Standardfelet kan inte skrivas till beståndsfilen \"l.csv\"."},
        {"", "--output keep.txt s.csv", ">out 2>>keep.txt",
         "Standardfelet och resultatet kan inte skrivas till samma fil."},
        {"touch t.csv", "--output r.txt --table t.csv s.csv", ">out 2>>t.csv",
         "Standardfelet och tabellen kan inte skrivas till samma fil."},
        {"", "--output - s.csv", ">out 2>&1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.arguments) + " " + c.redirection);
        if (*c.setting != '\0') {
            ASSERT_EQ(std::system(("cd '" + folder.string() + "' && " + c.setting).c_str()), 0);
        }
        const std::vector<std::string> before = testfiles::fileNames(folder);
        EXPECT_EQ(run(c.arguments, "", c.redirection), 2);
        EXPECT_EQ(out, c.said.empty() ? "" : "lodra05-batch: " + c.said + "\n");
        EXPECT_EQ(testfiles::fileNames(folder), before);
        EXPECT_EQ(readFile(folder / "s.csv"), kStands);
        EXPECT_EQ(readFile(folder / "keep.txt"), "en tidigare fil\r\n");
        fs::remove(folder / "t.csv");
        fs::remove(folder / "l.csv");
    }
    // Standard output and error in one file, which only names the saved file: a run.
    EXPECT_EQ(run("s.csv", "", ">out 2>&1"), 0);
    EXPECT_EQ(out, "Resultatet sparades i följande fil:\n" + folder.string() + "/Result1.txt\n");
}

// A numbered file whose path cannot be written out is not kept: exit 2 and no new file.
TEST_F(OutputFault, ASavedPathThatCannotBeShownFailsTheRun) {
    const std::vector<std::string> before = testfiles::fileNames(folder);
    EXPECT_EQ(run("s.csv", "", ">/dev/full"), 2);
    EXPECT_EQ(err,
              "lodra05-batch: Kunde inte skriva resultatfilens namn på standardutmatningen: "
              "disken är full.\n");
    EXPECT_EQ(testfiles::fileNames(folder), before);
}

// A folder deeper than the system's path limit (4096 bytes) is used relative to itself:
// numbering, replacing, and a table that takes the next number all work there.
TEST_F(OutputFault, AFolderDeeperThanThePathLimit) {
    int at = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const std::string part(200, 'd');
    for (int depth = 0; depth < 25 && at >= 0; ++depth) {
        ASSERT_EQ(::mkdirat(at, part.c_str(), 0700), 0);
        const int next = ::openat(at, part.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(at);
        at = next;
    }
    ASSERT_GE(at, 0);
    ASSERT_EQ(::fchdir(at), 0);
    ::close(at);
    const std::string expected = readFile(LODRA05_TEST_DATA "/default.dot.txt");
    writeFile("s.csv", readFile(LODRA05_TEST_DATA "/default.csv"));
    writeFile("ut.txt", "en tidigare fil\r\n");
    const struct {
        const char* arguments;
        const char* written;   // the result
        const char* numbered;  // its name when numbered
    } cases[] = {
        {"s.csv", "Result1.txt", "Result1.txt"},
        {"--output ut.txt s.csv", "ut.txt", nullptr},
        {"--table Result2.txt s.csv", "Result3.txt", "Result3.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::string command =
            "LC_ALL=C.UTF-8 '" LODRA05_BATCH "' " + std::string(c.arguments) + " >out 2>err";
        EXPECT_EQ(std::system(command.c_str()), 0);
        EXPECT_EQ(readFile("err"), "");
        const std::string said = readFile("out");
        if (c.numbered != nullptr) {
            EXPECT_GT(said.size(), 25 * part.size());
            EXPECT_TRUE(said.ends_with(std::string("/") + c.numbered + "\n")) << said.substr(0, 60);
        }
        EXPECT_EQ(readFile(c.written), expected);
    }
    EXPECT_TRUE(readFile("Result2.txt").starts_with("\xEF\xBB\xBFRad;"));
    fs::current_path(folder);
    // Removed folder by folder: a path this long is beyond what the system takes at once.
    EXPECT_EQ(std::system(("rm -rf '" + folder.string() + "/" + part + "'").c_str()), 0);
}

// A register cut short while it is calculated: exit 2 and no result.
TEST_F(OutputFault, AStandFileThatChangesDuringTheRunIsRefused) {
    // Stands slow enough that the run is still reading when the file is cut: a plot this
    // small is beyond what the fast ring search takes on, so every ring is tried.
    std::string stands = "totaltid;areal;maxRing\n";
    for (int i = 0; i < 4000; ++i) {
        stands += "250;0.000000001;20\n";
    }
    writeFile(folder / "s.csv", stands);
    EXPECT_EQ(run("--table t.csv s.csv", "(sleep 0.5; truncate -s 1000 s.csv) &",
                  ">out; status=$?; wait; exit $status"),
              2);
    EXPECT_EQ(err,
              "lodra05-batch: Fel i beståndsfilen \"s.csv\": Filen ändrades medan den lästes.\n");
    EXPECT_EQ(testfiles::fileNames(folder), (std::vector<std::string>{"keep.txt", "s.csv"}));
}

}  // namespace
}  // namespace lodra
