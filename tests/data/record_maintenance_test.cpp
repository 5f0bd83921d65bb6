#include "data/record_maintenance.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/data_fixture.h"
#include "fakes/lock_wait.h"

namespace tarvelo {
namespace {

using test::ForeignLock;

Task task(std::int32_t id, std::string_view category, std::string_view description, StdDate date = 0) {
    Task s;
    s.id = id;
    s.category = category;
    s.description = description;
    s.taskType = TaskType::DisplayMessage;
    s.scheduleType = ScheduleType::Once;
    s.date = date;
    s.time = 6300001;
    return s;
}

class RecordMaintenanceTest : public test::DataTest {
protected:
    // Uses held for the whole test, as a browse holds them.
    void holdTables() {
        uses.emplace_back(*files, TableId::schedule);
        uses.emplace_back(*files, TableId::categories);
        uses.emplace_back(*files, TableId::toDo);
    }
    Task addTask(Task s) {
        EXPECT_TRUE(files->schedule().add(s).ok());
        return s;
    }
    Category addCategory(std::string_view name) {
        Category c;
        c.category = name;
        EXPECT_TRUE(files->categories().add(c).ok());
        return c;
    }
    std::optional<Task> storedTask(std::int32_t id) {
        Task probe, out;
        probe.id = id;
        if (!files->schedule().fetch(ScheduleKey::keyId, probe, out).ok()) return std::nullopt;
        return out;
    }
    std::vector<std::string> categoryNames() {
        std::vector<std::string> names;
        auto cats = files->categories();
        EXPECT_TRUE(cats.setToStart(CategoryKey::keyCategory).ok());
        Category c;
        while (cats.next(c).ok()) names.push_back(c.category.text());
        return names;
    }

