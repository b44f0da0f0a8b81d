#pragma once

#include <string_view>

namespace lodra {

// The decimal separator that the intake and the report use, from the one of the user's
// regional settings: taken when it is a single printable ASCII character, else '.'.
inline char reportDecimalSeparator(std::u16string_view localeDecimalPoint) {
    if (localeDecimalPoint.size() == 1 && localeDecimalPoint[0] > 0x20 &&
        localeDecimalPoint[0] < 0x7f) {
        return static_cast<char>(localeDecimalPoint[0]);
    }
    return '.';
}

}  // namespace lodra
