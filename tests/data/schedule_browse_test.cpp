// The schedule browse without its window, on a real data file: the rows' icons and date colours, the
// four tabs with their limits, the selected day and category, and the list after forms, a search and
// the engine's changes.
#include "data/schedule_browse.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "fakes/data_fixture.h"
#include "fakes/browse_builders.h"

namespace tarvelo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::scheduled;

const StdDate kMonday = dateFromYmd(1996, 10, 28);

// --- Rows ------------------------------------------------------------------------------------------

struct RowCase {
    const char* name;
    Byte completed, skip, disabled;
    ScheduleIcon icon;
    std::optional<platform::Rgb> dateColour;
    std::optional<platform::Rgb> selectedDateColour;
};

class ScheduleRowTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(ScheduleRowTest, GivenATasksStateThenItsIconAndDateColourSayIt) {
    Task task = scheduled("Task", kMonday, 3600001);
    task.completed = GetParam().completed;
    task.skipNextTime = GetParam().skip;
    task.disabled = GetParam().disabled;

    const auto cells = scheduleRowCells(task);

    EXPECT_EQ(cells[0].icon, static_cast<int>(GetParam().icon));
    EXPECT_EQ(cells[1].foreground, GetParam().dateColour);
    EXPECT_EQ(cells[1].selectedForeground, GetParam().selectedDateColour);
    for (std::size_t column : {0u, 2u, 3u, 4u, 5u, 6u}) {
        EXPECT_FALSE(cells[column].foreground) << "column " << column << " keeps the list's colours";
    }
    for (const auto& cell : cells) EXPECT_FALSE(cell.background || cell.selectedBackground);
}

INSTANTIATE_TEST_SUITE_P(
    States, ScheduleRowTest,
    ::testing::Values(RowCase{"Pending", 0, 0, 0, ScheduleIcon::pending, std::nullopt, std::nullopt},
                      RowCase{"Disabled", 0, 0, 1, ScheduleIcon::disabled, kDisabledDateColour,
                              kDisabledSelectedDateColour},
                      RowCase{"Skipped", 0, 1, 0, ScheduleIcon::skip, kSkippedDateColour, kSkippedSelectedDateColour},
                      RowCase{"SkippedAndDisabledIsGreyWithTheSkipIcon", 0, 1, 1, ScheduleIcon::skip,
                              kDisabledDateColour, kDisabledSelectedDateColour},
                      RowCase{"CompletedCopy", 1, 0, 1, ScheduleIcon::done, kDisabledDateColour,
                              kDisabledSelectedDateColour},
                      RowCase{"CompletedWinsOverSkip", 1, 1, 1, ScheduleIcon::done, kDisabledDateColour,
                              kDisabledSelectedDateColour}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScheduleRowTest, GivenATaskThenEachColumnShowsItsFieldInTheColumnsPicture) {
    Task task = scheduled("Weekly backup of the accounts", kMonday, 6300001);
    task.category = "Work";
    task.taskType = TaskType::RunProgram;
    task.scheduleType = ScheduleType::DayOfWeek;

    std::vector<std::string> texts;
    for (const auto& cell : scheduleRowCells(task)) texts.push_back(cell.text);

    EXPECT_THAT(texts, ElementsAre(" ", "Oct 28, 1996", "5:30PM", "Work", "Weekly backup of the accounts",
                                   "Run Program", "Day of Week", ""));
    // Grey and pure blue, as the user knows them.
    EXPECT_EQ(kDisabledDateColour, (platform::Rgb{128, 128, 128}));
    EXPECT_EQ(kSkippedDateColour, (platform::Rgb{0, 0, 255}));
}

// --- The list --------------------------------------------------------------------------------------

class ScheduleBrowseTest : public test::DataTest {
protected:
    ScheduleBrowseTest() : use(*files, TableId::schedule) {}

    Task add(Task task) {
        Task highest;
        auto table = files->schedule();
        task.id = table.setToEnd(ScheduleKey::keyId).ok() && table.previous(highest).ok() ? highest.id + 1 : 1;
        EXPECT_TRUE(table.add(task).ok());
        return task;
    }
    ScheduleBrowse& open(bool fullSchedule = false, int rows = 10, store::Table* tagFile = nullptr) {
        browse = std::make_unique<ScheduleBrowse>(files->table(TableId::schedule), warn, kMonday, fullSchedule,
                                                  [this](std::int64_t row) { return tagged.count(row) > 0; }, tagFile);
        browse->setRowCount(rows);
        browse->selectTab(browse->tab());
        return *browse;
    }
    // The descriptions on the page, the highlighted one in brackets.
    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        const auto rows = browse->pageRows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            std::string d = std::get<std::string>(rows[i].values[3]);
            out.push_back(static_cast<int>(i) == browse->highlighted() ? "[" + d + "]" : d);
        }
        return out;
    }

    TableUse use;
    std::set<std::int64_t> tagged;
    std::unique_ptr<ScheduleBrowse> browse;
};

