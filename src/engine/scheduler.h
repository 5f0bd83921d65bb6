#pragma once
// The scheduler's timer steps: on every tick of the frame's timer, while the scheduler is active, the
// earliest due task is performed (checkDueTask), the earliest passed advance warning is shown
// (checkAdvanceWarning) and expired completed copies and run log entries are removed (purgeHistory) — at most one task and one
// warning per tick; the rest follow on later ticks.
//
// Ownership and threading: a Scheduler works on the Schedule table it is given, which must stay open
// while it ticks, and on the program-wide settings, read afresh on every tick (the setup window changes
// them in place). Everything runs on the one GUI (or CLI main) thread. A modal box shown by a step runs a
// nested event loop in which the frame's timer keeps firing; tick() refuses to start while another tick is
// under way, so prompts never pile up.
//
// Claim, then perform. An occurrence is stored before anything of it is performed: after the prompts
// have been answered, one transaction re-reads the task, makes sure it is unchanged since it was found
// due (its version) and still due, stamps it, moves it on (or deletes a finished "Once" task), adds the
// completed copy and commits; only then are the alarm played, the message shown and the program
// started. So several schedulers on one data folder (the GUI, tarvelo96-cli run, a second GUI) perform
// each occurrence once: the one whose commit lands first performs it, the others find the task changed
// and do nothing on that tick. A write that fails performs nothing; the tick reports it and the next
// tick tries again, reusing the answer already given for that occurrence. Advance warnings are claimed
// in the same way (marked warned, then shown).
//
// The price of this order: a crash (or kill -9) between the commit and the performing loses that one
// occurrence; it is never performed twice. It is the choice cron and systemd timers make.
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "core/settings.h"
#include "data/record_table.h"
#include "data/records.h"
#include "store/store.h"
#include "platform/ports.h"

namespace tarvelo {

inline constexpr const char* kInactiveTitle = "Pellacorp Scheduler (Inactive)";
// Message windows the engine lets be open at once; the next message goes to a plain message box.
inline constexpr int kEngineMessageWindowLimit = 60;
// What the frame's status bar and the CLI say when a step of a tick could not store what it had to; the
// error text follows. The due task's occurrence was then not performed, the advance warning not shown;
// expired copies stay until a later tick removes them.
inline constexpr const char* kScheduleNotSaved = "The schedule could not be saved";
inline constexpr const char* kWarningNotSaved = "The advance warning could not be saved";
inline constexpr const char* kPurgeNotSaved = "The expired completed tasks could not be removed";
// The run code of a program that could not be started.
inline constexpr int kRunCodeNotStarted = -4;

// Performs a task: shows its message ("Display Message", "Both") in a new message window while fewer than
// messageWindowLimit are open, else in a plain modal box; then starts its program ("Run Program", "Both")
// in its start-in folder, reporting a start that fails in the "Error Starting " box. Shared with the
// schedule browse's "Run Now", which has a limit of its own. Returns the run code (0 when no program was
// to be started).
// A message's notice on the desktop (a desktop notification: the task's description, the message, and
// the action of the message window's button), for a program whose own windows may be out of sight.
struct MessageNotices {
    // What "Add to To Do List" does with the text; no action is offered when empty.
    std::function<void(const std::string& text)> addToDo;
    // The program has no window (the command line): every message is offered to the desktop, and one the
    // desktop takes is not shown again the program's own way. Else (the window program) a notice goes out
    // only while the frame is minimized or hidden, beside the message's window.
    bool windowless = false;
};
inline constexpr const char* kAddToDoAction = "Add to To Do List";

// notices: how its message also reaches the desktop (none: it does not); frameOutOfSight: whether the
// frame was minimized or hidden when the task fell due.
int performTask(const Task& task, int messageWindowLimit, const platform::Platform& platform,
                const MessageNotices* notices = nullptr, bool frameOutOfSight = false);

// How often a scheduler ticks: five seconds, or the milliseconds $TARVELO_TICK_MS names (at least 100), so
// that tests of schedulers that meet on one folder need not wait five seconds a task.
std::chrono::milliseconds tickInterval();

// What each step of a tick came to: the first write of the step that failed, or ok.
struct TickOutcome {
    enum Step { dueTask, advanceWarning, purge };
    static constexpr int kSteps = 3;

    store::Status steps[kSteps];

    const store::Status& operator[](Step step) const { return steps[step]; }
    bool ok() const { return steps[dueTask].ok() && steps[advanceWarning].ok() && steps[purge].ok(); }
    // The text that tells what a step's failure means, followed by ": " and the error text.
    static const char* notSavedText(Step step);
};

class Scheduler {
public:
    Scheduler(RecordTable<Task> schedule, const Settings& settings, platform::Platform platform);

    // One timer tick: the three steps in order while settings.schedulerActive is set, otherwise only the
    // inactive title. Returns at once when called while a tick is running. The result tells of each step
    // whether it stored what it had to; a step that failed performed nothing of what it could not store,
    // and the others went on regardless. The caller shows the failures, as the user must know that the
    // schedule is not being kept.
    [[nodiscard]] TickOutcome tick();
    bool isTicking() const { return m_ticking; }

    // Called after a step has stored a change to the tasks (a task moved on or finished, its completed
    // copy added, expired copies removed), so that open lists can show it.
    void setChangeListener(std::function<void()> listener) { m_changed = std::move(listener); }
    // The run log the purge step bounds as it removes expired completed copies; none by default.
    void setRunLog(RecordTable<RunEntry> runLog) { m_runLog = runLog; }
    // Messages and advance warnings also go to the desktop as notices, as notices says.
    void setMessageNotices(MessageNotices notices) { m_notices = std::move(notices); }

    // The steps one by one, for the frame's tests and the benchmark; tick() is the entry point.
    [[nodiscard]] store::Status checkDueTask();
    [[nodiscard]] store::Status checkAdvanceWarning();
    [[nodiscard]] store::Status purgeHistory();
    // The failed runs of the run log nobody has heard of yet, each as an urgent notice (a line on standard
    // error where the desktop shows none), unless the setting turns them off; once each, among schedulers.
    void tellFailures();

private:
    // The user's answer to the prompt of an occurrence whose claim did not land, so that the next tick
    // does not ask again.
    struct Answer {
        std::int32_t id = 0;
        StdDate date = 0;
        StdTime time = 0;
        bool declined = false;
    };

    // Stores the occurrence asRead found due: task is it stamped and moved on. claimed tells whether the
    // occurrence is now this process's to perform; false with an ok status when somebody else changed
    // the task first.
    store::Status claim(const Task& asRead, Task task, platform::Moment reference, bool& claimed);
    std::string pendingTitle(const Task& task) const;
    void changed() const {
        if (m_changed) m_changed();
    }

    RecordTable<Task> m_schedule;
    const Settings& m_settings;
    platform::Platform m_platform;
    bool m_ticking = false;
    std::optional<Answer> m_answer;
    std::function<void()> m_changed;
    std::optional<RecordTable<RunEntry>> m_runLog;
    std::optional<MessageNotices> m_notices;
};

}  // namespace tarvelo
