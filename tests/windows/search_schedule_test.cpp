// The search window driven through its widgets: criteria, Begin Search, Select and the response; the
// found-record prompt and "&Edit This" saving as the task form does.
#include "search/windows/search_schedule.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "app/main_frame.h"
#include "core/profile.h"
#include "core/settings.h"
#include "data/data_files.h"
#include "fakes/case_names.h"
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_search.h"
#include "qt_environment.h"
#include "search/windows/qbe_task_dialog.h"

namespace tarvelo::search {
namespace {

const SearchField& field(const char* name) { return *searchFieldNamed(name); }

class SearchScheduleTest : public testing::Test {
protected:
    SearchScheduleTest()
        : dataFolder(test::freshFolder("search-schedule")),
          files(warn, dataFolder),
          pellschd("PELLSCHD.INI", dataFolder),
          services{files, messages, dialog, sound, clock, pellschd} {
        test::clearIniFiles();
        TableUse use(files, TableId::schedule);
        const char* descriptions[] = {"Backup disk", "Call home", "backup mail", "Pay rent", "BACKUP photos"};
        for (int id = 1; id <= 5; ++id)
            test::addTask(files, test::TaskRow(id).with("SCH:DESCRIPTION", std::string(descriptions[id - 1])).with("SCH:DATE", 80000 + id));
    }

    SearchScheduleWindow& open() {
        sub = startSearchSchedule(&area, Request::search, services, tags, [this](int r, const Task&) { response = r; });
        EXPECT_NE(sub, nullptr);
        area.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&area));
        return *qobject_cast<SearchScheduleWindow*>(sub->widget());
    }
    static void saveShot(QWidget& w, const char* name) {
        if (const char* dir = std::getenv("TARVELO_SCREENSHOT_DIR"))
            w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
    }
    // Types into an entry and leaves it with Tab, as a user completes a field.
    static void type(QLineEdit* entry, const char* text) {
        entry->setFocus();
        entry->selectAll();
        QTest::keyClicks(entry, QString::fromUtf8(text));
        QTest::keyClick(entry, Qt::Key_Tab);
    }
    // Presses a button of the next modal dialog once it is open (within two seconds).
    template <class Dialog>
    static void whenOpen(std::function<void(Dialog&)> act) {
        auto* poll = new QTimer(qApp);
        auto waited = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, waited, act] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!d && ++*waited < 400) return;
            poll->stop();
            poll->deleteLater();
            ASSERT_NE(d, nullptr);
            act(*d);
        });
        poll->start(5);
    }

    // Runs act once the window shows a found task (its Begin Search has become "&Find Next").
    static void whenFound(SearchScheduleWindow& w, std::function<void()> act) {
        auto* poll = new QTimer(&w);
        QObject::connect(poll, &QTimer::timeout, poll, [&w, poll, act] {
            if (w.beginSearchButton()->text() != QStringLiteral("&Find Next")) return;
            poll->stop();
            poll->deleteLater();
            act();
        });
        poll->start(5);
    }

    std::string dataFolder;
    test::FakeMessageBox messages;
    test::FakeHalt halt;
    DataWarning warn{messages, halt};
    DataFiles files;
    ProfileFile pellschd;
    test::FakeFileDialog dialog;
    test::FakeSound sound;
    test::FakeClock clock{{dateFromYmd(1996, 6, 12), timeFromHms(12, 0)}};
    TaskFormServices services;
    test::ScriptedRunner runner;
    Tags tags{files, runner};
    QMdiArea area;
    QMdiSubWindow* sub = nullptr;
    int response = 0;
};

TEST_F(SearchScheduleTest, criteriaThenBeginSearchThenSelectRespondsMinusTheCount) {
    // GIVEN the search window with "backup" typed into the description
    SearchScheduleWindow& w = open();
    EXPECT_EQ(w.windowTitle().toStdString(), "Enter Search Criteria");
    EXPECT_FALSE(w.okButton()->isVisible());
    type(w.controls().task->description, "backup");
    EXPECT_EQ(w.indicator(field("description"))->text().toStdString(), "\u2192");
    // WHEN Begin Search is pressed and Select chosen
    whenOpen<QbeTaskDialog>([](QbeTaskDialog& d) {
        EXPECT_FALSE(d.unselectButton()->isVisible());
        d.selectButton()->click();
    });
    w.beginSearchButton()->click();
    // THEN the three backups are selected and the window ends with -3
    EXPECT_EQ(response, -3);
    EXPECT_EQ(tags.countTags(kScheduleTable), 3);
    EXPECT_EQ(messages.count(), 0u);
}

