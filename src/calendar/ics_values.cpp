#include "calendar/ics_values.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace tarvelo::calendar {
namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
constexpr std::array<std::string_view, 7> kFrequencies = {"SECONDLY", "MINUTELY", "HOURLY", "DAILY",
                                                          "WEEKLY",   "MONTHLY",  "YEARLY"};

// The digits of text[at, at + n) as a number; nothing when any is not a digit.
std::optional<int> digits(std::string_view text, std::size_t at, std::size_t n) {
    if (at + n > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// A whole number that is the whole text, with an optional sign.
std::optional<std::int64_t> integer(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> split(std::string_view text, char at) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == at) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::optional<int> weekdayOf(std::string_view code) {
    for (std::size_t i = 0; i < kWeekdays.size(); ++i)
        if (kWeekdays[i] == code) return static_cast<int>(i);
    return std::nullopt;
}

template <class T>
std::string joined(const std::vector<T>& values, std::string (*show)(const T&)) {
    std::string out;
    for (const T& v : values) out += (out.empty() ? "" : ",") + show(v);
    return out;
}

std::string showInt(const int& v) { return std::to_string(v); }
std::string showWeekday(const WeekdayNum& d) {
    return (d.ordinal != 0 ? std::to_string(d.ordinal) : std::string()) + std::string(weekdayCode(d.weekday));
}

// Each of a list's numbers, within [lo, hi] and not 0; false at the first that is not.
bool numbers(std::string_view list, int lo, int hi, std::vector<int>& out) {
    for (std::string_view part : split(list, ',')) {
        const std::optional<std::int64_t> n = integer(part);
        if (!n || *n == 0 || *n < lo || *n > hi) return false;
        out.push_back(static_cast<int>(*n));
    }
    return true;
}

}  // namespace

std::string_view weekdayCode(int weekday) { return kWeekdays[static_cast<std::size_t>(((weekday % 7) + 7) % 7)]; }

std::optional<DateTimeValue> parseDateTime(std::string_view text) {
    DateTimeValue v;
    const auto y = digits(text, 0, 4), m = digits(text, 4, 2), d = digits(text, 6, 2);
    if (!y || !m || !d || *m < 1 || *m > 12 || *d < 1 || *y < 1 || *d > daysInMonth(*y, *m)) return std::nullopt;
    v.day = {*y, *m, *d};
    if (text.size() == 8) {
        v.dateOnly = true;
        return v;
    }
    if (text.size() < 15 || text[8] != 'T') return std::nullopt;
    const auto h = digits(text, 9, 2), mi = digits(text, 11, 2), s = digits(text, 13, 2);
    if (!h || !mi || !s || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
    v.hour = *h, v.minute = *mi, v.second = *s;
    if (text.size() == 16 && text[15] == 'Z') {
        v.utc = true;
    } else if (text.size() != 15) {
        return std::nullopt;
    }
    return v;
}

std::string formatDateTime(const DateTimeValue& v) {
    char out[20];
    if (v.dateOnly) {
        std::snprintf(out, sizeof out, "%04d%02d%02d", v.day.year, v.day.month, v.day.day);
    } else {
        std::snprintf(out, sizeof out, "%04d%02d%02dT%02d%02d%02d%s", v.day.year, v.day.month, v.day.day, v.hour,
                      v.minute, v.second, v.utc ? "Z" : "");
    }
    return out;
}

DateTimeValue dateTimeAt(StdDate date, int hundredthsPastMidnight) {
    DateTimeValue v;
    v.day = ymdFromDate(date);
    const int seconds = hundredthsPastMidnight / 100;
    v.hour = seconds / 3600;
    v.minute = seconds / 60 % 60;
    v.second = seconds % 60;
    return v;
}

std::string formatDuration(std::int64_t seconds) {
    std::string out = seconds < 0 ? "-P" : "P";
    std::uint64_t s = seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds) : static_cast<std::uint64_t>(seconds);
    const std::uint64_t days = s / 86400;
    s %= 86400;
    if (days > 0) out += std::to_string(days) + "D";
    if (s == 0 && days > 0) return out;
    out += "T";
    if (s >= 3600) out += std::to_string(s / 3600) + "H";
    if (s % 3600 >= 60) out += std::to_string(s % 3600 / 60) + "M";
    if (s % 60 != 0 || s == 0) out += std::to_string(s % 60) + "S";
    return out;
}

std::optional<std::int64_t> parseDuration(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text[0] != 'P') return std::nullopt;
    text.remove_prefix(1);
    std::int64_t total = 0;
    bool inTime = false;
    bool any = false;
    std::int64_t number = -1;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (number > 100'000'000) return std::nullopt;
            number = (number < 0 ? 0 : number * 10) + (c - '0');
            continue;
        }
        if (c == 'T' && number < 0 && !inTime) {
            inTime = true;
            continue;
        }
        if (number < 0) return std::nullopt;
        std::int64_t unit = 0;
        if (!inTime && c == 'W') unit = 7 * 86400;
        if (!inTime && c == 'D') unit = 86400;
        if (inTime && c == 'H') unit = 3600;
        if (inTime && c == 'M') unit = 60;
        if (inTime && c == 'S') unit = 1;
        if (unit == 0) return std::nullopt;
        total += number * unit;
        number = -1;
        any = true;
    }
    if (!any || number >= 0) return std::nullopt;
    return negative ? -total : total;
}

