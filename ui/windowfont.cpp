#include "ui/windowfont.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <optional>

namespace lodra {

namespace {

std::optional<QFont>& chosenFont() {
    static std::optional<QFont> font;
    return font;
}

bool labelFits(const QLabel* label) {
    if (label->text().isEmpty()) {
        return true;
    }
    const QRect box = label->contentsRect();
    if (label->wordWrap()) {
        const QRect used = label->fontMetrics().boundingRect(
            box, Qt::TextWordWrap | label->alignment(), label->text());
        return used.width() <= box.width() && used.height() <= box.height();
    }
    const QSize hint = label->sizeHint();
    return hint.width() <= label->width() && hint.height() <= label->height();
}

bool buttonFits(const QAbstractButton* button) {
    if (button->text().isEmpty()) {
        return true;
    }
    const QFontMetrics metrics = button->fontMetrics();
    if (qobject_cast<const QPushButton*>(button) != nullptr) {
        // Room for the button's bevel on both sides.
        constexpr int kBevel = 8;
        return metrics.horizontalAdvance(button->text()) + kBevel <= button->width() &&
               metrics.height() + kBevel <= button->height();
    }
    const QSize hint = button->sizeHint();
    return hint.width() <= button->width() && hint.height() <= button->height();
}

}  // namespace

bool textsFit(const QWidget* window) {
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!labelFits(label)) {
            return false;
        }
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!buttonFits(button)) {
            return false;
        }
    }
    return true;
}

void fitFontToLayout(QWidget* window) {
    QFont font = QApplication::font();
    double size = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
    for (;; size -= 0.5) {
        font.setPointSizeF(std::max(size, kSmallestPointSize));
        window->setFont(font);
        if (size <= kSmallestPointSize || textsFit(window)) {
            return;
        }
    }
}

QFont windowFont() {
    return chosenFont().value_or(QApplication::font());
}

void setWindowFont(const QFont& font) {
    chosenFont() = font;
}

}  // namespace lodra
