#include "data/thumb_stops.h"

#include <algorithm>
#include <cmath>

#include "core/fixed_text.h"

namespace tarvelo {
namespace {

// The upper-case letters of the character table, in code order.
constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::int64_t kBase = static_cast<std::int64_t>(kAlphabet.size()) + 1;
constexpr std::size_t kDigits = 4;

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string uppered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), upper);
    return out;
}

// A letter's place in the alphabet, 1..n; 0 for anything else (blanks included).
std::int64_t digitOf(char c) {
    const std::size_t at = kAlphabet.find(c);
    return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

// Four characters (fewer when the text ends) read as a number in base n + 1.
std::int64_t valueOf(std::string_view four) {
    std::int64_t value = 0;
    for (std::size_t i = 0; i < kDigits; ++i) value = value * kBase + (i < four.size() ? digitOf(four[i]) : 0);
    return value;
}

std::string lettersOf(std::int64_t value) {
    std::string out(kDigits, kAlphabet.front());
    for (std::size_t i = kDigits; i-- > 0;) {
        const std::int64_t d = value % kBase;
        out[i] = d > 0 ? kAlphabet[static_cast<std::size_t>(d - 1)] : kAlphabet.front();
        value /= kBase;
    }
    return out;
}

std::string_view slice(std::string_view text, std::size_t from, std::size_t count) {
    return from >= text.size() ? std::string_view() : text.substr(from, count);
}

}  // namespace

std::vector<std::int64_t> numberStops(std::int64_t low, std::int64_t high) {
    std::vector<std::int64_t> stops(kStopCount);
    const double step = static_cast<double>(high - low) / (kStopCount - 1);
    for (int i = 0; i < kStopCount; ++i) {
        stops[static_cast<std::size_t>(i)] = static_cast<std::int64_t>(std::trunc(static_cast<double>(low) + step * i));
    }
    stops.front() = low;
    stops.back() = high;
    return stops;
}

std::vector<std::string> textStops(std::string_view lowText, std::string_view highText, int width) {
    const auto w = static_cast<std::size_t>(std::max(width, 0));
    std::string low(trimRight(lowText));
    low.resize(std::max(low.size(), w), ' ');
    std::string high(trimRight(highText));
    if (high.size() < w) high.resize(w + 1, kAlphabet.back());

    std::size_t p = 0;
    while (p < low.size() && p < high.size() && low[p] == high[p]) ++p;
    const std::string prefix = low.substr(0, p);
    const std::string low4 = uppered(slice(low, p, kDigits));
    const std::string high4 = uppered(slice(high, p, kDigits));
    const std::int64_t lowValue = valueOf(low4);
    const std::int64_t step = (valueOf(high4) - lowValue) / (kStopCount - 1);

    std::vector<std::string> stops(kStopCount);
    for (int i = 1; i < kStopCount - 1; ++i) stops[static_cast<std::size_t>(i)] = prefix + lettersOf(lowValue + step * i);
    stops.front() = std::string(trimRight(prefix + low4));
    stops.back() = std::string(trimRight(prefix + high4));
    return stops;
}

int thumbForNumber(const std::vector<std::int64_t>& stops, std::int64_t value) {
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (stops[i] >= value) return i == 0 ? 0 : static_cast<int>(i) + 1;
    }
    return kStopCount;
}

int thumbForText(const std::vector<std::string>& stops, std::string_view value) {
    // The prefix of a stop keeps the letter case of the data, so both sides are upper-cased: a stop
    // "apPLE" must not sort above every upper-case field value.
    const std::string wanted = uppered(trimRight(value));
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (uppered(trimRight(stops[i])) >= wanted) return i == 0 ? 0 : static_cast<int>(i) + 1;
    }
    return kStopCount;
}

}  // namespace tarvelo
