// log [ID]: the run log of the current folder — every start of a task's program and what became of it —
// oldest first, or only task ID's. As text: start, state, outcome, duration, task and description. As
// JSON: one object per line with task, description, command, started, ended, exit_status, signal,
// duration_ms, output and state.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/command.h"
#include "cli/data_folder.h"
#include "cli/options.h"
#include "core/picture.h"
#include "core/plain_text.h"
#include "platform/terminal/json_line.h"
#include "runlog/run_log.h"

namespace tarvelo::cli {
namespace {

struct LogRequest {
    std::optional<std::int32_t> task;
    bool json = false;
    std::optional<int> answer;
};

std::string moment(StdDate date, StdTime time) {
    return date == 0 ? std::string() : formatIsoDate(date) + " " + formatTime24(time);
}

void writeJson(const RunEntry& e, std::string& out) {
    const runlog::RunState state = runlog::stateOf(e);
    const bool ended = state == runlog::RunState::ended;
    platform::JsonLine line(out);
    line.number("task", e.task)
        .text("description", e.description.text())
        .text("command", e.command.text())
        .text("started", moment(e.startDate, e.startTime))
        .text("ended", moment(e.endDate, e.endTime));
    // A run whose end was not seen has no status: null rather than a 0 that would read as success.
    if (ended && e.signal == 0) {
        line.number("exit_status", e.exitStatus);
    } else {
        line.null("exit_status");
    }
    if (e.signal != 0) line.number("signal", e.signal);
    line.number("duration_ms", e.durationMs).text("output", e.output.text()).text("state", runlog::stateText(state));
    line.end();
}

int listLog(const LogRequest& request) {
    DataFolder folder(request.answer);
    DataFiles& files = folder.files;
    TableUse use(files, TableId::runLog);
    auto log = files.runLog();
    RunEntry entry;
    store::Status s;
    if (request.task) {
        RunEntry from;
        from.task = *request.task;
        s = log.setAt(RunLogKey::keyTaskStart, from);
    } else {
        s = log.setToStart(RunLogKey::keyStart);
    }
    std::string out;
    while (s.ok() && (s = log.next(entry)).ok()) {
        if (request.task && entry.task != *request.task) {
            s = store::Status::make(store::kRecordNotAvailable);  // past the task's runs: the end
            break;
        }
        if (request.json) {
            writeJson(entry, out);
        } else {
            out += moment(entry.startDate, entry.startTime) + "\t" + std::string(runlog::stateText(runlog::stateOf(entry))) +
                   "\t" + runlog::outcomeText(entry) + "\t" + std::to_string(entry.durationMs) + " ms\t" +
                   std::to_string(entry.task) + "\t" + printable(entry.description.text()) + "\n";
        }
        if (out.size() > 64 * 1024) {
            std::fputs(out.c_str(), stdout);
            out.clear();
        }
    }
    std::fputs(out.c_str(), stdout);
    if (s.code != store::kRecordNotAvailable) {
        std::fprintf(stderr, "tarvelo96-cli log: %s\n", errorText(s).c_str());
        return failureExitCode(s);
    }
    return 0;
}

void defineLog(Commands& commands) {
    auto request = std::make_shared<LogRequest>();
    CLI::App& log = commands.add("log", "what became of each program the scheduler started",
                                 [request] { return listLog(*request); });
    log.footer("A line for each start of a task's program, oldest first: when it started, its state (running, "
               "ended, no result, not started, not watched), its exit status or signal, how long it ran, the task's "
               "number and description.");
    log.add_option("ID", request->task, "only the runs of this task");
    log.add_flag("--json",
                 request->json,
                 "each run as a JSON object: task, description, command, started, ended, exit_status (null when "
                 "no exit was seen), signal (when one ended it), duration_ms, output (the last 4 KB) and state");
    addAnswerOption(log, request->answer);
}

const Registration kLog{"log", &defineLog};

}  // namespace
}  // namespace tarvelo::cli
