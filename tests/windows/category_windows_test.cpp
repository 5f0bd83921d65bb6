// The category windows through their widgets: picking, the reference rules seen from the form, and the
// task list of a category.
#include "data/windows/category_windows.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "data/data_files.h"
#include "fakes/browse_builders.h"
#include "fakes/case_names.h"
#include "fakes/fake_ports.h"
#include "qt_environment.h"
#include "widgets/page_list_view.h"

namespace tarvelo {
namespace {

// A double-click on a row, as a user makes it: the first click highlights the row.
void doubleClickRow(QTableView* table, int row) {
    const QPoint at = table->visualRect(table->model()->index(row, 0)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
}

// Runs `step` on the modal window of type W once it is up, from inside its event loop.
template <class W, class Step>
void whenModal(Step step) {
    QTimer::singleShot(0, [step] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (window == nullptr) {
            ADD_FAILURE() << "the expected window is not up";
            if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
            return;
        }
        step(*window);
    });
}

class CategoryWindowsTest : public ::testing::Test {
protected:
    CategoryWindowsTest() : folder(test::freshFolder("category_windows")), files(warn, folder) {
        test::clearIniFiles();
        for (const char* name : {"Home", "Work", "Zoo"}) {
            const TableUse use(files, TableId::categories);
            Category c = test::categoryNamed(name);
            EXPECT_TRUE(files.categories().add(c).ok());
        }
        const TableUse use(files, TableId::schedule);
        Task task = test::taskIn("Work", "Weekly report", 1);
        EXPECT_TRUE(files.schedule().add(task).ok());
    }
    std::vector<std::string> categoryNames() {
        const TableUse use(files, TableId::categories);
        auto table = files.categories();
        EXPECT_TRUE(table.setToStart(CategoryKey::keyCategory).ok());
        std::vector<std::string> names;
        for (Category c; table.next(c).ok();) names.push_back(c.category.text());
        return names;
    }
    Category stored(const char* name) {
        const TableUse use(files, TableId::categories);
        Category key = test::categoryNamed(name), out;
        EXPECT_TRUE(files.categories().fetch(CategoryKey::keyCategory, key, out).ok());
        return out;
    }

    std::string folder;
    test::FakeMessageBox messages;
    test::FakeHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files;
    ListServices services{files};
};

TEST_F(CategoryWindowsTest, pickerSelectsOnlyWhenAskedToSelect) {
    {
        SelectCategoriesWindow browsing(Request::none, services);
        browsing.show();
        EXPECT_FALSE(browsing.selectButton()->isVisible());
        QTableView* table = browsing.panel()->view()->table();
        doubleClickRow(table, 1);
        EXPECT_TRUE(browsing.isVisible()) << "a double-click does nothing";
        EXPECT_FALSE(browsing.chosen());
    }
    whenModal<SelectCategoriesWindow>([](SelectCategoriesWindow& w) {
        EXPECT_TRUE(w.selectButton()->isVisible());
        EXPECT_TRUE(w.selectButton()->isDefault());
        QTableView* table = w.panel()->view()->table();
        doubleClickRow(table, 1);
    });
    const std::optional<Category> chosen = selectCategories(Request::select, services, nullptr);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->category, "Work");
}

TEST_F(CategoryWindowsTest, renameOfAUsedCategoryIsRefusedAndTheOldNameShownAgain) {
    whenModal<UpdateCategoriesDialog>([this](UpdateCategoriesDialog& form) {
        EXPECT_EQ(form.windowTitle().toStdString(), "Changing a Categories Record");
        form.categoryEntry()->setText("work");  // only the letter case: still a rename
        messages.answer(platform::kCancel);           // then stay in the form on kWarnRecordUpdateError
        form.okButton()->click();
        EXPECT_EQ(form.categoryEntry()->text().toStdString(), "Work");
        EXPECT_TRUE(form.isVisible());
        form.cancelButton()->click();
    });
    const auto outcome = updateCategories(Request::change, stored("Work"), services, nullptr);
    EXPECT_EQ(outcome.response, Response::cancelled);
    EXPECT_EQ(messages.captions(),
              (std::vector<std::string>{"Referential Integrity Update Error", "Record Update Error"}));
    EXPECT_EQ(categoryNames(), (std::vector<std::string>{"Home", "Work", "Zoo"}));
}

TEST_F(CategoryWindowsTest, deleteOfAUsedCategoryIsRefusedNamingTheScheduleFile) {
    messages.answer(platform::kOk);  // confirm the delete
    const auto outcome = updateCategories(Request::remove, stored("Work"), services, nullptr);
    EXPECT_EQ(outcome.response, Response::cancelled);
    ASSERT_GE(messages.count(), 2u);
    EXPECT_EQ(messages.requests()[1].text,
              "This record is referenced from the file Schedule.  This record cannot be deleted while these "
              "references exist.");
    EXPECT_EQ(categoryNames(), (std::vector<std::string>{"Home", "Work", "Zoo"}));

    messages.clear();
    messages.answer(platform::kOk);
    EXPECT_EQ(updateCategories(Request::remove, stored("Zoo"), services, nullptr).response, Response::completed);
    EXPECT_EQ(categoryNames(), (std::vector<std::string>{"Home", "Work"}));
}

TEST_F(CategoryWindowsTest, newCategoryInAnotherLetterCaseIsADuplicateAndTheFormStaysOpen) {
    whenModal<UpdateCategoriesDialog>([this](UpdateCategoriesDialog& form) {
        EXPECT_EQ(form.windowTitle().toStdString(), "Adding a Categories Record");
        EXPECT_EQ(form.tasks().entryCount(), 0) << "a new category shows no tasks";
        form.categoryEntry()->setText("HOME");
        form.okButton()->click();
        EXPECT_TRUE(form.isVisible());
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.last().text, "Adding this record creates a duplicate entry for the key:Category");
        form.categoryEntry()->setText("Hobby");
        form.okButton()->click();
    });
    EXPECT_EQ(updateCategories(Request::insert, {}, services, nullptr).response, Response::completed);
    EXPECT_EQ(categoryNames(), (std::vector<std::string>{"Hobby", "Home", "Work", "Zoo"}));
}

