#pragma once
// How the search logic gets a sliced job run: the desktop shows its progress window (one slice per timer
// event, Cancel between slices); the command line and the tests run the slices one after another.
#include <string>

#include "ui/sliced_job.h"

namespace tarvelo::search {

class JobRunner {
public:
    virtual ~JobRunner() = default;
    // Runs job until it is done or the user cancels it (then the job has been told). cancellable false
    // hides the window's Cancel. Returns false when it was cancelled.
    virtual bool run(const std::string& title, ui::SlicedJob& job, bool cancellable = true) = 0;
};

// Slices one after another, with no window.
class LoopRunner : public JobRunner {
public:
    bool run(const std::string&, ui::SlicedJob& job, bool = true) override {
        ui::runToEnd(job);
        return true;
    }
};

// done * 100 / total, capped at 100 (100 for an empty total).
inline int percentOf(long long done, long long total) {
    if (total <= 0 || done >= total) return 100;
    return done <= 0 ? 0 : static_cast<int>(done * 100 / total);
}

}  // namespace tarvelo::search
