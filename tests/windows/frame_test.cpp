// The main frame: caption, menu, status bar, the guarded tick, and its close.
#include "app/main_frame.h"

#include <csignal>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

#include "core/profile.h"
#include "core/settings.h"
#include "app/help_window.h"
#include "placement_expect.h"
#include "qt_environment.h"
#include "platform/desktop/termination_signal.h"
#include "widgets/window_placement.h"
#include "fakes/case_names.h"

namespace tarvelo::app {
namespace {

// One line per menu entry, indented by depth: "text | help line", "(disabled)" when so; "-" a separator.
void render(const QMenu* menu, int depth, std::vector<std::string>& out) {
    for (const QAction* a : menu->actions()) {
        std::string line(static_cast<std::size_t>(depth) * 2, ' ');
        if (a->isSeparator()) {
            out.push_back(line + "-");
            continue;
        }
        line += a->text().toStdString();
        if (!a->statusTip().isEmpty()) line += " | " + a->statusTip().toStdString();
        if (!a->isEnabled()) line += " (disabled)";
        out.push_back(line);
        if (a->menu() != nullptr) render(a->menu(), depth + 1, out);
    }
}

std::vector<std::string> renderMenuBar(const QMenuBar* bar) {
    std::vector<std::string> out;
    for (const QAction* a : bar->actions()) {
        std::string line = a->text().toStdString();
        if (!a->statusTip().isEmpty()) line += " | " + a->statusTip().toStdString();
        out.push_back(line);
        render(a->menu(), 1, out);
    }
    return out;
}

// Runs f on the next turn of whatever event loop is running, e.g. the loop of a modal box.
void soon(int ms, std::function<void()> f) { QTimer::singleShot(ms, qApp, std::move(f)); }

// Closes the modal widget that is open ms from now; the box answers with its escape/default button.
void closeModalSoon(int ms) {
    soon(ms, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { test::clearIniFiles(); }

    QTimer* tickTimer(MainFrame& frame) { return frame.findChild<QTimer*>(QStringLiteral("tickTimer")); }

    Settings m_settings;
};

TEST_F(FrameTest, GivenANewFrameThenItHasItsCaptionIconAndDesignedSize) {
    MainFrame frame(m_settings);
    EXPECT_EQ(frame.windowTitle().toStdString(), "Tarvelo '96");
    EXPECT_EQ(frame.font().pointSize(), 8);
    EXPECT_EQ(frame.size(), widgets::dialogSize(frame, 500, 300));
    EXPECT_NE(frame.mdiArea(), nullptr);
}

TEST_F(FrameTest, GivenANewFrameThenTheMenuHasEveryEntryInOrderWithItsHelpLine) {
    MainFrame frame(m_settings);
    const std::vector<std::string> expected = {
        "&File",
        "  &Setup | Set preferences (disabled)",
        "  &Print Setup ... | Setup printer",
        "  -",
        "  Export as &Calendar... | Write the schedule as an iCalendar file for other calendars (disabled)",
        "  &Import Calendar... | Add tasks from the events of an iCalendar file (disabled)",
        "  -",
        "  E&xit | Exit this application",
        "&Schedule",
        "  &Browse Schedule | Browse Schedule (disabled)",
        "  &Wizards | Quickly make schedule additions and changes",
        "    Add &Message | Add a message to be displayed (disabled)",
        "    Add &Program | Add a program to the schedule (disabled)",
        "    Generic &Add | Add a message, program, both or neither (disabled)",
        "  -",
        "  &To Do List | To Do List (disabled)",
        "  &Categories | Browse Categories (disabled)",
        "  &Run Log | What became of each program a task started (disabled)",
        "&Reports | Report data",
        "  Report Schedule",
        "    Print by Date | Print ordered by Date (disabled)",
        "    Print by Category | Print ordered by Category (disabled)",
        "  List Categories | Print ordered by Category (disabled)",
        "  &Print To Do List | Print To Do List (disabled)",
        "&Window | Create and Arrange windows",
        "  T&ile | Make all open windows visible",
        "  &Cascade | Stack all open windows",
        "  &Arrange Icons | Align all window icons",
        "&Help | Windows Help",
        "  &Contents | View the contents of the help file",
        "  &Search for Help On... | Search for help on a subject",
        "  &How to Use Help | How to use Windows Help",
        "  -",
        "  &About | About this program",
    };
    EXPECT_EQ(renderMenuBar(frame.menuBar()), expected);
}

TEST_F(FrameTest, GivenACommandWhenItIsSetThenItsEntryIsEnabledAndRunsIt) {
    MainFrame frame(m_settings);
    int runs = 0;
    frame.setCommand(FrameCommand::browseSchedule, [&] { ++runs; });
    QAction* browse = frame.action(FrameCommand::browseSchedule);
    ASSERT_TRUE(browse->isEnabled());
    browse->trigger();
    EXPECT_EQ(runs, 1);

    frame.setCommand(FrameCommand::browseSchedule, {});
    EXPECT_FALSE(browse->isEnabled());
    browse->trigger();
    EXPECT_EQ(runs, 1);
}

TEST_F(FrameTest, GivenTheMenuEntryUnderThePointerThenItsHelpLineShowsInTheStatusBar) {
    MainFrame frame(m_settings);
    frame.show();
    for (QAction* a : frame.menuBar()->actions()[0]->menu()->actions()) {
        if (a->text() == QStringLiteral("E&xit")) a->showStatusText(&frame);
    }
    EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "Exit this application");
}

TEST_F(FrameTest, GivenTheStatusBarThenItHasAVariableZoneAndThreeOf80_120And45Units) {
    MainFrame frame(m_settings);
    std::vector<int> widths;
    for (QLabel* zone : frame.statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        widths.push_back(zone->minimumWidth());
    }
    EXPECT_EQ(widths, (std::vector<int>{widgets::dialogWidth(frame, 80), widgets::dialogWidth(frame, 120),
                                        widgets::dialogWidth(frame, 45)}));
}

TEST_F(FrameTest, GivenTheFrameIsShownThenItsTimerTicksEveryFiveSecondsIntoTheHandler) {
    MainFrame frame(m_settings);
    int ticks = 0;
    frame.setTickHandler([&] { ++ticks; });
    QTimer* timer = tickTimer(frame);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_FALSE(timer->isActive());  // the timer runs from the opening of the frame
    frame.show();
    EXPECT_TRUE(timer->isActive());
    timer->setInterval(5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 2000));
    EXPECT_GE(ticks, 3);
}

TEST_F(FrameTest, GivenATickShowingAModalBoxWhenTheTimerFiresMeanwhileThenTheTickIsNotReentered) {
    MainFrame frame(m_settings);
    int calls = 0;
    int depth = 0;
    int deepest = 0;
    frame.setTickHandler([&] {
        ++calls;
        deepest = std::max(deepest, ++depth);
        if (calls == 1) {
            // The box's own event loop keeps the frame's timer firing for 300 ms.
            closeModalSoon(300);
            QMessageBox box(QMessageBox::Question, QStringLiteral("Missed Task"), QStringLiteral("Run it now?"),
                            QMessageBox::Yes | QMessageBox::No, &frame);
            box.exec();
        }
        --depth;
    });
    frame.show();
    tickTimer(frame)->setInterval(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls >= 3; }, 3000));
    EXPECT_EQ(deepest, 1);
    EXPECT_GE(calls, 3);  // ticks resume once the box is closed
}

