#pragma once

// One stand written as a stand file that the batch tool and the windows read back: a header
// row and one row, ';'-separated, UTF-8 with a byte-order mark, lines ending in CR LF.

#include <string>
#include <string_view>

#include "calc/inputrecord.h"
#include "standfile/standfile.h"

namespace lodra {

// Every parameter column, tradslag, atgard, dia1 to dia10 and avv1 to avv10, and the bestand
// column first when the stand has a name, then the hektar column when area is not empty
// (written as a number cell). Each text as the user wrote it, except that a
// decimal comma is written as a point; a cell holding ';', '"' or a line break is quoted. A
// choice cell that kept holds is written as it is there instead of the input's choice.
// The name is kept as typed, even one that begins with '=': the file is the user's own
// input, read back as written, not a result table.
std::string standFileBytes(const InputRecord& input, std::string_view name,
                           const ChoiceCells& kept = {}, std::string_view area = {});

}  // namespace lodra
