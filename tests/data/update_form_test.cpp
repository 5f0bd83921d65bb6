#include "data/update_form.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "data/record_maintenance.h"
#include "fakes/data_fixture.h"

namespace tarvelo {
namespace {

class UpdateFormTest : public test::DataTest {
protected:
    std::optional<Task> storedTask(std::int32_t id) {
        TableUse use(*files, TableId::schedule);
        Task probe, out;
        probe.id = id;
        if (!files->schedule().fetch(ScheduleKey::keyId, probe, out).ok()) return std::nullopt;
        return out;
    }
    Task addTask(std::int32_t id, std::string_view category, std::string_view description, StdDate date) {
        TableUse use(*files, TableId::schedule);
        Task s;
        s.id = id;
        s.category = category;
        s.description = description;
        s.date = date;
        s.time = 6300001;
        EXPECT_TRUE(files->schedule().add(s).ok());
        return s;
    }
    Category addCategory(std::string_view name) {
        TableUse use(*files, TableId::categories);
        Category c;
        c.category = name;
        EXPECT_TRUE(files->categories().add(c).ok());
        return c;
    }
    std::int64_t count(TableId id) {
        TableUse use(*files, id);
        const store::Result<std::int64_t> count = files->table(id).records();
        EXPECT_TRUE(count.ok()) << count.status;
        return count.value;
    }
    // What the engine's timer does to a task while a form is open: it moves it on.
    void engineMovesOn(std::int32_t id, StdDate to) {
        TableUse use(*files, TableId::schedule);
        Task s = *storedTask(id);
        s.date = to;
        s.lastRunDate = to - 1;
        ASSERT_TRUE(files->schedule().put(s).ok());
    }
    void expectAllReleased() {
        for (int i = 0; i < kTableCount; ++i) EXPECT_EQ(files->useCount(static_cast<TableId>(i)), 0) << i;
    }
};

// ---------------------------------------------------------------------------------------------------------
// Insert

TEST_F(UpdateFormTest, GivenAToDoInsertThenTheItemStartsBlankWithPriority5AndOkAddsIt) {
    ToDo leftOver;
    leftOver.todo = "from an earlier read";
    leftOver.done = 1;
    ToDoForm form(*files, Request::insert, leftOver);
    ASSERT_TRUE(form.start());
    EXPECT_EQ(form.actionTitle(), "Adding a Todo Record");
    EXPECT_EQ(form.record().priority, 5);
    EXPECT_EQ(form.record().done, 0);
    EXPECT_TRUE(form.record().todo.empty());

    form.record().todo = "Buy stamps";
    EXPECT_EQ(form.complete(), FormStep::close);
    EXPECT_EQ(form.finish(), Response::completed);
    EXPECT_EQ(count(TableId::toDo), 1);
    expectAllReleased();
}

TEST_F(UpdateFormTest, GivenACategoryInsertOfAnExistingNameInOtherLetterCaseThenWarning24AndTheFormStays) {
    addCategory("Work");
    Category fresh;
    fresh.category = "WORK";
    CategoryForm form(*files, Request::insert, fresh);
    ASSERT_TRUE(form.start());
    EXPECT_EQ(form.actionTitle(), "Adding a Categories Record");
    EXPECT_EQ(form.complete(), FormStep::stay);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Duplicate Key Error");
    EXPECT_EQ(messages.last().text, "Adding this record creates a duplicate entry for the key:Category");

    form.record().category = "Home";
    EXPECT_EQ(form.complete(), FormStep::close);
    EXPECT_EQ(form.finish(), Response::completed);
    EXPECT_EQ(count(TableId::categories), 2);
}

TEST_F(UpdateFormTest, GivenACategoryNamedByBlanksOnlyThenOkRefusesItAsANewNameAndAsARename) {
    const Category work = addCategory("Work");
    for (const Request request : {Request::insert, Request::change}) {
        CategoryForm form(*files, request, request == Request::insert ? Category{} : work);
        ASSERT_TRUE(form.start());
        form.record().category = " \t ";
        EXPECT_EQ(form.complete(), FormStep::stay);
        EXPECT_EQ(messages.last().text, "You must enter a category name!");
        EXPECT_EQ(form.finish(), Response::cancelled);
    }
    EXPECT_EQ(messages.count(), 2u);
    EXPECT_EQ(count(TableId::categories), 1);
}

TEST_F(UpdateFormTest, GivenATaskInsertThenItIsNumberedAtOnceAndOkWritesItOverItsReservation) {
    addTask(4, "Work", "Existing", 71000);
    Task primed;
    primed.category = "Work";
    ScheduleForm form(*files, Request::insert, primed);
    ASSERT_TRUE(form.start());
    EXPECT_EQ(form.actionTitle(), "Adding a Schedule Record");
    EXPECT_EQ(form.record().id, 5);
    EXPECT_EQ(form.record().category, "Work");
    EXPECT_TRUE(storedTask(5).has_value());  // reserved from the start

    form.record().description = "New task";
    form.record().date = 71622;
    EXPECT_EQ(form.complete(), FormStep::close);
    EXPECT_EQ(form.finish(), Response::completed);
    const auto stored = storedTask(5);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, form.record());
    EXPECT_EQ(count(TableId::schedule), 2);
    expectAllReleased();
}

struct EndingCase {
    const char* how;
    std::function<void(ScheduleForm&)> end;
};

TEST_F(UpdateFormTest, GivenTheFirstTaskInsertWhenTheFormEndsWithoutOkThenTheReservationGoesAndNumber1IsFreeAgain) {
    const EndingCase endings[] = {
        {"Cancel", [](ScheduleForm& f) { f.cancel(); f.finish(); }},
        {"close box", [](ScheduleForm& f) { f.finish(); }},
        {"program closing", [](ScheduleForm&) {}},  // the destructor ends it
    };
    for (const auto& e : endings) {
        {
            ScheduleForm form(*files, Request::insert, Task{});
            ASSERT_TRUE(form.start()) << e.how;
            EXPECT_EQ(form.record().id, 1) << e.how;
            form.record().description = "Never saved";
            e.end(form);
        }
        EXPECT_EQ(count(TableId::schedule), 0) << e.how;
        expectAllReleased();
    }
}

TEST_F(UpdateFormTest, GivenATaskInsertWhoseNumberWasTakenMeanwhileThenWarning24NamesTheKeyById) {
    addTask(1, "", "first", 0);
    ScheduleForm form(*files, Request::insert, Task{});
    ASSERT_TRUE(form.start());
    ASSERT_EQ(form.record().id, 2);
    form.record().id = 1;  // as a window bound to SCH:ID could do
    EXPECT_EQ(form.complete(), FormStep::stay);
    EXPECT_EQ(messages.captions(), std::vector<std::string>{"Duplicate Key Error"});
    EXPECT_EQ(messages.last().text, "Adding this record creates a duplicate entry for the key:By System ID");
}

TEST_F(UpdateFormTest, GivenAnInsertThatFailsOtherwiseThenWarning14QuotesTheFailure) {
    ScheduleForm form(*files, Request::insert, Task{});
    ASSERT_TRUE(form.start());
    // Somebody deleted the reservation: the write-back has no row to go to.
    {
        TableUse use(*files, TableId::schedule);
        ASSERT_TRUE(removeReservedTask(*files, form.record()).ok());
    }
    EXPECT_EQ(form.complete(), FormStep::stay);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Record Insert Error");
    EXPECT_EQ(messages.last().text.rfind("An error was experienced during the update of record.  Error: ", 0), 0u);
    EXPECT_EQ(messages.last().text.find("(0)"), std::string::npos) << "E names the write's failure";
}

// ---------------------------------------------------------------------------------------------------------
// Delete

TEST_F(UpdateFormTest, GivenADeleteRequestThenWarning32ConfirmsAndOnlyOkDeletes) {
    const Task s = addTask(1, "Work", "Report", 71622);
    {
        ScheduleForm form(*files, Request::remove, s);
        EXPECT_FALSE(form.start());  // no window
        EXPECT_EQ(form.finish(), Response::cancelled);
    }
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Confirm Delete");
    EXPECT_EQ(messages.last().defaultButton, platform::kCancel);
    EXPECT_TRUE(storedTask(1).has_value());

    messages.answer(platform::kOk);
    ScheduleForm form(*files, Request::remove, s);
    EXPECT_FALSE(form.start());
    EXPECT_EQ(form.finish(), Response::completed);
    EXPECT_FALSE(storedTask(1).has_value());
    expectAllReleased();
}

TEST_F(UpdateFormTest, GivenARefusedDeleteThenWarning18OffersToTryAgainUntilTheUserGivesUp) {
    const Category work = addCategory("Work");
    addTask(1, "Work", "Report", 71622);
    messages.answer({platform::kOk, platform::kOk, platform::kYes, platform::kOk, platform::kNo});
    CategoryForm form(*files, Request::remove, work);
    EXPECT_FALSE(form.start());
    EXPECT_EQ(form.finish(), Response::cancelled);
    EXPECT_EQ(messages.captions(),
              (std::vector<std::string>{"Confirm Delete", "Referential Integrity Delete Error", "Record Update Error",
                                        "Referential Integrity Delete Error", "Record Update Error"}));
    EXPECT_EQ(messages.last().text, "An error was experienced deleting this record.  Do you want to try to save again?");
    EXPECT_EQ(count(TableId::categories), 1);
}

TEST_F(UpdateFormTest, GivenADeleteThatFailsOnceWhenTheUserTriesAgainThenItIsDeletedWithoutANewConfirmation) {
    const Category work = addCategory("Work");
    addTask(1, "Work", "Report", 71622);
    messages.answer({platform::kOk, platform::kOk, platform::kYes});
    messages.onShow = [&](const platform::MessageBoxRequest& r) {
        if (r.caption != "Record Update Error") return;
        TableUse use(*files, TableId::schedule);
        ASSERT_TRUE(deleteTaskRecord(*files, *storedTask(1)).ok());  // the user removed the task meanwhile
    };
    CategoryForm form(*files, Request::remove, work);
    EXPECT_FALSE(form.start());
    EXPECT_EQ(form.finish(), Response::completed);
    EXPECT_EQ(count(TableId::categories), 0);
    const auto captions = messages.captions();
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "Confirm Delete"), 1);
}

