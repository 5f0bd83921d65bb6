#include "widgets/child_window.h"

#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace tarvelo::widgets {

QMdiSubWindow* showStartedWindow(QWidget* window, QWidget* host) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (auto* area = qobject_cast<QMdiArea*>(host)) return openChildWindow(*area, window);
    window->show();
    window->raise();
    return nullptr;
}

QMdiSubWindow* openChildWindow(QMdiArea& area, QWidget* window) {
    // A window never resized has the small default size of a child widget: it gets the size its layout
    // asks for instead.
    const QSize designed = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
    // The sub-window gets its full size before the area places it: placed at a smaller size and grown
    // afterwards, it would reach past the document area's edge and give the area scroll bars.
    auto* sub = new QMdiSubWindow(area.viewport());
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWidget(window);
    sub->setWindowIcon(window->windowIcon());
    // The frame around the window: its margins are known once the sub-window is polished.
    sub->ensurePolished();
    const QMargins m = sub->contentsMargins();
    QSize size = designed + QSize(m.left() + m.right(), m.top() + m.bottom());
    const QSize room = area.viewport()->size();
    if (area.isVisible() && !room.isEmpty()) size = size.boundedTo(room).expandedTo(sub->minimumSizeHint());
    sub->resize(size);
    area.addSubWindow(sub);
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

}  // namespace tarvelo::widgets
