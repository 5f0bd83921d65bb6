#pragma once
// Draws report pages with QPainter: one drawing for the preview's page images, the printer and PDF files.
// Coordinates are the pages' own thousandths of an inch; the painter is scaled to the device's resolution,
// so a page looks the same at any size. Fonts are Arial, or the sans-serif face of the same metrics that
// the system puts in its place (Liberation Sans on Linux).
//
// Needs a QGuiApplication (fonts); no widgets.
#include <optional>

#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QString>

#include "reports/report_page.h"

class QPainter;
class QPagedPaintDevice;

namespace tarvelo::reports {

class ReportPages;

// The paper the layouts are made for: US Letter, 8.5 by 11 inches.
inline constexpr int kPageWidth = 8500;
inline constexpr int kPageHeight = 11000;

// The face and size of a report font: Arial, or the sans-serif face the system puts in its place, sized
// in thousandths of an inch (the page's own units).
QFont reportFont(const ReportFont& font);

// Draws page onto painter, whose coordinates are thousandths of an inch from the paper's corner.
void paintPage(QPainter& painter, const ReportPage& page);

// The page as an image, dotsPerInch pixels to the inch, on white paper.
QImage pageImage(const ReportPage& page, int dotsPerInch);

// Pages from..to (all when 0) onto a paged device (a printer or a PDF writer) whose page is the whole
// paper, one page each. False when the device cannot be painted on.
bool paintPages(QPagedPaintDevice& device, const ReportPages& pages, int from = 0, int to = 0);

// The paper of a PDF file: the layouts' own, US Letter without margins.
QPageLayout letterPage();

// Which pages go into a PDF file and on what paper.
struct PdfRun {
    QString title;
    int from = 0;  // 0: from the first page
    int to = 0;    // 0: to the last page
    QPageLayout paper = letterPage();
};

// The pages as a PDF file at path (links followed by the caller). They are written to a new file beside
// it, which replaces path only once every byte is on the disk: a write that fails (a full disk) or a
// process killed meanwhile leaves path as it was, and no half-written file behind. Returns why it
// failed, or nothing.
[[nodiscard]] std::optional<QString> writePdf(const ReportPages& pages, const QString& path, const PdfRun& run);

}  // namespace tarvelo::reports
