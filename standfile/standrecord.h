#pragma once

// One row of a stand file made a stand: its cells taken into the input, and why a row
// cannot be calculated.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "calc/inputrecord.h"
#include "standfile/standcolumns.h"

namespace lodra {

// The choice cells of a row as the file holds them: tradslag, atgard and avv1 to avv10, none
// for a column the file lacks. The windows keep a cell while the user leaves its choice be,
// so that a cell they cannot show as a choice is neither calculated nor saved as another.
struct ChoiceCells {
    std::optional<std::string> tradslag;
    std::optional<std::string> atgard;
    std::array<std::optional<std::string>, kTreeRows> avv;

    bool operator==(const ChoiceCells&) const = default;
};

// The choice cells of one row (fields already UTF-8).
ChoiceCells choiceCells(const StandColumns& columns, const std::vector<std::string>& fields);

// Why a choice cell cannot be used, in the words that refuse its row; none for a cell that
// can. The tree mark's number counts from 1.
std::optional<std::string> tradslagRefusal(std::string_view cell);
std::optional<std::string> atgardRefusal(std::string_view cell);
std::optional<std::string> markRefusal(std::string_view cell, int tree);

// Every cell of cells that cannot be used, each said as its row's refusal, in the order the
// row's cells are taken: the first is what refuses the row.
std::vector<std::string> choiceRefusals(const ChoiceCells& cells);

// What a blank parameter or diameter cell stands for: the window's initial value (the
// batch tool), or the blank text itself (the windows, which show what the file holds).
enum class BlankCell { initialValue, asWritten };

// Fills record with the stand of one row (fields already UTF-8; fewer fields than the
// header are empty cells). A missing column leaves the window's initial value; a blank
// cell of a parameter too, unless blank says otherwise. Fails with why the row is refused,
// after taking every cell it could.
Result<> toInputRecord(const StandColumns& columns, const std::vector<std::string>& fields,
                       InputRecord& record, BlankCell blank = BlankCell::initialValue);

}  // namespace lodra
