#include "platform/desktop/qt_job_runner.h"

#include <QPushButton>

#include "widgets/progress_window.h"

namespace tarvelo::platform {

bool QtJobRunner::run(const std::string& title, SlicedJob& job, bool cancellable) {
    widgets::ProgressWindow window(job, QString::fromStdString(title), m_parent);
    window.cancelButton()->setVisible(cancellable);
    return window.run() == widgets::ProgressWindow::Outcome::finished;
}

}  // namespace tarvelo::platform
