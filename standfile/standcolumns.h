#pragma once

// The header row of a stand file: which column holds which input.

#include <array>
#include <cstddef>
#include <optional>
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
    int hektar = -1;   // the stand's area in ha, optional
    std::array<int, kTreeRows> dia{};
    std::array<int, kTreeRows> avv{};
    bool anyTreeColumn = false;
    std::size_t fieldCount = 0;  // fields of the header row
};

// The columns of a stand file besides the parameters and the choices: the trees' (dia1 to
// dia10, avv1 to avv10: kDiameterColumn and kMarkColumn) and the stand's name.
inline constexpr std::string_view kNameColumn = "bestand";
// The stand's area in hectares (the sample plot is areal, in m2): optional, read with a
// decimal point or comma, a finite number above 0 and at most kAreaMax, or empty.
inline constexpr std::string_view kAreaColumn = "hektar";
inline constexpr double kAreaMax = 100000;  // ha

// Every column's name in the window's order, the trees' as "dia1 till dia10", and the
// stand's name last: "totaltid, ..., avv1 till avv10 och bestand".
std::string columnNames();
// The columns of the tree rows of one kind: "dia1 till dia10".
std::string treeColumns(std::string_view kind);

// The area of a hektar cell: none for an empty (or blank) cell, else the area or why the
// cell cannot be one, in the words that refuse its row.
Result<std::optional<double>> areaOf(std::string_view cell);

// Maps the header row (already UTF-8) to columns. Column names are matched without regard
// to ASCII case and to blanks around them. Refuses an unknown, unnamed or repeated column.
Result<StandColumns> readHeader(const std::vector<std::string>& header);

// The cell of a row in the column at index; an empty cell for a column the file lacks
// (index -1) or one past the row's end.
std::string_view cellAt(const std::vector<std::string>& fields, int index);

}  // namespace lodra
