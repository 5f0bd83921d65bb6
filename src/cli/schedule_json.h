#pragma once
// Tasks as flat JSON objects, keyed by the Schedule field names in lower case without the prefix
// ("scheduletype", "date", ...). Dates are Standard dates and times Standard times (numbers); flags are
// numbers 0..255 (true and false are taken as 1 and 0); texts are strings of at most their field's width in
// characters. A missing key (or null) is blank or 0.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include <nlohmann/json.hpp>

#include "data/records.h"

namespace tarvelo::cli {

// One field of the recurrence rule: a word of the rule vocabulary (text and setText), a flag or a number.
struct ScheduleJsonField {
    std::string_view key;
    const std::string& (*text)(const Schedule&) = nullptr;
    void (*setText)(Schedule&, std::string_view) = nullptr;
    Byte Schedule::*flag = nullptr;
    std::int32_t Schedule::*number = nullptr;
};

// The stored text of a rule word, in and out.
template <auto Member>
constexpr ScheduleJsonField ruleWordField(std::string_view key) {
    using Word = std::remove_reference_t<decltype(std::declval<Schedule&>().*Member)>;
    return {.key = key,
            .text = [](const Schedule& t) -> const std::string& { return (t.*Member).text(); },
            .setText = [](Schedule& t, std::string_view text) { t.*Member = Word::fromText(text); }};
}

// The fields the recurrence rules read and write, in the order advance and valid print them.
inline constexpr ScheduleJsonField kRecurrenceJsonFields[] = {
    ruleWordField<&Schedule::scheduleType>("scheduletype"),
    {.key = "sunday", .flag = &Schedule::sunday},
    {.key = "monday", .flag = &Schedule::monday},
    {.key = "tuesday", .flag = &Schedule::tuesday},
    {.key = "wednesday", .flag = &Schedule::wednesday},
    {.key = "thursday", .flag = &Schedule::thursday},
    {.key = "friday", .flag = &Schedule::friday},
    {.key = "saturday", .flag = &Schedule::saturday},
    {.key = "every1st", .flag = &Schedule::every1st},
    {.key = "every2nd", .flag = &Schedule::every2nd},
    {.key = "every3rd", .flag = &Schedule::every3rd},
    {.key = "every4th", .flag = &Schedule::every4th},
    {.key = "everylast", .flag = &Schedule::everyLast},
    {.key = "every", .number = &Schedule::every},
    ruleWordField<&Schedule::everyType>("everytype"),
    {.key = "date", .number = &Schedule::date},
    {.key = "time", .number = &Schedule::time},
    {.key = "completed", .flag = &Schedule::completed},
    {.key = "advancewarndate", .number = &Schedule::advanceWarnDate},
    {.key = "advancewarntime", .number = &Schedule::advanceWarnTime},
    {.key = "advancewarned", .flag = &Schedule::advanceWarned},
    {.key = "skipnexttime", .flag = &Schedule::skipNextTime},
};

// Every field of a task: the recurrence fields, then id, tasktype, category, description, command, path,
// lastrundate, lastruntime, alarm, alarmfile, warn, userskip, disabled and message.
nlohmann::ordered_json scheduleToJson(const Schedule& task);

// Fills task from the keys of object. Returns the problem (an unknown key, a value of the wrong type or
// out of range, a text too long for its field) as text, or nothing when every key was taken.
std::optional<std::string> scheduleFromJson(const nlohmann::json& object, Schedule& task);

}  // namespace tarvelo::cli
