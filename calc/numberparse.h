#pragma once

// The intake's conversion of a field's text to a number.

#include <optional>
#include <string_view>

namespace lodra {

// Accepts an optional sign, decimal digits with at most one decimal separator (the given
// one or '.'), and an optional exponent ("1,5E3"), with blanks around the number ignored.
// Refuses an empty or blank text, letters, group separators, "inf", "nan", hexadecimal and
// values beyond the range of a double; a value below its range reads as zero.
[[nodiscard]] std::optional<double> parseNumber(std::string_view text, char decimalSeparator);

// The text without the blanks (spaces and tabs) before and after it, as every field is read.
[[nodiscard]] std::string_view withoutBlanks(std::string_view text);

}  // namespace lodra
