#pragma once
// Sliced jobs on the desktop: run in the progress window, one slice per timer event, as fast as the event
// loop allows, with Cancel between slices.
#include <string>

#include "platform/sliced_job.h"

class QWidget;

namespace tarvelo::platform {

// Runs a job in a ProgressWindow modal to parent; a job that may not be cancelled has no Cancel button.
class QtJobRunner : public JobRunner {
public:
    explicit QtJobRunner(QWidget* parent = nullptr) : m_parent(parent) {}
    bool run(const std::string& title, SlicedJob& job, bool cancellable = true) override;

private:
    QWidget* m_parent;
};

}  // namespace tarvelo::platform
