#include "reports/report_run.h"

#include <algorithm>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "data/record_table.h"
#include "reports/report_bands.h"

namespace tarvelo::reports {

namespace {

TableId reportTable(ReportKind kind) {
    switch (kind) {
    case ReportKind::categoryList: return TableId::categories;
    case ReportKind::toDoList: return TableId::toDo;
    case ReportKind::scheduleByDate:
    case ReportKind::scheduleByCategory: break;
    }
    return TableId::schedule;
}

}  // namespace

std::string reportProcedure(ReportKind kind) {
    switch (kind) {
    case ReportKind::scheduleByDate: return "PrintSCH:KeyDate";
    case ReportKind::scheduleByCategory: return "PrintSCH:KeyCategory";
    case ReportKind::categoryList: return "PrintCAT:KeyCategory";
    case ReportKind::toDoList: return "PrintTodoList";
    }
    return {};
}

std::string reportTableName(ReportKind kind) {
    switch (reportTable(kind)) {
    case TableId::categories: return "Categories";
    case TableId::toDo: return "Todo";
    default: return "Schedule";
    }
}

std::string nothingToReport(ReportKind kind) { return "The " + reportTableName(kind) + " table has nothing to report"; }

// The report's record view, one band per record read.
class ReportRun::Reader {
public:
    virtual ~Reader() = default;
    virtual store::Status start() = 0;
    virtual store::Status next(BandValues& out) = 0;
};

template <class R>
class ReportRun::RecordReader : public Reader {
public:
    using Key = typename RecordTraits<R>::Key;
    RecordReader(store::Table& table, Key key, BandValues (*format)(const R&)) : m_view(table, key), m_format(format) {}

    store::Status start() override { return m_view.setToStart(); }
    store::Status next(BandValues& out) override {
        R record;
        store::Status s = m_view.next(record);
        if (s.ok()) out = m_format(record);
        return s;
    }

private:
    RecordView<R> m_view;
    BandValues (*m_format)(const R&);
};

ReportRun::ReportRun(ReportKind kind, DataFiles& files, platform::MessageBoxPort& messages)
    : m_kind(kind), m_files(files), m_messages(messages), m_pages(std::make_unique<ReportPages>(kind)) {}

ReportRun::~ReportRun() {
    m_reader.reset();
    if (m_opened) m_files.release(reportTable(m_kind));
}

bool ReportRun::open() {
    const TableId id = reportTable(m_kind);
    m_files.use(id);
    m_opened = true;
    store::Table& table = m_files.table(id);
    m_table = &table;
    // A count that fails leaves the bar at its start; the reading that follows reports the failure.
    m_toProcess = table.records().value;

    switch (m_kind) {
    case ReportKind::scheduleByDate:
        m_reader = std::make_unique<RecordReader<Task>>(table, ScheduleKey::keyDate, &scheduleBand);
        break;
    case ReportKind::scheduleByCategory:
        m_reader = std::make_unique<RecordReader<Task>>(table, ScheduleKey::keyCategory, &scheduleBand);
        break;
    case ReportKind::categoryList:
        m_reader = std::make_unique<RecordReader<Category>>(table, CategoryKey::keyCategory, &categoryBand);
        break;
    case ReportKind::toDoList:
        m_reader = std::make_unique<RecordReader<ToDo>>(table, ToDoKey::keyDone, &toDoBand);
        break;
    }
    if (store::Status s = m_reader->start(); !s.ok()) {
        // The view could not be opened: said so, and the run goes on (its first read then fails too).
        if (auto box = warningRequest(kWarnViewOpenError, s.code, errorText(s))) m_messages.show(*box);
    }
    m_haveCurrent = readNext();
    reportReadError();
    if (!m_haveCurrent) {
        m_finished = true;
        m_response = kCancelled;
        m_pages.reset();
    }
    return m_haveCurrent;
}

bool ReportRun::readNext() {
    const store::Status s = m_reader->next(m_current);
    if (!s.ok()) {
        if (s.code != store::kRecordNotAvailable) m_readError = s;
        return false;
    }
    ++m_processed;
    if (m_percent < 100) {
        const std::int64_t percent = m_toProcess > 0 ? m_processed * 100 / m_toProcess : 100;
        m_percent = static_cast<int>(std::min<std::int64_t>(percent, 100));
    }
    return true;
}

void ReportRun::reportReadError() {
    if (!m_readError) return;
    const store::Status s = *m_readError;
    m_readError.reset();
    m_readFailed = true;
    if (auto box = warningRequest(kWarnRecordRetrievalError, s.code, errorText(s), reportTableName(m_kind)))
        m_messages.show(*box);
}

platform::SlicedJob::Step ReportRun::runSlice() {
    if (m_finished) return Step::done;
    {
        // The slice's reads share one snapshot (and skip taking one each). It ends before anything is
        // shown, so a message box's event loop never runs a scheduler tick inside it. When it cannot
        // begin, the reads go on without it.
        store::Transaction quickScan;
        (void)quickScan.beginRead({m_table});
        for (int i = 0; i < kRecordsPerCycle && m_haveCurrent; ++i) {
            m_pages->addBand(m_current);
            m_haveCurrent = readNext();
        }
        if (quickScan.active()) (void)quickScan.commit();
    }
    reportReadError();
    if (m_haveCurrent) return Step::more;
    m_finished = true;
    m_response = kCompleted;
    return Step::done;
}

platform::Progress ReportRun::progress() const { return {m_percent, {}, platform::percentCompleted(m_percent, true)}; }

void ReportRun::cancel() {
    m_finished = true;
    m_response = kCancelled;
    m_pages.reset();
}

}  // namespace tarvelo::reports
