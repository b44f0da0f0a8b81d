#pragma once

// The look of this program's four windows.

#include <QFont>

#include "ui/windowlook.h"

namespace lodra {

// Builds the four windows' forms unseen in font and chooses the smallest factor at which
// every text fits, and the default stand's input summary and result text show in the
// result window's boxes whole and with no wrapped line. The default stand is calculated
// once for it, with the given decimal separator.
WindowLook programLook(const QFont& font, char decimalSeparator);

}  // namespace lodra
