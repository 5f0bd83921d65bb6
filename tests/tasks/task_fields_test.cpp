// The setters of the task's fields: what the model keeps of what is typed, and what it refuses.
#include <gtest/gtest.h>

#include <string>

#include "core/profile.h"
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_ports.h"
#include "tasks/task_editor.h"

namespace tarvelo {
namespace {

class TaskFieldsTest : public testing::Test {
protected:
    test::FakeMessageBox messages;
    test::FakeFileDialog dialog;
    test::FakeSound sound;
    ProfileFile noWarningDefaults{"PELLSCHD.INI", "/nonexistent-folder"};
    Task task;
    TaskFields fields{task, TaskFieldPorts{messages, dialog, sound, noWarningDefaults}};
};

struct TextCase {
    const char* name;
    TaskText field;
    std::string typed;
    bool taken;
    std::string kept;
};

class TaskTextTest : public TaskFieldsTest, public testing::WithParamInterface<TextCase> {};

TEST_P(TaskTextTest, shouldKeepWhatFitsItsFieldInCharactersAndRefuseTheRest) {
    const TextCase& c = GetParam();
    EXPECT_EQ(fields.setText(c.field, c.typed), c.taken);
    EXPECT_EQ(fields.text(c.field), c.kept);
}

const std::string k40 = std::string(40, 'd');
const std::string k39e = std::string(39, 'd') + "\xC3\xA9";  // 40 characters, 41 bytes

INSTANTIATE_TEST_SUITE_P(
    Cases, TaskTextTest,
    testing::Values(TextCase{"DescriptionFits", TaskText::description, k40, true, k40},
                    TextCase{"DescriptionOfTwoByteCharactersFits", TaskText::description, k39e, true, k39e},
                    TextCase{"DescriptionOneTooMany", TaskText::description, k40 + "x", false, k40},
                    TextCase{"TrailingBlanksAreNoOverflow", TaskText::description, k40 + "   ", true, k40},
                    TextCase{"CommandOf80", TaskText::command, std::string(81, 'c'), false, std::string(80, 'c')},
                    TextCase{"AlarmFileOf80", TaskText::alarmFile, std::string(81, 'w'), false, std::string(80, 'w')},
                    TextCase{"MessageOf1000", TaskText::message, std::string(1001, 'm'), false, std::string(1000, 'm')},
                    TextCase{"ControlCharacterRefusedWhole", TaskText::description, "Back\x1b[2Jup", false, ""},
                    TextCase{"LineBreakInACommandRefused", TaskText::command, "backup.sh\nrm -r x", false, ""},
                    TextCase{"MessageKeepsLineBreaksAndTabs", TaskText::message, "Stand up\r\n\tnow", true,
                             "Stand up\r\n\tnow"},
                    TextCase{"MessageRefusesOtherControls", TaskText::message, "Ring\a", false, ""}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST_F(TaskFieldsTest, shouldLetATextOfAnOlderFileWithAControlCharacterBeMended) {
    task.description = "Old\x1bname";
    EXPECT_TRUE(fields.setText(TaskText::description, "Old\x1bnam"));
    EXPECT_TRUE(fields.setText(TaskText::description, "Oldnam"));
    EXPECT_FALSE(fields.setText(TaskText::description, "Old\tnam")) << "mended: held to the rules again";
    EXPECT_EQ(fields.text(TaskText::description), "Oldnam");
}

TEST_F(TaskFieldsTest, shouldTakeACountTypedAsItsPictureAllowsAndTheUnitCarries) {
    task.scheduleType = ScheduleType::Custom;
    task.everyType = RepetitionUnit::Day;
    task.date = dateFromYmd(1996, 6, 10);
    for (const auto& [typed, taken, every] : std::initializer_list<std::tuple<const char*, bool, int>>{
             {"12", true, 12}, {" 7 ", true, 7}, {"1234567", false, 7}, {"12x", false, 7}, {"", true, 0},
             {"-99999", true, -99999}}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(fields.acceptEveryText(typed), taken);
        EXPECT_EQ(task.every, every);
    }
    task.everyType = RepetitionUnit::Year;
    EXPECT_FALSE(fields.acceptEveryText("999999")) << "a count that would carry the task past 9999";
}

TEST_F(TaskFieldsTest, shouldGiveTheSpecialEventsTimeWhateverTheTaskType) {
    task.taskType = TaskType::None;
    task.time = timeFromHms(9, 0);
    fields.setRules(TaskRules::specialEvent);
    fields.runVisibilityRules();
    EXPECT_EQ(task.time, timeFromHms(9, 0));
    EXPECT_TRUE(fields.visibility().time);

    fields.setRules(TaskRules::form);
    fields.runVisibilityRules();
    EXPECT_EQ(task.time, kNoneTaskTime);
    EXPECT_FALSE(fields.visibility().time);
}

}  // namespace
}  // namespace tarvelo
