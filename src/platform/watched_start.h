#pragma once
// Starting a task's program under its watcher: tarvelo96-watch, detached (a session of its own, never the
// starter's child, so never its zombie, and holding none of the starter's descriptors), which starts the
// program, waits for it and keeps its run log entry. The starter waits only for the watcher's word on
// whether the program could be started, never for the program.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/ports.h"

namespace tarvelo::platform {

struct Watcher {
    std::string program;     // the path of tarvelo96-watch
    std::string dataFolder;  // absolute: the watcher writes the run log of this folder's data file
};

enum class WatchedStart { started, notStarted, noWatcher };

// The watcher's word on descriptor kWatchReportFd, written once the program runs or could not start.
struct WatchReport {
    std::int32_t error = 0;    // 0 when the program runs, else the errno of its failed start
    std::int32_t watcher = 0;  // the watcher's process id
    Moment start;              // the run's start, as its entry holds it
};

// noWatcher when watcher.program cannot be executed: the caller starts the program as it would without a
// watcher. Otherwise started or notStarted as the program's start went (the watcher logs either way);
// report, when given, receives the watcher's word.
WatchedStart startWatched(const Watcher& watcher, const std::string& commandLine, const std::string& folder,
                          const ProgramLabel& label, WatchReport* report = nullptr);

// A starter's watching: the watcher each program starts under, and who hears of a program started
// without it because the watcher cannot be executed (with whether the program started).
using Unwatched = std::function<void(const std::string& commandLine, const ProgramLabel& label, bool started)>;
// Who hears of each program that runs under its watcher, with the watcher's word.
using Watched = std::function<void(const std::string& commandLine, const ProgramLabel& label, const WatchReport& report)>;
struct Watching {
    std::optional<Watcher> watcher;
    Unwatched unwatched;
    Watched watched;

    // Starts the program under the watcher; without one, or where it cannot be executed, through
    // startDirectly, telling unwatched in the latter case. True when the program runs.
    bool start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label,
               const std::function<bool()>& startDirectly) const;
};

// The watcher of the programs started on dataFolder: tarvelo96-watch where the programs find their
// helpers, writing to the absolute folder.
Watcher watcherFor(const std::string& dataFolder);

// The descriptor the watcher writes its word on the start to: a WatchReport, in one write.
inline constexpr int kWatchReportFd = 3;

// The absolute form of folder ("" for the current folder).
std::string absoluteFolder(const std::string& folder);

}  // namespace tarvelo::platform
