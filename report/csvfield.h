#pragma once

// The quoting of a CSV field, ';'-separated as every CSV file of the program is.

#include <string>
#include <string_view>

namespace lodra {

// A field as written: quoted, its quotes doubled, when it holds ';', '"' or a line end;
// otherwise as it is. Reading it back gives the text unchanged.
std::string csvField(std::string_view text);

// A text cell of a result table (a stand's name, a message): as csvField, except that a
// text a spreadsheet would take for a formula, one that begins with '=', '+', '-', '@', a
// tab or a CR, is quoted with an apostrophe before it, so that the cell shows as text.
// Numbers are never written through it.
std::string csvTextCell(std::string_view text);

}  // namespace lodra
