#include "search/schedule_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/search_fixture.h"

namespace tarvelo::test {
namespace {

using search::FoundChoice;
using search::MatchType;
using search::SearchOutcome;
using search::SearchTask;

const search::SearchField& field(const char* name) { return *search::searchFieldNamed(name); }

class ScheduleSearchTest : public SearchTest {
protected:
    ScheduleSearchTest() {
        // Five tasks; three are backups.
        const char* descriptions[] = {"Backup disk", "Call home", "backup mail", "Pay rent", "BACKUP photos"};
        for (int id = 1; id <= 5; ++id) {
            addTask(*files, TaskRow(id).with("SCH:DESCRIPTION", std::string(descriptions[id - 1])).with("SCH:DATE", 80000 + id));
        }
    }
    // The form's buffer after the user typed into the description.
    void typeDescription(const std::string& text) {
        buffer = TaskRow(0).with("SCH:DESCRIPTION", text).row();
        search.valueAccepted(field("description"));
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& r : messages.requests()) out.push_back(r.text);
        return out;
    }

    FakeSearchDialogs dialogs;
    search::ScheduleSearch search{*files, *tags, dialogs, messages, runner};
    store::Row buffer = TaskRow(0).row();
};

TEST_F(ScheduleSearchTest, beginSearchWithoutAnyFieldAsksForOne) {
    const store::Row before = buffer;
    EXPECT_EQ(search.beginSearch(buffer), SearchOutcome::nothing);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, "You must specify at least one search field!");
    EXPECT_EQ(messages.last().caption, "");
    EXPECT_EQ(messages.last().icon, platform::Icon::Exclamation);
    EXPECT_TRUE(dialogs.selectionOffered.empty());
    EXPECT_EQ(buffer.values, before.values);
}

TEST_F(ScheduleSearchTest, typingIntoAFieldGivesItItsKindsDefault) {
    typeDescription("abc");
    EXPECT_EQ(search.matchType(field("description")), MatchType::beginsWith);
    EXPECT_TRUE(search.valueAccepted(field("message")));
    EXPECT_EQ(search.matchType(field("message")), MatchType::contains);
    EXPECT_TRUE(search.valueAccepted(field("alarm")));
    EXPECT_EQ(search.matchType(field("alarm")), MatchType::equals);
    EXPECT_FALSE(search.valueAccepted(field("description"))) << "an explicit type stays";
}

TEST_F(ScheduleSearchTest, selectingThreeTasksRespondsMinusThree) {
    typeDescription("BACKUP");
    dialogs.tasks = {SearchTask::select};
    const SearchOutcome outcome = search.beginSearch(buffer);
    EXPECT_EQ(outcome, SearchOutcome::marked);
    EXPECT_EQ(search.response(outcome), -3);
    EXPECT_EQ(tags->countTags(kScheduleTable), 3);
    EXPECT_EQ(dialogs.selectionOffered, std::vector<bool>{false}) << "Unselect is not offered with nothing selected";
    EXPECT_EQ(messages.count(), 0u);
}

struct ClearCase {
    const char* name;
    int answer;
    std::int64_t selectedAfter;
};

class ClearOldSelectionsTest : public ScheduleSearchTest, public testing::WithParamInterface<ClearCase> {};

TEST_P(ClearOldSelectionsTest, asksBeforeSelectingAgain) {
    // GIVEN "Pay rent" selected
    tags->tag(kScheduleTable, 4, "4");
    typeDescription("backup");
    dialogs.tasks = {SearchTask::select};
    messages.answer(GetParam().answer);
    // WHEN the backups are selected
    search.beginSearch(buffer);
    // THEN the question came first, and the old selection stays only on No
    EXPECT_EQ(texts(), std::vector<std::string>{"Clear old selections first?"});
    EXPECT_EQ(messages.last().icon, platform::Icon::Question);
    EXPECT_EQ(dialogs.selectionOffered, std::vector<bool>{true});
    EXPECT_EQ(tags->isTagged(kScheduleTable, 4), GetParam().answer == platform::kNo);
    EXPECT_EQ(tags->countTags(kScheduleTable), GetParam().selectedAfter);
}

