#include "fakes/fake_search.h"

#include <gtest/gtest.h>

#include "data/tables.h"

namespace tarvelo::test {

using search::FoundChoice;
using search::MatchType;
using search::SearchTask;

namespace {
template <class T>
T take(std::deque<T>& answers, T whenEmpty) {
    if (answers.empty()) return whenEmpty;
    T answer = answers.front();
    answers.pop_front();
    return answer;
}
}  // namespace

std::optional<MatchType> FakeSearchDialogs::askMatchType(search::FieldKind kind, MatchType) {
    kindsAsked.push_back(kind);
    return take(matchTypes, std::optional<MatchType>());
}

SearchTask FakeSearchDialogs::askTask(bool selectionExists) {
    selectionOffered.push_back(selectionExists);
    return take(tasks, SearchTask::cancel);
}

bool FakeSearchDialogs::getUpperLimit(const search::SearchField&, const std::string& lower, std::string& upper) {
    lowerLimitsShown.push_back(lower);
    const auto answer = take(upperLimits, std::optional<std::string>());
    if (answer) upper = *answer;
    return answer.has_value();
}

FoundChoice FakeSearchDialogs::showFound(const store::Row& task) {
    foundIds.push_back(std::get<std::int64_t>(task.values.at(0)));
    return take(foundChoices, FoundChoice::cancel);
}

bool ScriptedRunner::run(const std::string& title, ui::SlicedJob& job, bool cancellable) {
    titles.push_back(title);
    lastCancellable = cancellable;
    for (;;) {
        shown.push_back(job.progress());
        if (cancelAfter >= 0 && slices >= cancelAfter) {
            job.cancel();
            return false;
        }
        ++slices;
        if (job.runSlice() == ui::SlicedJob::Step::done) break;
    }
    shown.push_back(job.progress());
    return true;
}

TaskRow::TaskRow(std::int64_t id) {
    for (const auto& f : scheduleTableDef().fields) {
        const bool numeric = f.type == store::FieldType::Byte || f.type == store::FieldType::Short ||
                             f.type == store::FieldType::Long;
        m_row.values.push_back(numeric ? store::Value(std::int64_t{0}) : store::Value(std::string()));
    }
    with("SCH:ID", id);
}

TaskRow& TaskRow::with(const std::string& field, store::Value value) {
    const int index = scheduleTableDef().fieldIndex(field);
    EXPECT_GE(index, 0) << field;
    if (index >= 0) m_row.values[static_cast<std::size_t>(index)] = std::move(value);
    return *this;
}

std::int64_t addTask(DataFiles& files, const TaskRow& task) {
    store::Row row = task.row();
    const store::Status s = files.table(TableId::schedule).add(row);
    EXPECT_TRUE(s.ok()) << s.message;
    return row.ref.rowId;
}

}  // namespace tarvelo::test
