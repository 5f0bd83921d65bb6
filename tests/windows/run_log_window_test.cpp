// The Run Log window driven through its widgets: opened from the frame's Schedule menu by keyboard, the
// runs newest first, the output below the list following the highlight across a page boundary, Escape
// closing it; and the schedule browse's Last Result as the frame wires it.
#include "runlog/windows/run_log_window.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "app/frame_lists.h"
#include "app/frame_schedule.h"
#include "app/main_frame.h"
#include "core/profile.h"
#include "data/tags.h"
#include "fakes/browse_builders.h"
#include "fakes/run_entries.h"
#include "qt_environment.h"
#include "runlog/run_log.h"
#include "runlog/run_log_list.h"
#include "widgets/page_list_view.h"
#include "window_fixture.h"

namespace tarvelo {
namespace {

const StdDate kDay = dateFromYmd(1997, 1, 31);

class RunLogWindowTest : public test::WindowDataTest {
protected:
    RunLogWindowTest() : WindowDataTest("run_log_window") {
        test::clearIniFiles();
        app::setListCommands(frame, services);
        frame.resize(900, 700);
        frame.show();
        frame.activateWindow();
    }

    // Run n starts n minutes into the day, by task n, and says so in its output.
    void addRuns(int count) {
        const TableUse use(files, TableId::runLog);
        for (int n = 1; n <= count; ++n) {
            RunEntry e = test::runEntry(n, kDay, runlog::RunState::ended, n * 6000 + 1, n % 4 == 0 ? 3 : 0);
            e.command = "/usr/bin/job " + std::to_string(n);
            e.endDate = e.startDate;
            e.endTime = e.startTime;
            e.output = "line one\noutput of run " + std::to_string(n) + "\n";
            ASSERT_TRUE(runlog::addEntry(files.runLog(), e).ok());
        }
    }
    runlog::RunLogWindow* openByKeyboard() {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&frame));
        QTest::keyClick(&frame, Qt::Key_S, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        EXPECT_NE(menu, nullptr);
        if (!menu) return nullptr;
        EXPECT_EQ(menu->title().toStdString(), "&Schedule");
        QTest::keyClick(menu, Qt::Key_R);
        auto* window = frame.findChild<runlog::RunLogWindow*>();
        if (window) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        }
        return window;
    }
    static std::string lastOutputLine(const runlog::RunLogWindow& w) {
        const QStringList lines = w.output()->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return lines.isEmpty() ? std::string() : lines.last().toStdString();
    }
    static int highlightedTask(runlog::RunLogWindow& w) {
        const std::string text = w.list().cell(w.list().highlighted(), 2).text;
        EXPECT_NE(text.find_first_of("0123456789"), std::string::npos) << "row " << w.list().highlighted() << " of " << w.list().entryCount();
        return std::atoi(text.c_str());
    }

    ListServices services{files};
    Settings settings;
    app::MainFrame frame{settings};
};

