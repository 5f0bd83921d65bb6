#include "core/picture.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <limits>

namespace tarvelo {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"January", "February", "March",     "April",
                                                         "May",     "June",     "July",      "August",
                                                         "September", "October", "November", "December"};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isBlank(char c) { return c == ' ' || c == '\t'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\0')) text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\0' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// A small cursor over entry text; every read either consumes what it matched or leaves the text alone.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos == m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    void skipBlanks() {
        while (!atEnd() && isBlank(m_text[m_pos])) ++m_pos;
    }
    bool accept(char c) {
        if (peek() != c) return false;
        ++m_pos;
        return true;
    }
    // An unsigned run of 1..maxDigits digits; nothing when there is none or it is longer.
    std::optional<int> digits(int maxDigits, int* count = nullptr) {
        std::size_t end = m_pos;
        while (end < m_text.size() && isDigit(m_text[end])) ++end;
        const auto n = static_cast<int>(end - m_pos);
        if (n == 0 || n > maxDigits) return std::nullopt;
        int value = 0;
        for (std::size_t i = m_pos; i < end; ++i) value = value * 10 + (m_text[i] - '0');
        m_pos = end;
        if (count) *count = n;
        return value;
    }
    std::string_view letters() {
        const std::size_t start = m_pos;
        while (!atEnd() && isAlpha(m_text[m_pos])) ++m_pos;
        return m_text.substr(start, m_pos - start);
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// 1..12 for a month's full name or any prefix of it of at least three letters ("Sep", "Sept").
int monthFromName(std::string_view name) {
    if (name.size() < 3) return 0;
    for (std::size_t m = 0; m < kMonthNames.size(); ++m) {
        const std::string_view full = kMonthNames[m];
        if (name.size() > full.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) same = lower(name[i]) == lower(full[i]);
        if (same) return static_cast<int>(m) + 1;
    }
    return 0;
}

std::optional<StdDate> checkedDate(int year, int yearDigits, int month, int day) {
    if (yearDigits <= 2) year += 1900;
    if (year < 1801 || year > 9999) return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
    return dateFromYmd(year, month, day);
}

bool fitsInt32(std::int64_t v) {
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

// The byte length of the first `chars` UTF-8 characters of text.
std::size_t utf8CharsPrefix(std::string_view text, int chars) {
    std::size_t i = 0;
    int seen = 0;
    while (i < text.size()) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == chars) break;
            ++seen;
        }
        ++i;
    }
    return i;
}

}  // namespace

std::optional<Picture> parsePicture(std::string_view picture) {
    if (picture.size() < 3 || picture[0] != '@') return std::nullopt;
    const char letter = lower(picture[1]);
    std::string_view rest = picture.substr(2);
    Picture p;
    if (letter == 'n' && rest.size() > 1 && rest[0] == '0') {
        p.zeroFill = true;
        rest.remove_prefix(1);
    }
    if (rest.empty() || rest.size() > 4) return std::nullopt;
    for (char c : rest) {
        if (!isDigit(c)) return std::nullopt;
    }
    std::from_chars(rest.data(), rest.data() + rest.size(), p.width);
    switch (letter) {
    case 'd':
        p.kind = Picture::Kind::Date;
        return p.width == 3 ? std::optional(p) : std::nullopt;
    case 't':
        p.kind = Picture::Kind::Time;
        return p.width == 3 ? std::optional(p) : std::nullopt;
    case 's':
        p.kind = Picture::Kind::Text;
        return p.width > 0 ? std::optional(p) : std::nullopt;
    case 'n':
        p.kind = Picture::Kind::Number;
        return p.width > 0 ? std::optional(p) : std::nullopt;
    default:
        return std::nullopt;
    }
}

std::string formatDate3(StdDate date) {
    if (date == 0) return {};
    const Ymd ymd = ymdFromDate(date);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.3s %d, %04d", kMonthNames[static_cast<std::size_t>(ymd.month - 1)].data(),
                  ymd.day, ymd.year);
    return buf;
}

std::string formatTime3(StdTime time) {
    if (time == 0) return {};
    const Hms hms = hmsFromTime(time);
    const int hour12 = hms.hours % 12 == 0 ? 12 : hms.hours % 12;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d%s", hour12, hms.minutes, hms.hours < 12 ? "AM" : "PM");
    return buf;
}

std::string formatText(std::string_view text, int width) {
    if (width <= 0) return {};
    text = text.substr(0, utf8CharsPrefix(text, width));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
    return std::string(text);
}

std::string formatNumber(std::int64_t number, int width, bool zeroFill) {
    std::string digits = std::to_string(number);
    if (width <= 0) return digits;
    const auto w = static_cast<std::size_t>(width);
    if (digits.size() > w) return std::string(w, '#');
    if (!zeroFill) return std::string(w - digits.size(), ' ') + digits;
    const bool negative = number < 0;
    std::string magnitude = negative ? digits.substr(1) : digits;
    return (negative ? "-" : "") + std::string(w - digits.size(), '0') + magnitude;
}

std::string formatPicture(const Picture& picture, std::int64_t value) {
    switch (picture.kind) {
    case Picture::Kind::Date:
        return fitsInt32(value) ? formatDate3(static_cast<StdDate>(value)) : std::string();
    case Picture::Kind::Time:
        return fitsInt32(value) ? formatTime3(static_cast<StdTime>(value)) : std::string();
    case Picture::Kind::Text:
        return formatText(std::to_string(value), picture.width);
    case Picture::Kind::Number:
        return formatNumber(value, picture.width, picture.zeroFill);
    }
    return {};
}

