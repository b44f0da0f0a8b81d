#pragma once

// The one way a message quotes what the user wrote or named: in straight double quotes. A NUL
// byte is shown as \0, so that a message never ends early where the text has one.

#include <string>
#include <string_view>

namespace lodra {

inline std::string inQuotes(std::string_view text) {
    std::string quoted = "\"";
    quoted.reserve(text.size() + 2);
    for (const char c : text) {
        if (c == '\0') {
            quoted += "\\0";
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

}  // namespace lodra
