#include "reports/paint/page_painter.h"

#include <algorithm>

#include <QSaveFile>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include "reports/report_pages.h"

namespace tarvelo::reports {

namespace {

constexpr double kThousandthsPerPoint = 1000.0 / 72.0;
constexpr int kCheckSize = 115;  // the check box's side
constexpr int kCheckGap = 50;    // between the box and its label

Qt::Alignment alignment(PageItem::Align align) {
    switch (align) {
    case PageItem::Align::center: return Qt::AlignHCenter;
    case PageItem::Align::right: return Qt::AlignRight;
    case PageItem::Align::left: break;
    }
    return Qt::AlignLeft;
}

void paintText(QPainter& painter, const PageItem& item) {
    if (item.text.empty()) return;
    painter.setFont(reportFont(item.font));
    const QString text = QString::fromStdString(item.text);
    if (item.width <= 0) {
        // A label without a width runs as far as its text.
        painter.drawText(QRect(item.x, item.y, kPageWidth, item.height), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
        return;
    }
    QRect field(item.x, item.y, item.width, item.height);
    if (item.multiLine) {
        // Whole lines only: a line the box would cut in half is left out.
        const int spacing = std::max(1, QFontMetrics(painter.font(), painter.device()).lineSpacing());
        field.setHeight(std::max(1, item.height / spacing) * spacing);
    }
    // A field shows what fits in its box and no more.
    painter.save();
    painter.setClipRect(field, Qt::IntersectClip);
    const int flags = alignment(item.align) | Qt::AlignTop | (item.multiLine ? Qt::TextWordWrap : Qt::TextSingleLine);
    painter.drawText(field, flags, text);
    painter.restore();
}

void paintCheck(QPainter& painter, const PageItem& item) {
    const int top = item.y + (item.height - kCheckSize) / 2;
    const QRect box(item.x, top, kCheckSize, kCheckSize);
    painter.save();
    painter.setPen(QPen(Qt::black, 8));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    if (item.checked) {
        QPainterPath tick;
        tick.moveTo(box.left() + 22, box.top() + 58);
        tick.lineTo(box.left() + 48, box.bottom() - 22);
        tick.lineTo(box.right() - 18, box.top() + 20);
        painter.setPen(QPen(Qt::black, 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }
    painter.restore();
    PageItem label = item;
    label.x = item.x + kCheckSize + kCheckGap;
    label.width = 0;
    paintText(painter, label);
}

}  // namespace

QFont reportFont(const ReportFont& f) {
    QFont font(QStringLiteral("Arial"));
    // Where Arial is missing, the face the system substitutes for it has its metrics; failing that, any
    // sans-serif face.
    font.setStyleHint(QFont::SansSerif);
    // Sizes in the page's own units, so the text scales with the painter.
    font.setPixelSize(static_cast<int>(f.points * kThousandthsPerPoint + 0.5));
    font.setBold(f.bold);
    return font;
}

void paintPage(QPainter& painter, const ReportPage& page) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QPen(Qt::black, 10));
    for (const PageItem& item : page.items) {
        switch (item.kind) {
        case PageItem::Kind::box:
            painter.fillRect(QRect(item.x, item.y, item.width, item.height), QColor::fromRgb(item.fill));
            break;
        case PageItem::Kind::line:
            painter.drawLine(item.x, item.y, item.x + item.width, item.y);
            break;
        case PageItem::Kind::check:
            paintCheck(painter, item);
            break;
        case PageItem::Kind::text:
            paintText(painter, item);
            break;
        }
    }
    painter.restore();
}

QImage pageImage(const ReportPage& page, int dotsPerInch) {
    const int width = kPageWidth * dotsPerInch / 1000;
    const int height = kPageHeight * dotsPerInch / 1000;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMetre = static_cast<int>(dotsPerInch / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QPainter painter(&image);
    painter.scale(dotsPerInch / 1000.0, dotsPerInch / 1000.0);
    paintPage(painter, page);
    return image;
}

bool paintPages(QPagedPaintDevice& device, const ReportPages& pages, int from, int to) {
    if (from <= 0) from = 1;
    if (to <= 0 || to > pages.pageCount()) to = pages.pageCount();
    QPainter painter;
    if (!painter.begin(&device)) return false;
    // The device's resolution may differ along its axes (printers); thousandths of an inch either way.
    painter.scale(device.logicalDpiX() / 1000.0, device.logicalDpiY() / 1000.0);
    for (int n = from; n <= to; ++n) {
        if (n > from && !device.newPage()) return false;
        paintPage(painter, pages.page(n));
    }
    return painter.end();
}

QPageLayout letterPage() {
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

std::optional<QString> writePdf(const ReportPages& pages, const QString& path, const PdfRun& run) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    bool painted = false;
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(run.title);
        pdf.setCreator(QStringLiteral("Tarvelo '96"));
        pdf.setResolution(1000);
        pdf.setPageLayout(run.paper);
        painted = paintPages(pdf, pages, run.from, run.to);
    }
    if (!painted) {
        file.cancelWriting();
        return QStringLiteral("the pages could not be drawn");
    }
    // The file's every write and its close are checked here: a write that failed half-way leaves the
    // error behind, and nothing replaces the old file.
    if (!file.commit()) return file.errorString();
    return std::nullopt;
}

}  // namespace tarvelo::reports
