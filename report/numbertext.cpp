#include "report/numbertext.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/charconv.h"
#include "report/significantdigits.h"

namespace lodra {

namespace {

// A whole number of at most 15 digits, which every form writes as it is.
std::optional<std::int64_t> smallWhole(double value) {
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        return static_cast<std::int64_t>(value);
    }
    return std::nullopt;
}

std::size_t digitCount(std::uint64_t n) {
    // floor(log10(2^bits)), then one more when n reaches the next power of ten.
    const auto guess = static_cast<std::size_t>(std::bit_width(n | 1) * 1233 >> 12);
    return guess + ((n | 1) >= kPowersOfTen[guess] ? 1 : 0);
}

// A number in fixed form: the minus, the whole part, and the decimals (zeros in front
// included) after the separator.
struct Fixed {
    bool minus = false;
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;  // below 10^decimals
    std::size_t decimals = 0;
};

// The number right-justified in width characters, written straight into out: a text made
// in a small buffer of its own and copied from there would make the copy wait for the bytes
// just stored in it.
void appendFixed(std::string& out, const Fixed& f, char decimalSeparator, std::size_t width) {
    const std::size_t wholeDigits = digitCount(f.whole);
    const std::size_t length =
        (f.minus ? 1 : 0) + wholeDigits + (f.decimals > 0 ? f.decimals + 1 : 0);
    out.resize(out.size() + std::max(length, width), ' ');
    char* t = out.data() + out.size() - length;
    if (f.minus) {
        *t++ = '-';
    }
    t = std::to_chars(t, t + wholeDigits, f.whole).ptr;
    if (f.decimals > 0) {
        *t = decimalSeparator;
        writeDigits(f.fraction, t + 1, f.decimals);
    }
}

// %.15G's fixed form of 15 digits read as whole × 10^(exponent - 14), -4 <= exponent < 15:
// the point after exponent + 1 of them, the trailing zeros of the decimals dropped.
Fixed generalFixed(const Decimal& d) {
    constexpr long kDigits = 15;
    const long before = d.exponent + 1;  // -3 to 15
    Fixed f;
    f.minus = d.negative;
    f.decimals = static_cast<std::size_t>(kDigits - before);
    if (before > 0) {
        f.whole = d.whole / kPowersOfTen[f.decimals];
        f.fraction = d.whole % kPowersOfTen[f.decimals];
    } else {
        f.fraction = d.whole;  // zeros in front: the decimals are more than 15
    }
    while (f.decimals > 0 && f.fraction % 10 == 0) {
        f.fraction /= 10;
        --f.decimals;
    }
    return f;
}

// %.15G's exponent form: d.ddd without trailing zeros, E, sign, at least two digits.
void appendExponent(std::string& out, const Decimal& d, char decimalSeparator) {
    appendFixed(out, generalFixed({d.negative, d.whole, 0}), decimalSeparator, 0);
    out += d.exponent < 0 ? "E-" : "E+";
    const long size = d.exponent < 0 ? -d.exponent : d.exponent;
    if (size < 10) {
        out += '0';
    }
    char buffer[8];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, size);
    out.append(buffer, end);
}

}  // namespace

void appendNumber(std::string& out, double value, char decimalSeparator) {
    if (value == 0) {
        out += '0';  // also a negative zero
        return;
    }
    if (const std::optional<std::int64_t> whole = smallWhole(value)) {
        appendFixed(out, {*whole < 0, static_cast<std::uint64_t>(*whole < 0 ? -*whole : *whole)},
                    decimalSeparator, 0);
        return;
    }
    if (const std::optional<Decimal> decimal = decimalOf(value);
        decimal && decimal->exponent < 15) {
        appendFixed(out, generalFixed(*decimal), decimalSeparator, 0);
        return;
    }
    if (std::isfinite(value)) {
        // Far from 1, or exactly halfway between two readings: from the digits C's way.
        const Significant sig = significant(value);
        Decimal d{sig.negative, 0, sig.exponent};
        for (std::size_t i = 0; i < sig.count; ++i) {
            d.whole = d.whole * 10 + static_cast<std::uint64_t>(sig.digits[i] - '0');
        }
        if (d.exponent < -4 || d.exponent >= 15) {
            appendExponent(out, d, decimalSeparator);
        } else {
            appendFixed(out, generalFixed(d), decimalSeparator, 0);
        }
        return;
    }
    char buffer[64];
    const auto [end, ec] =
        toChars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    out.append(buffer, ec == std::errc{} ? end : buffer);
}

void appendNumber(std::string& out, int value) {
    char buffer[16];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end);
}

std::string numberText(double value, char decimalSeparator) {
    std::string text;
    appendNumber(text, value, decimalSeparator);
    return text;
}

std::string numberText(int value) {
    return std::to_string(value);
}

