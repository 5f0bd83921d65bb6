// The Qt adapters of the ports: message boxes, sound, clock, file filters, window placement of widgets.
#include <filesystem>
#include <fstream>

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "core/profile.h"
#include "placement_expect.h"
#include "qt_environment.h"
#include "platform/desktop/qt_clock.h"
#include "platform/desktop/qt_message_box.h"
#include "platform/desktop/qt_sound.h"
#include "widgets/window_placement.h"

namespace tarvelo::platform {
namespace {

// What the box showed, and which button the test pressed in it.
struct Seen {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Shows request through the adapter; once the box is up, records it and presses press (or Escape when
// press is NoButton).
int showAndPress(const MessageBoxRequest& request, QMessageBox::StandardButton press, Seen& seen) {
    QTimer::singleShot(0, qApp, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) seen.buttons.push_back(box->standardButton(b));
        std::sort(seen.buttons.begin(), seen.buttons.end());
        if (box->defaultButton() != nullptr) seen.defaultButton = box->standardButton(box->defaultButton());
        if (press == QMessageBox::NoButton) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            box->button(press)->click();
        }
    });
    QtMessageBox port;
    return port.show(request);
}

struct BoxCase {
    const char* name;
    MessageBoxRequest request;
    QMessageBox::Icon icon;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton press;  // NoButton: Escape
    int answer;
};

class MessageBoxTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxTest, GivenARequestThenTheBoxHasItsIconButtonsAndDefaultAndReturnsThePressedValue) {
    const BoxCase& c = GetParam();
    Seen seen;
    EXPECT_EQ(showAndPress(c.request, c.press, seen), c.answer);
    EXPECT_EQ(seen.caption.toStdString(), c.request.caption);
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(seen.defaultButton, c.defaultButton);
}

using QB = QMessageBox;
INSTANTIATE_TEST_SUITE_P(
    MessageBox, MessageBoxTest,
    ::testing::Values(
        BoxCase{"MissedTaskNo", {"Backup was not run.  Run it now?", "Missed Task", Icon::Question, kYes + kNo, kNo},
                QB::Question, {QB::Yes, QB::No}, QB::No, QB::No, kNo},
        BoxCase{"MissedTaskYes", {"Backup was not run.  Run it now?", "Missed Task", Icon::Question, kYes + kNo, kNo},
                QB::Question, {QB::Yes, QB::No}, QB::No, QB::Yes, kYes},
        BoxCase{"EscapeAnswersTheDefault", {"Rebuild?", "Invalid Key", Icon::Question, kYes + kNo, kYes},
                QB::Question, {QB::Yes, QB::No}, QB::Yes, QB::NoButton, kYes},
        BoxCase{"ExclamationRetryCancel", {"Failed.", "Auto Increment Error", Icon::Exclamation, kRetry + kCancel, kCancel},
                QB::Warning, {QB::Retry, QB::Cancel}, QB::Cancel, QB::Retry, kRetry},
        BoxCase{"YesNoCancel", {"Save again?", "Record Update Error", Icon::Exclamation, kYes + kNo + kCancel, kCancel},
                QB::Warning, {QB::Yes, QB::No, QB::Cancel}, QB::Cancel, QB::NoButton, kCancel},
        BoxCase{"PlainOk", {"Run code -4", "Error Starting sh", Icon::None, kOk, kOk},
                QB::NoIcon, {QB::Ok}, QB::Ok, QB::Ok, kOk},
        BoxCase{"NoButtonsMeansOk", {"text", "", Icon::None, 0, 0}, QB::NoIcon, {QB::Ok}, QB::Ok, QB::NoButton, kOk},
        BoxCase{"DefaultNotAmongButtons", {"text", "Confirm Delete", Icon::Question, kOk + kCancel, kNo},
                QB::Question, {QB::Ok, QB::Cancel}, QB::Ok, QB::NoButton, kOk}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBoxTextTest, GivenCarriageReturnsThenTheyShowAsLineBreaksAndMarkupStaysText) {
    Seen seen;
    showAndPress({"Oct 31, 2024 5:30PM\rCommand:  <b>make</b>\r\nend", "Advanced Warning", Icon::None, kOk, kOk},
                 QMessageBox::Ok, seen);
    EXPECT_EQ(seen.text.toStdString(), "Oct 31, 2024 5:30PM\nCommand:  <b>make</b>\nend");
}

TEST(SoundTest, GivenAFileThatIsMissingOrUnplayableThenNothingIsReportedAndNothingLingers) {
    const std::string folder = test::freshFolder("sound");
    const std::string garbage = folder + "/garbage.wav";
    std::ofstream(garbage) << "this is not a RIFF file at all";
    QtSound sound;
    sound.playAsync(folder + "/missing.wav");
    sound.playAsync("");
    EXPECT_EQ(sound.activeCount(), 0);
    sound.playAsync(garbage);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sound.activeCount() == 0; }, 3000));
}

