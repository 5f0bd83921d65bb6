#pragma once
// Thumb stops: how a list maps the 0..100 scroll thumb onto key values without counting records. The
// range from the first to the last record's value of one field is cut into 100 stops; dragging the thumb
// to t locates stop t, and the thumb of a highlighted record is the first stop not below its value.
//
// Text stops treat the first four letters after the common prefix of the two ends as a number in base
// n + 1 over the upper-case alphabet (n letters, "A".."Z"), so that "Apple" and "Banana" get 98 evenly
// spaced stops such as "APSR" between "APPL" and "BANA".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo {

inline constexpr int kStopCount = 100;

// stop 1 = low, stop 100 = high, stop i = the integer part of low + (high - low) / 99 * (i - 1).
std::vector<std::int64_t> numberStops(std::int64_t low, std::int64_t high);

// low and high: the field's values at the two ends; width: the field's width in bytes.
std::vector<std::string> textStops(std::string_view low, std::string_view high, int width);

// The thumb position (0, or 2..100) of a value: the first stop i not below it, i = 1 shown as 0; 100
// when the value lies above every stop. Text compares with letters upper-cased and trailing blanks off.
int thumbForNumber(const std::vector<std::int64_t>& stops, std::int64_t value);
int thumbForText(const std::vector<std::string>& stops, std::string_view value);

}  // namespace tarvelo
