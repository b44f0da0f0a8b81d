// The 15 significant digits the patterns round from, against C's %.14e.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "report/significantdigits.h"

namespace lodra {
namespace {

// The value as %.14e writes it: sign, 15 digits without the point, exponent.
std::string expected(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", value);
    const char* t = text;
    std::string out = *t == '-' ? "-" : "+";
    t += *t == '-' ? 1 : 0;
    for (; *t != 'e'; ++t) {
        if (*t != '.') {
            out += *t;
        }
    }
    return out + " e" + std::to_string(std::strtol(t + 1, nullptr, 10));
}

std::string actual(double value) {
    const Significant s = significant(value);
    return std::string(s.negative ? "-" : "+") + std::string(s.digits.data(), s.count) + " e" +
           std::to_string(s.exponent);
}

// Ties such as 100000000000000.5 round to even; 1e-4, 1e13, 1e14 and 1e15 are where the
// ranges change.
TEST(Significant, EdgesOfTheRangesAndOfTheRounding) {
    std::vector<double> values;
    std::istringstream cases(
        "0 -0 1 -1 0.1 2.675 1.005 0.30000000000000004 1e-4 1e15 1e14 1e13 999.9999999999999 "
        "9.999999999999999 99999999999999.99 99999999999999.95 100000000000000.5 "
        "100000000000001.5 999999999999999.5 -999999999999998.5 123456789012345.6 "
        "0.00012345678901234567 1.7976931348623157e308 2.5e-5 4503599627370495.5 "
        "317.38295128571 -0.0001");
    for (std::string text; cases >> text;) {
        values.push_back(std::strtod(text.c_str(), nullptr));
    }
    for (const double edge : {1e-4, 1e15, 1e14}) {
        values.insert(values.end(), {std::nextafter(edge, 0.0), std::nextafter(edge, 1e300)});
    }
    values.insert(values.end(), {5e-324, 7.0 / 3.0, 1.0 / 3.0 * 1e-4});
    for (const double value : values) {
        EXPECT_EQ(actual(value), expected(value)) << value;
    }
}

// Every decade the report's figures fall in, with mantissas of every kind.
TEST(Significant, AgreesWithCsFormOverManyValues) {
    std::uint64_t state = 0x9E3779B97F4A7C15;
    for (int i = 0; i < 200'000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        // Binary exponents from 2^-16 to 2^52, either sign.
        const std::uint64_t exponent = 1023 - 16 + (state >> 40) % 69;
        const std::uint64_t bits = (state & 0x800F'FFFF'FFFF'FFFF) | (exponent << 52);
        const double value = std::bit_cast<double>(bits);
        ASSERT_EQ(actual(value), expected(value)) << value;
    }
}

}  // namespace
}  // namespace lodra
