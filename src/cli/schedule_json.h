#pragma once
// Tasks as flat JSON objects, keyed by the Schedule field names in lower case ("scheduletype", "date", ...),
// read and written for every command the same way. Dates are Standard dates and times Standard times
// (numbers); flags are numbers 0..255 (true and false are read as 1 and 0); texts are strings of at most
// their field's width in characters (without control characters, for a task to be stored). A missing key
// (or null) is blank or 0.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "data/records.h"
#include "platform/terminal/json_line.h"

namespace tarvelo::cli {

// One field of a task: a text (a word of the rule vocabulary or a fixed-width text), a flag or a number.
struct ScheduleJsonField {
    std::string_view key;
    const std::string& (*text)(const Schedule&) = nullptr;
    void (*setText)(Schedule&, std::string_view) = nullptr;
    std::size_t width = 0;  // of a text, in characters
    Byte Schedule::*flag = nullptr;
    std::int32_t Schedule::*number = nullptr;
};

// A text field: a word of the rule vocabulary (kept as its stored text) or a fixed-width text.
template <auto Member>
constexpr ScheduleJsonField textField(std::string_view key) {
    using Text = std::remove_reference_t<decltype(std::declval<Schedule&>().*Member)>;
    ScheduleJsonField field{.key = key,
                            .text = [](const Schedule& t) -> const std::string& { return (t.*Member).text(); }};
    if constexpr (requires { Text::fromText(std::string_view()); }) {
        field.setText = [](Schedule& t, std::string_view text) { t.*Member = Text::fromText(text); };
        field.width = 20;
    } else {
        field.setText = [](Schedule& t, std::string_view text) { t.*Member = text; };
        field.width = Text::kWidth;
    }
    return field;
}

// Every field of a task in the order they are printed: first those the recurrence rules read and write,
// then the others.
inline constexpr ScheduleJsonField kScheduleJsonFields[] = {
    textField<&Schedule::scheduleType>("scheduletype"),
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
    textField<&Schedule::everyType>("everytype"),
    {.key = "date", .number = &Schedule::date},
    {.key = "time", .number = &Schedule::time},
    {.key = "completed", .flag = &Schedule::completed},
    {.key = "advancewarndate", .number = &Schedule::advanceWarnDate},
    {.key = "advancewarntime", .number = &Schedule::advanceWarnTime},
    {.key = "advancewarned", .flag = &Schedule::advanceWarned},
    {.key = "skipnexttime", .flag = &Schedule::skipNextTime},
    // The rules need none of these.
    {.key = "id", .number = &Schedule::id},
    textField<&Schedule::taskType>("tasktype"),
    textField<&Schedule::category>("category"),
    textField<&Schedule::description>("description"),
    textField<&Schedule::command>("command"),
    textField<&Schedule::path>("path"),
    {.key = "lastrundate", .number = &Schedule::lastRunDate},
    {.key = "lastruntime", .number = &Schedule::lastRunTime},
    {.key = "alarm", .flag = &Schedule::alarm},
    textField<&Schedule::alarmFile>("alarmfile"),
    {.key = "warn", .flag = &Schedule::warn},
    {.key = "userskip", .flag = &Schedule::userSkip},
    {.key = "disabled", .flag = &Schedule::disabled},
    textField<&Schedule::message>("message"),
};

// The fields the recurrence rules read and write.
inline constexpr std::span<const ScheduleJsonField> kRecurrenceJsonFields{kScheduleJsonFields, 22};

// Appends the fields to line, in their order, leaving out the field named `except` (if any).
void writeSchedule(headless::JsonLine& line, const Schedule& task,
                   std::span<const ScheduleJsonField> fields = kScheduleJsonFields, std::string_view except = {});

// The reader of tasks, one object per text. Besides the task's fields an object may carry numbers of the
// command's own (advance's "ref_date"); keys that are neither are refused or passed over.
class ScheduleJsonReader {
public:
    static constexpr std::size_t kMaxExtras = 2;
    enum class OtherKeys { refuse, ignore };
    // Texts of a task to be stored are held to the entries' rules: no control characters (the message
    // keeps its line breaks and tabs), well-formed UTF-8. A task read to be computed on is taken as given.
    enum class Texts { asGiven, asEntered };

    ScheduleJsonReader(std::span<const ScheduleJsonField> fields, OtherKeys otherKeys,
                       std::span<const std::string_view> extraKeys = {}, Texts texts = Texts::asGiven);

    // Fills task (and extras, in the order of the extra keys; each 0 when missing) from text. Returns the
    // problem, or nothing when every key was taken: "invalid JSON: ...", "expected a JSON object",
    // "\"date\" must be a whole number from -2147483648 to 2147483647", "unknown key \"descripton\"", ...
    std::optional<std::string> read(std::string_view text, Schedule& task, std::int32_t* extras = nullptr) const;

    // One value as either reader hands it on.
    struct Value {
        enum Type { null, boolean, integer, tooLarge, fraction, string, other } type = null;
        bool flag = false;
        std::int64_t number = 0;
        std::string_view text;
    };
    // Takes one key's value. Objects list their keys in the fields' order as a rule, so the search starts
    // at *next (when given), which is left at the field after the one taken.
    std::optional<std::string> take(std::string_view key, const Value& value, Schedule& task, std::int32_t* extras,
                                    std::size_t* next = nullptr) const;

private:
    std::span<const ScheduleJsonField> m_fields;
    OtherKeys m_otherKeys;
    std::span<const std::string_view> m_extraKeys;
    Texts m_texts;
};

}  // namespace tarvelo::cli