// ---------------------------------------------------------------------------------------------------------
// Change

TEST_F(UpdateFormTest, GivenAChangeThenOkSavesTheFormsCopy) {
    const Task s = addTask(1, "Work", "Report", 71622);
    ScheduleForm form(*files, Request::change, s);
    ASSERT_TRUE(form.start());
    EXPECT_EQ(form.actionTitle(), "Changing a Schedule Record");
    form.record().description = "Monthly report";
    EXPECT_EQ(form.complete(), FormStep::close);
    EXPECT_EQ(form.finish(), Response::completed);
    EXPECT_EQ(storedTask(1)->description, "Monthly report");
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(UpdateFormTest, GivenTheEngineMovedTheTaskOnWhileTheFormWasOpenWhenSavedThenTheOldDateIsNotWrittenBack) {
    const Task s = addTask(1, "Work", "Report", 71622);
    ScheduleForm form(*files, Request::change, s);
    ASSERT_TRUE(form.start());
    form.record().description = "Edited while due";
    engineMovesOn(1, 71623);  // a tick between opening and saving

    // Cancel on kWarnRecordUpdateError: the form stays open with the user's edit; nothing is written.
    EXPECT_EQ(form.complete(), FormStep::stay);
    EXPECT_EQ(messages.captions(), (std::vector<std::string>{"Update Operation Error", "Record Update Error"}));
    EXPECT_EQ(messages.requests()[0].text, "This record was changed by another station.");
    EXPECT_EQ(form.record().description, "Edited while due");
    EXPECT_EQ(storedTask(1)->date, 71623);
    EXPECT_EQ(storedTask(1)->description, "Report");

    // Yes on kWarnRecordUpdateError: saved on top of the engine's change; both survive.
    messages.clear();
    messages.answer(platform::kOk);
    messages.answer(platform::kYes);
    EXPECT_EQ(form.complete(), FormStep::close);
    EXPECT_EQ(form.finish(), Response::completed);
    const Task stored = *storedTask(1);
    EXPECT_EQ(stored.description, "Edited while due");
    EXPECT_EQ(stored.date, 71623);
    EXPECT_EQ(stored.lastRunDate, 71622);
}

TEST_F(UpdateFormTest, GivenTheEngineMovedTheTaskOnWhenTheUserAlsoChangedTheDateThenTheUsersDateIsSaved) {
    const Task s = addTask(1, "Work", "Report", 71622);
    ScheduleForm form(*files, Request::change, s);
    ASSERT_TRUE(form.start());
    form.record().date = 71700;
    engineMovesOn(1, 71623);
    messages.answer({platform::kOk, platform::kYes});
    EXPECT_EQ(form.complete(), FormStep::close);
    EXPECT_EQ(storedTask(1)->date, 71700);
    EXPECT_EQ(storedTask(1)->lastRunDate, 71622);  // the engine's stamp is kept
}

TEST_F(UpdateFormTest, GivenAFailedChangeWhenTheUserAnswersNoThenTheFormClosesCancelledWithoutSaving) {
    const Task s = addTask(1, "Work", "Report", 71622);
    ScheduleForm form(*files, Request::change, s);
    ASSERT_TRUE(form.start());
    form.record().description = "Lost on purpose";
    engineMovesOn(1, 71623);
    messages.answer({platform::kOk, platform::kNo});
    EXPECT_EQ(form.complete(), FormStep::close);
    EXPECT_EQ(form.finish(), Response::cancelled);
    EXPECT_EQ(storedTask(1)->description, "Report");
    EXPECT_EQ(storedTask(1)->date, 71623);
}

TEST_F(UpdateFormTest, GivenTheTaskWasDeletedWhileTheFormWasOpenWhenTheUserKeepsTryingThenNothingIsRecreated) {
    const Task s = addTask(1, "Work", "Once", 71622);
    ScheduleForm form(*files, Request::change, s);
    ASSERT_TRUE(form.start());
    {
        TableUse use(*files, TableId::schedule);
        ASSERT_TRUE(deleteTaskRecord(*files, s).ok());  // a finished "Once" task
    }
    messages.answer({platform::kOk, platform::kYes, platform::kOk, platform::kCancel});
    EXPECT_EQ(form.complete(), FormStep::stay);
    EXPECT_EQ(messages.count(), 4u);
    EXPECT_EQ(count(TableId::schedule), 0);
}

TEST_F(UpdateFormTest, GivenACategoryRenameWhileTasksUseItThenWarning12And16AndYesSavesTheOldName) {
    const Category work = addCategory("Work");
    addTask(1, "Work", "Report", 71622);
    CategoryForm form(*files, Request::change, work);
    ASSERT_TRUE(form.start());
    EXPECT_EQ(form.snapshot(), "Work");
    EXPECT_EQ(form.actionTitle(), "Changing a Categories Record");
    form.record().category = "Office";
    messages.answer({platform::kOk, platform::kCancel});
    EXPECT_EQ(form.complete(), FormStep::stay);
    EXPECT_EQ(messages.captions(),
              (std::vector<std::string>{"Referential Integrity Update Error", "Record Update Error"}));
    EXPECT_EQ(form.record().category, "Work");  // the old name is shown again

    // Refused again (kWarnReferentialUpdateError), then Yes on kWarnRecordUpdateError saves the old name.
    messages.clear();
    form.record().category = "Office";
    messages.answer({platform::kOk, platform::kYes});
    EXPECT_EQ(form.complete(), FormStep::close);
    EXPECT_EQ(form.finish(), Response::completed);
    TableUse use(*files, TableId::categories);
    Category stored;
    ASSERT_TRUE(files->categories().setToStart(CategoryKey::keyCategory).ok());
    ASSERT_TRUE(files->categories().next(stored).ok());
    EXPECT_EQ(stored.category, "Work");
}

TEST_F(UpdateFormTest, GivenAFormOpenThenItHoldsItsTablesAndReleasesThemAtTheEnd) {
    const Category work = addCategory("Work");
    {
        CategoryForm form(*files, Request::change, work);
        ASSERT_TRUE(form.start());
        EXPECT_EQ(files->useCount(TableId::categories), 1);
        EXPECT_EQ(files->useCount(TableId::schedule), 1);
        form.cancel();
        EXPECT_EQ(form.finish(), Response::cancelled);
        expectAllReleased();
        EXPECT_EQ(form.finish(), Response::cancelled);  // a second end changes nothing
    }
    expectAllReleased();
}

}  // namespace
}  // namespace tarvelo
