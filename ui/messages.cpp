#include "ui/messages.h"

namespace lodra {

void showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, kProgramTitle, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("lodraMessage"));
    box.exec();
}

}  // namespace lodra
