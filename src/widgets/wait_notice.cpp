#include "widgets/wait_notice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QStatusBar>
#include <QWindow>

#include "widgets/progress_window.h"
#include "widgets/window_placement.h"

namespace tarvelo::widgets {

namespace {

// How long the status bar keeps the notice after the last word: the wait has ended by then.
constexpr int kStatusMs = 3000;

}  // namespace

WaitNotice::WaitNotice() = default;
WaitNotice::~WaitNotice() = default;

void WaitNotice::setStatusBar(QStatusBar* bar) {
    m_bar = bar;
    m_window.reset();
    // The tip goes with the notice.
    QObject::connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
        if (message.isEmpty()) bar->setToolTip(QString());
    });
}

void WaitNotice::show(const QString& text, const QString& brief) {
    if (ProgressWindow* progress = ProgressWindow::slicing()) {
        progress->showNotice(brief);
        return;
    }
    if (m_bar) {
        m_bar->showMessage(brief, kStatusMs);
        m_bar->setToolTip(text);
        m_bar->repaint();
        return;
    }
    if (!m_window) {
        m_window = std::make_unique<QLabel>();
        m_window->setObjectName(QStringLiteral("WaitNotice"));
        m_window->setWindowTitle(QStringLiteral("Tarvelo '96"));
        m_window->setFont(windowFont());
        m_window->setMargin(12);
    }
    m_window->setText(text);
    m_window->adjustSize();
    if (!m_window->isVisible()) {
        m_window->show();
        // A new window is painted only once the display has mapped it, which takes a turn of the event
        // loop. Before the frame opens nothing of the program's own waits on that loop (no window, no
        // timer), so a short turn here touches no table while the storage call waits.
        QElapsedTimer mapping;
        mapping.start();
        while (!(m_window->windowHandle() && m_window->windowHandle()->isExposed()) && mapping.elapsed() < 500) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        }
    }
    m_window->repaint();
}

}  // namespace tarvelo::widgets
