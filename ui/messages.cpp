#include "ui/messages.h"

#include "base/utf8.h"

namespace lodra {

void showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    // A control character or a direction override from a file name or a stand file shows
    // as an escape, as in the batch tool's messages.
    const QString shown = QString::fromStdString(visibleLines(text.toStdString()));
    QMessageBox box(icon, kProgramTitle, shown, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("lodraMessage"));
    box.exec();
}

}  // namespace lodra