TEST_F(ScheduleBrowseTest, GivenADayWithoutTasksThenTheDayTabIsEmptyUntilAnotherDayIsSelected) {
    // GIVEN two tasks on Tuesday, one on Wednesday
    add(scheduled("Dentist", kMonday + 1, 900 * 6000 + 1));
    add(scheduled("Gym", kMonday + 1, 700 * 6000 + 1));
    add(scheduled("Football", kMonday + 2, 1));

    // WHEN the browse opens on Monday
    open();
    // THEN the day tab shows Monday's (none)
    EXPECT_EQ(browse->tab(), ScheduleTab::daySchedule);
    EXPECT_EQ(browse->dayTabCaption(), "Oct 28, 1996");
    EXPECT_THAT(shown(), IsEmpty());
    EXPECT_EQ(browse->highlighted(), -1);

    // WHEN Tuesday is selected
    browse->setSelectedDay(kMonday + 1);
    // THEN its tasks in time order, and the caption and the form's default day follow
    EXPECT_THAT(shown(), ElementsAre("[Gym]", "Dentist"));
    EXPECT_EQ(browse->dayTabCaption(), "Oct 29, 1996");
    EXPECT_EQ(browse->selectedDayText(), std::to_string(kMonday + 1));
}

TEST_F(ScheduleBrowseTest, GivenTasksOfEveryKindThenEachTabListsItsOwnInItsOwnOrder) {
    add(scheduled("Pay rent", kMonday + 3, 1, "Home"));
    add(scheduled("Standup", kMonday, 540 * 6000 + 1, "work"));
    add(scheduled("Audit", kMonday + 9, 1, "Work"));
    const Task copy = add([] {
        Task c = scheduled("Standup on Sunday", kMonday - 1, 540 * 6000 + 1, "Work");
        c.completed = c.disabled = 1;
        return c;
    }());
    add(scheduled("No date at all", 0, 0, "Work"));  // not in the date order
    tagged = {copy.ref.rowId};

    open(/*fullSchedule=*/true);
    EXPECT_EQ(browse->tab(), ScheduleTab::allByDate);
    EXPECT_THAT(shown(), ElementsAre("[Standup on Sunday]", "Standup", "Pay rent", "Audit"));

    // The category in any letter case; the highlighted task stays highlighted.
    EXPECT_TRUE(browse->newTask().category.isBlank());
    browse->setCategory("WORK  ");
    browse->selectTab(ScheduleTab::allByCategory);
    EXPECT_THAT(shown(), ElementsAre("Audit", "No date at all", "Standup", "[Standup on Sunday]"));
    EXPECT_EQ(browse->newTask().category.text(), "WORK") << "a new task starts in the category shown";

    browse->selectTab(ScheduleTab::selected);
    EXPECT_THAT(shown(), ElementsAre("[Standup on Sunday]"));
    EXPECT_EQ(browse->current().values[0], store::Value{std::int64_t{copy.id}});

    browse->selectTab(ScheduleTab::daySchedule);
    EXPECT_THAT(shown(), ElementsAre("[Standup]"));
}

