#pragma once
// Tasks as flat JSON objects, keyed by the Schedule field names in lower case without the prefix
// ("scheduletype", "date", ...). Dates are Standard dates and times Standard times (numbers); flags are
// numbers 0..255 (true and false are taken as 1 and 0); texts are strings of at most their field's width in
// characters. A missing key (or null) is blank or 0.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "data/records.h"

namespace tarvelo::cli {

// One field of the recurrence rule: exactly one of the three members is set.
struct ScheduleJsonField {
    std::string_view key;
    FixedText<20> Schedule::*text = nullptr;
    Byte Schedule::*flag = nullptr;
    std::int32_t Schedule::*number = nullptr;
};

// The fields the recurrence rules read and write, in the order advance and valid print them.
inline constexpr ScheduleJsonField kRecurrenceJsonFields[] = {
    {"scheduletype", &Schedule::scheduleType},
    {"sunday", nullptr, &Schedule::sunday},
    {"monday", nullptr, &Schedule::monday},
    {"tuesday", nullptr, &Schedule::tuesday},
    {"wednesday", nullptr, &Schedule::wednesday},
    {"thursday", nullptr, &Schedule::thursday},
    {"friday", nullptr, &Schedule::friday},
    {"saturday", nullptr, &Schedule::saturday},
    {"every1st", nullptr, &Schedule::every1st},
    {"every2nd", nullptr, &Schedule::every2nd},
    {"every3rd", nullptr, &Schedule::every3rd},
    {"every4th", nullptr, &Schedule::every4th},
    {"everylast", nullptr, &Schedule::everyLast},
    {"every", nullptr, nullptr, &Schedule::every},
    {"everytype", &Schedule::everyType},
    {"date", nullptr, nullptr, &Schedule::date},
    {"time", nullptr, nullptr, &Schedule::time},
    {"completed", nullptr, &Schedule::completed},
    {"advancewarndate", nullptr, nullptr, &Schedule::advanceWarnDate},
    {"advancewarntime", nullptr, nullptr, &Schedule::advanceWarnTime},
    {"advancewarned", nullptr, &Schedule::advanceWarned},
    {"skipnexttime", nullptr, &Schedule::skipNextTime},
};

// Every field of a task: the recurrence fields, then id, tasktype, category, description, command, path,
// lastrundate, lastruntime, alarm, alarmfile, warn, userskip, disabled and message.
nlohmann::ordered_json scheduleToJson(const Schedule& task);

// Fills task from the keys of object. Returns the problem (an unknown key, a value of the wrong type or
// out of range, a text too long for its field) as text, or nothing when every key was taken.
std::optional<std::string> scheduleFromJson(const nlohmann::json& object, Schedule& task);

}  // namespace tarvelo::cli
