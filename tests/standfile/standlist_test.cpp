// A register listed for the windows' pick list and its stands read one at a time when picked.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "standfile/standsource.h"
#include "tests/testfiles.h"

namespace lodra {
namespace {

namespace fs = std::filesystem;

// Everything a stand holds, one text, for comparisons that show the odd cell.
std::string describe(const StandFile::Stand& stand) {
    const InputRecord& r = stand.input;
    std::ostringstream out;
    out << stand.row << '|' << stand.name.value_or("<none>") << '|' << stand.refusal.value_or("")
        << '|';
    for (const std::string* text : {&r.totaltid, &r.bonitet, &r.areal, &r.ranta, &r.maxRing,
                                    &r.variation, &r.atervandel, &r.berikning, &r.cykTillAvv}) {
        out << *text << ';';
    }
    out << static_cast<int>(r.species) << static_cast<int>(r.measure) << '|';
    for (const TreeRow& row : r.rows) {
        out << row.text << (row.avverkas ? "x;" : ";");
    }
    return out.str();
}

class StandListTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& bytes) {
        return folder.write(name, bytes);
    }
    testfiles::Folder folder{"standlist"};
    const fs::path& dir = folder.path();
};

// Each listed stand, picked, is the stand that reading the whole file gives, at the row the
// list shows, whatever the encoding, the line ends, quoted line breaks and blank rows.
TEST_F(StandListTest, PickedStandsAreTheStandsOfTheWholeFile) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> names;
    } cases[] = {
        {"UTF-8 with mark, CR LF",
         "\xEF\xBB\xBF"
         "bestand;ranta;tradslag;dia1;avv1\r\nNorr;2;Tall;30;x\r\n\r\n;4;;;\r\n"
         "\"S\xC3\xB6"
         "der\r\nrad\";5;L\xC3\xB6v;12.5;\r\n",
         {"Norr", "", "Söder\r\nrad"}},
        {"Windows-1252, lone CR",
         "bestand;tradslag;atgard\r\xC5s;L\xF6v;Kalavverkning\r;;\r\"a;b\";Ek;\r",
         {"Ås", "a;b"}},
        {"no name column, blank cells, last row without a line end",
         "ranta;dia2\n3;1\n\n;2\n5;",
         {"", "", ""}},
        {"a name that looks like a byte-order mark",
         "tradslag;bestand\nGran;x\nTall;\xEF\xBB\xBF\n",
         {"x", "\xEF\xBB\xBF"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write("register.csv", c.bytes);
        const Result<std::vector<StandFile::Stand>> whole = readAllStands(path);
        ASSERT_TRUE(whole) << whole.message();
        const Result<StandList> list = listStands(path);
        ASSERT_TRUE(list) << list.message();
        ASSERT_EQ(list->size(), whole->size());
        std::vector<std::string> names;
        for (std::size_t i = 0; i < list->size(); ++i) {
            EXPECT_EQ(list->row(i), (*whole)[i].row);
            names.push_back(list->name(i));
            EXPECT_FALSE(list->nameCut(i));
            const Result<PickedStand> picked = readListedStand(path, *list, i);
            ASSERT_TRUE(picked) << picked.message();
            EXPECT_EQ(describe(picked->stand), describe((*whole)[i]));
        }
        EXPECT_EQ(names, c.names);
    }
}

// The list keeps the first 200 characters of a name, counted as characters in either
// encoding; the picked stand has the whole name.
TEST_F(StandListTest, TheListKeepsTheStartOfALongName) {
    const std::string utf8 = std::string(199, 'a') + "\xC3\xB6\xC3\xB6" + std::string(50000, 'b');
    const std::string path =
        write("long.csv", "bestand\n" + utf8 + "\n" + std::string(199, 'c') + "\xC3\xB6\nkort\n");
    Result<StandList> list = listStands(path);
    ASSERT_TRUE(list) << list.message();
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ(list->name(0), std::string(199, 'a') + "\xC3\xB6");
    EXPECT_TRUE(list->nameCut(0));
    EXPECT_EQ(list->name(1), std::string(199, 'c') + "\xC3\xB6");
    EXPECT_FALSE(list->nameCut(1));
    EXPECT_EQ(readListedStand(path, *list, 0)->stand.name, utf8);

    // Windows-1252: one byte, one character.
    write("long.csv", "bestand\n" + std::string(200, '\xF6') + "\n" + std::string(201, 'd') + "\n");
    list = listStands(path);
    ASSERT_TRUE(list) << list.message();
    std::string oo;
    for (int i = 0; i < 200; ++i) {
        oo += "\xC3\xB6";
    }
    EXPECT_EQ(list->name(0), oo);
    EXPECT_FALSE(list->nameCut(0));
    EXPECT_EQ(list->name(1), std::string(200, 'd'));
    EXPECT_TRUE(list->nameCut(1));
}

// A file written after it was listed is not read: the list may not match it any more.
TEST_F(StandListTest, AFileChangedSinceTheListingIsRefused) {
    const std::string bytes = "bestand;ranta\nA;2\nB;3\n";
    const struct {
        const char* what;
        std::string replacement;
    } cases[] = {
        {"stands appended", bytes + "C;4\n"},
        {"the same size", "bestand;ranta\nB;3\nA;2\n"},
        {"the same bytes, written again", bytes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write("changed.csv", bytes);
        const Result<StandList> list = listStands(path);
        ASSERT_TRUE(list) << list.message();
        // A new file in its place: another inode, whatever the clock's resolution.
        const std::string other = write("other.csv", c.replacement);
        fs::rename(other, path);
        EXPECT_EQ(readListedStand(path, *list, 1).message(),
                  "Fel i beståndsfilen \"" + path +
                      "\": Filen har ändrats sedan bestånden listades. Öppna den igen.");
    }
}

// The choice cells come as the file holds them; the refusals name every cell that cannot be
// used, the row's own refusal first.
TEST_F(StandListTest, PickedStandKeepsItsChoiceCellsAsWritten) {
    const std::string path = write("refused.csv",
                                   "bestand;totaltid;bonitet;tradslag;atgard;dia1;avv1;"
                                   "avv2\nSkifte 7;250;4;Ek;Gallring;45;ja; X \n"
                                   "Skifte 8;250;4; Tall;;45;;x\n");
    const Result<StandList> list = listStands(path);
    ASSERT_TRUE(list) << list.message();
    Result<PickedStand> picked = readListedStand(path, *list, 0);
    ASSERT_TRUE(picked) << picked.message();
    ChoiceCells expected;
    expected.tradslag = "Ek";
    expected.atgard = "Gallring";
    expected.avv[0] = "ja";
    expected.avv[1] = " X ";
    EXPECT_EQ(picked->cells, expected);
    const std::vector<std::string> refusals = choiceRefusals(picked->cells);
    EXPECT_EQ(refusals,
              (std::vector<std::string>{
                  "Okänt trädslag \"Ek\" i kolumnen tradslag. Skriv Tall, Gran eller Löv.",
                  "Okänd åtgärd \"Gallring\" i kolumnen atgard. Skriv Kalavverkning eller "
                  "Gallring och plockhuggning.",
                  "Okänt värde \"ja\" i kolumnen avv1. Skriv x för ett träd som avverkas "
                  "direkt, annars ingenting."}));
    EXPECT_EQ(picked->stand.refusal, refusals.front());

    picked = readListedStand(path, *list, 1);
    ASSERT_TRUE(picked) << picked.message();
    EXPECT_EQ(picked->cells.tradslag, " Tall");
    EXPECT_EQ(picked->cells.atgard, "");
    EXPECT_EQ(picked->cells.avv[2], std::nullopt);  // no such column
    EXPECT_TRUE(choiceRefusals(picked->cells).empty());
}

TEST_F(StandListTest, AListingToldToStopStopsAsCancelled) {
    std::string bytes = "bestand\n";
    for (int i = 0; i < 1000; ++i) {
        bytes += "s" + std::to_string(i) + "\n";
    }
    const std::string path = write("stop.csv", bytes);
    ReadWatch watch;
    watch.cancel = true;
    const Result<StandList> list = listStands(path, &watch);
    ASSERT_FALSE(list);
    EXPECT_EQ(list.error().status, Status::Cancelled);

    ReadWatch whole;
    ASSERT_TRUE(listStands(path, &whole));
    EXPECT_EQ(whole.total.load(), 2 * bytes.size());
    EXPECT_EQ(whole.bytes.load(), whole.total.load());
}

// A figure of the process's own status, such as "VmHWM:" (its peak resident memory), in kB.
double statusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field)) {
            return std::stod(line.substr(field.size()));
        }
    }
    return -1;
}

