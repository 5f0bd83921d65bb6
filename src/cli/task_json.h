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
struct TaskJsonField {
    std::string_view key;
    const std::string& (*text)(const Task&) = nullptr;
    void (*setText)(Task&, std::string_view) = nullptr;
    std::size_t width = 0;  // of a text, in characters
    Byte Task::*flag = nullptr;
    std::int32_t Task::*number = nullptr;
};

// A text field: a word of the rule vocabulary (kept as its stored text) or a fixed-width text.
template <auto Member>
constexpr TaskJsonField textField(std::string_view key) {
    using Text = std::remove_reference_t<decltype(std::declval<Task&>().*Member)>;
    TaskJsonField field{.key = key,
                            .text = [](const Task& t) -> const std::string& { return (t.*Member).text(); }};
    if constexpr (requires { Text::fromText(std::string_view()); }) {
        field.setText = [](Task& t, std::string_view text) { t.*Member = Text::fromText(text); };
        field.width = 20;
    } else {
        field.setText = [](Task& t, std::string_view text) { t.*Member = text; };
        field.width = Text::kWidth;
    }
    return field;
}

// Every field of a task in the order they are printed: first those the recurrence rules read and write,
// then the others.
inline constexpr TaskJsonField kTaskJsonFields[] = {
    textField<&Task::scheduleType>("scheduletype"),
    {.key = "sunday", .flag = &Task::sunday},
    {.key = "monday", .flag = &Task::monday},
    {.key = "tuesday", .flag = &Task::tuesday},
    {.key = "wednesday", .flag = &Task::wednesday},
    {.key = "thursday", .flag = &Task::thursday},
    {.key = "friday", .flag = &Task::friday},
    {.key = "saturday", .flag = &Task::saturday},
    {.key = "every1st", .flag = &Task::every1st},
    {.key = "every2nd", .flag = &Task::every2nd},
    {.key = "every3rd", .flag = &Task::every3rd},
    {.key = "every4th", .flag = &Task::every4th},
    {.key = "everylast", .flag = &Task::everyLast},
    {.key = "every", .number = &Task::every},
    textField<&Task::everyType>("everytype"),
    {.key = "date", .number = &Task::date},
    {.key = "time", .number = &Task::time},
    {.key = "completed", .flag = &Task::completed},
    {.key = "advancewarndate", .number = &Task::advanceWarnDate},
    {.key = "advancewarntime", .number = &Task::advanceWarnTime},
    {.key = "advancewarned", .flag = &Task::advanceWarned},
    {.key = "skipnexttime", .flag = &Task::skipNextTime},
    // The rules need none of these.
    {.key = "id", .number = &Task::id},
    textField<&Task::taskType>("tasktype"),
    textField<&Task::category>("category"),
    textField<&Task::description>("description"),
    textField<&Task::command>("command"),
    textField<&Task::path>("path"),
    {.key = "lastrundate", .number = &Task::lastRunDate},
    {.key = "lastruntime", .number = &Task::lastRunTime},
    {.key = "alarm", .flag = &Task::alarm},
    textField<&Task::alarmFile>("alarmfile"),
    {.key = "warn", .flag = &Task::warn},
    {.key = "userskip", .flag = &Task::userSkip},
    {.key = "disabled", .flag = &Task::disabled},
    textField<&Task::message>("message"),
};

// The fields the recurrence rules read and write.
inline constexpr std::span<const TaskJsonField> kRecurrenceJsonFields{kTaskJsonFields, 22};

// Appends the fields to line, in their order, leaving out the field named `except` (if any).
void writeTask(platform::JsonLine& line, const Task& task,
                   std::span<const TaskJsonField> fields = kTaskJsonFields, std::string_view except = {});

// The reader of tasks, one object per text. Besides the task's fields an object may carry numbers of the
// command's own (advance's "ref_date"); keys that are neither are refused or passed over.
class TaskJsonReader {
public:
    static constexpr std::size_t kMaxExtras = 2;
    enum class OtherKeys { refuse, ignore };
    // Texts of a task to be stored are held to the entries' rules: no control characters (the message
    // keeps its line breaks and tabs), well-formed UTF-8. A task read to be computed on is taken as given.
    enum class Texts { asGiven, asEntered };

    TaskJsonReader(std::span<const TaskJsonField> fields, OtherKeys otherKeys,
                       std::span<const std::string_view> extraKeys = {}, Texts texts = Texts::asGiven);

    // Fills task (and extras, in the order of the extra keys; each 0 when missing) from text. Returns the
    // problem, or nothing when every key was taken: "invalid JSON: ...", "expected a JSON object",
    // "\"date\" must be a whole number from -2147483648 to 2147483647", "unknown key \"descripton\"", ...
    std::optional<std::string> read(std::string_view text, Task& task, std::int32_t* extras = nullptr) const;

    // One value as either reader hands it on.
    struct Value {
        enum Type { null, boolean, integer, tooLarge, fraction, string, other } type = null;
        bool flag = false;
        std::int64_t number = 0;
        std::string_view text;
    };
    // Takes one key's value. Objects list their keys in the fields' order as a rule, so the search starts
    // at *next (when given), which is left at the field after the one taken.
    std::optional<std::string> take(std::string_view key, const Value& value, Task& task, std::int32_t* extras,
                                    std::size_t* next = nullptr) const;

private:
    std::span<const TaskJsonField> m_fields;
    OtherKeys m_otherKeys;
    std::span<const std::string_view> m_extraKeys;
    Texts m_texts;
};

}  // namespace tarvelo::cli
