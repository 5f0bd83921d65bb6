#pragma once
// Tasks with a recurrence rule, built in one line each: weekdays as "SMTWTFS" with '-' for unticked,
// ordinals as "1234L".
#include <cstdint>
#include <string>

#include "data/records.h"

namespace tarvelo::test {

inline Task makeTask(const std::string& type, StdDate date, StdTime time = 1, const std::string& days = "",
                         const std::string& ordinals = "", std::int32_t every = 1, const std::string& unit = "") {
    Task t;
    t.scheduleType = ScheduleTypeWord::fromText(type);
    t.date = date;
    t.time = time;
    Byte* w[7] = {&t.sunday, &t.monday, &t.tuesday, &t.wednesday, &t.thursday, &t.friday, &t.saturday};
    Byte* o[5] = {&t.every1st, &t.every2nd, &t.every3rd, &t.every4th, &t.everyLast};
    for (std::size_t i = 0; i < 7; ++i) *w[i] = i < days.size() && days[i] != '-';
    for (std::size_t i = 0; i < 5; ++i) *o[i] = i < ordinals.size() && ordinals[i] != '-';
    t.every = every;
    t.everyType = RepetitionUnitWord::fromText(unit);
    return t;
}

inline Task custom(std::int32_t every, const std::string& unit, StdDate date, StdTime time = 1) {
    return makeTask("Custom", date, time, "", "", every, unit);
}

}  // namespace tarvelo::test
