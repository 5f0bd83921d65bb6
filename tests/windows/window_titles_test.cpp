// Windows narrower than their titles: the window manager cuts a title to fit its window, so each window
// that may carry a long title is made as wide as the title needs.
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "fakes/case_names.h"
#include "fakes/fake_sliced_job.h"
#include "reports/report_bands.h"
#include "reports/report_pages.h"
#include "reports/windows/report_preview_window.h"
#include "widgets/progress_window.h"
#include "platform/desktop/qt_message_box.h"

namespace tarvelo::widgets {
namespace {

struct Shown {
    QString title;
    int width = 0;
};

// The modal window that opens next, as it was shown; Escape closes it.
void whenModalShown(Shown& shown) {
    QTimer::singleShot(0, qApp, [&shown] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window) return;
        shown = {window->windowTitle(), window->width()};
        QTest::keyClick(window, Qt::Key_Escape);
    });
}

struct TitleCase {
    const char* name;
    std::function<Shown()> open;
};
void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.name; }

class WindowTitleTest : public ::testing::TestWithParam<TitleCase> {};

// The title bar holds the title centred between the window's icon and its three buttons, each at least as
// wide as a line of the title is high: the room of three on either side.
TEST_P(WindowTitleTest, GivenALongTitleThenTheWindowIsWideEnoughToShowItBesideTheTitleBarsButtons) {
    const Shown shown = GetParam().open();
    QFont bold = QApplication::font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    ASSERT_FALSE(shown.title.isEmpty());
    EXPECT_GE(shown.width, metrics.horizontalAdvance(shown.title) + 6 * metrics.height()) << shown.title.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowTitleTest,
    ::testing::Values(
        TitleCase{"RunNowErrorBox",
                  [] {
                      Shown shown;
                      whenModalShown(shown);
                      const std::string command = "/usr/local/bin/nightly-backup --all";
                      platform::QtMessageBox().show({"Run code 2", "Error Starting " + command, platform::Icon::None, platform::kOk, platform::kOk});
                      return shown;
                  }},
        TitleCase{"SearchProgress",
                  [] {
                      test::FakeSlicedJob job(1);
                      ProgressWindow window(job, QStringLiteral("Searching for Matching Records"));
                      return Shown{window.windowTitle(), window.width()};
                  }},
        TitleCase{"JumpWindow",
                  [] {
                      QMdiArea area;
                      area.show();
                      auto pages = std::make_shared<reports::ReportPages>(reports::ReportKind::categoryList);
                      for (int i = 0; i < 60; ++i)
                          pages->addBand(reports::categoryBand(Category{"C" + std::to_string(i), {}}));
                      reports::ReportPreviewWindow* preview = reports::ReportPreviewWindow::open(pages, &area);
                      Shown shown;
                      whenModalShown(shown);
                      preview->item(reports::ReportPreviewWindow::Item::jump)->trigger();
                      return shown;
                  }}),
    test::NamedBy<&TitleCase::name>());

}  // namespace
}  // namespace tarvelo::widgets
