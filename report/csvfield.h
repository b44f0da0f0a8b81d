#pragma once

// The quoting of a CSV field, ';'-separated as every CSV file of the program is.

#include <string>
#include <string_view>

namespace lodra {

// A text cell of a result table (a stand's name, a message): quoted, its quotes doubled,
// when it holds ';', '"' or a line end, and otherwise as it is; except that a text a
// spreadsheet would take for a formula, one that begins with '=', '+', '-', '@', a tab or
// a CR, is quoted with an apostrophe before it, so that the cell shows as text. Numbers
// are never written through it.
std::string csvField(std::string_view text);

// A cell of the stand file, the user's own input: quoted as csvField quotes, but never
// marked, so that reading it back gives the text as typed.
std::string csvFieldAsTyped(std::string_view text);

}  // namespace lodra
