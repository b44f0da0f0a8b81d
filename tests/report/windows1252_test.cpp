// The 8-bit encoding of the saved result files and of older stand files, by its table.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "report/windows1252.h"

namespace lodra {
namespace {

TEST(Windows1252, EncodesAndDecodesByTheTable) {
    const std::pair<std::string, std::string> cases[] = {
        // UTF-8, bytes
        {"åäöÅÄÖ\r\n\t-", "\xE5\xE4\xF6\xC5\xC4\xD6\r\n\t-"},
        {"€‚ƒ„…†‡ˆ‰Š‹ŒŽ", "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"},
        {"‘’“”•–—˜™š›œžŸ", "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F"},
        {"\xC2\xA0ÿ", "\xA0\xFF"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& [utf8, bytes] : cases) {
        EXPECT_EQ(toWindows1252(utf8), bytes) << utf8;
        EXPECT_EQ(fromWindows1252(bytes), utf8) << utf8;
    }
    // What the encoding cannot hold, and bytes that are no UTF-8, become '?'.
    const std::pair<std::string, std::string> lossy[] = {
        {"−5", "?5"}, {"\xC3", "?"}, {"\xED\xA0\x80", "???"}, {"\xF0\x9F\x8C\xB2", "?"}};
    for (const auto& [utf8, bytes] : lossy) {
        EXPECT_EQ(toWindows1252(utf8), bytes);
        // Appended after what a string holds, also between runs of ASCII.
        std::string out = "ö";
        appendWindows1252(out, "ab" + utf8 + "cd");
        EXPECT_EQ(out, std::string("öab") + bytes + "cd");
    }
    for (const char unassigned : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
        EXPECT_EQ(fromWindows1252(std::string(1, unassigned)), "\xEF\xBF\xBD");
    }
}

// A character outside ASCII, a whole one or a cut one, at every place of ASCII texts
// shorter and longer than the blocks the ASCII is copied in.
TEST(Windows1252, CharactersAtEveryPlaceOfAsciiRuns) {
    const std::pair<std::string, char> characters[] = {{"ä", '\xE4'}, {"\xC3", '?'}, {"€", '\x80'}};
    for (const auto& [utf8, byte] : characters) {
        for (std::size_t length = 0; length <= 25; ++length) {
            for (std::size_t at = 0; at <= length; ++at) {
                std::string text(length, 'x');
                std::string bytes = text;
                for (std::size_t k = 0; k < length; ++k) {
                    text[k] = bytes[k] = static_cast<char>('a' + k);
                }
                text.insert(at, utf8);
                bytes.insert(at, 1, byte);
                std::string out = "\xF6";
                appendWindows1252(out, text);
                EXPECT_EQ(out, "\xF6" + bytes) << length << " " << at;
            }
        }
    }
}

}  // namespace
}  // namespace lodra
