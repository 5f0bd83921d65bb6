#pragma once
// Long reads done a slice at a time, so that a window showing their progress stays responsive: the
// desktop's progress window runs one slice per timer event and offers Cancel between slices; the command
// line and the tests simply run the slices one after another.
#include <string>

namespace tarvelo::search {

// What a progress window shows: a bar and two text lines.
struct Progress {
    int percent = 0;        // 0 .. 100
    std::string upperLine;  // "3 Found", "Counting Tags"
    std::string lowerLine;  // "40% Completed", "1200"
    friend bool operator==(const Progress&, const Progress&) = default;
};

class SlicedJob {
public:
    virtual ~SlicedJob() = default;
    // Does one slice of the work; returns false when the work is finished (nothing is left to do).
    virtual bool step() = 0;
    virtual Progress progress() const = 0;
    // Whether the window offers Cancel. A cancelled job is left where its last slice ended.
    virtual bool cancellable() const { return true; }
};

// Runs a job to its end. Returns false when the user cancelled it before it finished.
class JobRunner {
public:
    virtual ~JobRunner() = default;
    virtual bool run(const std::string& title, SlicedJob& job) = 0;
};

// Slices one after another, with no window: for the command line and the tests.
class LoopRunner : public JobRunner {
public:
    bool run(const std::string&, SlicedJob& job) override {
        while (job.step()) {
        }
        return true;
    }
};

// A percentage of done out of total, 0 .. 100 (100 for an empty total).
inline int percentOf(long long done, long long total) {
    if (total <= 0 || done >= total) return 100;
    return done <= 0 ? 0 : static_cast<int>(done * 100 / total);
}

}  // namespace tarvelo::search
