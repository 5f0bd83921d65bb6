#include "tasks/task_editor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/profile.h"
#include "fakes/data_fixture.h"
#include "data/record_maintenance.h"
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/task_table.h"
#include "tasks/recurrence.h"
#include "fakes/case_names.h"

namespace tarvelo {
namespace {

// Functions, not constants: a date built during static initialisation may run before the date module's own.
StdDate june10() { return dateFromYmd(1996, 6, 10); }  // a Monday
StdDate june14() { return dateFromYmd(1996, 6, 14); }  // a Friday

class TaskEditorTest : public test::DataTest {
protected:
    TaskEditorTest() : pellschd("PELLSCHD.INI", folder.path()) {}

    TaskEditorPorts ports() {
        return TaskEditorPorts{messages, dialog, sound, clock, pellschd,
                               [this](const std::string& f) { return playableFiles.count(f) > 0; }};
    }
    std::unique_ptr<TaskEditor> openNew(std::string_view selectedDay = "", Task cleared = {}) {
        auto editor = std::make_unique<TaskEditor>(*files, Request::insert, cleared, ports());
        EXPECT_TRUE(editor->start(selectedDay));
        return editor;
    }
    std::unique_ptr<TaskEditor> openChange(const Task& stored) {
        auto editor = std::make_unique<TaskEditor>(*files, Request::change, stored, ports());
        EXPECT_TRUE(editor->start());
        return editor;
    }
    Task weeklyTask(std::int32_t id) {
        Task s;
        s.id = id;
        s.taskType = TaskType::DisplayMessage;
        s.description = "Staff meeting";
        s.scheduleType = ScheduleType::DayOfWeek;
        s.monday = 1;
        s.date = june10();
        s.time = timeFromHms(9, 0);
        return s;
    }
    void addCategories(std::initializer_list<const char*> names) {
        TableUse use(*files, TableId::categories);
        for (const char* n : names) {
            Category c;
            c.category = n;
            ASSERT_TRUE(files->categories().add(c).ok());
        }
    }
    void setWarningDefaults(const char* active, const char* days, const char* time) {
        if (active) pellschd.write("Warning", "Active", active);
        if (days) pellschd.write("Warning", "Date", days);
        if (time) pellschd.write("Warning", "Time", time);
    }

