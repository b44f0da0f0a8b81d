// A property's rows, totals and flow against the report's own figures.
#include "session/property.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "calc/randomsource.h"

namespace lodra {
namespace {

// Stands of a property with known flows: the sums by year, the years with nothing left out.
TEST(PropertyFlow, SumsTheStandsByYearTimesTheirArea) {
    const struct {
        std::vector<FlowYear> flow;  // per ha
        double hektar;
    } stands[] = {
        {{{0, 10, 100, 5, 95}, {1, 0, 0, 50, -50}, {5, 0, 0, 0, 0}, {10, 3, 30, 2, 20}}, 2},
        {{{0, 0, 0, 0, 0}, {1, 0, 0, 10, -10}, {5, 1, 10, 1, 9}}, 0.5},
        {{{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {5, 0, 0, 0, 0}, {400, 4, -8, 0, -1}}, 4},
    };
    PropertyFlow property;
    for (const auto& stand : stands) {
        property.add(stand.flow, stand.hektar);
    }
    const struct {
        int ar;
        double volym, netto, kostnad, kassaflode, nuvarde;
    } expected[] = {
        {0, 20, 200, 10, 190, 190}, {1, 0, 0, 105, -105, -105}, {5, 0.5, 5, 0.5, 4.5, 4.5},
        {10, 6, 60, 4, 56, 40},     {400, 16, -32, 0, -32, -4},
    };
    const std::vector<FlowYear> years = property.years();
    ASSERT_EQ(years.size(), std::size(expected));
    FlowYear sum;
    for (std::size_t i = 0; i < years.size(); ++i) {
        const auto& e = expected[i];
        SCOPED_TRACE(e.ar);
        EXPECT_EQ(years[i].ar, e.ar);
        EXPECT_DOUBLE_EQ(years[i].volym, e.volym);
        EXPECT_DOUBLE_EQ(years[i].netto, e.netto);
        EXPECT_DOUBLE_EQ(years[i].kostnad, e.kostnad);
        EXPECT_DOUBLE_EQ(years[i].kassaflode(), e.kassaflode);
        EXPECT_DOUBLE_EQ(years[i].nuvarde, e.nuvarde);
        sum.nuvarde += e.nuvarde;
        sum.kostnad += e.kostnad;
    }
    EXPECT_DOUBLE_EQ(property.total().nuvarde, sum.nuvarde);
    EXPECT_DOUBLE_EQ(property.total().kostnad, sum.kostnad);
    EXPECT_FALSE(property.empty());
    EXPECT_TRUE(PropertyFlow().empty());
    EXPECT_TRUE(PropertyFlow().years().empty());
}

// A random stand of a register.
PropertyInput randomStand(std::mt19937& random, int row) {
    std::uniform_int_distribution<int> pick(0, 9);
    PropertyInput stand;
    stand.row = row;
    stand.hektar = pick(random) == 0 ? std::nullopt : std::optional(0.5 + 7.3 * pick(random));
    InputRecord& in = stand.input;
    in.species = static_cast<Species>(pick(random) % 3);
    in.measure = static_cast<Measure>(pick(random) % 2);
    in.ranta = std::to_string(2 + pick(random) % 4);
    in.totaltid = std::to_string(5 + 37 * pick(random));
    in.bonitet = std::to_string(2 + pick(random));
    in.variation = std::to_string(pick(random) % 3);
    in.cykTillAvv = std::to_string(pick(random) % 4);
    in.atervandel = std::to_string(10 * pick(random));
    for (std::size_t k = 0; k < 5; ++k) {
        const int d = 3 * pick(random) + pick(random);
        in.rows[k] = {d == 0 ? "" : std::to_string(d * 2), pick(random) < 3};
    }
    if (pick(random) == 0) {
        in.ranta = "7";  // refused
    }
    return stand;
}

// Over a few hundred random stands: each stand's flow sums to its report's present value
// (× hektar within 1 kr), its costs to the report's regeneration and cleaning costs, its
// later nets after cost to the cash flow over the horizon; the property's flow sums to its
// value.
TEST(PropertyStand, FlowsSumToTheReportsFiguresStandByStandAndInTotal) {
    std::mt19937 random(2027);
    Session session('.');
    session.texts = Session::Texts::none;
    CycleRecord record;
    std::vector<FlowYear> flow;
    PropertyTotals totals;
    double area = 0;
    for (int row = 2; row < 400; ++row) {
        const PropertyInput stand = randomStand(random, row);
        SeededRandom seeded(standSeed(9, row));
        CalcOptions options;
        options.random = &seeded;
        const PropertyStand out = calculatePropertyStand(session, stand, options, record, flow);
        totals.add(out, flow);
        if (!out.calculated()) {
            EXPECT_TRUE(flow.empty());
            continue;
        }
        SCOPED_TRACE(row);
        const Economics& e = session.calculation.economics;
        double nuvarde = 0;
        double kostnad = 0;
        double laterCash = 0;
        for (const FlowYear& year : flow) {
            nuvarde += year.nuvarde;
            kostnad += year.kostnad;
            laterCash += year.ar > 1 ? year.kassaflode() : 0;
        }
        EXPECT_NEAR(nuvarde, e.nuvarde, 1e-6);
        EXPECT_NEAR(kostnad, e.atervKostTotal + e.rojningKost, 1e-6);
        EXPECT_NEAR(laterCash / session.calculation.s.totaltid, e.kassaflode, 1e-6);
        EXPECT_EQ(flow.front().volym, session.calculation.s.volAvv);
        EXPECT_EQ(out.figures->nuvarde, e.nuvarde);
        if (stand.hektar) {
            EXPECT_NEAR(nuvarde * *stand.hektar, *out.nuvardeKr(), 1.0);
            area += *stand.hektar;
        }
    }
    EXPECT_EQ(totals.calculated + totals.refused + totals.stopped, 398);
    EXPECT_GT(totals.calculated, 250);
    EXPECT_GT(totals.refused, 10);
    EXPECT_GT(totals.withoutHektar, 10);
    EXPECT_DOUBLE_EQ(totals.area, area);
    EXPECT_NEAR(totals.flow().total().nuvarde, totals.value, 1.0);
    EXPECT_DOUBLE_EQ(*totals.meanPerHa(), totals.value / totals.area);
    EXPECT_TRUE(session.prIndata.empty());
    EXPECT_TRUE(session.Resultat.empty());
}

// Refused and stopped stands and those without an area are counted, never summed.
TEST(PropertyTotals, CountsEveryStandAndSumsOnlyCalculatedOnesWithAnArea) {
    PropertyStand calculated{
        2, "A", 2.0, Species::tall, Measure::gallring, "3", PropertyFigures{3, 1000, 0, {}, {}},
        {}};
    PropertyStand noArea = calculated;
    noArea.hektar.reset();
    PropertyStand refused{
        3, {}, 5.0, Species::gran, Measure::gallring, "9", {}, Error{"nej", Status::Refused, {}}};
    PropertyStand stopped = refused;
    stopped.error->status = Status::Stopped;
    PropertyTotals totals;
    const std::vector<FlowYear> flow = {{0, 1, 1000, 0, 1000}};
    for (const PropertyStand* stand : {&calculated, &noArea, &refused, &stopped}) {
        totals.add(*stand, stand->calculated() ? flow : std::vector<FlowYear>{});
    }
    EXPECT_EQ(totals.calculated, 2);
    EXPECT_EQ(totals.refused, 1);
    EXPECT_EQ(totals.stopped, 1);
    EXPECT_EQ(totals.withoutHektar, 1);
    EXPECT_EQ(totals.area, 2.0);
    EXPECT_EQ(totals.value, 2000.0);
    EXPECT_EQ(totals.flow().total().nuvarde, 2000.0);
    EXPECT_EQ(totals.meanPerHa(), 1000.0);
    EXPECT_FALSE(PropertyTotals().meanPerHa());
}

}  // namespace
}  // namespace lodra
