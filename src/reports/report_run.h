#pragma once
// One run of a report: the table read in its key order, every record laid into a detail band, the pages
// kept for the preview. A progress window (or the command line) drives it 25 records per slice.
//
// The run holds a use of its table from open() until it is destroyed. Records a key leaves out (all of its components
// blank) are not in that key's order, so they are not printed. A read error other than the end of the table shows
// kWarnRecordRetrievalError naming the table and ends the run as the end of the table does.
//
// Reading is fast and consistent slice by slice: each slice reads inside one read transaction of its
// own (the data file's connection is shared with the scheduler's writes between slices, so a transaction
// held across slices would stand in their way).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "reports/report_layout.h"
#include "reports/report_pages.h"
#include "store/store.h"
#include "platform/ports.h"
#include "platform/sliced_job.h"

namespace tarvelo {
class DataFiles;
}

namespace tarvelo::reports {

inline constexpr int kRecordsPerCycle = 25;
inline constexpr int kCompleted = 1;
inline constexpr int kCancelled = 2;

// The procedure's name ("PrintSCH:KeyDate") and the table's name in messages ("Schedule").
std::string reportProcedure(ReportKind kind);
std::string reportTableName(ReportKind kind);
// What is said of a report whose table holds nothing to print: "The Schedule table has nothing to report".
std::string nothingToReport(ReportKind kind);

class ReportRun : public platform::SlicedJob {
public:
    ReportRun(ReportKind kind, DataFiles& files, platform::MessageBoxPort& messages);
    ~ReportRun() override;

    // Opens the table, counts it, and reads the first record. False when there is nothing to print: the
    // table is empty (or its first read failed), and the response stays cancelled.
    bool open();
    // After open() returned false: the table was read and held nothing (no read failed).
    bool foundNothing() const { return m_opened && m_processed == 0 && !m_readFailed; }

    Step runSlice() override;
    platform::Progress progress() const override;
    void cancel() override;

    // Completed (1) once the end of the table was reached, else cancelled (2).
    int response() const { return m_response; }
    ReportKind kind() const { return m_kind; }
    const ReportPages& pages() const { return *m_pages; }
    // The pages, for the preview and the printer; the run keeps none afterwards.
    std::unique_ptr<ReportPages> takePages() { return std::move(m_pages); }

    std::int64_t recordsToProcess() const { return m_toProcess; }
    std::int64_t recordsProcessed() const { return m_processed; }

private:
    class Reader;
    template <class R>
    class RecordReader;

    bool readNext();  // the next band into m_current; false at the end or after an error
    void reportReadError();  // kWarnRecordRetrievalError for a read error met since, if any

    ReportKind m_kind;
    DataFiles& m_files;
    platform::MessageBoxPort& m_messages;
    store::Table* m_table = nullptr;
    std::unique_ptr<Reader> m_reader;
    std::optional<store::Status> m_readError;
    bool m_readFailed = false;
    std::unique_ptr<ReportPages> m_pages;
    BandValues m_current;
    bool m_haveCurrent = false;
    bool m_opened = false;
    bool m_finished = false;
    std::int64_t m_toProcess = 0;
    std::int64_t m_processed = 0;
    int m_percent = 0;
    int m_response = kCancelled;
};

}  // namespace tarvelo::reports