TEST_F(FrameTest, GivenSetupIsRunningThenNoTickRunsUntilItIsClosed) {
    MainFrame frame(m_settings);
    int ticks = 0;
    int ticksDuringSetup = -1;
    frame.setTickHandler([&] { ++ticks; });
    frame.setCommand(FrameCommand::setup, [&] {
        const int before = ticks;
        closeModalSoon(250);
        QDialog setup(&frame);
        setup.exec();
        ticksDuringSetup = ticks - before;
    });
    frame.show();
    tickTimer(frame)->setInterval(10);
    frame.action(FrameCommand::setup)->trigger();
    EXPECT_EQ(ticksDuringSetup, 0);
    EXPECT_FALSE(frame.isTickRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 2000));
    EXPECT_GT(ticks, 0);
}

TEST_F(FrameTest, GivenTheAboutEntryThenAMessageBoxCaptionedAboutNamesTheProgram) {
    MainFrame frame(m_settings);
    frame.show();
    QString caption;
    QString text;
    soon(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle();
            text = box->text();
            box->close();
        }
    });
    for (QAction* a : frame.menuBar()->actions()[4]->menu()->actions()) {
        if (a->text() == QStringLiteral("&About")) a->trigger();
    }
    EXPECT_EQ(caption.toStdString(), "About");
    EXPECT_TRUE(text.contains(QStringLiteral("Tarvelo '96"))) << text.toStdString();
}

