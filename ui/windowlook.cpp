#include "ui/windowlook.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace lodra {

namespace {

constexpr char kScrollName[] = "lodraScroll";

// The window frame's share of the screen (px) before the window system has drawn one: a
// title bar and thin borders.
constexpr QSize kFrameAllowance(8, 40);

// Enter or Return on a focused push button presses it, as Space does. Nothing else reacts
// to Enter: the buttons are never default buttons.
class EnterPressesButton : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button == nullptr || key->isAutoRepeat() || key->modifiers() & ~Qt::KeypadModifier ||
            (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)) {
            return false;
        }
        button->click();
        return true;
    }
};

QSize frameOf(const QWidget* window) {
    const QSize drawn = window->frameGeometry().size() - window->geometry().size();
    return drawn.isEmpty() ? kFrameAllowance : drawn;
}

}  // namespace

WindowLook WindowLook::fitting(const QFont& font, const std::vector<QWidget*>& forms,
                               const std::vector<BoxText>& boxTexts) {
    for (QWidget* form : forms) {
        form->setFont(font);
    }
    const auto fits = [&] {
        for (const QWidget* form : forms) {
            if (!textsFit(form)) {
                return false;
            }
        }
        for (const BoxText& shown : boxTexts) {
            if (!textFitsBox(shown)) {
                return false;
            }
        }
        return true;
    };
    for (int step = 0;; ++step) {
        const double factor = kDesignedPixelsPerTwip + step * kStep;
        for (QWidget* form : forms) {
            scaleForm(form, factor);
        }
        if (factor >= kLargest || fits()) {
            return {font, factor};
        }
    }
}

QWidget* WindowLook::prepare(QWidget* window) const {
    window->setFont(font_);
    auto* area = new QScrollArea(window);
    area->setObjectName(QString::fromLatin1(kScrollName));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);  // the focus order is the form's alone
    area->setWidgetResizable(false);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    auto* content = new QWidget;
    area->setWidget(content);
    return content;
}

namespace {

// The window takes the form's title and name, and Enter presses the form's buttons.
void adopt(QWidget* window, QWidget* content) {
    window->setWindowTitle(content->windowTitle());
    window->setObjectName(content->objectName());
    content->setObjectName(QStringLiteral("lodraContent"));
    auto* enter = new EnterPressesButton(window);
    for (QPushButton* button : content->findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(enter);
    }
}

}  // namespace

void WindowLook::finish(QWidget* window, QWidget* content) const {
    adopt(window, content);
    scaleForm(content, pixelsPerTwip_);
    fitToScreen(window);
}

void WindowLook::finishLaidOut(QWidget* window, QWidget* content) const {
    adopt(window, content);
    const double factor = pixelsPerTwip_ * kTwipsPerFormPixel;
    const QSize designed = (QSizeF(content->size()) * factor).toSize();
    // From here on the content takes the size of the area.
    window->findChild<QScrollArea*>(QString::fromLatin1(kScrollName), Qt::FindDirectChildrenOnly)
        ->setWidgetResizable(true);
    const QSize room = window->screen()->availableGeometry().size() - frameOf(window);
    window->resize(designed.expandedTo(content->minimumSizeHint()).boundedTo(room));
}

void WindowLook::fitToScreen(QWidget* window) {
    auto* area = window->findChild<QScrollArea*>(QString::fromLatin1(kScrollName),
                                                 Qt::FindDirectChildrenOnly);
    const QSize content = area->widget()->size();
    // A menu bar sits above the scroll area, outside the content.
    const QWidget* menu = window->layout()->menuBar();
    const QSize menuRow(0, menu != nullptr ? menu->sizeHint().height() : 0);
    const QSize room = window->screen()->availableGeometry().size() - frameOf(window) - menuRow;
    // A scroll bar across one side takes room from the other.
    const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    bool tall = content.height() > room.height();
    const bool wide = content.width() + (tall ? bar : 0) > room.width();
    tall = tall || content.height() + (wide ? bar : 0) > room.height();
    const QSize whole = content + QSize(tall ? bar : 0, wide ? bar : 0);
    window->setMaximumSize(whole + menuRow);
    window->resize(whole.boundedTo(room) + menuRow);
}

