// tarvelo96-cli check: opens every table of the current folder as the program does (creating the missing
// ones, offering to rebuild damaged keys) and prints each table's name and record count.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "data/data_files.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/text_message_box.h"

namespace tarvelo::cli {
namespace {

int runCheck(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::string error;
    const auto answer = ui::takeAnswerOption(args, error);
    if (!error.empty() || !args.empty()) {
        std::fprintf(stderr, "tarvelo96-cli check: %s\n", error.empty() ? "unexpected argument" : error.c_str());
        return 2;
    }
    ui::TextMessageBox messages(stderr, answer);
    ui::ExitHalt halt;
    DataWarning warn(messages, halt);
    DataFiles files(warn);
    for (int i = 0; i < kTableCount; ++i) {
        TableUse use(files, static_cast<TableId>(i));
        store::Table& table = files.table(static_cast<TableId>(i));
        std::printf("%s %" PRId64 "\n", table.name().c_str(), static_cast<std::int64_t>(table.records()));
    }
    return 0;
}

const Registration kCheck{"check",
                          "check [--answer yes|no|ok|cancel|retry]   open (or create) every table here; print "
                          "each name and record count (message boxes go to stderr, answered by their default "
                          "button, or by --answer or $TARVELO_ANSWER when the box has that button)",
                          &runCheck};

}  // namespace
}  // namespace tarvelo::cli
