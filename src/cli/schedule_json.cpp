#include "cli/schedule_json.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace tarvelo::cli {
namespace {

using Json = nlohmann::json;

std::string quotedKey(std::string_view key) { return "\"" + std::string(key) + "\""; }

std::optional<std::string> readNumber(std::string_view key, const Json& value, std::int32_t& out) {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned()) {
            if (value.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
                out = static_cast<std::int32_t>(value.get<std::uint64_t>());
                return std::nullopt;
            }
        } else {
            const auto n = value.get<std::int64_t>();
            if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max()) {
                out = static_cast<std::int32_t>(n);
                return std::nullopt;
            }
        }
    }
    return quotedKey(key) + " must be a whole number from -2147483648 to 2147483647";
}

std::optional<std::string> readFlag(std::string_view key, const Json& value, Byte& out) {
    if (value.is_boolean()) {
        out = value.get<bool>() ? 1 : 0;
        return std::nullopt;
    }
    if (value.is_number_integer() && !value.is_number_unsigned() && value.get<std::int64_t>() >= 0 &&
        value.get<std::int64_t>() <= 255) {
        out = static_cast<Byte>(value.get<std::int64_t>());
        return std::nullopt;
    }
    if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 255) {
        out = static_cast<Byte>(value.get<std::uint64_t>());
        return std::nullopt;
    }
    return quotedKey(key) + " must be true, false or a number from 0 to 255";
}

// The text of a string value that fits a field of width characters. Trailing blanks are never kept, so
// only what is left of them has to fit.
std::optional<std::string> fittingText(std::string_view key, const Json& value, std::size_t width,
                                       std::string_view& text) {
    if (!value.is_string()) return quotedKey(key) + " must be a string";
    text = value.get_ref<const std::string&>();
    if (utf8Length(trimRight(text)) > width) return quotedKey(key) + " holds at most " + std::to_string(width) + " characters";
    return std::nullopt;
}

template <std::size_t N>
std::optional<std::string> readText(std::string_view key, const Json& value, FixedText<N>& out) {
    std::string_view text;
    if (auto problem = fittingText(key, value, N, text)) return problem;
    out = text;
    return std::nullopt;
}

template <class Kind>
std::optional<std::string> readText(std::string_view key, const Json& value, RuleWord<Kind>& out) {
    std::string_view text;
    if (auto problem = fittingText(key, value, 20, text)) return problem;
    out = RuleWord<Kind>::fromText(text);
    return std::nullopt;
}

// The fields beyond the recurrence rule: how each is printed and read.
struct OtherField {
    std::string_view key;
    std::function<Json(const Schedule&)> get;
    std::function<std::optional<std::string>(const Json&, Schedule&)> set;
};

template <auto Member>
OtherField number(std::string_view key) {
    return {key, [](const Schedule& t) { return Json(t.*Member); },
            [key](const Json& v, Schedule& t) { return readNumber(key, v, t.*Member); }};
}
template <auto Member>
OtherField flag(std::string_view key) {
    return {key, [](const Schedule& t) { return Json(t.*Member); },
            [key](const Json& v, Schedule& t) { return readFlag(key, v, t.*Member); }};
}
template <auto Member>
OtherField text(std::string_view key) {
    return {key, [](const Schedule& t) { return Json((t.*Member).text()); },
            [key](const Json& v, Schedule& t) { return readText(key, v, t.*Member); }};
}

const std::vector<OtherField>& otherFields() {
    static const std::vector<OtherField> fields{
        number<&Schedule::id>("id"),
        text<&Schedule::taskType>("tasktype"),
        text<&Schedule::category>("category"),
        text<&Schedule::description>("description"),
        text<&Schedule::command>("command"),
        text<&Schedule::path>("path"),
        number<&Schedule::lastRunDate>("lastrundate"),
        number<&Schedule::lastRunTime>("lastruntime"),
        flag<&Schedule::alarm>("alarm"),
        text<&Schedule::alarmFile>("alarmfile"),
        flag<&Schedule::warn>("warn"),
        flag<&Schedule::userSkip>("userskip"),
        flag<&Schedule::disabled>("disabled"),
        text<&Schedule::message>("message"),
    };
    return fields;
}

}  // namespace

nlohmann::ordered_json scheduleToJson(const Schedule& task) {
    nlohmann::ordered_json object;
    for (const auto& f : kRecurrenceJsonFields) {
        const std::string key(f.key);
        if (f.text) object[key] = f.text(task);
        else if (f.flag) object[key] = task.*f.flag;
        else object[key] = task.*f.number;
    }
    for (const auto& f : otherFields()) object[std::string(f.key)] = f.get(task);
    return object;
}

std::optional<std::string> scheduleFromJson(const nlohmann::json& object, Schedule& task) {
    if (!object.is_object()) return "expected a JSON object";
    for (const auto& [key, value] : object.items()) {
        if (value.is_null()) continue;
        bool known = false;
        for (const auto& f : kRecurrenceJsonFields) {
            if (f.key != key) continue;
            known = true;
            std::optional<std::string> problem;
            if (f.text) {
                std::string_view text;
                problem = fittingText(key, value, 20, text);
                if (!problem) f.setText(task, text);
            }
            else if (f.flag) problem = readFlag(key, value, task.*f.flag);
            else problem = readNumber(key, value, task.*f.number);
            if (problem) return problem;
        }
        for (const auto& f : otherFields()) {
            if (f.key != key) continue;
            known = true;
            if (auto problem = f.set(value, task)) return problem;
        }
        if (!known) return "unknown key " + quotedKey(key);
    }
    return std::nullopt;
}

}  // namespace tarvelo::cli
