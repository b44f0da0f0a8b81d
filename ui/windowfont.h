#pragma once

// The windows place their controls at fixed positions and sizes. Their font is the
// application's font, made smaller where needed so that every text fits its box.

#include <QFont>

class QWidget;

namespace lodra {

// True when every label, button, option button and check box of the window shows its
// whole text within its box (wrapping labels within their height).
bool textsFit(const QWidget* window);

// Gives the window the application's font at the largest size, in steps of half a point,
// at which textsFit() holds; never below kSmallestPointSize.
void fitFontToLayout(QWidget* window);
inline constexpr double kSmallestPointSize = 6.0;

// The font of all windows of the program: the one the parameters window settled on, or the
// application's font before it did.
QFont windowFont();
void setWindowFont(const QFont& font);

}  // namespace lodra
