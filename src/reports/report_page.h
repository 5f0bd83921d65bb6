#pragma once
// What a report page is made of, before anything is drawn: positioned items in thousandths of an inch,
// measured from the top-left corner of the paper. The painter (reports/paint) draws these items on the
// screen, the printer and into PDF files alike, so every output shows the same page.
#include <cstdint>
#include <string>
#include <vector>

namespace tarvelo::reports {

// The sizes of the report fonts, in points; the face is Arial (or a sans-serif face of the same metrics).
struct ReportFont {
    int points = 8;
    bool bold = false;
    friend bool operator==(const ReportFont&, const ReportFont&) = default;
};

struct PageItem {
    enum class Kind { text, box, line, check };
    enum class Align { left, center, right };

    Kind kind = Kind::text;
    int x = 0;
    int y = 0;
    int width = 0;     // text: the field's width (the text is cut there); line: its length
    int height = 0;    // text: the field's height (several lines for a multi-line field)
    std::string text;  // text; check: its label
    Align align = Align::left;
    bool multiLine = false;
    bool checked = false;       // check
    std::uint32_t fill = 0;     // box: its colour as 0xRRGGBB
    ReportFont font;
    friend bool operator==(const PageItem&, const PageItem&) = default;
};

struct ReportPage {
    int number = 0;  // 1 for the first page
    std::vector<PageItem> items;
};

}  // namespace tarvelo::reports
