#include "base/charconv.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace lodra {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether the text at p starts with word (lower case), in any case.
bool startsWith(const char* p, const char* last, std::string_view word) {
    if (static_cast<std::size_t>(last - p) < word.size()) {
        return false;
    }
    for (const char w : word) {
        const char c = *p++;
        if (c != w && c != w - 'a' + 'A') {
            return false;
        }
    }
    return true;
}

// Where the number at p ends in the form from_chars reads: digits with at most one point
// and at least one digit, then an exponent when it has digits; p when there is none.
// nonzero tells whether a digit before the exponent is not 0.
const char* decimalEnd(const char* p, const char* last, bool& nonzero) {
    const char* q = p;
    int digits = 0;
    const auto skipDigits = [&] {
        for (; q != last && isDigit(*q); ++q, ++digits) {
            nonzero |= *q != '0';
        }
    };
    skipDigits();
    if (q != last && *q == '.') {
        ++q;
        skipDigits();
    }
    if (digits == 0) {
        return p;
    }
    if (q != last && (*q == 'e' || *q == 'E')) {
        const char* e = q + 1;
        if (e != last && (*e == '+' || *e == '-')) {
            ++e;
        }
        if (e != last && isDigit(*e)) {
            for (q = e; q != last && isDigit(*q); ++q) {
            }
        }
    }
    return q;
}

// "inf", "infinity" or "nan", "nan(chars)" at p: where it ends, or p.
const char* specialEnd(const char* p, const char* last, double& value) {
    if (startsWith(p, last, "inf")) {
        value = std::numeric_limits<double>::infinity();
        return p + (startsWith(p, last, "infinity") ? 8 : 3);
    }
    if (!startsWith(p, last, "nan")) {
        return p;
    }
    value = std::numeric_limits<double>::quiet_NaN();
    const char* q = p + 3;
    if (q == last || *q != '(') {
        return q;
    }
    const char* c = q + 1;
    while (c != last &&
           (isDigit(*c) || *c == '_' || (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z'))) {
        ++c;
    }
    return c != last && *c == ')' ? c + 1 : q;
}

// The C library's decimal point, which strtod reads and snprintf writes.
std::string_view cDecimalPoint() {
    const char* point = std::localeconv()->decimal_point;
    return point != nullptr && *point != '\0' ? point : ".";
}

}  // namespace

namespace clibrary {

std::from_chars_result fromChars(const char* first, const char* last, double& value) {
    const bool negative = first != last && *first == '-';
    const char* start = first + (negative ? 1 : 0);
    double special = 0;
    if (const char* end = specialEnd(start, last, special); end != start) {
        value = negative ? -special : special;
        return {end, std::errc{}};
    }
    bool nonzero = false;
    const char* end = decimalEnd(start, last, nonzero);
    if (end == start) {
        return {first, std::errc::invalid_argument};
    }
    // strtod reads the C library's decimal point and stops at the end of the copy.
    std::string text;
    const std::string_view point = cDecimalPoint();
    for (const char* p = first; p != end; ++p) {
        if (*p == '.') {
            text.append(point);
        } else {
            text.push_back(*p);
        }
    }
    const double read = std::strtod(text.c_str(), nullptr);
    if (std::isinf(read) || (read == 0 && nonzero)) {
        return {end, std::errc::result_out_of_range};
    }
    value = read;
    return {end, std::errc{}};
}

std::to_chars_result toChars(char* first, char* last, double value, std::chars_format format,
                             int precision) {
    std::string text;
    if (std::isnan(value)) {
        text = std::signbit(value) ? "-nan" : "nan";
    } else if (std::isinf(value)) {
        text = value < 0 ? "-inf" : "inf";
    } else {
        const char* pattern = format == std::chars_format::scientific ? "%.*e" : "%.*g";
        const int size = std::snprintf(nullptr, 0, pattern, precision, value);
        text.resize(static_cast<std::size_t>(size > 0 ? size : 0) + 1);
        std::snprintf(text.data(), text.size(), pattern, precision, value);
        text.pop_back();
        if (const std::string_view point = cDecimalPoint(); point != ".") {
            if (const auto at = text.find(point); at != std::string::npos) {
                text.replace(at, point.size(), ".");
            }
        }
    }
    if (text.size() > static_cast<std::size_t>(last - first)) {
        return {last, std::errc::value_too_large};
    }
    return {std::copy(text.begin(), text.end(), first), std::errc{}};
}

}  // namespace clibrary

#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L

std::from_chars_result fromChars(const char* first, const char* last, double& value) {
    return std::from_chars(first, last, value, std::chars_format::general);
}

std::to_chars_result toChars(char* first, char* last, double value, std::chars_format format,
                             int precision) {
    return std::to_chars(first, last, value, format, precision);
}

#else

std::from_chars_result fromChars(const char* first, const char* last, double& value) {
    return clibrary::fromChars(first, last, value);
}

std::to_chars_result toChars(char* first, char* last, double value, std::chars_format format,
                             int precision) {
    return clibrary::toChars(first, last, value, format, precision);
}

#endif

}  // namespace lodra
