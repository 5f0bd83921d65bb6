#include "search/search_fields.h"

#include <array>
#include <cctype>
#include <vector>

#include "data/tables.h"

namespace tarvelo::search {

namespace {

struct Declared {
    std::string_view name;
    FieldKind kind;
    std::string_view picture;
};

constexpr FieldKind kString = FieldKind::string;
constexpr FieldKind kNumber = FieldKind::number;
constexpr FieldKind kDate = FieldKind::date;
constexpr FieldKind kText = FieldKind::text;
constexpr FieldKind kCheck = FieldKind::check;
constexpr FieldKind kOption = FieldKind::option;

// The times are compared as numbers like the dates, so they share the DATE kind.
constexpr std::array<Declared, 31> kDeclared{{
    {"SCH:TASKTYPE", kOption, "@s20"},
    {"SCH:CATEGORY", kOption, "@s20"},
    {"SCH:DESCRIPTION", kString, "@s40"},
    {"SCH:COMMAND", kString, "@s80"},
    {"SCH:PATH", kString, "@s80"},
    {"SCH:MESSAGE", kText, "@s1000"},
    {"SCH:SCHEDULETYPE", kOption, "@s20"},
    {"SCH:EVERY1ST", kCheck, "@n1"},
    {"SCH:EVERY2ND", kCheck, "@n1"},
    {"SCH:EVERY3RD", kCheck, "@n1"},
    {"SCH:EVERY4TH", kCheck, "@n1"},
    {"SCH:EVERYLAST", kCheck, "@n1"},
    {"SCH:SUNDAY", kCheck, "@n1"},
    {"SCH:MONDAY", kCheck, "@n1"},
    {"SCH:TUESDAY", kCheck, "@n1"},
    {"SCH:WEDNESDAY", kCheck, "@n1"},
    {"SCH:THURSDAY", kCheck, "@n1"},
    {"SCH:FRIDAY", kCheck, "@n1"},
    {"SCH:SATURDAY", kCheck, "@n1"},
    {"SCH:EVERY", kNumber, "@n6"},
    {"SCH:EVERYTYPE", kOption, "@s20"},
    {"SCH:DATE", kDate, "@d3"},
    {"SCH:TIME", kDate, "@t3"},
    {"SCH:SKIPNEXTTIME", kCheck, "@n1"},
    {"SCH:ADVANCEWARNDATE", kDate, "@d3"},
    {"SCH:ADVANCEWARNTIME", kDate, "@t3"},
    {"SCH:ALARM", kCheck, "@n1"},
    {"SCH:ALARMFILE", kString, "@s80"},
    {"SCH:WARN", kCheck, "@n1"},
    {"SCH:USERSKIP", kCheck, "@n1"},
    {"SCH:DISABLED", kCheck, "@n1"},
}};

const std::vector<SearchField>& fields() {
    static const std::vector<SearchField> all = [] {
        std::vector<SearchField> out;
        for (const Declared& d : kDeclared)
            out.push_back({d.name, d.kind, d.picture, scheduleTableDef().fieldIndex(d.name)});
        return out;
    }();
    return all;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::span<const SearchField> searchFields() { return fields(); }

const SearchField* searchFieldAt(int index) {
    for (const SearchField& f : fields()) {
        if (f.index == index) return &f;
    }
    return nullptr;
}

const SearchField* searchFieldNamed(std::string_view name) {
    for (const SearchField& f : fields()) {
        if (sameIgnoringCase(f.name, name) || commandLineName(f) == name) return &f;
    }
    return nullptr;
}

std::string commandLineName(const SearchField& field) {
    std::string out(field.name.substr(field.name.find(':') + 1));
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace tarvelo::search