TEST(ClockTest, GivenTheWallClockThenNowIsTheLocalDateAndTimeInStandardForm) {
    QtClock clock;
    const QDateTime before = QDateTime::currentDateTime();
    const Moment now = clock.now();
    const QDateTime after = QDateTime::currentDateTime();
    if (before.date() != after.date()) GTEST_SKIP() << "midnight passed during the test";
    EXPECT_EQ(now.date, dateFromYmd(before.date().year(), before.date().month(), before.date().day()));
    const StdTime low = timeFromHms(before.time().hour(), before.time().minute(), before.time().second(),
                                    before.time().msec() / 10);
    const StdTime high = timeFromHms(after.time().hour(), after.time().minute(), after.time().second(),
                                     after.time().msec() / 10);
    EXPECT_GE(now.time, low);
    EXPECT_LE(now.time, high);
}

class WidgetPlacementTest : public ::testing::Test {
protected:
    void SetUp() override { test::clearIniFiles(); }
};

TEST_F(WidgetPlacementTest, GivenATopLevelWidgetClosedMaximizedThenItReopensMaximizedWithItsNormalGeometry) {
    QWidget closing;
    closing.setGeometry(160, 120, 480, 320);
    closing.show();
    const QRect normal = closing.geometry();
    closing.showMaximized();
    widgets::saveWindowPosition(closing, "UpdateSchedule");
    EXPECT_EQ(ProfileFile("Tarvelo96.INI").read("UpdateSchedule", "Maximize"), "Yes");

    QWidget reopened;
    widgets::restoreWindowPosition(reopened, "UpdateSchedule");
    EXPECT_TRUE(reopened.windowState().testFlag(Qt::WindowMaximized));
    reopened.show();
    reopened.showNormal();
    test::expectWithinOneUnit(reopened.geometry(), normal, reopened);
}

TEST_F(WidgetPlacementTest, GivenAFixedSizeWidgetThenOnlyItsPositionIsRestored) {
    QWidget closing;
    closing.setFixedSize(300, 200);
    closing.move(140, 100);
    closing.show();
    widgets::saveWindowPosition(closing, "Setup");

    QWidget reopened;
    reopened.setFixedSize(250, 150);  // a newer design of the window
    widgets::restoreWindowPosition(reopened, "Setup");
    test::expectWithinOneUnit(QRect(reopened.geometry().topLeft(), QSize(300, 200)), closing.geometry(), reopened);
    EXPECT_EQ(reopened.size(), QSize(250, 150));
}

TEST_F(WidgetPlacementTest, GivenAMaximizedMdiSubWindowWhenSavedThenItsNormalGeometryIsStored) {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    QMdiSubWindow* sub = area.addSubWindow(new QLabel(QStringLiteral("browse")));
    sub->setGeometry(40, 32, 400, 240);
    sub->show();
    const QRect normal = sub->geometry();
    sub->showMaximized();
    widgets::saveWindowPosition(*sub, "BrowseSchedule");
    EXPECT_TRUE(sub->isMaximized());  // measuring it left it as it was

    QMdiSubWindow* again = area.addSubWindow(new QLabel(QStringLiteral("browse")));
    again->show();
    again->showNormal();
    widgets::restoreWindowPosition(*again, "BrowseSchedule");
    EXPECT_TRUE(again->isMaximized());
    again->showNormal();
    test::expectWithinOneUnit(again->geometry(), normal, *again);
}

}  // namespace
}  // namespace tarvelo::platform
