#include "report/significantdigits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "base/bitcast.h"
#include "base/charconv.h"

namespace lodra {

namespace {

__extension__ using Wide = unsigned __int128;

constexpr int kDigits = 15;
constexpr std::uint64_t kLowest = 100'000'000'000'000;    // 10^14, the smallest 15 digits
constexpr std::uint64_t kBeyond = 1'000'000'000'000'000;  // 10^15
constexpr int kMantissaBits = 52;
constexpr int kExponentBias = 1023;

// From the text to_chars writes for %.14e: any value, slower.
Significant fromText(double value) {
    char sci[64];
    const auto [end, ec] =
        toChars(sci, sci + sizeof sci, value, std::chars_format::scientific, kDigits - 1);
    const std::size_t n = ec == std::errc{} ? static_cast<std::size_t>(end - sci) : 0;
    Significant out;
    out.negative = n > 0 && sci[0] == '-';
    std::size_t i = out.negative ? 1 : 0;
    for (; i < n && sci[i] != 'e' && out.count < out.digits.size(); ++i) {
        if (sci[i] != '.') {
            out.digits[out.count++] = sci[i];
        }
    }
    if (i < n && sci[i] == 'e') {
        const bool below = i + 1 < n && sci[i + 1] == '-';
        for (std::size_t k = i + 2; k < n; ++k) {
            out.exponent = out.exponent * 10 + (sci[k] - '0');
        }
        out.exponent = below ? -out.exponent : out.exponent;
    }
    return out;
}

Wide powerOfTen(long k) {
    return kPowersOfTen[static_cast<std::size_t>(k)];
}

// In whole-number arithmetic, for 1E-04 <= |value| < 1E+15: the value is m / 2^q with
// q <= 66, and m * 10^(14 - exponent) < 2^117 is exact. Empty on an exact tie.
std::optional<Decimal> fromBits(double value) {
    const auto bits = bitCast<std::uint64_t>(value);
    const auto biased = static_cast<int>((bits >> kMantissaBits) & 0x7FF);
    const std::uint64_t m =
        (bits & ((std::uint64_t{1} << kMantissaBits) - 1)) | (std::uint64_t{1} << kMantissaBits);
    const int q = kMantissaBits + kExponentBias - biased;
    const int twos = biased - kExponentBias;  // 2^twos <= |value| < 2^(twos + 1)
    // floor(twos * log10 2), or one less than the decimal exponent.
    long exponent = (twos * 1233) >> 12;
    Wide scaled = Wide{m} * powerOfTen(kDigits - 1 - exponent);
    if ((scaled >> q) >= kBeyond) {
        ++exponent;
        scaled = Wide{m} * powerOfTen(kDigits - 1 - exponent);
    }
    const Wide one = Wide{1} << q;
    std::uint64_t whole = static_cast<std::uint64_t>(scaled >> q);
    const Wide rest = scaled & (one - 1);
    const Wide half = one >> 1;
    if (rest == half) {
        return std::nullopt;
    }
    if (rest > half) {
        ++whole;
    }
    if (whole == kBeyond) {
        whole = kLowest;
        ++exponent;
    }
    return Decimal{std::signbit(value), whole, exponent};
}

}  // namespace

void writeDigits(std::uint64_t value, char* to, std::size_t count) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    // Two at a time from the last.
    std::size_t i = count;
    for (; i >= 2; i -= 2) {
        const std::uint64_t pair = value % 100;
        value /= 100;
        to[i - 2] = kPairs[2 * pair];
        to[i - 1] = kPairs[2 * pair + 1];
    }
    if (i == 1) {
        to[0] = static_cast<char>('0' + value % 10);
    }
}

std::optional<Decimal> decimalOf(double value) {
    const double size = std::fabs(value);
    if (std::isfinite(value) && size >= 1e-4 && size < 1e15) {
        return fromBits(value);
    }
    return std::nullopt;
}

Significant significant(double value) {
    if (const std::optional<Decimal> decimal = decimalOf(value)) {
        Significant out;
        out.negative = decimal->negative;
        out.count = kDigits;
        out.exponent = decimal->exponent;
        writeDigits(decimal->whole, out.digits.data(), kDigits);
        return out;
    }
    return fromText(value);
}

}  // namespace lodra
