#include "ui/runwindow.h"

#include <QAbstractButton>
#include <QCloseEvent>

namespace lodra {

RunWindow::RunWindow(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
}

void RunWindow::showInFront(QWidget* window) {
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
