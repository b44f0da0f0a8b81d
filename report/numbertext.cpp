#include "report/numbertext.h"

#include <charconv>
#include <cstdlib>

namespace lodra {

std::string numberText(double value, char decimalSeparator) {
    if (value == 0) {
        return "0";  // also a negative zero
    }
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, ec == std::errc{} ? end : buffer);
    for (char& c : text) {
        if (c == '.') {
            c = decimalSeparator;
        } else if (c == 'e') {
            c = 'E';
        }
    }
    return text;
}

std::string numberText(int value) {
    return std::to_string(value);
}

namespace {

// A value as it reads to 15 significant digits: d.dddddddddddddde±x.
struct Significant {
    bool negative = false;
    std::string digits;  // the 15 digits, without the point
    int exponent = 0;    // decimal exponent of the first digit
};

Significant significant(double value) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view sci(buffer,
                               ec == std::errc{} ? static_cast<std::size_t>(end - buffer) : 0);
    Significant out;
    out.negative = !sci.empty() && sci.front() == '-';
    std::size_t i = out.negative ? 1 : 0;
    for (; i < sci.size() && sci[i] != 'e'; ++i) {
        if (sci[i] != '.') {
            out.digits += sci[i];
        }
    }
    out.exponent = i < sci.size() ? std::atoi(std::string(sci.substr(i + 1)).c_str()) : 0;
    return out;
}

// The digits up to the `kept`-th, rounded half away from zero on the first digit dropped;
// zeros are added when fewer digits are there. Empty when kept is negative.
std::string roundedDigits(const std::string& digits, long kept) {
    if (kept >= static_cast<long>(digits.size())) {
        return digits + std::string(static_cast<std::size_t>(kept) - digits.size(), '0');
    }
    if (kept < 0) {
        return {};
    }
    std::string out = digits.substr(0, static_cast<std::size_t>(kept));
    if (digits[static_cast<std::size_t>(kept)] >= '5') {
        int pos = static_cast<int>(out.size()) - 1;
        while (pos >= 0 && out[static_cast<std::size_t>(pos)] == '9') {
            out[static_cast<std::size_t>(pos)] = '0';
            --pos;
        }
        if (pos < 0) {
            out.insert(out.begin(), '1');
        } else {
            ++out[static_cast<std::size_t>(pos)];
        }
    }
    return out;
}

}  // namespace

std::string patternText(double value, std::string_view pattern, char decimalSeparator) {
    const auto point = pattern.find('.');
    const std::size_t decimals = point == std::string_view::npos ? 0 : pattern.size() - point - 1;

    const Significant sig = significant(value);
    // |value| × 10^decimals, rounded, as decimal digits without leading zeros.
    std::string scaled = roundedDigits(
        sig.digits, static_cast<long>(sig.exponent) + 1 + static_cast<long>(decimals));
    const auto firstNonZero = scaled.find_first_not_of('0');
    const bool zero = firstNonZero == std::string::npos;
    scaled = zero ? std::string() : scaled.substr(firstNonZero);
    if (scaled.size() < decimals + 1) {
        scaled.insert(0, decimals + 1 - scaled.size(), '0');  // at least "0" before the point
    }

    std::string text = sig.negative && !zero ? "-" : "";
    text += scaled.substr(0, scaled.size() - decimals);
    if (decimals > 0) {
        text += decimalSeparator;
        text += scaled.substr(scaled.size() - decimals);
    }
    return text;
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

std::string printDiaList(const DiameterList& list, int n, char decimalSeparator) {
    std::string text;
    for (int i = 1; i <= n; ++i) {
        text += HJ(patternText(list[i], "##0.0", decimalSeparator), 6);
        text += ',';
    }
    if (n >= 1) {
        text.pop_back();
    }
    return text;
}

}  // namespace lodra
