#include "engine/scheduler.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "core/environment.h"
#include "core/picture.h"
#include "runlog/run_log.h"
#include "store/store.h"
#include "tasks/recurrence.h"

namespace tarvelo {

std::chrono::milliseconds tickInterval() {
    constexpr long long kUsual = 5000, kShortest = 100;
    const std::optional<long long> ms = wholeNumberFromEnvironment("TARVELO_TICK_MS");
    return std::chrono::milliseconds(!ms || *ms == 0 ? kUsual : std::max(*ms, kShortest));
}
namespace {

std::string_view trimLeft(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && text[n] == ' ') ++n;
    return text.substr(n);
}

bool isDisplayMessage(const Task& task) { return task.taskType == TaskType::DisplayMessage; }
bool showsMessage(const Task& task) { return isDisplayMessage(task) || task.taskType == TaskType::Both; }
bool runsProgram(const Task& task) { return task.taskType == TaskType::RunProgram || task.taskType == TaskType::Both; }

bool isBefore(platform::Moment a, platform::Moment b) { return a.date < b.date || (a.date == b.date && a.time < b.time); }
platform::Moment later(platform::Moment a, platform::Moment b) { return isBefore(a, b) ? b : a; }

// A task is due once its date has passed, or on its date once its time is strictly earlier than now.
bool isDue(const Task& task, platform::Moment now) {
    return task.date < now.date || (task.date == now.date && now.time > task.time);
}

platform::MessageBoxRequest yesNoQuestion(std::string text, std::string caption) {
    return {std::move(text), std::move(caption), platform::Icon::Question, platform::kYes + platform::kNo, platform::kNo};
}

// The box of a passed advance warning: the task's own date and time, a carriage return, and what the task
// will do.
std::string advanceWarningText(const Task& task) {
    std::string text = formatDate3(task.date) + " " + formatTime3(task.time) + "\r";
    const std::string& memo = task.message.text();  // trailing blanks are never kept
    const std::string& command = task.command.text();
    const auto memoAndCommand = [&] { return std::string(trimLeft(memo + "\rCommand: " + command)); };
    if (task.taskType == TaskType::DisplayMessage) {
        text += memo;
    } else if (task.taskType == TaskType::RunProgram) {
        text += "Command:  " + command;
    } else if (task.taskType == TaskType::Both || !command.empty()) {
        text += memoAndCommand();
    } else {
        text += trimLeft(memo);
    }
    return text;
}

// The desktop shows line breaks as "\n" only.
std::string noticeBody(std::string text) {
    std::string body;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            body += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            body += '\n';
        }
    }
    return body;
}

// Offers text to the desktop when notices says so; true when the desktop took it in place of the
// program's own window or box.
bool notifiedInstead(const std::string& summary, const std::string& text, const platform::Platform& platform,
                     const MessageNotices* notices, bool frameOutOfSight) {
    if (notices == nullptr || !(notices->windowless || frameOutOfSight)) return false;
    platform::Notification notice{summary, noticeBody(text), {}, false};
    if (notices->addToDo) notice.actions.push_back({kAddToDoAction, [add = notices->addToDo, text] { add(text); }});
    return platform.notifications.notify(notice) && notices->windowless;
}

}  // namespace

int performTask(const Task& task, int messageWindowLimit, const platform::Platform& platform,
                const MessageNotices* notices, bool frameOutOfSight) {
    if (showsMessage(task) &&
        !notifiedInstead(task.description.text(), task.message.text(), platform, notices, frameOutOfSight)) {
        if (platform.messageWindows.openCount() < messageWindowLimit) {
            platform.messageWindows.open(task.message.text());
        } else {
            platform.messages.show({task.message.text(), "", platform::Icon::None, platform::kOk, platform::kOk});
        }
    }
    if (!runsProgram(task)) return 0;
    const int runCode = platform.programs.start(task.command.text(), task.path.text(), {task.id, task.description.text()}) ? 0 : kRunCodeNotStarted;
    if (runCode != 0) {
        platform.messages.show({"Run code " + std::to_string(runCode), "Error Starting " + task.command.text(),
                             platform::Icon::None, platform::kOk, platform::kOk});
    }
    return runCode;
}

Scheduler::Scheduler(RecordTable<Task> schedule, const Settings& settings, platform::Platform platform)
    : m_schedule(schedule), m_settings(settings), m_platform(platform) {}

const char* TickOutcome::notSavedText(Step step) {
    switch (step) {
    case dueTask: return kScheduleNotSaved;
    case advanceWarning: return kWarningNotSaved;
    case purge: return kPurgeNotSaved;
    }
    return kScheduleNotSaved;
}

