#pragma once
// Typed access to a table: records in, records out, keys by their constants. The conversion to and from
// the driver's rows happens here and nowhere above.
//
// Every operation returns the driver's Status (or a Result, for reads that yield a value). A read that
// fails leaves its output record unchanged. A write updates the record's ref, so the copy can be written
// again.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "data/tables.h"
#include "store/store.h"

namespace tarvelo {

template <class R>
class RecordTable {
public:
    using Key = typename RecordTraits<R>::Key;

    explicit RecordTable(store::Table& table) : m_table(&table) {}

    store::Table& table() const { return *m_table; }
    std::string name() const { return m_table->name(); }
    store::Result<std::int64_t> records() const { return m_table->records(); }

    store::Status setToStart(Key key) { return m_table->setToStart(index(key)); }
    store::Status setToEnd(Key key) { return m_table->setToEnd(index(key)); }
    // At the first record whose key components are >= those of keyValues.
    store::Status setAt(Key key, const R& keyValues) { return m_table->setAt(index(key), toRow(keyValues)); }
    store::Status next(R& out) { return read(&store::Table::next, out); }
    store::Status previous(R& out) { return read(&store::Table::previous, out); }
    // The record with exactly the key components of keyValues in a unique key.
    store::Status fetch(Key key, const R& keyValues, R& out) {
        store::Row row;
        const store::Status s = m_table->fetch(index(key), toRow(keyValues), row);
        if (s.ok()) out = fromRow(row);
        return s;
    }

    store::Status add(R& record) { return write(&store::Table::add, record); }
    store::Status put(R& record) { return write(&store::Table::put, record); }
    store::Status erase(const R& record) { return m_table->erase(toRow(record)); }
    store::Result<bool> duplicate(Key key, const R& record) { return m_table->duplicate(index(key), toRow(record)); }

    std::string position(Key key, const R& record) const { return m_table->position(index(key), toRow(record)); }
    store::Status reget(std::string_view position, R& out) {
        store::Row row;
        const store::Status s = m_table->reget(position, row);
        if (s.ok()) out = fromRow(row);
        return s;
    }

    static store::Row toRow(const R& record) { return RecordTraits<R>::binding().toRow(record); }
    static R fromRow(const store::Row& row) { return RecordTraits<R>::binding().fromRow(row); }
    static int index(Key key) { return static_cast<int>(key); }

private:
    store::Status read(store::Status (store::Table::*op)(store::Row&), R& out) {
        store::Row row;
        const store::Status s = (m_table->*op)(row);
        if (s.ok()) out = fromRow(row);
        return s;
    }
    store::Status write(store::Status (store::Table::*op)(store::Row&), R& record) {
        store::Row row = toRow(record);
        const store::Status s = (m_table->*op)(row);
        if (s.ok()) record.ref = row.ref;
        return s;
    }

    store::Table* m_table;
};

// An ordered, filtered cursor of records over one table, independent of the table's own position.
template <class R>
class RecordView {
public:
    using Key = typename RecordTraits<R>::Key;
    using Filter = std::function<bool(const R&)>;

    RecordView(store::Table& table, Key key, Filter filter = {})
        : m_view(table, static_cast<int>(key), rowFilter(std::move(filter))) {}

    store::Status setToStart() { return m_view.setToStart(); }
    store::Status setToEnd() { return m_view.setToEnd(); }
    store::Status setAt(const R& keyValues) { return m_view.setAt(RecordTable<R>::toRow(keyValues)); }
    store::Status next(R& out) { return read(&store::View::next, out); }
    store::Status previous(R& out) { return read(&store::View::previous, out); }
    std::string position() const { return m_view.position(); }
    store::Status reset(std::string_view position) { return m_view.reset(position); }
    store::Status reread(std::string_view position, R& out) {
        store::Row row;
        const store::Status s = m_view.reread(position, row);
        if (s.ok()) out = RecordTable<R>::fromRow(row);
        return s;
    }

private:
    static store::View::Filter rowFilter(Filter filter) {
        if (!filter) return {};
        return [f = std::move(filter)](const store::Row& row) { return f(RecordTable<R>::fromRow(row)); };
    }
    store::Status read(store::Status (store::View::*op)(store::Row&), R& out) {
        store::Row row;
        const store::Status s = (m_view.*op)(row);
        if (s.ok()) out = RecordTable<R>::fromRow(row);
        return s;
    }

    store::View m_view;
};

}  // namespace tarvelo
