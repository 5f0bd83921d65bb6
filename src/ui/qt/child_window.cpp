#include "ui/qt/child_window.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace tarvelo::ui {

QMdiSubWindow* showStartedWindow(QWidget* window, QWidget* host) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (auto* area = qobject_cast<QMdiArea*>(host)) return openChildWindow(*area, window);
    window->show();
    window->raise();
    return nullptr;
}

QMdiSubWindow* openChildWindow(QMdiArea& area, QWidget* window) {
    const QSize designed = window->size();
    QMdiSubWindow* sub = area.addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(window->windowIcon());
    // The frame around the window: its margins are known once the sub-window is polished.
    sub->ensurePolished();
    const QMargins m = sub->contentsMargins();
    sub->resize(designed + QSize(m.left() + m.right(), m.top() + m.bottom()));
    QObject::connect(window, &QObject::destroyed, sub, &QWidget::close);
    if (auto* dialog = qobject_cast<QDialog*>(window)) QObject::connect(dialog, &QDialog::finished, sub, &QWidget::close);
    QObject::connect(window, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
    sub->show();
    area.setActiveSubWindow(sub);
    return sub;
}

QWidget& positionedWidget(QWidget& window) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window.parentWidget())) return *sub;
    return window;
}

}  // namespace tarvelo::ui