std::string formatRecurrence(const Recurrence& rule) {
    std::string out = "FREQ=" + std::string(kFrequencies[static_cast<std::size_t>(rule.frequency)]);
    if (rule.until) out += ";UNTIL=" + formatDateTime(*rule.until);
    if (rule.interval != 1) out += ";INTERVAL=" + std::to_string(rule.interval);
    if (!rule.byMonth.empty()) out += ";BYMONTH=" + joined(rule.byMonth, &showInt);
    if (!rule.byMonthDay.empty()) out += ";BYMONTHDAY=" + joined(rule.byMonthDay, &showInt);
    if (!rule.byDay.empty()) out += ";BYDAY=" + joined(rule.byDay, &showWeekday);
    return out;
}

std::optional<std::string> parseRecurrence(std::string_view text, Recurrence& out) {
    out = Recurrence{};
    bool frequency = false;
    for (std::string_view part : split(text, ';')) {
        const std::size_t eq = part.find('=');
        if (eq == std::string_view::npos) return "'" + std::string(part) + "' is not NAME=value";
        std::string name(part.substr(0, eq));
        for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        const std::string_view value = part.substr(eq + 1);
        const std::string bad = name + "=" + std::string(value) + " is not a valid value";
        if (name == "FREQ") {
            frequency = false;
            for (std::size_t i = 0; i < kFrequencies.size(); ++i) {
                if (kFrequencies[i] == value) {
                    out.frequency = static_cast<Frequency>(i);
                    frequency = true;
                }
            }
            if (!frequency) return bad;
        } else if (name == "INTERVAL") {
            const std::optional<std::int64_t> n = integer(value);
            if (!n || *n < 1) return bad;
            out.interval = *n;
        } else if (name == "BYDAY") {
            for (std::string_view day : split(value, ',')) {
                if (day.size() < 2) return bad;
                const std::optional<int> weekday = weekdayOf(day.substr(day.size() - 2));
                std::optional<std::int64_t> ordinal = 0;
                if (day.size() > 2) ordinal = integer(day.substr(0, day.size() - 2));
                if (!weekday || !ordinal || *ordinal < -53 || *ordinal > 53 || (day.size() > 2 && *ordinal == 0))
                    return bad;
                out.byDay.push_back({static_cast<int>(*ordinal), *weekday});
            }
        } else if (name == "BYMONTHDAY") {
            if (!numbers(value, -31, 31, out.byMonthDay)) return bad;
        } else if (name == "BYMONTH") {
            if (!numbers(value, 1, 12, out.byMonth)) return bad;
        } else if (name == "WKST") {
            if (!weekdayOf(value)) return bad;  // it changes nothing of a rule this program follows
        } else {
            out.otherParts.push_back(name);
        }
    }
    if (!frequency) return std::string("FREQ is missing");
    return std::nullopt;
}

}  // namespace tarvelo::calendar
