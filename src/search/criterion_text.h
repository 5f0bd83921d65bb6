#pragma once
// A criterion written as text, as the command line takes it: FIELD:CODE:VALUE[:UPPER]. FIELD is a
// searchable field's lower-case name ("description", "date"), CODE a match type (0 .. 17), VALUE the
// criterion as the form would hold it (text as typed, dates and times as Standard numbers, flags 0 or 1),
// UPPER the upper limit of a range (codes 7 and 8 only; a value may then hold no colon, elsewhere it may).
#include <optional>
#include <string>
#include <string_view>

#include "search/schedule_scan.h"

namespace tarvelo::search {

// The criterion, or nothing with the problem in error ("match type 13 (In this month of each year) is not
// offered for a STRING field such as description; it is offered for DATE fields").
std::optional<Criterion> parseCriterion(std::string_view text, std::string& error);

// The choice text of a match type without its hot-key mark: "Begins with this".
std::string choiceText(MatchType type);

}  // namespace tarvelo::search
