#pragma once
// The layouts of the four reports: a page header band at (1000, 1000), detail bands below it, one per
// record, as many as fit above the page footer band at (1000, 9000), which holds the page number. All
// positions in thousandths of an inch.
//
// A detail band is a template: its items take their texts from the band's values (slot n is texts[n])
// and their ticks from its check bits, so a page is only its bands' values until it is drawn.
#include <cstdint>
#include <string>
#include <vector>

#include "reports/report_page.h"

namespace tarvelo::reports {

enum class ReportKind { scheduleByDate, scheduleByCategory, categoryList, toDoList };

// The variable part of one detail band.
struct BandValues {
    std::vector<std::string> texts;
    std::uint32_t checks = 0;  // bit n ticks the check box of bit n
    friend bool operator==(const BandValues&, const BandValues&) = default;
};

struct DetailItem {
    PageItem item;       // position inside the band; text fixed unless slot >= 0
    int slot = -1;       // the value text shown
    int checkBit = -1;   // the check bit that ticks it
};

struct ReportLayout {
    std::string title;
    int headerHeight = 0;
    std::vector<PageItem> header;  // inside the header band
    int detailX = 0;               // the detail band's own offset inside the page's band area
    int detailY = 0;
    int detailHeight = 0;
    std::vector<DetailItem> detail;

    static constexpr int kBandLeft = 1000;
    static constexpr int kHeaderTop = 1000;
    static constexpr int kBandWidth = 6000;
    static constexpr int kFooterTop = 9000;

    int bandsPerPage() const;
    // Page `number` with these bands (at most bandsPerPage()), header and footer included.
    ReportPage page(int number, const std::vector<BandValues>& bands) const;
};

const ReportLayout& reportLayout(ReportKind kind);

// "Page    7": the page number in four positions, leading zeros blank.
std::string pageFooterText(int number);

// The report fonts.
inline constexpr ReportFont kTitleFont{12, true};
inline constexpr ReportFont kCaptionFont{8, true};
inline constexpr ReportFont kDetailFont{8, false};
inline constexpr std::uint32_t kHeaderBoxColour = 0xC0C0C0;  // 12632256: red = green = blue = 192

}  // namespace tarvelo::reports
