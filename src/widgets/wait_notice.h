#pragma once
// Tells the user that the program waits for a file another program keeps locked, while it waits: the
// waiting happens inside a storage call on the GUI thread, so the notice is painted at once rather than
// left to the event loop. The brief text goes to the upper line of a progress window running a slice,
// else to the frame's status bar (for a few seconds after the last word, the whole text as its tip), and
// before the frame is open the whole text to a small window of its own, which closes when the frame
// takes over.
#include <memory>

#include <QString>

class QLabel;
class QStatusBar;

namespace tarvelo::widgets {

class WaitNotice {
public:
    WaitNotice();
    ~WaitNotice();
    WaitNotice(const WaitNotice&) = delete;
    WaitNotice& operator=(const WaitNotice&) = delete;

    // From now on the notice goes to bar (the frame's).
    void setStatusBar(QStatusBar* bar);
    void show(const QString& text, const QString& brief);

private:
    QStatusBar* m_bar = nullptr;
    std::unique_ptr<QLabel> m_window;
};

}  // namespace tarvelo::widgets
