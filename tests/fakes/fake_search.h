#pragma once
// The search's dialogs answered from a script; the job runner that can press Cancel is a fake port
// (fakes/fake_ports.h), tasks as the store holds them are built in fakes/task_table.h.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "data/data_files.h"
#include "search/schedule_search.h"
#include "fakes/fake_ports.h"
#include "fakes/task_table.h"
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

}  // namespace tarvelo::test
