#include "report/windows1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "base/utf8.h"

namespace lodra {

namespace {

constexpr char32_t kUnassigned = 0xFFFD;

// The code points of the bytes 0x80 to 0x9F; every other byte is the code point of its value.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC,      kUnassigned, 0x201A, 0x0192, 0x201E, 0x2026,      0x2020, 0x2021,       // 0x80
    0x02C6,      0x2030,      0x0160, 0x2039, 0x0152, kUnassigned, 0x017D, kUnassigned,  // 0x88
    kUnassigned, 0x2018,      0x2019, 0x201C, 0x201D, 0x2022,      0x2013, 0x2014,       // 0x90
    0x02DC,      0x2122,      0x0161, 0x203A, 0x0153, kUnassigned, 0x017E, 0x0178,       // 0x98
};

char32_t codePointOf(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
}

// The byte that stands for a code point, or '?' when Windows-1252 has none.
char byteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    const auto* found = std::find(kHigh.begin(), kHigh.end(), c);
    if (c == kUnassigned || found == kHigh.end()) {
        return '?';
    }
    return static_cast<char>(0x80 + std::distance(kHigh.begin(), found));
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

void appendWindows1252(std::string& out, std::string_view utf8) {
    // Every character and every malformed byte becomes one byte: the text never grows.
    const std::size_t start = out.size();
    out.resize(start + utf8.size());
    char* to = out.data() + start;
    const std::size_t n = utf8.size();
    const char* from = utf8.data();
    for (std::size_t i = 0; i < n;) {
        // A run of ASCII is copied as it is, eight bytes at a time while it lasts; to never
        // passes from + i, so the eight bytes fit.
        constexpr std::uint64_t kHighBits = 0x8080808080808080;
        std::uint64_t eight = 0;
        while (i + sizeof eight <= n &&
               (std::memcpy(&eight, from + i, sizeof eight), (eight & kHighBits) == 0)) {
            std::memcpy(to, &eight, sizeof eight);
            to += sizeof eight;
            i += sizeof eight;
        }
        while (i < n && (static_cast<unsigned char>(from[i]) & 0x80) == 0) {
            *to++ = from[i++];
        }
        if (i < n) {
            *to++ = byteOf(decodeUtf8(utf8, i));
        }
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
}

std::string toWindows1252(std::string_view utf8) {
    std::string out;
    appendWindows1252(out, utf8);
    return out;
}

std::string fromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char b : bytes) {
        appendUtf8(out, codePointOf(static_cast<unsigned char>(b)));
    }
    return out;
}

}  // namespace lodra
