// Fuzz target: the intake's number conversion, under both decimal separators.
//
// For every text: a number that is accepted is finite, its text holds nothing but blanks,
// signs, digits, the separators and an exponent mark (so no "inf", "nan" or hexadecimal),
// the C library reads the same text to the same double, and the shortest exact print of it
// reads back to the very same double. Under ',' a text without a ',' reads as under '.'.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "calc/numberparse.h"
#include "fuzz/fuzzcheck.h"

namespace {

using lodra::fuzz::shown;

bool sameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

void checkAccepted(std::string_view text, char separator, double value) {
    const std::string what = shown(text) + " under '" + separator + "'";
    FUZZ_CHECK(std::isfinite(value), what);
    for (const char c : text) {
        const bool allowed =
            std::strchr(" \t+-0123456789eE.", c) != nullptr || (c == ',' && separator == ',');
        FUZZ_CHECK(allowed && c != '\0', what);
    }

    // The C library (in the "C" locale) reads the same text to the same double.
    std::string plain(trimmed(text));
    for (char& c : plain) {
        if (c == separator) {
            c = '.';
        }
    }
    char* end = nullptr;
    const double reference = std::strtod(plain.c_str(), &end);
    FUZZ_CHECK(end == plain.c_str() + plain.size(), what);
    FUZZ_CHECK(sameDouble(value, reference), what);

    // A print with every digit needed reads back exactly, with either separator.
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.17g", value);
    const std::optional<double> again = lodra::parseNumber(printed, '.');
    FUZZ_CHECK(again && sameDouble(*again, value), what + " printed " + printed);
    std::string local = printed;
    for (char& c : local) {
        if (c == '.') {
            c = ',';
        }
    }
    const std::optional<double> againLocal = lodra::parseNumber(local, ',');
    FUZZ_CHECK(againLocal && sameDouble(*againLocal, value), what + " printed " + local);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<double> dot = lodra::parseNumber(text, '.');
    const std::optional<double> comma = lodra::parseNumber(text, ',');
    if (dot) {
        checkAccepted(text, '.', *dot);
    }
    if (comma) {
        checkAccepted(text, ',', *comma);
    }
    if (text.find(',') == std::string_view::npos) {
        FUZZ_CHECK(dot.has_value() == comma.has_value(), shown(text));
        FUZZ_CHECK(!dot || sameDouble(*dot, *comma), shown(text));
    } else {
        FUZZ_CHECK(!dot, shown(text));
    }
    return 0;
}