INSTANTIATE_TEST_SUITE_P(Search, ClearOldSelectionsTest,
                         testing::Values(ClearCase{"Yes", platform::kYes, 3}, ClearCase{"No", platform::kNo, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScheduleSearchTest, unselectRemovesTheMatchingTagsOnly) {
    for (int id = 1; id <= 4; ++id) tags->tag(kScheduleTable, id, std::to_string(id));
    buffer = TaskRow(0).with("SCH:DESCRIPTION", std::string("backup")).row();
    search.setMatchType(field("description"), MatchType::contains);
    dialogs.tasks = {SearchTask::unselect};
    const SearchOutcome outcome = search.beginSearch(buffer);
    EXPECT_EQ(search.response(outcome), -2);
    EXPECT_EQ(walk(), (std::vector<std::int64_t>{2, 4}));
}

TEST_F(ScheduleSearchTest, searchTypeWithoutACurrentFieldAsksForOne) {
    EXPECT_FALSE(search.chooseSearchType(buffer));
    EXPECT_EQ(texts(), std::vector<std::string>{"You must select a data field first!"});
    EXPECT_TRUE(dialogs.kindsAsked.empty());
}

TEST_F(ScheduleSearchTest, aRangeTakesItsUpperLimitOnlyWhenConfirmed) {
    buffer = TaskRow(0).with("SCH:DATE", 80002).row();
    search.selectField(&field("date"));
    // Cancelled: nothing changes.
    dialogs.matchTypes = {MatchType::insideRange, MatchType::insideRange};
    dialogs.upperLimits = {std::nullopt, std::string("80004")};
    EXPECT_FALSE(search.chooseSearchType(buffer));
    EXPECT_EQ(search.matchType(field("date")), MatchType::ignore);
    // Confirmed: the range holds, shown from the field's value and a 0 upper limit.
    EXPECT_TRUE(search.chooseSearchType(buffer));
    EXPECT_EQ(dialogs.kindsAsked, (std::vector{search::FieldKind::date, search::FieldKind::date}));
    EXPECT_EQ(dialogs.lowerLimitsShown, (std::vector<std::string>{"80002", "80002"}));
    EXPECT_EQ(search.matchType(field("date")), MatchType::insideRange);
    EXPECT_EQ(search.upperLimit(field("date")), "80004");
    dialogs.tasks = {SearchTask::select};
    EXPECT_EQ(search.response(search.beginSearch(buffer)), -3);
}

TEST_F(ScheduleSearchTest, ignoreThisFieldClearsIt) {
    typeDescription("backup");
    search.selectField(&field("description"));
    dialogs.matchTypes = {MatchType::ignore};
    EXPECT_TRUE(search.chooseSearchType(buffer));
    EXPECT_EQ(search.matchType(field("description")), MatchType::ignore);
    EXPECT_EQ(search::valueText(buffer, field("description").index), "");
}

TEST_F(ScheduleSearchTest, editStepsThroughTheMatchesUntilNoneIsLeft) {
    typeDescription("backup");
    dialogs.tasks = {SearchTask::edit};
    dialogs.foundChoices = {FoundChoice::findNext, FoundChoice::findNext, FoundChoice::findNext};
    EXPECT_EQ(search.beginSearch(buffer), SearchOutcome::nothing);
    EXPECT_EQ(dialogs.foundIds, (std::vector<std::int64_t>{1, 3, 5}));
    EXPECT_EQ(texts(), std::vector<std::string>{"There are no more matching records!"});
    EXPECT_EQ(search::valueText(buffer, field("description").index), "backup") << "the criteria stay";
}

TEST_F(ScheduleSearchTest, editThisLeavesTheFoundTaskInTheBuffer) {
    typeDescription("backup");
    dialogs.tasks = {SearchTask::edit};
    dialogs.foundChoices = {FoundChoice::findNext, FoundChoice::editThis};
    EXPECT_EQ(search.beginSearch(buffer), SearchOutcome::edit);
    EXPECT_EQ(search::valueText(buffer, field("description").index), "backup mail");
    EXPECT_EQ(buffer.ref.rowId, 3);
}

TEST_F(ScheduleSearchTest, cancellingTheProgressBeforeAMatchReportsNoMatchingRecords) {
    // GIVEN more tasks than one slice reads, the last one matching
    for (int id = 6; id <= 150; ++id) addTask(*files, TaskRow(id).with("SCH:DESCRIPTION", std::string("other")));
    addTask(*files, TaskRow(151).with("SCH:COMMAND", std::string("zip")));
    buffer = TaskRow(0).with("SCH:COMMAND", std::string("zip")).row();
    search.setMatchType(field("command"), MatchType::equals);
    dialogs.tasks = {SearchTask::edit};
    runner.cancelAfter = 0;
    EXPECT_EQ(search.beginSearch(buffer), SearchOutcome::nothing);
    EXPECT_EQ(runner.titles, std::vector<std::string>{"Searching for Matching Records"});
    EXPECT_EQ(texts(), std::vector<std::string>{"There are no matching records!"});
}

struct RequestCase {
    const char* name;
    Request request;
    int warning;
};

class WrongRequestTest : public DataTest, public testing::WithParamInterface<RequestCase> {};

TEST_P(WrongRequestTest, showsItsInvalidRequestWarning) {
    EXPECT_FALSE(search::ScheduleSearch::acceptsRequest(GetParam().request, warn));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Invalid Request");
    EXPECT_EQ(messages.last().text, warningRequest(GetParam().warning, 0, "")->text);
}

INSTANTIATE_TEST_SUITE_P(Search, WrongRequestTest,
                         testing::Values(RequestCase{"Insert", Request::insert, kWarnInsertNotAllowed},
                                         RequestCase{"Change", Request::change, kWarnChangeNotAllowed},
                                         RequestCase{"Delete", Request::remove, kWarnDeleteNotAllowed}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo::test
