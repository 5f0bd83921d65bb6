#include "search/search_key.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/date.h"

namespace tarvelo::search {

namespace {

using enum MatchType;

// The first day of the criterion's year, or of its month.
void moveToStartOf(MatchType type, store::Value& date) {
    const auto* n = std::get_if<std::int64_t>(&date);
    const auto clamped = static_cast<StdDate>(
        n ? std::clamp<std::int64_t>(*n, std::numeric_limits<StdDate>::min(), std::numeric_limits<StdDate>::max()) : 0);
    const Ymd ymd = ymdFromDate(clamped);
    date = static_cast<std::int64_t>(dateFromYmd(ymd.year, type == inYear ? 1 : ymd.month, 1));
}

}  // namespace

bool chooseSearchKey(store::View& view, const store::TableDef& table, int key, MatchType type, store::Row keyValues,
                     bool& earlyStop) {
    const auto& components = table.keys.at(static_cast<std::size_t>(key)).components;
    const int keyField = table.fieldIndex(components.front());
    keyValues.values.resize(table.fields.size());
    for (std::size_t i = 1; i < components.size(); ++i) {
        const int f = table.fieldIndex(components[i]);
        const bool numeric = table.fields[static_cast<std::size_t>(f)].type != store::FieldType::String &&
                             table.fields[static_cast<std::size_t>(f)].type != store::FieldType::CString &&
                             table.fields[static_cast<std::size_t>(f)].type != store::FieldType::Memo;
        keyValues.values[static_cast<std::size_t>(f)] =
            numeric ? store::Value(std::numeric_limits<std::int64_t>::min()) : store::Value(std::string());
    }
    switch (type) {
    case inYear:
    case yearAndMonth:
        moveToStartOf(type, keyValues.values[static_cast<std::size_t>(keyField)]);
        [[fallthrough]];
    case equals:
    case insideRange:
    case beginsWith:
        earlyStop = true;
        return view.setAt(keyValues).ok();
    case moreThan:
    case moreOrEqual:
        earlyStop = false;
        return view.setAt(keyValues).ok();
    case lessThan:
    case lessOrEqual:
        earlyStop = true;
        return view.setToStart().ok();
    default:
        return false;
    }
}

}  // namespace tarvelo::search
