#pragma once

// The 8-bit encoding of the saved result files and of older stand files.

#include <string>
#include <string_view>

namespace lodra {

// UTF-8 text to Windows-1252. A character that Windows-1252 cannot hold, and a byte that is
// not part of well-formed UTF-8, becomes '?'.
std::string toWindows1252(std::string_view utf8);
// The same bytes appended to out.
void appendWindows1252(std::string& out, std::string_view utf8);
// Windows-1252 bytes to UTF-8. The five bytes that Windows-1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD.
std::string fromWindows1252(std::string_view bytes);

}  // namespace lodra