    std::vector<TableUse> uses;
};

// ---------------------------------------------------------------------------------------------------------
// Schedule and ToDo

TEST_F(RecordMaintenanceTest, GivenATaskWhenItIsPutThenTheChangeIsCommittedAndTheCopyCanBePutAgain) {
    holdTables();
    Task s = addTask(task(1, "Work", "Report"));
    s.description = "Quarterly report";
    EXPECT_TRUE(putTaskRecord(*files, s).ok());
    EXPECT_EQ(storedTask(1)->description, "Quarterly report");
    s.description = "Yearly report";
    EXPECT_TRUE(putTaskRecord(*files, s).ok());
    EXPECT_EQ(storedTask(1)->description, "Yearly report");
    EXPECT_EQ(messages.count(), 0u);

    // Committed for good: another program sees it.
    uses.clear();
    closeFiles();
    reopenFiles();
    TableUse use(*files, TableId::schedule);
    EXPECT_EQ(storedTask(1)->description, "Yearly report");
}

TEST_F(RecordMaintenanceTest, GivenACopyChangedMeanwhileWhenItIsPutThenWarning15ReportsItAndTheOtherChangeStays) {
    holdTables();
    const Task original = addTask(task(1, "Work", "Report", 71622));
    Task mine = original;
    Task engines = original;
    engines.date = 71623;  // the timer moved the task on
    ASSERT_TRUE(files->schedule().put(engines).ok());

    mine.description = "Edited";
    EXPECT_EQ(putTaskRecord(*files, mine).code, store::kRecordChanged);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Update Operation Error");
    EXPECT_EQ(messages.last().text, "This record was changed by another station.");
    const auto stored = storedTask(1);
    EXPECT_EQ(stored->date, 71623);
    EXPECT_EQ(stored->description, "Report");
    // The refused copy keeps its old ref: it is still refused, not quietly accepted later.
    EXPECT_EQ(putTaskRecord(*files, mine).code, store::kRecordChanged);
}

TEST_F(RecordMaintenanceTest, GivenAnotherProcessChangedTheTaskWhenTheCopyIsPutThenItIsRefused) {
    holdTables();
    Task mine = addTask(task(1, "Work", "Report", 71622));
    uses.clear();
    closeFiles();

    test::ChildProcess other([this](test::ChildProcess&) {
        test::FakeMessageBox box;
        test::FakeHalt stop;
        DataWarning w(box, stop);
        DataFiles theirs(w, folder.path());
        TableUse use(theirs, TableId::schedule);
        Task probe, s;
        probe.id = 1;
        if (!theirs.schedule().fetch(ScheduleKey::keyId, probe, s).ok()) return 1;
        s.date = 71700;
        return theirs.schedule().put(s).ok() ? 0 : 2;
    });
    ASSERT_EQ(other.join(), 0);

    reopenFiles();
    holdTables();
    mine.description = "Mine";
    EXPECT_EQ(putTaskRecord(*files, mine).code, store::kRecordChanged);
    EXPECT_EQ(messages.last().text, "This record was changed by another station.");
    EXPECT_EQ(storedTask(1)->date, 71700);
}

TEST_F(RecordMaintenanceTest, GivenAnotherProgramHoldingTheTablesBeyondTheWaitThenFileBusyOffersRetryAndCancelChangesNothing) {
    const test::LockWaitFor measured(std::chrono::seconds(1));
    holdTables();
    Task s = addTask(task(1, "Work", "Report"));
    ToDo item;
    item.todo = "Milk";
    ASSERT_TRUE(files->toDo().add(item).ok());
    uses.clear();
    closeFiles();
    ForeignLock lock(dataFile());
    reopenFiles();
    holdTables();

    s.description = "Changed";
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(putTaskRecord(*files, s).code, store::kDriverError);  // Cancel, the default
    double waited = test::secondsSince(start);
    EXPECT_GE(waited, 0.9);
    EXPECT_LT(waited, 5.0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "File Busy");
    EXPECT_EQ(messages.last().buttons, platform::kRetry + platform::kCancel);
    EXPECT_EQ(messages.last().defaultButton, platform::kCancel);
    EXPECT_EQ(messages.last().text.rfind("Error: (database is locked (SQLITE_BUSY (5))) SM\\!Schedule is busy: ", 0), 0u)
        << messages.last().text;
    EXPECT_NE(messages.last().text.find(" (process "), std::string::npos) << "names who holds it: " << messages.last().text;
    EXPECT_NE(messages.last().text.find(" kept it locked for 1 seconds.  Press Retry to wait again, or Cancel to give up."),
              std::string::npos)
        << messages.last().text;

    // Retry, and the other program lets go meanwhile: the change is made.
    messages.answer(platform::kRetry);
    messages.onShow = [&](const platform::MessageBoxRequest&) { lock.release(); };
    EXPECT_TRUE(deleteToDoRecord(*files, item).ok());
    EXPECT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().caption, "File Busy");
    EXPECT_EQ(storedTask(1)->description, "Report");
    EXPECT_EQ(files->table(TableId::toDo).records().value(), 0);
}

TEST_F(RecordMaintenanceTest, GivenATaskWhenItIsDeletedThenItIsGoneAndItsNumberIsFreeAgain) {
    holdTables();
    addTask(task(1, "Work", "A"));
    const Task highest = addTask(task(2, "Work", "B"));
    EXPECT_TRUE(deleteTaskRecord(*files, highest).ok());
    EXPECT_FALSE(storedTask(2).has_value());
    EXPECT_EQ(messages.count(), 0u);

    Task next;
    EXPECT_EQ(reserveTaskNumber(*files, next), Numbering::numbered);
    EXPECT_EQ(next.id, 2);
}

TEST_F(RecordMaintenanceTest, GivenATaskChangedMeanwhileWhenItIsDeletedThenTheStoredTaskIsDeleted) {
    holdTables();
    const Task copy = addTask(task(1, "Work", "A", 71622));
    Task moved = copy;
    moved.date = 71630;
    ASSERT_TRUE(files->schedule().put(moved).ok());
    EXPECT_TRUE(deleteTaskRecord(*files, copy).ok());
    EXPECT_FALSE(storedTask(1).has_value());
}

TEST_F(RecordMaintenanceTest, GivenATaskAlreadyDeletedWhenItIsDeletedAgainThenWarning17NamesTheTable) {
    holdTables();
    const Task s = addTask(task(1, "Work", "A"));
    ASSERT_TRUE(deleteTaskRecord(*files, s).ok());
    EXPECT_EQ(deleteTaskRecord(*files, s).code, store::kRecordNotFound);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Delete Operation Error");
    EXPECT_EQ(messages.last().text.rfind("An error (", 0), 0u);
    EXPECT_NE(messages.last().text.find(") was experienced when attempting to delete a record from the file Schedule."),
              std::string::npos);
}

// The user may take a while over the message; other programs must not wait on this one meanwhile.
TEST_F(RecordMaintenanceTest, GivenAFailedWriteWhenItsMessageIsOpenThenTheTablesAreFreeAgain) {
    holdTables();
    const Task gone = addTask(task(1, "Work", "A"));
    ASSERT_TRUE(deleteTaskRecord(*files, gone).ok());
    Task stale = addTask(task(2, "Work", "B", 71622));
    Task moved = stale;
    moved.date = 71700;
    ASSERT_TRUE(files->schedule().put(moved).ok());
    const Category work = addCategory("Work");
    Category renamed = work;
    renamed.category = "Office";
    struct Case {
        const char* name;
        std::function<store::Status()> write;
    };
    const Case cases[] = {
        {"delete of a task gone meanwhile", [&] { return deleteTaskRecord(*files, gone); }},
        {"put of a copy changed meanwhile", [&] { return putTaskRecord(*files, stale); }},
        {"delete of a category in use", [&] { return deleteCategoriesRecord(*files, work); }},
        {"rename of a category in use", [&] { return putCategoriesRecord(*files, renamed, "Work"); }},
    };
    for (const auto& c : cases) {
        std::vector<bool> freeWhileShown;
        messages.onShow = [&](const platform::MessageBoxRequest&) {
            store::Transaction other;
            freeWhileShown.push_back(
                other.begin({&files->table(TableId::schedule), &files->table(TableId::categories)}).ok());
        };
        EXPECT_FALSE(c.write().ok()) << c.name;
        EXPECT_EQ(freeWhileShown, std::vector<bool>{true}) << c.name;
    }
}

TEST_F(RecordMaintenanceTest, GivenToDoItemsThatLookAlikeWhenOneIsChangedOrDeletedThenOnlyThatOneIs) {
    holdTables();
    ToDo a, b;
    a.priority = b.priority = 5;
    a.todo = b.todo = "Same";
    ASSERT_TRUE(files->toDo().add(a).ok());
    ASSERT_TRUE(files->toDo().add(b).ok());
    b.done = 1;
    EXPECT_TRUE(putToDoRecord(*files, b).ok());
    EXPECT_TRUE(deleteToDoRecord(*files, a).ok());

    auto todo = files->toDo();
    ASSERT_TRUE(todo.setToStart(ToDoKey::keyDone).ok());
    ToDo only;
    ASSERT_TRUE(todo.next(only).ok());
    EXPECT_EQ(only.done, 1);
    EXPECT_EQ(todo.next(only).code, store::kRecordNotAvailable);
}

// ---------------------------------------------------------------------------------------------------------
// Categories and the references from Schedule

TEST_F(RecordMaintenanceTest, GivenACategoryNoTaskUsesWhenItIsDeletedThenTheDeleteIsCommitted) {
    holdTables();
    addCategory("Home");
    const Category work = addCategory("Work");
    addTask(task(1, "Home", "Dishes"));
    EXPECT_TRUE(deleteCategoriesRecord(*files, work).ok());
    EXPECT_EQ(categoryNames(), std::vector<std::string>{"Home"});
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(RecordMaintenanceTest, GivenACategoryATaskUsesWhenItIsDeletedThenWarning13RefusesIt) {
    holdTables();
    const Category work = addCategory("Work");
    addTask(task(1, "Work", "Report"));
    EXPECT_EQ(deleteCategoriesRecord(*files, work).code, kReferencedElsewhere);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Referential Integrity Delete Error");
    EXPECT_EQ(messages.last().text,
              "This record is referenced from the file Schedule.  This record cannot be deleted while these "
              "references exist.");
    EXPECT_EQ(categoryNames(), std::vector<std::string>{"Work"});
}

// Only the first task found in the case-insensitive order is looked at, and it must match exactly.
struct ReferenceCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> tasks;  // category, description
    bool referenced;
};

const ReferenceCase kReferences[] = {
    {"work", {}, false},
    {"work", {{"work", "a"}}, true},
    {"work", {{"Work", "a"}}, false},                 // differs in letter case only
    {"work", {{"WORK", "a"}, {"work", "b"}}, false},  // the first one found differs in case
    {"work", {{"work", "a"}, {"WORK", "b"}}, true},
    {"work", {{"work", ""}}, true},                    // blank description: still in the key
    {"work", {{"workshop", "a"}}, false},
    {"work", {{"wor", "a"}}, false},
    {"Émile", {{"Émile", "x"}}, true},
    {"émile", {{"Émile", "x"}}, false},
};

TEST_F(RecordMaintenanceTest, GivenTasksWithCategoriesThenCategoryReferencedFollowsTheExactRuleOfTheFirstFound) {
    holdTables();
    for (const auto& c : kReferences) {
        auto schedule = files->schedule();
        std::int32_t id = 1;
        std::vector<Task> added;
        for (const auto& [cat, descr] : c.tasks) added.push_back(addTask(task(id++, cat, descr)));
        messages.clear();
        EXPECT_EQ(categoryReferenced(*files, c.name, ReferenceCheck::forDelete), c.referenced)
            << c.name << " with " << c.tasks.size() << " tasks, first " << (c.tasks.empty() ? "" : c.tasks[0].first);
        EXPECT_EQ(messages.count(), c.referenced ? 1u : 0u);
        for (const auto& s : added) ASSERT_TRUE(schedule.erase(s).ok());
    }
}

TEST_F(RecordMaintenanceTest, GivenARenameWhileTasksUseTheOldNameThenWarning12PutsTheOldNameBack) {
    holdTables();
    Category c = addCategory("Work");
    addTask(task(1, "Work", "Report"));
    const FixedText<20> snapshot = c.category;
    c.category = "Office";
    EXPECT_EQ(putCategoriesRecord(*files, c, snapshot).code, kReferencedElsewhere);
    EXPECT_EQ(c.category, "Work");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Referential Integrity Update Error");
    EXPECT_EQ(messages.last().text,
              "This record is referenced from the file Schedule.  Linking field(s) have been restricted from change "
              "and have been reset to original values.");
    EXPECT_EQ(categoryNames(), std::vector<std::string>{"Work"});
    // The rolled-back put left the copy writable.
    EXPECT_TRUE(putCategoriesRecord(*files, c, snapshot).ok());
}

TEST_F(RecordMaintenanceTest, GivenARenameInLetterCaseOnlyWhileATaskUsesTheOldNameThenItIsRefusedToo) {
    holdTables();
    Category c = addCategory("work");
    addTask(task(1, "work", "Report"));
    c.category = "Work";
    EXPECT_EQ(putCategoriesRecord(*files, c, "work").code, kReferencedElsewhere);
    EXPECT_EQ(c.category, "work");
    EXPECT_EQ(messages.captions(), std::vector<std::string>{"Referential Integrity Update Error"});
    EXPECT_EQ(categoryNames(), std::vector<std::string>{"work"});
}

TEST_F(RecordMaintenanceTest, GivenARenameNoTaskHindersThenItIsCommittedAndScheduleIsReleasedAgain) {
    uses.emplace_back(*files, TableId::categories);
    Category c = addCategory("Work");
    EXPECT_EQ(files->useCount(TableId::schedule), 0);
    c.category = "Office";
    EXPECT_TRUE(putCategoriesRecord(*files, c, "Work").ok());
    EXPECT_EQ(categoryNames(), std::vector<std::string>{"Office"});
    EXPECT_EQ(files->useCount(TableId::schedule), 0);
    EXPECT_FALSE(files->table(TableId::schedule).isOpen());
    EXPECT_TRUE(deleteCategoriesRecord(*files, c).ok());
    EXPECT_EQ(files->useCount(TableId::schedule), 0);
}

TEST_F(RecordMaintenanceTest, GivenARenameOntoAnotherCategoryInOtherLetterCaseThenWarning15NamesTheDuplicate) {
    holdTables();
    addCategory("Home");
    Category c = addCategory("Work");
    c.category = "HOME";
    EXPECT_EQ(putCategoriesRecord(*files, c, "Work").code, store::kDuplicateKey);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              "An error (Creates Duplicate Key (40)) was experienced when attempting to update a record from the "
              "file.  Probable Cause: Categories.");
    EXPECT_EQ(categoryNames(), (std::vector<std::string>{"Home", "Work"}));
}

