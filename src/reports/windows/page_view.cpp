#include "reports/windows/page_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "reports/paint/page_painter.h"

namespace tarvelo::reports {

PageView::PageView(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(60, 78);
}

void PageView::setPage(ReportPage page) {
    m_page = std::move(page);
    update();
}

QSize PageView::sizeHint() const { return {340, 440}; }

QRect PageView::paperRect() const {
    const QRect area = contentsRect().adjusted(4, 4, -4, -4);
    // The largest rectangle of the paper's shape that fits, centred.
    int width = area.width();
    int height = width * kPageHeight / kPageWidth;
    if (height > area.height()) {
        height = area.height();
        width = height * kPageWidth / kPageHeight;
    }
    return {area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2, width, height};
}

void PageView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(contentsRect(), palette().color(QPalette::Mid));
    const QRect paper = paperRect();
    painter.fillRect(paper.translated(2, 2), Qt::darkGray);
    painter.fillRect(paper, Qt::white);
    painter.setClipRect(paper);
    painter.translate(paper.topLeft());
    painter.scale(static_cast<double>(paper.width()) / kPageWidth, static_cast<double>(paper.height()) / kPageHeight);
    paintPage(painter, m_page);
}

void PageView::mouseReleaseEvent(QMouseEvent* event) {
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && paperRect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace tarvelo::reports
