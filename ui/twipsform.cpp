#include "ui/twipsform.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVariant>
#include <cmath>

namespace lodra {

namespace {

// The geometry a control had in its form, kept on the control itself.
constexpr char kDesigned[] = "lodraDesignedGeometry";

QRect designed(QWidget* widget) {
    const QVariant kept = widget->property(kDesigned);
    if (kept.isValid()) {
        return kept.toRect();
    }
    widget->setProperty(kDesigned, widget->geometry());
    return widget->geometry();
}

// Scales the edges, not the sizes, so that controls that meet in the form still meet.
QRect scaled(const QRect& form, double factor) {
    const auto at = [factor](int pixels) { return static_cast<int>(std::lround(pixels * factor)); };
    const int left = at(form.x());
    const int top = at(form.y());
    return {left, top, at(form.x() + form.width()) - left, at(form.y() + form.height()) - top};
}

// True for the form and its frames: the widgets whose children stand where the form put
// them. The inner parts of a list or a text box are laid out by the control itself.
bool isPlaced(const QWidget* parent, const QWidget* form) {
    return parent == form || qobject_cast<const QGroupBox*>(parent) != nullptr ||
           parent->metaObject() == &QFrame::staticMetaObject;
}

bool labelFits(const QLabel* label) {
    if (label->text().isEmpty()) {
        return true;
    }
    if (label->wordWrap()) {
        const QRect box = label->contentsRect();
        const QRect used = label->fontMetrics().boundingRect(
            box, Qt::TextWordWrap | label->alignment(), label->text());
        return used.width() <= box.width() && used.height() <= box.height();
    }
    const QSize hint = label->sizeHint();
    return hint.width() <= label->width() && hint.height() <= label->height();
}

bool buttonFits(const QAbstractButton* button) {
    if (qobject_cast<const QPushButton*>(button) != nullptr) {
        // Room for the button's bevel on all sides; the style's smallest button width is
        // not asked for, only room for the text.
        constexpr int kBevel = 8;
        const QFontMetrics metrics = button->fontMetrics();
        return metrics.horizontalAdvance(button->text()) + kBevel <= button->width() &&
               metrics.height() + kBevel <= button->height();
    }
    const QSize hint = button->sizeHint();
    return hint.width() <= button->width() && hint.height() <= button->height();
}

bool captionFits(const QGroupBox* frame) {
    if (frame->title().isEmpty()) {
        return true;
    }
    const QFontMetrics metrics = frame->fontMetrics();
    constexpr int kIndent = 16;  // the caption stands in from the frame's corners
    if (metrics.horizontalAdvance(frame->title()) + kIndent > frame->width()) {
        return false;
    }
    // The caption must not run into the controls inside the frame.
    for (const QWidget* inside : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (inside->y() < metrics.height()) {
            return false;
        }
    }
    return true;
}

bool fieldFits(const QLineEdit* field) {
    const int room = field->width() - field->minimumSizeHint().width() +
                     field->fontMetrics().horizontalAdvance(QLatin1Char('x'));
    return field->minimumSizeHint().height() <= field->height() &&
           field->fontMetrics().horizontalAdvance(field->text()) <= room;
}

template <typename T, typename Test>
bool all(const QWidget* form, Test fits) {
    for (const T* control : form->findChildren<T*>()) {
        if (!fits(control)) {
            return false;
        }
    }
    return true;
}

}  // namespace

void scaleForm(QWidget* form, double pixelsPerTwip) {
    const double factor = pixelsPerTwip * kTwipsPerFormPixel;
    const QSize size = scaled(designed(form), factor).size();
    form->setFixedSize(size);
    for (QWidget* control : form->findChildren<QWidget*>()) {
        if (isPlaced(control->parentWidget(), form)) {
            control->setGeometry(scaled(designed(control), factor));
        }
    }
}

bool textsFit(const QWidget* form) {
    return all<QLabel>(form, labelFits) && all<QAbstractButton>(form, buttonFits) &&
           all<QGroupBox>(form, captionFits) && all<QLineEdit>(form, fieldFits) &&
           all<QComboBox>(form, [](const QComboBox* list) {
               return list->minimumSizeHint().height() <= list->height();
           });
}

void setReportTabStops(QPlainTextEdit* box) {
    // Whole pixels, so that a measured line is laid out the same way in the box.
    box->setTabStopDistance(std::round(QFontMetricsF(box->font()).averageCharWidth() * 8));
}

bool textFitsBox(const BoxText& shown) {
    const QPlainTextEdit* box = shown.box;
    const QFontMetricsF metrics(box->font());
    const int tabStop = static_cast<int>(box->tabStopDistance());
    const double margin = box->document()->documentMargin();
    const QRect room = box->contentsRect();
    // One pixel for the text cursor at the end of the longest line.
    const double width = room.width() - 2 * margin - 1;
    const QStringList lines =
        QString(shown.text).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (metrics.size(Qt::TextExpandTabs | Qt::TextSingleLine, line, tabStop).width() > width) {
            return false;
        }
    }
    return lines.size() * metrics.lineSpacing() + 2 * margin <= room.height();
}

}  // namespace lodra
