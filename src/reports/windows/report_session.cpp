#include "reports/windows/report_session.h"

#include <algorithm>
#include <memory>

#include <QMdiArea>
#include <QPrintDialog>
#include <QPrinter>

#include "data/data_files.h"
#include "reports/paint/page_painter.h"
#include "reports/report_run.h"
#include "reports/report_target.h"
#include "reports/windows/report_preview_window.h"
#include "platform/ports.h"
#include "widgets/progress_window.h"

namespace tarvelo::reports {

namespace {

// Lives from the menu entry to the end of the preview; owned by the document area, so it goes with the
// frame at the latest.
class ReportSession : public QObject {
public:
    ReportSession(ReportKind kind, const ReportServices& services)
        : QObject(services.area), m_services(services), m_run(std::make_unique<ReportRun>(kind, services.files, services.messages)) {}

    void start() {
        if (!m_run->open()) {
            // Nothing to print: no preview, no pages; an empty table says so (a failed read has said why).
            if (m_run->foundNothing()) {
                m_services.messages.show(
                    {reports::nothingToReport(m_run->kind()) + ".", "", platform::Icon::Exclamation, platform::kOk, platform::kOk});
            }
            deleteLater();
            return;
        }
        auto* progress = new widgets::ProgressWindow(*m_run, QStringLiteral("Generating Report"), m_services.area->window());
        progress->setAttribute(Qt::WA_DeleteOnClose);
        connect(progress, &widgets::ProgressWindow::ended, this, [this] { generated(); });
        progress->start();
    }

private:
    void generated() {
        if (m_run->response() != kCompleted) {
            deleteLater();
            return;
        }
        m_pages = m_run->takePages();
        // The table is let go as soon as its pages are made.
        m_run.reset();
        ReportPreviewWindow* preview = ReportPreviewWindow::open(m_pages, m_services.area);
        connect(preview, &ReportPreviewWindow::closed, this, [this](bool print) {
            if (print) {
                if (m_services.print) {
                    m_services.print(*m_pages);
                } else {
                    printWithDialog(*m_pages, m_services.printer(), m_services);
                }
            }
            deleteLater();
        });
    }

    const ReportServices& m_services;
    std::unique_ptr<ReportRun> m_run;
    std::shared_ptr<const ReportPages> m_pages;
};

}  // namespace

void startReport(ReportKind kind, const ReportServices& services) { (new ReportSession(kind, services))->start(); }

bool printWithDialog(const ReportPages& pages, QPrinter& printer, const ReportServices& services) {
    QPrintDialog dialog(&printer, services.area->window());
    dialog.setWindowTitle(QStringLiteral("Print"));
    dialog.setMinMax(1, pages.pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted) return false;
    int from = 1;
    int to = pages.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = std::max(1, printer.fromPage());
        to = std::min(to, printer.toPage());
    }
    return printPages(pages, printer, from, to, services);
}

bool printPages(const ReportPages& pages, QPrinter& printer, int from, int to, const ReportServices& services) {
    printer.setFullPage(true);
    const QString file = printer.outputFileName();
    if (printer.outputFormat() != QPrinter::PdfFormat || file.isEmpty()) return paintPages(printer, pages, from, to);

    const std::string path = file.toStdString();
    std::optional<std::string> problem = reportTargetProblem(path, services.files.folder());
    if (!problem) {
        PdfRun run{QString::fromStdString(reportLayout(pages.kind()).title), from, to, printer.pageLayout()};
        run.paper.setMargins(QMarginsF(0, 0, 0, 0));
        if (const auto failed = writePdf(pages, QString::fromStdString(followLinks(path)), run)) {
            problem = failed->toStdString() + "; it is left as it was";
        }
    }
    if (!problem) return true;
    services.messages.show({"The report could not be written to " + path + ": " + *problem + ".", "Print to File",
                            platform::Icon::Exclamation, platform::kOk, platform::kOk});
    return false;
}

}  // namespace tarvelo::reports
