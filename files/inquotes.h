#pragma once

// A text in double quotes, as messages show file names and refused entries. A NUL byte is
// shown as \0, so that a message never ends early where the text has one.

#include <string>
#include <string_view>

namespace lodra {

inline std::string inQuotes(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\0') {
            out += "\\0";
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

}  // namespace lodra
