#pragma once

// A double as it reads to 15 significant digits, the form the report's patterns round from.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace lodra {

// 10^k for k = 0..19, all that fits in 64 bits.
inline constexpr auto kPowersOfTen = [] {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t k = 1; k < p.size(); ++k) {
        p[k] = p[k - 1] * 10;
    }
    return p;
}();

// d.dddddddddddddd × 10^exponent, the digits correctly rounded from the value's exact
// binary value (as C's %.14e); a zero of either sign has exponent 0.
struct Significant {
    bool negative = false;
    std::array<char, 32> digits{};  // the 15 digits, without the point
    std::size_t count = 0;          // of digits
    long exponent = 0;              // decimal exponent of the first digit
};

Significant significant(double value);

// The same 15 digits as one whole number: |value| reads as whole × 10^(exponent - 14), with
// 10^14 <= whole < 10^15. Found in whole-number arithmetic for 1E-04 <= |value| < 1E+15;
// empty for any other value and for one exactly halfway between two readings, which
// significant() rounds to even the slower way.
struct Decimal {
    bool negative = false;
    std::uint64_t whole = 0;
    long exponent = 0;
};

std::optional<Decimal> decimalOf(double value);

// The last count digits of value into to[0..count-1], zeros in front when it has fewer.
void writeDigits(std::uint64_t value, char* to, std::size_t count);

}  // namespace lodra
