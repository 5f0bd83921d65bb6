// tarvelo96-cli report date|category|categories|todo --pdf FILE: one of the four reports, read in its key
// order as the program reads it, with its pages drawn by the program's own painter into a PDF file. No
// display is needed: the pages are drawn on Qt's offscreen platform.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "cli/command.h"
#include "data/data_files.h"
#include "search/paint/page_painter.h"
#include "search/report_run.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/text_message_box.h"

namespace tarvelo::cli {
namespace {

int fail(const char* text) {
    std::fprintf(stderr, "tarvelo96-cli report: %s\n", text);
    return 2;
}

int runReport(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::string error;
    const auto answer = ui::takeAnswerOption(args, error);
    if (!error.empty()) return fail(error.c_str());

    static const std::map<std::string, search::ReportKind> kinds = {
        {"date", search::ReportKind::scheduleByDate},
        {"category", search::ReportKind::scheduleByCategory},
        {"categories", search::ReportKind::categoryList},
        {"todo", search::ReportKind::toDoList},
    };
    std::string which;
    std::string pdf;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--pdf") {
            if (i + 1 >= args.size()) return fail("--pdf needs a file name");
            pdf = args[++i];
        } else if (which.empty() && kinds.count(args[i])) {
            which = args[i];
        } else {
            return fail(("unexpected argument '" + args[i] + "'").c_str());
        }
    }
    if (which.empty()) return fail("say which report: date, category, categories or todo");
    if (pdf.empty()) return fail("--pdf FILE is required");
    const search::ReportKind kind = kinds.at(which);

    ui::TextMessageBox messages(stderr, answer);
    ui::ExitHalt halt;
    DataWarning warn(messages, halt);
    DataFiles files(warn);
    search::ReportRun run(kind, files, messages);
    if (!run.open()) {
        std::fprintf(stderr, "The %s table has nothing to report: no file written.\n", search::reportTableName(kind).c_str());
        return 1;
    }
    ui::runToEnd(run);
    const std::unique_ptr<search::ReportPages> pages = run.takePages();

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
    const QString title = QString::fromStdString(search::reportLayout(kind).title);
    if (!search::writePdf(*pages, QString::fromStdString(pdf), title)) {
        std::fprintf(stderr, "tarvelo96-cli report: cannot write %s\n", pdf.c_str());
        return 1;
    }
    const int count = pages->pageCount();
    std::printf("%d records, %d page%s written to %s\n", pages->bandCount(), count, count == 1 ? "" : "s", pdf.c_str());
    return 0;
}

const Registration kReport{"report",
                           "report date|category|categories|todo --pdf FILE   the schedule by date or by category, "
                           "the category list or the to-do list as a PDF file (an empty table writes nothing)",
                           &runReport};

}  // namespace
}  // namespace tarvelo::cli
