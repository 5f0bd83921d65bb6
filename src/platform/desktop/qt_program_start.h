#pragma once
// Programs started detached through QProcess, in their start-in folder when it can be entered and in
// the current folder otherwise. The process's own current folder is never changed: the data files and
// every open window depend on it.
#include <functional>
#include <optional>
#include <string>

#include "platform/ports.h"
#include "platform/watched_start.h"

namespace tarvelo::platform {

class QtProgramStart : public ProgramStartPort {
public:
    bool start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) override;
    // From now on each program starts under this watcher, which logs its run. Where it cannot be
    // executed the program starts as without one, and unwatched hears of it (with whether it started).
    using Unwatched = std::function<void(const std::string& commandLine, const ProgramLabel& label, bool started)>;
    void watchWith(Watcher watcher, Unwatched unwatched) {
        m_watcher = std::move(watcher);
        m_unwatched = std::move(unwatched);
    }

private:
    std::optional<Watcher> m_watcher;
    Unwatched m_unwatched;
};

}  // namespace tarvelo::platform
