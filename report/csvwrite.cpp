#include "report/csv.h"

namespace lodra {

namespace {

std::string quoted(std::string_view lead, std::string_view text) {
    std::string out = "\"";
    out.reserve(text.size() + lead.size() + 2);
    out += lead;
    for (const char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    return out + '"';
}

}  // namespace

std::string csvFieldAsTyped(std::string_view text) {
    if (text.find_first_of(";\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    return quoted({}, text);
}

std::string csvField(std::string_view text) {
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        return quoted("'", text);
    }
    return csvFieldAsTyped(text);
}

}  // namespace lodra
