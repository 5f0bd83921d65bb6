#pragma once
// The fixtures of the tests that drive windows: the program's data files in a fresh folder with every
// port faked, and on top of it the task windows' services.
#include <QAbstractButton>
#include <QLabel>
#include <QBoxLayout>
#include <QLayout>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/date.h"
#include "core/profile.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "fakes/fake_platform.h"
#include "qt_environment.h"
#include "tasks/windows/task_controls.h"
#include "widgets/time_edit.h"

namespace tarvelo::test {

// One DataFiles over a fresh folder named for the test, its warnings through the fake platform.
class WindowDataTest : public testing::Test {
protected:
    explicit WindowDataTest(const std::string& folderName, platform::Moment now = {})
        : dataFolder(freshFolder(folderName)), fake(nullptr, now), files(warn, dataFolder) {}

    std::string dataFolder;
    FakePlatform fake;
    FakeMessageBox& messages = fake.messages;
    FakeHalt& halt = fake.halt;
    DataWarning warn{fake};
    DataFiles files;
};

// The next dates beside the When controls are on show, every line whole, and take no
// room of the layout: without them every other control of the window keeps its place, and the window its
// size. Takes them out of the window.
inline void expectNextDatesTakeNoRoom(QWidget& window, WhenControls& when) {
    ASSERT_NE(when.nextDates, nullptr);
    EXPECT_TRUE(when.nextDates->isVisible());
    for (const QString& line : when.nextDates->text().split(QLatin1Char('\n')))
        EXPECT_LE(when.nextDates->fontMetrics().horizontalAdvance(line), when.nextDates->contentsRect().width())
            << "cut: " << line.toStdString();
    std::vector<std::pair<QWidget*, QRect>> places;
    for (QWidget* w : window.findChildren<QWidget*>())
        if (w != when.nextDates && w->isVisible()) places.emplace_back(w, w->geometry());  // hidden pages lay out later
    const QSize size = window.size();
    // Where they stand in a column, the column's stretch takes their place again.
    QBoxLayout* column = nullptr;
    for (QBoxLayout* box : when.nextDates->parentWidget()->findChildren<QBoxLayout*>())
        if (box->indexOf(when.nextDates) >= 0) column = box;
    const int at = column ? column->indexOf(when.nextDates) : -1;
    const int stretch = column ? column->stretch(at) : 0;
    delete when.nextDates;
    when.nextDates = nullptr;
    if (column) column->insertStretch(at, stretch);
    for (QWidget* w = &when; w; w = w->parentWidget())
        if (w->layout()) w->layout()->activate();
    EXPECT_EQ(window.size(), size);
    for (const auto& [w, place] : places)
        EXPECT_TRUE(w->geometry() == place) << w->metaObject()->className() << " " << w->objectName().toStdString();
}

// The task windows' services over the data files: PELLSCHD.INI in the data folder, no WAV file playable,
// and a calendar that records how it was opened and answers calendarAnswer. The clock stands at 10:15 on
// 3 June 1996 unless the test says otherwise.
class TaskFormTest : public WindowDataTest {
protected:
    explicit TaskFormTest(const std::string& folderName,
                          platform::Moment now = {dateFromYmd(1996, 6, 3), timeFromHms(10, 15)})
        : WindowDataTest(folderName, now), pellschd("PELLSCHD.INI", dataFolder) {}
    void SetUp() override { clearIniFiles(); }

    // Radios and check boxes answer only a click on their indicator or text, not on the rest of their row.
    static void tick(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }

    ProfileFile pellschd;
    FakeFileDialog& dialog = fake.fileDialog;
    FakeSound& sound = fake.sound;
    FakeClock& clock = fake.clock;
    std::vector<CalendarOptions> calendarOpened;
    StdDate calendarAnswer = 0;
    TaskFormServices services{files, fake, {pellschd, [](const std::string&) { return false; }},
                              [this](CalendarOptions o) {
                                  calendarOpened.push_back(o);
                                  return calendarAnswer;
                              }};
};

}  // namespace tarvelo::test
