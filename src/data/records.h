#pragma once
// The records of the data file SM and of the tag file, as values.
//
// Each window and the engine hold their own copies; `ref` says which stored row a copy was read from and
// at which version, so that writing it back can tell whether somebody else changed the row meanwhile.
// The field names are those of the stored tables (SCH:ID is `id`, SCH:KEYDATE orders date, time).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/date.h"
#include "core/fixed_text.h"
#include "store/row_ref.h"

namespace tarvelo {

using Byte = std::uint8_t;

// The rule vocabulary. Each word is stored as its text (the label of its radio button); Other stands for
// any text this program does not know, blank included.
enum class TaskType { RunProgram, DisplayMessage, Both, None, Other };
enum class ScheduleType { Once, DayOfWeek, DayOfMonth, Monthly, Yearly, Custom, Other };
enum class RepetitionUnit { Minute, Hour, Day, Week, Month, Year, Other };

// The words in the order the windows offer them.
inline constexpr std::array<TaskType, 4> kTaskTypes = {TaskType::RunProgram, TaskType::DisplayMessage,
                                                       TaskType::Both, TaskType::None};
inline constexpr std::array<ScheduleType, 6> kScheduleTypes = {ScheduleType::Once,    ScheduleType::DayOfWeek,
                                                               ScheduleType::DayOfMonth, ScheduleType::Monthly,
                                                               ScheduleType::Yearly,  ScheduleType::Custom};
inline constexpr std::array<RepetitionUnit, 6> kRepetitionUnits = {RepetitionUnit::Minute, RepetitionUnit::Hour,
                                                                   RepetitionUnit::Day,    RepetitionUnit::Week,
                                                                   RepetitionUnit::Month,  RepetitionUnit::Year};

// The stored text of a word, which is also its label: "Run Program", "Day of Week", "minute(s)". Blank for
// Other. This and ruleKind() are the one place where the words and their texts meet.
std::string_view ruleText(TaskType type);
std::string_view ruleText(ScheduleType type);
std::string_view ruleText(RepetitionUnit unit);

// What a stored text means. Task and schedule types are compared by their exact text (trailing blanks
// ignored); a unit by its first three letters in lower case ("min", "hou", "day", "wee", "mon", "yea").
void ruleKind(std::string_view text, TaskType& kind);
void ruleKind(std::string_view text, ScheduleType& kind);
void ruleKind(std::string_view text, RepetitionUnit& kind);

// A word of the vocabulary as a record holds it: its kind, and its stored text kept as read, so that a
// text this program does not know (Other) survives being read and written back.
template <class Kind>
class RuleWord {
public:
    RuleWord() = default;  // blank
    RuleWord(Kind kind) : m_kind(kind), m_text(ruleText(kind)) {}  // NOLINT: a word is set from its kind

    static RuleWord fromText(std::string_view stored) {
        RuleWord word;
        word.m_text = stored;
        ruleKind(word.m_text.text(), word.m_kind);
        return word;
    }

    Kind kind() const { return m_kind; }
    const std::string& text() const { return m_text.text(); }
    bool isBlank() const { return m_text.isBlank(); }
    void clear() { *this = RuleWord(); }

    friend bool operator==(const RuleWord& a, const RuleWord& b) { return a.m_text == b.m_text; }
    friend bool operator==(const RuleWord& a, Kind b) { return a.m_kind == b; }

private:
    Kind m_kind = Kind::Other;
    FixedText<20> m_text;
};

using TaskTypeWord = RuleWord<TaskType>;
using ScheduleTypeWord = RuleWord<ScheduleType>;
using RepetitionUnitWord = RuleWord<RepetitionUnit>;

// One scheduled task, or a completed copy of one of its occurrences (completed = 1, disabled = 1).
struct Task {
    std::int32_t id = 0;
    TaskTypeWord taskType;
    FixedText<20> category;
    FixedText<40> description;
    FixedText<80> command;
    FixedText<80> path;          // start-in folder
    ScheduleTypeWord scheduleType;
    // dayOfWeekGroup, Sunday first
    Byte sunday = 0;
    Byte monday = 0;
    Byte tuesday = 0;
    Byte wednesday = 0;
    Byte thursday = 0;
    Byte friday = 0;
    Byte saturday = 0;
    std::int32_t every = 0;
    // everyOrdinal
    Byte every1st = 0;
    Byte every2nd = 0;
    Byte every3rd = 0;
    Byte every4th = 0;
    Byte everyLast = 0;
    RepetitionUnitWord everyType;
    // scheduleDateAndTime
    StdDate date = 0;
    StdTime time = 0;
    StdDate lastRunDate = 0;
    StdTime lastRunTime = 0;
    Byte skipNextTime = 0;
    // alarmGroup
    Byte alarm = 0;
    CText<81> alarmFile;
    // advancedWarning
    StdDate advanceWarnDate = 0;
    StdTime advanceWarnTime = 0;
    Byte advanceWarned = 0;
    Byte warn = 0;
    Byte userSkip = 0;
    Byte disabled = 0;
    Byte completed = 0;
    MemoText<1000> message;

