#include "fakes/fake_search.h"

#include <gtest/gtest.h>


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

}  // namespace tarvelo::test
