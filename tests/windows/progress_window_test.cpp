// The progress window over a sliced job: slices until the end, Cancel and the close box between slices.
#include "widgets/progress_window.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "fakes/fake_sliced_job.h"

namespace tarvelo::widgets {
namespace {

using test::FakeSlicedJob;
using Outcome = ProgressWindow::Outcome;

TEST(ProgressWindow, RunsEverySliceAndShowsTheLastProgress) {
    // GIVEN a job of four slices
    FakeSlicedJob job(4);
    ProgressWindow window(job, QStringLiteral("Generating Report"));
    // WHEN it runs to its end
    EXPECT_EQ(window.run(), Outcome::finished);
    // THEN every slice ran once, the window closed, and it shows the end
    EXPECT_EQ(job.slices(), 4);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Generating Report"));
    EXPECT_EQ(window.bar()->value(), 100);
    EXPECT_EQ(window.upperLine()->text(), QStringLiteral("4 Found"));
    EXPECT_EQ(window.lowerLine()->text(), QStringLiteral("100% Completed"));
}

TEST(ProgressWindow, ShowsTheProgressBeforeTheFirstSlice) {
    FakeSlicedJob job(10);
    ProgressWindow window(job, QStringLiteral("Progress..."));
    EXPECT_EQ(window.bar()->value(), 0);
    EXPECT_EQ(window.lowerLine()->text(), QStringLiteral("  0% Completed"));
}

struct CancelCase {
    const char* name;
    std::function<void(ProgressWindow&)> cancel;
};

class ProgressWindowCancel : public ::testing::TestWithParam<CancelCase> {};

TEST_P(ProgressWindowCancel, StopsBetweenSlicesAndTellsTheJob) {
    // GIVEN a long job, cancelled by the user after its third slice
    FakeSlicedJob job(1000);
    ProgressWindow window(job, QStringLiteral("Progress..."));
    job.afterSlice = [&](int slice) {
        if (slice == 3) QTimer::singleShot(0, &window, [&] { GetParam().cancel(window); });
    };
    // WHEN it runs
    const Outcome outcome = window.run();
    // THEN it ends cancelled, the job knows, and no slice ran after the cancel
    EXPECT_EQ(outcome, Outcome::cancelled);
    EXPECT_TRUE(job.cancelled);
    EXPECT_EQ(job.slicesAfterCancel, 0);
    EXPECT_LT(job.slices(), 1000);
    EXPECT_FALSE(window.isVisible());
}

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(
    Roads, ProgressWindowCancel,
    ::testing::Values(CancelCase{"CancelButton", [](ProgressWindow& w) { w.cancelButton()->click(); }},
                      CancelCase{"CloseBox", [](ProgressWindow& w) { w.close(); }},
                      CancelCase{"EscapeKey", [](ProgressWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressWindow, StartedWindowEndsBySignalAndDeletesItself) {
    // GIVEN a started window that deletes itself on close
    FakeSlicedJob job(3);
    QPointer<ProgressWindow> window = new ProgressWindow(job, QStringLiteral("Generating Report"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    QSignalSpy ended(window.data(), &ProgressWindow::ended);
    // WHEN it is started and the event loop runs
    window->start();
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(ended.wait(5000));
    // THEN it ended finished after the three slices, and is gone
    EXPECT_EQ(ended.at(0).at(0).value<Outcome>(), Outcome::finished);
    EXPECT_EQ(job.slices(), 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
}

}  // namespace
}  // namespace tarvelo::widgets
