// A task that arrives whole (from a script) meets the checks of the task form.
#include "tasks/task_checks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tasks/task_editor.h"

namespace tarvelo {
namespace {

// 31 January 1997 at 17:30, every day.
Task dailyTask() {
    Task t;
    t.taskType = TaskType::Both;
    t.scheduleType = ScheduleType::Custom;
    t.every = 1;
    t.everyType = RepetitionUnit::Day;
    t.date = dateFromYmd(1997, 1, 31);
    t.time = timeFromHms(17, 30);
    return t;
}

struct CheckCase {
    const char* name;
    std::function<void(Task&)> change;
    std::optional<TaskField> refused;  // nothing: taken
};

class TaskEntryCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(TaskEntryCheck, shouldRefuseWhatTheFormsWouldRefuse) {
    Task t = dailyTask();
    GetParam().change(t);
    const auto problem = taskEntryProblem(t);
    ASSERT_EQ(problem.has_value(), GetParam().refused.has_value()) << (problem ? problem->text : "");
    if (problem) {
        EXPECT_EQ(problem->field, *GetParam().refused) << problem->text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TaskEntryCheck,
    testing::Values(
        CheckCase{"AsTheFormMakesIt", [](Task&) {}, std::nullopt},
        CheckCase{"NoDateNoTime", [](Task& t) { t.date = 0; t.time = 0; }, std::nullopt},
        CheckCase{"BlankOptionsOfAClearedRecord", [](Task& t) { t.taskType = TaskTypeWord::fromText(""); t.scheduleType = ScheduleTypeWord::fromText(""); t.everyType = RepetitionUnitWord::fromText(""); }, std::nullopt},
        CheckCase{"NegativeDate", [](Task& t) { t.date = -1; }, TaskField::date},
        CheckCase{"DayBefore1801", [](Task& t) { t.date = kMinDate - 1; }, TaskField::date},
        CheckCase{"DayAfter9999", [](Task& t) { t.date = kMaxDate + 1; }, TaskField::date},
        CheckCase{"TimePastTheDay", [](Task& t) { t.time = kOneDay + 1; }, TaskField::time},
        CheckCase{"NegativeWarningTime", [](Task& t) { t.advanceWarnTime = -5; }, TaskField::advanceWarnTime},
        CheckCase{"LastRunDateOutOfRange", [](Task& t) { t.lastRunDate = 2; }, TaskField::lastRunDate},
        CheckCase{"OptionInAnotherCase", [](Task& t) { t.scheduleType = ScheduleTypeWord::fromText("custom"); }, TaskField::scheduleType},
        CheckCase{"UnknownTaskType", [](Task& t) { t.taskType = TaskTypeWord::fromText("Reboot"); }, TaskField::taskType},
        CheckCase{"UnknownUnit", [](Task& t) { t.everyType = RepetitionUnitWord::fromText("fortnight(s)"); }, TaskField::everyType},
        CheckCase{"CountWiderThanItsEntry", [](Task& t) { t.every = 1000000; }, TaskField::every},
        CheckCase{"CountBeyond9999", [](Task& t) { t.everyType = RepetitionUnit::Year; t.every = 999999; }, TaskField::every},
        CheckCase{"WarningADayAfter", [](Task& t) { t.advanceWarnDate = t.date + 1; }, TaskField::advanceWarnDate},
        CheckCase{"WarningSameDayLater", [](Task& t) { t.advanceWarnDate = t.date; t.advanceWarnTime = t.time + 1; }, TaskField::advanceWarnDate},
        CheckCase{"WarningSameMoment", [](Task& t) { t.advanceWarnDate = t.date; t.advanceWarnTime = t.time; }, std::nullopt}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

TEST(TaskEntryRules, shouldGiveANoneTaskItsTimeAndOnlyWarnOfADateOffItsRule) {
    Task t = dailyTask();
    t.taskType = TaskType::None;
    t.scheduleType = ScheduleType::DayOfWeek;
    t.friday = 1;
    EXPECT_EQ(applyTaskEntryRules(t), std::nullopt) << "31 January 1997 is a Friday";
    EXPECT_EQ(t.time, kNoneTaskTime);

    t.date = dateFromYmd(1997, 2, 3);  // a Monday
    EXPECT_EQ(applyTaskEntryRules(t), std::optional<std::string>("Date given does not match schedule type."));
    EXPECT_EQ(t.date, dateFromYmd(1997, 2, 3)) << "the date stays";
}

}  // namespace
}  // namespace tarvelo
