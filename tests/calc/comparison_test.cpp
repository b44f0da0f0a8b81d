// The comparison of choices: each cell is exactly the calculation of its choice, with the
// same random generator in every cell.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "calc/calculation.h"
#include "calc/comparison.h"
#include "report/numbertext.h"
#include "session/session.h"

namespace lodra {
namespace {

TEST(Comparison, CellOfTheEnteredChoiceIsTheReportsPresentValue) {
    Session session('.');
    CalcOptions options;
    ASSERT_TRUE(session.berakna(InputRecord{}, options).ok());
    ASSERT_NE(session.Resultat.find(" 157661 kr/ha"), std::string::npos);

    ComparisonProgress progress;
    ComparisonOptions compare;
    compare.progress = &progress;
    const Result<ComparisonGrid> grid = compareChoices(InputRecord{}, '.', compare);
    ASSERT_TRUE(grid.ok()) << grid.message();
    const std::optional<double> cell = grid->nuvarde[2][1];
    ASSERT_TRUE(cell.has_value());
    EXPECT_EQ(*cell, session.calculation.economics.nuvarde);
    EXPECT_EQ(patternText(*cell, "######0", '.'), "157661");
    EXPECT_EQ(progress.cellsDone.load(), 44);
    EXPECT_TRUE(grid->stopped.empty());
}

// With a random variation every one of the 88 cells, of the entered measure's grid and of
// both measures', is the single calculation of its measure, interval and rate from the
// same seed.
TEST(Comparison, CellsEqualTheCalculationOfTheirChoice) {
    InputRecord input;
    input.variation = "30";
    input.totaltid = "120";
    input.ranta = "4";
    input.cykTillAvv = "7";
    ComparisonProgress progress;
    ComparisonOptions compare;
    compare.seed = 1234;
    const Result<ComparisonGrid> grid = compareChoices(input, ',', compare);
    ASSERT_TRUE(grid.ok()) << grid.message();
    compare.progress = &progress;
    const Result<MeasureComparison> both = compareMeasures(input, ',', compare);
    ASSERT_TRUE(both.ok()) << both.message();
    EXPECT_EQ(progress.cellsDone.load(), 88);
    EXPECT_TRUE(both->stopped.empty());
    EXPECT_EQ(both->grids[MeasureComparison::kGallring].nuvarde, grid->nuvarde);
    StandCalculation calc;
    for (std::size_t m = 0; m < MeasureComparison::kMeasures; ++m) {
        input.measure = static_cast<Measure>(m);
        for (std::size_t c = 0; c < ComparisonGrid::kIntervals; ++c) {
            for (std::size_t r = 0; r < ComparisonGrid::kRateCount; ++r) {
                input.cykTillAvv = std::to_string(c);
                input.ranta = std::to_string(kRates[r]);
                SeededRandom random(1234);
                CalcOptions options;
                options.random = &random;
                ASSERT_TRUE(calc.berakna(input, ',', options).ok());
                const auto& cell = both->grids[m].nuvarde[c][r];
                ASSERT_TRUE(cell.has_value()) << m << " " << c << " " << r;
                EXPECT_EQ(*cell, calc.economics.nuvarde) << m << " " << c << " " << r;
            }
        }
    }
    // Clear-felling is no copy of thinning: the harvest nets differ.
    EXPECT_NE(both->grids[0].nuvarde[2][1], both->grids[1].nuvarde[2][1]);
}

TEST(Comparison, RefusedEntriesGiveTheCalculationsMessage) {
    InputRecord input;
    input.bonitet = "abc";
    // The entered rate and interval are replaced by the cells' own, so they are no reason.
    input.ranta = "2.5";
    StandCalculation calc;
    const Outcome refused = calc.berakna(input, '.', CalcOptions{});
    ASSERT_EQ(refused.error().status, Status::Refused);
    const Result<ComparisonGrid> grid = compareChoices(input, '.', ComparisonOptions{});
    ASSERT_FALSE(grid.ok());
    EXPECT_EQ(grid.error().status, Status::Refused);
    EXPECT_EQ(grid.error().refusal.field, InputField::bonitet);
    EXPECT_EQ(grid.message(), refused.message());

    input.bonitet = "4";
    EXPECT_TRUE(compareChoices(input, '.', ComparisonOptions{}).ok());
}

TEST(Comparison, Cancelled) {
    const std::atomic<bool> cancel{true};
    ComparisonOptions compare;
    compare.cancel = &cancel;
    const Result<ComparisonGrid> grid = compareChoices(InputRecord{}, '.', compare);
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

// The best pair of a rate: the highest value; of equal values the shorter interval, then
// thinning; none without values.
TEST(MeasureComparison, BestPairTiesGoToTheShorterIntervalThenThinning) {
    using Cells = std::vector<std::tuple<int, int, double>>;  // measure, interval, value
    const std::pair<Cells, std::pair<int, int>> cases[] = {
        {{}, {-1, -1}},
        {{{1, 4, -10.0}}, {1, 4}},
        {{{0, 3, 5.0}, {1, 2, 6.0}}, {1, 2}},
        {{{0, 3, 6.0}, {1, 2, 6.0}}, {1, 2}},
        {{{1, 2, 6.0}, {0, 2, 6.0}}, {0, 2}},
        {{{0, 9, 6.0}, {1, 9, 6.5}, {0, 10, 6.5}}, {1, 9}},
    };
    for (const auto& [cells, best] : cases) {
        MeasureComparison both;
        for (const auto& [m, c, value] : cells) {
            both.grids[static_cast<std::size_t>(m)].nuvarde[static_cast<std::size_t>(c)][3] = value;
        }
        const MeasureComparison::Best found = both.best(3);
        EXPECT_EQ(std::pair(found.measure, found.interval), best) << cells.size() << " cells";
        EXPECT_EQ(both.best(0).measure, -1);
    }
}

// The longest horizon overflows at 3, 4 and 5 % but not at 2 %: the cells that stop are
// empty, the others filled, and the message names the first one that stopped.
TEST(MeasureComparison, CellsThatStopAreEmptyTheOthersFilled) {
    InputRecord input;
    input.totaltid = "32767";
    const Result<ComparisonGrid> grid = compareChoices(input, '.', ComparisonOptions{});
    ASSERT_TRUE(grid.ok()) << grid.message();
    for (int c = 0; c < ComparisonGrid::kIntervals; ++c) {
        EXPECT_TRUE(grid->nuvarde[static_cast<std::size_t>(c)][0].has_value()) << c;
        EXPECT_FALSE(grid->nuvarde[static_cast<std::size_t>(c)][3].has_value()) << c;
    }
    EXPECT_EQ(grid->stopped.rfind("Vid 0 cykler och 3 %: Beräkningen avbröts: ", 0), 0u)
        << grid->stopped;

    const Result<MeasureComparison> both = compareMeasures(input, '.', ComparisonOptions{});
    ASSERT_TRUE(both.ok()) << both.message();
    EXPECT_EQ(both->stopped, "Gallring och plockhuggning v" + grid->stopped.substr(1));
    EXPECT_EQ(both->best(3).measure, -1);
    EXPECT_GE(both->best(0).measure, 0);
}

}  // namespace
}  // namespace lodra
