#pragma once
// The records of the data file SM and of the tag file, as values.
//
// Each window and the engine hold their own copies; `ref` says which stored row a copy was read from and
// at which version, so that writing it back can tell whether somebody else changed the row meanwhile.
// The field names are those of the stored tables (SCH:ID is `id`, SCH:KEYDATE orders date, time).
#include <cstdint>

#include "core/date.h"
#include "core/fixed_text.h"
#include "store/row_ref.h"

namespace tarvelo {

using Byte = std::uint8_t;

// One scheduled task, or a completed copy of one of its occurrences (completed = 1, disabled = 1).
struct Schedule {
    std::int32_t id = 0;
    FixedText<20> taskType;      // "Run Program", "Display Message", "Both", "None"
    FixedText<20> category;
    FixedText<40> description;
    FixedText<80> command;
    FixedText<80> path;          // start-in folder
    FixedText<20> scheduleType;  // "Once", "Day of Week", "Day of Month", "Monthly", "Yearly", "Custom"
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
    FixedText<20> everyType;     // "minute(s)" .. "year(s)"
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
    friend bool operator==(const Schedule&, const Schedule&) = default;
};

// A task performed with "Run Now": the Schedule record at that moment, under its own number, without the
// advance-warned flag.
struct History {
    std::int32_t id = 0;
    FixedText<20> taskType;
    FixedText<20> category;
    FixedText<40> description;
    FixedText<80> command;
    FixedText<80> path;
    FixedText<20> scheduleType;
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
    FixedText<20> everyType;
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

struct Tag {
    std::int32_t usr = 0;
    std::int16_t tbl = 0;
    std::int32_t ptr = 0;
    FixedText<10> val;

    store::RowRef ref;
    friend bool operator==(const Tag&, const Tag&) = default;
};

}  // namespace tarvelo
