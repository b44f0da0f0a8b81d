#pragma once

// How the windows word a calculation that did not succeed: a refused entry by the caption
// of its field in the parameters window, or by its row in the tree diameter window; any
// other failure by the calculation's own message. Plain C++, so that tests without a
// display hold the messages too.

#include <string>

#include "base/result.h"

namespace lodra {

// The caption that names a parameter in a message; empty for a tree row.
const char* fieldCaption(InputField field);

// The message box's text for a failed calculation, with an example number written with
// the decimal separator that the fields take.
std::string windowMessage(const Error& error, char decimalSeparator);

}  // namespace lodra
