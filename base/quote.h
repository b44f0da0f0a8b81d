#pragma once

// The one way a message quotes what the user wrote or named: in straight double quotes, with
// every character that would not show as itself written out (NUL as \0, ESC as \x1b, a
// direction override as \u202e, a byte that is not UTF-8 as \xff), so that a message never
// ends early, acts on the terminal or reads other than it is.

#include <string>
#include <string_view>

#include "base/utf8.h"

namespace lodra {

inline std::string inQuotes(std::string_view text) {
    return "\"" + visibleText(text) + "\"";
}

}  // namespace lodra
