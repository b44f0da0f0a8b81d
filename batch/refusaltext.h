#pragma once

// How the batch tool words a stand that the calculation did not take: a refused entry by
// its column in the stand file, not by the windows' captions, which a batch user never
// sees. On standard error the text follows the row: "Rad 2, kolumn dia2: ..." for a
// refused entry, "Rad 2: ..." for any other message.

#include <string>

#include "base/result.h"

namespace lodra::batch {

// A refused entry: its column and why, e.g. `kolumn dia2: "abc" är inte ett tal.`; any
// other failure: its message.
std::string refusalText(const Error& error);

// What joins the row number and refusalText(error): ", " or ": ".
const char* afterRow(const Error& error);

// Why a run could not go on, for the exception being handled (call it inside a catch): the
// memory or threads the system would not give it end it as a file error does.
const char* abortReason();

}  // namespace lodra::batch
