#include "search/schedule_search.h"

#include <utility>

namespace tarvelo::search {

std::string valueText(const store::Row& record, int index) {
    const auto i = static_cast<std::size_t>(index);
    if (i >= record.values.size()) return {};
    if (const auto* s = std::get_if<std::string>(&record.values[i])) return *s;
    return std::to_string(std::get<std::int64_t>(record.values[i]));
}

ScheduleSearch::ScheduleSearch(DataFiles& files, Tags& tags, SearchDialogs& dialogs, platform::MessageBoxPort& messages,
                               platform::JobRunner& runner)
    : m_files(files),
      m_tags(tags),
      m_dialogs(dialogs),
      m_messages(messages),
      m_runner(runner),
      m_schedule(files, TableId::schedule),
      m_categories(files, TableId::categories),
      m_tagFile(files, TableId::tagFile) {}

ScheduleSearch::~ScheduleSearch() = default;

bool ScheduleSearch::acceptsRequest(Request request, const DataWarning& warn) {
    switch (request) {
    case Request::insert: warn(kWarnInsertNotAllowed, kNoFailure); return false;
    case Request::change: warn(kWarnChangeNotAllowed, kNoFailure); return false;
    case Request::remove: warn(kWarnDeleteNotAllowed, kNoFailure); return false;
    default: return true;
    }
}

MatchType ScheduleSearch::matchType(const SearchField& field) const {
    const auto it = m_types.find(field.index);
    return it == m_types.end() ? MatchType::ignore : it->second;
}

std::string ScheduleSearch::upperLimit(const SearchField& field) const {
    const auto it = m_uppers.find(field.index);
    return it == m_uppers.end() ? std::string() : it->second;
}

void ScheduleSearch::setMatchType(const SearchField& field, MatchType type, std::string upper) {
    m_types[field.index] = type;
    if (isRange(type)) m_uppers[field.index] = std::move(upper);
}

bool ScheduleSearch::valueAccepted(const SearchField& field) {
    if (matchType(field) != MatchType::ignore) return false;
    m_types[field.index] = defaultMatchType(field.kind);
    return true;
}

bool ScheduleSearch::chooseSearchType(store::Row& buffer) {
    if (!m_current) {
        exclaim(kNoFieldSelected);
        return false;
    }
    const SearchField& field = *m_current;
    const auto chosen = m_dialogs.askMatchType(field.kind, matchType(field));
    if (!chosen) return false;
    if (*chosen == MatchType::ignore) {
        m_types.erase(field.index);
        m_uppers.erase(field.index);
        const auto i = static_cast<std::size_t>(field.index);
        if (i < buffer.values.size()) {
            if (std::holds_alternative<std::string>(buffer.values[i])) buffer.values[i] = std::string();
            else buffer.values[i] = std::int64_t{0};
        }
        return true;
    }
    if (isRange(*chosen)) {
        // No upper limit yet: a blank text, or 0 for a number.
        std::string upper = upperLimit(field);
        if (upper.empty() && field.kind != FieldKind::string) upper.push_back('0');
        if (!m_dialogs.getUpperLimit(field, valueText(buffer, field.index), upper)) return false;
        m_uppers[field.index] = std::move(upper);
    }
    m_types[field.index] = *chosen;
    return true;
}

Criteria ScheduleSearch::criteria(const store::Row& buffer) const {
    Criteria out;
    for (const SearchField& field : searchFields()) {
        const MatchType type = matchType(field);
        if (type == MatchType::ignore) continue;
        const auto i = static_cast<std::size_t>(field.index);
        const store::Value value = i < buffer.values.size() ? buffer.values[i] : store::Value(std::int64_t{0});
        out.push_back(makeCriterion(field, type, value, upperLimit(field)));
    }
    return out;
}

SearchOutcome ScheduleSearch::beginSearch(store::Row& buffer) {
    Criteria list = criteria(buffer);
    if (list.empty()) {
        exclaim(kNoSearchField);
        return SearchOutcome::nothing;
    }
    const bool selectionExists = m_tags.firstTagged(kScheduleTable) != 0;
    const SearchTask task = m_dialogs.askTask(selectionExists);
    if (task == SearchTask::cancel || (task == SearchTask::unselect && !selectionExists)) return SearchOutcome::nothing;
    if (task == SearchTask::select && selectionExists) {
        const int answer = m_messages.show({kClearOldSelections, "", platform::Icon::Question, platform::kYes + platform::kNo, platform::kYes});
        if (answer == platform::kYes) m_tags.clearTags(kScheduleTable);
    }
    m_found = 0;
    ScheduleScan scan(m_files, m_tags, std::move(list), task);
    if (task == SearchTask::edit) return editEach(scan, buffer);
    return markAll(scan, task == SearchTask::select);
}

SearchOutcome ScheduleSearch::markAll(ScheduleScan& scan, bool select) {
    MarkJob job(scan, m_tags, select);
    if (job.runSlice() == platform::SlicedJob::Step::more) m_runner.run(kSearchProgressTitle, job);
    m_found = scan.found();
    if (m_found == 0) {
        exclaim(kNoMatchingRecords);
        return SearchOutcome::nothing;
    }
    return SearchOutcome::marked;
}

SearchOutcome ScheduleSearch::editEach(ScheduleScan& scan, store::Row& buffer) {
    for (;;) {
        FindNextJob job(scan);
        if (job.runSlice() == platform::SlicedJob::Step::more) m_runner.run(kSearchProgressTitle, job);
        m_found = scan.found();
        if (!job.match()) {
            exclaim(m_found == 0 ? kNoMatchingRecords : kNoMoreMatchingRecords);
            return SearchOutcome::nothing;
        }
        switch (m_dialogs.showFound(*job.match())) {
        case FoundChoice::editThis: buffer = *job.match(); return SearchOutcome::edit;
        case FoundChoice::findNext: break;
        case FoundChoice::cancel: return SearchOutcome::nothing;
        }
    }
}

int ScheduleSearch::response(SearchOutcome outcome) const {
    if (outcome == SearchOutcome::marked && m_found > 0) return static_cast<int>(-m_found);
    return static_cast<int>(Response::cancelled);
}

void ScheduleSearch::exclaim(const char* text) {
    m_messages.show({text, "", platform::Icon::Exclamation, platform::kOk, platform::kOk});
}

}  // namespace tarvelo::search
