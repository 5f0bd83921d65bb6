#pragma once
// "Run Now": performs one task at once, outside its schedule, and keeps a History entry of it. The task
// is not moved on: its date, time, skip flag and advance warning stay as they are; only its last-run
// stamps change.
//
// Stored first, performed after. One transaction writes the stamped task over the stored row it was read from and
// adds the History entry (the task as stamped, under the next HIS:ID, completed); only after the commit are the alarm
// played, the message shown and the program started, by the same performing function as the engine's. So a Run Now
// that cannot be stored performs nothing, and says so with the data layer's messages: the transaction that cannot
// begin (kWarnTransactionFramingError), a task changed by somebody else since it was read (kWarnUpdateOperationError,
// then kWarnRecordUpdateError offers to run the task as it is stored now), any other failed write
// (kWarnUpdateOperationError).
//
// Threading: the GUI (or CLI main) thread, like the ports.
#include <cstdint>

#include "data/data_files.h"
#include "data/records.h"
#include "engine/scheduler.h"
#include "platform/ports.h"

namespace tarvelo {

// Message windows Run Now lets be open at once (the engine lets 60); the next message goes to a plain box.
inline constexpr int kRunNowMessageWindowLimit = 55;

struct RunNowPorts {
    platform::ClockPort& clock;
    platform::SoundPort& sound;
    platform::MessageBoxPort& messages;
    platform::ProgramStartPort& programs;
    platform::MessageWindowPort& messageWindows;
};

struct RunNowOutcome {
    bool performed = false;  // stored, then performed
    History entry;           // the History entry added (when performed)
    int runCode = 0;         // of the program started; kRunCodeNotStarted when it could not be
};

// REQUIRES: task was read from the Schedule table (its ref names the stored row). On return task is as
// stored: stamped after a Run Now that was performed, otherwise as it was.
RunNowOutcome runNow(DataFiles& files, Task& task, const RunNowPorts& ports);

}  // namespace tarvelo
