// Report pages as items: where each band lands, the footer, the packed band values.
#include "reports/report_layout.h"

#include <gtest/gtest.h>

#include "core/date.h"
#include "reports/report_bands.h"
#include "reports/report_pages.h"

namespace tarvelo::reports {
namespace {

// One line per item: "kind x,y wxh text [x]".
std::vector<std::string> render(const ReportPage& page) {
    std::vector<std::string> out;
    for (const PageItem& item : page.items) {
        static const char* const kinds[] = {"text", "box", "line", "check"};
        std::string line = std::string(kinds[static_cast<int>(item.kind)]) + " " + std::to_string(item.x) + "," +
                           std::to_string(item.y) + " " + std::to_string(item.width) + "x" + std::to_string(item.height);
        if (!item.text.empty()) line += " " + item.text;
        if (item.kind == PageItem::Kind::check) line += item.checked ? " [x]" : " [ ]";
        out.push_back(line);
    }
    return out;
}

struct BandsCase {
    const char* name;
    ReportKind kind;
    int bandsPerPage;
};

class ReportLayoutBands : public ::testing::TestWithParam<BandsCase> {};

TEST_P(ReportLayoutBands, AsManyBandsAsFitAboveTheFooter) {
    EXPECT_EQ(reportLayout(GetParam().kind).bandsPerPage(), GetParam().bandsPerPage);
}

void PrintTo(const BandsCase& c, std::ostream* os) { *os << c.name; }

INSTANTIATE_TEST_SUITE_P(Reports, ReportLayoutBands,
                         ::testing::Values(BandsCase{"Schedule", ReportKind::scheduleByDate, 2},
                                           BandsCase{"Categories", ReportKind::categoryList, 26},
                                           BandsCase{"ToDo", ReportKind::toDoList, 19}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReportLayout, FooterShowsThePageNumberInFourPositionsThenWhole) {
    EXPECT_EQ(pageFooterText(1), "Page    1");
    EXPECT_EQ(pageFooterText(9999), "Page 9999");
    EXPECT_EQ(pageFooterText(12345), "Page 12345");
}

TEST(ReportLayout, CategoryPageHasHeaderBoxCaptionBandsAndFooter) {
    ReportPages pages(ReportKind::categoryList);
    pages.addBand(categoryBand(Category{"Home", {}}));
    pages.addBand(categoryBand(Category{"Work", {}}));
    EXPECT_EQ(render(pages.page(1)), (std::vector<std::string>{
                                         "text 1000,1020 6000x230 Category List",
                                         "box 1000,1260 6000x280",
                                         "text 1050,1310 0x167 Category",
                                         "text 1050,1592 5900x167 Home",
                                         "text 1050,1873 5900x167 Work",
                                         "text 6250,9030 700x135 Page    1",
                                     }));
    EXPECT_EQ(pages.page(1).items[1].fill, 0xC0C0C0u);
}

TEST(ReportLayout, ToDoBandSitsTenInsideItsPlace) {
    ReportPages pages(ReportKind::toDoList);
    pages.addBand(toDoBand(ToDo{1, 7, "Buy milk", {}}));
    const std::vector<std::string> lines = render(pages.page(1));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end() - 1),
              (std::vector<std::string>{"text 1343,1552 3750x167 Buy milk", "text 5354,1552 521x167 7",
                                        "check 6135,1552 0x167 Done [x]", "line 1060,1832 5900x0"}));
}

TEST(ReportLayout, ScheduleBandShowsEveryFieldInItsPicture) {
    // GIVEN a task with every printed field set
    Task t;
    t.date = dateFromYmd(1997, 1, 31);
    t.time = timeFromHms(17, 30);
    t.category = "Work";
    t.description = "Weekly report";
    t.taskType = TaskType::Both;
    t.command = "report.sh";
    t.message = "Send it\nto Ann";
    t.advanceWarnDate = dateFromYmd(1997, 1, 30);
    t.advanceWarnTime = timeFromHms(9, 5);
    t.scheduleType = ScheduleType::Custom;
    t.every = 12;
    t.everyType = RepetitionUnit::Week;
    t.lastRunDate = dateFromYmd(1997, 1, 24);
    t.lastRunTime = timeFromHms(0, 0);
    t.alarmFile = "/sounds/ring.wav";
    t.every2nd = 1;
    t.monday = 1;
    t.saturday = 1;
    t.alarm = 1;
    t.disabled = 1;
    // THEN the band's texts and ticks are those the layout shows
    const BandValues band = scheduleBand(t);
    EXPECT_EQ(band.texts, (std::vector<std::string>{"Jan 31, 1997", "5:30PM", "Work", "Weekly report", "Both",
                                                    "report.sh", "Send it\nto Ann", "Jan 30, 1997", "9:05AM", "Custom",
                                                    "    12", "week(s)", "Jan 24, 1997", "12:00AM", "/sounds/ring.wav"}));
    ReportPages pages(ReportKind::scheduleByDate);
    pages.addBand(band);
    std::vector<std::string> checks;
    for (const std::string& line : render(pages.page(1)))
        if (line.rfind("check", 0) == 0) checks.push_back(line.substr(line.find(' ', 6) + 1));
    EXPECT_EQ(checks, (std::vector<std::string>{
                          "0x167 1st [ ]", "0x167 2nd [x]", "0x167 3rd [ ]", "0x167 4th [ ]", "0x167 Last [ ]",
                          "0x167 Sunday [ ]", "0x167 Monday [x]", "0x167 Tuesday [ ]", "0x167 Wednesday [ ]",
                          "0x167 Thursday [ ]", "0x167 Friday [ ]", "0x167 Saturday [x]", "0x167 Alarm [x]",
                          "0x167 Skip Next Time [ ]", "0x167 Warn if not run on specified date [ ]",
                          "0x167 Give option to skip before performing [ ]", "0x167 Disabled [x]"}));
}

TEST(ReportPages, BandsComeBackAsPackedWhateverTheirLength) {
    ReportPages pages(ReportKind::scheduleByDate);
    const BandValues empty{std::vector<std::string>(15), 0};
    BandValues full{std::vector<std::string>(15, std::string(1000, 'x')), 0x1FFFF};
    full.texts[3] = "Ünïcödé ✓";
    pages.addBand(empty);
    pages.addBand(full);
    pages.addBand(empty);
    EXPECT_EQ(pages.band(0), empty);
    EXPECT_EQ(pages.band(1), full);
    EXPECT_EQ(pages.band(2), empty);
    EXPECT_EQ(pages.pageCount(), 2);
}

TEST(ReportPages, ManyBandsComeBackFromTheTemporaryFileWhileMemoryStaysSmall) {
    // GIVEN 20,000 bands of a kilobyte each (20 MB)
    ReportPages pages(ReportKind::categoryList);
    const auto bandOf = [](int i) { return BandValues{{std::to_string(i) + std::string(1000, 'x')}, 0}; };
    for (int i = 0; i < 20000; ++i) pages.addBand(bandOf(i));
    // THEN any band reads back as it went in, and memory holds a block and the offsets only
    for (int i : {0, 1, 64, 12345, 19999}) EXPECT_EQ(pages.band(i), bandOf(i)) << i;
    EXPECT_GT(pages.spilledBytes(), 19'000'000u);
    EXPECT_LT(pages.bytes(), 1'000'000u);
    EXPECT_EQ(pages.page(pages.pageCount()).items.size(), 3u + 6u * 1u + 1u);
}

}  // namespace
}  // namespace tarvelo::reports
