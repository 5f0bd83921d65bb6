// tarvelo96-cli report date|category|categories|todo --pdf FILE: one of the four reports as a PDF file.
// The file is refused here, before anything is read, when it is one of the program's own files or not a
// regular file; then the PDF writer (tarvelo96-pdf, the one helper that loads Qt GUI) runs in this
// process's place and does the rest, so its output, messages and exit code are the command's.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "platform/helper_program.h"
#include "reports/report_target.h"

namespace tarvelo::cli {
namespace {

struct ReportRequest {
    std::string kind;
    std::string pdf;
    std::optional<int> answer;
};

int cannotWrite(const std::string& pdf, const std::string& why) {
    std::fprintf(stderr, "tarvelo96-cli report: cannot write %s: %s\n", pdf.c_str(), why.c_str());
    return 1;
}

int runReport(const ReportRequest& request) {
    const std::string& pdf = request.pdf;
    if (const auto problem = reports::reportTargetProblem(pdf, dataFolder())) return cannotWrite(pdf, *problem);
    const std::string writer = platform::helperProgram(platform::kPdfWriterName);
    std::vector<std::string> words{writer, "--report=" + request.kind, "--pdf=" + pdf, "--data-folder=" + dataFolder()};
    if (request.answer) words.push_back("--answer=" + std::to_string(*request.answer));
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(writer.c_str(), argv.data());
    return cannotWrite(pdf, "its writer " + writer + " cannot be started: " + std::strerror(errno));
}

void defineReport(Commands& commands) {
    auto request = std::make_shared<ReportRequest>();
    CLI::App& report = commands.add("report", "a report as a PDF file: the schedule, the categories, the to-do list",
                                    [request] { return runReport(*request); });
    report.footer("date and category: the schedule by date or by category. An empty table writes nothing and "
                  "exits 1. FILE may not be one of the program's own files (the data files, their -wal and -shm, "
                  "the INI files), nor anything but a regular file; an existing FILE is replaced only once the "
                  "new one is whole, and a failed write leaves it as it was (exit code 1).");
    static const auto kinds = [] {
        std::map<std::string, std::string> words;
        for (const auto& [word, kind] : reports::reportKindWords()) words[word] = word;
        return words;
    }();
    addChoice(report, "REPORT", request->kind, kinds, "which report")->required();
    report.add_option("--pdf", request->pdf, "the file to write")->required()->type_name("FILE");
    addAnswerOption(report, request->answer);
}

const Registration kReport{"report", &defineReport};

}  // namespace
}  // namespace tarvelo::cli
