#include "base/utf8.h"

#include <array>

namespace lodra {

namespace {

struct Lead {
    int length;       // bytes of the sequence
    char32_t bits;    // the lead byte's share of the code point
    unsigned lo, hi;  // the range of the byte after it
};

// The sequence a lead byte starts; length 0 for a byte that starts none.
Lead leadOf(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) {
        return {2, b & 0x1FU, 0x80U, 0xBFU};
    }
    if (b >= 0xE0 && b <= 0xEF) {
        // No overlong three-byte forms after E0, no surrogates after ED.
        return {3, b & 0x0FU, b == 0xE0 ? 0xA0U : 0x80U, b == 0xED ? 0x9FU : 0xBFU};
    }
    if (b >= 0xF0 && b <= 0xF4) {
        // No overlong four-byte forms after F0, nothing above U+10FFFF after F4.
        return {4, b & 0x07U, b == 0xF0 ? 0x90U : 0x80U, b == 0xF4 ? 0x8FU : 0xBFU};
    }
    return {0, 0, 0U, 0U};
}

// The controls, the line and paragraph separators (they break a line where a message has
// none), every direction mark and override, and the byte-order mark.
bool hidden(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

void appendHex(std::string& out, const char* prefix, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += prefix;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        out += kDigits[(value >> shift) & 0xF];
    }
}

}  // namespace

char32_t decodeUtf8(std::string_view text, std::size_t& i) {
    const auto first = static_cast<unsigned char>(text[i]);
    if (first < 0x80) {
        ++i;
        return first;
    }
    const Lead lead = leadOf(first);
    const auto length = static_cast<std::size_t>(lead.length);
    if (length == 0 || i + length > text.size()) {
        ++i;
        return kNotUtf8;
    }
    char32_t c = lead.bits;
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if (b < (k == 1 ? lead.lo : 0x80U) || b > (k == 1 ? lead.hi : 0xBFU)) {
            ++i;
            return kNotUtf8;
        }
        c = (c << 6) | (b & 0x3FU);
    }
    i += length;
    return c;
}

std::string visibleText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = decodeUtf8(text, i);
        if (c == 0) {
            out += "\\0";
        } else if (c == kNotUtf8) {
            appendHex(out, "\\x", static_cast<unsigned char>(text[start]), 2);
        } else if (c < 0x80 && hidden(c)) {
            appendHex(out, "\\x", static_cast<unsigned>(c), 2);
        } else if (hidden(c)) {
            appendHex(out, "\\u", static_cast<unsigned>(c), 4);
        } else {
            out.append(text.substr(start, i - start));
        }
    }
    return out;
}

std::string visibleLines(std::string_view text) {
    std::string out;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        out += visibleText(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return out;
        }
        out += '\n';
        start = end + 1;
    }
}

namespace {

// The bytes of the sequence that a lead byte starts (one for any other byte).
std::size_t sequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The bytes at the end of text that start a character the next piece finishes.
std::size_t cutOff(std::string_view text) {
    for (std::size_t k = 1; k <= 3 && k <= text.size(); ++k) {
        const auto b = static_cast<unsigned char>(text[text.size() - k]);
        if (b >= 0xC0) {
            return sequenceLength(b) > k ? k : 0;
        }
        if (b < 0x80) {
            return 0;
        }
    }
    return 0;
}

}  // namespace

void Utf8Check::check(std::string_view text) {
    for (std::size_t i = 0; i < text.size() && !bad_;) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else {
            bad_ = decodeUtf8(text, i) == kNotUtf8;
        }
    }
}

void Utf8Check::feed(std::string_view bytes) {
    // First the character the last piece cut off, a byte at a time.
    while (!bad_ && !carry_.empty() && !bytes.empty()) {
        carry_ += bytes.front();
        bytes.remove_prefix(1);
        if (carry_.size() >= sequenceLength(static_cast<unsigned char>(carry_[0]))) {
            check(carry_);
            carry_.clear();
        }
    }
    if (bad_ || bytes.empty()) {
        return;
    }
    const std::size_t whole = bytes.size() - cutOff(bytes);
    check(bytes.substr(0, whole));
    carry_ = bytes.substr(whole);
}

}  // namespace lodra
