#pragma once
// Starting a task's program without a display and without a shell: the command line is split as a shell
// would split it, the program is looked up on PATH (or taken as a path when it holds a slash, relative to
// the start-in folder) and runs detached, in a session of its own, so it outlives the scheduler and never
// becomes its zombie. Its standard input and output are /dev/null (the scheduler's output carries its
// event lines); its standard error is the scheduler's. The scheduler's own current folder is never
// changed: only the started child enters the start-in folder.
#include <optional>
#include <string>

#include "platform/ports.h"
#include "platform/watched_start.h"

namespace tarvelo::platform {

class PosixProgramStart : public platform::ProgramStartPort {
public:
    // True once the program is running; false when the line holds no program, the program cannot be
    // found or executed, or no process can be made.
    bool start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) override;
    // From now on each program starts under watching's watcher, which logs its run; without one (or
    // when it cannot be executed) programs start unwatched.
    void watchWith(Watching watching) { m_watching = std::move(watching); }

private:
    Watching m_watching;
};

}  // namespace tarvelo::platform
