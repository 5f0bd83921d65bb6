// The preview as a child window of the frame's document area, and a report's road from the menu entry:
// progress, preview, print or cancel.
#include "reports/windows/report_preview_window.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QApplication>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "core/date.h"
#include "fakes/report_fixture.h"
#include "fakes/store_fixture.h"
#include "reports/report_bands.h"
#include "reports/report_pages.h"
#include "reports/windows/page_view.h"
#include "reports/windows/report_session.h"
#include "widgets/progress_window.h"

namespace tarvelo::reports {
namespace {

using Item = ReportPreviewWindow::Item;

std::shared_ptr<const ReportPages> categoryPages(int count) {
    auto pages = std::make_shared<ReportPages>(ReportKind::categoryList);
    for (int i = 0; i < count; ++i) pages->addBand(categoryBand(Category{"Category " + std::to_string(i), {}}));
    return pages;
}

class PreviewWindowTest : public ::testing::Test {
protected:
    PreviewWindowTest() {
        area.resize(900, 700);
        area.show();
    }
    QMdiArea area;
};

TEST_F(PreviewWindowTest, OpensInsideTheAreaOnTheFirstPage) {
    ReportPreviewWindow* preview = ReportPreviewWindow::open(categoryPages(60), &area);
    ASSERT_EQ(area.subWindowList().size(), 1);
    EXPECT_EQ(area.subWindowList().front()->widget(), preview);
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("Print Preview"));
    EXPECT_TRUE(preview->centrePane()->isVisible());
    EXPECT_FALSE(preview->leftPane()->isVisible());
    EXPECT_EQ(preview->centrePane()->page().number, 1);
    EXPECT_EQ(preview->zone(3)->text(), QStringLiteral("Single Page"));
    EXPECT_EQ(preview->zone(4)->text(), QStringLiteral("Page 1 of 3"));
    EXPECT_FALSE(preview->item(Item::previous)->isEnabled());
    EXPECT_TRUE(preview->item(Item::next)->isEnabled());
}

TEST_F(PreviewWindowTest, GivenTheJumpWindowIsOpenWhenThePreviewIsClosedUnderItThenNothingIsFreedTwice) {
    // GIVEN the preview's "Jump to a Report Page" window, open over it
    QPointer<ReportPreviewWindow> preview = ReportPreviewWindow::open(categoryPages(60), &area);
    QString jumpTitle;
    QTimer::singleShot(0, &area, [&] {
        if (QWidget* jump = QApplication::activeModalWidget()) jumpTitle = jump->windowTitle();
        // WHEN the preview's window goes while it is open, as when the program closes down
        qobject_cast<QMdiSubWindow*>(preview->parentWidget())->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (QWidget* left = QApplication::activeModalWidget()) left->close();  // never hang on it
    });
    preview->item(Item::jump)->trigger();
    // THEN the jump window went with the preview, once, and the test process lives on to say so
    EXPECT_EQ(jumpTitle, QStringLiteral("Jump to a Report Page"));
    EXPECT_TRUE(preview.isNull());
    EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(PreviewWindowTest, FacingPagesThenAClickOnTheLeftPageZoomsIt) {
    ReportPreviewWindow* preview = ReportPreviewWindow::open(categoryPages(60), &area);
    preview->item(Item::facing)->trigger();
    preview->item(Item::next)->trigger();
    EXPECT_EQ(preview->zone(4)->text(), QStringLiteral("Pages 2 and 3 of 3"));
    EXPECT_EQ(preview->item(Item::facing)->text(), QStringLiteral("&Single Pages!"));
    ASSERT_TRUE(preview->leftPane()->isVisible());
    QTest::mouseClick(preview->leftPane(), Qt::LeftButton, {}, preview->leftPane()->paperRect().center());
    EXPECT_TRUE(preview->zoomedPage()->isVisible());
    EXPECT_EQ(preview->zoomedPage()->page().number, 2);
    EXPECT_EQ(preview->zone(2)->text(), QStringLiteral("ZOOM"));
    EXPECT_EQ(preview->item(Item::zoom)->text(), QStringLiteral("&Zoom Out!"));
}

TEST_F(PreviewWindowTest, KeysTurnPagesAndSwitchModes) {
    ReportPreviewWindow* preview = ReportPreviewWindow::open(categoryPages(100), &area);
    area.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&area));
    preview->setFocus();
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp}) QTest::keyClick(preview, key);
    EXPECT_EQ(preview->zone(4)->text(), QStringLiteral("Page 2 of 4"));
    QTest::keyClick(preview, Qt::Key_F);
    EXPECT_EQ(preview->zone(4)->text(), QStringLiteral("Pages 2 and 3 of 4"));
    QTest::keyClick(preview, Qt::Key_Z);
    EXPECT_EQ(preview->zone(2)->text(), QStringLiteral("ZOOM"));
}

TEST_F(PreviewWindowTest, JumpGoesToTheChosenPage) {
    ReportPreviewWindow* preview = ReportPreviewWindow::open(categoryPages(100), &area);
    int askedFrom = 0;
    preview->askPage = [&](int start, int pages) {
        askedFrom = start;
        EXPECT_EQ(pages, 4);
        return std::optional<int>(3);
    };
    preview->item(Item::jump)->trigger();
    EXPECT_EQ(askedFrom, 1);
    EXPECT_EQ(preview->centrePane()->page().number, 3);
}

