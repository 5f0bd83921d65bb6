#include "calendar/calendar_rules.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <set>
#include <string_view>

#include "tasks/next_dates.h"
#include "tasks/recurrence.h"

namespace tarvelo::calendar {
namespace {

// The ordinal flags as BYDAY ordinals, in the order of kOrdinalFlags: 1st .. 4th, and last (-1).
constexpr int kOrdinals[5] = {1, 2, 3, 4, -1};
constexpr int kMaxEvery = 999999;

std::vector<int> weekdaysOf(const Task& task) {
    std::vector<int> days;
    for (std::size_t i = 0; i < kWeekdayFlags.size(); ++i)
        if (task.*kWeekdayFlags[i]) days.push_back(static_cast<int>(i));
    return days;
}

std::vector<int> ordinalsOf(const Task& task) {
    std::vector<int> ordinals;
    for (std::size_t i = 0; i < kOrdinalFlags.size(); ++i)
        if (task.*kOrdinalFlags[i]) ordinals.push_back(kOrdinals[i]);
    return ordinals;
}

bool hasWeekday(const std::vector<int>& days, StdDate date) {
    return std::find(days.begin(), days.end(), dayOfWeek(date)) != days.end();
}

// The month's days of an ordinal: 1st is days 1 to 7, ..., 4th days 22 to 28, last the final seven.
void addOrdinalDays(int ordinal, std::vector<int>& days) {
    for (int k = 0; k < 7; ++k) days.push_back(ordinal > 0 ? (ordinal - 1) * 7 + 1 + k : -7 + k);
}

bool inOrdinalDays(const std::vector<int>& ordinals, StdDate date) {
    const Ymd ymd = ymdFromDate(date);
    const int fromEnd = daysInMonth(ymd.year, ymd.month) - ymd.day;  // 0 on the last day
    for (const int o : ordinals) {
        if (o > 0 && (ymd.day - 1) / 7 + 1 == o) return true;
        if (o < 0 && fromEnd <= 6) return true;
    }
    return false;
}

std::int64_t repetition(const Task& task) { return std::max<std::int64_t>(task.every, 1); }

// The RRULE that follows the task's rule from an occurrence on its days.
Recurrence patternOf(const Task& task) {
    Recurrence r;
    const std::vector<int> days = weekdaysOf(task);
    const auto byWeekday = [&](int ordinal) {
        for (const int d : days) r.byDay.push_back({ordinal, d});
    };
    switch (ruleType(task)) {
    case ScheduleType::DayOfWeek:
        r.frequency = days.empty() ? Frequency::daily : Frequency::weekly;
        byWeekday(0);
        return r;
    case ScheduleType::DayOfMonth: {
        const std::vector<int> ordinals = ordinalsOf(task);
        if (ordinals.empty()) {
            r.frequency = days.empty() ? Frequency::daily : Frequency::weekly;
            byWeekday(0);
            return r;
        }
        r.frequency = Frequency::monthly;
        for (const int o : ordinals) {
            if (days.empty()) addOrdinalDays(o, r.byMonthDay);
            byWeekday(o);
        }
        return r;
    }
    case ScheduleType::Monthly:
        r.frequency = Frequency::monthly;
        return r;
    case ScheduleType::Yearly:
        r.frequency = Frequency::yearly;
        return r;
    default:
        break;
    }
    r.interval = repetition(task);
    switch (task.everyType.kind()) {
    case RepetitionUnit::Minute: r.frequency = Frequency::minutely; break;
    case RepetitionUnit::Hour: r.frequency = Frequency::hourly; break;
    case RepetitionUnit::Day: r.frequency = Frequency::daily; break;
    case RepetitionUnit::Week: r.frequency = Frequency::weekly; break;
    case RepetitionUnit::Month: r.frequency = Frequency::monthly; break;
    case RepetitionUnit::Year: r.frequency = Frequency::yearly; break;
    case RepetitionUnit::Other:  // the scheduler moves such a task on by a day
        r.frequency = Frequency::daily;
        r.interval = 1;
        break;
    }
    return r;
}

// Whether the rule, started at `at`, gives `at` as one of its own occurrences.
bool onPattern(const Task& task, platform::Moment at) {
    const std::vector<int> days = weekdaysOf(task);
    switch (ruleType(task)) {
    case ScheduleType::DayOfWeek:
        return days.empty() || hasWeekday(days, at.date);
    case ScheduleType::DayOfMonth: {
        const std::vector<int> ordinals = ordinalsOf(task);
        if (!days.empty() && !hasWeekday(days, at.date)) return false;
        return ordinals.empty() || inOrdinalDays(ordinals, at.date);
    }
    case ScheduleType::Custom: {
        // A minute or hour step keeps the hundredths past midnight; a task without a time has none.
        const RepetitionUnit unit = task.everyType.kind();
        if (unit == RepetitionUnit::Minute || unit == RepetitionUnit::Hour) return at.time >= 1 && at.time <= kOneDay;
        return true;
    }
    default:
        return true;
    }
}

struct Carry {
    platform::Moment last;     // the last occurrence on the starting day of the month
    platform::Moment carried;  // the one after it, carried past a month too short
};

// Where a month or year rule starting at `start` first carries its day, within the supported dates.
std::optional<Carry> carryAfter(const Task& task, platform::Moment start) {
    const ScheduleType type = ruleType(task);
    const RepetitionUnit unit = task.everyType.kind();
    const bool months = type == ScheduleType::Monthly || (type == ScheduleType::Custom && unit == RepetitionUnit::Month);
    const bool years = type == ScheduleType::Yearly || (type == ScheduleType::Custom && unit == RepetitionUnit::Year);
    const std::int64_t n = type == ScheduleType::Custom ? repetition(task) : 1;
    const Ymd s = ymdFromDate(start.date);
    const Ymd end = ymdFromDate(kMaxDate);
    std::optional<Ymd> last;
    if (months && s.day > 28) {
        // Month lengths repeat every 400 years, 4,800 months.
        const std::int64_t index = std::int64_t{s.year} * 12 + s.month - 1;
        for (std::int64_t j = 1; j <= 4800; ++j) {
            const std::int64_t at = index + j * n;
            const int year = static_cast<int>(at / 12);
            const int month = static_cast<int>(at % 12 + 1);
            if (year > end.year) return std::nullopt;
            if (daysInMonth(year, month) < s.day) {
                const std::int64_t before = at - n;
                last = Ymd{static_cast<int>(before / 12), static_cast<int>(before % 12 + 1), s.day};
                break;
            }
        }
    } else if (years && s.month == 2 && s.day == 29) {
        for (std::int64_t j = 1; j <= 400; ++j) {
            const std::int64_t year = s.year + j * n;
            if (year > end.year) return std::nullopt;
            if (!isLeapYear(static_cast<int>(year))) {
                last = Ymd{static_cast<int>(year - n), 2, 29};
                break;
            }
        }
    }
    if (!last) return std::nullopt;
    const platform::Moment lastMoment{dateFromYmd(last->year, last->month, last->day), start.time};
    const std::optional<platform::Moment> carried = occurrenceAfter(task, lastMoment);
    if (!carried) return std::nullopt;
    return Carry{lastMoment, *carried};
}

// --- X-TARVELO-RULE ---------------------------------------------------------------------------------

constexpr const char* kOrdinalWords[5] = {"1", "2", "3", "4", "LAST"};

// A stored text inside the rule's text: the characters that separate its parts, and '%', written %XX.
std::string encoded(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '%' || c == ';' || c == ',' || c == '=') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> decoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size()) return std::nullopt;
        const auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
        if (error != std::errc() || end != text.data() + i + 3) return std::nullopt;
        out += static_cast<char>(value);
        i += 2;
    }
    return out;
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    std::int64_t value = 0;
    const char* first = text.data();
    if (!text.empty() && text[0] == '+') ++first;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> listOf(std::string_view value) {
    std::vector<std::string_view> items;
    for (std::size_t at = 0; at < value.size();) {
        const std::size_t comma = std::min(value.find(',', at), value.size());
        items.push_back(value.substr(at, comma - at));
        at = comma + 1;
    }
    return items;
}

