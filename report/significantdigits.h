#pragma once

// A double as it reads to 15 significant digits, the form the report's patterns round from.

#include <array>
#include <cstddef>

namespace lodra {

// d.dddddddddddddd × 10^exponent, the digits correctly rounded from the value's exact
// binary value (as C's %.14e); a zero of either sign has exponent 0.
struct Significant {
    bool negative = false;
    std::array<char, 32> digits{};  // the 15 digits, without the point
    std::size_t count = 0;          // of digits
    long exponent = 0;              // decimal exponent of the first digit
};

Significant significant(double value);

}  // namespace lodra