struct CloseCase {
    const char* name;
    std::function<void(ReportPreviewWindow&)> close;
    bool print;
};

class PreviewWindowClose : public PreviewWindowTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(PreviewWindowClose, ClosesItsChildWindowAndSaysWhetherToPrint) {
    ReportPreviewWindow* preview = ReportPreviewWindow::open(categoryPages(3), &area);
    QSignalSpy closed(preview, &ReportPreviewWindow::closed);
    GetParam().close(*preview);
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).toBool(), GetParam().print);
    EXPECT_TRUE(QTest::qWaitFor([&] { return area.subWindowList().isEmpty(); }, 2000));
}

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(
    Roads, PreviewWindowClose,
    ::testing::Values(CloseCase{"Print", [](ReportPreviewWindow& w) { w.item(Item::print)->trigger(); }, true},
                      CloseCase{"Cancel", [](ReportPreviewWindow& w) { w.item(Item::cancel)->trigger(); }, false},
                      CloseCase{"CloseBox", [](ReportPreviewWindow& w) { qobject_cast<QMdiSubWindow*>(w.parentWidget())->close(); },
                                false}),
    [](const auto& info) { return std::string(info.param.name); });

class ReportSessionTest : public PreviewWindowTest {
protected:
    ReportSessionTest() {
        services.print = [this](const ReportPages& pages) { printed.push_back(pages.pageCount()); };
    }
    test::ReportData data;
    QPrinter printer;
    ReportServices services{data.files, data.fake, &area, [this]() -> QPrinter& { return printer; }, {}};
    std::vector<int> printed;
};

TEST_F(ReportSessionTest, FromTheMenuEntryToThePrinter) {
    // GIVEN five tasks
    for (int i = 0; i < 5; ++i) data.addTask("Task " + std::to_string(i), dateFromYmd(1997, 2, 1 + i), timeFromHms(9, 0));
    // WHEN the report is started, THEN the preview opens once the pages are made
    startReport(ReportKind::scheduleByDate, services);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !area.subWindowList().isEmpty(); }, 5000));
    auto* preview = qobject_cast<ReportPreviewWindow*>(area.subWindowList().front()->widget());
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->zone(4)->text(), QStringLiteral("Page 1 of 3"));
    EXPECT_EQ(data.files.useCount(TableId::schedule), 0);
    // WHEN "&Print!" is chosen, THEN the three pages go to the printer
    preview->item(Item::print)->trigger();
    EXPECT_EQ(printed, std::vector<int>{3});
}

TEST_F(ReportSessionTest, EmptyTableOpensNothing) {
    startReport(ReportKind::toDoList, services);
    QTest::qWait(50);
    ASSERT_EQ(data.messages.count(), 1u) << "it says why nothing opens";
    EXPECT_EQ(data.messages.last().text, "The Todo table has nothing to report.");
    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_TRUE(area.findChildren<widgets::ProgressWindow*>().isEmpty());
    EXPECT_EQ(data.files.useCount(TableId::toDo), 0);
}

TEST_F(ReportSessionTest, CancelDuringGenerationOpensNoPreview) {
    for (int i = 0; i < 30; ++i) data.addCategory("Category " + std::to_string(i));
    startReport(ReportKind::categoryList, services);
    auto* progress = area.findChild<widgets::ProgressWindow*>();
    ASSERT_NE(progress, nullptr);
    progress->cancelButton()->click();
    QTest::qWait(50);
    EXPECT_TRUE(area.subWindowList().isEmpty());
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(data.files.useCount(TableId::categories), 0);
}

// Printing to a PDF file from the print dialog writes the file as the command line writes a report.
class PrintToFileTest : public ReportSessionTest {
protected:
    PrintToFileTest() { printer.setOutputFormat(QPrinter::PdfFormat); }
    bool printTo(const std::string& path) {
        printer.setOutputFileName(QString::fromStdString(path));
        return printPages(*categoryPages(30), printer, 1, 2, services);
    }
};

TEST_F(PrintToFileTest, AnExistingFileIsReplacedByTheWholeNewOne) {
    const std::string path = data.folder() + "/categories.pdf";
    store::testing::writeBytes(path, "old report\n");
    ASSERT_TRUE(printTo(path));
    const std::string pdf = store::testing::readBytes(path);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos);
    EXPECT_EQ(data.messages.count(), 0u);
}

TEST_F(PrintToFileTest, TheDataFileIsRefusedInABoxAndLeftAsItWas) {
    data.addCategory("Kept");  // makes the data file
    const std::string path = data.folder() + "/SM.KTB";
    const std::string before = store::testing::readBytes(path);
    EXPECT_FALSE(printTo(path));
    EXPECT_EQ(store::testing::readBytes(path), before);
    ASSERT_EQ(data.messages.captions(), std::vector<std::string>{"Print to File"});
    EXPECT_EQ(data.messages.last().text,
              "The report could not be written to " + path + ": it is one of the program's own files (SM.KTB).");
}

}  // namespace
}  // namespace tarvelo::reports
