#include "search/search_fields.h"

#include <array>
#include <cctype>
#include <vector>

#include "data/tables.h"

namespace tarvelo::search {

namespace {

struct Declared {
    int control;
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
    {3, "SCH:TASKTYPE", kOption, "@s20"},
    {11, "SCH:CATEGORY", kOption, "@s20"},
    {13, "SCH:DESCRIPTION", kString, "@s40"},
    {15, "SCH:COMMAND", kString, "@s80"},
    {17, "SCH:PATH", kString, "@s80"},
    {19, "SCH:MESSAGE", kText, "@s1000"},
    {21, "SCH:SCHEDULETYPE", kOption, "@s20"},
    {29, "SCH:EVERY1ST", kCheck, "@n1"},
    {30, "SCH:EVERY2ND", kCheck, "@n1"},
    {31, "SCH:EVERY3RD", kCheck, "@n1"},
    {32, "SCH:EVERY4TH", kCheck, "@n1"},
    {33, "SCH:EVERYLAST", kCheck, "@n1"},
    {34, "SCH:SUNDAY", kCheck, "@n1"},
    {35, "SCH:MONDAY", kCheck, "@n1"},
    {36, "SCH:TUESDAY", kCheck, "@n1"},
    {37, "SCH:WEDNESDAY", kCheck, "@n1"},
    {38, "SCH:THURSDAY", kCheck, "@n1"},
    {39, "SCH:FRIDAY", kCheck, "@n1"},
    {40, "SCH:SATURDAY", kCheck, "@n1"},
    {42, "SCH:EVERY", kNumber, "@n6"},
    {43, "SCH:EVERYTYPE", kOption, "@s20"},
    {51, "SCH:DATE", kDate, "@d3"},
    {54, "SCH:TIME", kDate, "@t3"},
    {59, "SCH:SKIPNEXTTIME", kCheck, "@n1"},
    {61, "SCH:ADVANCEWARNDATE", kDate, "@d3"},
    {64, "SCH:ADVANCEWARNTIME", kDate, "@t3"},
    {67, "SCH:ALARM", kCheck, "@n1"},
    {69, "SCH:ALARMFILE", kString, "@s80"},
    {70, "SCH:WARN", kCheck, "@n1"},
    {71, "SCH:USERSKIP", kCheck, "@n1"},
    {72, "SCH:DISABLED", kCheck, "@n1"},
}};

const std::vector<SearchField>& fields() {
    static const std::vector<SearchField> all = [] {
        std::vector<SearchField> out;
        for (const Declared& d : kDeclared)
            out.push_back({d.control, d.name, d.kind, d.picture, scheduleTableDef().fieldIndex(d.name)});
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
