// A property's rows, totals and flow against the report's own figures.
#include "session/property.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "calc/randomsource.h"

namespace lodra {
namespace {

// Stands with known flows per ha: summed by year times their areas, years with nothing out.
TEST(PropertyFlow, SumsTheStandsByYearTimesTheirArea) {
    PropertyFlow property;
    property.add({{0, 10, 100, 5, 95}, {1, 0, 0, 50, -50}, {5, 0, 0, 0, 0}, {10, 3, 30, 2, 20}}, 2);
    property.add({{0, 0, 0, 0, 0}, {1, 0, 0, 10, -10}, {5, 1, 10, 1, 9}}, 0.5);
    property.add({{0, 0, 0, 0, 0}, {400, 4, -8, 0, -1}}, 4);
    const std::vector<FlowYear> expected = {{0, 20, 200, 10, 190},
                                            {1, 0, 0, 105, -105},
                                            {5, 0.5, 5, 0.5, 4.5},
                                            {10, 6, 60, 4, 40},
                                            {400, 16, -32, 0, -4}};
    const std::vector<FlowYear> years = property.years();
    ASSERT_EQ(years.size(), expected.size());
    for (std::size_t i = 0; i < years.size(); ++i) {
        const FlowYear& e = expected[i];
        EXPECT_EQ(years[i].ar, e.ar);
        for (const auto field :
             {&FlowYear::volym, &FlowYear::netto, &FlowYear::kostnad, &FlowYear::nuvarde}) {
            EXPECT_DOUBLE_EQ(years[i].*field, e.*field) << e.ar;
        }
    }
    const FlowYear total = property.total();
    EXPECT_DOUBLE_EQ(total.nuvarde, 125.5);
    EXPECT_DOUBLE_EQ(total.kassaflode(), 233 - 119.5);
    EXPECT_TRUE(PropertyFlow().years().empty());
}

// A random stand of a register; about one in ten has no area, one in ten is refused.
PropertyInput randomStand(std::mt19937& random, int row) {
    std::uniform_int_distribution<int> pick(0, 9);
    PropertyInput stand;
    stand.row = row;
    stand.hektar = pick(random) == 0 ? std::nullopt : std::optional(0.5 + 7.3 * pick(random));
    InputRecord& in = stand.input;
    in.species = static_cast<Species>(pick(random) % 3);
    in.measure = static_cast<Measure>(pick(random) % 2);
    in.ranta = pick(random) == 0 ? "7" : std::to_string(2 + pick(random) % 4);
    in.totaltid = std::to_string(5 + 37 * pick(random));
    in.bonitet = std::to_string(2 + pick(random));
    in.variation = std::to_string(pick(random) % 3);
    in.cykTillAvv = std::to_string(pick(random) % 4);
    in.atervandel = std::to_string(10 * pick(random));
    for (std::size_t k = 0; k < 5; ++k) {
        const int d = 3 * pick(random) + pick(random);
        in.rows[k] = {d == 0 ? "" : std::to_string(d * 2), pick(random) < 3};
    }
    return stand;
}

// Over a few hundred random stands: each stand's flow sums to its report's present value,
// its costs to the report's regeneration and cleaning costs, its later nets after cost to
// the cash flow over the horizon; the property's flow sums to its value within 1 kr.
TEST(PropertyStand, FlowsSumToTheReportsFiguresStandByStandAndInTotal) {
    std::mt19937 random(2027);
    Session session('.');
    session.texts = Session::Texts::none;
    CycleRecord record;
    std::vector<FlowYear> flow;
    PropertyTotals totals;
    for (int row = 2; row < 400; ++row) {
        SeededRandom seeded(standSeed(9, row));
        CalcOptions options;
        options.random = &seeded;
        const PropertyStand out =
            calculatePropertyStand(session, randomStand(random, row), options, record, flow);
        totals.add(out, flow);
        if (!out.calculated()) {
            EXPECT_TRUE(flow.empty());
            continue;
        }
        const Economics& e = session.calculation.economics;
        FlowYear sum;
        double laterCash = 0;
        for (const FlowYear& year : flow) {
            sum.nuvarde += year.nuvarde;
            sum.kostnad += year.kostnad;
            laterCash += year.ar > 1 ? year.kassaflode() : 0;
        }
        EXPECT_NEAR(sum.nuvarde, e.nuvarde, 1e-6) << row;
        EXPECT_NEAR(sum.kostnad, e.atervKostTotal + e.rojningKost, 1e-6) << row;
        EXPECT_NEAR(laterCash / session.calculation.s.totaltid, e.kassaflode, 1e-6) << row;
        EXPECT_EQ(flow.front().volym, session.calculation.s.volAvv);
    }
    EXPECT_EQ(totals.calculated + totals.refused + totals.stopped, 398);
    EXPECT_GT(totals.calculated, 250);
    EXPECT_GT(totals.refused, 10);
    EXPECT_GT(totals.withoutHektar, 10);
    EXPECT_NEAR(totals.flow().total().nuvarde, totals.value, 1.0);
    EXPECT_DOUBLE_EQ(*totals.meanPerHa(), totals.value / totals.area);
    EXPECT_TRUE(session.prIndata.empty());
}

// Refused and stopped stands and those without an area are counted, never summed.
TEST(PropertyTotals, CountsEveryStandAndSumsOnlyCalculatedOnesWithAnArea) {
    const PropertyStand calculated{
        2, "A", 2.0, Species::tall, Measure::gallring, "3", PropertyFigures{3, 1000, 0, {}, {}},
        {}};
    PropertyStand noArea = calculated;
    noArea.hektar.reset();
    const PropertyStand refused{
        3, {}, 5.0, Species::gran, Measure::gallring, "9", {}, Error{"nej", Status::Refused, {}}};
    PropertyStand stopped = refused;
    stopped.error->status = Status::Stopped;
    PropertyTotals totals;
    const PropertyStand* const all[] = {&calculated, &noArea, &refused, &stopped};
    for (const PropertyStand* stand : all) {
        totals.add(*stand, stand->calculated() ? std::vector<FlowYear>{{0, 1, 1000, 0, 1000}}
                                               : std::vector<FlowYear>{});
    }
    EXPECT_EQ(
        std::vector<int>({totals.calculated, totals.refused, totals.stopped, totals.withoutHektar}),
        std::vector<int>({2, 1, 1, 1}));
    EXPECT_EQ(totals.area, 2.0);
    EXPECT_EQ(totals.value, 2000.0);
    EXPECT_EQ(totals.flow().total().nuvarde, 2000.0);
    EXPECT_EQ(totals.meanPerHa(), 1000.0);
    EXPECT_FALSE(PropertyTotals().meanPerHa());
    EXPECT_EQ(refused.message(), "nej");
    EXPECT_EQ(calculated.message(), "");
}

// The Meddelande cell as the batch tool words it: an entry by its column, a row the file
// refused and a stop by their messages.
TEST(PropertyStand, MessagesAreTheBatchToolsWords) {
    Session session('.');
    session.texts = Session::Texts::none;
    CycleRecord record;
    std::vector<FlowYear> flow;
    const struct {
        const char* ranta;
        const char* dia2;
        std::optional<std::string> fileRefusal;
        const char* message;
    } cases[] = {
        {"3", "abc", {}, "kolumn dia2: \"abc\" är inte ett tal."},
        {"", "30", {}, "kolumn ranta är tom."},
        {"3", "30", "Okänt trädslag.", "Okänt trädslag."},
        {"3", "1e300", {}, "Beräkningen avbröts"},
    };
    for (const auto& c : cases) {
        PropertyInput stand;
        stand.input.ranta = c.ranta;
        stand.input.rows[1].text = c.dia2;
        stand.refusal = c.fileRefusal;
        SeededRandom seeded(1);
        CalcOptions options;
        options.random = &seeded;
        const PropertyStand out = calculatePropertyStand(session, stand, options, record, flow);
        EXPECT_EQ(out.message().substr(0, std::string(c.message).size()), c.message) << c.dia2;
        EXPECT_FALSE(out.calculated());
    }
}

}  // namespace
}  // namespace lodra