namespace {

// Room for the longest scaled text: 309 digits before the point of the largest double, the
// decimals after it and a carry.
constexpr std::size_t kScaledRoom = 320;

// The digits up to the `kept`-th into to, rounded half away from zero on the first digit
// dropped; zeros are added when fewer digits are there. None when kept is negative.
// Returns how many were written.
std::size_t roundedDigits(const Significant& sig, long kept, char* to) {
    const auto count = static_cast<long>(sig.count);
    if (kept >= count) {
        std::copy_n(sig.digits.data(), sig.count, to);
        std::fill(to + count, to + kept, '0');
        return static_cast<std::size_t>(kept);
    }
    if (kept < 0) {
        return 0;
    }
    // to[0] is room for a carry out of the first digit.
    std::copy_n(sig.digits.data(), kept, to + 1);
    std::size_t first = 1;
    if (sig.digits[static_cast<std::size_t>(kept)] >= '5') {
        long pos = kept;
        while (pos >= 1 && to[pos] == '9') {
            to[pos--] = '0';
        }
        if (pos < 1) {
            to[0] = '1';
            first = 0;
        } else {
            ++to[pos];
        }
    }
    std::copy(to + first, to + kept + 1, to);
    return static_cast<std::size_t>(kept) + 1 - first;
}

// The digits of |value| × 10^decimals (no leading zeros; none for a zero) as a pattern's
// text into text: at least one digit before the point, and the minus of a negative value
// that did not round to zero. Returns the text's length.
std::size_t writePattern(const char* digits, std::size_t size, bool negative, std::size_t decimals,
                         char decimalSeparator, char* text) {
    // At least "0" before the point: zeros in front of the digits.
    const std::size_t total = std::max(size, decimals + 1);
    const std::size_t pad = total - size;
    char* t = text;
    if (negative && size > 0) {
        *t++ = '-';
    }
    std::fill(t, t + pad, '0');
    std::copy(digits, digits + size, t + pad);
    if (decimals > 0) {
        std::copy_backward(t + total - decimals, t + total, t + total + 1);
        t[total - decimals] = decimalSeparator;
        ++t;
    }
    return static_cast<std::size_t>(t + total - text);
}

// |value| × 10^decimals rounded half away from zero from its 15 digits, when that is a
// whole number below 10^19.
std::optional<std::uint64_t> scaledWhole(const Decimal& d, std::size_t decimals) {
    constexpr long kDigits = 15;
    const long kept = d.exponent + 1 + static_cast<long>(decimals);  // digits kept
    if (kept > 18) {
        return std::nullopt;
    }
    if (kept >= kDigits) {
        return d.whole * kPowersOfTen[kept - kDigits];
    }
    if (kept < 0) {
        return 0;
    }
    const std::uint64_t unit = kPowersOfTen[kDigits - kept];
    // The first digit dropped is 5 or more when the rest is half a unit or more.
    return d.whole / unit + (d.whole % unit >= unit / 2 ? 1 : 0);
}

// The decimals a pattern writes: at most two; more are never asked for.
std::size_t decimalsOf(std::string_view pattern) {
    const auto point = pattern.find('.');
    return point == std::string_view::npos ? 0
                                           : std::min<std::size_t>(pattern.size() - point - 1, 8);
}

// |value| × 10^decimals rounded, in whole-number arithmetic: for a whole value and for the
// 15 digits of one from 1E-04 to below 1E+15, as long as it stays below 10^19.
std::optional<Fixed> wholePattern(double value, std::size_t decimals) {
    std::optional<std::uint64_t> scaled;
    bool negative = std::signbit(value);
    if (const std::optional<std::int64_t> whole = smallWhole(value); whole && decimals <= 3) {
        scaled = static_cast<std::uint64_t>(*whole < 0 ? -*whole : *whole) * kPowersOfTen[decimals];
    } else if (const std::optional<Decimal> decimal = decimalOf(value)) {
        scaled = scaledWhole(*decimal, decimals);
        negative = decimal->negative;
    }
    if (!scaled) {
        return std::nullopt;
    }
    return Fixed{negative && *scaled > 0, *scaled / kPowersOfTen[decimals],
                 *scaled % kPowersOfTen[decimals], decimals};
}

// patternText into text (room for kScaledRoom + 2 bytes), for any value; returns its length.
std::size_t formatPattern(double value, std::size_t decimals, char decimalSeparator, char* text) {
    const Significant sig = significant(value);
    // |value| × 10^decimals, rounded, as decimal digits without leading zeros.
    char scaled[kScaledRoom];
    const long kept = std::min(sig.exponent + 1 + static_cast<long>(decimals),
                               static_cast<long>(kScaledRoom) - 1);
    const std::size_t length = roundedDigits(sig, kept, scaled);
    const char* digits = std::find_if(scaled, scaled + length, [](char c) { return c != '0'; });
    return writePattern(digits, static_cast<std::size_t>(scaled + length - digits), sig.negative,
                        decimals, decimalSeparator, text);
}

}  // namespace

std::string patternText(double value, std::string_view pattern, char decimalSeparator) {
    std::string text;
    appendPattern(text, value, pattern, 0, decimalSeparator);
    return text;
}

void appendPattern(std::string& out, double value, std::string_view pattern, int width,
                   char decimalSeparator) {
    const std::size_t decimals = decimalsOf(pattern);
    if (const std::optional<Fixed> fixed = wholePattern(value, decimals)) {
        appendFixed(out, *fixed, decimalSeparator, static_cast<std::size_t>(std::max(width, 0)));
        return;
    }
    char text[kScaledRoom + 3];
    const std::size_t length = formatPattern(value, decimals, decimalSeparator, text);
    if (static_cast<long>(length) < width) {  // ASCII: a byte is a character
        out.append(static_cast<std::size_t>(width) - length, ' ');
    }
    out.append(text, length);
}

std::string HJ(const std::string& txt, int lgd) {
    long characters = 0;
    for (const char c : txt) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++characters;  // not a UTF-8 continuation byte
        }
    }
    if (characters >= lgd) {
        return txt;  // a longer text is never cut
    }
    return std::string(static_cast<std::size_t>(lgd - characters), ' ') + txt;
}

void appendDiaList(std::string& out, const DiameterList& list, int n, char decimalSeparator) {
    for (int i = 1; i <= n; ++i) {
        if (i > 1) {
            out += ',';
        }
        appendPattern(out, list[i], "##0.0", 6, decimalSeparator);
    }
}

std::string printDiaList(const DiameterList& list, int n, char decimalSeparator) {
    std::string text;
    appendDiaList(text, list, n, decimalSeparator);
    return text;
}

}  // namespace lodra
