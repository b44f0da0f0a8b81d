#pragma once

// The windows' forms are drawn in Qt Designer at one pixel per 15 twips, the twips layout
// of the program at 96 dpi. These functions place the controls of a built form at any
// number of pixels per twip, keeping the proportions of the twips layout, and tell
// whether every text then fits its control.

#include <QString>
#include <vector>

class QPlainTextEdit;
class QWidget;

namespace lodra {

inline constexpr double kTwipsPerFormPixel = 15.0;  // twips per pixel of a .ui form

// Places the form and every control in it at pixelsPerTwip (px per twip). The first call
// keeps the geometry of the form as designed; every later call scales from that.
void scaleForm(QWidget* form, double pixelsPerTwip);

// True when every label, option button, check box, push button, group box caption, text
// field and list of the form shows its whole text within its box at the form's font
// (wrapping labels within their height).
bool textsFit(const QWidget* form);

// A text that must show in a multi-line box with no wrapped line and no line below the box.
struct BoxText {
    const QPlainTextEdit* box = nullptr;
    QString text;  // lines end in LF or CR LF; columns aligned with tabs
};
bool textFitsBox(const BoxText& shown);

// The report aligns its columns with tabs at every eighth character: the box's tab stops.
void setReportTabStops(QPlainTextEdit* box);

}  // namespace lodra
