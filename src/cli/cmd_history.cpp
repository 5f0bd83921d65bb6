// history list: the History entries of the current folder (the tasks performed with "Run Now"), in
// HIS:ID order. As text: number, when it was performed, task type, description. As JSON: one flat
// object per line with the keys of a task (see schedule_json.h); "id" is the entry's own number.
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "cli/schedule_json.h"
#include "core/picture.h"
#include "data/data_files.h"
#include "data/history_record.h"
#include "ui/headless/exit_halt.h"
#include "ui/headless/text_message_box.h"

namespace tarvelo::cli {
namespace {

constexpr const char* kUsage = "history list [--json]";

int runHistory(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::string error;
    const auto answer = ui::takeAnswerOption(args, error);
    const bool json = args.size() == 2 && args[1] == "--json";
    if (!error.empty() || args.empty() || args[0] != "list" || args.size() > 2 || (args.size() == 2 && !json)) {
        std::fprintf(stderr, "tarvelo96-cli history: %s\n", error.empty() ? (std::string("usage: ") + kUsage).c_str()
                                                                          : error.c_str());
        return 2;
    }
    ui::TextMessageBox messages(stderr, answer);
    ui::ExitHalt halt;
    const DataWarning warn(messages, halt);
    DataFiles files(warn);
    TableUse use(files, TableId::history);
    auto history = files.history();
    History entry;
    store::Status s = history.setToStart(HistoryKey::keyId);
    while (s.ok() && (s = history.next(entry)).ok()) {
        if (json) {
            nlohmann::ordered_json object = scheduleToJson(recordedTask(entry));
            object.erase("advancewarned");
            std::printf("%s\n", object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        } else {
            std::printf("%d\t%s %s\t%s\t%s\n", entry.id, formatIsoDate(entry.lastRunDate).c_str(),
                        formatTime24(entry.lastRunTime).c_str(), entry.taskType.text().c_str(),
                        entry.description.text().c_str());
        }
    }
    if (s.code != store::kRecordNotAvailable) {
        std::fprintf(stderr, "tarvelo96-cli history: %s\n", errorText(s).c_str());
        return 1;
    }
    return 0;
}

const Registration kHistory{"history", std::string(kUsage) + "   the tasks performed with Run Now, in HIS:ID order",
                            &runHistory};

}  // namespace
}  // namespace tarvelo::cli
