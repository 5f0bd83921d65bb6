#pragma once
// The scheduler's timer steps: on every tick of the frame's timer, while the scheduler is active, the
// earliest due task is performed (checkDueTask), the earliest passed advance warning is shown
// (checkAdvanceWarning) and expired completed copies are removed (purgeHistory) — at most one task and one
// warning per tick; the rest follow on later ticks.
//
// Ownership and threading: a Scheduler works on the Schedule table it is given, which must stay open
// while it ticks, and on the program-wide settings, read afresh on every tick (the setup window changes
// them in place). Everything runs on the one GUI (or CLI main) thread. A modal box shown by a step runs a
// nested event loop in which the frame's timer keeps firing; tick() refuses to start while another tick is
// under way, so prompts never pile up.
//
// Writes. Moving a task on and adding its completed copy are one transaction: either both are stored or
// neither. When that write fails the task stays due; the Scheduler remembers the occurrence it performed
// and, when the same occurrence comes up again on a later tick, only writes it — it is not announced or
// performed a second time. Other write failures of the steps are ignored, as the user cannot act on them.
#include <optional>

#include "core/settings.h"
#include "data/record_table.h"
#include "data/records.h"
#include "ui/ports.h"

namespace tarvelo {

inline constexpr const char* kInactiveTitle = "Pellacorp Scheduler (Inactive)";
// Message windows the engine lets be open at once; the next message goes to a plain message box.
inline constexpr int kEngineMessageWindowLimit = 60;
// The run code of a program that could not be started.
inline constexpr int kRunCodeNotStarted = -4;

struct PerformPorts {
    ui::MessageBoxPort& messages;
    ui::ProgramStartPort& programs;
    ui::MessageWindowPort& messageWindows;
};

// Performs a task: shows its message ("Display Message", "Both") in a new message window while fewer than
// messageWindowLimit are open, else in a plain modal box; then starts its program ("Run Program", "Both")
// in its start-in folder, reporting a start that fails in the "Error Starting " box. Shared with the
// schedule browse's "Run Now", which has a limit of its own. Returns the run code (0 when no program was
// to be started).
int performTask(const Schedule& task, int messageWindowLimit, const PerformPorts& ports);

struct SchedulerPorts {
    ui::ClockPort& clock;
    ui::FramePort& frame;
    ui::MessageBoxPort& messages;
    ui::SoundPort& sound;
    ui::ProgramStartPort& programs;
    ui::MessageWindowPort& messageWindows;
};

class Scheduler {
public:
    Scheduler(RecordTable<Schedule> schedule, const Settings& settings, SchedulerPorts ports);

    // One timer tick: the three steps in order while settings.schedulerActive is set, otherwise only the
    // inactive title. Returns at once when called while a tick is running.
    void tick();
    bool isTicking() const { return m_ticking; }

    // The steps one by one, for the frame's tests and the benchmark; tick() is the entry point.
    void checkDueTask();
    void checkAdvanceWarning();
    void purgeHistory();

private:
    // An occurrence that was performed (or passed over) but whose write failed.
    struct Unsaved {
        std::int32_t id = 0;
        StdDate date = 0;
        StdTime time = 0;
        bool stamped = false;
        ui::Moment stamp;
    };

    bool writeOccurrence(Schedule task, Schedule copy, ui::Moment reference);
    std::string pendingTitle(const Schedule& task) const;

    RecordTable<Schedule> m_schedule;
    const Settings& m_settings;
    SchedulerPorts m_ports;
    bool m_ticking = false;
    std::optional<Unsaved> m_unsaved;
};

}  // namespace tarvelo
