#pragma once
// The three comparisons of query by example, each testing one record value against one criterion, and
// the rules that go with them.
//
// Letter case never counts in text: values are compared case-folded, one code point at a time, exactly as
// the keys fold them, so a scan that stops at the first record past its key range never passes over a
// record the comparison would have matched. Trailing blanks never count either. "Characters" below are
// code points, so a prefix never cuts a character in two.
#include <string>
#include <string_view>

#include "search/match_type.h"

namespace tarvelo::search {

// text case-folded as the keys fold it.
std::string foldCase(std::string_view text);
// The same into out, replacing what it held and reusing its storage.
void foldCaseInto(std::string_view text, std::string& out);

// STRING and OPTION fields. L is the length of the criterion and U that of the upper limit, trailing
// blanks removed; the left-justified value is the value without its leading blanks.
//   equals: the left-justified value is the criterion; notEquals .. lessOrEqual: the value as stored
//   (leading blanks included) against the criterion in text order; insideRange: the first L characters
//   of the left-justified value >= criterion and its first U characters <= upper; outsideRange: the
//   opposite; beginsWith: the first L characters of the left-justified value are the criterion;
//   endsWith: the last L characters of the value are; contains / notContains: the criterion occurs in the
//   value or not. Any other type passes.
// REQUIRES: criterion and upper are foldCase()d (a search folds its criteria once, not per record).
bool matchString(MatchType type, std::string_view value, std::string_view criterion, std::string_view upper);

// NUMBER, PICTURE, DATE and CHECK fields (dates and times as their Standard numbers, flags 0 or 1).
//   equals .. lessOrEqual, and the ranges criterion <= value <= upper (inside) or not (outside); the date
//   parts compare value and criterion as Standard dates (same month, day of month, year, month and day,
//   year and month). beginsWith (picture fields): the whole parts of value / upper and criterion / upper
//   are equal, upper being pictureUpperLimit(criterion); endsWith: the value's decimal text, cut to its
//   last as many characters as the criterion's, is the criterion. Any other type passes.
bool matchNumber(MatchType type, double value, double criterion, double upper);

// The message text. equals / notEquals; beginsWith, endsWith (the text without trailing blanks ends with
// the criterion), contains and notContains with the criterion without trailing blanks. Any other type
// passes.
// REQUIRES: criterion is foldCase()d.
bool matchText(MatchType type, std::string_view text, std::string_view criterion);

// The upper limit begins-with takes on a picture field: 10 to the power of the number of trailing zero
// digits of the criterion, so 1200 matches 1200 .. 1299.
double pictureUpperLimit(double criterion);

// Whether an upper limit may be confirmed: it must compare greater than the lower limit, as numbers when
// both texts are numbers, otherwise as text (letter case and trailing blanks ignored).
bool upperLimitAccepted(std::string_view lower, std::string_view upper);

}  // namespace tarvelo::search
