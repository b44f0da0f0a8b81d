#pragma once

// What the fuzz targets share: a check that stops the process with a message, so that
// libFuzzer keeps the input as a finding and the replay tool fails, and small helpers.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#define FUZZ_CHECK(condition, detail)                                        \
    do {                                                                     \
        if (!(condition)) {                                                  \
            ::lodra::fuzz::failed(__FILE__, __LINE__, #condition, (detail)); \
        }                                                                    \
    } while (false)

namespace lodra::fuzz {

[[noreturn]] inline void failed(const char* file, int line, const char* condition,
                                std::string_view detail) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

// Well-formed UTF-8 as the Unicode standard defines it (table 3-7): no overlong forms,
// no surrogates, nothing above U+10FFFF, no sequence cut off.
inline bool wellFormedUtf8(std::string_view s) {
    std::size_t i = 0;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    auto within = [&](std::size_t k, unsigned lo, unsigned hi) {
        return k < s.size() && at(k) >= lo && at(k) <= hi;
    };
    while (i < s.size()) {
        const unsigned b = at(i);
        if (b <= 0x7F) {
            i += 1;
        } else if (b >= 0xC2 && b <= 0xDF && within(i + 1, 0x80, 0xBF)) {
            i += 2;
        } else if (b == 0xE0 && within(i + 1, 0xA0, 0xBF) && within(i + 2, 0x80, 0xBF)) {
            i += 3;
        } else if (((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) &&
                   within(i + 1, 0x80, 0xBF) && within(i + 2, 0x80, 0xBF)) {
            i += 3;
        } else if (b == 0xED && within(i + 1, 0x80, 0x9F) && within(i + 2, 0x80, 0xBF)) {
            i += 3;
        } else if (b == 0xF0 && within(i + 1, 0x90, 0xBF) && within(i + 2, 0x80, 0xBF) &&
                   within(i + 3, 0x80, 0xBF)) {
            i += 4;
        } else if (b >= 0xF1 && b <= 0xF3 && within(i + 1, 0x80, 0xBF) &&
                   within(i + 2, 0x80, 0xBF) && within(i + 3, 0x80, 0xBF)) {
            i += 4;
        } else if (b == 0xF4 && within(i + 1, 0x80, 0x8F) && within(i + 2, 0x80, 0xBF) &&
                   within(i + 3, 0x80, 0xBF)) {
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

// A text with its control bytes and non-ASCII bytes escaped, for messages.
inline std::string shown(std::string_view s) {
    std::string out;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

}  // namespace lodra::fuzz
