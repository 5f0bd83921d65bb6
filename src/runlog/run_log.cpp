#include "runlog/run_log.h"

#include <signal.h>
#include <string.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <vector>

#include "core/plain_text.h"
#include "data/data_warning.h"
#include "platform/helper_program.h"

namespace tarvelo::runlog {
namespace {

constexpr std::array<std::pair<RunState, std::string_view>, 5> kStates{{
    {RunState::running, "running"},
    {RunState::ended, "ended"},
    {RunState::noResult, "no result"},
    {RunState::notStarted, "not started"},
    {RunState::notWatched, "not watched"},
}};

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::string_view stateText(RunState state) {
    for (const auto& [s, text] : kStates) {
        if (s == state) return text;
    }
    return "no result";
}

RunState stateOf(const RunEntry& entry) {
    for (const auto& [s, text] : kStates) {
        if (entry.state.text() == text) return s;
    }
    return RunState::noResult;
}

void OutputTail::append(std::string_view bytes) {
    if (bytes.size() > kOutputBytes) {
        m_total += bytes.size() - kOutputBytes;
        bytes = bytes.substr(bytes.size() - kOutputBytes);
    }
    for (char c : bytes) m_ring[static_cast<std::size_t>(m_total++ % kOutputBytes)] = c;
}

std::string OutputTail::bytes() const {
    if (m_total <= kOutputBytes) return std::string(m_ring.data(), static_cast<std::size_t>(m_total));
    const auto head = static_cast<std::size_t>(m_total % kOutputBytes);
    std::string out(m_ring.data() + head, kOutputBytes - head);
    out.append(m_ring.data(), head);
    return out;
}

std::string storedOutput(std::string_view raw) {
    std::string text = printable(raw, LineBreaks::kept);
    if (text.size() <= kOutputBytes) return text;
    std::size_t from = text.size() - kOutputBytes;
    while (from < text.size() && (static_cast<unsigned char>(text[from]) & 0xC0) == 0x80) ++from;
    return text.substr(from);
}

bool failed(const RunEntry& entry) {
    switch (stateOf(entry)) {
    case RunState::ended: return entry.exitStatus != 0 || entry.signal != 0;
    case RunState::notStarted: return true;
    default: return false;
    }
}

std::string outcomeText(const RunEntry& entry) {
    const RunState state = stateOf(entry);
    if (state == RunState::notStarted) return "could not be started";
    if (state != RunState::ended) return std::string(stateText(state));
    if (entry.signal != 0) {
        const char* name = ::strsignal(entry.signal);
        return "ended by signal " + std::to_string(entry.signal) + (name ? std::string(" (") + name + ")" : "");
    }
    return "exit status " + std::to_string(entry.exitStatus);
}

std::string failureSummary(const RunEntry& entry) {
    return entry.description.text() + " failed: " + outcomeText(entry);
}

std::string lastLine(std::string_view output) {
    std::size_t end = output.size();
    while (end > 0) {
        const std::size_t start = output.find_last_of("\r\n", end - 1);
        const std::size_t from = start == std::string_view::npos ? 0 : start + 1;
        const std::string_view line = output.substr(from, end - from);
        if (line.find_first_not_of(" \t") != std::string_view::npos) return std::string(line);
        if (start == std::string_view::npos) break;
        end = start;
    }
    return "";
}

namespace {

// Adds entry and drops the oldest entries of its task beyond perTask. REQUIRES: a write transaction.
store::Status addWithin(RecordTable<RunEntry> log, RunEntry& entry, int perTask) {
    if (store::Status s = log.add(entry); !s.ok()) return s;

    // The task's entries newest first: those after the first perTask go. Only the key is read.
    store::View byTask(log.table(), static_cast<int>(RunLogKey::keyTaskStart));
    const int taskField = log.table().def().fieldIndex("RUN:TASK");
    byTask.readFields({taskField});
    RunEntry after;
    after.task = entry.task + 1;
    if (store::Status s = byTask.setAt(RecordTable<RunEntry>::toRow(after)); !s.ok()) return s;
    std::vector<store::Row> rows;
    if (store::Status s = byTask.read(store::Direction::backward, perTask + 16, rows);
        !s.ok() && s.code != store::kRecordNotAvailable)
        return s;
    int kept = 0;
    for (const store::Row& row : rows) {
        if (std::get<std::int64_t>(row.values[static_cast<std::size_t>(taskField)]) != entry.task) break;
        if (++kept <= perTask) continue;
        if (store::Status s = log.table().erase(row); !s.ok() && s.code != store::kRecordChanged) return s;
    }
    return store::Status::okStatus();
}

// The entry of run's run (its ref names it for a change) into found; kRecordNotFound when the run has
// none yet. One seek: a task's runs that started at one moment are one or two.
store::Status findRun(RecordTable<RunEntry> log, const RunEntry& run, RunEntry& found) {
    RunEntry at;
    at.task = run.task;
    at.startDate = run.startDate;
    at.startTime = run.startTime;
    if (store::Status s = log.setAt(RunLogKey::keyTaskStart, at); !s.ok()) return s;
    RunEntry entry;
    store::Status s;
    while ((s = log.next(entry)).ok() && entry.task == run.task && entry.startDate == run.startDate &&
           entry.startTime == run.startTime) {
        if (entry.watcher == run.watcher && entry.bootId.text() == run.bootId.text()) {
            found = entry;
            return store::Status::okStatus();
        }
    }
    return s.ok() || s.code == store::kRecordNotAvailable ? store::Status::make(store::kRecordNotFound) : s;
}

template <class Write>
store::Status inTransaction(RecordTable<RunEntry> log, Write write) {
    store::Transaction transaction;
    if (store::Status s = transaction.begin({&log.table()}); !s.ok()) return s;
    if (store::Status s = write(); !s.ok()) return s;
    return transaction.commit();
}

}  // namespace

store::Status addEntry(RecordTable<RunEntry> log, RunEntry& entry, int perTask) {
    return inTransaction(log, [&] { return addWithin(log, entry, perTask); });
}

RunEntry runningEntry(const std::string& commandLine, const platform::ProgramLabel& label,
                      const platform::WatchReport& report, const std::string& bootId) {
    RunEntry entry;
    entry.task = label.task;
    entry.description = label.description;
    entry.command = commandLine;
    entry.startDate = report.start.date;
    entry.startTime = report.start.time;
    entry.state = std::string(stateText(RunState::running));
    entry.bootId = bootId;
    entry.watcher = report.watcher;
    return entry;
}

store::Status addRunning(RecordTable<RunEntry> log, RunEntry& entry) {
    return inTransaction(log, [&] {
        RunEntry found;
        const store::Status s = findRun(log, entry, found);
        if (s.ok()) {
            entry = found;  // the watcher's end was first
            return store::Status::okStatus();
        }
        return s.code == store::kRecordNotFound ? addWithin(log, entry, kEntriesPerTask) : s;
    });
}

store::Status storeEnd(RecordTable<RunEntry> log, RunEntry& entry) {
    return inTransaction(log, [&] {
        RunEntry found;
        const store::Status s = findRun(log, entry, found);
        if (s.code == store::kRecordNotFound) return addWithin(log, entry, kEntriesPerTask);
        if (!s.ok()) return s;
        entry.ref = found.ref;
        return log.put(entry);
    });
}

store::Status purgeExpired(RecordTable<RunEntry> log, std::int64_t days, StdDate today) {
    if (days <= 0) return store::Status::okStatus();
    if (store::Status s = log.setToStart(RunLogKey::keyStart); !s.ok()) return s;
    // One transaction, begun at the first entry to go, as the completed copies are purged.
    store::Transaction transaction;
    RunEntry entry;
    store::Status s;
    while ((s = log.next(entry)).ok()) {
        if (std::int64_t{entry.startDate} + days >= today) break;
        if (stateOf(entry) == RunState::running) continue;
        if (!transaction.active()) {
            if (s = transaction.begin({&log.table()}); !s.ok()) return s;
        }
        if (s = log.erase(entry); !s.ok() && s.code != store::kRecordChanged) return s;
    }
    if (!s.ok() && s.code != store::kRecordNotAvailable) return s;
    return transaction.active() ? transaction.commit() : store::Status::okStatus();
}

store::Status markNoResult(RecordTable<RunEntry> log, std::string_view bootId,
                           const std::function<bool(std::int32_t pid)>& watcherAlive, int* marked) {
    if (marked) *marked = 0;
    RunEntry from;
    from.state = std::string(stateText(RunState::running));
    if (store::Status s = log.setAt(RunLogKey::keyState, from); !s.ok()) return s;
    std::vector<RunEntry> gone;
    RunEntry entry;
    store::Status s;
    while ((s = log.next(entry)).ok() && stateOf(entry) == RunState::running) {
        if (entry.bootId.text() == bootId && watcherAlive(entry.watcher)) continue;
        gone.push_back(entry);
    }
    if (!s.ok() && s.code != store::kRecordNotAvailable) return s;
    for (RunEntry& e : gone) {
        e.state = std::string(stateText(RunState::noResult));
        // A watcher that completed its entry meanwhile has the last word.
        s = log.put(e);
        if (s.code == store::kRecordChanged) continue;
        if (!s.ok()) return s;
        if (marked) ++*marked;
    }
    return store::Status::okStatus();
}

store::Status tellFailures(RecordTable<RunEntry> log, const std::function<void(const RunEntry&)>& tell) {
    RunEntry from;
    from.told = 0;
    if (store::Status s = log.setAt(RunLogKey::keyTold, from); !s.ok()) return s;
    std::vector<RunEntry> untold;
    RunEntry entry;
    store::Status s;
    while ((s = log.next(entry)).ok() && entry.told == 0) untold.push_back(entry);
    if (!s.ok() && s.code != store::kRecordNotAvailable) return s;
    for (RunEntry& e : untold) {
        e.told = 1;
        s = log.put(e);
        if (s.code == store::kRecordChanged) continue;  // another scheduler's to tell
        if (!s.ok()) return s;
        tell(e);
    }
    return store::Status::okStatus();
}

platform::Watching watchingFor(DataFiles& files, platform::ClockPort& clock, std::string starter) {
    platform::Watcher watcher = platform::watcherFor(files.folder());
    auto cannotLog = [starter](const store::Status& s) {
        std::fprintf(stderr, "%s: the run log could not be updated: %s\n", starter.c_str(), errorText(s).c_str());
    };
    auto unwatched = [&files, &clock, starter, cannotLog, program = watcher.program](
                         const std::string& commandLine, const platform::ProgramLabel& label, bool started) {
        std::fprintf(stderr, "%s: %s cannot be executed: the program of task %d is not watched\n", starter.c_str(),
                     program.c_str(), label.task);
        const platform::Moment now = clock.now();
        RunEntry entry;
        entry.task = label.task;
        entry.description = label.description;
        entry.command = commandLine;
        entry.startDate = entry.endDate = now.date;
        entry.startTime = entry.endTime = now.time;
        entry.state = std::string(stateText(started ? RunState::notWatched : RunState::notStarted));
        if (const store::Status s = addEntry(files.runLog(), entry); !s.ok()) cannotLog(s);
    };
    // The "running" entry is the starter's to add: it holds the file open already, so the watcher, paid
    // at every start, writes once, at the end.
    auto watched = [&files, cannotLog, boot = currentBootId()](const std::string& commandLine,
                                                              const platform::ProgramLabel& label,
                                                              const platform::WatchReport& report) {
        RunEntry entry = runningEntry(commandLine, label, report, boot);
        if (const store::Status s = addRunning(files.runLog(), entry); !s.ok()) cannotLog(s);
    };
    return {std::move(watcher), std::move(unwatched), std::move(watched)};
}

std::string currentBootId() { return firstLine("/proc/sys/kernel/random/boot_id"); }

bool watcherAlive(std::int32_t pid) {
    if (pid <= 0) return false;
    if (::kill(pid, 0) != 0 && errno != EPERM) return false;
    return firstLine("/proc/" + std::to_string(pid) + "/comm") == platform::kWatcherName;
}

}  // namespace tarvelo::runlog
