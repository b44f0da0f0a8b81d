#include "standfile/standfile.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace lodra {
namespace {

TEST(ReadHeader, FindsColumnsInAnyOrderCaseAndSpacing) {
    const Result<StandColumns> read =
        readHeader({" AVV10", "dia3 ", "TotalTid", "maxring", "Atgard", "tradslag"});
    ASSERT_TRUE(read) << read.message();
    const StandColumns& columns = *read;
    EXPECT_EQ(columns.avv[9], 0);
    EXPECT_EQ(columns.dia[2], 1);
    EXPECT_EQ(columns.parameter[0], 2);  // totaltid
    EXPECT_EQ(columns.parameter[4], 3);  // maxRing
    EXPECT_EQ(columns.atgard, 4);
    EXPECT_EQ(columns.tradslag, 5);
    EXPECT_EQ(columns.parameter[1], -1);
    EXPECT_EQ(columns.dia[0], -1);
    EXPECT_TRUE(columns.anyTreeColumn);
    EXPECT_EQ(columns.fieldCount, 6u);

    EXPECT_FALSE(readHeader({"bonitet"})->anyTreeColumn);
}

TEST(ReadHeader, RefusesUnknownUnnamedAndRepeatedColumns) {
    EXPECT_EQ(readHeader({"totaltid", "dia11"}).message(),
              "Okänd kolumn \"dia11\" i rubrikraden. Kolumnerna heter totaltid, bonitet, areal, "
              "ranta, maxRing, tradslag, variation, atervandel, atgard, berikning, cykTillAvv, "
              "dia1 till dia10, avv1 till avv10 och bestand.");
    EXPECT_EQ(readHeader({"totaltid", "  "}).message(), "Kolumn 2 i rubrikraden saknar namn.");
    EXPECT_EQ(readHeader({"ranta", "Ranta"}).message(),
              "Kolumnen \"Ranta\" finns mer än en gång i rubrikraden.");
}

StandColumns columnsOf(const std::vector<std::string>& header) {
    const Result<StandColumns> columns = readHeader(header);
    EXPECT_TRUE(columns) << columns.message();
    return columns ? *columns : StandColumns{};
}

void expectSameRecord(const InputRecord& a, const InputRecord& b) {
    EXPECT_EQ(a.totaltid, b.totaltid);
    EXPECT_EQ(a.bonitet, b.bonitet);
    EXPECT_EQ(a.areal, b.areal);
    EXPECT_EQ(a.ranta, b.ranta);
    EXPECT_EQ(a.maxRing, b.maxRing);
    EXPECT_EQ(a.variation, b.variation);
    EXPECT_EQ(a.atervandel, b.atervandel);
    EXPECT_EQ(a.berikning, b.berikning);
    EXPECT_EQ(a.cykTillAvv, b.cykTillAvv);
    EXPECT_EQ(a.species, b.species);
    EXPECT_EQ(a.measure, b.measure);
    for (std::size_t k = 0; k < a.rows.size(); ++k) {
        EXPECT_EQ(a.rows[k].text, b.rows[k].text) << "row " << k + 1;
        EXPECT_EQ(a.rows[k].avverkas, b.rows[k].avverkas) << "row " << k + 1;
    }
}

TEST(ToInputRecord, MissingColumnsBlankCellsAndShortRowsKeepTheInitialEntries) {
    const StandColumns columns = columnsOf({"totaltid", "bonitet", "tradslag", "atgard", "ranta"});
    InputRecord record;
    EXPECT_TRUE(toInputRecord(columns, {"", " \t", " "}, record).ok());
    expectSameRecord(record, InputRecord{});
}

TEST(ToInputRecord, ParameterCellsGoToTheIntakeUnchanged) {
    const StandColumns columns = columnsOf({"cykTillAvv", "berikning", "atervandel", "variation",
                                            "maxRing", "ranta", "areal", "bonitet", "totaltid"});
    InputRecord record;
    ASSERT_TRUE(
        toInputRecord(columns, {"3", "40", "20", "1,5", "6.5", " 4 ", "abc", "1e999", "37"}, record)
            .ok());
    InputRecord expected;
    expected.cykTillAvv = "3";
    expected.berikning = "40";
    expected.atervandel = "20";
    expected.variation = "1,5";
    expected.maxRing = "6.5";
    expected.ranta = " 4 ";
    expected.areal = "abc";
    expected.bonitet = "1e999";
    expected.totaltid = "37";
    expectSameRecord(record, expected);
}

TEST(ToInputRecord, SpeciesAndMeasureChooseTheOptions) {
    const StandColumns columns = columnsOf({"tradslag", "atgard"});
    InputRecord record;
    ASSERT_TRUE(toInputRecord(columns, {"Tall", "Kalavverkning"}, record).ok());
    EXPECT_EQ(record.species, Species::tall);
    EXPECT_EQ(record.measure, Measure::kalavverkning);

    record = InputRecord{};
    ASSERT_TRUE(toInputRecord(columns, {" Löv ", "Gallring och plockhuggning"}, record).ok());
    EXPECT_EQ(record.species, Species::lov);
    EXPECT_EQ(record.measure, Measure::gallring);

    record = InputRecord{};
    ASSERT_TRUE(toInputRecord(columns, {"Gran", ""}, record).ok());
    EXPECT_EQ(record.species, Species::gran);
}

TEST(ToInputRecord, UnknownSpeciesMeasureOrMarkRefusesTheRow) {
    const StandColumns columns = columnsOf({"tradslag", "atgard", "dia1", "avv1"});
    InputRecord record;
    EXPECT_EQ(toInputRecord(columns, {"tall"}, record).message(),
              "Okänt trädslag \"tall\" i kolumnen tradslag. Skriv Tall, Gran eller Löv.");
    EXPECT_EQ(toInputRecord(columns, {"Gran", "Gallring"}, record).message(),
              "Okänd åtgärd \"Gallring\" i kolumnen atgard. Skriv Kalavverkning eller Gallring "
              "och plockhuggning.");
    EXPECT_EQ(toInputRecord(columns, {"", "", "45", "ja"}, record).message(),
              "Okänt värde \"ja\" i kolumnen avv1. Skriv x för ett träd som avverkas direkt, "
              "annars ingenting.");
}

TEST(ToInputRecord, TreeColumnsReplaceAllTenRowsOfTheWindow) {
    InputRecord record;
    ASSERT_TRUE(toInputRecord(columnsOf({"bonitet"}), {"5"}, record).ok());
    expectSameRecord(record, [] {
        InputRecord r;
        r.bonitet = "5";
        return r;
    }());

    // Any dia or avv column: the rows it does not name are empty and unticked.
    record = InputRecord{};
    ASSERT_TRUE(toInputRecord(columnsOf({"avv3", "dia2", "dia10", "dia3", "avv10", "dia1"}),
                              {"X", "12.5", " 9 ", "30", "x", "  "}, record)
                    .ok());
    InputRecord expected;
    expected.rows = {};
    expected.rows[1].text = "12.5";
    expected.rows[2] = {"30", true};
    expected.rows[9] = {" 9 ", true};
    expectSameRecord(record, expected);

    // A tick on an empty row is the intake's to judge, as in the window.
    record = InputRecord{};
    ASSERT_TRUE(toInputRecord(columnsOf({"avv1"}), {"x"}, record).ok());
    EXPECT_EQ(record.rows[0].text, "");
    EXPECT_TRUE(record.rows[0].avverkas);
}

struct ReadStands {
    bool opened = false;
    std::string error;
    bool windows1252 = false;
    int count = 0;
    std::vector<StandFile::Stand> stands;
};

ReadStands readStands(const std::string& bytes) {
    std::istringstream in(bytes);
    StandFile file;
    ReadStands out;
    Result<> opened = file.open(in);
    out.opened = opened.ok();
    out.windows1252 = file.windows1252();
    out.count = file.standCount();
    if (!opened) {
        out.error = opened.message();
        return out;
    }
    StandFile::Stand stand;
    Result<bool> read = file.next(stand);
    for (; read && *read; read = file.next(stand)) {
        out.stands.push_back(stand);
    }
    out.error = read ? "" : read.message();
    return out;
}

TEST(StandFile, BlankRowsAreSkippedButKeepTheirNumbers) {
    const ReadStands r = readStands("totaltid;bonitet\r\n250;4\r\n\r\n;\r\n \t; \r\n100;6\r\n");
    ASSERT_TRUE(r.opened) << r.error;
    EXPECT_EQ(r.count, 2);
    ASSERT_EQ(r.stands.size(), 2u);
    EXPECT_EQ(r.stands[0].row, 2);
    EXPECT_EQ(r.stands[1].row, 6);
    EXPECT_EQ(r.stands[1].input.totaltid, "100");
    EXPECT_EQ(r.stands[1].input.bonitet, "6");
}

TEST(StandFile, RefusedRowsComeWithTheirMessage) {
    const ReadStands r = readStands("tradslag\nBjörk\nTall\n");
    ASSERT_EQ(r.stands.size(), 2u);
    EXPECT_EQ(r.stands[0].row, 2);
    EXPECT_EQ(r.stands[0].refusal,
              "Okänt trädslag \"Björk\" i kolumnen tradslag. Skriv Tall, Gran eller Löv.");
    EXPECT_FALSE(r.stands[1].refusal);
    EXPECT_EQ(r.stands[1].input.species, Species::tall);
}

TEST(StandFile, AFileThatIsNotUtf8IsReadWholeAsWindows1252) {
    ReadStands r = readStands("tradslag\nL\xF6v\n");
    EXPECT_TRUE(r.windows1252);
    ASSERT_EQ(r.stands.size(), 1u);
    EXPECT_FALSE(r.stands[0].refusal);
    EXPECT_EQ(r.stands[0].input.species, Species::lov);

    r = readStands("\xEF\xBB\xBFtradslag\r\nL\xC3\xB6v\r\n");
    EXPECT_FALSE(r.windows1252);
    ASSERT_EQ(r.stands.size(), 1u);
    EXPECT_EQ(r.stands[0].input.species, Species::lov);

    // The byte that decides comes only after the first rows: those rows are Windows-1252
    // too, even where their bytes would also read as UTF-8 (C3 B6 is "Ã¶", not "ö").
    std::string bytes = "tradslag;dia1\nL\xC3\xB6v;1\n";
    for (int i = 0; i < 20000; ++i) {
        bytes += "Gran;35\n";
    }
    bytes += "L\xF6v;\xB1";
    r = readStands(bytes);
    EXPECT_TRUE(r.windows1252);
    ASSERT_EQ(r.stands.size(), 20002u);
    EXPECT_EQ(r.stands.front().refusal,
              "Okänt trädslag \"LÃ¶v\" i kolumnen tradslag. Skriv Tall, Gran eller Löv.");
    EXPECT_EQ(r.stands.back().input.species, Species::lov);
    EXPECT_EQ(r.stands.back().input.rows[0].text, "±");
}

TEST(StandFile, FilesThatCannotBeUsedAtAllAreRefusedBeforeAnyStand) {
    ReadStands r = readStands("");
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.error, "Filen är tom: den saknar rubrikrad med kolumnernas namn.");

