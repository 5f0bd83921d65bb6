#pragma once
// Programs started detached through QProcess, in their start-in folder when it can be entered and in
// the current folder otherwise. The process's own current folder is never changed: the data files and
// every open window depend on it.
#include <string>

#include "platform/ports.h"
#include "platform/watched_start.h"

namespace tarvelo::platform {

class QtProgramStart : public ProgramStartPort {
public:
    bool start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) override;
    // From now on each program starts under watching's watcher, which logs its run.
    void watchWith(Watching watching) { m_watching = std::move(watching); }

private:
    Watching m_watching;
};

}  // namespace tarvelo::platform
