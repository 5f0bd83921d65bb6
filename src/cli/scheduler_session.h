#pragma once
// The scheduler without a display, as the tick and run commands use it: the Schedule and History tables of
// the current folder held open (as the frame holds them), the settings of the INI files, and every effect
// on the user printed as a JSON line on standard output. Data-layer messages are printed the same way;
// a fatal one ends the process with its stop text on standard error. Each step of a tick that could not
// store what it had to prints an error of its own, naming the step:
//   {"event":"error","text":"The schedule could not be saved: database is locked (SQLITE_BUSY (5))","code":90,
//    "step":"task"}
// "task" (the due task: not performed), "warning" (the advance warning: not shown), "purge" (the expired
// completed tasks: kept until a later tick).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "engine/scheduler.h"
#include "platform/ports.h"

namespace tarvelo::cli {

// What the commands that act as the scheduler say of their output.
inline constexpr const char* kEffectsAsJson =
    "Every effect on the user (title, message box, sound, message window, program started, an error) is printed "
    "as a JSON line on standard output, as it happens; message boxes are answered at once.";

// The exit code of a tick: 0, 1 when the due task could not be stored (nothing of it performed),
// kPartlyDoneExitCode when only a later step failed.
int tickExitCode(const TickOutcome& outcome);

struct SchedulerOptions {
    std::optional<platform::Moment> at;  // tick at this moment instead of now
    std::optional<int> answer;     // the button every box is answered with when it offers it
};

class SchedulerSession {
public:
    explicit SchedulerSession(const SchedulerOptions& options);
    ~SchedulerSession();
    SchedulerSession(const SchedulerSession&) = delete;
    SchedulerSession& operator=(const SchedulerSession&) = delete;

    // Messages and advance warnings go to desktop first, as notices with the "Add to To Do List" action;
    // one it takes is printed as a "notification" event instead of its message window or box.
    // REQUIRES: desktop outlives the session.
    void notifyThrough(platform::NotificationPort& desktop);
    // One tick; each step that failed has been printed as an "error" event.
    TickOutcome tick();
    // Whether standard output has gone (the reader of the pipe has ended).
    bool outputLost() const;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

}  // namespace tarvelo::cli
