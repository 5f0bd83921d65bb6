// The list widget over a real to-do table: its model under Qt's model tester, as many rows as fit,
// the keys, the thumb bar and the popup menu.
#include "widgets/page_list_view.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include "data/browse_list.h"
#include "data/data_files.h"
#include "data/todo_list.h"
#include "fakes/browse_builders.h"
#include "fakes/fake_ports.h"
#include "qt_environment.h"
#include "window_fixture.h"
#include "widgets/page_list_model.h"
#include "widgets/window_placement.h"

namespace tarvelo {
namespace {

// Collects what Qt's model tester reports.
std::vector<std::string>& testerComplaints() {
    static std::vector<std::string> complaints;
    return complaints;
}

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) testerComplaints().push_back(message.toStdString());
}

class PageListViewTest : public test::WindowDataTest {
protected:
    PageListViewTest()
        : WindowDataTest("page_list_view"), use(files, TableId::toDo),
          list(files.table(TableId::toDo), warn, toDoBrowseConfig()) {}

    void addItems(int count) {
        store::Transaction tx;
        ASSERT_TRUE(tx.begin({&files.table(TableId::toDo)}).ok());
        for (int i = 0; i < count; ++i) {
            ToDo item = test::toDoItem("Item " + std::string{static_cast<char>('A' + i / 26), static_cast<char>('A' + i % 26)});
            ASSERT_TRUE(files.toDo().add(item).ok());
        }
        ASSERT_TRUE(tx.commit().ok());
    }
    // The view at a height of `rows` rows, opened on the "To Do" order.
    widgets::PageListView& open(int rows) {
        view = std::make_unique<widgets::PageListView>(list, programColumns(), std::vector<QIcon>{});
        const int rowHeight = view->table()->verticalHeader()->defaultSectionSize();
        view->resize(400, view->table()->horizontalHeader()->sizeHint().height() + rows * rowHeight + 2 * view->table()->frameWidth() + 1);
        view->show();
        list.resetSort(static_cast<int>(ToDoOrder::todo));
        return *view;
    }
    static std::vector<ListColumn> programColumns() { return *parseListFormat(kToDoListFormat); }
    std::string highlightedText() const { return list.cell(list.highlighted(), 2).text; }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(view->table(), static_cast<Qt::Key>(key), modifiers);
    }

    TableUse use;
    BrowseList list;
    std::unique_ptr<widgets::PageListView> view;
};

