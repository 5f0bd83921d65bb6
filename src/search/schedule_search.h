#pragma once
// The schedule search as its form sees it, without any window: the match type of each field and the
// upper limits of ranges, the current field, and the whole of "Begin Search" (what to do, the scan with
// its progress, the found-record prompt, the tags) through the ports below. The form binds its fields
// to a Schedule record (the buffer) and passes it in; the search reads the criteria from it and, when the
// user chooses to edit a found task, leaves that task in it.
//
//   ScheduleSearch search(files, tags, dialogs, messages, runner);
//   on a value accepted:        if (search.valueAccepted(field)) update the field's indicator
//   on right click/Search Type: search.chooseSearchType(buffer); show buffer again
//   on Begin Search:            outcome = search.beginSearch(buffer) ...
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "data/data_files.h"
#include "data/update_form.h"
#include "search/match_type.h"
#include "search/schedule_scan.h"
#include "search/search_fields.h"
#include "platform/sliced_job.h"
#include "data/tags.h"
#include "platform/ports.h"

namespace tarvelo::search {

enum class FoundChoice { editThis, findNext, cancel };

// The search's own dialogs; the desktop shows its windows, the tests answer from a script.
class SearchDialogs {
public:
    virtual ~SearchDialogs() = default;
    // "Match Type for <KIND> Field", offering the kind's types with current chosen; nothing when cancelled.
    virtual std::optional<MatchType> askMatchType(FieldKind kind, MatchType current) = 0;
    // "Begin Search": Edit, Select, Unselect (offered only when tasks are selected) or cancel.
    virtual SearchTask askTask(bool selectionExists) = 0;
    // "Enter Upper Limit" for a range starting at lower. The limits are value texts: text as it is,
    // numbers (dates and times too) as decimal text. Returns true, with upper replaced, when confirmed.
    virtual bool getUpperLimit(const SearchField& field, const std::string& lower, std::string& upper) = 0;
    // A found task shown read-only, with "&Edit This", "&Find Next" and Cancel.
    virtual FoundChoice showFound(const store::Row& task) = 0;
};

enum class SearchOutcome {
    nothing = 0,  // back to the criteria
    edit = 1,     // the found task is in the buffer, to be changed
    marked = 2,   // tasks were selected or unselected
};

inline constexpr const char* kNoFieldSelected = "You must select a data field first!";
inline constexpr const char* kNoSearchField = "You must specify at least one search field!";
inline constexpr const char* kClearOldSelections = "Clear old selections first?";
inline constexpr const char* kNoMatchingRecords = "There are no matching records!";
inline constexpr const char* kNoMoreMatchingRecords = "There are no more matching records!";

class ScheduleSearch {
public:
    // Takes uses of Schedule, Categories and the tag file for its lifetime.
    ScheduleSearch(DataFiles& files, Tags& tags, SearchDialogs& dialogs, platform::MessageBoxPort& messages,
                   platform::JobRunner& runner);
    ~ScheduleSearch();
    ScheduleSearch(const ScheduleSearch&) = delete;
    ScheduleSearch& operator=(const ScheduleSearch&) = delete;

    // Only the search request opens the search; insert, change and delete show kWarnInsertNotAllowed,
    // kWarnChangeNotAllowed or kWarnDeleteNotAllowed.
    static bool acceptsRequest(Request request, const DataWarning& warn);

    MatchType matchType(const SearchField& field) const;
    // The upper limit of a range as value text; empty when none was given.
    std::string upperLimit(const SearchField& field) const;
    // Sets a field's match type (and, for a range, its upper limit) directly, as the command line does.
    void setMatchType(const SearchField& field, MatchType type, std::string upper = {});

    // The field the user is on; nullptr for a control that is not a searchable field. "&Search Type"
    // itself keeps the field (the form does not call this for it).
    void selectField(const SearchField* field) { m_current = field; }
    const SearchField* currentField() const { return m_current; }

    // A value typed into a field: one without a match type takes its kind's default. True when the
    // match type changed (its indicator is then shown afresh).
    bool valueAccepted(const SearchField& field);

    // The right mouse button or "&Search Type" on the current field: asks its match type (and a range's
    // upper limit). "Ignore this field" also blanks the field in buffer. True when the match type changed.
    bool chooseSearchType(store::Row& buffer);

    // The criteria the buffer holds now, in control order.
    Criteria criteria(const store::Row& buffer) const;

    // "&Begin Search". With outcome edit the found task is in buffer; otherwise buffer is as it was.
    SearchOutcome beginSearch(store::Row& buffer);
    std::int64_t foundCount() const { return m_found; }

    // What the search returns to its caller after an outcome: cancelled (2), or minus the found count
    // when tasks were selected or unselected.
    int response(SearchOutcome outcome) const;

private:
    void exclaim(const char* text);
    SearchOutcome markAll(ScheduleScan& scan, bool select);
    SearchOutcome editEach(ScheduleScan& scan, store::Row& buffer);

    DataFiles& m_files;
    Tags& m_tags;
    SearchDialogs& m_dialogs;
    platform::MessageBoxPort& m_messages;
    platform::JobRunner& m_runner;
    TableUse m_schedule;
    TableUse m_categories;
    TableUse m_tagFile;
    std::map<int, MatchType> m_types;     // by field index
    std::map<int, std::string> m_uppers;  // by field index
    const SearchField* m_current = nullptr;
    std::int64_t m_found = 0;
};

// The value text of a field in a record: text as it is, a number as decimal text.
std::string valueText(const store::Row& record, int index);

}  // namespace tarvelo::search
