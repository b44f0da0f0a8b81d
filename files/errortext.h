#pragma once

// The system's error numbers in Swedish, for every message about a file or a folder.

#include <string>

#include "base/result.h"

namespace lodra {

// A system error number in Swedish words ("disken är full"); one without words of its own
// as "systemfel nummer N", never the system's English text.
std::string systemErrorText(int error);

// "Kunde inte <action> <what>: <the error in words>."
Error systemFailure(const std::string& action, const std::string& what, int error);

}  // namespace lodra
