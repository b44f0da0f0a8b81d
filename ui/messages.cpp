#include "ui/messages.h"

#include <QPushButton>
#include <QTextDocument>
#include <algorithm>
#include <vector>

#include "base/utf8.h"

namespace lodra {

namespace {

// A control character or a direction override from a file name or a stand file shows as
// an escape, as in the batch tool's messages; markup shows as written.
void prepare(QMessageBox& box, const QString& text) {
    box.setObjectName(QStringLiteral("lodraMessage"));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(visibleLines(text.toStdString())));
}

}  // namespace

void showMessage(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, kProgramTitle, QString(), QMessageBox::Ok, parent);
    prepare(box, text);
    box.exec();
}

int askQuestion(QWidget* parent, const QString& text, const QStringList& answers) {
    QMessageBox box(QMessageBox::Question, kProgramTitle, QString(), QMessageBox::NoButton, parent);
    prepare(box, text);
    std::vector<QPushButton*> buttons;
    for (const QString& answer : answers) {
        buttons.push_back(box.addButton(answer, answer == answers.constLast()
                                                    ? QMessageBox::RejectRole
                                                    : QMessageBox::AcceptRole));
    }
    box.setDefaultButton(buttons.back());
    box.setEscapeButton(buttons.back());
    box.exec();
    const auto pressed = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return pressed == buttons.end() ? static_cast<int>(buttons.size()) - 1
                                    : static_cast<int>(pressed - buttons.begin());
}

QString plainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text)) {
        return text;
    }
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

}  // namespace lodra
