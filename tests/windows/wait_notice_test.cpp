// The word the program gives while it waits for a file another program keeps locked: painted at once
// where the user looks — the progress window of the job that waits, else the frame's status bar, else,
// before the frame is open, a small window of its own.
#include "widgets/wait_notice.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <gtest/gtest.h>

#include "fakes/fake_sliced_job.h"
#include "widgets/progress_window.h"

namespace tarvelo::widgets {
namespace {

const QString kWaiting = QStringLiteral("Waiting for TagFile_.KTB, which tarvelo96-cli (process 42) keeps locked: 3 of 30 seconds");
const QString kBrief = QStringLiteral("Waiting for TagFile_.KTB: 3 of 30 seconds");

QLabel* noticeWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QStringLiteral("WaitNotice") && w->isVisible()) return qobject_cast<QLabel*>(w);
    }
    return nullptr;
}

TEST(WaitNotice, BeforeTheFrameIsOpenItShowsAWindowOfItsOwnThatGoesWithTheFrame) {
    WaitNotice notice;
    notice.show(kWaiting, kBrief);
    ASSERT_NE(noticeWindow(), nullptr);
    EXPECT_EQ(noticeWindow()->text(), kWaiting);

    QMainWindow frame;
    notice.setStatusBar(frame.statusBar());
    EXPECT_EQ(noticeWindow(), nullptr);
    notice.show(kWaiting, kBrief);
    EXPECT_EQ(frame.statusBar()->currentMessage(), kBrief);
    EXPECT_EQ(frame.statusBar()->toolTip(), kWaiting) << "who holds it, at hand";
    EXPECT_EQ(noticeWindow(), nullptr);
}

TEST(WaitNotice, WhileAProgressWindowRunsASliceItShowsThereAndTheJobsLinesComeBack) {
    QMainWindow frame;
    WaitNotice notice;
    notice.setStatusBar(frame.statusBar());
    test::FakeSlicedJob job(2);
    ProgressWindow window(job, QStringLiteral("Progress..."), &frame);
    QString shownDuringTheSlice;
    job.afterSlice = [&](int slice) {
        if (slice != 1) return;
        notice.show(kWaiting, kBrief);  // as a wait inside the slice tells it
        shownDuringTheSlice = window.upperLine()->text();
    };

    EXPECT_EQ(window.run(), ProgressWindow::Outcome::finished);

    EXPECT_EQ(shownDuringTheSlice, kBrief);
    EXPECT_EQ(frame.statusBar()->currentMessage(), QString());
    EXPECT_EQ(window.upperLine()->text(), QStringLiteral("2 Found")) << "the job's own line again";
    EXPECT_EQ(ProgressWindow::slicing(), nullptr);
}

}  // namespace
}  // namespace tarvelo::widgets
