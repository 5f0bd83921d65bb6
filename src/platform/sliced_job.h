#pragma once
// A long read done a slice at a time, so that the window showing its progress stays responsive and its
// "Cancel" works between slices. The logic implements SlicedJob and hands it to a JobRunner: the desktop's
// runs it in a progress window (src/platform/desktop), the command line's and the tests' in a plain loop.
// Everything runs on the one GUI (or CLI main) thread.
#include <string>

namespace tarvelo::platform {

// What a progress window shows: the bar (0..100) and its two text lines.
struct Progress {
    int percent = 0;
    std::string upper;
    std::string lower;
    friend bool operator==(const Progress&, const Progress&) = default;
};

class SlicedJob {
public:
    enum class Step { more, done };

    virtual ~SlicedJob() = default;
    // One slice of the work (one timer event's worth). After it returns done it is not called again.
    virtual Step runSlice() = 0;
    // What to show now; read after each slice, and once before the first.
    virtual Progress progress() const = 0;
    // The user pressed "Cancel" (or closed the window) between two slices; no slice follows.
    virtual void cancel() {}
};

// Runs every slice of job at once, with nothing to show: the command line's way.
inline void runToEnd(SlicedJob& job) {
    while (job.runSlice() == SlicedJob::Step::more) {
    }
}

// "  7% Completed" (the number in three positions) or "7% Completed" (without the blanks).
std::string percentCompleted(int percent, bool padded);

// done * 100 / total, capped at 100 (100 for an empty total).
inline int percentOf(long long done, long long total) {
    if (total <= 0 || done >= total) return 100;
    return done <= 0 ? 0 : static_cast<int>(done * 100 / total);
}

// How the logic gets a sliced job run: the desktop shows its progress window (one slice per timer event,
// Cancel between slices); the command line and the tests run the slices one after another.
class JobRunner {
public:
    virtual ~JobRunner() = default;
    // Runs job until it is done or the user cancels it (then the job has been told). cancellable false
    // hides the window's Cancel. Returns false when it was cancelled.
    virtual bool run(const std::string& title, SlicedJob& job, bool cancellable = true) = 0;
};

// Slices one after another, with no window.
class LoopRunner : public JobRunner {
public:
    bool run(const std::string&, SlicedJob& job, bool = true) override {
        runToEnd(job);
        return true;
    }
};

}  // namespace tarvelo::platform