std::string formatPicture(const Picture& picture, std::string_view text) {
    if (picture.kind == Picture::Kind::Text) return formatText(text, picture.width);
    return formatPicture(picture, parseNumber(text).value_or(0));
}

std::string formatPicture(std::string_view picture, std::int64_t value) {
    const auto p = parsePicture(picture);
    return p ? formatPicture(*p, value) : std::to_string(value);
}

std::string formatPicture(std::string_view picture, std::string_view text) {
    const auto p = parsePicture(picture);
    return p ? formatPicture(*p, text) : std::string(text);
}

std::optional<StdDate> parseDate(std::string_view text) {
    text = trim(text);
    if (text.empty()) return 0;
    Scanner in(text);
    int year = 0, month = 0, day = 0, yearDigits = 0;
    if (isAlpha(in.peek())) {
        // "Jan 31, 1997", "jan 31 1997", "Jan. 31, 1997"
        month = monthFromName(in.letters());
        if (month == 0) return std::nullopt;
        in.accept('.');
        in.skipBlanks();
        const auto d = in.digits(2);
        if (!d) return std::nullopt;
        day = *d;
        // The year follows a comma, a blank or both.
        const bool blankBefore = isBlank(in.peek());
        in.skipBlanks();
        const bool comma = in.accept(',');
        in.skipBlanks();
        if (!comma && !blankBefore) return std::nullopt;
        const auto y = in.digits(4, &yearDigits);
        if (!y) return std::nullopt;
        year = *y;
    } else {
        int firstDigits = 0;
        const auto first = in.digits(4, &firstDigits);
        if (!first) return std::nullopt;
        if (in.accept('-')) {
            // 1997-01-31: only with a four-digit year, so that 1-31-97 is not mistaken for it
            if (firstDigits != 4) return std::nullopt;
            year = *first;
            yearDigits = 4;
            const auto m = in.digits(2);
            if (!m || !in.accept('-')) return std::nullopt;
            const auto d = in.digits(2);
            if (!d) return std::nullopt;
            month = *m;
            day = *d;
        } else if (in.accept('/')) {
            // 1/31/1997 or 1/31/97
            if (firstDigits > 2) return std::nullopt;
            month = *first;
            const auto d = in.digits(2);
            if (!d || !in.accept('/')) return std::nullopt;
            day = *d;
            const auto y = in.digits(4, &yearDigits);
            if (!y) return std::nullopt;
            year = *y;
        } else {
            return std::nullopt;
        }
    }
    if (!in.atEnd()) return std::nullopt;
    return checkedDate(year, yearDigits, month, day);
}

std::optional<StdTime> parseTime(std::string_view text) {
    text = trim(text);
    if (text.empty()) return 0;
    Scanner in(text);
    const auto hours = in.digits(2);
    if (!hours) return std::nullopt;
    int minutes = 0, seconds = 0, hundredths = 0;
    bool hasMinutes = false;
    if (in.accept(':')) {
        const auto m = in.digits(2);
        if (!m) return std::nullopt;
        minutes = *m;
        hasMinutes = true;
        if (in.accept(':')) {
            const auto s = in.digits(2);
            if (!s) return std::nullopt;
            seconds = *s;
            if (in.accept('.')) {
                int n = 0;
                const auto h = in.digits(2, &n);
                if (!h) return std::nullopt;
                hundredths = n == 1 ? *h * 10 : *h;
            }
        }
    }
    in.skipBlanks();
    int hour = *hours;
    if (!in.atEnd()) {
        const std::string_view suffix = in.letters();
        const bool am = suffix.size() == 2 && lower(suffix[0]) == 'a' && lower(suffix[1]) == 'm';
        const bool pm = suffix.size() == 2 && lower(suffix[0]) == 'p' && lower(suffix[1]) == 'm';
        if ((!am && !pm) || !in.atEnd()) return std::nullopt;
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    } else if (!hasMinutes || hour > 23) {
        // A bare "17" is too easily a slip to take as an hour.
        return std::nullopt;
    }
    if (minutes > 59 || seconds > 59) return std::nullopt;
    return timeFromHms(hour, minutes, seconds, hundredths);
}

std::optional<std::int64_t> parseNumber(std::string_view text, int width) {
    text = trim(text);
    if (text.empty()) return 0;
    if (width > 0 && text.size() > static_cast<std::size_t>(width)) return std::nullopt;
    std::string_view digits = text;
    bool negative = false;
    if (digits.front() == '+' || digits.front() == '-') {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) return std::nullopt;
    for (char c : digits) {
        if (!isDigit(c)) return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (magnitude > kMax + (negative ? 1 : 0)) return std::nullopt;
    if (negative) return magnitude == kMax + 1 ? std::numeric_limits<std::int64_t>::min()
                                               : -static_cast<std::int64_t>(magnitude);
    return static_cast<std::int64_t>(magnitude);
}

std::string formatIsoDate(StdDate date) {
    if (date == 0) return {};
    const Ymd ymd = ymdFromDate(date);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
    return buf;
}

std::string formatTime24(StdTime time) {
    if (time == 0) return {};
    const Hms hms = hmsFromTime(time);
    char buf[32];
    if (hms.hundredths != 0) {
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%02d", hms.hours, hms.minutes, hms.seconds, hms.hundredths);
    } else if (hms.seconds != 0) {
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hms.hours, hms.minutes, hms.seconds);
    } else {
        std::snprintf(buf, sizeof buf, "%02d:%02d", hms.hours, hms.minutes);
    }
    return buf;
}

}  // namespace tarvelo
