#include "calc/exactsum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace lodra {
namespace {

constexpr double kTiny = std::numeric_limits<double>::denorm_min();
constexpr double kMax = std::numeric_limits<double>::max();

std::vector<double> many(double value, int count) {
    return std::vector<double>(static_cast<std::size_t>(count), value);
}

std::vector<double> joined(std::vector<double> a, const std::vector<double>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Adding in every order (forwards, backwards, shuffled, and split into two halves whose sums
// are added) gives the correctly rounded sum.
TEST(ExactSum, IsTheRoundedExactSumInAnyOrder) {
    const struct {
        const char* name;
        std::vector<double> addends;
        double sum;
    } cases[] = {
        {"nothing", {}, 0},
        {"cancellation to the last bit", {1e16, 1, -1e16}, 1},
        {"huge cancel, tiny stays", {kMax, kTiny, -kMax}, kTiny},
        {"tiny beside huge", {1e300, 1e-300, -1e300, 1e-300}, 2e-300},
        {"ties to even, down", {1, 0x1p-53}, 1},
        {"ties to even, up", {1 + 0x1p-52, 0x1p-53}, 1 + 0x1p-51},
        {"just above the tie", {1, 0x1p-53, 0x1p-105}, 1 + 0x1p-52},
        {"many equal tenths", many(0.1, 100000), 10000.000000000000},
        {"many equal, cancelled", joined(many(0.1, 1000), many(-0.1, 1000)), 0},
        {"subnormals", many(kTiny, 4), 4 * kTiny},
        {"overflow is infinite", {kMax, kMax}, HUGE_VAL},
        {"back from beyond the range", {kMax, kMax, -kMax}, kMax},
        {"negative sum", {-2.5, 1, -0.25}, -1.75},
        {"signed zeros", {-0.0, 0.0}, 0},
        {"infinity", {1, HUGE_VAL}, HUGE_VAL},
    };
    std::mt19937 random(27);
    for (const auto& c : cases) {
        std::vector<double> addends = c.addends;
        for (int order = 0; order < 4; ++order) {
            if (order == 1) {
                std::reverse(addends.begin(), addends.end());
            } else if (order > 1) {
                std::shuffle(addends.begin(), addends.end(), random);
            }
            ExactSum whole;
            ExactSum first;
            ExactSum second;
            for (std::size_t i = 0; i < addends.size(); ++i) {
                whole.add(addends[i]);
                (i < addends.size() / 3 ? first : second).add(addends[i]);
            }
            first.add(second);
            EXPECT_EQ(whole.value(), c.sum) << c.name << ", order " << order;
            EXPECT_EQ(first.value(), c.sum) << c.name << ", in parts, order " << order;
            EXPECT_EQ(whole.text(), first.text()) << c.name;
        }
    }
    // 0.1 a hundred thousand times is 10000.000000000000555..., plain addition drifts.
    const std::vector<double> tenths = many(0.1, 100000);
    EXPECT_NE(std::accumulate(tenths.begin(), tenths.end(), 0.0), 10000.0);
}

// The text holds the exact sum: read back it gives the same sum and the same text, and
// added to another it is as if the addends were added; anything else is refused.
TEST(ExactSum, TextGivesTheExactSumBack) {
    std::mt19937_64 random(29);
    std::uniform_real_distribution<double> figure(-1e9, 1e9);
    for (int round = 0; round < 50; ++round) {
        ExactSum a;
        ExactSum b;
        ExactSum both;
        for (int i = 0; i < 200; ++i) {
            const double value =
                figure(random) * std::ldexp(1.0, static_cast<int>(random() % 80) - 40);
            (i % 2 == 0 ? a : b).add(value);
            both.add(value);
        }
        const std::optional<ExactSum> readA = ExactSum::fromText(a.text());
        const std::optional<ExactSum> readB = ExactSum::fromText(b.text());
        ASSERT_TRUE(readA && readB) << a.text() << " " << b.text();
        EXPECT_EQ(readA->text(), a.text());
        ExactSum sum = *readA;
        sum.add(*readB);
        EXPECT_EQ(sum.text(), both.text());
        EXPECT_EQ(sum.value(), both.value());
    }
    const struct {
        const char* text;
        double value;  // NaN: refused
    } texts[] = {
        {"0", 0},
        {"34:1", 1},
        {"-34:2,35:1", -0x1.00000002p32},
        {"33:80000000", 0.5},
        {"inf", HUGE_VAL},
        {"", NAN},
        {"34:", NAN},
        {"34:0", NAN},
        {"34:100000000", NAN},
        {"35:1,34:1", NAN},
        {"34:1,", NAN},
        {"70:1", NAN},
        {"--34:1", NAN},
        {"34:1 ", NAN},
        {"x", NAN},
    };
    for (const auto& t : texts) {
        const std::optional<ExactSum> read = ExactSum::fromText(t.text);
        if (std::isnan(t.value)) {
            EXPECT_FALSE(read) << t.text;
            continue;
        }
        ASSERT_TRUE(read) << t.text;
        EXPECT_EQ(read->value(), t.value) << t.text;
    }
}

}  // namespace
}  // namespace lodra
