#include "calc/numberparse.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "base/charconv.h"

namespace lodra {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads an optional sign, then digits with at most one decimal separator, from text[i]
// on into plain ('-' kept, '+' dropped, '.' as separator). Returns the number of digits.
int readMantissa(std::string_view text, char decimalSeparator, std::size_t& i, std::string& plain) {
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            plain += '-';
        }
        ++i;
    }
    int digits = 0;
    bool separatorSeen = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            plain += c;
            ++digits;
        } else if ((c == decimalSeparator || c == '.') && !separatorSeen) {
            plain += '.';
            separatorSeen = true;
        } else {
            break;
        }
    }
    return digits;
}

// Reads an exponent, if text[i] starts one, into plain. False for an exponent without
// digits.
bool readExponent(std::string_view text, std::size_t& i, std::string& plain) {
    if (i >= text.size() || (text[i] != 'e' && text[i] != 'E')) {
        return true;  // none
    }
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        plain += text[i];
        ++i;
    }
    int digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        plain += text[i];
        ++digits;
    }
    return digits > 0;
}

// The number rewritten in the form std::from_chars reads; none when the text is not a
// plain number.
std::optional<std::string> plainForm(std::string_view text, char decimalSeparator) {
    std::string plain;
    plain.reserve(text.size());
    std::size_t i = 0;
    if (readMantissa(text, decimalSeparator, i, plain) == 0 || !readExponent(text, i, plain) ||
        i != text.size()) {
        return std::nullopt;
    }
    return plain;
}

// The decimal exponent written after 'e' in plain; 0 without one. Capped far beyond any
// double, so that it cannot overflow.
long writtenExponent(const std::string& plain) {
    const auto e = plain.find('e');
    if (e == std::string::npos) {
        return 0;
    }
    long exponent = 0;
    for (const char c : plain.substr(e + 1)) {
        if (isDigit(c) && exponent < 1000000) {
            exponent = exponent * 10 + (c - '0');
        }
    }
    return plain[e + 1] == '-' ? -exponent : exponent;
}

// Whether a number that does not fit a double lies below its range rather than above:
// the decimal exponent of its first significant digit is negative.
bool tooSmall(const std::string& plain) {
    const std::string mantissa = plain.substr(0, plain.find('e'));
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
    return lead + writtenExponent(plain) < 0;
}

std::optional<double> convert(const std::string& plain) {
    double value = 0;
    const char* first = plain.data();
    const char* last = plain.data() + plain.size();
    const auto [end, ec] = fromChars(first, last, value);
    if (ec == std::errc::result_out_of_range && end == last && tooSmall(plain)) {
        return plain.front() == '-' ? -0.0 : 0.0;  // below the smallest double: zero
    }
    if (ec != std::errc{} || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Digits with at most one '.', the form nearly every entry has, read as they stand; none
// for any other text, and for one that does not fit a double.
std::optional<double> plainDecimal(std::string_view text) {
    int digits = 0;
    int points = 0;
    for (const char c : text) {
        digits += isDigit(c) ? 1 : 0;
        points += c == '.' ? 1 : 0;
    }
    if (digits == 0 || points > 1 || digits + points != static_cast<int>(text.size())) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = fromChars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text, char decimalSeparator) {
    text = withoutBlanks(text);
    if (const std::optional<double> value = plainDecimal(text)) {
        return value;
    }
    const auto plain = plainForm(text, decimalSeparator);
    if (!plain) {
        return std::nullopt;
    }
    return convert(*plain);
}

std::string_view withoutBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace lodra