// Hands each NAME=value part of text to take, each name at most once; the first problem found.
template <class Take>
std::optional<std::string> readParts(std::string_view text, const Take& take) {
    std::set<std::string, std::less<>> seen;
    while (!text.empty()) {
        const std::size_t semi = text.find(';');
        const std::string_view part = text.substr(0, semi);
        text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
        const std::size_t eq = part.find('=');
        if (eq == std::string_view::npos) return "'" + std::string(part) + "' is not NAME=value";
        const std::string name(part.substr(0, eq));
        if (!seen.insert(name).second) return name + " is given twice";
        if (auto problem = take(name, part.substr(eq + 1))) return problem;
    }
    return std::nullopt;
}

// --- Foreign rules ----------------------------------------------------------------------------------

void setRule(Task& task, ScheduleType type, std::int64_t every = 0, RepetitionUnit unit = RepetitionUnit::Other) {
    task.scheduleType = type;
    task.every = static_cast<std::int32_t>(every);
    if (unit == RepetitionUnit::Other) {
        task.everyType.clear();
    } else {
        task.everyType = unit;
    }
}

void setWeekdays(Task& task, const std::set<int>& days) {
    for (std::size_t i = 0; i < kWeekdayFlags.size(); ++i) task.*kWeekdayFlags[i] = days.count(static_cast<int>(i)) ? 1 : 0;
}