TEST_F(FrameTest, GivenTheHelpEntriesThenTheProgramsOwnHelpWindowOpensOnTheRightPage) {
    MainFrame frame(m_settings);
    frame.showHelpContents();
    auto* help = frame.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->browser()->source().toString().toStdString(), "qrc:/help/contents.html");
    frame.showHelpOnHelp();
    EXPECT_EQ(help->browser()->source().toString().toStdString(), "qrc:/help/using_help.html");
    frame.showHelpSearch();
    EXPECT_EQ(frame.findChildren<HelpWindow*>().size(), 1);  // one help window, reused
}

TEST_F(FrameTest, GivenMinimizedSubWindowsWhenArrangingIconsThenTheyLineUpAlongTheBottom) {
    MainFrame frame(m_settings);
    frame.show();
    QMdiArea* mdi = frame.mdiArea();
    std::vector<QMdiSubWindow*> subs;
    for (int i = 0; i < 3; ++i) {
        subs.push_back(mdi->addSubWindow(new QLabel(QStringLiteral("child"))));
        subs.back()->resize(200, 120);
        subs.back()->show();
    }
    subs[0]->showMinimized();
    subs[2]->showMinimized();
    frame.arrangeIcons();
    const int bottom = mdi->viewport()->rect().bottom() + 1;
    EXPECT_EQ(subs[0]->geometry().bottom() + 1, bottom);
    EXPECT_EQ(subs[0]->pos().x(), 0);
    EXPECT_EQ(subs[2]->pos().y(), subs[0]->pos().y());
    EXPECT_EQ(subs[2]->pos().x(), subs[0]->width());
}

TEST_F(FrameTest, GivenTheFrameWhenClosedThenTablesAreLetGoOnceAndItsPositionIsSavedUnderMain) {
    MainFrame frame(m_settings);
    int closeDowns = 0;
    frame.setCloseDownHandler([&] { ++closeDowns; });
    QSignalSpy closed(&frame, &MainFrame::closedDown);
    frame.setGeometry(60, 96, 700, 420);  // on the 800 x 600 offscreen screen
    frame.show();
    frame.close();
    frame.closeDown();  // the end of the event loop (aboutToQuit) closes down too
    EXPECT_EQ(closeDowns, 1);
    EXPECT_EQ(closed.count(), 1);
    const ProfileFile ini("Tarvelo96.INI");
    EXPECT_EQ(ini.read("Main", "Maximize"), "No");
    EXPECT_NE(profileNumber(ini.read("Main", "XPosit")), 0);
    EXPECT_NE(profileNumber(ini.read("Main", "Width")), 0);

    MainFrame reopened(m_settings);
    test::expectWithinOneUnit(reopened.geometry(), frame.geometry(), reopened);
}