TEST_F(ScheduleBrowseTest, GivenAFewTagsInTheTagFileThenSelectedReadsTheirLiveTasksDirectlyInDateOrder) {
    const TableUse tagUse(*files, TableId::tagFile);
    const auto tag = [&](const Task& task, std::int32_t id) {
        Tag t;
        t.table = 1;
        t.position = static_cast<std::int32_t>(task.ref.rowId);
        t.value = std::to_string(id);
        ASSERT_TRUE(files->tags().add(t).ok());
        tagged.insert(task.ref.rowId);  // what the per-row test says of them
    };
    std::vector<Task> tasks;
    for (int i = 0; i < 6; ++i) tasks.push_back(add(scheduled("Task " + std::to_string(i), kMonday + 6 - i, 1)));
    for (const Task& t : tasks) tag(t, t.id);
    tag(add(scheduled("No date", 0, 0)), 7);              // not in the date order
    const Task renumbered = add(scheduled("Other", kMonday, 2));
    tag(renumbered, 99);                                  // a stale tag: the task there is another
    ASSERT_TRUE(files->schedule().erase(tasks[2]).ok());  // a tag whose task has gone

    open(false, 2, &files->table(TableId::tagFile));
    browse->selectTab(ScheduleTab::selected);
    EXPECT_THAT(shown(), ElementsAre("[Task 5]", "Task 4"));
    browse->scroll(platform::ListScroll::pageDown);
    EXPECT_THAT(shown(), ElementsAre("[Task 3]", "Task 1"));
    browse->scroll(platform::ListScroll::rowDown);
    browse->scroll(platform::ListScroll::rowDown);
    EXPECT_THAT(shown(), ElementsAre("Task 1", "[Task 0]"));
    browse->scroll(platform::ListScroll::top);
    EXPECT_THAT(shown(), ElementsAre("[Task 5]", "Task 4"));
}

TEST_F(ScheduleBrowseTest, GivenAFormCompletedAnInsertOrAChangeThenTheListShowsItsTaskHighlighted) {
    for (int i = 0; i < 20; ++i) add(scheduled("Task " + std::to_string(100 + i), kMonday + i, 1));
    open(true, 4);
    // An insert of a task ten days on: the page moves to it.
    Task task = add(scheduled("Inserted", kMonday + 10, 2));
    browse->afterForm(Request::insert, Response::completed, task);
    EXPECT_THAT(shown(), ElementsAre("[Inserted]", "Task 111", "Task 112", "Task 113"));
    // A change that moved it to the front: the page follows it.
    task.date = kMonday - 5;
    ASSERT_TRUE(files->schedule().put(task).ok());
    browse->afterForm(Request::change, Response::completed, task);
    EXPECT_THAT(shown(), ElementsAre("[Inserted]", "Task 100", "Task 101", "Task 102"));
    // Tasks at one date and time: the one the form saved is highlighted, not the first of them.
    const Task twin = add(scheduled("Twin", kMonday - 5, 2));
    browse->afterForm(Request::insert, Response::completed, twin);
    EXPECT_THAT(shown(), ElementsAre("[Twin]", "Task 100", "Task 101", "Task 102"));
    browse->afterForm(Request::change, Response::completed, task);
    EXPECT_THAT(shown(), ElementsAre("[Inserted]", "Twin", "Task 100", "Task 101"));
}

TEST_F(ScheduleBrowseTest, GivenASearchCompletedThenItsTaskIsLocatedOnlyWhenTheTabListsIt) {
    for (int i = 0; i < 8; ++i) add(scheduled("Task " + std::to_string(100 + i), kMonday + i, 1));
    open(true, 3);
    Task key, found;
    key.id = 6;
    ASSERT_TRUE(files->schedule().fetch(ScheduleKey::keyId, key, found).ok());

    browse->afterSearch(Response::completed, found);
    EXPECT_THAT(shown(), ElementsAre("[Task 105]", "Task 106", "Task 107"));

    // On "Selected" a task found but not tagged is not located; the tagged one stays highlighted.
    tagged = {1, 2};
    browse->selectTab(ScheduleTab::selected);
    browse->scroll(platform::ListScroll::rowDown);
    browse->afterSearch(Response::completed, found);
    EXPECT_THAT(shown(), ElementsAre("Task 100", "[Task 101]"));

    // A search that tagged more shows them at once.
    tagged.insert(3);
    browse->afterSearch(Response::cancelled, Task{});
    EXPECT_THAT(shown(), ElementsAre("Task 100", "[Task 101]", "Task 102"));
}

}  // namespace
}  // namespace tarvelo