std::string frequencyName(Frequency f) {
    const char* names[] = {"SECONDLY", "MINUTELY", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
    return names[static_cast<int>(f)];
}

}  // namespace

std::vector<SeriesPart> seriesOf(const Task& task) {
    const std::vector<platform::Moment> first = nextDates(task, 2);
    if (first.empty()) return {};
    if (first.size() == 1) return {{first[0], std::nullopt}};
    std::vector<SeriesPart> parts;
    platform::Moment start = first[0];
    if (!onPattern(task, start)) {
        parts.push_back({start, std::nullopt});
        start = first[1];
    }
    const Recurrence rule = patternOf(task);
    if (const std::optional<Carry> carry = carryAfter(task, start)) {
        if (carry->last == start) {
            parts.push_back({start, std::nullopt});
        } else {
            Recurrence bounded = rule;
            bounded.until = dateTimeOf(carry->last);
            parts.push_back({start, bounded});
        }
        start = carry->carried;
    }
    parts.push_back({start, rule});
    return parts;
}

DateTimeValue dateTimeOf(platform::Moment at) {
    const Hms clock = clockTime(at.time);
    return dateTimeAt(at.date, ((clock.hours * 60 + clock.minutes) * 60 + clock.seconds) * 100 + clock.hundredths);
}

