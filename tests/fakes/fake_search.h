#pragma once
// The search's dialogs answered from a script, a job runner that can press Cancel, and tasks built as the
// store holds them (field by field, so the tests do not depend on the record struct's member types).
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "data/data_files.h"
#include "search/schedule_search.h"
#include "search/sliced_job.h"
#include "store/store.h"

namespace tarvelo::test {

class FakeSearchDialogs : public search::SearchDialogs {
public:
    std::optional<search::MatchType> askMatchType(search::FieldKind kind, search::MatchType current) override;
    search::SearchTask askTask(bool selectionExists) override;
    bool getUpperLimit(const search::SearchField& field, const std::string& lower, std::string& upper) override;
    search::FoundChoice showFound(const store::Row& task) override;

    // Answers, used in order; when they run out: cancel.
    std::deque<std::optional<search::MatchType>> matchTypes;
    std::deque<search::SearchTask> tasks;
    std::deque<std::optional<std::string>> upperLimits;
    std::deque<search::FoundChoice> foundChoices;

    // What was asked.
    std::vector<search::FieldKind> kindsAsked;
    std::vector<bool> selectionOffered;
    std::vector<std::string> lowerLimitsShown;
    std::vector<std::int64_t> foundIds;  // SCH:ID of each task shown
};

// Runs a job's slices; cancels (as the Cancel button) once cancelAfter slices have run.
class ScriptedRunner : public search::JobRunner {
public:
    bool run(const std::string& title, ui::SlicedJob& job, bool cancellable = true) override;

    int cancelAfter = -1;
    std::vector<std::string> titles;
    std::vector<ui::Progress> shown;
    int slices = 0;
    bool lastCancellable = true;
};

// A task as the store holds it: every field blank, then set by name.
//   TaskRow(7).with("SCH:DESCRIPTION", "Backup").with("SCH:DATE", 71651)
class TaskRow {
public:
    explicit TaskRow(std::int64_t id);
    TaskRow& with(const std::string& field, store::Value value);
    const store::Row& row() const { return m_row; }

private:
    store::Row m_row;
};

// Stores a task in Schedule and returns its position. REQUIRES: a use of Schedule is held.
std::int64_t addTask(DataFiles& files, const TaskRow& task);

}  // namespace tarvelo::test
