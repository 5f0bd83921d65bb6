// ShowMessage windows, their count, and the to-do items they make; the splash.
#include "engine/windows/message_window.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "core/profile.h"
#include "data/data_files.h"
#include "engine/message_to_do.h"
#include "app/splash.h"
#include "fakes/fake_ports.h"
#include "placement_expect.h"
#include "qt_environment.h"
#include "engine/windows/qt_message_windows.h"
#include "widgets/window_placement.h"

namespace tarvelo {
namespace {

void deleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class MessageWindowTest : public ::testing::Test {
protected:
    void SetUp() override { test::clearIniFiles(); }

    engine::MessageWindow* openOne(const std::string& text) {
        engine::MessageWindow* opened = nullptr;
        auto connection = QObject::connect(&m_windows, &engine::QtMessageWindows::opened,
                                           [&](engine::MessageWindow* w) { opened = w; });
        m_windows.open(text);
        QObject::disconnect(connection);
        return opened;
    }

    std::vector<std::string> m_added;
    engine::QtMessageWindows m_windows{nullptr, [this](const std::string& m) { m_added.push_back(m); }};
};

TEST_F(MessageWindowTest, GivenAMessageWhenOpenedThenTheWindowShowsItsOwnCopyUnderItsCaptionAndButtons) {
    std::string text = "Dentist at 3\r\nBring the forms";
    engine::MessageWindow* window = openOne(text);
    ASSERT_NE(window, nullptr);
    text = "changed afterwards";
    EXPECT_EQ(window->message(), "Dentist at 3\r\nBring the forms");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle().toStdString(), "Message");
    EXPECT_EQ(window->okButton()->text().toStdString(), "&Ok");
    EXPECT_EQ(window->addToDoButton()->text().toStdString(), "&Add to To Do List");
    auto* box = window->findChild<QPlainTextEdit*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->toPlainText().toStdString(), "Dentist at 3\nBring the forms");
    EXPECT_EQ(box->statusTip().toStdString(), "Message to display");
    EXPECT_EQ(window->size(), widgets::dialogSize(*window, 185, 92));
    window->close();
    deleteClosedWindows();
}

TEST_F(MessageWindowTest, GivenTwoMessagesThenEachWindowKeepsItsOwnTextAndTheCountFollowsOpenWindows) {
    QPointer<engine::MessageWindow> first = openOne("first");
    QPointer<engine::MessageWindow> second = openOne("second");
    EXPECT_EQ(m_windows.openCount(), 2);
    EXPECT_EQ(first->message(), "first");
    EXPECT_EQ(second->message(), "second");

    QTest::mouseClick(first->okButton(), Qt::LeftButton);
    deleteClosedWindows();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(m_windows.openCount(), 1);

    delete second.data();  // gone another way (its parent went): still counted off
    EXPECT_EQ(m_windows.openCount(), 0);
}

TEST_F(MessageWindowTest, GivenAddToToDoPressedTwiceThenTwoItemsAreAddedAndTheWindowStaysOpen) {
    QPointer<engine::MessageWindow> window = openOne("Call the plumber about the leak under the kitchen sink");
    QTest::mouseClick(window->addToDoButton(), Qt::LeftButton);
    QTest::mouseClick(window->addToDoButton(), Qt::LeftButton);
    EXPECT_EQ(m_added, (std::vector<std::string>{"Call the plumber about the leak under the kitchen sink",
                                                 "Call the plumber about the leak under the kitchen sink"}));
    deleteClosedWindows();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    window->close();
    deleteClosedWindows();
}

TEST_F(MessageWindowTest, GivenAMessageWindowMovedAndClosedThenTheNextOneOpensWhereItWas) {
    engine::MessageWindow* window = openOne("one");
    window->setGeometry(210, 150, 400, 220);
    const QRect closedAt = window->geometry();
    window->close();
    deleteClosedWindows();
    EXPECT_NE(profileNumber(ProfileFile("Tarvelo96.INI").read("ShowMessage", "XPosit")), 0);

    engine::MessageWindow* next = openOne("two");
    test::expectWithinOneUnit(next->geometry(), closedAt, *next);
    next->close();
    deleteClosedWindows();
}

struct ToDoCase {
    const char* name;
    std::string message;
    std::string item;
};

class ToDoFromMessageTest : public ::testing::TestWithParam<ToDoCase> {};

TEST_P(ToDoFromMessageTest, GivenAMessageThenTheItemHoldsItsFirst40CharactersPriority5NotDone) {
    const ToDo item = engine::toDoFromMessage(GetParam().message);
    EXPECT_EQ(item.todo.text(), GetParam().item);
    EXPECT_EQ(item.priority, 5);
    EXPECT_EQ(item.done, 0);
}

INSTANTIATE_TEST_SUITE_P(
    MessageWindow, ToDoFromMessageTest,
    ::testing::Values(ToDoCase{"Short", "Water the plants", "Water the plants"},
                      ToDoCase{"Exactly40", std::string(40, 'x'), std::string(40, 'x')},
                      ToDoCase{"LongerIsCut", "Renew the passport before the trip to Lisbon in May",
                               "Renew the passport before the trip to Li"},
                      ToDoCase{"TrailingBlanksDropped", "Pay rent      ", "Pay rent"},
                      // 39 ASCII characters and a two-byte one: widths count characters, not bytes.
                      ToDoCase{"MultiByteCountsAsOne", std::string(39, 'a') + "é and more", std::string(39, 'a') + "é"},
                      ToDoCase{"Empty", "", ""},
                      ToDoCase{"LinesAndTabsBecomeBlanks", "Call Ann\r\nabout\tthe trip\n", "Call Ann about the trip"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageToDoStoreTest, GivenAddToToDoPressedTwiceThenTheToDoTableHoldsTwoItemsAndIsLetGo) {
    test::FakeMessageBox messages;
    test::FakeHalt halt;
    const DataWarning warn(messages, halt);
    DataFiles files(warn, test::freshFolder("message-todo"));
    const std::string message = "A message longer than forty characters, to be cut";
    engine::addMessageToDo(files, message);
    engine::addMessageToDo(files, message);
    EXPECT_EQ(files.useCount(TableId::toDo), 0);
    EXPECT_EQ(messages.count(), 0u);  // first use creates the table without a word

    const TableUse use(files, TableId::toDo);
    auto table = files.toDo();
    ASSERT_TRUE(table.setToStart(ToDoKey::keyToDo).ok());
    std::vector<ToDo> items;
    for (ToDo item; table.next(item).ok();) items.push_back(item);
    ASSERT_EQ(items.size(), 2u);
    for (const ToDo& item : items) {
        EXPECT_EQ(item.todo.text(), "A message longer than forty characters,");  // 40th is a blank
        EXPECT_EQ(item.priority, 5);
        EXPECT_EQ(item.done, 0);
    }
}

TEST(SplashTest, GivenTheSplashThenItClosesByItselfAfterAMoment) {
    QPointer<app::Splash> splash = app::Splash::start(nullptr, 80);
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(splash->textLine().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 2000));
}

TEST(SplashTest, GivenTheSplashWhenClickedThenItClosesAtOnce) {
    QPointer<app::Splash> splash = app::Splash::start(nullptr, 60000);
    QTest::mouseClick(splash.data(), Qt::LeftButton);
    deleteClosedWindows();
    EXPECT_TRUE(splash.isNull());
}

}  // namespace
}  // namespace tarvelo
