#pragma once
// "Run Log": every run of a task's program, newest first, page-loaded like the other lists; below the
// list what the highlighted run was (its command line, when it started and ended, what became of it)
// and the last of its output, following the highlight wherever the keys or the mouse move it. The frame
// starts it as a child window; a second start raises the one that is open.
#include "data/windows/browse_window.h"

class QLabel;
class QPlainTextEdit;

namespace tarvelo::runlog {

class RunLogWindow : public BrowseWindow {
    Q_OBJECT
public:
    // Opens the window in host (the frame's document area), or raises the one open there already; it
    // deletes itself when closed. services must outlive it.
    static RunLogWindow* start(const ListServices& services, QWidget* host);
    explicit RunLogWindow(const ListServices& services, QWidget* parent = nullptr);

    QLabel* details() const { return m_details; }
    QPlainTextEdit* output() const { return m_output; }

protected:
    int sortForTab(int) const override { return 0; }  // one order, no tabs

private:
    void followList();

    QLabel* m_details = nullptr;
    QPlainTextEdit* m_output = nullptr;
};

}  // namespace tarvelo::runlog
