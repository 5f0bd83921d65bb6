#include "engine/run_now.h"

#include <limits>
#include <string>

#include "data/data_warning.h"
#include "data/history_record.h"
#include "data/record_maintenance.h"
#include "data/tables.h"

namespace tarvelo {
namespace {

constexpr const char* kScheduleName = "Schedule";
constexpr const char* kHistoryName = "History";

int warnWith(const DataWarning& warn, int number, const store::Status& status, std::string_view t = {},
             std::string_view l = {}) {
    return warn(number, status, t, l);  // E quotes this failure
}

// The next free HIS:ID: the highest plus 1, or 1 in an empty History.
store::Status nextHistoryId(RecordTable<History> history, std::int32_t& id) {
    History highest;
    store::Status s = history.setToEnd(HistoryKey::keyId);
    if (s.ok()) s = history.previous(highest);
    if (s.code == store::kRecordNotAvailable) {
        id = 1;
        return store::Status::okStatus();
    }
    if (!s.ok()) return s;
    if (highest.id == std::numeric_limits<std::int32_t>::max()) return store::Status::make(store::kDuplicateKey);
    id = highest.id + 1;
    return s;
}

enum class Stored { yes, failed, retry };

// One attempt: the stamped task and its History entry in one transaction.
Stored storeRun(DataFiles& files, Task& stamped, History& entry) {
    const DataWarning& warn = files.warn();
    auto schedule = files.schedule();
    auto history = files.history();
    store::Transaction transaction;
    // Both tables live in the data file SM: one transaction covers them.
    if (const store::Status s = transaction.begin({&schedule.table(), &history.table()}); !s.ok()) {
        if (warn.retryBusy(schedule.table(), s)) return Stored::retry;
        if (!store::isBusy(s)) warnWith(warn, kWarnTransactionFramingError, s, "Update", kScheduleName);
        return Stored::failed;
    }
    if (const store::Status s = schedule.put(stamped); !s.ok()) {
        transaction.abandon();  // no lock held while the message is open
        if (s.code != store::kRecordChanged) {
            warnWith(warn, kWarnUpdateOperationError, s, kScheduleName);
            return Stored::failed;
        }
        warnWith(warn, kWarnUpdateOperationError, s);
        return warn(kWarnRecordUpdateError, s) == platform::kYes ? Stored::retry : Stored::failed;
    }
    std::int32_t id = 0;
    store::Status s = nextHistoryId(history, id);
    if (s.ok()) {
        entry = historyEntry(stamped, id);
        s = history.add(entry);
    }
    if (s.ok()) s = transaction.commit();
    if (!s.ok()) {
        transaction.abandon();  // no lock held while the message is open
        warnWith(warn, kWarnUpdateOperationError, s, kHistoryName);
        return Stored::failed;
    }
    return Stored::yes;
}

}  // namespace

RunNowOutcome runNow(DataFiles& files, Task& task, const RunNowPorts& ports) {
    TableUse scheduleUse(files, TableId::schedule);
    TableUse historyUse(files, TableId::history);
    RunNowOutcome outcome;
    Task stamped = task;
    for (;;) {
        const platform::Moment now = ports.clock.now();
        stamped.lastRunDate = now.date;
        stamped.lastRunTime = now.time;
        const Stored stored = storeRun(files, stamped, outcome.entry);
        if (stored == Stored::failed) return outcome;
        if (stored == Stored::yes) break;
        // Changed meanwhile (the engine moved it on): the task as it is stored now, if it is still there.
        Task current;
        const store::Status s = rereadRecord(files, stamped, current);
        if (!s.ok()) {
            warnWith(files.warn(), kWarnUpdateOperationError, s, kScheduleName);
            return outcome;
        }
        stamped = current;
    }
    task = stamped;
    outcome.performed = true;
    if (task.alarm) ports.sound.playAsync(task.alarmFile.text());
    outcome.runCode = performTask(task, kRunNowMessageWindowLimit, {ports.messages, ports.programs, ports.messageWindows});
    return outcome;
}

}  // namespace tarvelo
