// Numbers and diameter lists as report text.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "report/numbertext.h"

namespace lodra {
namespace {

TEST(NumberText, FifteenSignificantDigitsAndExponents) {
    EXPECT_EQ(numberText(1.0 / 3, '.'), "0.333333333333333");
    EXPECT_EQ(numberText(1.0 / 3, ','), "0,333333333333333");
    EXPECT_EQ(numberText(2000.0, ','), "2000");
    EXPECT_EQ(numberText(12.5, ','), "12,5");
    EXPECT_EQ(numberText(-2.5, '.'), "-2.5");
    EXPECT_EQ(numberText(0.0001, '.'), "0.0001");
    EXPECT_EQ(numberText(0.00001, '.'), "1E-05");
    EXPECT_EQ(numberText(-0.000015, ','), "-1,5E-05");
    EXPECT_EQ(numberText(1e15, '.'), "1E+15");
    EXPECT_EQ(numberText(123456789012345.0, '.'), "123456789012345");
    EXPECT_EQ(numberText(1e300, '.'), "1E+300");
    EXPECT_EQ(numberText(0.1 + 0.2, '.'), "0.3");
    EXPECT_EQ(numberText(-0.0, '.'), "0");  // never "-0"
    EXPECT_EQ(numberText(int{-250}), "-250");
    EXPECT_EQ(numberText(int{32767}), "32767");
}

// Values spread over binary exponents 2^-20 to 2^(-20 + spread), either sign, from an
// xorshift generator.
double nextValue(std::uint64_t& state, std::uint64_t spread) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const std::uint64_t exponent = 1003 + (state >> 40) % spread;
    return std::bit_cast<double>((state & 0x800F'FFFF'FFFF'FFFF) | (exponent << 52));
}

// C's %.15G with the decimal separator put in, and "0" for a zero of either sign.
std::string cForm(double value, char sep) {
    if (value == 0) {
        return "0";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.15G", value);
    std::string out = text;
    for (char& c : out) {
        c = c == '.' ? sep : c;
    }
    return out;
}

// The 15 digits every text starts from, against C: ties such as 100000000000000.5 round to
// even, and 1e-4, 1e14 and 1e15 are where the ways of reading them change.
TEST(NumberText, AsCsFormOverEdgesAndManyValues) {
    std::vector<double> edges;
    std::istringstream cases(
        "1 -1 0.1 2.675 1.005 0.30000000000000004 1e-4 1e15 1e14 1e13 999.9999999999999 "
        "9.999999999999999 99999999999999.99 99999999999999.95 100000000000000.5 "
        "100000000000001.5 999999999999999.5 999999999999999.4 -999999999999998.5 "
        "123456789012345.6 0.00012345678901234567 1.7976931348623157e308 2.5e-5 "
        "4503599627370495.5 317.38295128571 -0.0001 99999.99999999999 1e-300 -1e-310 1e100 "
        "1e21 5e-324");
    for (std::string text; cases >> text;) {
        edges.push_back(std::strtod(text.c_str(), nullptr));
    }
    for (const double edge : {1e-4, 1e15, 1e14}) {
        edges.insert(edges.end(), {std::nextafter(edge, 0.0), std::nextafter(edge, 1e300)});
    }
    edges.insert(edges.end(), {7.0 / 3.0, -7.0 / 3.0, 1.0 / 3.0 * 1e-4});
    for (const double value : edges) {
        EXPECT_EQ(numberText(value, ','), cForm(value, ',')) << value;
    }
    std::uint64_t state = 0x2545F4914F6CDD1D;
    for (int i = 0; i < 100'000; ++i) {
        // Up to 2^56, and now and then far out.
        double value = nextValue(state, 77);
        if (i % 50 == 0) {
            value = std::bit_cast<double>(state ^ (state << 29));
        }
        if (std::isfinite(value)) {
            ASSERT_EQ(numberText(value, '.'), cForm(value, '.')) << value;
        }
    }
}

TEST(PatternText, RoundsHalfAwayFromZeroAsTheValueReads) {
    EXPECT_EQ(patternText(2.675, "##0.00", '.'), "2.68");
    EXPECT_EQ(patternText(0.125, "##0.00", '.'), "0.13");
    EXPECT_EQ(patternText(2.5, "###0", '.'), "3");
    EXPECT_EQ(patternText(-2.5, "###0", '.'), "-3");
    EXPECT_EQ(patternText(0.5, "##0.0", ','), "0,5");
    EXPECT_EQ(patternText(9.96, "##0.0", '.'), "10.0");
    EXPECT_EQ(patternText(99.995, "##0.00", '.'), "100.00");
    EXPECT_EQ(patternText(0.0, "##0.00", ','), "0,00");
    EXPECT_EQ(patternText(1e-20, "##0.0", '.'), "0.0");
    EXPECT_EQ(patternText(0.05, "##0.0", '.'), "0.1");
}

TEST(PatternText, NeverShortensAndNeverWritesMinusZero) {
    EXPECT_EQ(patternText(1234567.6, "######0", '.'), "1234568");
    EXPECT_EQ(patternText(-1234567.4, "##0", '.'), "-1234567");
    EXPECT_EQ(patternText(1e20, "###0", '.'), "100000000000000000000");
    EXPECT_EQ(patternText(-0.4, "###0", '.'), "0");
    EXPECT_EQ(patternText(-0.004, "##0.00", '.'), "0.00");
    EXPECT_EQ(patternText(-0.0, "######0", '.'), "0");
    EXPECT_EQ(patternText(-562.5, "######0", '.'), "-563");
}

TEST(PatternText, ExtremesAndAppendingRightJustified) {
    const struct {
        double value;
        const char* pattern;
        int width;
        std::string text;
    } cases[] = {
        {1.7976931348623157e308, "##0.00", 0, "179769313486232" + std::string(294, '0') + ".00"},
        {-1.7976931348623157e308, "##0", 3, "-179769313486232" + std::string(294, '0')},
        {4.9e-324, "##0.00", 7, "   0.00"},
        {-4.9e-324, "######0", 7, "      0"},
        {999.995, "##0.00", 7, "1000.00"},
        {-99.95, "##0.0", 7, " -100.0"},
        {123.456, "##0.0", 2, "123.5"},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        appendPattern(out, c.value, c.pattern, c.width, '.');
        EXPECT_EQ(out, "x" + c.text) << c.value << " " << c.pattern;
    }
}

// A pattern's text from C's %.14e digits, rounded half away from zero in decimal
// arithmetic on the text.
std::string patternFromC(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
    std::string digits = std::string(1, text[0]) + std::string(text + 2, 14);
    const long kept = std::atol(std::strchr(text, 'e') + 1) + 1 + decimals;
    std::string scaled;  // |value| × 10^decimals, rounded
    if (kept >= 0) {
        scaled = "0" + digits.substr(0, static_cast<std::size_t>(std::min(kept, 15L)));
        scaled.append(static_cast<std::size_t>(std::max(kept - 15, 0L)), '0');
        if (kept < 15 && digits[static_cast<std::size_t>(kept)] >= '5') {
            std::size_t pos = scaled.size() - 1;
            for (; scaled[pos] == '9'; --pos) {
                scaled[pos] = '0';
            }
            ++scaled[pos];
        }
    }
    scaled.erase(0, std::min(scaled.find_first_not_of('0'), scaled.size()));
    const bool minus = std::signbit(value) && !scaled.empty();
    if (scaled.size() < static_cast<std::size_t>(decimals) + 1) {
        scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');
    }
    if (decimals > 0) {
        scaled.insert(scaled.size() - static_cast<std::size_t>(decimals), ".");
    }
    return (minus ? "-" : "") + scaled;
}

TEST(PatternText, AsRoundedFromCsDigitsOverManyValues) {
    std::uint64_t state = 0x9E3779B97F4A7C15;
    const char* const patterns[] = {"######0", "##0.0", "##0.00"};
    for (int i = 0; i < 100'000; ++i) {
        // Up to 2^40; every fourth value a short decimal, where the halfway cases lie.
        double value = nextValue(state, 60);
        if (i % 4 == 0) {
            value = static_cast<double>(static_cast<std::int64_t>(state % 2'000'001) - 1'000'000) /
                    (i % 8 == 0 ? 1000.0 : 200.0);
        }
        const int decimals = i % 3;
        ASSERT_EQ(patternText(value, patterns[decimals], '.'), patternFromC(value, decimals))
            << value;
    }
}

TEST(HJ, RightJustifiesWithoutCutting) {
    EXPECT_EQ(HJ("12.5", 6), "  12.5");
    EXPECT_EQ(HJ("123456", 6), "123456");
    EXPECT_EQ(HJ("1234567", 6), "1234567");
    EXPECT_EQ(HJ("-1234567", 7), "-1234567");
    EXPECT_EQ(HJ("", 6), "      ");
    EXPECT_EQ(HJ("Löv", 5), "  Löv");  // characters, not bytes
    EXPECT_EQ(HJ("abc", 0), "abc");
}

TEST(DiameterListText, EntriesOfSixCharactersSeparatedByCommas) {
    DiameterList list;
    EXPECT_EQ(printDiaList(list, 0, '.'), "");
    list[1] = 8;
    EXPECT_EQ(printDiaList(list, 1, '.'), "   8.0");
    list[1] = 35;
    list[2] = 45;
    EXPECT_EQ(printDiaList(list, 2, '.'), "  35.0,  45.0");
    EXPECT_EQ(printDiaList(list, 2, ','), "  35,0,  45,0");
    list[1] = 100;
    list[2] = 1000;
    list[3] = 10000;
    list[4] = -1.04;
    EXPECT_EQ(printDiaList(list, 4, '.'), " 100.0,1000.0,10000.0,  -1.0");
}

}  // namespace
}  // namespace lodra
