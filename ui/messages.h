#pragma once

// The program's message boxes: modal, titled with the program's name, one "OK" button.

#include <QMessageBox>
#include <QString>

namespace lodra {

inline const QString kProgramTitle = QStringLiteral("Lodra05");

// Shows text in a modal box under the program's title and returns when it is closed.
void showMessage(QWidget* parent, const QString& text,
                 QMessageBox::Icon icon = QMessageBox::NoIcon);

}  // namespace lodra
