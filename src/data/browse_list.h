#pragma once
// The page-loaded browse list: the machinery every list window shares. It holds one page of records —
// as many as the list shows — read from a keyed, possibly ranged view of one table, and moves that page
// over the records as the user scrolls, drags the thumb, switches the order or comes back from a form.
// It never reads the whole table: a page costs one keyed seek and one page of reads, wherever it is.
//
// The list keeps a record buffer (current()): the highlighted record, loaded on every new selection and
// re-read with change watching before a button's action; a form's record comes back through afterForm().
//
//   BrowseList list(files.table(TableId::toDo), warn, toDoBrowseConfig());
//   list.setRowCount(20);
//   list.resetSort(0);                      // the window's first open: fills from the start
//   list.scroll(platform::ListScroll::pageDown);
//   if (list.rereadHighlighted().ok()) { ...run the form...; list.afterForm(request, response, row); }
//
// A read error other than the end of the view shows kWarnRecordRetrievalError with the list's table name and asks the
// window to close (closeRequested); the list does nothing after that. Everything runs on the GUI thread.
//
// Each operation reads one snapshot of the data file (one read transaction: one lock, SQLite's page cache
// kept from statement to statement), and shows its messages only once the snapshot has ended, so a modal
// box never holds the file while the engine's timer wants to write.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/data_warning.h"
#include "data/page_source.h"
#include "data/update_form.h"
#include "store/store.h"
#include "platform/page_list.h"

namespace tarvelo {

enum class StopKind { none, number, text };

// One order of a list (one tab of its window).
struct BrowseSort {
    int key = 0;  // the key's index in the table's description
    // The leading key values the list is limited to, given the list's reset value; none: the whole key.
    std::function<std::vector<store::Value>(const std::string& resetValue)> range;
    // A further test per record; records that fail it are passed over.
    std::function<bool(const store::Row&)> test;
    StopKind stops = StopKind::none;
    int stopField = -1;  // the field the stops are taken from (a number, or a text of at most 40)
    bool hasReset = false;

    static BrowseSort onKey(int key, StopKind stops = StopKind::none, int stopField = -1) {
        BrowseSort sort;
        sort.key = key;
        sort.stops = stops;
        sort.stopField = stopField;
        return sort;
    }
};

struct BrowseConfig {
    std::string tableName;  // T of the read-error message: "Schedule", "Categories", "Todo"
    std::vector<BrowseSort> sorts;
    // The shown values of a record, one per column.
    std::function<std::vector<platform::ListCell>(const store::Row&)> cells;
    // Cells that another read fills in: called once per operation of the list with the rows it brought
    // onto the page (a page, or the row a scroll brings in) and the cells made for each, inside the same
    // snapshot, so that a page costs one read more at most, never one per row.
    using RowCells = std::pair<const store::Row*, std::vector<platform::ListCell>*>;
    std::function<void(const std::vector<RowCells>&)> batchCells;
    // The program value the reset value is taken from (sorts with hasReset): a category name.
    std::function<std::string()> resetSource;
    // How views are opened; by default over the driver's View.
    std::function<std::unique_ptr<PageSource>(store::Table&, int key, KeyRange)> openSource;
};

class BrowseList : public platform::PageList {
public:
    // REQUIRES: table is open while the list is used, and outlives it.
    BrowseList(store::Table& table, const DataWarning& warn, BrowseConfig config);
    ~BrowseList() override;

    // --- platform::PageList ------------------------------------------------------------------------------
    int rowCount() const override { return m_rows; }
    // A resize: once the list has been filled, the page is refilled at the new size at once, keeping
    // the highlighted record.
    void setRowCount(int rows) override;
    int entryCount() const override { return static_cast<int>(m_page.size()); }
    int highlighted() const override { return m_highlight; }
    platform::ListCell cell(int row, int column) const override;
    int thumb() const override { return m_thumb; }
    bool scrollBarVisible() const override { return !m_page.empty() && entryCount() >= m_rows; }
    void scroll(platform::ListScroll action) override;
    void dragThumb(int position) override;
    void click(int row) override;
    void setObserver(platform::PageListObserver* observer) override { m_observer = observer; }

    // --- The window's side -------------------------------------------------------------------------
    // Run when the window opens, regains the focus, is resized, or a tab, button or list action ends:
    // switches to sort `sort`, or resets the list when its reset value changed, or refreshes it when a
    // refresh was forced; otherwise only reloads the highlighted record into the buffer.
    void resetSort(int sort);
    void forceRefresh() { m_forced = true; }
    int sort() const { return m_sort; }

    // The record buffer: the highlighted record (an empty row while the page is empty).
    const store::Row& current() const { return m_buffer; }
    void setCurrent(store::Row row) { m_buffer = std::move(row); }

    // Before a button's action: re-reads the highlighted record with change watching into the buffer.
    // When it is gone the page is refreshed and the status says so; the action should not go on.
    [[nodiscard]] store::Status rereadHighlighted();
    // After a form that a list button ran: locates a completed insert or change (row: the record the
    // form left), drops a completed delete, refreshes otherwise; then recomputes the stops.
    void afterForm(Request request, Response response, const store::Row& row);
    // Shows the record in the buffer (or, when it is not in the view, the last page).
    void locateCurrent();
    // Refills the page around the highlighted record.
    void refresh();

    bool closed() const { return m_closed; }
    // The stops of the current sort (empty for a sort without them or an empty view).
    const std::vector<std::int64_t>& numberStops() const { return m_numberStops; }
    const std::vector<std::string>& textStops() const { return m_textStops; }
    // The records of the page, in order.
    std::vector<store::Row> pageRows() const;

private:
    class Operation;
    struct Entry {
        store::Row row;
        std::string position;
        std::vector<platform::ListCell> cells;
        bool cellsFilled = false;  // by batchCells
    };
    enum class RefreshMode { keep, fromCurrent, lastPage };

    const BrowseSort& sortDef() const { return m_config.sorts[static_cast<std::size_t>(m_sort)]; }
    std::unique_ptr<PageSource> openSource() const;
    bool reopen();
    bool fill(Direction direction);
    void refreshPage(RefreshMode mode);
    void locateRecord(bool atValue);
    void computeStops();
    void newSelection();
    void loadHighlighted();
    bool readFailed(const store::Status& status);
    void viewOpenFailed(const store::Status& status);
    void reportFailures();
    void notify();
    void fillBatchCells();
    std::string resetSourceValue() const;
    Entry makeEntry(PageRecord record) const;
    bool full() const { return entryCount() >= m_rows; }

    store::Table& m_table;
    const DataWarning& m_warn;
    BrowseConfig m_config;
    platform::PageListObserver* m_observer = nullptr;
    std::unique_ptr<PageSource> m_source;

    std::deque<Entry> m_page;
    int m_rows = 1;
    int m_highlight = -1;
    int m_toFill = 0;
    std::string m_currentPosition;  // of the record the view read last
    std::int64_t m_currentRowId = 0;
    int m_sort = -1;
    std::string m_resetValue;
    int m_thumb = 0;
    std::vector<std::int64_t> m_numberStops;
    std::vector<std::string> m_textStops;
    bool m_forced = false;
    bool m_closed = false;
    store::Row m_buffer;
    int m_operationDepth = 0;
    std::optional<store::Status> m_readFailure;  // shown when the operation ends
    std::optional<store::Status> m_viewFailure;
};

}  // namespace tarvelo
