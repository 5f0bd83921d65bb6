// history list: the History entries of the current folder (the tasks performed with "Run Now"), by
// entry number. As text: number, when it was performed, task type, description. As JSON: one flat
// object per line with the keys of a task (see task_json.h); "id" is the entry's own number.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "cli/task_json.h"
#include "core/picture.h"
#include "core/plain_text.h"
#include "data/history_record.h"

namespace tarvelo::cli {
namespace {

struct ListRequest {
    bool json = false;
    std::optional<int> answer;
};

int listHistory(const ListRequest& request) {
    const bool json = request.json;
    DataFolder folder(request.answer);
    DataFiles& files = folder.files;
    TableUse use(files, TableId::history);
    auto history = files.history();
    History entry;
    store::Status s = history.setToStart(HistoryKey::keyId);
    while (s.ok() && (s = history.next(entry)).ok()) {
        if (json) {
            // An entry keeps no advance-warned flag.
            std::string line;
            platform::JsonLine object(line);
            writeTask(object, recordedTask(entry), kTaskJsonFields, "advancewarned");
            object.end();
            std::fputs(line.c_str(), stdout);
        } else {
            std::printf("%d\t%s %s\t%s\t%s\n", entry.id, formatIsoDate(entry.lastRunDate).c_str(),
                        formatTime24(entry.lastRunTime).c_str(), printable(entry.taskType.text()).c_str(),
                        printable(entry.description.text()).c_str());
        }
    }
    if (s.code != store::kRecordNotAvailable) {
        std::fprintf(stderr, "tarvelo96-cli history: %s\n", errorText(s).c_str());
        return 1;
    }
    return 0;
}

void defineHistory(Commands& commands) {
    CLI::App& history = commands.addGroup("history", "the tasks performed with Run Now");
    auto request = std::make_shared<ListRequest>();
    CLI::App& list =
        commands.add(history, "list", "the History entries by number", [request] { return listHistory(*request); });
    list.footer("A line for each entry: number, when the task was performed, task type and description.");
    list.add_flag("--json", request->json,
                  "each entry as a JSON object of a task's keys; \"id\" is the entry's number");
    addAnswerOption(list, request->answer);
}

const Registration kHistory{"history", &defineHistory};

}  // namespace
}  // namespace tarvelo::cli
