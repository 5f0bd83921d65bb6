#pragma once
// The progress window: a bar, two centred text lines and "Cancel", over a SlicedJob. Its timer runs one
// slice of the job per timer event, as fast as the event loop allows, so the window repaints and Cancel
// is seen between two slices; the job's progress is redrawn only when it changed.
//
// Two ways to use it: start() shows it beside the other windows and emits ended() when the job is over
// (a report goes on to its preview from there, without a nested event loop); run() shows it modal to its
// parent window and returns the outcome (a search waiting for its next match). Either way the window
// closes itself when the job ends; with Qt::WA_DeleteOnClose it then deletes itself.
//
// The job must outlive the window's slices (until ended()).
#include <QDialog>

#include "platform/sliced_job.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tarvelo::widgets {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    enum class Outcome { running, finished, cancelled };
    Q_ENUM(Outcome)

    // title: "Progress..." for a search, "Generating Report" for a report.
    ProgressWindow(platform::SlicedJob& job, const QString& title, QWidget* parent = nullptr);

    void start();
    Outcome run();
    Outcome outcome() const { return m_outcome; }

    QProgressBar* bar() const { return m_bar; }
    QLabel* upperLine() const { return m_upper; }
    QLabel* lowerLine() const { return m_lower; }
    QPushButton* cancelButton() const { return m_cancel; }

    // The window whose job is running a slice now, if any: a wait inside the slice is told there.
    static ProgressWindow* slicing();
    // Shows text in the upper line at once, until the job's progress is shown again after the slice.
    void showNotice(const QString& text);

signals:
    void ended(tarvelo::widgets::ProgressWindow::Outcome outcome);

public slots:
    // Cancel (and Escape): the job is told, and no further slice runs.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void runSlice();
    void refresh();
    void finish(Outcome outcome);

    platform::SlicedJob& m_job;
    Outcome m_outcome = Outcome::running;
    platform::Progress m_shown;
    bool m_everShown = false;
    QTimer* m_timer = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_upper = nullptr;
    QLabel* m_lower = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace tarvelo::widgets
