// Text echoed in messages: every character that would act on a terminal or mislead the
// reader is written out, everything else stays byte for byte.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "base/quote.h"
#include "base/utf8.h"

namespace lodra {
namespace {

TEST(VisibleText, WritesOutWhatWouldNotShowAsItself) {
    const std::pair<std::string, std::string> cases[] = {
        // text, as shown
        {"Löv 12,5 ½ € 日本 😀", "Löv 12,5 ½ € 日本 😀"},
        {std::string("a\0b", 3), "a\\0b"},
        {"\x1b[2J\x1b]0;titel\x07", "\\x1b[2J\\x1b]0;titel\\x07"},
        {"rad\r\nRad 3: falsk", "rad\\x0d\\x0aRad 3: falsk"},
        {"\t\x7f", "\\x09\\x7f"},
        {"\xc2\x9b"
         "31m \xc2\x85 \xc2\xa0",
         "\\u009b31m \\u0085 \xc2\xa0"},
        {"\xe2\x80\xaeTXT.exe \xe2\x80\xaa \xe2\x81\xa6 \xe2\x81\xa9 \xe2\x80\xad",
         "\\u202eTXT.exe \\u202a \\u2066 \\u2069 \\u202d"},
        {"\xe2\x80\xaf \xe2\x81\xa5", "\xe2\x80\xaf \xe2\x81\xa5"},  // U+202F, U+2065 show
        // the line and paragraph separators, and the direction marks LRM, RLM and ALM
        {"Rad 2\xe2\x80\xa8"
         "Allt klart\xe2\x80\xa9",
         "Rad 2\\u2028Allt klart\\u2029"},
        {"\xe2\x80\x8e(\xe2\x80\x8f)\xd8\x9c.", "\\u200e(\\u200f)\\u061c."},
        // their neighbours show: U+200D (joins emoji), U+2027, U+061B, U+061D
        {"\xe2\x80\x8d \xe2\x80\xa7 \xd8\x9b \xd8\x9d",
         "\xe2\x80\x8d \xe2\x80\xa7 \xd8\x9b \xd8\x9d"},
        {"\xef\xbb\xbftotaltid", "\\ufefftotaltid"},
        {"fil\xff.csv", "fil\\xff.csv"},
        {"\xc0\xaf \xe0\x80\xaf \xed\xa0\x80", "\\xc0\\xaf \\xe0\\x80\\xaf \\xed\\xa0\\x80"},
        {"\xf4\x90\x80\x80 \xf0\x8f\xbf\xbf", "\\xf4\\x90\\x80\\x80 \\xf0\\x8f\\xbf\\xbf"},
        {"slut\xe2\x82", "slut\\xe2\\x82"},
        {"\\0 \\x1b", "\\0 \\x1b"},
    };
    for (const auto& [text, shown] : cases) {
        SCOPED_TRACE(shown);
        EXPECT_EQ(visibleText(text), shown);
        EXPECT_EQ(inQuotes(text), "\"" + shown + "\"");
        EXPECT_EQ(visibleText(shown), shown);  // written out once, never twice
    }
}

TEST(VisibleText, LinesKeepTheirBreaksOnly) {
    EXPECT_EQ(visibleLines("Resultatet sparades i följande fil:\n/tmp/\x1b[31m\rR.txt\n"),
              "Resultatet sparades i följande fil:\n/tmp/\\x1b[31m\\x0dR.txt\n");
    EXPECT_EQ(visibleLines(""), "");
}

TEST(DecodeUtf8, StopsAtTheEndOfEachCharacter) {
    const std::string text = "a\xc3\xa5\xe2\x82\xac\xf0\x9f\x98\x80\xff";
    const struct {
        char32_t c;
        std::size_t next;
    } steps[] = {{U'a', 1}, {U'å', 3}, {U'€', 6}, {U'😀', 10}, {kNotUtf8, 11}};
    std::size_t i = 0;
    for (const auto& step : steps) {
        EXPECT_EQ(decodeUtf8(text, i), step.c);
        EXPECT_EQ(i, step.next);
    }
}

bool validUtf8(std::initializer_list<std::string_view> pieces) {
    Utf8Check check;
    for (std::string_view piece : pieces) {
        check.feed(piece);
    }
    return check.valid();
}

TEST(Utf8Check, AcceptsWellFormedTextAndRefusesWhatWindows1252Files) {
    EXPECT_TRUE(validUtf8({"Gran;Tall"}));
    EXPECT_TRUE(validUtf8({"L\xC3\xB6v", "\xE2\x82\xAC", "\xF0\x9F\x8C\xB2"}));
    EXPECT_TRUE(validUtf8({"L\xC3", "\xB6v"}));  // a character split between two reads
    EXPECT_TRUE(validUtf8({"\xF0", "\x9F", "\x8C", "\xB2\xC3", "\xB6"}));  // and between four

    EXPECT_FALSE(validUtf8({"L\xF6v"}));              // "Löv" in Windows-1252
    EXPECT_FALSE(validUtf8({"\xC5r"}));               // "År" in Windows-1252
    EXPECT_FALSE(validUtf8({"L\xC3"}));               // cut off at the end
    EXPECT_FALSE(validUtf8({"\xC0\xAF"}));            // overlong
    EXPECT_FALSE(validUtf8({"\xE0\x80\xAF"}));        // overlong
    EXPECT_FALSE(validUtf8({"\xED\xA0\x80"}));        // surrogate
    EXPECT_FALSE(validUtf8({"\xF4\x90\x80\x80"}));    // above U+10FFFF
    EXPECT_FALSE(validUtf8({"\xB6", "L\xC3\xB6v"}));  // stray continuation byte
    EXPECT_FALSE(validUtf8({"\xE2\x82", "A"}));       // a split character left unfinished
}

}  // namespace
}  // namespace lodra
