// A report's run over a real data file: key order, the records a key leaves out, the slices of 25 and the
// percentage, the empty table and Cancel.
#include "reports/report_run.h"

#include <gtest/gtest.h>

#include "core/date.h"
#include "fakes/report_fixture.h"
#include "reports/report_bands.h"

namespace tarvelo::reports {
namespace {

// The first text of every band, in order: the date, the category or the to-do text.
std::vector<std::string> firstTexts(const ReportPages& pages) {
    std::vector<std::string> out;
    for (int i = 0; i < pages.bandCount(); ++i) out.push_back(pages.band(i).texts.at(0));
    return out;
}

std::vector<std::string> descriptions(const ReportPages& pages) {
    std::vector<std::string> out;
    for (int i = 0; i < pages.bandCount(); ++i) out.push_back(pages.band(i).texts.at(3));
    return out;
}

class ReportRunTest : public ::testing::Test {
protected:
    test::ReportData data;
    const StdDate day = dateFromYmd(1997, 1, 31);
};

TEST_F(ReportRunTest, EmptyTableGivesNothingToPrint) {
    for (ReportKind kind : {ReportKind::scheduleByDate, ReportKind::categoryList, ReportKind::toDoList}) {
        ReportRun run(kind, data.files, data.messages);
        EXPECT_FALSE(run.open()) << reportProcedure(kind);
        EXPECT_EQ(run.response(), kCancelled);
        EXPECT_EQ(run.runSlice(), platform::SlicedJob::Step::done);
        EXPECT_EQ(run.takePages(), nullptr);
    }
    EXPECT_EQ(data.messages.count(), 0u);
}

TEST_F(ReportRunTest, FiftyTasksFillTheBarOnTheSecondSlice) {
    // GIVEN 50 tasks
    for (int i = 0; i < 50; ++i) data.addTask("Task " + std::to_string(i), day + i, timeFromHms(9, 0));
    ReportRun run(ReportKind::scheduleByDate, data.files, data.messages);
    ASSERT_TRUE(run.open());
    EXPECT_EQ(run.progress().lower, "  2% Completed");
    // WHEN the slices run, THEN the first reads 25 more and the second reaches the end
    EXPECT_EQ(run.runSlice(), platform::SlicedJob::Step::more);
    EXPECT_EQ(run.progress(), (platform::Progress{52, "", " 52% Completed"}));
    EXPECT_EQ(run.runSlice(), platform::SlicedJob::Step::done);
    EXPECT_EQ(run.progress(), (platform::Progress{100, "", "100% Completed"}));
    EXPECT_EQ(run.response(), kCompleted);
    EXPECT_EQ(run.pages().bandCount(), 50);
    EXPECT_EQ(run.pages().pageCount(), 25);  // two tasks to a page
}

TEST_F(ReportRunTest, ScheduleByDateIsInDateAndTimeOrder) {
    data.addTask("Late", day + 1, timeFromHms(8, 0));
    data.addTask("Evening", day, timeFromHms(20, 0));
    data.addTask("Morning", day, timeFromHms(7, 30));
    ReportRun run(ReportKind::scheduleByDate, data.files, data.messages);
    ASSERT_TRUE(run.open());
    platform::runToEnd(run);
    EXPECT_EQ(descriptions(run.pages()), (std::vector<std::string>{"Morning", "Evening", "Late"}));
}

TEST_F(ReportRunTest, TaskWithoutCategoryAndDescriptionIsLeftOutOfTheCategoryOrderOnly) {
    // GIVEN a task whose category and description are blank, among two others
    data.addTask("Zebra", day, timeFromHms(9, 0), "Work");
    data.addTask("", day + 2, timeFromHms(9, 0), "");
    data.addTask("Apple", day + 1, timeFromHms(9, 0), "Home");
    const auto report = [&](ReportKind kind) {
        ReportRun run(kind, data.files, data.messages);
        EXPECT_TRUE(run.open());
        platform::runToEnd(run);
        return firstTexts(run.pages());
    };
    // THEN the category order has the other two only, the date order all three
    EXPECT_EQ(report(ReportKind::scheduleByCategory), (std::vector<std::string>{"Feb 1, 1997", "Jan 31, 1997"}));
    EXPECT_EQ(report(ReportKind::scheduleByDate),
              (std::vector<std::string>{"Jan 31, 1997", "Feb 1, 1997", "Feb 2, 1997"}));
}

TEST_F(ReportRunTest, ToDoListPrintsItemsNotDoneFirstThenByPriorityAndText) {
    data.addToDo("Paint the fence", 3, true);
    data.addToDo("Water plants", 2, false);
    data.addToDo("Buy milk", 2, false);
    data.addToDo("Call Ann", 1, false);
    ReportRun run(ReportKind::toDoList, data.files, data.messages);
    ASSERT_TRUE(run.open());
    platform::runToEnd(run);
    EXPECT_EQ(firstTexts(run.pages()),
              (std::vector<std::string>{"Call Ann", "Buy milk", "Water plants", "Paint the fence"}));
    EXPECT_EQ(run.pages().band(3).checks, 1u);
}

TEST_F(ReportRunTest, CategoryListInLetterOrderWhateverTheCase) {
    for (const char* name : {"work", "Home", "errands"}) data.addCategory(name);
    ReportRun run(ReportKind::categoryList, data.files, data.messages);
    ASSERT_TRUE(run.open());
    platform::runToEnd(run);
    EXPECT_EQ(firstTexts(run.pages()), (std::vector<std::string>{"errands", "Home", "work"}));
}

TEST_F(ReportRunTest, CancelDiscardsThePages) {
    for (int i = 0; i < 60; ++i) data.addTask("Task", day + i, timeFromHms(9, 0));
    ReportRun run(ReportKind::scheduleByDate, data.files, data.messages);
    ASSERT_TRUE(run.open());
    EXPECT_EQ(run.runSlice(), platform::SlicedJob::Step::more);
    run.cancel();
    EXPECT_EQ(run.response(), kCancelled);
    EXPECT_EQ(run.runSlice(), platform::SlicedJob::Step::done);
    EXPECT_EQ(run.takePages(), nullptr);
}

TEST_F(ReportRunTest, HoldsItsTableForTheRunOnly) {
    data.addCategory("Home");
    {
        ReportRun run(ReportKind::categoryList, data.files, data.messages);
        ASSERT_TRUE(run.open());
        EXPECT_EQ(data.files.useCount(TableId::categories), 1);
    }
    EXPECT_EQ(data.files.useCount(TableId::categories), 0);
}

}  // namespace
}  // namespace tarvelo::reports
