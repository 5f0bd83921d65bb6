// tarvelo96-pdf: the PDF writer of `tarvelo96-cli report`, a program of its own so that only a report
// loads Qt GUI (the painter, fonts, the offscreen platform and what they bring); the scheduler and every
// other command stay without it. tarvelo96-cli checks the command line and the target and then runs this
// in its own place (exec), so the report's output, messages and exit code are the command's:
//
//   tarvelo96-pdf --report=date|category|categories|todo --pdf=FILE --data-folder=DIR [--answer=BUTTON]
//
// It reads the report in its key order as the program reads it and draws its pages with the program's
// own painter; the file is replaced only once the new one is whole.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QGuiApplication>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "platform/terminal/exit_halt.h"
#include "platform/terminal/text_message_box.h"
#include "reports/paint/page_painter.h"
#include "reports/report_run.h"
#include "reports/report_target.h"
#include "store/store.h"

namespace {

using namespace tarvelo;

struct Request {
    reports::ReportKind kind = reports::ReportKind::scheduleByDate;
    std::string pdf;
    std::string dataFolder;
    std::optional<int> answer;
};

std::optional<Request> parse(int argc, char** argv) {
    Request request;
    bool kind = false, pdf = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals), value = equals == std::string::npos ? "" : word.substr(equals + 1);
        if (equals == std::string::npos) return std::nullopt;
        if (name == "--report") {
            const auto known = reports::reportKindWords().find(value);
            if (known == reports::reportKindWords().end()) return std::nullopt;
            request.kind = known->second;
            kind = true;
        } else if (name == "--pdf") {
            request.pdf = value;
            pdf = true;
        } else if (name == "--data-folder") {
            request.dataFolder = value;
        } else if (name == "--answer") {
            request.answer = std::atoi(value.c_str());
        } else {
            return std::nullopt;
        }
    }
    if (!kind || !pdf) return std::nullopt;
    return request;
}

int cannotWrite(const std::string& pdf, const std::string& why) {
    std::fprintf(stderr, "tarvelo96-cli report: cannot write %s: %s\n", pdf.c_str(), why.c_str());
    return 1;
}

int writeReport(const Request& request) {
    const std::string& pdf = request.pdf;
    platform::TextMessageBox messages(stderr, request.answer);
    platform::ExitHalt halt;
    DataWarning warn(messages, halt);
    DataFiles files(warn, request.dataFolder);
    reports::ReportRun run(request.kind, files, messages);
    if (!run.open()) {
        std::fprintf(stderr, "%s: no file written.\n", reports::nothingToReport(request.kind).c_str());
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
    pdfRun.title = QString::fromStdString(reports::reportLayout(request.kind).title);
    const QString target = QString::fromStdString(followLinks(pdf));
    if (const auto failed = reports::writePdf(*pages, target, pdfRun)) {
        return cannotWrite(pdf, failed->toStdString() + "; it is left as it was");
    }
    const int count = pages->pageCount();
    std::printf("%d records, %d page%s written to %s\n", pages->bandCount(), count, count == 1 ? "" : "s", pdf.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Request> request = parse(argc, argv);
    if (!request) {
        std::fprintf(stderr, "tarvelo96-pdf: started by tarvelo96-cli report, with a command line it did not write\n");
        return 2;
    }
    // As tarvelo96-cli says it: the command is waiting, not stuck.
    store::setLockWaitObserver([told = std::string()](const store::LockWaitNotice& wait) mutable {
        if (wait.file == told) return;
        told = wait.file;
        std::fprintf(stderr, "tarvelo96-cli: %s\n", lockWaitText(wait).c_str());
    });
    return writeReport(*request);
}
