#pragma once

// An input the intake did not take, as data: which entry, what it held and why. The front
// ends word it in their own terms (the window by its captions, the batch tool by row and
// column); the calculation names no window.

#include <string>

namespace lodra {

// The entry of the input record that a refusal is about.
enum class InputField {
    None,
    totaltid,
    bonitet,
    areal,
    ranta,
    maxRing,
    variation,
    atervandel,
    berikning,
    cykTillAvv,
    tree,  // a tree row; Refusal::row tells which
};

enum class RefusalReason {
    NotANumber,  // the text is not a number (a tree row of blanks only is one too)
    Empty,       // a parameter's text is empty or blanks only
    OutOfRange,  // a number the calculation is not defined for; Refusal::rule says why
};

struct Refusal {
    InputField field = InputField::None;
    int row = 0;       // 1-10 for a tree row, else 0
    std::string text;  // the refused text as entered
    RefusalReason reason = RefusalReason::NotANumber;
    std::string rule;  // for OutOfRange: the rule broken, one Swedish sentence
};

}  // namespace lodra
