#pragma once
// Display pictures: how windows and reports show dates, times, text and numbers, and how entry fields read
// what the user typed back into a value.
//
//   @d3   a date as "Jan 31, 1997" (month's three-letter name, day without a leading zero, a comma and the
//         four-digit year)
//   @t3   a time as "5:30PM" (hour 1..12 without a leading zero, two-digit minutes, AM or PM; midnight
//         is "12:00AM", noon "12:00PM"); seconds and hundredths are not shown
//   @sN   at most N characters of text (UTF-8 characters, never a split one), trailing blanks removed
//   @nN   a whole number right-aligned in N positions; @n0N pads with zeros instead of blanks. A number
//         that does not fit is shown as N '#' characters, so a column never shows a cut, wrong number.
//
// Letters are matched without regard to case ("@D3" is "@d3"). A date or time of 0 (no date or time set)
// shows blank. Nothing here allocates more than the text it returns or keeps any state.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/date.h"

namespace tarvelo {

struct Picture {
    enum class Kind { Date, Time, Text, Number };
    Kind kind = Kind::Text;
    int width = 0;          // @s and @n: the width; @d and @t: the style number (3)
    bool zeroFill = false;  // @n0N
    friend bool operator==(const Picture&, const Picture&) = default;
};

// The picture a text names, or nothing for a text that is not one of the forms above (also "@d1", an
// "@s" or "@n" without a width, or a width above 9999).
std::optional<Picture> parsePicture(std::string_view picture);

// --- Showing values ---------------------------------------------------------------------------------

std::string formatDate3(StdDate date);
std::string formatTime3(StdTime time);
std::string formatText(std::string_view text, int width);
std::string formatNumber(std::int64_t number, int width, bool zeroFill = false);

// A value in a picture. For a text picture the number is shown as its decimal text; for a numeric picture
// a text is first read as a whole number (text that is not one shows as 0).
std::string formatPicture(const Picture& picture, std::int64_t value);
std::string formatPicture(const Picture& picture, std::string_view text);
// The same with the picture given as text; an unknown picture shows the value as plain decimal text (or
// the text itself), so a mistyped picture is visible without losing the value.
std::string formatPicture(std::string_view picture, std::int64_t value);
std::string formatPicture(std::string_view picture, std::string_view text);

// --- Reading entries --------------------------------------------------------------------------------
// Each returns nothing for a text that does not fit; a blank text is the value 0 ("not set").

// "Jan 31, 1997", "jan 31 1997", "January 31, 1997", "1/31/1997", "1997-01-31". A year below 100 counts
// as 1900 + year; dates outside 1 January 1801 .. 31 December 9999 and days the month does not have
// (February 30) are refused.
std::optional<StdDate> parseDate(std::string_view text);
// "5:30PM", "5:30 pm", "5pm", "17:30", "17:30:15", "17:30:15.50" (hundredths: ".5" is 50). Hours 0..23 on
// the 24-hour clock, 1..12 with AM or PM; minutes and seconds 0..59.
std::optional<StdTime> parseTime(std::string_view text);
// A whole number of at most width characters (sign included); no width limit when width is 0.
std::optional<std::int64_t> parseNumber(std::string_view text, int width = 0);

// --- The plain forms used by scripts ----------------------------------------------------------------

// "1997-01-31"; blank for 0.
std::string formatIsoDate(StdDate date);
// "17:30", "17:30:15", "17:30:15.50": seconds and hundredths only when not zero; blank for 0.
std::string formatTime24(StdTime time);

}  // namespace tarvelo