    r = readStands("totaltid;bonitet\n250;4\n\n250;4;5\n");
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.error, "Rad 4 har fler fält än rubrikraden, som har 2.");

    r = readStands("totaltid\n250\n\"250\n");
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.error, "Rad 3: ett citattecken som inleder ett fält avslutas aldrig.");

    r = readStands("totaltid;h\xF6jd\n250;12\n");
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.error,
              "Okänd kolumn \"höjd\" i rubrikraden. Kolumnerna heter totaltid, bonitet, areal, "
              "ranta, maxRing, tradslag, variation, atervandel, atgard, berikning, cykTillAvv, "
              "dia1 till dia10, avv1 till avv10 och bestand.");

    r = readStands("totaltid;bonitet\n");
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(r.count, 0);
}

}  // namespace
}  // namespace lodra

namespace lodra {
namespace {

// The hektar cell: a finite area above 0 and at most 100000 ha, with a point or a comma, or
// nothing; anything else refuses the row (after any other refusal of it).
TEST(StandFile, TheAreaIsOptionalAndRefusedOutsideItsRange) {
    const std::string refusedText = " i kolumnen hektar går inte att använda.";
    const struct {
        const char* cell;
        std::optional<double> hektar;
        bool refused;
    } cases[] = {
        {"12,5", 12.5, false},
        {"3.25", 3.25, false},
        {" 7 ", 7, false},
        {"100000", 1e5, false},
        {"1e-3", 0.001, false},
        {"", std::nullopt, false},
        {" ", std::nullopt, false},
        {"0", std::nullopt, true},
        {"-1", std::nullopt, true},
        {"100000,01", std::nullopt, true},
        {"1e400", std::nullopt, true},
        {"nan", std::nullopt, true},
        {"inf", std::nullopt, true},
        {"12 ha", std::nullopt, true},
        {"1.234,5", std::nullopt, true},
    };
    std::string csv = "totaltid;hektar\n";
    for (const auto& c : cases) {
        csv += std::string("250;") + c.cell + "\n";
    }
    csv += "250\n";  // a short row: no area
    const ReadStands r = readStands(csv);
    ASSERT_TRUE(r.opened) << r.error;
    ASSERT_EQ(r.stands.size(), std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.cell);
        EXPECT_EQ(r.stands[i].hektar, c.hektar);
        EXPECT_EQ(r.stands[i].hektarCell, c.cell);
        EXPECT_EQ(r.stands[i].refusal.has_value(), c.refused);
        if (c.refused) {
            EXPECT_NE(r.stands[i].refusal->find(refusedText), std::string::npos);
        }
    }
    EXPECT_FALSE(r.stands.back().hektar);
    EXPECT_FALSE(r.stands.back().refusal);

    // The row's own refusal comes first; a file without the column has no area cell at all.
    const ReadStands both = readStands("tradslag;hektar\nBjörk;-1\n");
    EXPECT_EQ(both.stands.at(0).refusal->find("Okänt trädslag"), 0u);
    const ReadStands none = readStands("totaltid\n250\n");
    EXPECT_FALSE(none.stands.at(0).hektarCell);
}

}  // namespace
}  // namespace lodra