// Alt+B presses Begin Search without the focus change of a click; the criterion still being typed once
// went unseen ("You must specify at least one search field!").
TEST_F(SearchScheduleTest, aCriterionTypedButNotLeftCountsWhenAltBBeginsTheSearch) {
    // GIVEN "backup" typed into the description, the focus still there
    SearchScheduleWindow& w = open();
    area.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&area));
    QLineEdit* description = w.controls().task->description;
    description->setFocus();
    QTest::keyClicks(description, QStringLiteral("backup"));
    // WHEN Alt+B begins the search and Select is chosen
    whenOpen<QbeTaskDialog>([](QbeTaskDialog& d) { d.selectButton()->click(); });
    QTest::keyClick(description, Qt::Key_B, Qt::AltModifier);
    // THEN the three backups are selected
    EXPECT_TRUE(QTest::qWaitFor([this] { return response != 0; }, 2000));
    EXPECT_EQ(response, -3);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(SearchScheduleTest, aValueGivesItsFieldTheDefaultTypeShownLeftOfTheField) {
    SearchScheduleWindow& w = open();
    w.controls().task->taskTypes[2]->click();
    w.tabs()->setCurrentIndex(3);
    w.controls().when->ordinals[0]->click();
    type(w.controls().when->every, "2");
    for (const char* name : {"tasktype", "every1st", "every"}) {
        QLabel* indicator = w.indicator(field(name));
        EXPECT_EQ(indicator->text().toStdString(), "=") << name;
        const QWidget* control = w.fieldControl(field(name));
        EXPECT_LE(indicator->geometry().right(), control->x()) << name;
        EXPECT_GE(indicator->x(), 0) << name;
    }
    EXPECT_EQ(w.indicator(field("sunday"))->text().toStdString(), "") << "untouched fields have none";
    for (int tab = 0; tab < w.tabs()->count(); ++tab) {
        w.tabs()->setCurrentIndex(tab);
        saveShot(w, ("search-tab-" + std::to_string(tab) + ".png").c_str());
    }
}

TEST_F(SearchScheduleTest, editThisTurnsTheWindowIntoTheTaskFormThatSavesTheTask) {
    // GIVEN the backups searched for with Edit
    SearchScheduleWindow& w = open();
    type(w.controls().task->description, "backup");
    whenOpen<QbeTaskDialog>([](QbeTaskDialog& d) { d.editButton()->click(); });
    // WHEN the first is passed over with Find Next and the second edited
    whenFound(w, [&w] {
        EXPECT_EQ(w.controls().task->description->text().toStdString(), "Backup disk");
        EXPECT_TRUE(w.controls().task->description->isReadOnly()) << "a found task is shown read-only";
        w.beginSearchButton()->click();
        whenFound(w, [&w] {
            EXPECT_EQ(w.controls().task->description->text().toStdString(), "backup mail");
            w.searchTypeButton()->click();
        });
    });
    w.beginSearchButton()->click();
    // THEN the window is the task form on that task, and OK saves it
    ASSERT_FALSE(w.inSearchMode());
    EXPECT_TRUE(w.okButton()->isVisible());
    EXPECT_FALSE(w.beginSearchButton()->isVisible());
    EXPECT_EQ(w.windowTitle().toStdString(), "Changing a Schedule Record");
    type(w.controls().task->description, "Backup mail weekly");
    w.okButton()->click();
    EXPECT_EQ(response, static_cast<int>(Response::completed));
    TableUse use(files, TableId::schedule);
    Task probe, stored;
    probe.id = 3;
    ASSERT_TRUE(files.schedule().fetch(ScheduleKey::keyId, probe, stored).ok());
    EXPECT_EQ(stored.description.text(), "Backup mail weekly");
}

TEST_F(SearchScheduleTest, searchTypeWithoutAFieldAsksForOne) {
    SearchScheduleWindow& w = open();
    QTest::mouseClick(w.searchTypeButton(), Qt::LeftButton);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, "You must select a data field first!");
    EXPECT_EQ(messages.last().caption, "");
}

