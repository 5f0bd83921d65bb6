#pragma once
// Binding a record struct to its table: the one list of (field name, member) pairs from which both the
// stored layout (TableDef::fields) and the conversion between struct and Row are derived, so a field is
// never spelled out twice.
//
//   const RecordBinding<Category> kCategoryBinding{{
//       bind<&Category::category>("CAT:CATEGORY"),
//   }};
//
// The member's type gives the field type: std::uint8_t Byte, std::int16_t Short, std::int32_t Long,
// FixedText<N> String N, CText<N> (declared through bindCString) CString N, MemoText<N> (bindMemo) Memo N.
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/fixed_text.h"
#include "store/store.h"

namespace tarvelo::store {

template <class R>
struct FieldBinding {
    FieldDef def;
    void (*get)(const R&, Value&);
    void (*set)(R&, const Value&);
};

namespace detail {
template <class T>
struct IsFixedText : std::false_type {};
template <std::size_t N>
struct IsFixedText<FixedText<N>> : std::true_type {
    static constexpr std::size_t width = N;
};

template <class C, class T>
C classOf(T C::*);
template <class C, class T>
T memberOf(T C::*);
}  // namespace detail

template <auto Member>
auto bindAs(const char* name, FieldType type, int width) {
    using R = decltype(detail::classOf(Member));
    using T = decltype(detail::memberOf(Member));
    FieldBinding<R> b;
    b.def = FieldDef{name, type, width};
    if constexpr (detail::IsFixedText<T>::value) {
        b.get = [](const R& r, Value& v) { v = (r.*Member).text(); };
        b.set = [](R& r, const Value& v) {
            if (auto* s = std::get_if<std::string>(&v)) (r.*Member) = *s;
            else (r.*Member).clear();
        };
    } else {
        static_assert(std::is_integral_v<T>, "a bound member is a number or a FixedText");
        b.get = [](const R& r, Value& v) { v = static_cast<std::int64_t>(r.*Member); };
        b.set = [](R& r, const Value& v) {
            if (auto* n = std::get_if<std::int64_t>(&v)) (r.*Member) = static_cast<T>(*n);
            else (r.*Member) = 0;
        };
    }
    return b;
}

// A number or a blank-padded STRING field.
template <auto Member>
auto bind(const char* name) {
    using T = decltype(detail::memberOf(Member));
    if constexpr (detail::IsFixedText<T>::value) {
        return bindAs<Member>(name, FieldType::String, static_cast<int>(detail::IsFixedText<T>::width));
    } else if constexpr (std::is_same_v<T, std::uint8_t>) {
        return bindAs<Member>(name, FieldType::Byte, 0);
    } else if constexpr (std::is_same_v<T, std::int16_t>) {
        return bindAs<Member>(name, FieldType::Short, 0);
    } else {
        static_assert(std::is_same_v<T, std::int32_t>, "fields are BYTE, SHORT, LONG or text");
        return bindAs<Member>(name, FieldType::Long, 0);
    }
}

// A zero-terminated field: CText<N> holds N - 1 characters in N bytes.
template <auto Member>
auto bindCString(const char* name) {
    using T = decltype(detail::memberOf(Member));
    return bindAs<Member>(name, FieldType::CString, static_cast<int>(detail::IsFixedText<T>::width + 1));
}

template <auto Member>
auto bindMemo(const char* name) {
    using T = decltype(detail::memberOf(Member));
    return bindAs<Member>(name, FieldType::Memo, static_cast<int>(detail::IsFixedText<T>::width));
}

template <class R>
class RecordBinding {
public:
    explicit RecordBinding(std::vector<FieldBinding<R>> fields) : m_fields(std::move(fields)) {}

    std::vector<FieldDef> fieldDefs() const {
        std::vector<FieldDef> defs;
        for (const auto& f : m_fields) defs.push_back(f.def);
        return defs;
    }
    Row toRow(const R& r) const {
        Row row;
        row.values.resize(m_fields.size());
        for (std::size_t i = 0; i < m_fields.size(); ++i) m_fields[i].get(r, row.values[i]);
        row.ref = r.ref;
        return row;
    }
    R fromRow(const Row& row) const {
        R r{};
        for (std::size_t i = 0; i < m_fields.size() && i < row.values.size(); ++i) m_fields[i].set(r, row.values[i]);
        r.ref = row.ref;
        return r;
    }

private:
    std::vector<FieldBinding<R>> m_fields;
};

}  // namespace tarvelo::store
