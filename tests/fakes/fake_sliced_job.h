#pragma once
// A sliced job of a given number of slices, for the progress window's users: counts its slices, shows
// "slice n of N" and the percentage, and runs a hook after each slice (to press Cancel half-way).
#include <functional>
#include <string>

#include "platform/sliced_job.h"

namespace tarvelo::test {

class FakeSlicedJob : public platform::SlicedJob {
public:
    explicit FakeSlicedJob(int slices) : m_total(slices) {}

    Step runSlice() override {
        ++m_done;
        if (cancelled) ++slicesAfterCancel;
        if (afterSlice) afterSlice(m_done);
        return m_done >= m_total ? Step::done : Step::more;
    }
    platform::Progress progress() const override {
        const int percent = m_total == 0 ? 100 : m_done * 100 / m_total;
        return {percent, std::to_string(m_done) + " Found", platform::percentCompleted(percent, true)};
    }
    void cancel() override { cancelled = true; }

    int slices() const { return m_done; }

    std::function<void(int slice)> afterSlice;
    bool cancelled = false;
    int slicesAfterCancel = 0;

private:
    int m_total;
    int m_done = 0;
};

}  // namespace tarvelo::test
