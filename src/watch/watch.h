#pragma once
// tarvelo96-watch: the watcher a scheduler starts each task's program under. It starts the program as a
// scheduler would (the shared command-line splitting, no shell, the start-in folder, the environment it
// was given), tells its starter on descriptor 3 whether the program runs (and names the run, so the
// starter adds it to the run log as "running"), keeps the last 4 KB of the program's standard output and
// error, waits for it and stores the run's end in the data folder named by absolute path: "ended" with
// its exit status, "not started" when it could not be started; a whole entry when its starter's is not
// there. Its starter detaches it (a session of its own), so it outlives the scheduler.
//
// A program of its own, linking the run log and the data files and nothing of Qt: it is started once per
// task's program, so what it loads is paid at every start.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::watch {

struct WatchRequest {
    std::string data;  // the data folder, absolute
    std::int32_t task = 0;
    std::string description;
    std::string startIn;
    std::string command;
};

// The request of a command line: --data=DIR --task=N --command=LINE [--description=TEXT] [--start-in=DIR],
// each as one word, so an empty value is a value. Nothing (and the problem in *problem) when a word is
// unknown, the task is no number, or --data, --task or --command is missing.
std::optional<WatchRequest> parseRequest(const std::vector<std::string>& words, std::string* problem);

// Watches request's program to its end; the exit code of the watcher: 0 once its entry is stored.
int watch(const WatchRequest& request);

}  // namespace tarvelo::watch
