// The calculation: volume and net functions, the ring search, felling, the cycles and the
// economic results.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "calc/calculation.h"
#include "calc/treemodel.h"
#include "statediff.h"

namespace lodra {
namespace {

Outcome run(StandCalculation& calc, const InputRecord& input, RandomSource* random = nullptr) {
    SeededRandom seeded(11);
    CalcOptions options;
    options.random = random != nullptr ? random : &seeded;
    return calc.berakna(input, '.', options);
}

std::string exact(double v) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

TEST(TreeFunctions, Volume) {
    EXPECT_EQ(tradVolym(0), 0.03896);
    EXPECT_NEAR(tradVolym(1), 0.0308, 5e-5);
    EXPECT_NEAR(tradVolym(5), 0.0162, 5e-5);
    EXPECT_NEAR(tradVolym(10), 0.0391, 5e-5);
    EXPECT_NEAR(tradVolym(20), 0.227, 5e-4);
    EXPECT_NEAR(tradVolym(35), 0.885, 5e-4);
    EXPECT_NEAR(tradVolym(45), 1.59, 5e-3);
}

TEST(TreeFunctions, FellingDiameterAtThreeMillimetres) {
    const struct {
        double ranta;  // %
        double avv;    // cm
    } cases[] = {{2, 66.9}, {3, 49.5}, {4, 39.0}, {5, 33.1}};
    for (const auto& c : cases) {
        double avv = 0;
        ASSERT_TRUE(fellingDiameter(c.ranta, 3, avv)) << c.ranta;
        EXPECT_NEAR(avv, c.avv, 0.05) << c.ranta;
    }
    double none = -1;
    EXPECT_FALSE(fellingDiameter(2.5, 3, none));
    EXPECT_EQ(none, -1);
}

TEST(TreeFunctions, CleaningCost) {
    EXPECT_EQ(rojningTrad(0), 0.97315);
    EXPECT_NEAR(rojningTrad(5), 2.76, 0.005);
    EXPECT_NEAR(rojningTrad(10), 8.76, 0.005);
}

StandCalculation immediate(int16_t tradslag, double atgard, std::vector<double> trees) {
    StandCalculation calc;
    calc.s.tradslag = tradslag;
    calc.s.atgard = atgard;
    calc.s.haFaktor = 200;
    calc.s.antalAvvDirekt = static_cast<int16_t>(trees.size());
    for (std::size_t i = 0; i < trees.size(); ++i) {
        calc.s.diaAvv[static_cast<int>(i) + 1] = trees[i];
    }
    calc.VardeAvvTrad();
    calc.AvvVol00();
    return calc;
}

TEST(ImmediateFelling, DefaultStand) {
    const StandCalculation c = immediate(2, 0.0, {45});
    EXPECT_NEAR(c.s.nettoDirekt, 483, 0.5);
    EXPECT_EQ(c.s.vardeDirekt, c.s.nettoDirekt);
    EXPECT_EQ(c.s.rojningSumma, 0);
    EXPECT_NEAR(c.s.tradVolAvv[1], 1.59, 0.005);
    EXPECT_NEAR(c.s.volAvv, 317, 0.5);
}

TEST(ImmediateFelling, PineTwoTrees) {
    const StandCalculation c = immediate(1, 0.0, {20, 5});
    EXPECT_NEAR(c.s.nettoDirekt, 44.9, 0.05);
    EXPECT_NEAR(c.s.rojningSumma, -2.76, 0.005);
    EXPECT_NEAR(c.s.vardeDirekt, 42.2, 0.05);
    EXPECT_NEAR(c.s.tradVolAvv[1], 0.227, 0.0005);
    EXPECT_NEAR(c.s.tradVolAvv[2], 0.0162, 0.00005);
    EXPECT_NEAR(c.s.volAvv, 48.7, 0.05);
}

TEST(ImmediateFelling, ElevenAndAHalfCentimetres) {
    const StandCalculation at = immediate(1, 0.0, {11.5});
    EXPECT_EQ(at.s.vardeDirekt, 0);
    EXPECT_EQ(at.s.nettoDirekt, 0);
    EXPECT_EQ(at.s.rojningSumma, 0);
    EXPECT_NEAR(at.s.tradVolAvv[1], 0.0551, 0.00005);

    const StandCalculation under = immediate(1, 0.0, {11.499});
    EXPECT_NEAR(under.s.rojningSumma, -12.05, 0.01);
    const StandCalculation over = immediate(1, 0.0, {11.501});
    EXPECT_NEAR(over.s.nettoDirekt, -3.81, 0.005);
    EXPECT_EQ(over.s.rojningSumma, 0);

    const StandCalculation lov = immediate(3, 1.0, {30, 5});
    EXPECT_EQ(lov.s.nettoDirekt, 0);
    EXPECT_NEAR(lov.s.rojningSumma, -2.76, 0.005);
    const StandCalculation zero = immediate(2, 0.0, {0});
    EXPECT_EQ(zero.s.rojningSumma, -0.97315);
    EXPECT_EQ(zero.s.tradVolAvv[1], 0.03896);
}

TEST(CycleEndFelling, BoundaryChargesAndDiscount) {
    StandCalculation c;
    StandState& s = c.s;
    s.antalTrad = 2;
    s.dia05[1] = 30;
    s.dia05[2] = 30.001;
    s.avvDiameter = 30;
    s.tradslag = 1;
    s.atgard = 0.0;
    s.areal = 50;
    s.berikning = 50;
    s.ranta = 3;
    s.ar = 10;
    c.Avverkn();
    EXPECT_EQ(s.dia05[1], 30);  // exactly at the felling diameter: stays
    EXPECT_EQ(s.dia05[2], 1.0);
    EXPECT_EQ(s.antalAvvCykel, 1);
    EXPECT_EQ(s.antalAvverkningar, 1);
    EXPECT_EQ(s.antalAvvTotalt, 1);
    EXPECT_EQ(s.atervKostTrad, 9.375);
    const double net = c.tradNetto(30.001);
    EXPECT_EQ(s.nettoAvvSumma, net);
    EXPECT_EQ(s.nuvardeTrad, (net - 9.375) / std::exp(10 * std::log(1 + 3.0 / 100)));
    EXPECT_EQ(s.avvVolSumma, tradVolym(30.001));

    // Nothing above the felling diameter: only the per-call values are reset.
    c.Avverkn();
    EXPECT_EQ(s.antalAvverkningar, 1);
    EXPECT_EQ(s.antalAvvCykel, 0);
    EXPECT_EQ(s.atervKostTrad, 0);

    // Clear-felling, ten trees on 50 m2: 3.75 kr each; broadleaves have no net.
    StandCalculation k;
    k.s.antalTrad = 10;
    for (int i = 1; i <= 10; ++i) {
        k.s.dia05[i] = 50;
    }
    k.s.avvDiameter = 40;
    k.s.tradslag = 3;
    k.s.atgard = 1.0;
    k.s.areal = 50;
    k.s.ranta = 3;
    k.Avverkn();
    EXPECT_EQ(k.s.atervKostSumma, 37.5);
    EXPECT_EQ(k.s.nettoAvvSumma, 0);
    EXPECT_EQ(k.s.nuvardeAvv, -37.5);
}

TEST(Cycles, DefaultStandFirstCycle) {
    InputRecord input;
    input.totaltid = "5";
    StandCalculation calc;
    ASSERT_TRUE(run(calc, input).ok());
    const StandState& s = calc.s;
    // 304 rings tried, 5.00 down to 1.97 mm; the ring ends one step lower.
    double tried = 5;
    for (int i = 0; i < 303; ++i) {
        tried = tried - 0.01;
    }
    EXPECT_EQ(s.arsring, tried - 0.01);
    EXPECT_NEAR(s.arsring, 1.96, 1e-9);
    EXPECT_NEAR(s.tillvaxt, 3.98, 0.005);
    EXPECT_LE(s.tillvaxt, 4);
    EXPECT_NEAR(s.vol00, 189, 0.5);
    EXPECT_NEAR(s.vol05, 209, 0.5);
    EXPECT_EQ(s.dia05[1], tried * 10 / 10 + 35);
    EXPECT_EQ(s.dia05[2], tried * 10 / 10 + 1);
    EXPECT_NEAR(s.avvDiameter, 36.3, 0.05);
    EXPECT_EQ(s.antalAvverkningar, 0);
    EXPECT_EQ(s.antalCykler, 1);
    EXPECT_EQ(s.ringMin, s.ringMax);
    EXPECT_EQ(s.ringSumma, s.ringMax);
}

TEST(Cycles, CountFollowsTheHorizon) {
    for (const auto& [years, cycles] : std::vector<std::pair<const char*, int>>{
             {"1", 1}, {"5", 1}, {"6", 2}, {"250", 50}, {"251", 51}}) {
        InputRecord input;
        input.totaltid = years;
        StandCalculation calc;
        ASSERT_TRUE(run(calc, input).ok());
        EXPECT_EQ(calc.s.antalCykler, cycles) << years;
        EXPECT_EQ(calc.s.ar, 5 * cycles) << years;
    }
}

TEST(Cycles, FellingSchedule) {
    // After n cycles the counter holds the cycles since the last felling cycle.
    auto counterAfter = [](const char* cykTillAvv, int cycles) {
        InputRecord input;
        input.cykTillAvv = cykTillAvv;
        input.totaltid = std::to_string(5 * cycles);
        StandCalculation calc;
        EXPECT_TRUE(run(calc, input).ok());
        return calc.s.cykSedanAvv;
    };
    EXPECT_EQ(counterAfter("0", 1), 0);
    EXPECT_EQ(counterAfter("0", 7), 0);
    EXPECT_EQ(counterAfter("1", 1), 1);
    EXPECT_EQ(counterAfter("1", 2), 0);
    EXPECT_EQ(counterAfter("1", 3), 1);
    EXPECT_EQ(counterAfter("2", 2), 2);
    EXPECT_EQ(counterAfter("2", 3), 0);
    EXPECT_EQ(counterAfter("2", 4), 1);
    EXPECT_EQ(counterAfter("0.5", 1), 0);  // 0 > -0.5: every cycle fells
}

TEST(Cycles, HighSiteIndexStillSearchesOnce) {
    // At 20 or more the start growth does not exceed the site index; the search still
    // takes one step, so nothing of an earlier calculation is reused.
    InputRecord input;
    input.bonitet = "25";
    input.totaltid = "5";
    StandCalculation a;
    ASSERT_TRUE(run(a, input).ok());
    StandCalculation b;
    InputRecord other;
    other.maxRing = "9";
    ASSERT_TRUE(run(b, other).ok());
    ASSERT_TRUE(run(b, input).ok());
    EXPECT_EQ(a.s.arsring, 5 - 0.01);
    EXPECT_EQ(b.s.vol05, a.s.vol05);
    EXPECT_EQ(b.s.dia05[1], a.s.dia05[1]);
}

// The ring search done step by step with the procedures, as the driver describes it.
void stepwiseSearch(StandCalculation& c) {
    c.s.arsring = c.s.maxRing;
    c.s.tillvaxt = 20.0;
    do {
        c.DiaVidAr5();
        c.PrVol00();
        c.PrVol05();
        c.s.tillvaxt = (c.s.vol05 - c.s.vol00) / 5;
        c.s.arsring = c.s.arsring - 0.01;
    } while (c.s.tillvaxt > c.s.bonitet);
}

TEST(Cycles, SearchIsBitIdenticalToTheStepwiseSearch) {
    std::mt19937_64 gen(2024);
    std::uniform_real_distribution<double> dia(0, 80), ring(0.2, 30), bon(0, 25), area(5, 400);
    std::uniform_int_distribution<int> trees(0, 10);
    for (int round = 0; round < 400; ++round) {
        InputRecord input;
        input.totaltid = "5";
        input.cykTillAvv = "1000";  // no felling in the one cycle
        input.maxRing = exact(ring(gen));
        input.bonitet = exact(bon(gen));
        input.areal = exact(area(gen));
        input.rows = {};
        const int n = trees(gen);
        for (int i = 0; i < n; ++i) {
            input.rows[static_cast<std::size_t>(i)].text = exact(dia(gen));
        }
        StandCalculation calc;
        ASSERT_TRUE(run(calc, input).ok()) << round;

        StandCalculation ref;
        ref.s.maxRing = calc.s.maxRing;
        ref.s.bonitet = calc.s.bonitet;
        ref.s.haFaktor = calc.s.haFaktor;
        ref.s.antalTrad = calc.s.antalTrad;
        for (int i = 1; i <= n; ++i) {
            ref.s.dia00[i] = calc.s.diaStart[i];
        }
        stepwiseSearch(ref);
        EXPECT_EQ(calc.s.arsring, ref.s.arsring) << round;
        EXPECT_EQ(calc.s.tillvaxt, ref.s.tillvaxt) << round;
        EXPECT_EQ(calc.s.vol00, ref.s.vol00) << round;
        EXPECT_EQ(calc.s.vol05, ref.s.vol05) << round;
        for (int i = 1; i <= n; ++i) {
            EXPECT_EQ(calc.s.dia05[i], ref.s.dia05[i]) << round;
            EXPECT_EQ(calc.s.tradVol05[i], ref.s.tradVol05[i]) << round;
        }
    }
}

// Gives the numbers of a list in turn.
class ListRandom final : public RandomSource {
  public:
    explicit ListRandom(std::vector<double> values) : values_(std::move(values)) {}
    void reseed() override { ++reseeds; }
    double next() override {
        ++draws;
        return values_[next_++ % values_.size()];
    }
    int reseeds = 0;
    int draws = 0;

