// The page-loaded list on a real data file: filling, scrolling, the thumb, sorts, ranges, and what
// happens around a form.
#include "data/browse_list.h"

#include <gtest/gtest.h>

#include <sstream>

#include "data/category_lists.h"
#include "data/record_maintenance.h"
#include "data/todo_list.h"
#include "fakes/data_fixture.h"
#include "fakes/browse_builders.h"

namespace tarvelo {
namespace {

using test::toDoItem;

// "Item AA" .. "Item BX" for 0..49: letters, so that text stops spread over them.
std::string itemCode(int i) { return {static_cast<char>('A' + i / 26), static_cast<char>('A' + i % 26)}; }

// Counts what the list reads through each source it opens.
struct ReadCounter {
    int sources = 0;
    int records = 0;   // over all sources
    int lastSourceReads = 0;
    int lastSourceRecords = 0;
};

class CountingSource : public PageSource {
public:
    CountingSource(std::unique_ptr<PageSource> inner, ReadCounter& counter) : m_inner(std::move(inner)), m_counter(counter) {
        ++m_counter.sources;
        m_counter.lastSourceReads = m_counter.lastSourceRecords = 0;
    }
    store::Status toStart() override { return m_inner->toStart(); }
    store::Status toEnd() override { return m_inner->toEnd(); }
    store::Status toValue(const store::Row& v) override { return m_inner->toValue(v); }
    store::Status resetTo(std::string_view p) override { return m_inner->resetTo(p); }
    store::Status read(Direction d, int count, std::vector<PageRecord>& out) override {
        const std::size_t before = out.size();
        const store::Status s = m_inner->read(d, count, out);
        const int n = static_cast<int>(out.size() - before);
        m_counter.records += n;
        ++m_counter.lastSourceReads;
        m_counter.lastSourceRecords += n;
        return s;
    }
    store::Status reread(std::string_view p, store::Row& out) override { return m_inner->reread(p, out); }

private:
    std::unique_ptr<PageSource> m_inner;
    ReadCounter& m_counter;
};

struct ObserverSpy : platform::PageListObserver {
    int changes = 0;
    int closes = 0;
    void pageChanged() override { ++changes; }
    void closeRequested() override { ++closes; }
};

class ToDoListTest : public test::DataTest {
protected:
    ToDoListTest() : use(*files, TableId::toDo) {}

    ToDo add(ToDo item) {
        EXPECT_TRUE(files->toDo().add(item).ok());
        return item;
    }
    void addItems(int count) {
        store::Transaction tx;  // one write for all
        ASSERT_TRUE(tx.begin({&files->table(TableId::toDo)}).ok());
        for (int i = 0; i < count; ++i) add(toDoItem("Item " + itemCode(i)));
        ASSERT_TRUE(tx.commit().ok());
    }
    BrowseList& open(int rows, ToDoOrder order = ToDoOrder::todo) {
        BrowseConfig config = toDoBrowseConfig();
        config.openSource = [this](store::Table& t, int key, KeyRange range) -> std::unique_ptr<PageSource> {
            return std::make_unique<CountingSource>(openViewSource(t, key, std::move(range)), reads);
        };
        list = std::make_unique<BrowseList>(files->table(TableId::toDo), warn, std::move(config));
        list->setObserver(&observer);
        list->setRowCount(rows);
        list->resetSort(static_cast<int>(order));
        return *list;
    }
    ToDo current() const { return RecordTable<ToDo>::fromRow(list->current()); }
    // The page as "AA..AJ @AC": the codes of its first and last item, and of the highlighted one.
    std::string page() const {
        if (list->entryCount() == 0) return "empty";
        const auto code = [&](int row) { return list->cell(row, 2).text.substr(5); };
        return code(0) + ".." + code(list->entryCount() - 1) + " @" + code(list->highlighted());
    }
    // The texts of the page in order, blank-separated.
    std::string texts() const {
        std::string out;
        for (int row = 0; row < list->entryCount(); ++row) out += (row ? " " : "") + list->cell(row, 2).text;
        return out;
    }
    // Runs actions given as words: down, up, pgdn, pgup, top, bottom, clickN, thumbN; "down*3" repeats.
    void perform(const std::string& actions) {
        std::istringstream words(actions);
        for (std::string word; words >> word;) {
            int times = 1;
            if (const auto star = word.find('*'); star != std::string::npos) {
                times = std::stoi(word.substr(star + 1));
                word.resize(star);
            }
            for (int i = 0; i < times; ++i) act(word);
        }
    }
    void act(const std::string& word) {
        if (word == "down") list->scroll(platform::ListScroll::rowDown);
        else if (word == "up") list->scroll(platform::ListScroll::rowUp);
        else if (word == "pgdn") list->scroll(platform::ListScroll::pageDown);
        else if (word == "pgup") list->scroll(platform::ListScroll::pageUp);
        else if (word == "top") list->scroll(platform::ListScroll::top);
        else if (word == "bottom") list->scroll(platform::ListScroll::bottom);
        else if (word.rfind("click", 0) == 0) list->click(std::stoi(word.substr(5)));
        else if (word.rfind("thumb", 0) == 0) list->dragThumb(std::stoi(word.substr(5)));
        else FAIL() << "unknown action " << word;
    }