QMenuBar* WindowLook::addMenuBar(QWidget* window) {
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("lodraMenuBar"));
    window->layout()->setMenuBar(bar);
    return bar;
}

void WindowLook::bringIntoView(QWidget* control) {
    for (QWidget* up = control->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(up)) {
            area->ensureWidgetVisible(control);
            return;
        }
    }
}

namespace {

// The window's frame made smaller, to fit beside the button in the part of room that
// leaves the most of it: left, right, above or below the button.
QRect shrunkBeside(const QSize& size, const QRect& button, const QRect& room) {
    const QRect parts[] = {
        QRect(room.topLeft(), QPoint(button.left() - 1, room.bottom())),
        QRect(QPoint(button.right() + 1, room.top()), room.bottomRight()),
        QRect(room.topLeft(), QPoint(room.right(), button.top() - 1)),
        QRect(QPoint(room.left(), button.bottom() + 1), room.bottomRight()),
    };
    QRect best;
    for (const QRect& part : parts) {
        const QSize fitted = size.boundedTo(part.size().expandedTo(QSize(0, 0)));
        if (fitted.width() * fitted.height() <= best.width() * best.height()) {
            continue;
        }
        // Against the button, and level with it where the part allows.
        const int x = &part == &parts[0]
                          ? part.right() + 1 - fitted.width()
                          : std::clamp(button.left(), part.left(),
                                       std::max(part.left(), part.right() + 1 - fitted.width()));
        const int y = &part == &parts[2]
                          ? part.bottom() + 1 - fitted.height()
                          : std::clamp(button.top(), part.top(),
                                       std::max(part.top(), part.bottom() + 1 - fitted.height()));
        best = QRect(QPoint(x, y), fitted);
    }
    return best;
}

}  // namespace

QRect WindowLook::clearOf(const QSize& size, const QRect& button, const QRect& opener,
                          const QRect& room) {
    const QPoint candidates[] = {
        {opener.right() + 1, opener.top()},   {opener.left() - size.width(), opener.top()},
        {opener.left(), opener.bottom() + 1}, {opener.left(), opener.top() - size.height()},
        {button.right() + 1, button.top()},   {button.left() - size.width(), button.top()},
        {button.left(), button.bottom() + 1}, {button.left(), button.top() - size.height()},
    };
    const auto intoRoom = [&](QPoint at) {
        return QRect(QPoint(std::clamp(at.x(), room.left(),
                                       std::max(room.left(), room.right() + 1 - size.width())),
                            std::clamp(at.y(), room.top(),
                                       std::max(room.top(), room.bottom() + 1 - size.height()))),
                     size);
    };
    for (const QPoint at : candidates) {
        if (room.contains(QRect(at, size)) && !QRect(at, size).intersects(button)) {
            return QRect(at, size);
        }
    }
    for (const QPoint at : candidates) {
        if (room.contains(intoRoom(at)) && !intoRoom(at).intersects(button)) {
            return intoRoom(at);
        }
    }
    return shrunkBeside(size, button, room);
}

void WindowLook::placeClearOf(QWidget* window, const QWidget* button) {
    const char* placed = "lodraPlacedClear";
    const QRect buttonArea(button->mapToGlobal(QPoint(0, 0)), button->size());
    const QSize frame = frameOf(window);
    if (window->property(placed).toBool() &&
        !QRect(window->pos(), window->size() + frame).intersects(buttonArea)) {
        return;
    }
    const QWidget* opener = button->window();
    const QRect area = clearOf(window->size() + frame, buttonArea, opener->frameGeometry(),
                               opener->screen()->availableGeometry());
    // A window made smaller than its content scrolls.
    window->resize(area.size() - frame);
    window->move(area.topLeft());
    window->setProperty(placed, true);
}

}  // namespace lodra
