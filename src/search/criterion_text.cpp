#include "search/criterion_text.h"

#include <charconv>
#include <cstdint>

#include "search/qbe_compare.h"

namespace tarvelo::search {

namespace {

bool isNumericKind(FieldKind kind) {
    return kind != FieldKind::string && kind != FieldKind::option && kind != FieldKind::text;
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    std::int64_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return n;
}

// "STRING, PICTURE and TEXT"
std::string kindList(MatchType type) {
    const auto kinds = kindsOffering(type);
    std::string out;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0) out += i + 1 == kinds.size() ? " and " : ", ";
        out += kindName(kinds[i]);
    }
    return out;
}

std::string fieldNames() {
    std::string out;
    for (const SearchField& f : searchFields()) out += (out.empty() ? "" : ", ") + commandLineName(f);
    return out;
}

}  // namespace

std::string choiceText(MatchType type) {
    std::string out;
    for (char c : matchTypeInfo(type).choice) {
        if (c != '&') out += c;
    }
    return out;
}

std::optional<Criterion> parseCriterion(std::string_view text, std::string& error) {
    const auto first = text.find(':');
    const auto second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos) {
        error = "'" + std::string(text) + "' is not FIELD:CODE:VALUE[:UPPER]";
        return std::nullopt;
    }
    const std::string name(text.substr(0, first));
    const SearchField* field = searchFieldNamed(name);
    if (!field || commandLineName(*field) != name) {
        error = "'" + name + "' is not a searchable field (" + fieldNames() + ")";
        return std::nullopt;
    }
    const auto code = wholeNumber(text.substr(first + 1, second - first - 1));
    if (!code || !isMatchTypeCode(static_cast<int>(*code))) {
        error = "'" + std::string(text.substr(first + 1, second - first - 1)) + "' is not a match type (0 to 17)";
        return std::nullopt;
    }
    const auto type = static_cast<MatchType>(*code);
    if (!offers(field->kind, type)) {
        error = "match type " + std::to_string(*code) + " (" + choiceText(type) + ") is not offered for a " +
                std::string(kindName(field->kind)) + " field such as " + name + "; it is offered for " +
                kindList(type) + " fields";
        return std::nullopt;
    }
    std::string_view value = text.substr(second + 1);
    std::string_view upper;
    if (isRange(type)) {
        const auto colon = value.rfind(':');
        if (colon == std::string_view::npos) {
            error = "match type " + std::to_string(*code) + " (" + choiceText(type) + ") needs an upper limit: " +
                    name + ":" + std::to_string(*code) + ":LOWER:UPPER";
            return std::nullopt;
        }
        upper = value.substr(colon + 1);
        value = value.substr(0, colon);
    }
    const auto notANumber = [&](std::string_view number) {
        if (!isNumericKind(field->kind) || wholeNumber(number)) return false;
        error = "'" + std::string(number) + "' is not a whole number for " + name +
                " (dates and times are Standard numbers, flags 0 or 1)";
        return true;
    };
    if (notANumber(value) || (isRange(type) && notANumber(upper))) return std::nullopt;
    if (isRange(type) && !upperLimitAccepted(value, upper)) {
        error = "the upper limit '" + std::string(upper) + "' is not greater than '" + std::string(value) + "'";
        return std::nullopt;
    }
    store::Value criterion = std::string(value);
    if (isNumericKind(field->kind)) criterion = *wholeNumber(value);
    return makeCriterion(*field, type, criterion, std::string(upper));
}

}  // namespace tarvelo::search
