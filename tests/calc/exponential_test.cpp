#include "calc/exponential.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "calc/parameters.h"

namespace lodra {
namespace {

std::uint64_t bitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The calculation's own exp gives the C library's bits (glibc's, the native build's truth)
// for every argument a discount factor takes, for the edges of its ranges and for many
// arguments besides; where the result overflows it raises the same flag.
TEST(Exponential, GivesTheLibrarysBitsForEveryDiscountAndBeyond) {
    std::vector<double> arguments = {0.0,
                                     0x1p-60,
                                     -0x1p-60,
                                     0x1p-54,
                                     1e-10,
                                     0.5,
                                     1.0,
                                     std::log(2.0),
                                     100.0,
                                     511.9999999,
                                     512.0,
                                     709.782712893384,
                                     709.7827128933841,
                                     710.0,
                                     1023.99,
                                     1024.0,
                                     1e300,
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(),
                                     -300.0,
                                     -0.25};
    for (const int rate : kRates) {
        const double rateLog = std::log(1 + static_cast<double>(rate) / 100);
        for (int year = 0; year <= kHorizonMax; year += 5) {
            arguments.push_back(static_cast<double>(year) * rateLog);
        }
    }
    std::mt19937_64 random(28);
    std::uniform_real_distribution<double> anywhere(0.0, 1100.0);
    for (int i = 0; i < 200000; ++i) {
        arguments.push_back(anywhere(random));
    }
    for (const double x : arguments) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const double library = std::exp(x);
        const bool libraryOverflowed = std::fetestexcept(FE_OVERFLOW) != 0;
        std::feclearexcept(FE_ALL_EXCEPT);
        const double own = exponential(x);
        const bool ownOverflowed = std::fetestexcept(FE_OVERFLOW) != 0;
        ASSERT_EQ(bitsOf(own), bitsOf(library)) << x;
        ASSERT_EQ(ownOverflowed, libraryOverflowed) << x;
    }
    std::feclearexcept(FE_ALL_EXCEPT);
}

}  // namespace
}  // namespace lodra