TEST_F(SearchScheduleTest, escapeCancelsTheSearchAsTheCancelButtonDoes) {
    SearchScheduleWindow& w = open();
    w.activateWindow();
    QTest::keyClick(w.controls().task->description, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_EQ(response, static_cast<int>(Response::cancelled));
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(SearchScheduleTest, opensWhollyInsideTheFramesDocumentAreaAtItsFirstStartSize) {
    // GIVEN the frame at the size it has when no INI file says otherwise
    Settings settings;
    app::MainFrame frame(settings);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    // WHEN the search window opens in it
    QMdiSubWindow* opened = startSearchSchedule(frame.mdiArea(), Request::search, services, tags, {});
    ASSERT_NE(opened, nullptr);
    QApplication::processEvents();
    // THEN every control of it shows without scrolling the area
    EXPECT_TRUE(frame.mdiArea()->viewport()->rect().contains(opened->geometry()))
        << opened->height() << " high in an area " << frame.mdiArea()->viewport()->height() << " high";
    EXPECT_FALSE(frame.mdiArea()->verticalScrollBar()->isVisible());
    EXPECT_FALSE(frame.mdiArea()->horizontalScrollBar()->isVisible());
    opened->close();
}

// --- Enter and the default button -------------------------------------------------------------------

// Each case gives the window keys and clicks; Enter presses "&Begin Search" while criteria are entered
// and "&OK" once "&Edit This" made the window the task form. The window ends with its response, the
// messages shown on the way after it.
struct SearchKeysCase {
    const char* name;
    std::function<void(SearchScheduleWindow&)> steps;
    const char* outcome;
};
void PrintTo(const SearchKeysCase& c, std::ostream* os) { *os << c.name; }

class SearchKeysTest : public SearchScheduleTest, public testing::WithParamInterface<SearchKeysCase> {
public:
    using SearchScheduleTest::whenFound;
    using SearchScheduleTest::whenOpen;
};

// Keys go where the focus is, else to the window.
QWidget* keyTarget() { return QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow(); }
void enter(Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(keyTarget(), modifiers & Qt::KeypadModifier ? Qt::Key_Enter : Qt::Key_Return, modifiers);
}
void typeStaying(QLineEdit* entry, const char* text) {
    entry->setFocus();
    entry->selectAll();
    QTest::keyClicks(entry, QString::fromUtf8(text));
}
// "backup" searched for with Edit; on the first task found, press(w) takes it to edit.
void editFirstBackup(SearchScheduleWindow& w, const std::function<void(SearchScheduleWindow&)>& press) {
    typeStaying(w.controls().task->description, "backup");
    SearchKeysTest::whenOpen<QbeTaskDialog>([](QbeTaskDialog& d) { d.editButton()->click(); });
    SearchKeysTest::whenFound(w, [&w, press] {
        QLineEdit* description = w.controls().task->description;
        EXPECT_TRUE(description->isEnabled() && description->isReadOnly()) << "shown read-only, in its own colours";
        QTest::keyClicks(description, QStringLiteral("x"));
        QCheckBox* warn = w.controls().advanced->warn;
        const bool warned = warn->isChecked();
        QTest::mouseClick(warn, Qt::LeftButton, {}, QPoint(6, warn->height() / 2));
        EXPECT_EQ(description->text().toStdString() + (warn->isChecked() == warned ? "" : " changed"), "Backup disk");
        w.window()->activateWindow();  // back from the task dialog
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.window()));
        press(w);
    });
    enter();
    QTest::qWait(20);
    typeStaying(w.controls().task->description, "Backup disk weekly");
}

TEST_P(SearchKeysTest, GivenTheSearchWindowThenEnterPressesTheDefaultButtonWhateverCameBefore) {
    SearchScheduleWindow& w = open();
    area.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&area));
    GetParam().steps(w);
    EXPECT_TRUE(QTest::qWaitFor([this] { return response != 0; }, 2000));
    std::string outcome = "response " + std::to_string(response);
    for (const auto& m : messages.requests()) outcome += ", " + m.text;
    EXPECT_EQ(outcome, GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Search, SearchKeysTest,
    testing::Values(
        SearchKeysCase{"EnterInADescriptionTyped",
                       [](SearchScheduleWindow& w) {
                           typeStaying(w.controls().task->description, "backup");
                           SearchKeysTest::whenOpen<QbeTaskDialog>([](QbeTaskDialog& d) { d.selectButton()->click(); });
                           enter();
                       },
                       "response -3"},
        SearchKeysCase{"KeypadEnterAfterClickingACheckBox",
                       [](SearchScheduleWindow& w) {
                           w.tabs()->setCurrentIndex(4);
                           QCheckBox* disabled = w.controls().advanced->disabled;
                           QTest::mouseClick(disabled, Qt::LeftButton, {}, QPoint(6, disabled->height() / 2));
                           SearchKeysTest::whenOpen<QbeTaskDialog>([](QbeTaskDialog& d) { d.selectButton()->click(); });
                           enter(Qt::KeypadModifier);
                           QTest::qWait(20);
                           w.cancelButton()->click();
                       },
                       "response 2, There are no matching records!"},
        SearchKeysCase{"EnterWithoutCriteria",
                       [](SearchScheduleWindow& w) {
                           w.controls().task->description->setFocus();
                           enter();
                           QTest::keyClick(w.controls().task->description, Qt::Key_Escape);
                       },
                       "response 2, You must specify at least one search field!"},
        SearchKeysCase{"EnterAfterEditThisByItsLetter",
                       [](SearchScheduleWindow& w) {
                           editFirstBackup(w, [](SearchScheduleWindow&) {
                               QTest::keyClick(keyTarget(), Qt::Key_E, Qt::AltModifier);
                           });
                           enter();
                       },
                       "response 1"},
        SearchKeysCase{"EnterAfterClickingEditThis",
                       [](SearchScheduleWindow& w) {
                           editFirstBackup(w, [](SearchScheduleWindow& sw) {
                               QTest::mouseClick(sw.searchTypeButton(), Qt::LeftButton);
                           });
                           enter();
                       },
                       "response 1"}),
    test::NamedBy<&SearchKeysCase::name>());

}  // namespace
}  // namespace tarvelo::search