TEST_F(FrameTest, GivenAbsurdPositionsInTheIniWhenTheFrameOpensThenItLandsOnTheScreen) {
    ProfileFile ini("Tarvelo96.INI");
    ASSERT_TRUE(ini.write("Main", "XPosit", "2147483647"));
    ASSERT_TRUE(ini.write("Main", "YPosit", "-2147483648"));
    ASSERT_TRUE(ini.write("Main", "Width", "2147483647"));
    ASSERT_TRUE(ini.write("Main", "Height", "300"));
    MainFrame frame(m_settings);
    frame.show();
    // The window's own area fits the screen; its frame, which the system adds around it, may not.
    const QMargins frameMargins = frame.windowHandle()->frameMargins();
    const QRect screen = frame.screen()->availableGeometry().marginsAdded(frameMargins);
    EXPECT_TRUE(screen.contains(frame.geometry())) << frame.geometry().x() << "," << frame.geometry().y() << " "
                                                   << frame.geometry().width() << "x" << frame.geometry().height();
}

TEST_F(FrameTest, GivenAFrameNeverShownWhenClosedThenNoPositionIsWritten) {
    {
        MainFrame frame(m_settings);
        frame.closeDown();
    }
    EXPECT_EQ(ProfileFile("Tarvelo96.INI").read("Main", "XPosit"), "");
}

TEST_F(FrameTest, GivenATickWaitingOnAModalBoxWhenTheFrameIsClosedThenItClosesDownOnlyAfterTheTick) {
    MainFrame frame(m_settings);
    std::vector<std::string> order;
    frame.setCloseDownHandler([&] { order.push_back("close down"); });
    frame.setTickHandler([&] {
        order.push_back("tick starts");
        soon(30, [&] { frame.close(); });  // SIGTERM or the session's end arrives now
        QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm Task"), QStringLiteral("Run it now?"),
                        QMessageBox::Yes | QMessageBox::No, &frame);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        box.exec();
        order.push_back("tick ends");
    });
    QSignalSpy closed(&frame, &MainFrame::closedDown);
    frame.show();
    frame.tick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed.count() > 0; }, 3000));
    EXPECT_EQ(order, (std::vector<std::string>{"tick starts", "tick ends", "close down"}));
    EXPECT_FALSE(frame.isVisible());
    EXPECT_FALSE(frame.tick());  // no tick after the close
}

TEST_F(FrameTest, GivenSigtermWhenWiredToTheFrameThenTheFrameClosesDownCleanly) {
    MainFrame frame(m_settings);
    int closeDowns = 0;
    frame.setCloseDownHandler([&] { ++closeDowns; });
    platform::TerminationSignal termination;
    ASSERT_TRUE(termination.isInstalled());
    QObject::connect(&termination, &platform::TerminationSignal::received, &frame, &QWidget::close);
    QSignalSpy closed(&frame, &MainFrame::closedDown);
    frame.show();
    std::raise(SIGTERM);
    ASSERT_TRUE(closed.wait(2000));
    EXPECT_EQ(closeDowns, 1);
}

struct TopicCase {
    const char* query;
    std::vector<int> topics;
};

class HelpSearchTest : public ::testing::TestWithParam<TopicCase> {};

TEST_P(HelpSearchTest, GivenSearchWordsThenOnlyTopicsContainingEveryWordRemain) {
    const std::vector<HelpTopic> topics = {
        {"a.html", "How the scheduler works", "Every five seconds the earliest task is checked."},
        {"b.html", "Message windows", "Add to To Do List turns a message into an item."},
        {"c.html", "Starting programs", "The program starts in its start-in folder."},
    };
    EXPECT_EQ(matchingTopics(topics, QString::fromUtf8(GetParam().query)), GetParam().topics);
}

INSTANTIATE_TEST_SUITE_P(Help, HelpSearchTest,
                         ::testing::Values(TopicCase{"", {0, 1, 2}}, TopicCase{"   ", {0, 1, 2}},
                                           TopicCase{"MESSAGE", {1}}, TopicCase{"start folder", {2}},
                                           TopicCase{"task message", {}}, TopicCase{"scheduler", {0}},
                                           TopicCase{"the", {0, 2}}),
    test::NamedBy<&TopicCase::query>());

}  // namespace
}  // namespace tarvelo::app
