#include "data/browse_list.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/fixed_text.h"
#include "data/thumb_stops.h"

namespace tarvelo {
namespace {

class BusyScope {
public:
    explicit BusyScope(platform::PageListObserver* observer) : m_observer(observer) {
        if (m_observer) m_observer->busy(true);
    }
    ~BusyScope() {
        if (m_observer) m_observer->busy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    platform::PageListObserver* m_observer;
};

std::int64_t numberIn(const store::Row& row, int field) {
    if (field < 0 || static_cast<std::size_t>(field) >= row.values.size()) return 0;
    const auto* n = std::get_if<std::int64_t>(&row.values[static_cast<std::size_t>(field)]);
    return n ? *n : 0;
}

std::string textIn(const store::Row& row, int field) {
    if (field < 0 || static_cast<std::size_t>(field) >= row.values.size()) return {};
    const auto* s = std::get_if<std::string>(&row.values[static_cast<std::size_t>(field)]);
    return s ? *s : std::string();
}

Direction opposite(Direction d) { return d == Direction::forward ? Direction::backward : Direction::forward; }

}  // namespace

// The outermost public call of the list: a read snapshot around its reads, its messages after it.
class BrowseList::Operation {
public:
    explicit Operation(BrowseList& list) : m_list(list) {
        if (m_list.m_operationDepth++ > 0) return;
        m_snapshot.emplace(std::vector<store::Table*>{&m_list.m_table});
    }
    ~Operation() {
        if (--m_list.m_operationDepth > 0) return;
        m_snapshot.reset();  // ended before any message is shown
        m_list.reportFailures();
    }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

private:
    BrowseList& m_list;
    std::optional<store::ReadSnapshot> m_snapshot;
};

BrowseList::BrowseList(store::Table& table, const DataWarning& warn, BrowseConfig config)
    : m_table(table), m_warn(warn), m_config(std::move(config)) {}

BrowseList::~BrowseList() = default;

std::unique_ptr<PageSource> BrowseList::openSource() const {
    const BrowseSort& def = sortDef();
    KeyRange range;
    if (def.range) range.leading = def.range(m_resetValue);
    if (m_config.openSource) return m_config.openSource(m_table, def.key, std::move(range));
    return openViewSource(m_table, def.key, std::move(range));
}

bool BrowseList::reopen() {
    m_source = openSource();
    const store::Status s = m_source->toStart();
    if (!s.ok()) viewOpenFailed(s);
    return s.ok();
}

std::string BrowseList::resetSourceValue() const {
    return m_config.resetSource ? std::string(trimRight(m_config.resetSource())) : std::string();
}

BrowseList::Entry BrowseList::makeEntry(PageRecord record) const {
    Entry entry{std::move(record.row), std::move(record.position), {}, false};
    if (m_config.cells) entry.cells = m_config.cells(entry.row);
    return entry;
}

platform::ListCell BrowseList::cell(int row, int column) const {
    if (row < 0 || row >= entryCount()) return {};
    const auto& cells = m_page[static_cast<std::size_t>(row)].cells;
    if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return {};
    return cells[static_cast<std::size_t>(column)];
}

std::vector<store::Row> BrowseList::pageRows() const {
    std::vector<store::Row> rows;
    for (const auto& e : m_page) rows.push_back(e.row);
    return rows;
}

// --- Reading ---------------------------------------------------------------------------------------

bool BrowseList::readFailed(const store::Status& status) {
    if (!m_readFailure) m_readFailure = status;
    m_closed = true;
    m_page.clear();
    m_highlight = -1;
    return false;
}

void BrowseList::viewOpenFailed(const store::Status& status) {
    if (!m_viewFailure) m_viewFailure = status;
}

void BrowseList::reportFailures() {
    if (m_viewFailure) {
        // The message quotes the failure itself, whatever ran after it.
        m_warn(kWarnViewOpenError, *std::exchange(m_viewFailure, std::nullopt));
    }
    if (m_readFailure) {
        m_warn(kWarnRecordRetrievalError, *std::exchange(m_readFailure, std::nullopt), m_config.tableName);
        if (m_observer) m_observer->closeRequested();
    }
}

// Fills m_toFill rows in `direction`, from the page's edge in that direction (or from where the view
// stands when the page is empty). A full page drops a row at the far end for each one added.
bool BrowseList::fill(Direction direction) {
    if (!m_source) return false;
    const bool forward = direction == Direction::forward;
    std::int64_t edgeId = 0;
    if (!m_page.empty()) {
        const Entry& edge = forward ? m_page.back() : m_page.front();
        if (const store::Status s = m_source->resetTo(edge.position); !s.ok()) return readFailed(s);
        // Read forwards, the edge itself comes first; it is on the page already.
        if (forward) edgeId = edge.row.ref.rowId;
    }
    const BrowseSort& def = sortDef();
    while (m_toFill > 0) {
        std::vector<PageRecord> batch;
        const store::Status s = m_source->read(direction, m_toFill + (edgeId != 0 ? 1 : 0), batch);
        for (PageRecord& record : batch) {
            if (edgeId != 0) {
                const bool isEdge = record.row.ref.rowId == edgeId;
                edgeId = 0;
                if (isEdge) continue;
            }
            if (m_toFill == 0) break;
            m_currentPosition = record.position;
            m_currentRowId = record.row.ref.rowId;
            if (def.test && !def.test(record.row)) continue;
            if (full()) forward ? m_page.pop_front() : m_page.pop_back();
            forward ? m_page.push_back(makeEntry(std::move(record))) : m_page.push_front(makeEntry(std::move(record)));
            --m_toFill;
        }
        edgeId = 0;
        if (s.code == store::kRecordNotAvailable) return true;
        if (!s.ok()) return readFailed(s);
        if (batch.empty()) return true;
    }
    return true;
}

void BrowseList::refreshPage(RefreshMode mode) {
    if (m_closed || !m_source) return;
    BusyScope busy(m_observer);
    std::int64_t highlightId = 0;  // 0: no record to highlight
    const bool hadEntries = !m_page.empty();
    if (hadEntries) {
        const int row = m_highlight >= 0 && m_highlight < entryCount() ? m_highlight : entryCount() - 1;
        highlightId = m_page[static_cast<std::size_t>(row)].row.ref.rowId;
    }
    store::Status s;
    switch (mode) {
    case RefreshMode::fromCurrent:
        highlightId = m_currentRowId;
        s = m_source->resetTo(m_currentPosition);
        break;
    case RefreshMode::lastPage:
        // The located value lies beyond the view's last record: its last page.
        s = m_source->toEnd();
        break;
    case RefreshMode::keep:
        s = hadEntries ? m_source->resetTo(m_page.front().position) : m_source->toStart();
        break;
    }
    if (!s.ok()) {
        readFailed(s);
        return;
    }
    m_page.clear();
    m_toFill = m_rows;
    const Direction direction = mode == RefreshMode::lastPage ? Direction::backward : Direction::forward;
    if (!fill(direction)) return;
    if (m_toFill > 0 && highlightId != 0 && !fill(opposite(direction))) return;
    if (m_page.empty() && hadEntries) {
        // The anchor left the view (its record moved out of the range): start from the top.
        if (const store::Status t = m_source->toStart(); !t.ok()) {
            readFailed(t);
            return;
        }
        m_toFill = m_rows;
        if (!fill(Direction::forward)) return;
    }

    if (m_page.empty()) {
        m_highlight = -1;
        m_buffer = store::Row{};
    } else {
        m_highlight = -1;
        for (int i = 0; i < entryCount() && highlightId != 0; ++i) {
            if (m_page[static_cast<std::size_t>(i)].row.ref.rowId == highlightId) m_highlight = i;
        }
        if (m_highlight < 0) m_highlight = highlightId != 0 || mode == RefreshMode::lastPage ? entryCount() - 1 : 0;
        loadHighlighted();
    }
    notify();
}

void BrowseList::locateRecord(bool atValue) {
    if (m_closed) return;
    m_source = openSource();
    const store::Status s = atValue ? m_source->toValue(m_buffer) : m_source->toStart();
    if (!s.ok()) {
        viewOpenFailed(s);
        return;
    }
    // One qualifying record, not added to the page: the view now stands on it. Records with equal key
    // values follow one another in the order they were added, so the buffer's own record may stand behind
    // others with its key values; the first of them is taken only when it is not among them.
    const BrowseSort& def = sortDef();
    std::vector<std::size_t> keyFields;
    for (const std::string& name : m_table.def().keys[static_cast<std::size_t>(def.key)].components)
        keyFields.push_back(static_cast<std::size_t>(m_table.def().fieldIndex(name)));
    const auto keyedLikeTheBuffer = [&](const store::Row& row) {
        return std::all_of(keyFields.begin(), keyFields.end(), [&](std::size_t field) {
            return field < row.values.size() && field < m_buffer.values.size() && row.values[field] == m_buffer.values[field];
        });
    };
    std::optional<PageRecord> chosen;
    std::optional<PageRecord> firstAlike;
    while (!chosen) {
        std::vector<PageRecord> one;
        const store::Status r = m_source->read(Direction::forward, 1, one);
        if (r.code == store::kRecordNotAvailable) break;
        if (!r.ok()) {
            readFailed(r);
            return;
        }
        if (one.empty()) break;
        PageRecord& record = one.front();
        if (def.test && !def.test(record.row)) continue;
        const bool itself = record.row.values == m_buffer.values;
        if (atValue && !itself && keyedLikeTheBuffer(record.row)) {
            if (!firstAlike) firstAlike = std::move(record);
            continue;
        }
        chosen = itself || !firstAlike ? std::move(record) : std::move(*firstAlike);
    }
    if (!chosen && firstAlike) chosen = std::move(firstAlike);
    if (chosen) {
        m_currentPosition = chosen->position;
        m_currentRowId = chosen->row.ref.rowId;
    }
    refreshPage(chosen ? RefreshMode::fromCurrent : RefreshMode::lastPage);
    newSelection();
}

void BrowseList::computeStops() {
    m_numberStops.clear();
    m_textStops.clear();
    if (m_closed || m_sort < 0) return;
    const BrowseSort& def = sortDef();
    if (def.stops == StopKind::none) return;

    // The first and the last qualifying record: two keyed reads.
    auto source = openSource();
    const auto edge = [&](Direction direction, store::Row& out) -> int {
        store::Status s = direction == Direction::forward ? source->toStart() : source->toEnd();
        while (s.ok()) {
            std::vector<PageRecord> one;
            s = source->read(direction, 1, one);
            if (!s.ok() || one.empty()) break;
            if (def.test && !def.test(one.front().row)) continue;
            out = std::move(one.front().row);
            return 1;
        }
        if (s.code == store::kRecordNotAvailable || s.ok()) return 0;
        readFailed(s);
        return -1;
    };
    store::Row high, low;
    if (edge(Direction::backward, high) <= 0) return;
    if (edge(Direction::forward, low) <= 0) return;

    if (def.stops == StopKind::number) {
        m_numberStops = tarvelo::numberStops(numberIn(low, def.stopField), numberIn(high, def.stopField));
    } else {
        const store::FieldDef& field = m_table.def().fields.at(static_cast<std::size_t>(def.stopField));
        const int width = field.type == store::FieldType::CString ? field.width - 1 : field.width;
        m_textStops = tarvelo::textStops(textIn(low, def.stopField), textIn(high, def.stopField), width);
    }
}

// --- Selection and the buffer ----------------------------------------------------------------------

void BrowseList::loadHighlighted() {
    if (m_highlight >= 0 && m_highlight < entryCount()) m_buffer = m_page[static_cast<std::size_t>(m_highlight)].row;
}

void BrowseList::newSelection() {
    if (m_closed) return;
    loadHighlighted();
    if (m_sort >= 0 && sortDef().stops != StopKind::none) {
        m_thumb = 0;
        if (full() && m_highlight >= 0) {
            const store::Row& row = m_page[static_cast<std::size_t>(m_highlight)].row;
            const int field = sortDef().stopField;
            if (!m_numberStops.empty()) m_thumb = thumbForNumber(m_numberStops, numberIn(row, field));
            if (!m_textStops.empty()) m_thumb = thumbForText(m_textStops, textIn(row, field));
        }
    }
    notify();
}

void BrowseList::notify() {
    fillBatchCells();
    if (m_observer) m_observer->pageChanged();
}

// Once an operation has settled its page, and before anybody sees it: the cells another read fills in,
// for every row the operation brought in, by one read for them all however many reads of the table
// (both ways from a located record, batches past a sparse test) the rows took.
void BrowseList::fillBatchCells() {
    if (!m_config.batchCells) return;
    std::vector<BrowseConfig::RowCells> cells;
    for (Entry& e : m_page) {
        if (e.cellsFilled) continue;
        e.cellsFilled = true;
        cells.emplace_back(&e.row, &e.cells);
    }
    if (!cells.empty()) m_config.batchCells(cells);
}

// --- The window's side -----------------------------------------------------------------------------

void BrowseList::resetSort(int sort) {
    const Operation operation(*this);
    if (m_closed || sort < 0 || static_cast<std::size_t>(sort) >= m_config.sorts.size()) return;
    const BrowseSort& next = m_config.sorts[static_cast<std::size_t>(sort)];
    const bool changed = sort != m_sort;
    const bool resetNeeded = !changed && next.hasReset && resetSourceValue() != m_resetValue;
    if (!changed && !resetNeeded && !m_forced) {
        loadHighlighted();
        notify();
        return;
    }
    const bool first = m_sort < 0;
    m_sort = sort;
    if (next.hasReset) m_resetValue = resetSourceValue();
    if (!m_page.empty() && m_source) {
        store::Row row;
        if (m_source->reread(m_page[static_cast<std::size_t>(m_highlight)].position, row).ok()) m_buffer = std::move(row);
    }
    if (first || resetNeeded) {
        // Another range: nothing on the page belongs to it.
        m_page.clear();
        m_highlight = -1;
        if (reopen()) refreshPage(RefreshMode::keep);
    } else if (changed) {
        locateRecord(true);
    } else {
        // Forced, same order: the page stays where it is unless the highlighted record left it.
        const std::int64_t highlightId = m_highlight >= 0 ? m_page[static_cast<std::size_t>(m_highlight)].row.ref.rowId : 0;
        const store::Row highlighted = m_buffer;
        m_source = openSource();
        refreshPage(RefreshMode::keep);
        const bool kept = highlightId == 0 || (m_highlight >= 0 && m_page[static_cast<std::size_t>(m_highlight)].row.ref.rowId == highlightId);
        if (!kept) {
            m_buffer = highlighted;
            locateRecord(true);
        }
    }
    computeStops();
    m_forced = false;
    newSelection();
}

void BrowseList::setRowCount(int rows) {
    const Operation operation(*this);
    rows = std::max(rows, 1);
    if (rows == m_rows) return;
    m_rows = rows;
    if (m_sort < 0 || m_closed) return;
    m_forced = true;
    resetSort(m_sort);
}

store::Status BrowseList::rereadHighlighted() {
    const Operation operation(*this);
    if (m_closed || m_page.empty() || !m_source) return store::Status::make(store::kRecordNotAvailable);
    Entry& entry = m_page[static_cast<std::size_t>(m_highlight)];
    store::Row row;
    const store::Status s = m_source->reread(entry.position, row);
    if (s.ok()) {
        m_buffer = row;
        entry.row = std::move(row);
        if (m_config.cells) entry.cells = m_config.cells(entry.row);
        notify();
    } else if (s.code == store::kRecordNotFound) {
        // Gone since the page was read (the engine or another program deleted it): show that instead.
        refreshPage(RefreshMode::keep);
    } else {
        readFailed(s);
    }
    return s;
}

void BrowseList::afterForm(Request request, Response response, const store::Row& row) {
    const Operation operation(*this);
    if (m_closed || m_sort < 0) return;
    const bool completed = response == Response::completed;
    if (completed && (request == Request::insert || request == Request::change)) {
        m_buffer = row;
        locateRecord(true);
    } else {
        if (completed && request == Request::remove && m_highlight >= 0 && m_highlight < entryCount()) {
            m_page.erase(m_page.begin() + m_highlight);
        }
        if (!m_source) m_source = openSource();
        refreshPage(RefreshMode::keep);
    }
    computeStops();
    newSelection();
}

void BrowseList::locateCurrent() {
    const Operation operation(*this);
    if (m_sort < 0) return;
    locateRecord(true);
    computeStops();
    newSelection();
}

void BrowseList::refresh() {
    const Operation operation(*this);
    if (m_sort < 0) return;
    if (!m_source) m_source = openSource();
    refreshPage(RefreshMode::keep);
    newSelection();
}

// --- Scrolling -------------------------------------------------------------------------------------

void BrowseList::scroll(platform::ListScroll action) {
    const Operation operation(*this);
    if (m_closed || m_page.empty() || m_sort < 0) return;
    if (!m_source) m_source = openSource();
    const int last = entryCount() - 1;
    bool ranOut = false;
    Direction direction = Direction::forward;
    switch (action) {
    case platform::ListScroll::rowUp:
    case platform::ListScroll::rowDown: {
        const bool up = action == platform::ListScroll::rowUp;
        direction = up ? Direction::backward : Direction::forward;
        if (up ? m_highlight > 0 : m_highlight < last) {
            m_highlight += up ? -1 : 1;
            break;
        }
        m_toFill = 1;
        if (!fill(direction)) return;
        ranOut = m_toFill > 0;
        break;
    }
    case platform::ListScroll::pageUp:
    case platform::ListScroll::pageDown: {
        const bool up = action == platform::ListScroll::pageUp;
        direction = up ? Direction::backward : Direction::forward;
        m_toFill = m_rows;
        if (!fill(direction)) return;
        ranOut = m_toFill > 0;
        m_highlight = std::clamp(m_highlight + (up ? -m_toFill : m_toFill), 0, entryCount() - 1);
        break;
    }
    case platform::ListScroll::top:
    case platform::ListScroll::bottom: {
        const bool top = action == platform::ListScroll::top;
        direction = top ? Direction::backward : Direction::forward;  // where the thumb of an unstopped sort goes
        m_page.clear();
        m_source = openSource();
        const store::Status s = top ? m_source->toStart() : m_source->toEnd();
        if (!s.ok()) {
            readFailed(s);
            return;
        }
        m_toFill = m_rows;
        if (!fill(top ? Direction::forward : Direction::backward)) return;
        ranOut = true;
        m_highlight = m_page.empty() ? -1 : (top ? 0 : entryCount() - 1);
        if (m_page.empty()) m_buffer = store::Row{};
        break;
    }
    }
    if (sortDef().stops == StopKind::none) {
        // Without stops the thumb only tells top, bottom or somewhere between.
        m_thumb = !full() ? 0 : (ranOut ? (direction == Direction::backward ? 0 : 100) : 50);
    }
    newSelection();
}

void BrowseList::dragThumb(int position) {
    const Operation operation(*this);
    if (m_closed || m_page.empty() || m_sort < 0) return;
    const BrowseSort& def = sortDef();
    if (def.stops == StopKind::none) return;
    if (position <= 1) return scroll(platform::ListScroll::top);
    if (position >= kStopCount) return scroll(platform::ListScroll::bottom);
    const auto stop = static_cast<std::size_t>(position - 1);
    if (def.stopField < 0 || static_cast<std::size_t>(def.stopField) >= m_buffer.values.size()) return;
    auto& field = m_buffer.values[static_cast<std::size_t>(def.stopField)];
    if (def.stops == StopKind::number) {
        if (stop >= m_numberStops.size()) return;
        field = m_numberStops[stop];
    } else {
        if (stop >= m_textStops.size()) return;
        field = m_textStops[stop];
    }
    locateRecord(true);
}

void BrowseList::click(int row) {
    if (m_closed || row < 0 || row >= entryCount()) return;
    m_highlight = row;
    newSelection();
}

}  // namespace tarvelo