TEST_F(PageListViewTest, modelKeepsQtsContractThroughScrollingResizingAndDeleting) {
    addItems(30);
    open(8);
    testerComplaints().clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    {
        QAbstractItemModelTester tester(view->model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        for (auto action : {platform::ListScroll::pageDown, platform::ListScroll::rowDown, platform::ListScroll::bottom, platform::ListScroll::top})
            list.scroll(action);
        view->resize(view->width(), view->height() / 2);  // fewer rows
        view->resize(view->width(), view->height() * 3);  // more rows than items left
        ToDo last = RecordTable<ToDo>::fromRow(list.current());
        ASSERT_TRUE(files.toDo().erase(last).ok());
        list.afterForm(Request::remove, Response::completed, {});
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(testerComplaints(), std::vector<std::string>{});
}

TEST_F(PageListViewTest, holdsExactlyTheRowsThatFitAndRefillsWhenResized) {
    addItems(30);
    open(8);
    EXPECT_EQ(list.rowCount(), 8);
    EXPECT_EQ(view->model()->rowCount(), 8);
    EXPECT_TRUE(view->thumbBar()->isVisible());

    view->resize(view->width(), view->height() + 4 * view->table()->verticalHeader()->defaultSectionSize());
    EXPECT_EQ(list.rowCount(), 12);
    EXPECT_EQ(view->model()->rowCount(), 12);
}

TEST_F(PageListViewTest, hidesTheScrollBarWhenEveryRecordFits) {
    addItems(3);
    open(8);
    EXPECT_EQ(view->model()->rowCount(), 3);
    EXPECT_FALSE(view->thumbBar()->isVisible());
}

TEST_F(PageListViewTest, keysScrollThePage) {
    addItems(30);
    open(8);
    for (int i = 0; i < 8; ++i) press(Qt::Key_Down);
    EXPECT_EQ(highlightedText(), "Item AI");
    EXPECT_EQ(list.cell(0, 2).text, "Item AB");  // the page moved by one
    press(Qt::Key_End);
    EXPECT_EQ(highlightedText(), "Item BD");
    EXPECT_EQ(view->thumbBar()->value(), list.thumb());
    press(Qt::Key_Home);
    EXPECT_EQ(highlightedText(), "Item AA");
    EXPECT_EQ(view->thumbBar()->value(), 0);
    press(Qt::Key_PageDown);
    EXPECT_EQ(highlightedText(), "Item AI");
}

TEST_F(PageListViewTest, clickingARowHighlightsItAndLoadsIt) {
    addItems(5);
    open(8);
    const QRect third = view->table()->visualRect(view->model()->index(2, 2));
    QTest::mouseClick(view->table()->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(list.highlighted(), 2);
    EXPECT_EQ(RecordTable<ToDo>::fromRow(list.current()).todo, "Item AC");
}

TEST_F(PageListViewTest, thumbBarPagesAndDragsThroughTheList) {
    addItems(30);
    open(8);
    view->thumbBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(list.cell(0, 2).text, "Item AI");
    view->thumbBar()->setSliderDown(true);
    view->thumbBar()->setSliderPosition(100);
    view->thumbBar()->setSliderDown(false);  // let go: the drag is taken
    EXPECT_EQ(highlightedText(), "Item BD");
}

TEST_F(PageListViewTest, insertKeyActsOnAnEmptyPageButChangeAndDeleteDoNot) {
    open(8);
    QSignalSpy pressed(view.get(), &widgets::PageListView::buttonRequested);
    press(Qt::Key_Delete);
    press(Qt::Key_Return, Qt::ControlModifier);
    press(Qt::Key_Insert);
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).value<platform::ListButton>(), platform::ListButton::insert);

    std::unique_ptr<QMenu> menu(view->makePopupMenu());
    std::vector<std::pair<std::string, bool>> items;
    for (QAction* a : menu->actions()) items.emplace_back(a->text().toStdString(), a->isEnabled());
    EXPECT_EQ(items, (std::vector<std::pair<std::string, bool>>{{"&Insert", true}, {"&Change", false}, {"&Delete", false}}));
}

TEST_F(PageListViewTest, keysAndPopupPressTheirButtonsWhenThePageHasEntries) {
    addItems(2);
    open(8);
    QSignalSpy pressed(view.get(), &widgets::PageListView::buttonRequested);
    press(Qt::Key_Return, Qt::ControlModifier);
    press(Qt::Key_Delete);
    std::unique_ptr<QMenu> menu(view->makePopupMenu());
    menu->actions().at(1)->trigger();
    ASSERT_EQ(pressed.count(), 3);
    EXPECT_EQ(pressed.at(0).at(0).value<platform::ListButton>(), platform::ListButton::change);
    EXPECT_EQ(pressed.at(1).at(0).value<platform::ListButton>(), platform::ListButton::remove);
    EXPECT_EQ(pressed.at(2).at(0).value<platform::ListButton>(), platform::ListButton::change);
}

TEST_F(PageListViewTest, showsTheFormatsHeadingsAndWidths) {
    addItems(1);
    open(8);
    const auto* model = view->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString().toStdString(), "");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString().toStdString(), "Priority");
    EXPECT_EQ(model->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(model->data(model->index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    // as wide as the format says, and never so narrow that the heading or a value is cut
    const QFontMetrics metrics = view->table()->horizontalHeader()->fontMetrics();
    EXPECT_GE(view->table()->columnWidth(1), widgets::dialogWidth(*view, 22));
    EXPECT_GT(view->table()->columnWidth(1), metrics.horizontalAdvance(QStringLiteral("Priority")));
}

TEST_F(PageListViewTest, theColumnWithTheLongestTextTakesTheRoomAWiderWindowGives) {
    // GIVEN a format whose long text column stands before a short one
    addItems(1);
    view = std::make_unique<widgets::PageListView>(
        list, *parseListFormat("10C(1)|*I@s1@60L|M*~To Do~@s40@22C(1)|M*~Priority~R@n2@"), std::vector<QIcon>{});
    view->resize(400, 200);
    view->show();
    QApplication::processEvents();
    const int text = view->table()->columnWidth(1);
    const int number = view->table()->columnWidth(2);
    // WHEN the window grows
    view->resize(600, 200);
    QApplication::processEvents();
    // THEN the text column takes the room and the last one keeps its width
    EXPECT_EQ(view->table()->columnWidth(1), text + 200);
    EXPECT_EQ(view->table()->columnWidth(2), number);
}

TEST_F(PageListViewTest, aCellThatCutsItsTextShowsItInFullAsItsToolTip) {
    const std::string longText = "Renew the car insurance before it lapses";
    {
        store::Transaction tx;
        ASSERT_TRUE(tx.begin({&files.table(TableId::toDo)}).ok());
        for (ToDo item : {test::toDoItem(longText), test::toDoItem("Bake")})
            ASSERT_TRUE(files.toDo().add(item).ok());
        ASSERT_TRUE(tx.commit().ok());
    }
    open(4);
    view->resize(260, view->height());
    QApplication::processEvents();
    QTableView* table = view->table();
    const auto tipAt = [&](int row) {
        const QRect cell = table->visualRect(table->model()->index(row, 2));
        QHelpEvent help(QEvent::ToolTip, cell.center(), table->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(table->viewport(), &help);
        const std::string tip = QToolTip::isVisible() ? QToolTip::text().toStdString() : "";
        QToolTip::hideText();
        return tip;
    };
    // in "To Do" order: "Bake", then the long text
    EXPECT_EQ(tipAt(0), "") << "a text the cell shows whole needs no tip";
    EXPECT_EQ(tipAt(1), longText);
}

}  // namespace
}  // namespace tarvelo