    store::RowRef ref;
    friend bool operator==(const Task&, const Task&) = default;
};

// The check boxes of the "&Every..." group, in the order they are shown.
inline constexpr std::array<Byte Task::*, 5> kOrdinalFlags = {&Task::every1st, &Task::every2nd,
                                                                  &Task::every3rd, &Task::every4th,
                                                                  &Task::everyLast};
inline constexpr std::array<Byte Task::*, 7> kWeekdayFlags = {
    &Task::sunday, &Task::monday, &Task::tuesday, &Task::wednesday,
    &Task::thursday, &Task::friday, &Task::saturday};

// A task performed with "Run Now": the Schedule record at that moment, under its own number, without the
// advance-warned flag.
struct History {
    std::int32_t id = 0;
    TaskTypeWord taskType;
    FixedText<20> category;
    FixedText<40> description;
    FixedText<80> command;
    FixedText<80> path;
    ScheduleTypeWord scheduleType;
    Byte sunday = 0;
    Byte monday = 0;
    Byte tuesday = 0;
    Byte wednesday = 0;
    Byte thursday = 0;
    Byte friday = 0;
    Byte saturday = 0;
    std::int32_t every = 0;
    Byte every1st = 0;
    Byte every2nd = 0;
    Byte every3rd = 0;
    Byte every4th = 0;
    Byte everyLast = 0;
    RepetitionUnitWord everyType;
    StdDate date = 0;
    StdTime time = 0;
    StdDate lastRunDate = 0;
    StdTime lastRunTime = 0;
    Byte skipNextTime = 0;
    Byte alarm = 0;
    CText<81> alarmFile;
    StdDate advanceWarnDate = 0;
    StdTime advanceWarnTime = 0;
    Byte warn = 0;
    Byte userSkip = 0;
    Byte disabled = 0;
    Byte completed = 0;
    MemoText<1000> message;

    store::RowRef ref;
    friend bool operator==(const History&, const History&) = default;
};

struct Category {
    FixedText<20> category;  // unique regardless of letter case

    store::RowRef ref;
    friend bool operator==(const Category&, const Category&) = default;
};

struct ToDo {
    Byte done = 0;
    Byte priority = 0;  // 1 .. 10; 5 for items made from a message window
    FixedText<40> todo;

    store::RowRef ref;
    friend bool operator==(const ToDo&, const ToDo&) = default;
};

// A selection mark on one record (TF_:USR, TF_:TBL, TF_:PTR, TF_:VAL as stored; data/tables.cpp maps them).
struct Tag {
    std::int32_t user = 0;      // whose mark: always the program's user (kTagUser)
    std::int16_t table = 0;     // the marked record's table (kScheduleTable)
    std::int32_t position = 0;  // the marked record's position, its row id
    FixedText<10> value;        // the sort value: for a task, its SCH:ID

    store::RowRef ref;
    friend bool operator==(const Tag&, const Tag&) = default;
};

// One start of a task's program and what became of it (RUN:...). The state is stored as its text
// ("running", "ended", "no result", "not started", "not watched"); runlog/run_log.h gives it meaning.
struct RunEntry {
    std::int32_t task = 0;
    FixedText<40> description;
    FixedText<80> command;
    StdDate startDate = 0;
    StdTime startTime = 0;
    StdDate endDate = 0;  // 0 while the program runs, or when its end was never seen
    StdTime endTime = 0;
    std::int32_t exitStatus = 0;
    std::int32_t signal = 0;  // the signal that ended the program; 0 when it exited
    std::int32_t durationMs = 0;
    FixedText<12> state;
    FixedText<36> bootId;        // the machine's boot the watcher ran in
    std::int32_t watcher = 0;    // the watcher's process id: with the boot, the start and the task, names the run
    Byte told = 1;               // 0: a failure the user has yet to hear of
    MemoText<4096> output;       // the last 4 KB of its standard output and error together

    store::RowRef ref;
    friend bool operator==(const RunEntry&, const RunEntry&) = default;
};

}  // namespace tarvelo
