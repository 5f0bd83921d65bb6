#include "widgets/progress_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <utility>

#include "widgets/default_button.h"
#include "widgets/window_placement.h"

namespace tarvelo::widgets {

namespace {

ProgressWindow* g_slicing = nullptr;

QRect dialogRect(const QWidget& window, int x, int y, int width, int height) {
    return {QPoint(dialogSize(window, x, y).width(), dialogSize(window, x, y).height()), dialogSize(window, width, height)};
}

}  // namespace

ProgressWindow::ProgressWindow(platform::SlicedJob& job, const QString& title, QWidget* parent) : QDialog(parent), m_job(job) {
    setFont(windowFont());
    setWindowTitle(title);
    // As wide as its title needs, the controls kept in the middle.
    const QSize designed = dialogSize(*this, 142, 59);
    setFixedSize(std::max(designed.width(), titleBarWidth(*this)), designed.height());
    const int shift = (width() - designed.width()) / 2;

    m_upper = new QLabel(this);
    m_upper->setAlignment(Qt::AlignCenter);
    m_upper->setGeometry(dialogRect(*this, 0, 3, 142, 10).adjusted(0, 0, 2 * shift, 0));

    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setGeometry(dialogRect(*this, 15, 15, 111, 12).translated(shift, 0));

    m_lower = new QLabel(this);
    m_lower->setAlignment(Qt::AlignCenter);
    m_lower->setGeometry(dialogRect(*this, 0, 30, 142, 10).adjusted(0, 0, 2 * shift, 0));

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setGeometry(dialogRect(*this, 45, 42, 50, 15).translated(shift, 0));
    setDefaultButton(*m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressWindow::reject);

    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &ProgressWindow::runSlice);
    refresh();
}

void ProgressWindow::start() {
    show();
    m_timer->start();
}

ProgressWindow::Outcome ProgressWindow::run() {
    setWindowModality(parentWidget() != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    m_timer->start();
    if (m_outcome == Outcome::running) exec();
    return m_outcome;
}

ProgressWindow* ProgressWindow::slicing() { return g_slicing; }

void ProgressWindow::showNotice(const QString& text) {
    m_upper->setText(text);
    m_upper->repaint();
    m_everShown = false;  // the next refresh puts the job's own lines back
}

void ProgressWindow::runSlice() {
    if (m_outcome != Outcome::running) return;
    ProgressWindow* const outer = std::exchange(g_slicing, this);
    const platform::SlicedJob::Step step = m_job.runSlice();
    g_slicing = outer;
    refresh();
    if (step == platform::SlicedJob::Step::done) finish(Outcome::finished);
}

void ProgressWindow::refresh() {
    platform::Progress now = m_job.progress();
    if (m_everShown && now == m_shown) return;
    m_everShown = true;
    m_bar->setValue(std::clamp(now.percent, 0, 100));
    m_upper->setText(QString::fromStdString(now.upper));
    m_lower->setText(QString::fromStdString(now.lower));
    m_shown = std::move(now);
}

void ProgressWindow::reject() {
    if (m_outcome != Outcome::running) {
        QDialog::reject();
        return;
    }
    m_job.cancel();
    finish(Outcome::cancelled);
}

void ProgressWindow::finish(Outcome outcome) {
    if (m_outcome != Outcome::running) return;
    m_timer->stop();
    m_outcome = outcome;
    emit ended(outcome);
    done(outcome == Outcome::finished ? QDialog::Accepted : QDialog::Rejected);
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    if (m_outcome == Outcome::running) {
        // The close box cancels like the button; done() then closes the window for good.
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace tarvelo::widgets
