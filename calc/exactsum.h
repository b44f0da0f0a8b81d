#pragma once

// A sum of doubles without rounding: every addend is added exactly into a fixed-point number
// wide enough for the whole range of double (from 2^-1074 to beyond 2^1024), so the sum does
// not depend on the order of the addends, nor on how they were grouped into partial sums, and
// is rounded to a double once, to nearest with ties to even, when it is read.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lodra {

class ExactSum {
  public:
    void add(double value);
    void add(const ExactSum& other);
    // The exact sum rounded to the nearest double (ties to even); an infinite or NaN addend
    // makes it what adding them in doubles would.
    double value() const;
    // The exact sum as text and back: "0", or an optional "-" and the nonzero 32-bit digits
    // of the magnitude as "place:hex" joined by ',' (place 34 holds the units); "inf",
    // "-inf" or "nan" after such an addend.
    std::string text() const;
    static std::optional<ExactSum> fromText(std::string_view text);
    friend bool operator==(const ExactSum& a, const ExactSum& b);

  private:
    static constexpr int kDigitBits = 32;
    static constexpr int kPoint = 1088;  // bit place of 2^0: 34 digits of 32 bits
    static constexpr std::size_t kDigits = 70;
    // The sum is the digits' sum of digits_[i] * 2^(32 i - kPoint); between normalizations a
    // digit may leave [0, 2^32), and the last one holds the sign.
    std::array<std::int64_t, kDigits> digits_{};
    std::uint32_t pending_ = 0;  // additions since the digits were last normalized
    double special_ = 0;         // the sum of the infinite and NaN addends

    void normalize();
    void counted(std::uint32_t additions);
    // The magnitude's digits, each in [0, 2^32), and whether the sum is negative.
    bool magnitude(std::array<std::int64_t, kDigits>& out) const;
};

}  // namespace lodra
