// Windows the frame starts open inside its document area; the Window menu arranges them.
#include "widgets/child_window.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QTest>
#include <gtest/gtest.h>

#include "core/settings.h"
#include "app/main_frame.h"
#include "widgets/date_edit.h"
#include "placement_expect.h"
#include "qt_environment.h"
#include "engine/windows/qt_message_windows.h"

namespace tarvelo {
namespace {

void deleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QAction* windowMenuEntry(app::MainFrame& frame, const char* text) {
    for (QAction* menu : frame.menuBar()->actions()) {
        if (menu->text() != "&Window") continue;
        for (QAction* entry : menu->menu()->actions())
            if (entry->text() == text) return entry;
    }
    return nullptr;
}

class ChildWindowTest : public ::testing::Test {
protected:
    ChildWindowTest() {
        test::clearIniFiles();
        frame.resize(900, 600);
        frame.show();
    }
    engine::MessageWindow* openMessage(const std::string& text) {
        engine::MessageWindow* opened = nullptr;
        auto c = QObject::connect(&windows, &engine::QtMessageWindows::opened, [&](engine::MessageWindow* w) { opened = w; });
        windows.open(text);
        QObject::disconnect(c);
        return opened;
    }
    QMdiArea& area() { return *frame.mdiArea(); }

    Settings settings;
    app::MainFrame frame{settings};
    engine::QtMessageWindows windows{frame.mdiArea(), {}};
};

TEST_F(ChildWindowTest, messageWindowOpensInsideTheFrameAtItsDesignedSize) {
    engine::MessageWindow* window = openMessage("Dentist at 3");
    ASSERT_EQ(area().subWindowList().size(), 1);
    QMdiSubWindow* sub = area().subWindowList()[0];
    EXPECT_EQ(sub->widget(), window);
    EXPECT_EQ(sub->windowTitle().toStdString(), "Message");
    EXPECT_EQ(window->size(), widgets::dialogSize(*window, 185, 92));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ChildWindowTest, windowOpenedBesideAnotherLandsInsideTheDocumentAreaWithoutScrollBars) {
    // GIVEN the frame at its first-start size with a large window open at the top left
    frame.resize(750, 510);
    QApplication::processEvents();
    auto* browse = new QWidget;
    browse->resize(660, 360);
    widgets::openChildWindow(area(), browse);
    // WHEN a message window opens
    openMessage("Water the plants");
    // THEN it lies wholly inside the visible area, so the area has no scroll bar
    const QRect visible = area().viewport()->rect();
    for (QMdiSubWindow* sub : area().subWindowList())
        EXPECT_TRUE(visible.contains(sub->geometry())) << sub->windowTitle().toStdString();
    EXPECT_FALSE(area().horizontalScrollBar()->isVisible());
    EXPECT_FALSE(area().verticalScrollBar()->isVisible());
}

TEST_F(ChildWindowTest, windowNeverResizedOpensAtTheSizeItsLayoutAsksFor) {
    // A dialog made with a parent starts at a child widget's tiny default size, as the wizards do.
    auto* window = new QDialog(&frame);
    auto* layout = new QVBoxLayout(window);
    auto* button = new QPushButton(QStringLiteral("A button with a long caption"));
    button->setMinimumHeight(120);
    layout->addWidget(button);
    widgets::openChildWindow(area(), window);
    EXPECT_GE(window->width(), window->sizeHint().width());
    EXPECT_GE(window->height(), window->sizeHint().height());
}

TEST_F(ChildWindowTest, aLetterUnderlinedInBothTheMenuAndTheActiveWindowGoesToTheWindow) {
    // GIVEN a child window whose controls share letters with the frame's menus (&Reports, &Window, &File)
    auto* window = new QWidget;
    auto* layout = new QVBoxLayout(window);
    auto* runNow = new QPushButton(QStringLiteral("&Run Now"));
    auto* tabs = new QTabWidget;
    tabs->addTab(new QWidget, QStringLiteral("&Task"));
    tabs->addTab(new QWidget, QStringLiteral("&When"));
    auto* file = new QLineEdit;
    auto* fileLabel = new QLabel(QStringLiteral("&File to play:"));
    fileLabel->setBuddy(file);
    auto* other = new QLineEdit;
    for (QWidget* w : std::initializer_list<QWidget*>{runNow, tabs, fileLabel, file, other}) layout->addWidget(w);
    widgets::openChildWindow(area(), window);
    QApplication::setActiveWindow(&frame);
    other->setFocus();
    QSignalSpy clicked(runNow, &QPushButton::clicked);

    // WHEN each shared letter is typed with Alt, THEN the window's control acts and no menu opens
    QTest::keyClick(other, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicked.count() == 1; }, 1000));
    EXPECT_EQ(frame.menuBar()->activeAction(), nullptr);
    QTest::keyClick(other, Qt::Key_W, Qt::AltModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    QTest::keyClick(other, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(file->hasFocus());
    EXPECT_EQ(frame.menuBar()->activeAction(), nullptr);
}

TEST_F(ChildWindowTest, aButtonPressedByItsLetterTakesTheEntryBeingTypedInFirst) {
    // GIVEN a child window with a date typed but not left, and a button whose letter the menu shares
    auto* window = new QWidget;
    auto* layout = new QVBoxLayout(window);
    auto* date = new widgets::DateEdit;
    auto* runNow = new QPushButton(QStringLiteral("&Run Now"));
    layout->addWidget(date);
    layout->addWidget(runNow);
    widgets::openChildWindow(area(), window);
    QApplication::setActiveWindow(&frame);
    std::vector<std::string> order;
    QObject::connect(date, &widgets::DateEdit::accepted, [&order] { order.push_back("accepted"); });
    QObject::connect(runNow, &QPushButton::clicked, [&order] { order.push_back("clicked"); });
    date->setFocus();
    QTest::keyClicks(date, QStringLiteral("6/14/1996"));

    // WHEN Alt+R is typed, THEN the date is taken before the button acts
    QTest::keyClick(date, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&order] { return order.size() == 2; }, 1000));
    EXPECT_EQ(order, (std::vector<std::string>{"accepted", "clicked"}));
    EXPECT_EQ(date->date(), dateFromYmd(1996, 6, 14));
}