TickOutcome Scheduler::tick() {
    TickOutcome outcome;
    if (m_ticking) return outcome;
    m_ticking = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_ticking};

    if (!m_settings.schedulerActive) {
        m_platform.frame.setTitle(kInactiveTitle);
        return outcome;
    }
    // Each step goes on whatever the one before it met: a task that cannot be stored must not hold back
    // the warnings, nor the purge.
    outcome.steps[TickOutcome::dueTask] = checkDueTask();
    outcome.steps[TickOutcome::advanceWarning] = checkAdvanceWarning();
    outcome.steps[TickOutcome::purge] = purgeHistory();
    tellFailures();
    return outcome;
}

std::string Scheduler::pendingTitle(const Task& task) const {
    return m_settings.programTitle.text() + " - " + task.description.text() + " " + formatDate3(task.date) + " " +
           formatTime3(task.time);
}

store::Status Scheduler::checkDueTask() {
    const std::string& programTitle = m_settings.programTitle.text();
    Task task;
    store::Status read = m_schedule.setToStart(ScheduleKey::keyDateEnabled);
    if (read.ok()) read = m_schedule.next(task);
    if (!read.ok() || task.disabled != 0) {
        m_platform.frame.setTitle(programTitle);
        return read.ok() || read.code == store::kRecordNotAvailable ? store::Status::okStatus() : read;
    }
    m_platform.frame.setTitle(m_platform.frame.isMinimized() ? pendingTitle(task) : programTitle);

    const platform::Moment dueTest = m_platform.clock.now();
    if (!isDue(task, dueTest)) return store::Status::okStatus();
    const Task asRead = task;  // what the completed copy records
    if (m_answer && (m_answer->id != task.id || m_answer->date != task.date || m_answer->time != task.time)) {
        m_answer.reset();  // that occurrence is gone: performed elsewhere, or the task was changed
    }

    bool declined = false;
    // The frame is brought back for a due task; its message is noticed on the desktop all the same.
    const bool frameOutOfSight = m_platform.frame.isMinimized();
    if (!task.skipNextTime) {
        if (frameOutOfSight) m_platform.frame.restore();
        if (m_answer) {
            declined = m_answer->declined;
        } else {
            const std::string description = task.description.text();
            if (task.date < dueTest.date && task.warn && !isDisplayMessage(task)) {
                declined = m_platform.messages.show(yesNoQuestion(description + " was not run.  Run it now?",
                                                               "Missed Task")) == platform::kNo;
            } else if (task.userSkip) {
                declined = m_platform.messages.show(yesNoQuestion(description + " is due to run.  Run it now?",
                                                               "Confirm Task")) == platform::kNo;
            }
        }
        const platform::Moment stamp = m_platform.clock.now();
        task.lastRunDate = stamp.date;
        task.lastRunTime = stamp.time;
    }

    // The reference is never earlier than the due test: were the clock set back meanwhile (a prompt left
    // open across the end of summer time), moving the task on from the earlier "now" would leave it at the
    // occurrence just performed, due again.
    bool claimed = false;
    const store::Status stored = claim(asRead, task, later(m_platform.clock.now(), dueTest), claimed);
    if (!stored.ok() || !claimed) {
        // Not this tick's to perform. Should the same occurrence come up again (the write failed, or the
        // user saved an edit of the task while its prompt was open), the answer given stands.
        m_answer = Answer{task.id, task.date, task.time, declined};
        return stored;
    }
    m_answer.reset();
    changed();
    if (task.skipNextTime) return stored;

    if (task.alarm && !declined) m_platform.sound.playAsync(task.alarmFile.text());
    if (!declined) {
        performTask(task, kEngineMessageWindowLimit, m_platform, m_notices ? &*m_notices : nullptr, frameOutOfSight);
    }
    return stored;
}

store::Status Scheduler::claim(const Task& asRead, Task task, platform::Moment reference, bool& claimed) {
    claimed = false;
    // Before the transaction: it may show the "Invalid Units" box, and no lock is held while a box is open.
    advanceTask(task, reference.date, reference.time, m_platform.messages);

    store::Transaction transaction;
    if (store::Status s = transaction.begin({&m_schedule.table()}); !s.ok()) return s;

    // Unchanged since it was found due, and still due: else another scheduler has performed it, or the
    // user has changed it, and this tick leaves it alone.
    Task current;
    store::Status s = m_schedule.reget(m_schedule.position(ScheduleKey::keyDateEnabled, asRead), current);
    if (s.code == store::kRecordNotFound) return transaction.rollback();
    if (!s.ok()) return s;
    if (current.ref.rowId != asRead.ref.rowId || current.ref.version != asRead.ref.version || current.disabled ||
        !isDue(current, reference))
        return transaction.rollback();

    // The copy is numbered before a finished "Once" task is deleted, so it never takes over the number of
    // the task it records.
    std::int64_t id = 1;
    Task highest;
    s = m_schedule.setToEnd(ScheduleKey::keyId);
    if (s.ok()) s = m_schedule.previous(highest);
    if (s.ok()) {
        id = std::int64_t{highest.id} + 1;
    } else if (s.code != store::kRecordNotAvailable) {
        return s;
    }

    s = task.completed ? m_schedule.erase(task) : m_schedule.put(task);
    if (s.code == store::kRecordChanged) return transaction.rollback();
    if (!s.ok()) return s;  // the transaction rolls back

    Task copy = asRead;
    copy.completed = 1;
    copy.disabled = 1;
    copy.ref = {};
    for (;; ++id) {
        if (id > std::numeric_limits<std::int32_t>::max()) return store::Status::make(store::kDuplicateKey);
        copy.id = static_cast<std::int32_t>(id);
        const store::Result<bool> taken = m_schedule.duplicate(ScheduleKey::keyId, copy);
        if (!taken.ok()) return taken.status;
        if (!taken.value()) break;
    }
    if (s = m_schedule.add(copy); !s.ok()) return s;
    if (s = transaction.commit(); !s.ok()) return s;
    claimed = true;
    return s;
}

