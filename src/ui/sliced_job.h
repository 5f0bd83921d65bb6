#pragma once
// A long read done a slice at a time, so that the window showing its progress stays responsive and its
// "Cancel" works between slices. The logic implements SlicedJob; a progress window (src/ui/qt) or a
// plain loop (the CLI, the tests) drives it. Everything runs on the one GUI (or CLI main) thread.
#include <string>

namespace tarvelo::ui {

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

}  // namespace tarvelo::ui