  private:
    std::vector<double> values_;
    std::size_t next_ = 0;
};

TEST(Cycles, RandomDiameterChange) {
    InputRecord input;
    input.totaltid = "5";
    input.variation = "100";
    input.cykTillAvv = "1000";
    // Just below 1 becomes 1.0 in single precision: the full +1.0 cm.
    ListRandom random({std::nextafter(1.0, 0.0), 0.0, 0.5});
    StandCalculation calc;
    ASSERT_TRUE(run(calc, input, &random).ok());
    EXPECT_EQ(random.reseeds, 1);
    EXPECT_EQ(calc.s.variBredd, 2);
    EXPECT_EQ(calc.s.dia00[1], 1 + calc.s.dia05[1]);
    EXPECT_EQ(calc.s.dia00[2], -1 + calc.s.dia05[2]);
    EXPECT_EQ(calc.s.dia00[3], calc.s.dia05[3]);

    // Every change stays within [-1, +1] cm over many cycles.
    input.totaltid = "500";
    SeededRandom seeded(3);
    ASSERT_TRUE(run(calc, input, &seeded).ok());
    for (int i = 1; i <= calc.s.antalTrad; ++i) {
        const double change = calc.s.dia00[i] - calc.s.dia05[i];
        EXPECT_GE(change, -1.0);
        EXPECT_LE(change, 1.0);
    }

    // Without variation nothing changes.
    input.variation = "0";
    ASSERT_TRUE(run(calc, input, &seeded).ok());
    EXPECT_EQ(calc.s.variFaktor, 1);
    EXPECT_EQ(calc.s.dia00[1], calc.s.dia05[1]);
}

// The generator is seeded once per calculation, and a calculation without variation, or
// without a growing tree, draws nothing.
TEST(Cycles, GeneratorSeededOncePerCalculation) {
    struct Case {
        const char* variation;
        bool growingTrees;
        int draws;
    };
    for (const Case& c : {Case{"0", true, 0}, Case{"50", true, 300}, Case{"50", false, 0}}) {
        InputRecord input;
        input.totaltid = "500";  // 100 cycles
        input.variation = c.variation;
        if (!c.growingTrees) {
            input.rows = {{{"45", true}}};
        }
        ListRandom random({0.25});
        StandCalculation calc;
        ASSERT_TRUE(run(calc, input, &random).ok());
        EXPECT_EQ(random.reseeds, 1) << c.variation;
        EXPECT_EQ(random.draws, c.draws) << c.variation;
    }
}

TEST(Economics, WorkedExample) {
    StandCalculation c;
    StandState& s = c.s;
    s.atgard = 1.0;
    s.atervKostAr1 = 750;
    s.haFaktor = 20;
    s.totaltid = 100;
    s.nettoAvvSumma = 200;
    s.antalAvvTotalt = 2;
    s.atervKostSumma = 5;
    s.nuvardeAvv = 50;
    s.nettoDirekt = 40;
    s.rojningSumma = -3;
    s.vardeDirekt = 37;
    s.antalCykler = 20;
    c.computeResults();
    const Economics& e = c.economics;
    EXPECT_EQ(e.nettoPerTrad, 200 / (2 + 0.0001));
    EXPECT_EQ(s.nuvardeAvv, 12.5);
    EXPECT_EQ(e.rojningKost, 60);
    EXPECT_EQ(e.atervKostTotal, 850);
    EXPECT_EQ(e.drivningsnetto, 800);
    EXPECT_EQ(e.kassaflode, 39);
    EXPECT_EQ(e.nuvarde, 990);
}

TEST(Economics, DefaultStandAndBroadleaves) {
    StandCalculation calc;
    ASSERT_TRUE(run(calc, InputRecord{}).ok());
    EXPECT_NEAR(calc.economics.drivningsnetto, 96578, 1);
    EXPECT_EQ(calc.economics.rojningKost, 0);
    EXPECT_NEAR(calc.economics.nuvarde, 157661, 1);

    InputRecord lov;
    lov.species = Species::lov;
    ASSERT_TRUE(run(calc, lov).ok());
    EXPECT_EQ(calc.s.nettoAvvSumma, 0);
    EXPECT_EQ(calc.economics.nettoPerTrad, 0);
    EXPECT_EQ(calc.economics.drivningsnetto, 0);
    EXPECT_LE(calc.economics.nuvarde, 0);
    EXPECT_LT(calc.economics.kassaflode, 0);

    // No tree at all: the present value is minus the year-1 charge.
    InputRecord none;
    none.rows = {};
    ASSERT_TRUE(run(calc, none).ok());
    EXPECT_EQ(calc.economics.nuvarde, -562.5);
    EXPECT_EQ(calc.economics.atervKostTotal, 562.5);
    EXPECT_EQ(calc.economics.kassaflode, 0);
}

// Stands whose numbers overflow or become invalid at each step that is checked, some only
// after many cycles. The message names the step and the cycle's start year, and the
// calculation takes exactly the random numbers up to that step, as when every step was
// checked as it ran.
struct StopCase {
    const char* what;
    void (*edit)(InputRecord&);
    const char* step;  // where the numbers stopped, as the message names it
    int draws;         // numbers taken from the generator before the stop
};

const StopCase kStops[] = {
    {"plot of 1e-310 m2", [](InputRecord& r) { r.areal = "1e-310"; }, "inläsningen av parametrarna",
     0},
    {"spruce of 1e200 cm felled at once", [](InputRecord& r) { r.rows[0].text = "1e200"; },
     "värderingen av träden som avverkas direkt", 0},
    {"broadleaf of 1e200 cm felled at once",
     [](InputRecord& r) {
         r.rows[0].text = "1e200";
         r.species = Species::lov;
     },
     "volymen av träden som avverkas direkt", 0},
    {"growing tree of 1e200 cm", [](InputRecord& r) { r.rows[1].text = "1e200"; },
     "sökningen av årsringen", 0},
    {"variation of 1e306 %", [](InputRecord& r) { r.variation = "1e306"; },
     "sökningen av årsringen (femårsperioden som börjar år 5)", 3},
    {"largest ring of -1e200 mm, no growing tree",
     [](InputRecord& r) {
         r.rows = {};
         r.rows[0] = {"45", true};
         r.maxRing = "-1e200";
     },
     "avverkningsdiametern", 0},
    {"discount over 32767 years",
     [](InputRecord& r) {
         r.totaltid = "32767";
         r.ranta = "5";
         r.cykTillAvv = "0";
     },
     "avverkningen (femårsperioden som börjar år 14560)", 0},
    {"discount over 32767 years with variation",
     [](InputRecord& r) {
         r.totaltid = "32767";
         r.ranta = "5";
         r.cykTillAvv = "0";
         r.variation = "5";
     },
     "avverkningen (femårsperioden som börjar år 14565)", 8739},
    {"variation of 1e308 %", [](InputRecord& r) { r.variation = "1e308"; },
     "den slumpvisa ändringen av diametrarna", 3},
    {"volume sums over 100 years",
     [](InputRecord& r) {
         r.areal = "1e-303";
         r.cykTillAvv = "10000";
     },
     "statistiken över femårsperioderna (femårsperioden som börjar år 100)", 0},
    {"volume sums over 10 years with variation",
     [](InputRecord& r) {
         r.areal = "1e-304";
         r.cykTillAvv = "10000";
         r.variation = "5";
     },
     "statistiken över femårsperioderna (femårsperioden som börjar år 10)", 6},
    {"trees per ha over one year",
     [](InputRecord& r) {
         r.areal = "1e-304";
         r.totaltid = "1";
         r.variation = "5";
     },
     "de ekonomiska resultaten (femårsperioden som börjar år 5)", 3},
    {"growing tree of 1e103 cm", [](InputRecord& r) { r.rows[1].text = "1e103"; },
     "de ekonomiska resultaten (femårsperioden som börjar år 250)", 0},
};

TEST(Failures, StopNamesTheStepAndYearAndLeavesTheEarlierCalculation) {
    for (const auto& [search, check] : {std::pair{RingSearchMethod::Fast, StopCheck::flags},
                                        std::pair{RingSearchMethod::Literal, StopCheck::flags},
                                        std::pair{RingSearchMethod::Fast, StopCheck::values}}) {
        for (const StopCase& c : kStops) {
            SCOPED_TRACE(std::string(c.what) + (check == StopCheck::values ? ", by values" : ""));
            StandCalculation calc;
            ASSERT_TRUE(run(calc, InputRecord{}).ok());
            const StandCalculation before = calc;
            InputRecord input;
            c.edit(input);
            SeededRandom random(11);
            CalcOptions options;
            options.random = &random;
            options.search = search;
            options.stopCheck = check;
            const Outcome outcome = calc.berakna(input, '.', options);
            ASSERT_FALSE(outcome.ok());
            EXPECT_EQ(outcome.error().status, Status::Stopped);
            EXPECT_EQ(outcome.message(),
                      std::string("Beräkningen avbröts: ett tal blev för stort eller ogiltigt i ") +
                          c.step + ". Kontrollera indata.");
            EXPECT_EQ(testing::firstDifference(calc.s, before.s), -1);
            EXPECT_EQ(testing::firstDifference(calc.economics, before.economics), -1);
            EXPECT_EQ(testing::firstDifference(calc.figures, before.figures), -1);
            SeededRandom expected(11);
            for (int i = 0; i < c.draws; ++i) {
                expected.next();
            }
            EXPECT_EQ(random.next(), expected.next());
        }
    }
}

// Stands drawn from ordinary and extreme entries: a platform that finds a number too large
// or invalid by the values (it has no floating-point flags) stops each of them where the
// flags stop it, with the same message, and leaves the same figures otherwise.
TEST(Failures, ValuesStopWhereTheFlagsStop) {
    const std::vector<std::vector<const char*>> choices = {
        {"1", "37", "250", "250", "2000"},                     // totaltid
        {"1", "4", "8", "25", "1e200", "1e-300"},              // bonitet
        {"50", "0.5", "1e-303", "1e-310", "1e-320", "1e300"},  // areal
        {"1", "3", "5", "1", "2", "4"},                        // ranta
        {"5", "0.5", "20", "-1e200", "1e-300"},                // maxRing
        {"0", "5", "40", "1e306", "1e308"},                    // variation
        {"15", "0", "100", "1e308"},                           // atervandel
        {"50", "0", "1e308"},                                  // berikning
        {"2", "0", "10000", "1e300"},                          // cykTillAvv
    };
    const std::vector<const char*> diameters = {"",   "",      "1",     "12",
                                                "45", "1e103", "1e200", "1e-300"};
    std::mt19937 draw(26);
    const auto pick = [&draw](const auto& list) { return list[draw() % list.size()]; };
    int stopped = 0;
    for (int i = 0; i < 3000; ++i) {
        InputRecord input;
        std::string* fields[] = {&input.totaltid,   &input.bonitet,   &input.areal,
                                 &input.ranta,      &input.maxRing,   &input.variation,
                                 &input.atervandel, &input.berikning, &input.cykTillAvv};
        for (std::size_t f = 0; f < choices.size(); ++f) {
            *fields[f] = draw() % 3 == 0 ? pick(choices[f]) : choices[f][0];
        }
        input.species = static_cast<Species>(draw() % 3);
        input.measure = static_cast<Measure>(draw() % 2);
        for (TreeRow& row : input.rows) {
            row = {pick(diameters), draw() % 3 == 0};
        }
        StandCalculation byFlags;
        StandCalculation byValues;
        Outcome outcomes[2];
        for (const StopCheck check : {StopCheck::flags, StopCheck::values}) {
            SeededRandom random(static_cast<std::uint64_t>(i));
            CalcOptions options;
            options.random = &random;
            options.stopCheck = check;
            StandCalculation& calc = check == StopCheck::flags ? byFlags : byValues;
            outcomes[check == StopCheck::flags ? 0 : 1] = calc.berakna(input, '.', options);
        }
        ASSERT_EQ(outcomes[1].ok(), outcomes[0].ok()) << i << ": " << outcomes[0].message();
        if (!outcomes[0].ok()) {
            stopped += outcomes[0].error().status == Status::Stopped ? 1 : 0;
            EXPECT_EQ(outcomes[1].message(), outcomes[0].message()) << i;
        }
        EXPECT_EQ(testing::firstDifference(byValues.s, byFlags.s), -1) << i;
        EXPECT_EQ(testing::firstDifference(byValues.economics, byFlags.economics), -1) << i;
    }
    EXPECT_GT(stopped, 100);  // the table's extremes do stop calculations
}

TEST(Failures, CancelStopsAtOnce) {
    std::atomic<bool> cancel{true};
    std::atomic<int> done{-1};
    std::atomic<int> total{-1};
    SeededRandom random(1);
    CalcOptions options;
    options.random = &random;
    options.cancel = &cancel;
    options.cyclesDone = &done;
    options.cyclesTotal = &total;
    StandCalculation calc;
    const Outcome outcome = calc.berakna(InputRecord{}, '.', options);
    EXPECT_EQ(outcome.error().status, Status::Cancelled);
    EXPECT_EQ(outcome.message(), "Beräkningen avbröts.");
    cancel = false;
    EXPECT_TRUE(calc.berakna(InputRecord{}, '.', options).ok());
    EXPECT_EQ(done.load(), 50);
    EXPECT_EQ(total.load(), 50);
}

}  // namespace
}  // namespace lodra
