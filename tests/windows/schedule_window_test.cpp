// BrowseSchedule through its widgets: with the forms it runs faked, then once along the whole road of a
// task with the program's own forms, frame and engine.
#include "data/windows/schedule_window.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "core/profile.h"
#include "data/windows/category_windows.h"
#include "engine/scheduler.h"
#include "app/frame_schedule.h"
#include "app/main_frame.h"
#include "app/scheduler_driver.h"
#include "fakes/browse_builders.h"
#include "fakes/case_names.h"
#include "fakes/fake_platform.h"
#include "modal_step.h"
#include "qt_environment.h"
#include "data/tags.h"
#include "tasks/windows/update_schedule.h"
#include "widgets/page_list_view.h"

namespace tarvelo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using test::scheduled;

StdDate oct(int d) { return dateFromYmd(1996, 10, d); }
StdDate nov(int d) { return dateFromYmd(1996, 11, d); }
StdTime at(int h, int m) { return timeFromHms(h, m, 0); }

// The descriptions on the list's page, the highlighted one in brackets.
std::vector<std::string> shown(BrowseList& list) {
    std::vector<std::string> out;
    for (int row = 0; row < list.entryCount(); ++row) {
        const std::string d = list.cell(row, 4).text;
        out.push_back(row == list.highlighted() ? "[" + d + "]" : d);
    }
    return out;
}

std::vector<std::string> tabTexts(QTabBar* tabs) {
    std::vector<std::string> texts;
    for (int i = 0; i < tabs->count(); ++i) texts.push_back(tabs->tabText(i).toStdString());
    return texts;
}

