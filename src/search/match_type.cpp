#include "search/match_type.h"

#include <array>

namespace tarvelo::search {

namespace {

using enum MatchType;

constexpr std::array<MatchTypeInfo, kMatchTypeCount> kMatchTypes{{
    {ignore, "&Ignore this field", "", SymbolStyle::sign},
    {equals, "&Equals this", "=", SymbolStyle::sign},
    {notEquals, "&Does not equal this", "\u2260", SymbolStyle::sign},
    {moreThan, "&More than this", ">", SymbolStyle::sign},
    {lessThan, "&Less than this", "<", SymbolStyle::sign},
    {moreOrEqual, "More &than or equal to this", "\u2265", SymbolStyle::sign},
    {lessOrEqual, "Less t&han or equal to this", "\u2264", SymbolStyle::sign},
    {insideRange, "Inside &range starting with this", "\u2194", SymbolStyle::sign},
    {outsideRange, "&Outside range starting with this", "\u25CA", SymbolStyle::sign},
    {beginsWith, "&Begins with this", "\u2192", SymbolStyle::sign},
    {endsWith, "E&nds with this", "\u2190", SymbolStyle::sign},
    {contains, "&Contains this", "\u2227", SymbolStyle::sign},
    {notContains, "Doe&s not contain this", "\u2228", SymbolStyle::sign},
    {monthOfYear, "I&n this month of each year", "m", SymbolStyle::letter},
    {dayOfMonth, "On this d&ay of each month", "d", SymbolStyle::letter},
    {inYear, "In this &year", "y", SymbolStyle::letter},
    {monthAndDay, "On thi&s month + day", "M", SymbolStyle::letter},
    {yearAndMonth, "I&n this year + month", "Y", SymbolStyle::letter},
}};

// Per kind, the codes it offers as a bit set (bit n = code n).
constexpr unsigned bits(std::initializer_list<int> codes) {
    unsigned b = 0;
    for (int c : codes) b |= 1u << c;
    return b;
}
constexpr unsigned range(int from, int to) {
    unsigned b = 0;
    for (int c = from; c <= to; ++c) b |= 1u << c;
    return b;
}

unsigned offeredBits(FieldKind kind) {
    switch (kind) {
    case FieldKind::string: return range(0, 12);
    case FieldKind::number: return range(0, 8);
    case FieldKind::picture: return range(0, 10);
    case FieldKind::date: return range(0, 8) | range(13, 17);
    case FieldKind::text: return range(0, 2) | range(9, 12);
    case FieldKind::check:
    case FieldKind::option: return bits({0, 1, 2});
    case FieldKind::none: return 0;
    }
    return 0;
}

constexpr FieldKind kKinds[] = {FieldKind::string, FieldKind::number, FieldKind::picture, FieldKind::date,
                                FieldKind::text,   FieldKind::check,  FieldKind::option};

}  // namespace

const MatchTypeInfo& matchTypeInfo(MatchType type) {
    const int code = static_cast<int>(type);
    return kMatchTypes[static_cast<std::size_t>(isMatchTypeCode(code) ? code : 0)];
}

bool isMatchTypeCode(int code) { return code >= 0 && code < kMatchTypeCount; }

std::string_view kindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::string: return "STRING";
    case FieldKind::number: return "NUMBER";
    case FieldKind::picture: return "PICTURE";
    case FieldKind::date: return "DATE";
    case FieldKind::text: return "TEXT";
    case FieldKind::check: return "CHECK";
    case FieldKind::option: return "OPTION";
    case FieldKind::none: break;
    }
    return "";
}

bool offers(FieldKind kind, MatchType type) {
    const int code = static_cast<int>(type);
    return isMatchTypeCode(code) && (offeredBits(kind) & (1u << code)) != 0;
}

std::vector<MatchType> offeredMatchTypes(FieldKind kind) {
    std::vector<MatchType> out;
    for (const auto& info : kMatchTypes) {
        if (offers(kind, info.type)) out.push_back(info.type);
    }
    return out;
}

std::vector<FieldKind> kindsOffering(MatchType type) {
    std::vector<FieldKind> out;
    for (FieldKind kind : kKinds) {
        if (offers(kind, type)) out.push_back(kind);
    }
    return out;
}

MatchType defaultMatchType(FieldKind kind) {
    switch (kind) {
    case FieldKind::string: return beginsWith;
    case FieldKind::text: return contains;
    case FieldKind::none: return ignore;
    default: return equals;
    }
}

}  // namespace tarvelo::search
