#pragma once
// The vocabulary of query by example: the kinds of searchable fields and the eighteen match types, with
// the choice texts of the match-type dialog, the symbols shown beside a field and which kinds offer what.
#include <string_view>
#include <vector>

namespace tarvelo::search {

// What a searchable field holds, which decides the match types it offers and how it is compared.
enum class FieldKind : int { none = 0, string = 1, number = 2, picture = 3, date = 4, text = 5, check = 6, option = 7 };

// The codes are those the dialog returns and the command line takes (0 .. 17).
enum class MatchType : int {
    ignore = 0,
    equals = 1,
    notEquals = 2,
    moreThan = 3,
    lessThan = 4,
    moreOrEqual = 5,
    lessOrEqual = 6,
    insideRange = 7,
    outsideRange = 8,
    beginsWith = 9,
    endsWith = 10,
    contains = 11,
    notContains = 12,
    monthOfYear = 13,
    dayOfMonth = 14,
    inYear = 15,
    monthAndDay = 16,
    yearAndMonth = 17,
};
inline constexpr int kMatchTypeCount = 18;

// How a symbol is drawn: the relational signs as mathematical symbols, the date parts as plain letters.
enum class SymbolStyle { sign, letter };

struct MatchTypeInfo {
    MatchType type;
    std::string_view choice;  // "&Equals this", as the dialog offers it
    std::string_view symbol;  // UTF-8, "≠"; empty for ignore
    SymbolStyle style;
};

const MatchTypeInfo& matchTypeInfo(MatchType type);
// The match type of a code, or nothing outside 0 .. 17.
bool isMatchTypeCode(int code);

// "STRING", "NUMBER", ... as the dialog's title names a kind.
std::string_view kindName(FieldKind kind);

bool offers(FieldKind kind, MatchType type);
// The match types a kind offers, in code order (ignore first).
std::vector<MatchType> offeredMatchTypes(FieldKind kind);
// The kinds that offer a match type, in kind order.
std::vector<FieldKind> kindsOffering(MatchType type);

// The match type a field takes when a value is typed into it while it has none: begins-with for a
// string, contains for the message text, equals for every other kind.
MatchType defaultMatchType(FieldKind kind);

// Inside and outside a range need an upper limit besides the criterion.
inline bool isRange(MatchType type) { return type == MatchType::insideRange || type == MatchType::outsideRange; }

}  // namespace tarvelo::search
