#include "standfile/standwriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "standfile/standfile.h"
#include "standfile/standsource.h"
#include "tests/testfiles.h"

namespace lodra {
namespace {

namespace fs = std::filesystem;

// The one stand a written file holds, read as the windows read it.
StandFile::Stand readBack(const std::string& bytes) {
    std::istringstream in(bytes);
    StandFile file;
    file.setBlankCells(BlankCell::asWritten);
    StandFile::Stand stand;
    EXPECT_TRUE(file.open(in).ok());
    EXPECT_EQ(file.standCount(), 1);
    EXPECT_TRUE(file.next(stand).ok());
    return stand;
}

// The one stand of a file as the windows open it, with its choice cells.
StandFile::Stand readStandAt(const std::string& bytes, ChoiceCells& cells) {
    std::istringstream in(bytes);
    StandFile file;
    file.setBlankCells(BlankCell::asWritten);
    EXPECT_TRUE(file.open(in).ok());
    StandFile::Row row;
    EXPECT_TRUE(file.nextRow(row).ok());
    std::istringstream again(bytes);
    Result<StandFile::Stand> stand = file.standAt(again, row, &cells);
    EXPECT_TRUE(stand.ok());
    return stand ? *stand : StandFile::Stand{};
}

void expectTexts(const InputRecord& a, const InputRecord& b) {
    const std::vector<std::string> left = {a.totaltid,   a.bonitet,   a.areal,
                                           a.ranta,      a.maxRing,   a.variation,
                                           a.atervandel, a.berikning, a.cykTillAvv};
    const std::vector<std::string> right = {b.totaltid,   b.bonitet,   b.areal,
                                            b.ranta,      b.maxRing,   b.variation,
                                            b.atervandel, b.berikning, b.cykTillAvv};
    EXPECT_EQ(left, right);
    EXPECT_EQ(a.species, b.species);
    EXPECT_EQ(a.measure, b.measure);
    for (std::size_t k = 0; k < a.rows.size(); ++k) {
        EXPECT_EQ(a.rows[k].text, b.rows[k].text) << "row " << k + 1;
        EXPECT_EQ(a.rows[k].avverkas, b.rows[k].avverkas) << "row " << k + 1;
    }
}

TEST(StandFileBytes, TheDefaultStandIsAHeaderAndOneRow) {
    EXPECT_EQ(standFileBytes(InputRecord{}, ""),
              "\xEF\xBB\xBFtotaltid;bonitet;areal;ranta;maxRing;variation;atervandel;berikning;"
              "cykTillAvv;tradslag;atgard;dia1;dia2;dia3;dia4;dia5;dia6;dia7;dia8;dia9;dia10;"
              "avv1;avv2;avv3;avv4;avv5;avv6;avv7;avv8;avv9;avv10\r\n"
              "250;4;50;3;5;0;15;50;2;Gran;Gallring och plockhuggning;45;35;1;1;;;;;;;"
              "x;;;;;;;;;\r\n");
}

// What a stand looks like after saving and opening again: every text as it was, a decimal
// comma as a point, whatever the cell holds.
struct RoundTrip {
    const char* name;
    std::string standName;
    InputRecord input;
    InputRecord expected;  // input with its decimal commas as points
};

std::vector<RoundTrip> roundTrips() {
    std::vector<RoundTrip> cases;
    cases.push_back({"default", "", InputRecord{}, InputRecord{}});

    InputRecord odd;
    odd.totaltid = "";
    odd.bonitet = " 4,5 ";
    odd.areal = "abc;\"d\"";
    odd.ranta = "1e999";
    odd.species = Species::lov;
    odd.measure = Measure::kalavverkning;
    odd.rows[0] = {"", true};
    odd.rows[9] = {"12,25", false};
    odd.rows[4] = {"  ", true};
    InputRecord oddBack = odd;
    oddBack.bonitet = " 4.5 ";
    oddBack.rows[9].text = "12.25";
    cases.push_back({"blank, comma, quotes", "Norra skiftet; \"ek\"", odd, oddBack});

    InputRecord tall;
    tall.species = Species::tall;
    tall.variation = "2,5";
    InputRecord tallBack = tall;
    tallBack.variation = "2.5";
    cases.push_back({"Tall, line break in name", "Rad ett\r\nrad två", tall, tallBack});
    // A name a spreadsheet would take for a formula is the user's own input: read back as typed.
    for (const char* name : {"=1+2", "-12,5", "@A1", "+46", "\t=1", "\r\n=1", "@A1;x"}) {
        cases.push_back({name, name, InputRecord{}, InputRecord{}});
    }
    return cases;
}

TEST(StandFileBytes, OpeningWhatWasSavedGivesBackEveryText) {
    for (const RoundTrip& c : roundTrips()) {
        SCOPED_TRACE(c.name);
        const StandFile::Stand back = readBack(standFileBytes(c.input, c.standName));
        EXPECT_FALSE(back.refusal.has_value());
        EXPECT_EQ(back.name.value_or("<none>"), c.standName.empty() ? "<none>" : c.standName);
        expectTexts(back.input, c.expected);
    }
}

// A choice cell kept as the file held it is written back as it was, whatever the input's
// choice; the cells not kept are written from the choices.
TEST(StandFileBytes, KeptChoiceCellsAreWrittenAsTheFileHeldThem) {
    InputRecord input;
    input.species = Species::tall;
    input.rows[1].avverkas = true;
    const struct {
        const char* what;
        ChoiceCells kept;
        std::string choices;  // tradslag and atgard as written
        std::string marks;    // avv1 to avv3
    } cases[] = {
        {"none kept", {}, "Tall;Gallring och plockhuggning", "x;x;"},
        {"unknown",
         {"Ek", "Gallring", {"ja", std::nullopt, "a;\"b\""}},
         "Ek;Gallring",
         "ja;x;\"a;\"\"b\"\"\""},
        {"known, as written", {" Tall ", "", {"X", " "}}, " Tall ;", "X; ;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = standFileBytes(input, "", c.kept);
        EXPECT_EQ(
            bytes.substr(bytes.find('\n') + 1),
            "250;4;50;3;5;0;15;50;2;" + c.choices + ";45;35;1;1;;;;;;;" + c.marks + ";;;;;;;\r\n");
        // Read back, the cells are the ones kept.
        ChoiceCells back;
        readStandAt(bytes, back);
        EXPECT_EQ(back.tradslag, c.kept.tradslag.value_or("Tall"));
        EXPECT_EQ(back.avv[0], c.kept.avv[0].value_or("x"));
    }
}

// A stand file read as the windows read it, written back and read again keeps its species,
// its measure and its choice cells, for every name, a missing column, an empty cell and an
// unknown one; the second writing is the first.
TEST(StandFileBytes, ReadWriteReadKeepsEveryChoice) {
    std::vector<std::optional<std::string>> species = {std::nullopt, "", " ", "Ek", "tall"};
    for (const ChoiceName<Species>& name : kSpeciesNames) {
        species.emplace_back(name.name);
    }
    std::vector<std::optional<std::string>> measures = {std::nullopt, "", "x", "kalavverkning"};
    for (const ChoiceName<Measure>& name : kMeasureNames) {
        measures.emplace_back(name.name);
    }
    const auto withCell = [](std::string& header, std::string& row, std::string_view column,
                             const std::optional<std::string>& cell) {
        if (cell) {
            header += ";" + std::string(column);
            row += ";" + *cell;
        }
    };
    for (const auto& art : species) {
        for (const auto& atgard : measures) {
            SCOPED_TRACE(art.value_or("(no column)") + " / " + atgard.value_or("(no column)"));
            std::string header = "ranta";
            std::string row = "4";
            withCell(header, row, kSpeciesColumn.column, art);
            withCell(header, row, kMeasureColumn.column, atgard);
            ChoiceCells cells;
            const StandFile::Stand first = readStandAt(header + "\r\n" + row + "\r\n", cells);
            EXPECT_EQ(cells.tradslag, art);
            EXPECT_EQ(cells.atgard, atgard);
            // The species read: the one named, else the initial one.
            const InputRecord initial;
            EXPECT_EQ(first.input.species,
                      speciesNamed(art.value_or("")).value_or(initial.species));
            EXPECT_EQ(first.input.measure,
                      measureNamed(atgard.value_or("")).value_or(initial.measure));
            const std::string written = standFileBytes(first.input, "", cells);
            ChoiceCells cellsBack;
            const StandFile::Stand second = readStandAt(written, cellsBack);
            EXPECT_EQ(second.input.species, first.input.species);
            EXPECT_EQ(second.input.measure, first.input.measure);
            EXPECT_EQ(second.refusal, first.refusal);
            // A missing column is written from the choice, as its name.
            EXPECT_EQ(cellsBack.tradslag, art.value_or(std::string(nameOf(first.input.species))));
            EXPECT_EQ(cellsBack.atgard, atgard.value_or(std::string(nameOf(first.input.measure))));
            EXPECT_EQ(standFileBytes(second.input, "", cellsBack), written);
        }
    }
}

TEST(StandFile, BlankCellsAreInitialValuesForTheBatchToolAndTextsForTheWindows) {
    const StandColumns columns = *readHeader({"totaltid", "bonitet", "dia1", "dia2"});
    const std::vector<std::string> row = {" ", "", "", "40"};
    InputRecord batch;
    ASSERT_TRUE(toInputRecord(columns, row, batch).ok());
    InputRecord windows;
    ASSERT_TRUE(toInputRecord(columns, row, windows, BlankCell::asWritten).ok());
    EXPECT_EQ(std::vector<std::string>({batch.totaltid, batch.bonitet, batch.rows[0].text}),
              std::vector<std::string>({"250", "4", ""}));
    EXPECT_EQ(std::vector<std::string>({windows.totaltid, windows.bonitet, windows.rows[0].text}),
              std::vector<std::string>({" ", "", ""}));
    // A column the file does not have keeps the initial value either way.
    EXPECT_EQ(windows.areal, "50");
}

TEST(StandFile, ARefusedRowStillHandsOverEveryCellItCould) {
    const StandColumns columns = *readHeader({"tradslag", "ranta", "dia1", "avv1", "avv2"});
    InputRecord record;
    const Result<> taken = toInputRecord(columns, {"Ek", "7", "30", "ja", "x"}, record);
    EXPECT_EQ(taken.message(),
              "Okänt trädslag \"Ek\" i kolumnen tradslag. Skriv Tall, Gran eller Löv.");
    EXPECT_EQ(record.ranta, "7");
    EXPECT_EQ(record.rows[0].text, "30");
    EXPECT_TRUE(record.rows[1].avverkas);
}

class StandSourceTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& bytes) {
        return folder.write(name, bytes);
    }
    testfiles::Folder folder{"standsource"};
    const fs::path& dir = folder.path();
};

TEST_F(StandSourceTest, ARegisterGivesEveryStandWithItsRowAndName) {
    const std::string path =
        write("register.csv", "ranta;bestand\r\n3;Norr\r\n\r\nabc;\r\n5;Söder\r\n");
    const Result<std::vector<StandFile::Stand>> stands = readAllStands(path);
    ASSERT_TRUE(stands.ok()) << stands.message();
    std::vector<std::string> seen;
    for (const StandFile::Stand& stand : *stands) {
        seen.push_back(std::to_string(stand.row) + " " + stand.name.value_or("<none>") + " " +
                       stand.input.ranta);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"2 Norr 3", "4  abc", "5 Söder 5"}));
}

