#include "search/qbe_compare.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>

#include "core/date.h"
#include "core/fixed_text.h"

namespace tarvelo::search {

namespace {

using enum MatchType;

std::string_view leftJustified(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    return s.substr(i);
}

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The first n characters of s (all of s when it is shorter).
std::string_view firstChars(std::string_view s, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t chars = 0; i < s.size(); ++i) {
        if (isContinuation(s[i])) continue;
        if (chars == n) break;
        ++chars;
    }
    return s.substr(0, i);
}

// The last n characters of s (all of s when it is shorter).
std::string_view lastChars(std::string_view s, std::size_t n) {
    std::size_t i = s.size();
    for (std::size_t chars = 0; i > 0 && chars < n;) {
        --i;
        if (!isContinuation(s[i])) ++chars;
    }
    return s.substr(i);
}

std::size_t charCount(std::string_view s) {
    std::size_t n = 0;
    for (char c : s) n += isContinuation(c) ? 0 : 1;
    return n;
}

bool sameDatePart(MatchType type, double value, double criterion) {
    const auto asDate = [](double d) {
        constexpr double lo = std::numeric_limits<StdDate>::min();
        constexpr double hi = std::numeric_limits<StdDate>::max();
        return ymdFromDate(static_cast<StdDate>(std::isnan(d) ? 0 : std::clamp(d, lo, hi)));
    };
    const Ymd v = asDate(value);
    const Ymd c = asDate(criterion);
    switch (type) {
    case monthOfYear: return v.month == c.month;
    case dayOfMonth: return v.day == c.day;
    case inYear: return v.year == c.year;
    case monthAndDay: return v.month == c.month && v.day == c.day;
    case yearAndMonth: return v.year == c.year && v.month == c.month;
    default: return true;
    }
}

// A number as the decimal text it is shown with: whole numbers without a fraction.
std::string decimalText(double d) {
    if (std::trunc(d) == d && std::fabs(d) < 9.0e15) return std::to_string(static_cast<std::int64_t>(d));
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", d);
    return buffer;
}

std::optional<double> numberIn(std::string_view text) {
    text = trimRight(leftJustified(text));
    if (text.empty()) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    double d = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return d;
}

}  // namespace

std::string foldCase(std::string_view text) {
    std::string out;
    foldCaseInto(text, out);
    return out;
}

void foldCaseInto(std::string_view text, std::string& out) {
    // Plain ASCII, the usual text, folds byte for byte into a buffer of the same length.
    out.resize(text.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    for (; i < length && bytes[i] < 0x80; ++i) {
        const std::uint8_t byte = bytes[i];
        out[static_cast<std::size_t>(i)] = static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
    }
    if (i == length) return;
    // Past the first other character a folded character may take more or fewer bytes than it had.
    out.resize(static_cast<std::size_t>(i));
    while (i < length) {
        const std::uint8_t byte = bytes[i];
        if (byte < 0x80) {
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
            ++i;
            continue;
        }
        const std::int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {  // not UTF-8: kept as it is
            out += static_cast<char>(byte);
            i = start + 1;
            continue;
        }
        std::uint8_t encoded[U8_MAX_LENGTH];
        std::int32_t n = 0;
        U8_APPEND_UNSAFE(encoded, n, u_foldCase(c, U_FOLD_CASE_DEFAULT));
        out.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(n));
    }
}

bool matchString(MatchType type, std::string_view rawValue, std::string_view criterionIn, std::string_view upperIn) {
    if (type == ignore) return true;
    // A scan compares every record it reads; one buffer per thread spares it an allocation each.
    thread_local std::string folded;
    foldCaseInto(trimRight(rawValue), folded);
    const std::string_view value = folded;
    const std::string_view criterion = trimRight(criterionIn);
    const std::string_view upper = trimRight(upperIn);
    const std::string_view justified = leftJustified(value);
    const std::size_t l = charCount(criterion);
    const std::size_t u = charCount(upper);
    switch (type) {
    case equals: return justified == criterion;
    case notEquals: return value != criterion;
    case moreThan: return value > criterion;
    case lessThan: return value < criterion;
    case moreOrEqual: return value >= criterion;
    case lessOrEqual: return value <= criterion;
    case insideRange: return firstChars(justified, l) >= criterion && firstChars(justified, u) <= upper;
    case outsideRange: return firstChars(justified, l) < criterion || firstChars(justified, u) > upper;
    case beginsWith: return firstChars(justified, l) == criterion;
    case endsWith: return lastChars(value, l) == criterion;
    case contains: return value.find(criterion) != std::string_view::npos;
    case notContains: return value.find(criterion) == std::string_view::npos;
    default: return true;
    }
}

bool matchNumber(MatchType type, double value, double criterion, double upper) {
    switch (type) {
    case equals: return value == criterion;
    case notEquals: return value != criterion;
    case moreThan: return value > criterion;
    case lessThan: return value < criterion;
    case moreOrEqual: return value >= criterion;
    case lessOrEqual: return value <= criterion;
    case insideRange: return criterion <= value && value <= upper;
    case outsideRange: return value < criterion || value > upper;
    case monthOfYear:
    case dayOfMonth:
    case inYear:
    case monthAndDay:
    case yearAndMonth: return sameDatePart(type, value, criterion);
    case beginsWith:
        if (upper == 0) return value == criterion;
        return std::trunc(value / upper) == std::trunc(criterion / upper);
    case endsWith: {
        const std::string c = decimalText(criterion);
        const std::string v = decimalText(value);
        const auto tail = numberIn(lastChars(v, c.size()));
        return tail && *tail == criterion;
    }
    default: return true;
    }
}

bool matchText(MatchType type, std::string_view rawText, std::string_view criterionIn) {
    if (type == ignore) return true;
    thread_local std::string folded;
    foldCaseInto(trimRight(rawText), folded);
    const std::string_view text = folded;
    const std::string_view criterion = trimRight(criterionIn);
    switch (type) {
    case equals: return text == criterion;
    case notEquals: return text != criterion;
    case beginsWith: return text.starts_with(criterion);
    case endsWith: return text.ends_with(criterion);
    case contains: return text.find(criterion) != std::string_view::npos;
    case notContains: return text.find(criterion) == std::string_view::npos;
    default: return true;
    }
}

double pictureUpperLimit(double criterion) {
    const std::string digits = decimalText(std::trunc(criterion));
    double limit = 1;
    for (auto it = digits.rbegin(); it != digits.rend() && *it == '0'; ++it) limit *= 10;
    return limit;
}

bool upperLimitAccepted(std::string_view lower, std::string_view upper) {
    const auto lowerNumber = numberIn(lower);
    const auto upperNumber = numberIn(upper);
    if (lowerNumber && upperNumber) return *upperNumber > *lowerNumber;
    return foldCase(trimRight(upper)) > foldCase(trimRight(lower));
}

}  // namespace tarvelo::search
