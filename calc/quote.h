#pragma once

// The one way a message quotes what the user wrote or named: in straight double quotes.

#include <string>
#include <string_view>

namespace lodra {

inline std::string inQuotes(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

}  // namespace lodra
