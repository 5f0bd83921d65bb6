#include <limits>

#include "store/position.h"
#include "store/table_impl.h"

namespace tarvelo::store {

struct View::Impl {
    Table* table = nullptr;
    Filter filter;
    Cursor cursor;
    std::string lastPosition;  // of the last record read
    std::optional<FieldSet> fields;  // set: only these are read
    bool descending = false;

    // The direction of the key a read in the view's direction takes.
    Direction keyward(Direction d) const {
        if (!descending) return d;
        return d == Direction::forward ? Direction::backward : Direction::forward;
    }
    bool forwardOnKey(bool forward) const { return forward != descending; }
    void toStart(int key) { descending ? cursor.toEnd(key) : cursor.toStart(key); }
    void toEnd(int key) { descending ? cursor.toStart(key) : cursor.toEnd(key); }

    const FieldSet* set() const { return fields ? &*fields : nullptr; }
    // The view stands on row, the last record read.
    void remember(const Row& row) { lastPosition = table->position(cursor.key, row); }

    Table::Impl& t() { return *table->m_impl; }
};

View::View(Table& table, int key, Filter filter, Order order) : m_impl(std::make_unique<Impl>()) {
    m_impl->table = &table;
    m_impl->filter = std::move(filter);
    m_impl->descending = order == Order::descending;
    m_impl->toStart(key);
}

View::~View() = default;

void View::readFields(std::vector<int> fields) {
    if (fields.empty()) {
        m_impl->fields.reset();
        return;
    }
    Table::Impl& t = m_impl->t();
    if (!t.checkKey(m_impl->cursor.key).ok()) return;  // the reads report it
    m_impl->fields = t.fieldSet(m_impl->cursor.key, std::move(fields));
}

Status View::setToStart() {
    Table::Impl& t = m_impl->t();
    if (Status s = t.checkKey(m_impl->cursor.key); !s.ok()) return s;
    m_impl->toStart(m_impl->cursor.key);
    return Status::okStatus();
}

Status View::setToEnd() {
    Table::Impl& t = m_impl->t();
    if (Status s = t.checkKey(m_impl->cursor.key); !s.ok()) return s;
    m_impl->toEnd(m_impl->cursor.key);
    return Status::okStatus();
}

Status View::setAt(const Row& keyValues) {
    Table::Impl& t = m_impl->t();
    const int key = m_impl->cursor.key;
    if (Status s = t.checkKey(key); !s.ok()) return s;
    m_impl->cursor.at(key, t.components(key, keyValues));
    // Above every row id: read downwards, the records with exactly these key values come first.
    if (m_impl->descending) m_impl->cursor.lowId = m_impl->cursor.highId = std::numeric_limits<std::int64_t>::max();
    return Status::okStatus();
}

Status View::next(Row& out) {
    Table::Impl& t = m_impl->t();
    Status s = t.guarded(*m_impl->table, [&] { return t.read(m_impl->cursor, m_impl->forwardOnKey(true), &m_impl->filter, out, m_impl->set()); });
    if (s.ok()) m_impl->remember(out);
    return s;
}

Status View::previous(Row& out) {
    Table::Impl& t = m_impl->t();
    Status s = t.guarded(*m_impl->table, [&] { return t.read(m_impl->cursor, m_impl->forwardOnKey(false), &m_impl->filter, out, m_impl->set()); });
    if (s.ok()) m_impl->remember(out);
    return s;
}

Status View::read(Direction direction, int count, std::vector<Row>& out) {
    Table::Impl& t = m_impl->t();
    const std::size_t before = out.size();
    const Cursor start = m_impl->cursor;
    Status s = t.guarded(*m_impl->table, [&] {
        out.resize(before);  // a second try after a repair starts the page afresh
        m_impl->cursor = start;
        return t.readMany(m_impl->cursor, m_impl->keyward(direction), &m_impl->filter, count, false, out, m_impl->set());
    });
    if (s.ok() && out.size() > before) m_impl->remember(out.back());
    return s;
}

Status View::readPage(Direction direction, int count, std::vector<Row>& page) {
    if (m_impl->filter) {
        page.clear();
        return read(direction, count, page);
    }
    Table::Impl& t = m_impl->t();
    const Cursor start = m_impl->cursor;
    Status s = t.guarded(*m_impl->table, [&] {
        m_impl->cursor = start;  // a second try after a repair starts the page afresh
        return t.readPage(m_impl->cursor, m_impl->keyward(direction), count, false, page, m_impl->set());
    });
    if (!s.ok()) page.clear();
    if (s.ok() && !page.empty()) m_impl->remember(page.back());
    return s;
}

std::string View::position() const { return m_impl->lastPosition; }

Status View::reset(std::string_view position) {
    Table::Impl& t = m_impl->t();
    const int key = m_impl->cursor.key;
    if (Status s = t.checkKey(key); !s.ok()) return s;
    const auto p = detail::decodePosition(position);
    if (!p || p->key >= static_cast<int>(t.schema.keys.size())) return Status::make(kRecordNotFound);
    // Where the record is now, if it still exists; else where it was when the position was taken.
    Row row;
    Status found = t.guarded(*m_impl->table, [&] { return t.readRow(p->rowId, row); });
    if (found.ok()) {
        m_impl->cursor.inFrontOf(key, t.components(key, row), p->rowId);
    } else if (found.code == kRecordNotFound && p->key == key &&
               p->keyValues.size() == t.keySql(key).fields.size()) {
        m_impl->cursor.inFrontOf(key, p->keyValues, p->rowId);
    } else {
        return found;
    }
    if (m_impl->descending) {
        // Straddling the record the other way: read downwards it comes first, upwards the one above it.
        m_impl->cursor.lowId = p->rowId;
        m_impl->cursor.highId = p->rowId + 1;
    }
    return Status::okStatus();
}

Status View::reread(std::string_view position, Row& out) {
    Table::Impl& t = m_impl->t();
    const auto p = detail::decodePosition(position);
    if (!p || p->key >= static_cast<int>(t.schema.keys.size())) return Status::make(kRecordNotFound);
    return t.guarded(*m_impl->table, [&] { return t.readRow(p->rowId, out); });
}

}  // namespace tarvelo::store