    ProfileFile pellschd;
    test::FakeFileDialog dialog;
    test::FakeSound sound;
    test::FakeClock clock{{dateFromYmd(1996, 6, 3), timeFromHms(10, 15)}};
    std::set<std::string> playableFiles;
};

// ---------------------------------------------------------------------------------------------------------
// A new task

TEST_F(TaskEditorTest, GivenADaySelectedInTheBrowse_WhenANewTaskOpens_ThenItCarriesTheDefaults) {
    const StdDate nextWeek = dateFromYmd(1996, 6, 12);
    auto editor = openNew(std::to_string(nextWeek));
    const Task& t = editor->task();
    EXPECT_EQ(editor->caption(), "Adding a Schedule Record");
    EXPECT_EQ(t.id, 1);
    EXPECT_EQ(t.date, nextWeek);
    EXPECT_EQ(t.time, timeFromHms(10, 15));
    EXPECT_EQ(t.scheduleType.text(), "Day of Week");
    EXPECT_EQ(t.sunday + t.monday + t.tuesday + t.wednesday + t.thursday + t.friday + t.saturday, 7);
    EXPECT_EQ(t.everyLast, 1);
    EXPECT_EQ(t.every1st + t.every2nd + t.every3rd + t.every4th, 0);
    EXPECT_EQ(t.taskType.text(), "Both");
    EXPECT_EQ(t.every, 1);
    EXPECT_EQ(t.everyType.text(), "hour(s)");
    EXPECT_EQ(t.warn, 1);
    EXPECT_EQ(t.alarm, 0);
    EXPECT_EQ(t.advanceWarnDate, 0);

    TaskVisibility want;
    want.weekdays = true;
    EXPECT_EQ(editor->visibility(), want);
}

TEST_F(TaskEditorTest, GivenNoSelectedDay_WhenANewTaskOpens_ThenItIsDueToday) {
    for (const char* text : {"", "   ", "not a day"}) {
        auto editor = openNew(text);
        EXPECT_EQ(editor->task().date, clock.now().date) << '"' << text << '"';
        editor->cancel();
    }
}

TEST_F(TaskEditorTest, GivenANewTaskCancelled_WhenTheNextOneOpens_ThenNoRecordIsLeftAndTheNumberIsReused) {
    test::addTask(*files, weeklyTask(7));
    {
        auto editor = openNew();
        EXPECT_EQ(editor->task().id, 8);
        EXPECT_EQ(test::taskCount(*files), 2);
        editor->cancel();
        EXPECT_EQ(editor->finish(), Response::cancelled);
    }
    EXPECT_EQ(test::taskCount(*files), 1);
    {
        // The program closing down: the editor goes without Cancel or finish().
        auto editor = openNew();
        EXPECT_EQ(editor->task().id, 8);
    }
    EXPECT_EQ(test::taskCount(*files), 1);
    EXPECT_FALSE(test::storedTask(*files, 8).has_value());
    for (int i = 0; i < kTableCount; ++i) EXPECT_EQ(files->useCount(static_cast<TableId>(i)), 0) << i;
}

// ---------------------------------------------------------------------------------------------------------
// Visibility

TEST_F(TaskEditorTest, GivenTaskTypeNone_WhenAccepted_ThenTimeAndCommandHideAndTheTimeIsSetForTheDayEnd) {
    auto editor = openNew();
    editor->fields().acceptTaskType(TaskType::None);
    TaskVisibility v = editor->visibility();
    EXPECT_FALSE(v.time);
    EXPECT_FALSE(v.commandTab);
    EXPECT_TRUE(v.messageTab);
    EXPECT_EQ(editor->task().time, 8639500);

    editor->fields().acceptTaskType(TaskType::RunProgram);
    v = editor->visibility();
    EXPECT_TRUE(v.time);
    EXPECT_TRUE(v.commandTab);
    EXPECT_FALSE(v.messageTab);
    EXPECT_EQ(editor->task().time, 8639500);
}

struct ScheduleTypeCase {
    const char* type;
    bool ordinals, weekdays, every;
};

class ScheduleTypeVisibilityTest : public testing::TestWithParam<ScheduleTypeCase> {};

TEST_P(ScheduleTypeVisibilityTest, GivenAScheduleType_WhenAccepted_ThenOnlyItsControlsOfTheEveryGroupShow) {
    const ScheduleTypeCase& c = GetParam();
    Task s;
    s.scheduleType = ScheduleTypeWord::fromText(c.type);
    const TaskVisibility v = taskVisibility(s);
    EXPECT_EQ(v.ordinals, c.ordinals);
    EXPECT_EQ(v.weekdays, c.weekdays);
    EXPECT_EQ(v.every, c.every);
    EXPECT_EQ(v.everyType, c.every);
}

INSTANTIATE_TEST_SUITE_P(Types, ScheduleTypeVisibilityTest,
                         testing::Values(ScheduleTypeCase{"Once", false, false, false},
                                         ScheduleTypeCase{"Day of Week", false, true, false},
                                         ScheduleTypeCase{"Day of Month", true, true, false},
                                         ScheduleTypeCase{"Monthly", false, false, false},
                                         ScheduleTypeCase{"Yearly", false, false, false},
                                         ScheduleTypeCase{"Custom", false, false, true},
                                         ScheduleTypeCase{"", false, false, true}),
    test::NamedBy<&ScheduleTypeCase::type>());

// ---------------------------------------------------------------------------------------------------------
// Next date and advance warning

TEST_F(TaskEditorTest, GivenAFridayTask_WhenAMondayIsEntered_ThenTheWarningIsShownAndTheMondayKept) {
    Task s = weeklyTask(4);
    s.monday = 0;
    s.friday = 1;
    s.date = june14();
    auto editor = openChange(test::addTask(*files, s));
    editor->fields().acceptNextDate(june10());
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Warning");
    EXPECT_EQ(messages.last().text, "Date given does not match schedule type.");
    EXPECT_EQ(messages.last().buttons, platform::kOk);
    EXPECT_EQ(editor->task().date, june10());

    messages.clear();
    editor->fields().acceptNextDate(june14());
    editor->fields().acceptNextDate(0);
    EXPECT_EQ(messages.count(), 0u);
}

struct WarningDefaultsCase {
    const char* name;
    const char* active;
    const char* days;
    const char* time;
    StdTime taskTime;
    StdDate wantDate;
    StdTime wantTime;
};

class AutomaticWarningTest : public TaskEditorTest, public testing::WithParamInterface<WarningDefaultsCase> {};

TEST_P(AutomaticWarningTest, GivenSectionWarning_WhenTheNextDateIsAccepted_ThenTheWarningFollowsIt) {
    const WarningDefaultsCase& c = GetParam();
    setWarningDefaults(c.active, c.days, c.time);
    Task s = weeklyTask(5);
    s.scheduleType = ScheduleType::Once;
    s.time = c.taskTime;
    s.advanceWarnDate = dateFromYmd(1996, 6, 1);
    s.advanceWarnTime = timeFromHms(8, 0);
    auto editor = openChange(test::addTask(*files, s));
    editor->fields().acceptNextDate(june10());
    EXPECT_EQ(ymdFromDate(editor->task().advanceWarnDate), ymdFromDate(c.wantDate));
    EXPECT_EQ(hmsFromTime(editor->task().advanceWarnTime), hmsFromTime(c.wantTime));
}

INSTANTIATE_TEST_SUITE_P(
    Defaults, AutomaticWarningTest,
    testing::Values(
        WarningDefaultsCase{"TwoDaysAndAnHour", "1", "2", "360000", timeFromHms(14, 0), dateFromYmd(1996, 6, 8),
                            timeFromHms(13, 0)},
        WarningDefaultsCase{"ActiveZeroStillCounts", "0", "1", "0", timeFromHms(14, 0), dateFromYmd(1996, 6, 9),
                            timeFromHms(14, 0)},
        WarningDefaultsCase{"BlankActiveLeavesTheWarning", "  ", "2", "360000", timeFromHms(14, 0),
                            dateFromYmd(1996, 6, 1), timeFromHms(8, 0)},
        WarningDefaultsCase{"NoSectionLeavesTheWarning", nullptr, nullptr, nullptr, timeFromHms(14, 0),
                            dateFromYmd(1996, 6, 1), timeFromHms(8, 0)},
        WarningDefaultsCase{"GarbageCountsAsZero", "yes", "abc", "", timeFromHms(14, 0), june10(),
                            timeFromHms(14, 0)},
        WarningDefaultsCase{"AnHourBeforeHalfPastMidnightIsTheDayBefore", "1", "0", "360000", timeFromHms(0, 30),
                            dateFromYmd(1996, 6, 9), timeFromHms(23, 30)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TaskEditorTest, GivenAWarningAfterTheTask_WhenItsDateIsAccepted_ThenBothFieldsClearWithTheMessage) {
    auto editor = openChange(test::addTask(*files, weeklyTask(6)));
    editor->task().advanceWarnTime = timeFromHms(8, 0);
    editor->fields().acceptAdvanceWarnDate(june10() + 1);
    EXPECT_EQ(editor->task().advanceWarnDate, 0);
    EXPECT_EQ(editor->task().advanceWarnTime, 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, "Advanced Warning cannot be after scheduled task.");
    EXPECT_EQ(messages.last().buttons, platform::kOk);

    // Same day, later hour: after the task as well.
    editor->task().advanceWarnTime = timeFromHms(9, 30);
    editor->fields().acceptAdvanceWarnDate(june10());
    EXPECT_EQ(editor->task().advanceWarnDate, 0);
    EXPECT_EQ(messages.count(), 2u);

    // Same day, earlier hour, and the day before: kept.
    editor->task().advanceWarnTime = timeFromHms(8, 30);
    editor->fields().acceptAdvanceWarnDate(june10());
    EXPECT_EQ(editor->task().advanceWarnDate, june10());
    editor->fields().acceptAdvanceWarnDate(june10() - 1);
    EXPECT_EQ(editor->task().advanceWarnDate, june10() - 1);
    EXPECT_EQ(messages.count(), 2u);
}

TEST_F(TaskEditorTest, GivenSearchRules_WhenExampleValuesAreAccepted_ThenEachIsTakenAsTypedWithoutChecks) {
    // GIVEN the automatic warning switched on and a Friday task searched with search rules
    setWarningDefaults("1", "2", "0");
    Task s = weeklyTask(7);
    s.monday = 0;
    s.friday = 1;
    TaskEditor editor(*files, Request::search, s, ports());
    editor.fields().setRules(TaskRules::search);
    ASSERT_TRUE(editor.start());
    // WHEN a Monday, a warning after it, a huge count and the type "None" are given
    editor.fields().acceptNextDate(june10());
    editor.fields().acceptAdvanceWarnDate(june10() + 5);
    EXPECT_TRUE(editor.fields().acceptEvery(999999));
    editor.fields().acceptTaskType(TaskType::None);
    // THEN each is kept as given: no box, no warning moved, no time set
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(editor.task().advanceWarnDate, june10() + 5);
    EXPECT_EQ(editor.task().every, 999999);
    EXPECT_EQ(editor.task().time, timeFromHms(9, 0));
}

// ---------------------------------------------------------------------------------------------------------
// Repetition count

TEST_F(TaskEditorTest, GivenACustomYearlyTask_WhenACountBeyondTheDateRangeIsEntered_ThenItIsRefused) {
    auto editor = openNew();
    editor->fields().acceptScheduleType(ScheduleType::Custom);
    editor->task().everyType = RepetitionUnit::Year;
    EXPECT_TRUE(editor->fields().acceptEvery(5));
    EXPECT_FALSE(editor->fields().acceptEvery(999999));
    EXPECT_EQ(editor->task().every, 5);

    // A count that fitted its unit is refused on OK once the unit makes it too large.
    editor->task().everyType = RepetitionUnit::Day;
    EXPECT_TRUE(editor->fields().acceptEvery(999999));
    editor->task().everyType = RepetitionUnit::Year;
    EXPECT_EQ(editor->ok(), TaskFocus::EveryEntry);
    EXPECT_EQ(test::storedTask(*files, 1)->scheduleType.text(), "");  // still the reserved placeholder
}

// ---------------------------------------------------------------------------------------------------------
// Choosing files and Play

TEST_F(TaskEditorTest, GivenABlankStartIn_WhenAProgramIsChosen_ThenItsFolderFillsStartIn) {
    auto editor = openNew();
    dialog.choose("C:\\TOOLS\\BACKUP.EXE");
    EXPECT_EQ(editor->fields().browseCommand(), TaskFocus::AfterStartIn);
    EXPECT_EQ(editor->task().command.text(), "'C:\\TOOLS\\BACKUP.EXE'");
    EXPECT_EQ(editor->task().path.text(), "C:\\TOOLS");
    ASSERT_EQ(dialog.requests().size(), 1u);
    EXPECT_EQ(dialog.requests()[0].title, "Choose File to Execute");
    ASSERT_EQ(dialog.requests()[0].filters.size(), 4u);
    EXPECT_EQ(dialog.requests()[0].filters[1].description, "EXEs");
    EXPECT_EQ(dialog.requests()[0].filters[3].patterns, "*.BAT");

    // Start-in already filled: left alone. The dialog starts on the current command.
    dialog.choose("/opt/tools/sync");
    EXPECT_EQ(editor->fields().browseCommand(), TaskFocus::Stay);
    EXPECT_EQ(editor->task().command.text(), "/opt/tools/sync");
    EXPECT_EQ(editor->task().path.text(), "C:\\TOOLS");
    EXPECT_EQ(dialog.requests()[1].startFolder, "'C:\\TOOLS\\BACKUP.EXE'");

    // Nothing chosen: nothing changes.
    EXPECT_EQ(editor->fields().browseCommand(), TaskFocus::Stay);
    EXPECT_EQ(editor->task().command.text(), "/opt/tools/sync");
}

struct FolderCase {
    const char* program;
    const char* folder;
};

class ProgramFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(ProgramFolderTest, GivenAProgram_WhenItsFolderIsTaken_ThenEverythingFromTheLastSeparatorIsCut) {
    EXPECT_EQ(programFolder(GetParam().program), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(Folders, ProgramFolderTest,
                         testing::Values(FolderCase{"C:\\TOOLS\\BACKUP.EXE", "C:\\TOOLS"},
                                         FolderCase{"/usr/local/bin/backup", "/usr/local/bin"},
                                         FolderCase{"C:\\TOOLS/mixed\\x.exe", "C:\\TOOLS/mixed"},
                                         FolderCase{"BACKUP.EXE", ""}, FolderCase{"/backup", "/"},
                                         FolderCase{"C:\\X.EXE", "C:"}),
    test::NamedBy<&FolderCase::program>());

TEST(CommandForFileTest, GivenAChosenFile_WhenItNeedsQuoting_ThenTheCommandLineKeepsItWhole) {
    EXPECT_EQ(commandForFile("/usr/bin/backup"), "/usr/bin/backup");
    EXPECT_EQ(commandForFile("/home/me/My Tools/run.sh"), "'/home/me/My Tools/run.sh'");
    EXPECT_EQ(commandForFile("/tmp/it's"), "'/tmp/it'\\''s'");
}

TEST_F(TaskEditorTest, GivenAWavFile_WhenPlayIsPressed_ThenItPlaysOrTheFocusGoesToBrowse) {
    auto editor = openNew();
    editor->task().alarmFile = "/sounds/missing.wav   ";
    EXPECT_EQ(editor->fields().play(), TaskFocus::WavBrowse);
    EXPECT_TRUE(sound.played().empty());
    EXPECT_TRUE(dialog.requests().empty());

    playableFiles.insert("/sounds/bell.wav");
    editor->task().alarmFile = "/sounds/bell.wav";
    EXPECT_EQ(editor->fields().play(), TaskFocus::Stay);
    EXPECT_EQ(sound.played(), std::vector<std::string>{"/sounds/bell.wav"});
    EXPECT_EQ(messages.count(), 0u);
}

// ---------------------------------------------------------------------------------------------------------
// Categories

TEST_F(TaskEditorTest, GivenCategories_WhenTheFormOpens_ThenTheListIsSortedAndTheTasksCategorySelected) {
    addCategories({"work", "Errands", "Home"});
    Task s = weeklyTask(9);
    s.category = "Home";
    auto editor = openChange(test::addTask(*files, s));
    EXPECT_EQ(editor->categories(), (std::vector<std::string>{"Errands", "Home", "work"}));
    EXPECT_EQ(editor->categoryIndex(), 1);
    editor->selectCategory(2);
    EXPECT_EQ(editor->task().category.text(), "work");

    editor->task().category = "Work";  // no entry equals it exactly
    EXPECT_EQ(editor->categoryIndex(), -1);
}

TEST_F(TaskEditorTest, GivenNoCategories_WhenTheFormOpens_ThenTheTasksCategoryIsCleared) {
    Task preset;
    preset.category = "Work";
    auto editor = openNew("", preset);
    EXPECT_TRUE(editor->categories().empty());
    EXPECT_TRUE(editor->task().category.isBlank());
}

// ---------------------------------------------------------------------------------------------------------
// OK, and the engine moving the task on meanwhile

TEST_F(TaskEditorTest, GivenAMismatchingDate_WhenOkIsPressed_ThenTheFieldChecksRunAgainBeforeSaving) {
    setWarningDefaults("1", "1", "0");
    Task s = weeklyTask(10);
    auto editor = openChange(test::addTask(*files, s));
    editor->task().date = june14();  // typed, but its field was never left
    EXPECT_FALSE(editor->ok().has_value());
    EXPECT_EQ(messages.captions(), std::vector<std::string>{"Warning"});
    EXPECT_EQ(test::storedTask(*files, 10)->date, june14());
    EXPECT_EQ(test::storedTask(*files, 10)->advanceWarnDate, june14() - 1);
    EXPECT_EQ(editor->finish(), Response::completed);
}

class EngineTickTest : public TaskEditorTest {
protected:
    // What the timer does while the form is open: performs the task and moves it on.
    void tick(std::int32_t id) {
        TableUse use(*files, TableId::schedule);
        Task s = *test::storedTask(*files, id);
        s.lastRunDate = s.date;
        s.lastRunTime = s.time;
        advanceTask(s, s.date, s.time + 1, messages);
        ASSERT_TRUE(files->schedule().put(s).ok());
        moved = s.date;
    }
    StdDate moved = 0;
};

TEST_F(EngineTickTest, GivenATickWhileTheFormIsOpen_WhenOkThenCancel_ThenTheOldDateIsNotWrittenAndTheEditStays) {
    auto editor = openChange(test::addTask(*files, weeklyTask(11)));
    editor->task().description = "Staff meeting, room 4";
    tick(11);
    ASSERT_EQ(moved, june10() + 7);

    messages.answer(platform::kOk);      // 15: changed by another station
    messages.answer(platform::kCancel);  // 16: stay in the form
    EXPECT_EQ(editor->ok(), TaskFocus::FirstField);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.requests()[0].text, "This record was changed by another station.");
    EXPECT_EQ(messages.requests()[1].caption, "Record Update Error");
    EXPECT_EQ(editor->task().description.text(), "Staff meeting, room 4");
    EXPECT_EQ(test::storedTask(*files, 11)->date, moved);
    EXPECT_EQ(test::storedTask(*files, 11)->description.text(), "Staff meeting");

    // Trying again saves the edit on top of what the engine stored.
    messages.answer(platform::kOk);
    messages.answer(platform::kYes);
    EXPECT_FALSE(editor->ok().has_value());
    EXPECT_EQ(editor->finish(), Response::completed);
    EXPECT_EQ(test::storedTask(*files, 11)->date, moved);
    EXPECT_EQ(test::storedTask(*files, 11)->lastRunDate, june10());
    EXPECT_EQ(test::storedTask(*files, 11)->description.text(), "Staff meeting, room 4");
}

}  // namespace
}  // namespace tarvelo
