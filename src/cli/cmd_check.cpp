// tarvelo96-cli check: opens every table of the current folder as the program does (creating the missing
// ones, offering to rebuild damaged keys), reads each table's records and keys, offering to rebuild keys
// found damaged, prints each table's name and record count, then reads every page of both files and
// prints what is wrong with them. Exit code 1 when anything is, mended or not: keys rebuilt on the way
// are printed with what was found. Opening alone (what every start of the program does) reads no
// records; this is the whole check.
#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"

namespace tarvelo::cli {
namespace {

// A data file, its log or the log's index that other users may read or write: the program makes them its
// owner's alone, but leaves the mode of a file made before (or by hand) to its owner. Each is printed;
// true when there was one.
bool privacyProblems(const std::string& path) {
    bool found = false;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const std::string file = path + suffix;
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0) continue;
        const bool read = (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
        const bool write = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        if (!read && !write) continue;
        const std::string name = file.substr(file.rfind('/') + 1);
        std::printf("%s: other users may %s it (mode %04o): chmod 600 %s keeps it to its owner\n", name.c_str(),
                    read && write ? "read and change" : read ? "read" : "change",
                    static_cast<unsigned>(info.st_mode & 07777), name.c_str());
        found = true;
    }
    return found;
}

int runCheck(std::optional<int> answer) {
    DataFolder folder(answer);
    DataFiles& files = folder.files;
    int exitCode = 0;
    files.setRepairListener([&exitCode](store::Table& table, const store::Status& damage) {
        std::printf("%s: %s: its keys were rebuilt\n", table.name().c_str(), errorText(damage).c_str());
        exitCode = 1;
    });
    for (int i = 0; i < kTableCount; ++i) {
        const auto id = static_cast<TableId>(i);
        TableUse use(files, id);
        store::Table& table = files.table(id);
        // Damaged keys are offered for rebuilding (the check is made again after it); damage they cannot
        // mend has stopped the program with its message.
        const store::Status checked = table.check();
        const store::Result<std::int64_t> count = table.records();
        std::printf("%s %" PRId64 "\n", table.name().c_str(), static_cast<std::int64_t>(count.valueOr(0)));
        for (const store::Status& s : {checked, count.status}) {
            if (s.ok()) continue;
            std::printf("%s: %s\n", table.name().c_str(), errorText(s).c_str());
            exitCode = 1;
        }
    }
    // One check per file: the data file through Schedule, the tag file through its one table.
    for (const TableId id : {TableId::schedule, TableId::tagFile}) {
        TableUse use(files, id);
        store::Table& table = files.table(id);
        const std::string file = table.def().fileName + ".KTB";
        std::vector<std::string> problems;
        if (const store::Status s = table.verifyFile(problems); !s.ok()) {
            std::printf("%s: could not be checked: %s\n", file.c_str(), errorText(s).c_str());
            exitCode = 1;
        }
        for (const auto& problem : problems) {
            // A problem may span lines; each printed line names its file.
            std::size_t start = 0;
            for (std::size_t end; (end = problem.find('\n', start)) != std::string::npos; start = end + 1) {
                std::printf("%s: %s\n", file.c_str(), problem.substr(start, end - start).c_str());
            }
            std::printf("%s: %s\n", file.c_str(), problem.substr(start).c_str());
        }
        if (!problems.empty()) exitCode = 1;
        if (privacyProblems(table.path())) exitCode = 1;
    }
    return exitCode;
}

void defineCheck(Commands& commands) {
    auto answer = std::make_shared<std::optional<int>>();
    CLI::App& check = commands.add("check", "check every table and both data files here",
                                   [answer] { return runCheck(*answer); });
    check.footer("Opens (or creates) every table, offering to rebuild damaged keys, and prints each table's name "
                 "and record count, then reads every page of both files and prints each problem found, and what "
                 "was done about it (keys rebuilt), and a data file that other users may read. The exit code is "
                 "1 when anything was wrong, mended or not.");
    // Every check is a full one; --full says so for scripts that spell it out.
    check.add_flag("--full")->description("the whole check (as always)");
    addAnswerOption(check, *answer);
}

const Registration kCheck{"check", &defineCheck};

}  // namespace
}  // namespace tarvelo::cli
