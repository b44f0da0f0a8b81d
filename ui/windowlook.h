#pragma once

// The look every window of the program shares: the desktop's own font, never made
// smaller, and one twips-to-pixels factor for all windows, the smallest at which every
// text of every window fits. A window built through setUp() follows both, scrolls when it
// is larger than its screen, and lets Enter press a focused button.

#include <QFont>
#include <QMenuBar>
#include <QWidget>
#include <vector>

#include "ui/twipsform.h"

namespace lodra {

class WindowLook {
  public:
    // The pixels per twip at which a form is as designed (96 dpi).
    static constexpr double kDesignedPixelsPerTwip = 1.0 / kTwipsPerFormPixel;
    // The factor is tried in steps of this many px per twip, from the designed one up.
    static constexpr double kStep = kDesignedPixelsPerTwip / 64;
    static constexpr double kLargest = 4 * kDesignedPixelsPerTwip;

    WindowLook(const QFont& font, double pixelsPerTwip)  // px per twip
        : font_(font), pixelsPerTwip_(pixelsPerTwip) {}

    // The smallest factor, from the designed one up in steps of kStep, at which every text
    // of the forms fits at font and every box text shows whole and unwrapped. The forms
    // are built but not shown; they take the font here.
    static WindowLook fitting(const QFont& font, const std::vector<QWidget*>& forms,
                              const std::vector<BoxText>& boxTexts);

    const QFont& font() const { return font_; }
    double pixelsPerTwip() const { return pixelsPerTwip_; }  // px per twip

    // Builds a Designer form (drawn at 15 twips a pixel) into the window: the form's
    // controls go into a content widget at the look's font and factor, inside a scroll
    // area that fills the window, and Enter presses its push buttons. The window takes the
    // form's title and object name. Returns the content widget.
    template <typename Form>
    QWidget* setUp(Form& ui, QWidget* window) const {
        QWidget* content = prepare(window);
        ui.setupUi(content);
        finish(window, content);
        return content;
    }

    // Builds a form that its own layouts arrange into the window at the look's font: the
    // form follows the window's size and scrolls in a window smaller than the form's
    // smallest size, and Enter presses its push buttons. The window takes the form's title
    // and object name, and its designed size at the look's factor, or the available area
    // of its screen where that is smaller. Returns the content widget.
    template <typename Form>
    QWidget* setUpLaidOut(Form& ui, QWidget* window) const {
        QWidget* content = prepare(window);
        ui.setupUi(content);
        finishLaidOut(window, content);
        return content;
    }

    // Sizes the window to its content and its menu bar, or to the available area of its
    // screen where that is larger; the content then scrolls. setUp() calls it; call it again
    // for a window that moved to another screen.
    static void fitToScreen(QWidget* window);

    // Gives a window built through setUp() a menu bar above its content: the controls keep
    // their places within the content. Fill it, then fitToScreen() grows the window by the
    // bar's height.
    static QMenuBar* addMenuBar(QWidget* window);

    // Scrolls the window's content so that the control is in view.
    static void bringIntoView(QWidget* control);

    // Places a window that a button opens where it leaves the button in view: one not yet
    // placed so, or one whose frame now covers the button. A window kept where it was put
    // and clear of the button stays there.
    static void placeClearOf(QWidget* window, const QWidget* button);
    // Where a window's frame of that size goes when it must not cover the button: fully
    // inside room beside the opener's frame (right, left, below or above it), else beside
    // the button, else moved into room where it leaves the button clear; when no place in
    // room of its size is clear, made smaller, beside the button where it keeps the most.
    static QRect clearOf(const QSize& size, const QRect& button, const QRect& opener,
                         const QRect& room);

  private:
    QWidget* prepare(QWidget* window) const;
    void finish(QWidget* window, QWidget* content) const;
    void finishLaidOut(QWidget* window, QWidget* content) const;

    QFont font_;
    double pixelsPerTwip_;  // px per twip
};

}  // namespace lodra
