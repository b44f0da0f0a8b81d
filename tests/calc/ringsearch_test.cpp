// The fast ring search against the step-by-step one: every field, status and message of
// whole calculations, bit for bit, over random stands and the stands where a shortcut
// would go wrong. Built twice: a quick share for the normal run and, with
// LODRA05_LARGE_SEARCH, the full count under the label "large".
#include <gtest/gtest.h>

#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "calc/calculation.h"
#include "calc/ringsearch.h"
#include "tests/calc/statediff.h"

namespace lodra {
namespace {

#ifdef LODRA05_LARGE_SEARCH
constexpr int kRandomStands = 100000;
constexpr int kMetGrowthStands = 20000;
#else
constexpr int kRandomStands = 1000;
constexpr int kMetGrowthStands = 300;
#endif

std::string exact(double v) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

using Gen = std::mt19937_64;

double uniform(Gen& gen, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(gen);
}
double logUniform(Gen& gen, double lo, double hi) {
    return std::exp(uniform(gen, std::log(lo), std::log(hi)));
}
bool chance(Gen& gen, double p) {
    return uniform(gen, 0, 1) < p;
}

// A stand with every choice of the windows; small trees (which lose volume as they grow),
// site index 0, rings from 0.01 to 100 mm and felling every cycle are frequent.
InputRecord randomStand(Gen& gen) {
    InputRecord in;
    in.totaltid = std::to_string(chance(gen, 0.05) ? 1 + gen() % 2000 : 1 + gen() % 250);
    in.bonitet = chance(gen, 0.15) ? "0" : exact(uniform(gen, 0, chance(gen, 0.1) ? 30 : 12));
    in.areal = exact(logUniform(gen, 1, 2000));
    in.ranta = std::to_string(2 + gen() % 4);
    in.maxRing = chance(gen, 0.05) ? exact(uniform(gen, -3, 0)) : exact(logUniform(gen, 0.01, 100));
    in.variation = chance(gen, 0.5) ? "0" : exact(uniform(gen, 0, 100));
    in.atervandel = exact(uniform(gen, 0, 100));
    in.berikning = exact(uniform(gen, 0, 100));
    in.cykTillAvv = chance(gen, 0.1) ? exact(uniform(gen, 0, 4)) : std::to_string(gen() % 5);
    const int species = static_cast<int>(gen() % 3);
    in.species = static_cast<Species>(species);
    in.measure = chance(gen, 0.5) ? Measure::kalavverkning : Measure::gallring;
    const int trees = static_cast<int>(gen() % 11);
    in.rows = {};
    for (int i = 0; i < trees; ++i) {
        const double d = chance(gen, 0.4) ? uniform(gen, 0, 5) : uniform(gen, 5, 80);
        in.rows[static_cast<std::size_t>(i)] = {exact(d), chance(gen, 0.15)};
    }
    return in;
}

TEST(FastRingSearch, RandomStandsGiveTheSameCalculation) {
    Gen gen(20261207);
    std::int64_t accepted = 0, declined = 0;
    for (int i = 0; i < kRandomStands; ++i) {
        const InputRecord input = randomStand(gen);
        StandCalculation fast{};
        const std::string diff = testing::searchDifferences(input, gen(), &fast);
        ASSERT_EQ(diff, "") << "stand " << i;
        accepted += fast.fastSearch().accepted();
        declined += fast.fastSearch().declined();
    }
    // The shortcut is taken in nearly every search that has rings to skip.
    EXPECT_LT(declined * 20, accepted) << accepted << " accepted, " << declined << " declined";
}

// A site index equal to a growth that the search meets on its way down, or one ulp beside
// it: the rings around it are where rounding decides.
TEST(FastRingSearch, SiteIndexAtAGrowthMetOnTheWay) {
    Gen gen(7);
    int tried = 0;
    for (int i = 0; i < kMetGrowthStands; ++i) {
        InputRecord input = randomStand(gen);
        input.totaltid = std::to_string(1 + gen() % 60);
        input.maxRing = exact(logUniform(gen, 0.05, 30));
        StandCalculation first;
        SeededRandom random(1);
        CalcOptions options;
        options.random = &random;
        InputRecord oneCycle = input;
        oneCycle.totaltid = "5";
        if (!first.berakna(oneCycle, '.', options).ok() || first.s.antalTrad == 0) {
            continue;
        }
        const StandState& s = first.s;
        SearchStand stand{s.diaStart.entries(s.antalTrad), s.haFaktor, s.vol00, 0, s.maxRing, 0};
        double ring = s.maxRing;
        const long steps = static_cast<long>(gen() % 3000);
        for (long k = 0; k < steps; ++k) {
            ring = ring - 0.01;
        }
        const double growth = FastRingSearch::growthAt(ring * 10 / 10, stand);
        if (!(growth >= 0)) {
            continue;
        }
        ++tried;
        for (const double bonitet :
             {growth, std::nextafter(growth, 0.0), std::nextafter(growth, 1e300)}) {
            input.bonitet = exact(bonitet);
            ASSERT_EQ(testing::searchDifferences(input, i), "") << "stand " << i << " " << bonitet;
        }
    }
    EXPECT_GT(tried, kMetGrowthStands / 4);
}

struct EdgeStand {
    const char* name;
    const char* totaltid;
    const char* bonitet;
    const char* areal;
    const char* maxRing;
    const char* variation;
    std::vector<const char*> trees;  // a leading '*': felled at once
};

const std::vector<const char*> kTenTrees = {"5",  "10", "15", "20", "25",
                                            "30", "35", "40", "45", "50"};

std::vector<EdgeStand> edgeStands() {
    std::vector<EdgeStand> stands = {
        {"defaultTrees", "250", "4", "50", "5", "0", {"*45", "35", "1", "1"}},
        {"siteIndexZeroSmallTrees", "300", "0", "50", "20", "0", {"1", "1", "1"}},
        {"siteIndexZeroMixed", "300", "0", "50", "60", "30", {"40", "2", "0.5", "3"}},
        {"siteIndexZeroTiny", "100", "0", "1", "100", "0", {"0", "0.01"}},
        {"noGrowingTree", "100", "3", "50", "50", "20", {"*45", "*2"}},
        {"noTreeAtAll", "100", "0", "50", "100", "0", {}},
        {"tenTrees", "1000", "4", "50", "20", "0", kTenTrees},
        {"tenTreesVaried", "1000", "7", "200", "20", "100", kTenTrees},
        {"smallestRing", "250", "4", "50", "0.01", "0", {"35", "1", "1"}},
        {"largestRing", "500", "4", "50", "100", "0", {"35", "1", "1"}},
        {"negativeRing", "100", "4", "50", "-2", "0", {"35", "1", "1"}},
        {"siteIndexOverTwenty", "250", "25", "50", "30", "0", {"35", "1", "1"}},
        {"smallTreesLowSite", "300", "0.05", "10", "40", "0", {"2", "3", "4", "1"}},
        {"tinyPlot", "100", "4", "0.000000001", "10", "0", {"35", "1", "1"}},
        {"hugeTree", "100", "4", "50", "10", "0", {"20000", "1"}},
        {"negativeTree", "100", "4", "50", "10", "10", {"-30", "10"}},
    };
#ifdef LODRA05_LARGE_SEARCH
    stands.push_back({"longestHorizon", "32767", "4", "50", "100", "0", {"35", "1", "1"}});
    stands.push_back({"longestHorizonTenTrees", "32767", "2", "100", "100", "50", kTenTrees});
#endif
    return stands;
}

// Each stand with fellings every cycle and every third cycle.
TEST(FastRingSearch, EdgeStandsGiveTheSameCalculation) {
    for (const EdgeStand& e : edgeStands()) {
        InputRecord input;
        input.totaltid = e.totaltid, input.bonitet = e.bonitet, input.areal = e.areal;
        input.maxRing = e.maxRing, input.variation = e.variation;
        input.rows = {};
        for (std::size_t i = 0; i < e.trees.size(); ++i) {
            const std::string text = e.trees[i];
            input.rows[i] = text[0] == '*' ? TreeRow{text.substr(1), true} : TreeRow{text, false};
        }
        for (const char* cykTillAvv : {"0", "2"}) {
            input.cykTillAvv = cykTillAvv;
            EXPECT_EQ(testing::searchDifferences(input, 5), "") << e.name << " " << cykTillAvv;
        }
    }
}

// The sequence of rings is kept for the next calculation: another maxRing must not use it.
TEST(FastRingSearch, AnotherLargestRingInTheSameObject) {
    StandCalculation fast{};
    for (const char* maxRing : {"20", "7.5", "20", "0.5", "100"}) {
        InputRecord input;
        input.maxRing = maxRing;
        input.totaltid = "100";
        EXPECT_EQ(testing::searchDifferences(input, 1, &fast), "") << maxRing;
    }
}

// A stand with a number that is not finite, or beyond what the bounds are made for, gets
// no start ring, and testing it raises no exception flag that the calculation tests.
TEST(FastRingSearch, DeclinesStandsOutsideItsBoundsWithoutRaisingFlags) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        double SearchStand::*field;  // none: the first diameter
        double value;
    };
    const Case cases[] = {
        {"as it is", nullptr, 35},
        {"haFaktor inf", &SearchStand::haFaktor, kInf},
        {"haFaktor NaN", &SearchStand::haFaktor, kNaN},
        {"haFaktor -NaN", &SearchStand::haFaktor, -kNaN},
        {"haFaktor too large", &SearchStand::haFaktor, 1.0000000000000002e12},
        {"vol00 -inf", &SearchStand::vol00, -kInf},
        {"vol00 too small", &SearchStand::vol00, -1.0000000000000002e16},
        {"bonitet NaN", &SearchStand::bonitet, kNaN},
        {"maxRing inf", &SearchStand::maxRing, kInf},
        {"maxRing too large", &SearchStand::maxRing, 10000.000000000002},
        {"warmRing -inf", &SearchStand::warmRing, -kInf},
        {"warmRing too small", &SearchStand::warmRing, -20000.000000000004},
        {"diameter NaN", nullptr, kNaN},
        {"diameter -inf", nullptr, -kInf},
        {"diameter too small", nullptr, -10000.000000000002},
    };
    for (const Case& c : cases) {
        std::vector<double> dia = {35, 1, 1};
        SearchStand stand{dia, 50, 0.2, 3.5, 20, 20};
        if (c.field != nullptr) {
            stand.*c.field = c.value;
        } else {
            dia[0] = c.value;
        }
        FastRingSearch search;
        std::feclearexcept(FE_ALL_EXCEPT);
        RingStart start;
        const bool asItIs = c.value == 35;
        EXPECT_EQ(search.startRing(stand, start), asItIs) << c.name;
        EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO), 0) << c.name;
        EXPECT_EQ(search.declined(), asItIs ? 0 : 1) << c.name;
    }
}

}  // namespace
}  // namespace lodra