std::optional<std::string> ruleOfRecurrence(const Recurrence* rule, const DateTimeValue& start, Task& task) {
    for (Byte Task::*flag : kWeekdayFlags) task.*flag = 0;
    for (Byte Task::*flag : kOrdinalFlags) task.*flag = 0;
    if (rule == nullptr) {
        setRule(task, ScheduleType::Once);
        return std::nullopt;
    }
    const Recurrence& r = *rule;
    const std::string freq = "FREQ=" + frequencyName(r.frequency);
    if (!r.otherParts.empty()) {
        std::string parts;
        for (const std::string& p : r.otherParts) parts += (parts.empty() ? "" : ", ") + p;
        return "its RRULE has " + parts + ", which no task's rule can say";
    }
    if (r.interval > kMaxEvery) return "its RRULE repeats every " + std::to_string(r.interval) + ", more than a task can count";
    const std::int64_t n = r.interval;
    const StdDate date = dateFromYmd(start.day.year, start.day.month, start.day.day);
    const int weekday = dayOfWeek(date);
    const auto only = [](const std::vector<int>& values, int value) {
        return std::all_of(values.begin(), values.end(), [value](int v) { return v == value; });
    };
    const std::string cannot = "its RRULE (" + freq + " with ";

    switch (r.frequency) {
    case Frequency::secondly:
        return std::string("its RRULE repeats by the second");
    case Frequency::minutely:
    case Frequency::hourly:
    case Frequency::daily:
        if (!r.byDay.empty() || !r.byMonthDay.empty() || !r.byMonth.empty())
            return cannot + "BY parts) picks days no task's rule picks";
        setRule(task, ScheduleType::Custom, n,
                r.frequency == Frequency::minutely ? RepetitionUnit::Minute
                : r.frequency == Frequency::hourly ? RepetitionUnit::Hour
                                                   : RepetitionUnit::Day);
        return std::nullopt;
    case Frequency::weekly: {
        if (!r.byMonthDay.empty() || !r.byMonth.empty()) return cannot + "BYMONTH or BYMONTHDAY) picks days no task's rule picks";
        std::set<int> days;
        for (const WeekdayNum& d : r.byDay) {
            if (d.ordinal != 0) return cannot + "a numbered BYDAY) is not a weekly rule";
            days.insert(d.weekday);
        }
        if (days.empty() || (days.size() == 1 && *days.begin() == weekday)) {
            if (n == 1) {
                setRule(task, ScheduleType::DayOfWeek);
                setWeekdays(task, {weekday});
            } else {
                setRule(task, ScheduleType::Custom, n, RepetitionUnit::Week);
            }
            return std::nullopt;
        }
        if (n != 1) return cannot + "INTERVAL and several days) repeats in weeks no task's rule skips";
        setRule(task, ScheduleType::DayOfWeek);
        setWeekdays(task, days);
        return std::nullopt;
    }
    case Frequency::monthly: {
        if (!r.byMonth.empty()) return cannot + "BYMONTH) picks months no task's rule picks";
        if (!r.byDay.empty()) {
            if (!r.byMonthDay.empty()) return cannot + "BYDAY and BYMONTHDAY) picks days no task's rule picks";
            if (n != 1) return cannot + "INTERVAL and BYDAY) skips months no task's rule skips";
            std::set<int> days;
            std::set<int> ordinals;
            std::set<std::pair<int, int>> pairs;
            for (const WeekdayNum& d : r.byDay) {
                days.insert(d.weekday);
                ordinals.insert(d.ordinal);
                pairs.insert({d.ordinal, d.weekday});
            }
            if (ordinals.size() == 1 && *ordinals.begin() == 0) {
                setRule(task, ScheduleType::DayOfWeek);
                setWeekdays(task, days);
                return std::nullopt;
            }
            for (const int o : ordinals) {
                if (o == 0 || o == -1 || (o >= 1 && o <= 4)) continue;
                return cannot + "BYDAY=" + std::to_string(o) + std::string(weekdayCode(*days.begin())) +
                       ") names a weekday no task's rule names (1st to 4th, or last)";
            }
            if (ordinals.count(0) || pairs.size() != days.size() * ordinals.size())
                return cannot + "BYDAY) pairs weekdays and ordinals unlike a task, which takes every ticked weekday "
                                "on every ticked ordinal";
            setRule(task, ScheduleType::DayOfMonth);
            setWeekdays(task, days);
            for (std::size_t i = 0; i < 5; ++i) task.*kOrdinalFlags[i] = ordinals.count(kOrdinals[i]) ? 1 : 0;
            return std::nullopt;
        }
        if (!only(r.byMonthDay, start.day.day)) return cannot + "BYMONTHDAY) picks days no task's rule picks";
        if (start.day.day > 28)
            return "it repeats monthly on day " + std::to_string(start.day.day) +
                   ", which calendars skip in shorter months and a task's rule carries into the next";
        if (n == 1) {
            setRule(task, ScheduleType::Monthly);
        } else {
            setRule(task, ScheduleType::Custom, n, RepetitionUnit::Month);
        }
        return std::nullopt;
    }
    case Frequency::yearly:
        if (!r.byDay.empty()) return cannot + "BYDAY) picks days no task's rule picks";
        if (!only(r.byMonth, start.day.month) || !only(r.byMonthDay, start.day.day))
            return cannot + "BYMONTH or BYMONTHDAY) picks days no task's rule picks";
        if (start.day.month == 2 && start.day.day == 29)
            return std::string("it repeats on 29 February, which calendars skip in common years and a task's rule "
                               "carries to 1 March");
        if (n == 1) {
            setRule(task, ScheduleType::Yearly);
        } else {
            setRule(task, ScheduleType::Custom, n, RepetitionUnit::Year);
        }
        return std::nullopt;
    }
    return std::string("its RRULE is not understood");
}