TEST_F(RunLogWindowTest, GivenMoreRunsThanAPageThenTheOutputFollowsTheHighlightNewestFirstAndEscapeCloses) {
    addRuns(60);
    QPointer<runlog::RunLogWindow> window = openByKeyboard();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle().toStdString(), "Run Log");
    QTableView* table = window->panel()->view()->table();
    EXPECT_TRUE(table->hasFocus());

    // The newest run first, its output and command below the list.
    const int rows = window->list().rowCount();
    ASSERT_GT(rows, 2);
    ASSERT_LT(rows, 40);
    EXPECT_EQ(highlightedTask(*window), 60);
    EXPECT_EQ(lastOutputLine(*window), "output of run 60");
    EXPECT_NE(window->details()->text().toStdString().find("/usr/bin/job 60"), std::string::npos);
    EXPECT_EQ(std::string(window->list().cell(0, 4).text), "3");  // 60 failed

    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_EQ(highlightedTask(*window), 59);
    EXPECT_EQ(lastOutputLine(*window), "output of run 59");

    // Down past the page's last row: the next runs are read in, and the output still follows.
    for (int i = 0; i < rows + 2; ++i) QTest::keyClick(table, Qt::Key_Down);
    const int expected = 59 - rows - 2;
    EXPECT_EQ(highlightedTask(*window), expected);
    EXPECT_EQ(lastOutputLine(*window), "output of run " + std::to_string(expected));
    EXPECT_EQ(window->list().entryCount(), rows);
    QTest::keyClick(table, Qt::Key_PageDown);
    EXPECT_EQ(lastOutputLine(*window), "output of run " + std::to_string(highlightedTask(*window)));
    EXPECT_LT(highlightedTask(*window), expected);

    // A click on another row shows that run's output too.
    const QRect second = table->visualRect(table->model()->index(1, 3));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(lastOutputLine(*window), "output of run " + std::to_string(highlightedTask(*window)));

    // The window has no default button: Enter neither closes it nor moves the highlight.
    const int clicked = highlightedTask(*window);
    QTest::keyClick(table, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(highlightedTask(*window), clicked);

    QTest::keyClick(table, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(files.useCount(TableId::runLog), 0);
}

TEST_F(RunLogWindowTest, GivenTheWindowIsOpenWhenTheEntryIsChosenAgainThenTheSameWindowIsRaised) {
    addRuns(2);
    frame.action(app::FrameCommand::runLog)->trigger();
    auto* first = frame.findChild<runlog::RunLogWindow*>();
    ASSERT_NE(first, nullptr);
    frame.action(app::FrameCommand::toDoList)->trigger();
    frame.action(app::FrameCommand::runLog)->trigger();
    EXPECT_EQ(frame.findChildren<runlog::RunLogWindow*>().size(), 1);
    EXPECT_EQ(frame.mdiArea()->activeSubWindow()->widget(), first);
}

TEST_F(RunLogWindowTest, GivenProgramTasksThatRanThenTheScheduleBrowseShowsTheirLastResultAndItsTip) {
    {
        const TableUse use(files, TableId::schedule);
        for (int id : {1, 2}) {
            Task t = test::scheduled("Task " + std::to_string(id), kDay, id * 6000 + 1);
            t.id = id;
            t.taskType = TaskType::RunProgram;
            ASSERT_TRUE(files.schedule().add(t).ok());
        }
    }
    addRuns(4);  // task 4's run failed; tasks 1 and 2 ended well
    {
        const TableUse use(files, TableId::runLog);
        RunEntry failed;
        failed.task = 2;
        failed.startDate = failed.endDate = kDay;
        failed.startTime = failed.endTime = 99 * 6000 + 1;
        failed.state = "ended";
        failed.signal = 9;
        ASSERT_TRUE(runlog::addEntry(files.runLog(), failed).ok());
    }
    settings.showFullSchedule = 1;
    platform::LoopRunner tagRunner;
    Tags tags{files, tagRunner};
    const ProfileFile pellschd("PELLSCHD.INI", dataFolder);
    const TaskFormServices taskForms{files, fake, {pellschd}};
    runlog::RunLogLastRuns lastRuns(files.table(TableId::runLog));
    const ScheduleBrowseServices schedule = app::scheduleBrowseServices(services, taskForms, settings, tags, nullptr, &lastRuns);
    auto* window = BrowseScheduleWindow::start(schedule, frame.mdiArea());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QAbstractItemModel* model = window->panel()->view()->table()->model();
    EXPECT_EQ(model->headerData(kLastResultColumn, Qt::Horizontal).toString().toStdString(), "Last Result");
    EXPECT_EQ(model->index(0, kLastResultColumn).data().toString().toStdString(), "0");
    EXPECT_EQ(model->index(1, kLastResultColumn).data().toString().toStdString(), "signal 9");
    EXPECT_EQ(model->index(1, kLastResultColumn).data(Qt::ForegroundRole).value<QColor>(), QColor(192, 0, 0));
    EXPECT_EQ(model->index(1, kLastResultColumn).data(Qt::ToolTipRole).toString().toStdString(),
              "ended by signal 9 (Killed) at Jan 31, 1997 1:39AM");
    EXPECT_FALSE(model->index(0, kLastResultColumn).data(Qt::ForegroundRole).isValid());
    window->close();
}

}  // namespace
}  // namespace tarvelo
