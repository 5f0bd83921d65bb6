#pragma once
// The reading of one schedule search: its criteria, the access path chosen from them, and the scan that
// finds the matching tasks a slice at a time.
//
// Access path. The first of these whose criterion allows a key decides: the next date (SCH:KEYDATE), the
// description (SCH:KEYTASKNAME), the task type (SCH:KEYTASKTYPE), the disabled flag (SCH:KEYDATEENABLED);
// otherwise an Unselect walks the tagged tasks, and anything else reads the whole table in record order
// (the order the tasks were added in). A key is passed over when a task whose key fields are all blank
// could match, because such a task is not in the key. A scan by key may end at the first task that
// fails the key field's test. Where that test left-justifies the value (equals, begins-with and the range
// on text), the values with leading blanks, which the key places first, are read and tested before the
// key is read from the criterion on.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/data_files.h"
#include "search/match_type.h"
#include "search/search_fields.h"
#include "platform/sliced_job.h"
#include "data/tags.h"
#include "store/store.h"

namespace tarvelo::search {

// One field's test: its match type and the values it compares with (text folded, numbers as numbers).
struct Criterion {
    const SearchField* field = nullptr;
    MatchType type = MatchType::ignore;
    store::Value value;
    store::Value upper;  // the ranges' upper limit; begins-with's divisor on a picture field
};

// The criteria of a search, in control order: every field whose match type is not ignore.
using Criteria = std::vector<Criterion>;

// A criterion from the form's value of its field (text folded, numbers as they are) and the upper limit
// as the upper-limit dialog gave it (text; numbers as decimal text).
Criterion makeCriterion(const SearchField& field, MatchType type, const store::Value& value,
                        const std::string& upperText = {});

// Whether a task passes one criterion.
bool passes(const Criterion& criterion, const store::Row& task);

struct AccessPath {
    enum class Kind { key, tags, table };
    Kind kind = Kind::table;
    int key = -1;            // ScheduleKey, for Kind::key; store::kRecordOrder for Kind::table
    int stopCriterion = -1;  // the criterion whose first failure ends the scan, or -1
};

// What the scan is for: Unselect may walk the tags.
enum class SearchTask : int { cancel = 0, edit = 1, select = 2, unselect = 3 };

// Finds the tasks that pass every criterion. REQUIRES: uses of Schedule and the tag file are held while
// it lives.
class ScheduleScan {
public:
    ScheduleScan(DataFiles& files, Tags& tags, Criteria criteria, SearchTask task);
    ~ScheduleScan();
    ScheduleScan(const ScheduleScan&) = delete;
    ScheduleScan& operator=(const ScheduleScan&) = delete;

    const AccessPath& path() const { return m_path; }

    enum class Result { match, more, end };
    // Reads at most limit tasks, returning at the first match (in match, read whole). At the end of the path, at the
    // early stop, or on a read error: end.
    Result read(int limit, store::Row& match);

    std::int64_t recordsRead() const { return m_read; }
    // The tasks the driver handed over: those read, and those read ahead in the last page.
    std::int64_t recordsFetched() const;
    // What a full read would read: the tags, or the table's tasks (counted when first asked, since
    // counting a large table costs a read of it; a scan that ends in its first slice never asks).
    std::int64_t total() const;
    std::int64_t found() const { return m_found; }
    // "3 Found" over "40% Completed". Each call counts another piece of the table until its total is
    // known, so no slice pauses to count a large table; until then the percentage is 0.
    platform::Progress progress() const;

private:
    class Source;
    class KeySource;
    class LeadingBlanksSource;
    class TagSource;

    std::vector<int> testedFields() const;
    void countPiece() const;
    // Every criterion but the early stop's, which the read tests first.
    bool passesAll(const store::Row& task) const;

    DataFiles& m_files;
    Criteria m_criteria;
    AccessPath m_path;
    std::unique_ptr<Source> m_source;
    std::int64_t m_read = 0;
    mutable std::int64_t m_total = -1;
    mutable std::int64_t m_counted = 0;    // of the tasks up to row id m_countedTo
    mutable std::int64_t m_countedTo = 0;
    std::int64_t m_found = 0;
    bool m_ended = false;
};

// The tasks are read this many to a slice, so a window showing the progress stays responsive.
inline constexpr int kScanSlice = 100;
// The tasks are counted this many at a time for the percentage (a fraction of a millisecond each).
inline constexpr std::int64_t kCountPiece = 2'500;
inline constexpr const char* kSearchProgressTitle = "Searching for Matching Records";

// Runs the scan to its next match (Edit, and the command line's plain listing): finished at a match, at the
// end, or when cancelled.
class FindNextJob : public platform::SlicedJob {
public:
    explicit FindNextJob(ScheduleScan& scan) : m_scan(scan) {}
    Step runSlice() override;
    platform::Progress progress() const override { return m_scan.progress(); }
    // The match the job finished at, if any.
    const std::optional<store::Row>& match() const { return m_match; }

private:
    ScheduleScan& m_scan;
    std::optional<store::Row> m_match;
};

// Tags (Select) or untags (Unselect) every match, a slice at a time, each slice one commit of the tag file.
// onMatch, when set, sees each match as it is marked.
class MarkJob : public platform::SlicedJob {
public:
    MarkJob(ScheduleScan& scan, Tags& tags, bool select) : m_scan(scan), m_tags(tags), m_select(select) {}
    Step runSlice() override;
    platform::Progress progress() const override { return m_scan.progress(); }
    std::function<void(const store::Row&)> onMatch;
    // Whether the job ended because the user gave up waiting for the busy tag file; the matches before
    // the one it stopped at are marked.
    bool gaveUp() const { return m_gaveUp; }

private:
    ScheduleScan& m_scan;
    Tags& m_tags;
    bool m_select;
    bool m_gaveUp = false;
};

}  // namespace tarvelo::search
