#pragma once

// The behaviour the run's windows besides the parameters window share: "Stäng" hides the
// window and keeps what it shows, while closing it through its frame destroys it, and the
// run makes it afresh, with its initial entries, on its next use.

#include <QWidget>

class QAbstractButton;

namespace lodra {

class RunWindow : public QWidget {
    Q_OBJECT

  public:
    explicit RunWindow(QWidget* parent = nullptr);

    // Shows a window in front of the others, ready for input; one that a button opens
    // never over the button (WindowLook::placeClearOf).
    static void showInFront(QWidget* window, const QWidget* opener = nullptr);

  signals:
    // The window was closed through its frame and is about to be destroyed.
    void closedThroughFrame();

  protected:
    // The button that hides the window.
    void hideWith(QAbstractButton* button);
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace lodra
