#pragma once

// The header row of a stand file: which column holds which input.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "calc/parameters.h"

namespace lodra {

// Where the named columns are in a record; -1 for a column the file does not have.
struct StandColumns {
    std::array<int, kParameterTable.size()> parameter{};  // in the order of kParameterTable
    int tradslag = -1;
    int atgard = -1;
    int bestand = -1;  // the stand's name, free text
    std::array<int, 10> dia{};
    std::array<int, 10> avv{};
    bool anyTreeColumn = false;
    std::size_t fieldCount = 0;  // fields of the header row
};

// Maps the header row (already UTF-8) to columns. Column names are matched without regard
// to ASCII case and to blanks around them. Refuses an unknown, unnamed or repeated column.
Result<StandColumns> readHeader(const std::vector<std::string>& header);

// The cell of a row in the column at index; an empty cell for a column the file lacks
// (index -1) or one past the row's end.
std::string_view cellAt(const std::vector<std::string>& fields, int index);

}  // namespace lodra
