// The rule vocabulary: each word and its stored text, and texts the program does not know.
#include "data/records.h"

#include <gtest/gtest.h>

#include <string>

#include "data/record_table.h"

namespace tarvelo {
namespace {

struct WordCase {
    const char* name;
    const char* stored;
    TaskType taskType;
    ScheduleType scheduleType;
    RepetitionUnit unit;
};

class RuleWordText : public testing::TestWithParam<WordCase> {};

TEST_P(RuleWordText, GivenAStoredTextThenItsMeaningIsReadAndTheTextSurvivesTheTableUnchanged) {
    const WordCase& c = GetParam();
    Task s;
    s.taskType = TaskTypeWord::fromText(c.stored);
    s.scheduleType = ScheduleTypeWord::fromText(c.stored);
    s.everyType = RepetitionUnitWord::fromText(c.stored);
    EXPECT_EQ(s.taskType.kind(), c.taskType);
    EXPECT_EQ(s.scheduleType.kind(), c.scheduleType);
    EXPECT_EQ(s.everyType.kind(), c.unit);

    const Task back = RecordTable<Task>::fromRow(RecordTable<Task>::toRow(s));
    EXPECT_EQ(back, s);
    EXPECT_EQ(back.taskType.text(), std::string(trimRight(c.stored)));
    EXPECT_EQ(back.everyType.text(), std::string(trimRight(c.stored))) << "a unit read by its first letters keeps its text";
}

INSTANTIATE_TEST_SUITE_P(
    Words, RuleWordText,
    testing::Values(
        WordCase{"RunProgram", "Run Program", TaskType::RunProgram, ScheduleType::Other, RepetitionUnit::Other},
        WordCase{"NoneWithTrailingBlanks", "None   ", TaskType::None, ScheduleType::Other, RepetitionUnit::Other},
        WordCase{"DayOfMonth", "Day of Month", TaskType::Other, ScheduleType::DayOfMonth, RepetitionUnit::Day},
        WordCase{"TypesAreExact", "custom", TaskType::Other, ScheduleType::Other, RepetitionUnit::Other},
        WordCase{"UnitByItsFirstThreeLetters", "MONTHS", TaskType::Other, ScheduleType::Other, RepetitionUnit::Month},
        WordCase{"UnitTooShort", "mi", TaskType::Other, ScheduleType::Other, RepetitionUnit::Other},
        WordCase{"Unknown", "Fortnightly", TaskType::Other, ScheduleType::Other, RepetitionUnit::Other},
        WordCase{"Blank", "", TaskType::Other, ScheduleType::Other, RepetitionUnit::Other}),
    [](const testing::TestParamInfo<WordCase>& info) { return std::string(info.param.name); });

TEST(RuleWords, GivenEachKnownWordThenItsTextReadsBackAsTheSameWord) {
    for (TaskType t : kTaskTypes) EXPECT_EQ(TaskTypeWord::fromText(TaskTypeWord(t).text()), t);
    for (ScheduleType t : kScheduleTypes) EXPECT_EQ(ScheduleTypeWord::fromText(ScheduleTypeWord(t).text()), t);
    for (RepetitionUnit u : kRepetitionUnits) EXPECT_EQ(RepetitionUnitWord::fromText(RepetitionUnitWord(u).text()), u);
    EXPECT_EQ(ScheduleTypeWord(ScheduleType::DayOfWeek).text(), "Day of Week");
    EXPECT_TRUE(TaskTypeWord(TaskType::Other).isBlank());
}

}  // namespace
}  // namespace tarvelo
