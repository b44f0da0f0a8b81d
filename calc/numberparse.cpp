#include "calc/numberparse.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace lodra {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
// Whether a number that does not fit a double lies below its range rather than above:
// the decimal exponent of its first significant digit is negative.
bool tooSmall(const std::string& plain) {
    const auto e = plain.find('e');
    const std::string mantissa = plain.substr(0, e);
    long exponent = 0;
    if (e != std::string::npos) {
        const std::string digits = plain.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        for (const char c : digits) {
            if (isDigit(c) && exponent < 1000000) {
                exponent = exponent * 10 + (c - '0');
            }
        }
        exponent = negative ? -exponent : exponent;
    }
    const auto point = mantissa.find('.');
    const std::string whole = mantissa.substr(0, point);
    const auto firstWhole = whole.find_first_not_of("-0");
    long lead = 0;
    if (firstWhole != std::string::npos) {
        lead = static_cast<long>(whole.size() - firstWhole) - 1;
    } else if (point != std::string::npos) {
        const auto firstFraction = mantissa.find_first_not_of('0', point + 1);
        lead = firstFraction == std::string::npos ? 0 : -static_cast<long>(firstFraction - point);
    }
    return lead + exponent < 0;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text, char decimalSeparator) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }

    // Rebuild the number in the form std::from_chars reads: no '+', '.' as separator.
    std::string plain;
    plain.reserve(text.size());
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            plain += '-';
        }
        ++i;
    }
    int mantissaDigits = 0;
    bool separatorSeen = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            plain += c;
            ++mantissaDigits;
        } else if ((c == decimalSeparator || c == '.') && !separatorSeen) {
            plain += '.';
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            plain += text[i];
            ++i;
        }
        int exponentDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i) {
            plain += text[i];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }

    double value = 0;
    const char* first = plain.data();
    const char* last = plain.data() + plain.size();
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range && end == last && tooSmall(plain)) {
        return plain.front() == '-' ? -0.0 : 0.0;  // below the smallest double: zero
    }
    if (ec != std::errc{} || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double roundHalfEven(double value) {
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5) {
        return down;
    }
    if (diff > 0.5) {
        return down + 1;
    }
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

}  // namespace lodra