std::string tarveloRuleText(const Task& task) {
    std::string days, ordinals;
    for (const int d : weekdaysOf(task)) days += (days.empty() ? "" : ",") + std::string(weekdayCode(d));
    for (std::size_t i = 0; i < kOrdinalFlags.size(); ++i)
        if (task.*kOrdinalFlags[i]) ordinals += (ordinals.empty() ? "" : ",") + std::string(kOrdinalWords[i]);
    const Ymd day = ymdFromDate(task.date);
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", day.year, day.month, day.day);
    return "TYPE=" + encoded(task.scheduleType.text()) + ";DAYS=" + days + ";ORDINALS=" + ordinals +
           ";EVERY=" + std::to_string(task.every) + ";UNIT=" + encoded(task.everyType.text()) + ";DATE=" + date +
           ";TIME=" + std::to_string(task.time);
}

std::optional<std::string> readTarveloRule(const std::string& text, Task& task) {
    std::set<std::string> seen;
    const auto take = [&](const std::string& name, std::string_view value) -> std::optional<std::string> {
        const std::string bad = name + "=" + std::string(value) + " is not a valid value";
        if (name == "TYPE" || name == "UNIT") {
            const std::optional<std::string> word = decoded(value);
            if (!word) return bad;
            if (name == "TYPE") task.scheduleType = ScheduleTypeWord::fromText(*word);
            else task.everyType = RepetitionUnitWord::fromText(*word);
        } else if (name == "DAYS") {
            for (Byte Task::*flag : kWeekdayFlags) task.*flag = 0;
            for (std::string_view code : listOf(value)) {
                std::size_t i = 0;
                while (i < 7 && weekdayCode(static_cast<int>(i)) != code) ++i;
                if (i == 7) return bad;
                task.*kWeekdayFlags[i] = 1;
            }
        } else if (name == "ORDINALS") {
            for (Byte Task::*flag : kOrdinalFlags) task.*flag = 0;
            for (std::string_view word : listOf(value)) {
                std::size_t i = 0;
                while (i < 5 && kOrdinalWords[i] != word) ++i;
                if (i == 5) return bad;
                task.*kOrdinalFlags[i] = 1;
            }
        } else if (name == "EVERY" || name == "TIME") {
            const std::optional<std::int64_t> n = wholeNumber(value);
            if (!n || *n < INT32_MIN || *n > INT32_MAX) return bad;
            (name == "EVERY" ? task.every : task.time) = static_cast<std::int32_t>(*n);
        } else if (name == "DATE") {
            const std::optional<DateTimeValue> day = parseDateTime(value);
            if (!day || !day->dateOnly) return bad;
            task.date = dateFromYmd(day->day.year, day->day.month, day->day.day);
        } else {
            return "unknown part " + name;
        }
        seen.insert(name);
        return std::nullopt;
    };
    if (auto problem = readParts(text, take)) return problem;
    for (const char* required : {"TYPE", "DATE", "TIME"}) {
        if (!seen.count(required)) return std::string(required) + " is missing";
    }
    return std::nullopt;
}

std::string tarveloTaskText(const Task& task) {
    return "TASKTYPE=" + encoded(task.taskType.text()) + ";COMMAND=" + encoded(task.command.text()) +
           ";PATH=" + encoded(task.path.text()) + ";ALARM=" + std::to_string(task.alarm) +
           ";ALARMFILE=" + encoded(task.alarmFile.text()) + ";WARN=" + std::to_string(task.warn) +
           ";USERSKIP=" + std::to_string(task.userSkip);
}

std::optional<std::string> readTarveloTask(const std::string& text, Task& task) {
    const auto take = [&](const std::string& name, std::string_view value) -> std::optional<std::string> {
        const std::string bad = name + "=" + std::string(value) + " is not a valid value";
        if (name == "ALARM" || name == "WARN" || name == "USERSKIP") {
            const std::optional<std::int64_t> n = wholeNumber(value);
            if (!n || *n < 0 || *n > 255) return bad;
            (name == "ALARM" ? task.alarm : name == "WARN" ? task.warn : task.userSkip) = static_cast<Byte>(*n);
            return std::nullopt;
        }
        const std::optional<std::string> word = decoded(value);
        if (!word) return bad;
        if (name == "TASKTYPE") {
            task.taskType = TaskTypeWord::fromText(*word);
        } else if (name == "COMMAND") {
            task.command = *word;
        } else if (name == "PATH") {
            task.path = *word;
        } else if (name == "ALARMFILE") {
            task.alarmFile = *word;
        } else {
            return "unknown part " + name;
        }
        return std::nullopt;
    };
    return readParts(text, take);
}

}  // namespace tarvelo::calendar