void press(QPushButton* button) {
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << button->text().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

class ScheduleWindowTest : public ::testing::Test {
protected:
    struct FormCall {
        Request request;
        Task task;
        std::string day;
    };

    ScheduleWindowTest() : folder(test::freshFolder("schedule_window")), files(warn, folder) {
        test::clearIniFiles();
        services.taskForm = [this](Request request, Task& task, std::string_view day, QWidget*) {
            formCalls.push_back({request, task, std::string(day)});
            return formAnswer ? formAnswer(request, task) : Response::cancelled;
        };
        services.specialEvent = [this](const Task& source, Task& event, QWidget*) {
            rescheduled.push_back(source);
            event = add(scheduled("Special " + source.description.text(), nov(20), at(9, 0)));
            return Response::completed;
        };
        services.calendar = [this](StdDate day, QWidget*) {
            calendarOpenedOn.push_back(day);
            return calendarAnswer;
        };
        services.isTagged = [this](std::int64_t row) { return tagged.count(row) > 0; };
        services.runNow = [this](Task& task, QWidget*) { ranNow.push_back(task); };
    }

    Task add(Task task) {
        const TableUse use(files, TableId::schedule);
        Task highest;
        auto table = files.schedule();
        task.id = table.setToEnd(ScheduleKey::keyId).ok() && table.previous(highest).ok() ? highest.id + 1 : 1;
        EXPECT_TRUE(table.add(task).ok());
        return task;
    }
    // Tags a task as the search does: in the tag file, and for the per-row test.
    void tag(const Task& task) {
        const TableUse use(files, TableId::tagFile);
        Tag t;
        t.table = 1;
        t.position = static_cast<std::int32_t>(task.ref.rowId);
        t.value = std::to_string(task.id);
        EXPECT_TRUE(files.tags().add(t).ok());
        tagged.insert(task.ref.rowId);
    }
    void put(Task& task) {
        const TableUse use(files, TableId::schedule);
        EXPECT_TRUE(files.schedule().put(task).ok());
    }
    BrowseScheduleWindow& open() {
        window = std::make_unique<BrowseScheduleWindow>(services);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }
    void selectTab(ScheduleTab tab) { window->tabs()->setCurrentIndex(static_cast<int>(tab)); }
    std::vector<std::string> shown() { return tarvelo::shown(window->browse()); }

    std::string folder;
    test::FakePlatform fake{nullptr, {oct(31), at(12, 0)}};
    test::FakeMessageBox& messages = fake.messages;
    DataWarning warn{fake};
    DataFiles files;
    ListServices lists{files};
    test::FakeClock& clock = fake.clock;
    Settings settings;
    ScheduleBrowseServices services{lists, fake, settings};

    std::vector<FormCall> formCalls;
    std::function<Response(Request, Task&)> formAnswer;
    std::vector<Task> rescheduled;
    std::vector<StdDate> calendarOpenedOn;
    StdDate calendarAnswer = 0;
    std::set<std::int64_t> tagged;
    std::vector<Task> ranNow;
    std::unique_ptr<BrowseScheduleWindow> window;
};

TEST_F(ScheduleWindowTest, GivenAnEmptyDayThenOnlyInsertAndEachTabsOwnButtonAreOfferedUntilADayWithTasksIsSelected) {
    add(scheduled("Dentist", nov(2), at(9, 30)));
    add(scheduled("Gym", nov(2), at(7, 0)));
    open();

    EXPECT_EQ(window->windowTitle().toStdString(), "Browse the Schedule");
    EXPECT_THAT(tabTexts(window->tabs()), ElementsAre("Oct 31, 1996", "All by Date", "All by Category", "Selected"));
    EXPECT_EQ(window->closeButton()->text().toStdString(), "Cl&ose");
    EXPECT_EQ(window->helpButton(), nullptr);
    EXPECT_TRUE(window->panel()->insertButton()->isEnabled());
    for (QPushButton* b : {window->panel()->changeButton(), window->panel()->deleteButton(), window->rescheduleButton(),
                           window->runNowButton()}) {
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    }
    // Each tab shows its own button only.
    const auto visible = [&] {
        return std::vector<bool>{window->selectDayButton()->isVisible(), window->selectCategoryButton()->isVisible(),
                                 window->searchButton()->isVisible()};
    };
    EXPECT_THAT(visible(), ElementsAre(true, false, false));
    selectTab(ScheduleTab::allByCategory);
    EXPECT_THAT(visible(), ElementsAre(false, true, false));
    selectTab(ScheduleTab::selected);
    EXPECT_THAT(visible(), ElementsAre(false, false, true));
    EXPECT_FALSE(window->searchButton()->isEnabled()) << "no search to run";

    // WHEN another day is chosen in the calendar
    selectTab(ScheduleTab::daySchedule);
    calendarAnswer = nov(2);
    press(window->selectDayButton());
    // THEN the tab is captioned with it and lists its tasks, and a new task starts on it
    EXPECT_THAT(calendarOpenedOn, ElementsAre(oct(31)));
    EXPECT_EQ(window->tabs()->tabText(0).toStdString(), "Nov 2, 1996");
    EXPECT_THAT(shown(), ElementsAre("[Gym]", "Dentist"));
    EXPECT_TRUE(window->runNowButton()->isEnabled());
    press(window->panel()->insertButton());
    ASSERT_EQ(formCalls.size(), 1u);
    EXPECT_EQ(formCalls[0].request, Request::insert);
    EXPECT_EQ(formCalls[0].day, std::to_string(nov(2)));
}

TEST_F(ScheduleWindowTest, GivenAChosenCategoryWhenAnInsertCompletesThenTheTaskStartsInItAndIsHighlighted) {
    for (const char* name : {"Home", "Work"}) {
        const TableUse use(files, TableId::categories);
        Category c = test::categoryNamed(name);
        ASSERT_TRUE(files.categories().add(c).ok());
    }
    add(scheduled("Audit", nov(4), at(9, 0), "Work"));
    add(scheduled("Rent", nov(1), at(9, 0), "Home"));
    open();
    selectTab(ScheduleTab::allByCategory);
    EXPECT_THAT(shown(), IsEmpty()) << "no category chosen yet";

    // WHEN "Work" is picked in the category list
    test::whenModal<SelectCategoriesWindow>([](SelectCategoriesWindow& picker) {
        picker.list().scroll(platform::ListScroll::rowDown);
        picker.selectButton()->click();
    });
    press(window->selectCategoryButton());
    EXPECT_THAT(shown(), ElementsAre("[Audit]"));
    EXPECT_EQ(window->tabs()->tabText(static_cast<int>(ScheduleTab::allByCategory)).toStdString(), "Work")
        << "the tab names its category, as the day tab names its day";

    // WHEN a task is inserted there
    formAnswer = [this](Request, Task& task) {
        task.description = "Budget";
        task.date = nov(9);
        task = add(task);
        return Response::completed;
    };
    press(window->panel()->insertButton());

    // THEN the form got it in the category, and the list shows it highlighted
    ASSERT_EQ(formCalls.size(), 1u);
    EXPECT_EQ(formCalls[0].task.category.text(), "Work");
    EXPECT_THAT(shown(), ElementsAre("Audit", "[Budget]"));
}

TEST_F(ScheduleWindowTest, GivenTheHighlightedTaskChangedElsewhereThenEachActionWorksOnItAsStored) {
    Task tea = add(scheduled("Tea", oct(31), at(16, 0)));
    open();
    tea.description = "Tea and cake";
    put(tea);

    press(window->panel()->changeButton());
    press(window->runNowButton());
    press(window->rescheduleButton());

    ASSERT_EQ(formCalls.size(), 1u);
    EXPECT_EQ(formCalls[0].request, Request::change);
    EXPECT_EQ(formCalls[0].task.description.text(), "Tea and cake");
    ASSERT_EQ(ranNow.size(), 1u);
    EXPECT_EQ(ranNow[0].description.text(), "Tea and cake");
    ASSERT_EQ(rescheduled.size(), 1u);
    EXPECT_EQ(rescheduled[0].description.text(), "Tea and cake");
    // The special event is on Nov 20: not on this tab, so the list shows its last page.
    EXPECT_THAT(shown(), ElementsAre("[Tea and cake]"));
}

TEST_F(ScheduleWindowTest, GivenTheEngineChangedTheTableThenTheListFollowsAtOnceOrOnceNoModalWindowIsUp) {
    for (const char* d : {"A", "B", "C"}) add(scheduled(d, oct(31), at(8, 0) + static_cast<StdTime>(d[0]) * 6000));
    open();
    window->browse().scroll(platform::ListScroll::rowDown);
    ASSERT_THAT(shown(), ElementsAre("A", "[B]", "C"));

    // WHEN the engine moves B to the end of the day, and says so
    Task b;
    ASSERT_TRUE(window->browse().highlightedTask(b).ok());
    b.time = at(23, 0);
    put(b);
    window->tableChanged();
    QTest::qWait(20);
    // THEN the list follows within the tick, B still highlighted
    EXPECT_THAT(shown(), ElementsAre("A", "C", "[B]"));

    // WHEN it changes again while a box is up
    test::whenModal<QDialog>([&](QDialog& box) {
        b.time = at(7, 0);
        put(b);
        window->tableChanged();
        QTest::qWait(50);
        EXPECT_THAT(shown(), ElementsAre("A", "C", "[B]")) << "not under a modal window";
        box.reject();
    });
    QDialog box(window.get());
    box.exec();
    QTest::qWait(600);
    EXPECT_THAT(shown(), ElementsAre("[B]", "A", "C"));
}

TEST_F(ScheduleWindowTest, GivenASearchThatTaggedTasksWhenItEndsThenTheSelectedTabShowsThem) {
    const Task a = add(scheduled("A", nov(5), at(8, 0)));
    add(scheduled("B", nov(1), at(8, 0)));
    ScheduleBrowseServices::SearchEnded searchEnded;
    services.search = [&](ScheduleBrowseServices::SearchEnded ended) { searchEnded = std::move(ended); };
    open();
    selectTab(ScheduleTab::selected);
    ASSERT_THAT(shown(), IsEmpty());

    // WHEN the search (a window of its own) tags A and ends
    press(window->searchButton());
    ASSERT_TRUE(searchEnded);
    tag(a);
    searchEnded(Response::none, Task{});  // a selection answers minus the count found

    // THEN the list is read afresh
    EXPECT_THAT(shown(), ElementsAre("[A]"));

    // AND a search that ends after the browse has closed is not heard
    press(window->searchButton());
    window.reset();
    searchEnded(Response::completed, a);
}

// --- Which task the next action acts on ----------------------------------------------------------

// T1 to T14 in date order: T1 to T6 today, T7 to T9 on Nov 2, the rest a day apart after; every third is in
// "Work" and tagged. Each case highlights a task and changes what the list shows, with the user's keys
// and clicks; then Alt+R runs the task highlighted.
class ScheduleActsOnTest;
struct ActsOnCase {
    const char* name;
    std::function<void(ScheduleActsOnTest&)> steps;
    const char* runs;
};
void PrintTo(const ActsOnCase& c, std::ostream* os) { *os << c.name; }

class ScheduleActsOnTest : public ScheduleWindowTest, public ::testing::WithParamInterface<ActsOnCase> {
public:
    void key(Qt::Key k, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(window->panel()->view()->table(), k);
    }
    void clickTab(ScheduleTab tab) {
        QTest::mouseClick(window->tabs(), Qt::LeftButton, {}, window->tabs()->tabRect(static_cast<int>(tab)).center());
    }
    // T9 on "All by Date" as a user gets there: End, then Up five times.
    void highlightT9ByDate() {
        clickTab(ScheduleTab::allByDate);
        key(Qt::Key_End);
        key(Qt::Key_Up, 5);
    }
    void selectDay(StdDate day) {
        calendarAnswer = day;
        press(window->selectDayButton());
    }
    void pickWork() {
        test::whenModal<SelectCategoriesWindow>([](SelectCategoriesWindow& picker) {
            picker.list().scroll(platform::ListScroll::rowDown);
            picker.selectButton()->click();
        });
        press(window->selectCategoryButton());
    }
};

TEST_P(ScheduleActsOnTest, GivenAHighlightedTaskWhenTheListShowsOtherTasksThenRunNowPerformsTheOneHighlighted) {
    for (const char* name : {"Home", "Work"}) {
        const TableUse use(files, TableId::categories);
        Category c = test::categoryNamed(name);
        ASSERT_TRUE(files.categories().add(c).ok());
    }
    for (int n = 1; n <= 14; ++n) {
        const StdDate day = n <= 6 ? oct(31) : n <= 9 ? nov(2) : nov(n - 7);
        const bool work = n % 3 == 0;
        const std::string description = "T" + std::to_string(n) + (work ? " Work" : "");
        const Task task = add(scheduled(description, day, at(8, 0) + n * 6000, work ? "Work" : "Home"));
        if (work) tag(task);
    }
    open().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    GetParam().steps(*this);
    window->activateWindow();  // back from the windows the steps opened
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_R, Qt::AltModifier);
    QTest::qWait(200);  // the press completes the entry left first, then the click runs
    ASSERT_EQ(ranNow.size(), 1u);
    EXPECT_EQ(ranNow[0].description.text(), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Task, ScheduleActsOnTest,
    ::testing::Values(
        ActsOnCase{"SelectedTabAfterAllByDate",
                   [](ScheduleActsOnTest& s) {
                       s.highlightT9ByDate();
                       s.clickTab(ScheduleTab::selected);
                   },
                   "T9 Work"},
        ActsOnCase{"AllByDateAfterSelected",
                   [](ScheduleActsOnTest& s) {
                       s.clickTab(ScheduleTab::selected);
                       s.key(Qt::Key_Down);
                       s.clickTab(ScheduleTab::allByDate);
                   },
                   "T6 Work"},
        ActsOnCase{"AllByCategoryAfterAllByDate",
                   [](ScheduleActsOnTest& s) {
                       s.clickTab(ScheduleTab::allByCategory);
                       s.pickWork();
                       s.highlightT9ByDate();
                       s.clickTab(ScheduleTab::allByCategory);
                   },
                   "T9 Work"},
        ActsOnCase{"SelectDayOntoAShorterDayHighlightsItsFirst",
                   [](ScheduleActsOnTest& s) {
                       s.key(Qt::Key_Down, 4);
                       s.selectDay(nov(2));
                   },
                   "T7"}),
    test::NamedBy<&ActsOnCase::name>());

// --- The road of one task --------------------------------------------------------------------------

// The program's own parts as the desktop wires them, with the user's side faked.
class ScheduleRoadTest : public ::testing::Test {
protected:
    ScheduleRoadTest() : folder(test::freshFolder("schedule_road")), files(warn, folder), pellschd("PELLSCHD.INI", folder) {
        test::clearIniFiles();
        settings = startUpSettings();  // no INI file at all
        settings.programTitle = "Tarvelo '96";
        use.emplace(files, TableId::schedule);
    }

    std::string folder;
    test::FakePlatform fake{nullptr, {oct(31), at(12, 0)}};
    test::FakeMessageBox& messages = fake.messages;
    DataWarning warn{fake};
    DataFiles files;
    ProfileFile pellschd;
    std::optional<TableUse> use;
    Settings settings;
    test::FakeClock& clock = fake.clock;
    test::FakeMessageWindows& messageWindows = fake.messageWindows;
    platform::LoopRunner tagRunner;
    Tags tags{files, tagRunner};
    TaskFormServices taskForms{files, fake, {pellschd}};
    ListServices lists{files};
    ScheduleBrowseServices services = app::scheduleBrowseServices(lists, taskForms, settings, tags);
    Scheduler scheduler{files.schedule(), settings, fake};
};

TEST_F(ScheduleRoadTest, GivenAFirstStartWhenATaskIsInsertedThroughTheBrowseThenTheTickPerformsItAndTheListShowsBoth) {
    // GIVEN a first start: no INI file, so the browse opens with the frame
    ASSERT_EQ(settings.showScheduleAtStart, 1);
    app::MainFrame frame(settings);
    frame.show();
    app::driveScheduler(frame, scheduler, files.folder());
    scheduler.setChangeListener([&frame] { app::refreshScheduleLists(frame); });
    app::setScheduleCommands(frame, services);
    app::startScheduleAtStart(frame, settings, services);
    EXPECT_TRUE(frame.action(app::FrameCommand::browseSchedule)->isEnabled());
    ASSERT_EQ(frame.mdiArea()->subWindowList().size(), 1);
    auto* browse = qobject_cast<BrowseScheduleWindow*>(frame.mdiArea()->subWindowList()[0]->widget());
    ASSERT_NE(browse, nullptr);
    QTest::qWait(20);

    // WHEN "&Insert" opens the task form, a description is typed and OK pressed
    test::whenModal<UpdateScheduleForm>([](UpdateScheduleForm& form) {
        EXPECT_EQ(form.windowTitle().toStdString(), "Adding a Schedule Record");
        form.controls().task->description->setFocus();
        QTest::keyClicks(form.controls().task->description, "Water the plants");
        form.okButton()->click();
    });
    press(browse->panel()->insertButton());

    // THEN the new task is listed on today's tab, highlighted
    EXPECT_THAT(shown(browse->browse()), ElementsAre("[Water the plants]"));
    EXPECT_EQ(browse->browse().cell(0, 2).text, "12:00PM");

    // WHEN its time has passed and the frame's timer ticks
    clock.advance(6000);
    ASSERT_TRUE(frame.tick());
    QTest::qWait(20);

    // THEN it was performed, and the list shows the completed copy of the occurrence
    EXPECT_EQ(messageWindows.texts().size(), 1u);
    ASSERT_EQ(browse->browse().entryCount(), 1);
    EXPECT_EQ(browse->browse().cell(0, 0).icon, static_cast<int>(ScheduleIcon::done));
    // AND "All by Date" shows the copy and the task moved on to tomorrow
    browse->tabs()->setCurrentIndex(static_cast<int>(ScheduleTab::allByDate));
    ASSERT_EQ(browse->browse().entryCount(), 2);
    EXPECT_EQ(browse->browse().cell(0, 1).text, "Oct 31, 1996");
    EXPECT_EQ(browse->browse().cell(0, 0).icon, static_cast<int>(ScheduleIcon::done));
    EXPECT_EQ(browse->browse().cell(1, 1).text, "Nov 1, 1996");
    EXPECT_EQ(browse->browse().cell(1, 0).icon, static_cast<int>(ScheduleIcon::pending));
    EXPECT_EQ(browse->browse().cell(1, 4).text, "Water the plants");

    // WHEN the moved-on task is run now: performed again, kept in History, still due tomorrow
    browse->browse().click(1);
    press(browse->runNowButton());
    EXPECT_EQ(messageWindows.texts().size(), 2u);
    const TableUse history(files, TableId::history);
    EXPECT_EQ(files.history().records().value(), 1);
    EXPECT_EQ(browse->browse().cell(1, 1).text, "Nov 1, 1996");

    frame.closeDown();
}

}  // namespace
}  // namespace tarvelo