    TableUse use;
    ReadCounter reads;
    ObserverSpy observer;
    std::unique_ptr<BrowseList> list;
};

// ---------------------------------------------------------------------------------------------------------
// Scrolling fifty items through a list of ten rows

struct ScrollCase {
    const char* name;
    const char* actions;
    const char* page;
};
void PrintTo(const ScrollCase& c, std::ostream* os) { *os << c.name; }

class ScrollingFiftyItems : public ToDoListTest, public testing::WithParamInterface<ScrollCase> {};

TEST_P(ScrollingFiftyItems, showsTheExpectedPage) {
    // GIVEN items AA..BX in a list of ten rows, on its first page
    addItems(50);
    open(10);
    ASSERT_EQ(page(), "AA..AJ @AA");
    // WHEN
    perform(GetParam().actions);
    // THEN
    EXPECT_EQ(page(), GetParam().page);
    EXPECT_EQ(current().todo, "Item " + page().substr(page().find('@') + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, ScrollingFiftyItems,
    testing::Values(ScrollCase{"rowDownInsideThePage", "down", "AA..AJ @AB"},
                    ScrollCase{"rowDownAtTheBottomRowScrollsOneRecord", "down*10", "AB..AK @AK"},
                    ScrollCase{"rowUpAtTheTopOfTheTableChangesNothing", "up", "AA..AJ @AA"},
                    ScrollCase{"rowDownAtTheEndOfTheTableChangesNothing", "bottom down", "BO..BX @BX"},
                    ScrollCase{"pageDownKeepsTheHighlightedRow", "click2 pgdn", "AK..AT @AM"},
                    // 4 records were left for 10 rows: the highlight moves down by the 6 unfilled
                    ScrollCase{"pageDownPastTheEndMovesTheHighlightByTheRowsLeft", "down*15 pgdn*3 click2 pgdn",
                               "BO..BX @BW"},
                    ScrollCase{"pageUpAtTheTopMovesTheHighlightToTheFirstRow", "click5 pgup", "AA..AJ @AA"},
                    ScrollCase{"bottomShowsTheLastPage", "bottom", "BO..BX @BX"},
                    ScrollCase{"topShowsTheFirstPage", "bottom top", "AA..AJ @AA"},
                    ScrollCase{"thumbToTheTopShowsTheFirstPage", "bottom thumb0", "AA..AJ @AA"},
                    ScrollCase{"thumbToTheBottomShowsTheLastPage", "thumb100", "BO..BX @BX"},
                    // Stops over "Item AA".."Item BX": prefix "Item ", AA = 20412 and BXZZ = 57590 in base
                    // 27, step 375; stop 50 = 20412 + 49 * 375 = 38787 = "AZEO": the first item after it
                    // is BA.
                    ScrollCase{"thumbToTheMiddleLocatesItsStop", "thumb50", "BA..BJ @BA"},
                    ScrollCase{"clickHighlightsTheRow", "click7", "AA..AJ @AH"}),
    [](const testing::TestParamInfo<ScrollCase>& info) { return std::string(info.param.name); });

TEST_F(ToDoListTest, thumbFollowsTheHighlightedRecordThroughTheStops) {
    addItems(50);
    open(10);
    EXPECT_EQ(list->thumb(), 0);
    // "ITEM BX": stop 99 = 20412 + 98 * 375 = 57162 = "BXKC" is not below it, so the thumb stops short
    // of the end, as the stops fall.
    perform("bottom");
    EXPECT_EQ(list->thumb(), 99);
    // "ITEM BA": stop 52 (0-based 51) = 20412 + 51 * 375 = 39537 = "BAGI" is the first not below it.
    perform("thumb50");
    EXPECT_EQ(list->thumb(), 52);
}

TEST_F(ToDoListTest, thumbDragCostsOneSeekAndOnePageAndLeavesTheFileFree) {
    addItems(50);
    open(10);
    const int before = reads.records;
    perform("thumb50");
    // one record to find the stop, then one page
    EXPECT_EQ(reads.records - before, 1 + 10);
    // the drag's snapshot of the file ended with it
    store::Transaction write;
    EXPECT_TRUE(write.begin({&files->table(TableId::toDo)}).ok());
}

TEST_F(ToDoListTest, computingTheStopsReadsTheFirstAndTheLastRecordOnly) {
    addItems(50);
    open(10);
    // The stops are computed last, through a view of their own.
    EXPECT_EQ(reads.lastSourceReads, 2);
    EXPECT_EQ(reads.lastSourceRecords, 2);
    ASSERT_EQ(list->textStops().size(), 100u);
    EXPECT_EQ(list->textStops().front(), "Item AA");
    EXPECT_EQ(list->textStops().back(), "Item BXZZ");
}

TEST_F(ToDoListTest, emptyTableShowsNothingAndIgnoresScrolling) {
    open(10);
    perform("down pgdn bottom thumb50 click0");
    EXPECT_EQ(list->entryCount(), 0);
    EXPECT_EQ(list->highlighted(), -1);
    EXPECT_FALSE(list->scrollBarVisible());
    EXPECT_TRUE(list->current().values.empty());
    EXPECT_FALSE(list->rereadHighlighted().ok());
}

TEST_F(ToDoListTest, scrollBarShowsOnlyWhileThePageIsFull) {
    addItems(9);
    open(10);
    EXPECT_FALSE(list->scrollBarVisible());
    add(toDoItem("Item ZZ"));
    list->refresh();
    EXPECT_TRUE(list->scrollBarVisible());
}

TEST_F(ToDoListTest, deletingTheLastRecordHighlightsTheNewLastRow) {
    addItems(50);
    open(10);
    perform("bottom");
    ASSERT_TRUE(deleteToDoRecord(*files, current()).ok());
    list->afterForm(Request::remove, Response::completed, {});
    EXPECT_EQ(page(), "BN..BW @BW");
}

TEST_F(ToDoListTest, completedInsertIsLocatedAndHighlighted) {
    addItems(50);
    open(10);
    const ToDo added = add(toDoItem("Item AZZ"));
    list->afterForm(Request::insert, Response::completed, RecordTable<ToDo>::toRow(added));
    EXPECT_EQ(page(), "AZZ..BI @AZZ");
}

TEST_F(ToDoListTest, cancelledFormKeepsPageAndHighlight) {
    addItems(50);
    open(10);
    perform("pgdn click3");
    list->afterForm(Request::change, Response::cancelled, {});
    EXPECT_EQ(page(), "AK..AT @AN");
}

TEST_F(ToDoListTest, resizingKeepsTheHighlightedRecord) {
    addItems(50);
    open(10);
    perform("click7");
    list->setRowCount(20);
    EXPECT_EQ(page(), "AA..AT @AH");
    list->setRowCount(5);  // AH would fall off a page from AA: the page moves to it
    EXPECT_EQ(page(), "AH..AL @AH");
}

TEST_F(ToDoListTest, itemAddedBehindTheListShowsAtTheNextRefresh) {
    addItems(3);
    open(10);
    add(toDoItem("Item AB2"));  // as a message window's "Add to To Do List" does
    list->forceRefresh();
    list->resetSort(static_cast<int>(ToDoOrder::todo));
    EXPECT_EQ(texts(), "Item AA Item AB Item AB2 Item AC");
}

// ---------------------------------------------------------------------------------------------------------
// The orders

struct OrderCase {
    const char* name;
    ToDoOrder order;
    const char* texts;
};
void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

class ToDoOrders : public ToDoListTest, public testing::WithParamInterface<OrderCase> {};

TEST_P(ToDoOrders, listTheItemsInTheTabsOrder) {
    add(toDoItem("Call", 3));
    add(toDoItem("Buy", 1, true));
    add(toDoItem("Alpha", 5));
    add(toDoItem("Zed", 1));
    add(toDoItem("Call", 3));  // the same text and priority twice: both are kept
    open(10, GetParam().order);
    EXPECT_EQ(texts(), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, ToDoOrders,
    testing::Values(OrderCase{"doneOpenItemsFirstThenByPriority", ToDoOrder::done, "Zed Call Call Alpha Buy"},
                    OrderCase{"priorityThenOpenItemsFirst", ToDoOrder::priority, "Zed Buy Call Call Alpha"},
                    OrderCase{"toDoByText", ToDoOrder::todo, "Alpha Buy Call Call Zed"}),
    [](const testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

TEST_F(ToDoListTest, switchingTheOrderKeepsTheHighlightedItem) {
    add(toDoItem("Call", 3));
    add(toDoItem("Buy", 1, true));
    add(toDoItem("Alpha", 5));
    add(toDoItem("Zed", 1));
    open(10, ToDoOrder::done);
    perform("click1");
    list->resetSort(static_cast<int>(ToDoOrder::todo));
    EXPECT_EQ(texts(), "Alpha Buy Call Zed");
    EXPECT_EQ(current().todo, "Call");
}

TEST_F(ToDoListTest, rowsShowTheDoneMarkTheirIconAndTwoDigitPriority) {
    add(toDoItem("Buy", 1, true));
    add(toDoItem("Zed", 10));
    open(10, ToDoOrder::priority);
    EXPECT_EQ(list->cell(0, 0).text, "x");
    EXPECT_EQ(list->cell(0, 0).icon, kToDoDoneIcon);
    EXPECT_EQ(list->cell(0, 1).text, " 1");
    EXPECT_EQ(list->cell(1, 0).text, " ");
    EXPECT_EQ(list->cell(1, 0).icon, kToDoOpenIcon);
    EXPECT_EQ(list->cell(1, 1).text, "10");
}

TEST_F(ToDoListTest, doneOrderStopsRunOverTheDoneFlag) {
    add(toDoItem("a"));
    add(toDoItem("b", 5, true));
    open(10, ToDoOrder::done);
    ASSERT_EQ(list->numberStops().size(), 100u);
    EXPECT_EQ(list->numberStops()[98], 0);  // 98 * 1/99 is still below 1
    EXPECT_EQ(list->numberStops()[99], 1);
}

// ---------------------------------------------------------------------------------------------------------
// Around the actions

TEST_F(ToDoListTest, rereadBeforeAnActionWatchesForChangesByOthers) {
    add(toDoItem("Call", 3));
    open(10);
    ASSERT_TRUE(list->rereadHighlighted().ok());
    ToDo mine = current();
    // somebody else changes the item meanwhile
    ToDo theirs;
    ASSERT_TRUE(rereadRecord(*files, mine, theirs).ok());
    theirs.priority = 9;
    ASSERT_TRUE(files->toDo().put(theirs).ok());

    mine.done = 1;
    EXPECT_EQ(putToDoRecord(*files, mine).code, store::kRecordChanged);
    EXPECT_EQ(messages.last().text, "This record was changed by another station.");
}

TEST_F(ToDoListTest, rereadOfAnItemDeletedMeanwhileRefreshesInsteadOfActing) {
    add(toDoItem("Alpha"));
    const ToDo gone = add(toDoItem("Beta"));
    open(10);
    perform("click1");
    ASSERT_TRUE(deleteToDoRecord(*files, gone).ok());
    EXPECT_EQ(list->rereadHighlighted().code, store::kRecordNotFound);
    EXPECT_EQ(texts(), "Alpha");
    EXPECT_EQ(current().todo, "Alpha");
}

class FailingSource : public PageSource {
public:
    store::Status toStart() override { return {}; }
    store::Status toEnd() override { return {}; }
    store::Status toValue(const store::Row&) override { return {}; }
    store::Status resetTo(std::string_view) override { return {}; }
    store::Status read(Direction, int, std::vector<PageRecord>&) override {
        return store::Status::driver(10, "disk I/O error");
    }
    store::Status reread(std::string_view, store::Row&) override { return store::Status::driver(10, "disk I/O error"); }
};

TEST_F(ToDoListTest, readErrorShowsTheRetrievalWarningAndClosesTheWindow) {
    BrowseConfig config = toDoBrowseConfig();
    config.openSource = [](store::Table&, int, KeyRange) -> std::unique_ptr<PageSource> {
        return std::make_unique<FailingSource>();
    };
    list = std::make_unique<BrowseList>(files->table(TableId::toDo), warn, std::move(config));
    list->setObserver(&observer);
    // The box waits for the user: the list's snapshot of the file has ended by then, so the engine's
    // timer could write meanwhile.
    bool fileFree = false;
    messages.onShow = [&](const platform::MessageBoxRequest&) {
        store::Transaction write;
        fileFree = write.begin({&files->table(TableId::toDo)}).ok();
    };
    list->resetSort(0);
    EXPECT_TRUE(fileFree);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Record Retrieval Error");
    EXPECT_EQ(messages.last().text,
              "Error: (disk I/O error (SQLITE_IOERR (10))) attempting to access a record from the Todo file.  "
              "Returning to previous window.");
    EXPECT_EQ(observer.closes, 1);
    EXPECT_TRUE(list->closed());
}

// ---------------------------------------------------------------------------------------------------------
// A list over the tasks of one category

class CategoryTasksTest : public test::DataTest {
protected:
    CategoryTasksTest() : use(*files, TableId::schedule) {
        std::int32_t id = 0;
        for (auto [category, description] : {std::pair{"Work", "Report"}, {"work", "Budget"}, {"Home", "Garden"},
                                             {"Workshop", "Tools"}, {"Zoo", "Feed"}, {"Work", "Minutes"}}) {
            Task task = test::taskIn(category, description, ++id);
            EXPECT_TRUE(files->schedule().add(task).ok());
        }
        list = std::make_unique<BrowseList>(files->table(TableId::schedule), warn,
                                            categoryTasksConfig(kCategoryTaskListFormat, [this] { return shown; }));
        list->setRowCount(10);
    }
    std::string descriptions() const {
        std::string out;
        for (int row = 0; row < list->entryCount(); ++row) out += (row ? " " : "") + list->cell(row, 2).text;
        return out;
    }

    TableUse use;
    std::string shown = "Work";
    std::unique_ptr<BrowseList> list;
};

TEST_F(CategoryTasksTest, listsTheTasksOfTheCategoryInAnyLetterCase) {
    list->resetSort(0);
    EXPECT_EQ(descriptions(), "Budget Minutes Report");
    list->scroll(platform::ListScroll::bottom);
    EXPECT_EQ(descriptions(), "Budget Minutes Report");
}

TEST_F(CategoryTasksTest, followsTheCategoryItIsResetTo) {
    list->resetSort(0);
    shown = "Home";
    list->resetSort(0);
    EXPECT_EQ(descriptions(), "Garden");
    shown = "Nobody";  // a new category no task uses yet
    list->resetSort(0);
    EXPECT_EQ(list->entryCount(), 0);
}

TEST_F(CategoryTasksTest, locatingATaskOutsideTheCategoryShowsTheLastPage) {
    list->resetSort(0);
    list->setCurrent(RecordTable<Task>::toRow(test::taskIn("Aardvark", "x", 99)));
    list->locateCurrent();
    EXPECT_EQ(descriptions(), "Budget Minutes Report");
}

// ---------------------------------------------------------------------------------------------------------
// The priority check of the to-do form

struct PriorityCase {
    int priority;
    bool accepted;
};
void PrintTo(const PriorityCase& c, std::ostream* os) { *os << c.priority; }

class PriorityCheck : public test::DataTest, public testing::WithParamInterface<PriorityCase> {};

TEST_P(PriorityCheck, acceptsOneToTenOnly) {
    EXPECT_EQ(checkPriority(warn, GetParam().priority), GetParam().accepted);
    if (GetParam().accepted) {
        EXPECT_EQ(messages.count(), 0u);
    } else {
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.last().caption, "Range Error");
        EXPECT_EQ(messages.last().text, "The value of tDo:Priority must be between 1 and 10.");
    }
}

INSTANTIATE_TEST_SUITE_P(Priorities, PriorityCheck,
                         testing::Values(PriorityCase{0, false}, PriorityCase{1, true}, PriorityCase{5, true},
                                         PriorityCase{10, true}, PriorityCase{11, false}),
                         [](const testing::TestParamInfo<PriorityCase>& info) {
                             return "priority" + std::to_string(info.param.priority);
                         });

}  // namespace
}  // namespace tarvelo