TEST_F(StandSourceTest, FilesThatCannotBeUsedAreRefusedNamingTheFile) {
    const std::string empty = write("tom.csv", "ranta\r\n");
    const std::string bad = write("fel.csv", "ranta;höjd\r\n3;4\r\n");
    const std::string missing = (dir / "saknas.csv").string();
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {empty, "Beståndsfilen \"" + empty + "\" har inga bestånd, bara en rubrikrad."},
        {bad, "Fel i beståndsfilen \"" + bad +
                  "\": Okänd kolumn \"höjd\" i rubrikraden. Kolumnerna heter totaltid, bonitet, "
                  "areal, ranta, maxRing, tradslag, variation, atervandel, atgard, berikning, "
                  "cykTillAvv, dia1 till dia10, avv1 till avv10 och bestand."},
        {dir.string(), "Beståndsfilen \"" + dir.string() + "\" är en mapp, inte en fil."},
        {missing,
         "Kunde inte öppna beståndsfilen \"" + missing + "\": mappen eller filen finns inte."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readAllStands(c.path).message(), c.message);
    }
}

// The area is written after the name, as a number cell, and read back; without an area the
// file has no hektar column.
TEST(StandFileBytes, TheAreaGoesIntoItsOwnColumn) {
    const struct {
        const char* name;
        const char* area;
        const char* headerStart;
        std::optional<double> back;
    } cases[] = {
        {"Norra", "12,5",
         "\xEF\xBB\xBF"
         "bestand;hektar;totaltid;",
         12.5},
        {"", "0.75",
         "\xEF\xBB\xBF"
         "hektar;totaltid;",
         0.75},
        {"Norra", "",
         "\xEF\xBB\xBF"
         "bestand;totaltid;",
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.area);
        const std::string bytes = standFileBytes(InputRecord{}, c.name, {}, c.area);
        EXPECT_EQ(bytes.substr(0, std::string_view(c.headerStart).size()), c.headerStart);
        EXPECT_EQ(readBack(bytes).hektar, c.back);
    }
    EXPECT_EQ(standFileBytes(InputRecord{}, "N", {}, ""), standFileBytes(InputRecord{}, "N"));
}

}  // namespace
}  // namespace lodra
