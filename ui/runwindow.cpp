#include "ui/runwindow.h"

#include <QAbstractButton>
#include <QCloseEvent>

#include "ui/windowlook.h"

namespace lodra {

RunWindow::RunWindow(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

void RunWindow::showInFront(QWidget* window, const QWidget* opener) {
    if (opener != nullptr) {
        WindowLook::placeClearOf(window, opener);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void RunWindow::hideWith(QAbstractButton* button) {
    connect(button, &QAbstractButton::clicked, this, &QWidget::hide);
}

void RunWindow::closeEvent(QCloseEvent* event) {
    emit closedThroughFrame();
    QWidget::closeEvent(event);
}

}  // namespace lodra