TEST_F(CategoryWindowsTest, taskListFollowsTheNameAndItsInsertStartsATaskInThatCategory) {
    Task started;
    services.taskForm = [&](Request request, Task& task, QWidget*) {
        EXPECT_EQ(request, Request::insert);
        started = task;
        return Response::cancelled;
    };
    whenModal<UpdateCategoriesDialog>([](UpdateCategoriesDialog& form) {
        form.tabs()->setCurrentIndex(1);
        EXPECT_EQ(form.tasks().entryCount(), 1);
        EXPECT_EQ(form.tasks().cell(0, 2).text, "Weekly report");
        form.categoryEntry()->setText("Zoo");
        emit form.categoryEntry()->editingFinished();  // moving on from the name
        EXPECT_EQ(form.tasks().entryCount(), 0);
        form.taskPanel()->insertButton()->click();
        form.cancelButton()->click();
    });
    updateCategories(Request::change, stored("Work"), services, nullptr);
    EXPECT_EQ(started.category, "Zoo");
}

TEST_F(CategoryWindowsTest, theTasksOfACategoryShowTheirTypesWhole) {
    CategoryTasksWindow window("Work", services);
    window.show();
    QTableView* table = window.panel()->view()->table();
    EXPECT_GT(table->columnWidth(4), table->fontMetrics().horizontalAdvance(QStringLiteral("Display Message")));
    EXPECT_GT(table->columnWidth(5), table->fontMetrics().horizontalAdvance(QStringLiteral("Day of Month")));
}

TEST_F(CategoryWindowsTest, thePickersPopupMenuOffersNothingItCannotDo) {
    SelectCategoriesWindow picker(Request::select, services);
    picker.show();
    EXPECT_EQ(std::unique_ptr<QMenu>(picker.panel()->view()->makePopupMenu()), nullptr);
    BrowseCategoriesWindow browse(services);
    browse.show();
    std::unique_ptr<QMenu> menu(browse.panel()->view()->makePopupMenu());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().size(), 3);
}

// --- The form by keyboard and mouse --------------------------------------------------------------------

// Each case types a name into a new category's form and goes on by keys and clicks; the form then shows
// whether it is still open (the name keeping the focus) or how it ended, with the messages shown.
struct CategoryRoadCase {
    const char* name;
    const char* typed;
    std::function<void(UpdateCategoriesDialog&)> then;
    const char* outcome;
};
void PrintTo(const CategoryRoadCase& c, std::ostream* os) { *os << c.name; }

class CategoryFormRoadTest : public CategoryWindowsTest, public ::testing::WithParamInterface<CategoryRoadCase> {};

TEST_P(CategoryFormRoadTest, GivenATypedNameThenEachKeyOrClickEndsTheFormAsItShows) {
    std::string outcome;
    whenModal<UpdateCategoriesDialog>([&](UpdateCategoriesDialog& form) {
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QTest::keyClicks(form.categoryEntry(), QString::fromUtf8(GetParam().typed));
        GetParam().then(form);
        QTest::qWait(20);
        if (form.isVisible()) {
            outcome = QApplication::focusWidget() == form.categoryEntry() ? "open on the name, " : "open, ";
            form.cancelButton()->click();
        }
    });
    const auto result = updateCategories(Request::insert, {}, services, nullptr);
    outcome += result.response == Response::completed ? "completed" : "cancelled";
    for (const auto& m : messages.requests()) outcome += ", " + m.text;
    EXPECT_EQ(outcome, GetParam().outcome);
}

void keyOn(QWidget* to, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(to, k, modifiers); }

INSTANTIATE_TEST_SUITE_P(
    Categories, CategoryFormRoadTest,
    ::testing::Values(
        CategoryRoadCase{"EnterInTheName", "Hobby", [](auto& f) { keyOn(f.categoryEntry(), Qt::Key_Return); }, "completed"},
        CategoryRoadCase{"KeypadEnterOnTheTaskList", "Hobby",
                         [](UpdateCategoriesDialog& f) {
                             f.tabs()->setCurrentIndex(1);
                             keyOn(f.taskPanel()->view()->table(), Qt::Key_Enter, Qt::KeypadModifier);
                         },
                         "completed"},
        CategoryRoadCase{"BlankNameRefused", "   ", [](auto& f) { QTest::mouseClick(f.okButton(), Qt::LeftButton); },
                         "open on the name, cancelled, You must enter a category name!"},
        CategoryRoadCase{"CancelButton", "Hobby", [](auto& f) { test::clickThroughWindow(*f.cancelButton()); },
                         "cancelled"},
        CategoryRoadCase{"Escape", "Hobby", [](auto& f) { keyOn(f.categoryEntry(), Qt::Key_Escape); }, "cancelled"},
        CategoryRoadCase{"CloseBox", "Hobby", [](auto& f) { f.close(); }, "cancelled"}),
    test::NamedBy<&CategoryRoadCase::name>());

}  // namespace
}  // namespace tarvelo
