// tarvelo96-cli report date|category|categories|todo --pdf FILE: one of the four reports, read in its key
// order as the program reads it, with its pages drawn by the program's own painter into a PDF file. No
// display is needed: the pages are drawn on Qt's offscreen platform. The file is refused before anything
// is read when it is one of the program's own files or not a regular file, and replaced only once the new
// one is whole.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QGuiApplication>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "reports/paint/page_painter.h"
#include "reports/report_run.h"
#include "reports/report_target.h"

namespace tarvelo::cli {
namespace {

const std::map<std::string, reports::ReportKind> kKinds = {
    {"date", reports::ReportKind::scheduleByDate},
    {"category", reports::ReportKind::scheduleByCategory},
    {"categories", reports::ReportKind::categoryList},
    {"todo", reports::ReportKind::toDoList},
};

struct ReportRequest {
    reports::ReportKind kind = reports::ReportKind::scheduleByDate;
    std::string pdf;
    std::optional<int> answer;
};

int cannotWrite(const std::string& pdf, const std::string& why) {
    std::fprintf(stderr, "tarvelo96-cli report: cannot write %s: %s\n", pdf.c_str(), why.c_str());
    return 1;
}

int runReport(const ReportRequest& request) {
    const reports::ReportKind kind = request.kind;
    const std::string& pdf = request.pdf;
    if (const auto problem = reports::reportTargetProblem(pdf, dataFolder())) return cannotWrite(pdf, *problem);
    DataFolder folder(request.answer);
    reports::ReportRun run(kind, folder.files, folder.messages);
    if (!run.open()) {
        std::fprintf(stderr, "%s: no file written.\n", reports::nothingToReport(kind).c_str());
        return 1;
    }
    platform::runToEnd(run);
    const std::unique_ptr<reports::ReportPages> pages = run.takePages();

    // Fonts need a GUI application; the offscreen platform needs no display. Qt's notes about the
    // desktop it is missing (no runtime folder, no display) are no news on a command line.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    static int argc = 1;
    static char name[] = "tarvelo96-cli";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    reports::PdfRun pdfRun;
    pdfRun.title = QString::fromStdString(reports::reportLayout(kind).title);
    const QString target = QString::fromStdString(followLinks(pdf));
    if (const auto failed = reports::writePdf(*pages, target, pdfRun)) {
        return cannotWrite(pdf, failed->toStdString() + "; it is left as it was");
    }
    const int count = pages->pageCount();
    std::printf("%d records, %d page%s written to %s\n", pages->bandCount(), count, count == 1 ? "" : "s", pdf.c_str());
    return 0;
}

void defineReport(Commands& commands) {
    auto request = std::make_shared<ReportRequest>();
    CLI::App& report = commands.add("report", "a report as a PDF file: the schedule, the categories, the to-do list",
                                    [request] { return runReport(*request); });
    report.footer("date and category: the schedule by date or by category. An empty table writes nothing and "
                  "exits 1. FILE may not be one of the program's own files (the data files, their -wal and -shm, "
                  "the INI files), nor anything but a regular file; an existing FILE is replaced only once the "
                  "new one is whole, and a failed write leaves it as it was (exit code 1).");
    addChoice(report, "REPORT", request->kind, kKinds, "which report")->required();
    report.add_option("--pdf", request->pdf, "the file to write")->required()->type_name("FILE");
    addAnswerOption(report, request->answer);
}

const Registration kReport{"report", &defineReport};

}  // namespace
}  // namespace tarvelo::cli
