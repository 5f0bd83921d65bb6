#pragma once
// The fixtures of the tests that drive windows: the program's data files in a fresh folder with every
// port faked, and on top of it the task windows' services.
#include <QAbstractButton>
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
