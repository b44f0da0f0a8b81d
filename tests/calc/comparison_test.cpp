// The comparison of choices: each cell is exactly the calculation of its choice, with the
// same random generator in every cell.
#include <gtest/gtest.h>

#include <cmath>

#include "calc/calculation.h"
#include "calc/comparison.h"
#include "report/numbertext.h"
#include "session/session.h"

namespace lodra {
namespace {

TEST(Comparison, CellOfTheEnteredChoiceIsTheReportsPresentValue) {
    Session session;
    CalcOptions options;
    ASSERT_TRUE(session.berakna(InputRecord{}, options).ok());
    ASSERT_NE(session.Resultat.find(" 157661 kr/ha"), std::string::npos);

    ComparisonProgress progress;
    ComparisonOptions compare;
    compare.progress = &progress;
    const Result<ComparisonGrid> grid = compareChoices(InputRecord{}, compare);
    ASSERT_TRUE(grid.ok()) << grid.message();
    const std::optional<double> cell = grid->nuvarde[2][1];
    ASSERT_TRUE(cell.has_value());
    EXPECT_EQ(*cell, session.calculation.economics.nuvarde);
    EXPECT_EQ(patternText(*cell, "######0", '.'), "157661");
    EXPECT_EQ(progress.cellsDone.load(), 44);
    EXPECT_TRUE(grid->stopped.empty());
}

// With a random variation every cell is the calculation of its choice from the same seed.
TEST(Comparison, CellsEqualTheCalculationOfTheirChoice) {
    InputRecord input;
    input.variation = "30";
    input.totaltid = "120";
    input.ranta = "4";
    input.cykTillAvv = "7";
    ComparisonOptions compare;
    compare.seed = 1234;
    compare.decimalSeparator = ',';
    const Result<ComparisonGrid> grid = compareChoices(input, compare);
    ASSERT_TRUE(grid.ok()) << grid.message();
    // {cykTillAvv, index into kRanta}
    for (const auto& [cycles, rate] :
         {std::pair<std::size_t, std::size_t>{0, 0}, {2, 1}, {7, 2}, {10, 3}, {5, 0}}) {
        input.cykTillAvv = std::to_string(cycles);
        input.ranta = std::to_string(ComparisonGrid::kRanta[rate]);
        StandCalculation calc;
        SeededRandom random(1234);
        CalcOptions options;
        options.decimalSeparator = ',';
        options.random = &random;
        ASSERT_TRUE(calc.berakna(input, options).ok());
        const auto cell = grid->nuvarde[cycles][rate];
        ASSERT_TRUE(cell.has_value()) << cycles << " " << rate;
        EXPECT_EQ(*cell, calc.economics.nuvarde) << cycles << " " << rate;
    }
}

TEST(Comparison, RefusedEntriesGiveTheCalculationsMessage) {
    InputRecord input;
    input.bonitet = "abc";
    // The entered rate and interval are replaced by the cells' own, so they are no reason.
    input.ranta = "2.5";
    StandCalculation calc;
    const Outcome refused = calc.berakna(input, CalcOptions{});
    ASSERT_EQ(refused.error().status, Status::Refused);
    const Result<ComparisonGrid> grid = compareChoices(input, ComparisonOptions{});
    ASSERT_FALSE(grid.ok());
    EXPECT_EQ(grid.error().status, Status::Refused);
    EXPECT_EQ(grid.error().refusal.field, InputField::bonitet);
    EXPECT_EQ(grid.message(), refused.message());

    input.bonitet = "4";
    EXPECT_TRUE(compareChoices(input, ComparisonOptions{}).ok());
}

TEST(Comparison, Cancelled) {
    const std::atomic<bool> cancel{true};
    ComparisonOptions compare;
    compare.cancel = &cancel;
    const Result<ComparisonGrid> grid = compareChoices(InputRecord{}, compare);
    ASSERT_FALSE(grid.ok());
    EXPECT_EQ(grid.message(), "Jämförelsen avbröts.");
}

// The best interval of a rate: the highest value, the shortest of equal ones, -1 if none.
TEST(Comparison, BestIntervalIsTheHighestValueShortestOfEqual) {
    const std::pair<std::vector<std::optional<double>>, int> cases[] = {
        {{}, -1},
        {{-5.0}, 0},
        {{-5.0, -4.0, -6.0}, 1},
        {{std::nullopt, 3.0, 7.0, 7.0, 1.0}, 2},
        {{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0, 11.0}, 10},
    };
    for (const auto& [column, best] : cases) {
        ComparisonGrid grid;
        for (std::size_t c = 0; c < column.size(); ++c) {
            grid.nuvarde[c][2] = column[c];
        }
        EXPECT_EQ(grid.best(2), best) << column.size() << " values";
        EXPECT_EQ(grid.best(0), -1);
    }
}

}  // namespace
}  // namespace lodra
