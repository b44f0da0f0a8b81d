#pragma once

// The program's message boxes: modal, titled with the program's name, one "OK" button, or
// the answers of a question. What they show is plain text: a file name or a stand file's
// contents never act as formatting.

#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace lodra {

inline const QString kProgramTitle = QStringLiteral("Lodra05");

// Shows text in a modal box under the program's title and returns when it is closed.
void showMessage(QWidget* parent, const QString& text,
                 QMessageBox::Icon icon = QMessageBox::NoIcon);

// Asks a question in a modal box with one button for each answer (at least one), the last one the
// default and the answer to Escape and to closing the box; returns the answer's index.
int askQuestion(QWidget* parent, const QString& text, const QStringList& answers);

// A tooltip that shows text as it is: tooltips take text that looks like markup for
// markup, so such text is escaped and kept on one line.
QString plainToolTip(const QString& text);

}  // namespace lodra
