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

// Under runs every cell is the mean of its runs, run k of every cell from standSeed(B, k):
// the lead of the best pair over the next is the mean of the runs' paired differences, and
// its standard error theirs; the figures do not depend on the threads.
TEST(MeasureComparison, RunsShareTheirRandomNumbersAcrossCells) {
    InputRecord input;
    input.variation = "40";
    input.totaltid = "120";
    constexpr std::uint64_t kBase = 77;
    constexpr int kRuns = 9;
    ComparisonOptions compare;
    compare.seed = kBase;
    compare.runs = kRuns;
    const Result<MeasureComparison> both = compareMeasures(input, '.', compare);
    ASSERT_TRUE(both.ok()) << both.message();
    EXPECT_TRUE(both->varied);
    EXPECT_EQ(both->runs, kRuns);
    compare.threads = 3;
    const Result<MeasureComparison> threaded = compareMeasures(input, '.', compare);
    ASSERT_TRUE(threaded.ok());
    EXPECT_EQ(threaded->grids[0].nuvarde, both->grids[0].nuvarde);
    EXPECT_EQ(threaded->grids[1].nuvarde, both->grids[1].nuvarde);

    // Run k of a cell, calculated on its own.
    StandCalculation calc;
    const auto run = [&](int measure, int interval, int rate, int k) {
        InputRecord cell = input;
        cell.measure = static_cast<Measure>(measure);
        cell.cykTillAvv = std::to_string(interval);
        cell.ranta = std::to_string(kRates[static_cast<std::size_t>(rate)]);
        SeededRandom random(standSeed(kBase, k));
        CalcOptions options;
        options.random = &random;
        EXPECT_TRUE(calc.berakna(cell, '.', options).ok());
        return calc.economics.nuvarde;
    };
    for (int r = 0; r < ComparisonGrid::kRateCount; ++r) {
        const MeasureComparison::Best best = both->best(r);
        ASSERT_TRUE(both->leads[static_cast<std::size_t>(r)].has_value()) << r;
        const ComparisonLead& lead = *both->leads[static_cast<std::size_t>(r)];
        EXPECT_EQ(threaded->leads[static_cast<std::size_t>(r)]->lead, lead.lead);
        double bestSum = 0, nextSum = 0, differenceSum = 0;
        std::vector<double> differences;
        for (int k = 1; k <= kRuns; ++k) {
            const double a = run(best.measure, best.interval, r, k);
            const double b = run(lead.measure, lead.interval, r, k);
            bestSum += a;
            nextSum += b;
            differenceSum += a - b;
            differences.push_back(a - b);
        }
        const auto& cell = [&](int m, int c) {
            return *both->grids[static_cast<std::size_t>(m)]
                        .nuvarde[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)];
        };
        EXPECT_NEAR(cell(best.measure, best.interval), bestSum / kRuns, 1e-6);
        EXPECT_NEAR(cell(lead.measure, lead.interval), nextSum / kRuns, 1e-6);
        EXPECT_NEAR(lead.lead, differenceSum / kRuns, 1e-6);
        EXPECT_NEAR(lead.lead,
                    cell(best.measure, best.interval) - cell(lead.measure, lead.interval), 1e-6);
        double squares = 0;
        for (const double d : differences) {
            squares += (d - differenceSum / kRuns) * (d - differenceSum / kRuns);
        }
        ASSERT_TRUE(lead.standardError.has_value());
        EXPECT_NEAR(*lead.standardError, std::sqrt(squares / (kRuns - 1) / kRuns), 1e-6);
        EXPECT_EQ(both->marked(r), lead.lead > 2 * *lead.standardError);
    }
    EXPECT_EQ(both->entered->measure, 0);
    EXPECT_EQ(both->entered->interval, 2);
    EXPECT_EQ(both->entered->rate, 1);
    // The entered cell's runs are the spread's runs from the same seed.
    SpreadOptions spread;
    spread.seed = kBase;
    spread.runs = kRuns;
    const Result<Spread> runs = computeSpread(input, '.', spread);
    ASSERT_TRUE(runs.ok());
    EXPECT_EQ(*both->grids[0].nuvarde[2][1], runs->nuvarde.mean);
}

// Without a variation no calculation draws a number: runs give the exact grids of a single
// calculation, with every best pair marked as ever.
TEST(MeasureComparison, WithoutVariationRunsAreTheSingleCalculation) {
    ComparisonOptions single;
    single.seed = 5;
    ComparisonOptions runs = single;
    runs.runs = 100;
    ComparisonProgress progress;
    runs.progress = &progress;
    const Result<MeasureComparison> once = compareMeasures(InputRecord{}, ',', single);
    const Result<MeasureComparison> many = compareMeasures(InputRecord{}, ',', runs);
    ASSERT_TRUE(once.ok() && many.ok());
    EXPECT_EQ(progress.cellsDone.load(), 88);
    EXPECT_FALSE(many->varied);
    EXPECT_EQ(many->runs, 1);
    for (std::size_t m = 0; m < MeasureComparison::kMeasures; ++m) {
        EXPECT_EQ(many->grids[m].nuvarde, once->grids[m].nuvarde);
    }
    for (int r = 0; r < ComparisonGrid::kRateCount; ++r) {
        EXPECT_FALSE(many->leads[static_cast<std::size_t>(r)].has_value());
        EXPECT_TRUE(many->marked(r));
    }
}

// A best pair is marked only where its lead is more than twice its standard error; a rate
// with a single value has nothing to be told apart from.
TEST(MeasureComparison, BestMarkedOnlyWhereItsLeadIsClear) {
    struct Case {
        const char* name;
        bool values;
        std::optional<ComparisonLead> lead;
        bool marked;
    };
    const auto lead = [](double by, std::optional<double> error) {
        ComparisonLead l;
        l.measure = 1;
        l.interval = 3;
        l.lead = by;
        l.standardError = error;
        return l;
    };
    const Case cases[] = {
        {"exact", true, std::nullopt, true},
        {"clear", true, lead(100, 49.9), true},
        {"twice the error", true, lead(100, 50), false},
        {"within", true, lead(30, 40), false},
        {"one run", true, lead(1000, std::nullopt), false},
        {"equal in every run", true, lead(0, 0.0), false},
        {"constant lead", true, lead(5, 0.0), true},
        {"no values", false, std::nullopt, false},
    };
    for (const Case& c : cases) {
        MeasureComparison both;
        if (c.values) {
            both.grids[0].nuvarde[2][1] = 1000.0;
            both.grids[1].nuvarde[3][1] = 900.0;
        }
        both.leads[1] = c.lead;
        EXPECT_EQ(both.marked(1), c.marked) << c.name;
        ComparisonGrid grid = both.grids[0];
        grid.leads[1] = c.lead;
        EXPECT_EQ(grid.marked(1), c.marked) << c.name;
    }
}

}  // namespace
}  // namespace lodra
