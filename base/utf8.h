#pragma once

// UTF-8 read one character at a time, and text made safe to show: what a stand file, its
// header or a path holds is echoed in messages, where a control character, a direction
// override or a stray byte would act on the terminal or mislead the reader.

#include <cstddef>
#include <string>
#include <string_view>

namespace lodra {

// What decodeUtf8 gives for a byte that does not start a well-formed character.
inline constexpr char32_t kNotUtf8 = 0xFFFFFFFF;

// Decodes the character at text[i] and moves i past it. A byte that does not start a
// well-formed sequence (overlong, a surrogate, above U+10FFFF, cut off) gives kNotUtf8
// and moves i by one.
char32_t decodeUtf8(std::string_view text, std::size_t& i);

// The text with every character that would not show as itself written out: NUL as \0,
// the other C0 controls, DEL and the bytes that are not UTF-8 as \x1b, the C1 controls,
// the line and paragraph separators (U+2028, U+2029), the direction marks (U+200E, U+200F,
// U+061C) and controls (U+202A-U+202E, U+2066-U+2069) and U+FEFF as \u202e.
std::string visibleText(std::string_view text);

// The same for a text of several lines: each line made visible, the line breaks kept.
std::string visibleLines(std::string_view text);

// Tells whether a byte stream fed to it piece by piece is well-formed UTF-8 (no overlong
// forms, no surrogates, nothing above U+10FFFF, no sequence cut off at the end).
class Utf8Check {
  public:
    void feed(std::string_view bytes);
    bool valid() const { return !bad_ && carry_.empty(); }

  private:
    void check(std::string_view text);

    std::string carry_;  // a character cut off at the end of the last piece
    bool bad_ = false;
};

}  // namespace lodra
