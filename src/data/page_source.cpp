#include "data/page_source.h"

#include <limits>

#include "store/fold_collation.h"

namespace tarvelo {
namespace {

bool isNumber(store::FieldType type) {
    return type == store::FieldType::Byte || type == store::FieldType::Short || type == store::FieldType::Long;
}

// <0, 0, >0 as a sorts before, with or after b in a key component of that type.
int compareComponent(const store::Value& a, const store::Value& b) {
    const auto* na = std::get_if<std::int64_t>(&a);
    const auto* nb = std::get_if<std::int64_t>(&b);
    if (na && nb) return *na < *nb ? -1 : (*na > *nb ? 1 : 0);
    const auto* ta = std::get_if<std::string>(&a);
    const auto* tb = std::get_if<std::string>(&b);
    return store::detail::foldCompare(ta ? *ta : std::string(), tb ? *tb : std::string());
}

class ViewSource : public PageSource {
public:
    ViewSource(store::Table& table, int key, KeyRange range, store::Order order)
        : m_table(table), m_key(key), m_range(std::move(range)), m_view(table, key, {}, order),
          m_descending(order == store::Order::descending) {
        const store::TableDef& def = table.def();
        if (key >= 0 && key < static_cast<int>(def.keys.size())) {
            for (const auto& name : def.keys[static_cast<std::size_t>(key)].components) m_fields.push_back(def.fieldIndex(name));
        }
        if (m_range.leading.size() > m_fields.size()) m_range.leading.resize(m_fields.size());
    }

    // Descending, the range's start is its high bound.
    store::Status toStart() override { return ranged() ? m_view.setAt(bound(m_descending)) : m_view.setToStart(); }
    store::Status toEnd() override { return ranged() ? m_view.setAt(bound(!m_descending)) : m_view.setToEnd(); }

    store::Status toValue(const store::Row& keyValues) override {
        if (ranged()) {
            const int side = sideOf(keyValues);
            if (side != 0) return (side < 0) != m_descending ? toStart() : toEnd();
        }
        return m_view.setAt(keyValues);
    }

    store::Status resetTo(std::string_view position) override { return m_view.reset(position); }

    store::Status read(Direction direction, int count, std::vector<PageRecord>& out) override {
        // One statement for the page; a range's edge within it ends the page there.
        std::vector<store::Row> rows;
        const store::Status s = m_view.read(direction == Direction::forward ? store::Direction::forward
                                                                          : store::Direction::backward,
                                            count, rows);
        if (!s.ok()) return s;
        for (auto& row : rows) {
            if (ranged() && sideOf(row) != 0) return store::Status::make(store::kRecordNotAvailable);
            PageRecord record;
            record.position = m_table.position(m_key, row);
            record.row = std::move(row);
            out.push_back(std::move(record));
        }
        if (static_cast<int>(rows.size()) < count) return store::Status::make(store::kRecordNotAvailable);
        return store::Status::okStatus();
    }

    store::Status reread(std::string_view position, store::Row& out) override { return m_view.reread(position, out); }

private:
    bool ranged() const { return !m_range.leading.empty(); }

    store::Value fieldOf(const store::Row& row, int field) const {
        if (field >= 0 && static_cast<std::size_t>(field) < row.values.size()) return row.values[static_cast<std::size_t>(field)];
        if (field >= 0 && isNumber(m_table.def().fields[static_cast<std::size_t>(field)].type)) return std::int64_t{0};
        return std::string();
    }

    // Where a record's key lies against the range: before it (<0), inside (0) or after it (>0).
    int sideOf(const store::Row& row) const {
        for (std::size_t i = 0; i < m_range.leading.size(); ++i) {
            const int c = compareComponent(fieldOf(row, m_fields[i]), m_range.leading[i]);
            if (c != 0) return c;
        }
        return 0;
    }

    // The range's leading values with every further component at its lowest or its highest. The highest
    // text is the field filled with bytes that are not UTF-8, which sort after every character.
    store::Row bound(bool high) const {
        const store::TableDef& def = m_table.def();
        store::Row row;
        row.values.resize(def.fields.size());
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            const auto field = static_cast<std::size_t>(m_fields[i]);
            if (i < m_range.leading.size()) {
                row.values[field] = m_range.leading[i];
            } else if (isNumber(def.fields[field].type)) {
                row.values[field] = high ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
            } else {
                row.values[field] = high ? std::string(static_cast<std::size_t>(def.fields[field].width), '\xFF') : std::string();
            }
        }
        return row;
    }

    store::Table& m_table;
    int m_key;
    KeyRange m_range;
    store::View m_view;
    bool m_descending;
    std::vector<int> m_fields;  // the key's components as field indexes
};

}  // namespace

std::unique_ptr<PageSource> openViewSource(store::Table& table, int key, KeyRange range, store::Order order) {
    return std::make_unique<ViewSource>(table, key, std::move(range), order);
}

}  // namespace tarvelo