store::Status Scheduler::checkAdvanceWarning() {
    Task task;
    store::Status s = m_schedule.setToStart(ScheduleKey::keyAdvanced);
    // A task without a schedule type never gets its warning, nor does a completed copy (its occurrence has
    // been performed) or a disabled task (it will not be performed); each is read past so that it cannot
    // hold back the warnings behind it.
    do {
        if (s.ok()) s = m_schedule.next(task);
        if (!s.ok()) return s.code == store::kRecordNotAvailable ? store::Status::okStatus() : s;
        if (task.advanceWarned) return store::Status::okStatus();
    } while (task.scheduleType.isBlank() || task.completed || task.disabled);

    const platform::Moment now = m_platform.clock.now();
    const bool passed = now.date > task.advanceWarnDate ||
                        (now.date == task.advanceWarnDate && now.time > task.advanceWarnTime);
    if (!passed) return store::Status::okStatus();

    // Marked first, shown after: the put fails when somebody else (another scheduler) has changed the
    // task since it was read, and then the warning is theirs.
    task.advanceWarned = 1;
    s = m_schedule.put(task);
    if (s.code == store::kRecordChanged) return store::Status::okStatus();
    if (!s.ok()) return s;
    if (!task.skipNextTime &&
        !notifiedInstead(task.description.text(), advanceWarningText(task), m_platform, m_notices ? &*m_notices : nullptr,
                         m_platform.frame.isMinimized())) {
        m_platform.messages.show({advanceWarningText(task), "Advanced Warning", platform::Icon::None, platform::kOk, platform::kOk});
    }
    return s;
}

void Scheduler::tellFailures() {
    if (!m_runLog) return;
    // Read or marked in vain, the failures stay untold for the next tick: the schedule loses nothing.
    [[maybe_unused]] const store::Status s = runlog::tellFailures(*m_runLog, [this](const RunEntry& entry) {
        if (!m_settings.notifyFailures) return;
        const platform::Notification notice{runlog::failureSummary(entry), runlog::lastLine(entry.output.text()), {}, true};
        if (m_platform.notifications.notify(notice)) return;
        const std::string line = notice.summary + (notice.body.empty() ? "" : ": " + notice.body);
        std::fprintf(stderr, "%s\n", line.c_str());
    });
}

store::Status Scheduler::purgeHistory() {
    const std::int64_t days = m_settings.historyExpiryDays;
    // 0 keeps completed copies for ever; so does a negative number, which would otherwise reach forward
    // and remove copies of days not yet come.
    if (days <= 0) return store::Status::okStatus();
    const StdDate today = m_platform.clock.now().date;

    Task start;
    start.disabled = 1;
    if (store::Status s = m_schedule.setAt(ScheduleKey::keyDateEnabled, start); !s.ok()) return s;

    // The deletions of one pass are one transaction, begun at the first copy to go: thousands of expired
    // copies (after a long time off) then cost one write to the disk, not one each.
    store::Transaction transaction;
    Task record;
    store::Status s;
    while ((s = m_schedule.next(record)).ok()) {
        if (std::int64_t{record.date} + days >= today) break;
        if (!record.completed) continue;
        if (!transaction.active()) {
            if (s = transaction.begin({&m_schedule.table()}); !s.ok()) return s;
        }
        // One that another scheduler removed first is simply gone.
        if (s = m_schedule.erase(record); !s.ok() && s.code != store::kRecordChanged) return s;
    }
    if (!s.ok() && s.code != store::kRecordNotAvailable) return s;
    if (transaction.active()) {
        if (s = transaction.commit(); !s.ok()) return s;
        changed();
    }
    // The run log expires with the completed copies, in the same step: its failure is the step's.
    return m_runLog ? runlog::purgeExpired(*m_runLog, days, today) : store::Status::okStatus();
}

}  // namespace tarvelo
