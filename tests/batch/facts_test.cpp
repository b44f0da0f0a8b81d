// Every row of the parameter table and every choice reaches each consumer with no edit of
// its own: the stand file's reader and writer, the intake's refusals, the batch tool's help,
// its refusal texts and its memory accounting.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "batch/batchrun.h"
#include "batch/outputtables.h"
#include "batch/pipeline.h"
#include "batch/refusaltext.h"
#include "calc/calculation.h"
#include "calc/parameters.h"
#include "standfile/standfile.h"
#include "standfile/standwriter.h"

namespace lodra::batch {
namespace {

// The help's block of columns, from its heading to the line after the columns.
std::string columnsHelp() {
    const std::string help = helpText();
    const std::size_t from = help.find("Kolumner");
    return help.substr(from, help.find("En kolumn som saknas") - from);
}

// A text of its own for each parameter, a number the intake takes.
std::string distinct(std::size_t p) {
    return std::to_string(p + 2) + ".5";
}

// The help line of a column: the column, then at least one blank before what it holds.
bool helpNames(const std::string& help, std::string_view column, std::string_view what) {
    const std::size_t at = help.find("  " + std::string(column) + " ");
    return at != std::string::npos && help.find(what, at) < help.find('\n', at);
}

TEST(ParameterTable, EveryRowReachesEveryConsumer) {
    std::vector<std::string> header;
    std::vector<std::string> cells;
    InputRecord written;
    for (std::size_t p = 0; p < kParameterTable.size(); ++p) {
        header.emplace_back(kParameterTable[p].column);
        cells.push_back(distinct(p));
        written.*kParameterTable[p].member = distinct(p);
    }
    const StandColumns columns = *readHeader(header);
    InputRecord read;
    ASSERT_TRUE(toInputRecord(columns, cells, read).ok());
    const std::string bytes = standFileBytes(written, "");
    std::istringstream in(bytes);
    StandFile file;
    ASSERT_TRUE(file.open(in).ok());
    StandFile::Stand back;
    ASSERT_TRUE(file.next(back).ok());

    const std::string help = columnsHelp();
    const std::string unknown = readHeader({"okänd"}).message();
    for (std::size_t p = 0; p < kParameterTable.size(); ++p) {
        const ParameterRow& row = kParameterTable[p];
        SCOPED_TRACE(std::string(row.column));
        EXPECT_EQ(read.*row.member, distinct(p));
        EXPECT_EQ(back.input.*row.member, distinct(p));
        EXPECT_NE(help.find(" " + std::string(row.column)), std::string::npos);
        EXPECT_NE(unknown.find(" " + std::string(row.column) + ","), std::string::npos);

        // The intake refuses the field by itself, and the batch tool names its column.
        InputRecord refused;
        refused.*row.member = "abc";
        const Result<StandCalculation::Intake> intake = StandCalculation::accept(refused, '.');
        ASSERT_FALSE(intake.ok());
        EXPECT_EQ(intake.error().refusal.field, row.field);
        EXPECT_EQ(refusalText(intake.error()),
                  "kolumn " + std::string(row.column) + ": \"abc\" är inte ett tal.");

        // A long text is counted in the stand's bytes in flight and in its most.
        StandFile::Stand stand;
        const StandOutputs outputs;
        const std::size_t before = bytesOf(stand, outputs);
        const std::size_t mostBefore = standBytesMost(stand, Arguments{}, '.');
        (stand.input.*row.member).assign(4096, '7');
        EXPECT_GE(bytesOf(stand, outputs), before + 4096);
        EXPECT_GE(standBytesMost(stand, Arguments{}, '.'), mostBefore + 4096);
    }
}

// A choice's name: listed with its column, taken by the intake, read and written back.
template <typename Choice, typename Refusal>
void expectNameReachesEveryConsumer(const ChoiceName<Choice>& name, const ChoiceColumn& column,
                                    Refusal refusal, Choice InputRecord::*member) {
    SCOPED_TRACE(std::string(name.name));
    EXPECT_NE(column.names.find(name.name), std::string_view::npos);
    EXPECT_FALSE(refusal(name.name));
    InputRecord record;
    ASSERT_TRUE(
        toInputRecord(*readHeader({std::string(column.column)}), {std::string(name.name)}, record));
    EXPECT_EQ(record.*member, name.choice);
    EXPECT_NE(standFileBytes(record, "").find(";" + std::string(name.name) + ";"),
              std::string::npos);
}

TEST(ChoiceTables, EveryNameReachesEveryConsumer) {
    const std::string help = columnsHelp();
    const std::string unknown = readHeader({"okänd"}).message();
    for (const ChoiceColumn& choice : kChoiceColumns) {
        EXPECT_TRUE(helpNames(help, choice.column, choice.names)) << choice.column;
        EXPECT_NE(unknown.find(" " + std::string(choice.column) + ","), std::string::npos);
    }
    for (const ChoiceName<Species>& name : kSpeciesNames) {
        expectNameReachesEveryConsumer(name, kSpeciesColumn, tradslagRefusal,
                                       &InputRecord::species);
    }
    for (const ChoiceName<Measure>& name : kMeasureNames) {
        expectNameReachesEveryConsumer(name, kMeasureColumn, atgardRefusal, &InputRecord::measure);
    }
    // The refusals list every name, as the help does.
    EXPECT_NE(tradslagRefusal("Ek")->find(std::string(kSpeciesColumn.names)), std::string::npos);
    EXPECT_NE(atgardRefusal("x")->find(std::string(kMeasureColumn.names)), std::string::npos);
}

// Every tree row has its columns in the reader, the writer and the help.
TEST(TreeRows, EveryRowHasItsColumns) {
    const std::string bytes = standFileBytes(InputRecord{}, "");
    for (std::size_t k = 1; k <= kTreeRows; ++k) {
        const std::string number = std::to_string(k);
        const StandColumns columns = *readHeader({"dia" + number, "avv" + number});
        EXPECT_EQ(columns.dia[k - 1], 0);
        EXPECT_EQ(columns.avv[k - 1], 1);
        EXPECT_NE(bytes.find(";dia" + number + ";"), std::string::npos);
        EXPECT_NE(bytes.find(";avv" + number), std::string::npos);
    }
    EXPECT_FALSE(readHeader({"dia" + std::to_string(kTreeRows + 1)}).ok());
    EXPECT_NE(columnsHelp().find("dia1 till dia" + std::to_string(kTreeRows)), std::string::npos);
}

}  // namespace
}  // namespace lodra::batch
