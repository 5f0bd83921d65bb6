// The pictures of the task windows, drawn here rather than shipped as files.
#include "tasks/windows/task_pictures.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>

namespace tarvelo {
namespace {

// A 72 x 72 picture of a sheet of paper at `sheet`, with what `draw` paints over it.
QPixmap sheetPicture(const QRectF& sheet, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(72, 72);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 90), 2));
    p.setBrush(QColor(250, 248, 235));
    p.drawRoundedRect(sheet, 4, 4);
    draw(p);
    return pixmap;
}

}  // namespace

QPixmap taskPicture() {
    // A sheet of ticked tasks beside a clock face.
    return sheetPicture(QRectF(6, 4, 40, 54), [](QPainter& p) {
        p.setPen(QPen(QColor(40, 130, 60), 2.5));
        for (int row = 0; row < 3; ++row) {
            const qreal y = 16 + row * 14;
            QPainterPath tick;
            tick.moveTo(12, y);
            tick.lineTo(16, y + 4);
            tick.lineTo(22, y - 4);
            p.drawPath(tick);
            p.setPen(QPen(QColor(110, 110, 130), 2));
            p.drawLine(QPointF(26, y), QPointF(40, y));
            p.setPen(QPen(QColor(40, 130, 60), 2.5));
        }
        p.setPen(QPen(QColor(60, 60, 90), 2));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(QPointF(50, 50), 17, 17);
        p.setPen(QPen(QColor(170, 40, 40), 2.5));
        p.drawLine(QPointF(50, 50), QPointF(50, 39));
        p.drawLine(QPointF(50, 50), QPointF(58, 54));
    });
}

QPixmap wizardPicture() {
    // A wand drawing a star over a sheet of tasks.
    return sheetPicture(QRectF(4, 14, 40, 52), [](QPainter& p) {
        p.setPen(QPen(QColor(110, 110, 130), 2));
        for (int row = 0; row < 4; ++row) p.drawLine(QPointF(11, 26 + row * 10), QPointF(37, 26 + row * 10));
        p.setPen(QPen(QColor(90, 50, 20), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(34, 60), QPointF(56, 24));
        QPainterPath star;
        const QPointF c(58, 16);
        for (int i = 0; i < 10; ++i) {
            const double r = (i % 2 == 0) ? 12 : 5;
            const double a = -M_PI / 2 + i * M_PI / 5;
            const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
            if (i == 0) star.moveTo(pt);
            else star.lineTo(pt);
        }
        star.closeSubpath();
        p.setPen(QPen(QColor(170, 120, 0), 1.5));
        p.setBrush(QColor(255, 210, 40));
        p.drawPath(star);
    });
}

}  // namespace tarvelo