double peakResidentMb() {
    return statusKb("VmHWM:") / 1024;
}

// A register of two million stands, about 200 MB: listed in at most 10 s within 200 MB.
TEST_F(StandListTest, LargeRegisterIsListedQuicklyInLittleMemory) {
    const std::string path = (dir / "large.csv").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << "bestand;totaltid;bonitet;areal;ranta;maxRing;variation;atervandel;berikning;"
               "cykTillAvv;tradslag;atgard;dia1;avv1;dia2;dia3;dia4\r\n";
        std::string row;
        for (int i = 1; i <= 2000000; ++i) {
            row = "Skifte " + std::to_string(i) +
                  " norra avdelningen;250;4;50;3;5;0;15;50;2;Gran;" + "Kalavverkning;45;x;" +
                  std::to_string(i % 90 + 10) + ";12.5;33.25\r\n";
            out << row;
        }
    }
    ASSERT_GE(fs::file_size(path), 180u << 20);
    const auto start = std::chrono::steady_clock::now();
    const Result<StandList> list = listStands(path);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(list) << list.message();
    ASSERT_EQ(list->size(), 2000000u);
    EXPECT_EQ(list->name(1999999), "Skifte 2000000 norra avdelningen");
    EXPECT_EQ(readListedStand(path, *list, 1234566)->stand.input.rows[1].text, "47");
    EXPECT_LE(seconds, 10.0);
    EXPECT_LE(peakResidentMb(), 200.0);
    std::cout << "listed in " << seconds << " s, peak " << peakResidentMb() << " MB\n";
}

// Out of memory, the listing ends with a message instead of an exception.
TEST_F(StandListTest, LargeRegisterBeyondTheMemoryEndsWithAMessage) {
    std::string bytes = "bestand\n";
    for (int i = 0; i < 3000000; ++i) {
        bytes += "s\n";
    }
    const std::string path = write("memory.csv", bytes);
    bytes.clear();
    bytes.shrink_to_fit();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Room for what the process has and little more: three million entries do not fit.
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = static_cast<rlim_t>(statusKb("VmSize:") + 20 * 1024) * 1024;
        ::setrlimit(RLIMIT_AS, &limit);
        const Result<StandList> list = listStands(path);
        const bool said = !list && list.message() ==
                                       "Minnet räckte inte till för att läsa "
                                       "beståndsfilen \"" +
                                           path + "\".";
        ::_exit(said ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace lodra
