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

std::string patternText(double value, std::string_view pattern, char decimalSeparator) {
    const auto point = pattern.find('.');
    const int decimals =
        point == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - point - 1);

    // The value as it reads to 15 significant digits: d.dddddddddddddde±x.
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view sci(buffer,
                               ec == std::errc{} ? static_cast<std::size_t>(end - buffer) : 0);
    const bool negative = !sci.empty() && sci.front() == '-';
    std::string digits;
    std::size_t i = negative ? 1 : 0;
    for (; i < sci.size() && sci[i] != 'e'; ++i) {
        if (sci[i] != '.') {
            digits += sci[i];
        }
    }
    const int exponent = i < sci.size() ? std::atoi(std::string(sci.substr(i + 1)).c_str()) : 0;

    // The digits kept: those up to the last decimal of the pattern, rounded half away
    // from zero on the first digit dropped.
    const long kept = static_cast<long>(exponent) + 1 + decimals;
    std::string scaled;  // |value| × 10^decimals, rounded, as decimal digits
    if (kept >= static_cast<long>(digits.size())) {
        scaled = digits + std::string(static_cast<std::size_t>(kept) - digits.size(), '0');
    } else if (kept >= 0) {
        scaled = digits.substr(0, static_cast<std::size_t>(kept));
        if (digits[static_cast<std::size_t>(kept)] >= '5') {
            int pos = static_cast<int>(scaled.size()) - 1;
            while (pos >= 0 && scaled[static_cast<std::size_t>(pos)] == '9') {
                scaled[static_cast<std::size_t>(pos)] = '0';
                --pos;
            }
            if (pos < 0) {
                scaled.insert(scaled.begin(), '1');
            } else {
                ++scaled[static_cast<std::size_t>(pos)];
            }
        }
    }
    const auto firstNonZero = scaled.find_first_not_of('0');
    const bool zero = firstNonZero == std::string::npos;
    scaled = zero ? std::string() : scaled.substr(firstNonZero);
    if (scaled.size() < static_cast<std::size_t>(decimals) + 1) {
        scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');
    }

    std::string text = negative && !zero ? "-" : "";
    text += scaled.substr(0, scaled.size() - static_cast<std::size_t>(decimals));
    if (decimals > 0) {
        text += decimalSeparator;
        text += scaled.substr(scaled.size() - static_cast<std::size_t>(decimals));
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
