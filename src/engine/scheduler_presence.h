#pragma once
// The scheduler without a window (tarvelo96-cli run) says that it runs on a data folder by holding a
// shared lock on a file of its own there, so the window program can tell its user that the schedule is
// kept elsewhere too. Both go on performing tasks: each occurrence is claimed in a transaction, so it is
// performed once whoever finds it first. The lock is on a file no SQLite connection opens: closing any
// descriptor of a data file would drop the process's locks on it.
#include <string>

namespace tarvelo {

inline constexpr const char* kSchedulerLockName = "tarvelo96-scheduler.lock";

// Held while the scheduler runs; released when the process ends, however it ends.
class SchedulerPresence {
public:
    explicit SchedulerPresence(const std::string& folder);  // "" is the current folder
    ~SchedulerPresence();
    SchedulerPresence(const SchedulerPresence&) = delete;
    SchedulerPresence& operator=(const SchedulerPresence&) = delete;

    // False when the file could not be made or locked: the scheduler runs all the same, unannounced.
    bool announced() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Whether a scheduler without a window runs on folder now: one open and one lock attempt, cheap enough
// for every tick.
bool schedulerRunsElsewhere(const std::string& folder);

}  // namespace tarvelo