TEST_F(RecordMaintenanceTest, GivenCategoriesDifferingInLetterCaseThenTheSecondIsADuplicateOfTheKey) {
    holdTables();
    addCategory("Work");
    Category again;
    again.category = "wORK";
    EXPECT_EQ(files->categories().add(again).code, store::kDuplicateKey);
    EXPECT_TRUE(files->categories().duplicate(CategoryKey::keyCategory, again).value());
}

// ---------------------------------------------------------------------------------------------------------
// Numbering new tasks

TEST_F(RecordMaintenanceTest, GivenAnEmptyScheduleWhenANumberIsReservedThenItIs1AndCancellingFreesItAgain) {
    Task fresh;
    fresh.description = "New";
    EXPECT_EQ(reserveTaskNumber(*files, fresh), Numbering::numbered);
    EXPECT_EQ(fresh.id, 1);
    EXPECT_EQ(fresh.description, "New");
    EXPECT_EQ(files->useCount(TableId::schedule), 0);

    EXPECT_TRUE(removeReservedTask(*files, fresh).ok());
    Task again;
    EXPECT_EQ(reserveTaskNumber(*files, again), Numbering::numbered);
    EXPECT_EQ(again.id, 1);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(RecordMaintenanceTest, GivenTasksWhenANumberIsReservedThenItIsOneAboveTheHighest) {
    holdTables();
    addTask(task(7, "", "x"));
    addTask(task(3, "", "y"));
    Task fresh;
    EXPECT_EQ(reserveTaskNumber(*files, fresh), Numbering::numbered);
    EXPECT_EQ(fresh.id, 8);
    Task second;
    EXPECT_EQ(reserveTaskNumber(*files, second), Numbering::numbered);
    EXPECT_EQ(second.id, 9);
}

TEST_F(RecordMaintenanceTest, GivenACopyOfADueTaskWhenItIsReservedThenTheStoredPlaceholderIsNotDueOrWarned) {
    holdTables();
    Task copy = task(0, "Work", "Copy of a due task", 70000);
    copy.advanceWarnDate = 69999;
    copy.advanceWarnTime = 1;
    ASSERT_EQ(reserveTaskNumber(*files, copy), Numbering::numbered);
    EXPECT_EQ(copy.date, 70000);  // the form's copy is as primed

    auto schedule = files->schedule();
    Task seen;
    ASSERT_TRUE(schedule.setToStart(ScheduleKey::keyDateEnabled).ok());
    EXPECT_EQ(schedule.next(seen).code, store::kRecordNotAvailable);
    ASSERT_TRUE(schedule.setToStart(ScheduleKey::keyAdvanced).ok());
    EXPECT_EQ(schedule.next(seen).code, store::kRecordNotAvailable);

    // Completing writes the whole task over its placeholder.
    ASSERT_TRUE(schedule.put(copy).ok());
    EXPECT_EQ(storedTask(copy.id)->date, 70000);
}

TEST_F(RecordMaintenanceTest, GivenTheTableLockedWhenNumberingMeetsTheBusyFileThenFileBusyOffersRetry) {
    createTables();
    closeFiles();
    auto lock = std::make_unique<ForeignLock>(dataFile());
    reopenFiles();
    holdTables();

    // The user waits for the other program to finish, then retries.
    messages.onShow = [&](const platform::MessageBoxRequest& r) {
        if (r.caption == "File Busy") lock.reset();
    };
    messages.answer(platform::kRetry);
    Task fresh;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(reserveTaskNumber(*files, fresh), Numbering::numbered);
    EXPECT_LT(test::secondsSince(start), 5.0) << "one wait, not three: the user decides at once";
    EXPECT_EQ(fresh.id, 1);
    EXPECT_EQ(messages.captions(), std::vector<std::string>{"File Busy"});
}

TEST_F(RecordMaintenanceTest, GivenNumberingFailsThreeTimesThenWarning25OffersRetry) {
    holdTables();
    test::runSql(dataFile(), "CREATE TRIGGER injected BEFORE INSERT ON \"Schedule\" "
                             "BEGIN SELECT RAISE(ABORT, 'injected fault'); END");
    messages.onShow = [&](const platform::MessageBoxRequest& r) {
        if (r.caption == "Auto Increment Error") test::runSql(dataFile(), "DROP TRIGGER injected");
    };
    messages.answer(platform::kRetry);
    Task fresh;
    EXPECT_EQ(reserveTaskNumber(*files, fresh), Numbering::numbered);
    EXPECT_EQ(fresh.id, 1);
    ASSERT_EQ(messages.captions(), std::vector<std::string>{"Auto Increment Error"});
    EXPECT_EQ(messages.last().buttons, platform::kRetry + platform::kCancel);
    EXPECT_EQ(messages.last().text,
              "Attempts to automatically number this record have failed.  Error: injected fault (SQLITE_CONSTRAINT (1811)).");
}

TEST_F(RecordMaintenanceTest, GivenTheTableLockedWhenTheUserCancelsTheBusyBoxThenNothingIsReserved) {
    createTables();
    closeFiles();
    ForeignLock lock(dataFile());
    reopenFiles();
    holdTables();
    Task fresh;
    EXPECT_EQ(reserveTaskNumber(*files, fresh), Numbering::cancelled);  // Cancel is the default
    EXPECT_EQ(messages.captions(), std::vector<std::string>{"File Busy"});
    EXPECT_EQ(fresh.id, 0);
    lock.release();
    EXPECT_EQ(files->table(TableId::schedule).records().value(), 0);
}

// ---------------------------------------------------------------------------------------------------------
// Orders and blank records

TEST_F(RecordMaintenanceTest, GivenBlankToDoItemsThenTheyAppearInEveryToDoOrder) {
    holdTables();
    ToDo blank;
    ToDo other;
    other.priority = 2;
    other.todo = "b";
    ASSERT_TRUE(files->toDo().add(other).ok());
    ASSERT_TRUE(files->toDo().add(blank).ok());
    for (ToDoKey key : {ToDoKey::keyDone, ToDoKey::keyPriority, ToDoKey::keyToDo}) {
        auto todo = files->toDo();
        ASSERT_TRUE(todo.setToStart(key).ok());
        ToDo first, second, none;
        ASSERT_TRUE(todo.next(first).ok()) << int(key);
        ASSERT_TRUE(todo.next(second).ok()) << int(key);
        EXPECT_EQ(first, blank) << int(key);
        EXPECT_EQ(second, other) << int(key);
        EXPECT_EQ(todo.next(none).code, store::kRecordNotAvailable);
        // Backwards the blank one comes last.
        ASSERT_TRUE(todo.setToEnd(key).ok());
        ASSERT_TRUE(todo.previous(first).ok());
        EXPECT_EQ(first, other);
    }
}

}  // namespace
}  // namespace tarvelo