TEST_F(ChildWindowTest, closingEitherTheWindowOrItsSubWindowClosesBoth) {
    QPointer<engine::MessageWindow> first = openMessage("one");
    QPointer<engine::MessageWindow> second = openMessage("two");
    QTest::mouseClick(first->okButton(), Qt::LeftButton);  // the window closes itself
    deleteClosedWindows();
    deleteClosedWindows();
    EXPECT_TRUE(first.isNull());
    ASSERT_EQ(area().subWindowList().size(), 1);

    area().subWindowList()[0]->close();  // the sub-window's close box
    deleteClosedWindows();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(area().subWindowList().size(), 0);
    EXPECT_EQ(windows.openCount(), 0);
}

TEST_F(ChildWindowTest, tileAndCascadeArrangeTheChildWindows) {
    openMessage("one");
    openMessage("two");
    const auto subs = area().subWindowList();
    windowMenuEntry(frame, "T&ile")->trigger();
    EXPECT_FALSE(subs[0]->geometry().intersects(subs[1]->geometry()));
    windowMenuEntry(frame, "&Cascade")->trigger();
    EXPECT_TRUE(subs[0]->geometry().intersects(subs[1]->geometry()));
    EXPECT_NE(subs[0]->geometry().topLeft(), subs[1]->geometry().topLeft());
}

TEST_F(ChildWindowTest, arrangeIconsLinesUpMinimizedWindowsAlongTheBottom) {
    openMessage("one");
    openMessage("two");
    for (QMdiSubWindow* sub : area().subWindowList()) sub->showMinimized();
    windowMenuEntry(frame, "&Arrange Icons")->trigger();
    const auto subs = area().subWindowList(QMdiArea::CreationOrder);
    EXPECT_EQ(subs[0]->y(), subs[1]->y());
    EXPECT_EQ(subs[0]->geometry().bottom(), area().viewport()->rect().bottom());
    EXPECT_EQ(subs[0]->x(), 0);
    EXPECT_EQ(subs[1]->x(), subs[0]->width());
}

TEST_F(ChildWindowTest, childWindowReopensWhereItsSubWindowWasClosed) {
    openMessage("one");
    QMdiSubWindow* sub = area().subWindowList()[0];
    sub->setGeometry(120, 80, 420, 260);
    const QRect closedAt = sub->geometry();
    sub->close();
    deleteClosedWindows();

    openMessage("two");
    test::expectWithinOneUnit(area().subWindowList()[0]->geometry(), closedAt, *area().subWindowList()[0]);
}

}  // namespace
}  // namespace tarvelo
