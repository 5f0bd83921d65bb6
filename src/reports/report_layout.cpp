#include "reports/report_layout.h"

#include <algorithm>

#include "core/picture.h"

namespace tarvelo::reports {

namespace {

constexpr int kLineHeight = 167;  // one line of the 8-point detail font, with its leading

using Kind = PageItem::Kind;
using Align = PageItem::Align;

PageItem text(int x, int y, int width, std::string value, ReportFont font = kDetailFont, Align align = Align::left) {
    PageItem item;
    item.kind = Kind::text;
    item.x = x;
    item.y = y;
    item.width = width;
    item.height = font == kTitleFont ? 230 : kLineHeight;
    item.text = std::move(value);
    item.align = align;
    item.font = font;
    return item;
}

PageItem title(std::string value) { return text(0, 20, ReportLayout::kBandWidth, std::move(value), kTitleFont, Align::center); }

PageItem caption(int x, int y, std::string value) { return text(x, y, 0, std::move(value), kCaptionFont); }

PageItem greyBox(int height) {
    PageItem item;
    item.kind = Kind::box;
    item.x = 0;
    item.y = 260;
    item.width = ReportLayout::kBandWidth;
    item.height = height;
    item.fill = kHeaderBoxColour;
    return item;
}

PageItem line(int x, int y, int length) {
    PageItem item;
    item.kind = Kind::line;
    item.x = x;
    item.y = y;
    item.width = length;
    return item;
}

DetailItem field(int x, int y, int width, int slot, Align align = Align::left) {
    return {text(x, y, width, {}, kDetailFont, align), slot, -1};
}

DetailItem label(int x, int y, std::string value) { return {text(x, y, 0, std::move(value)), -1, -1}; }

DetailItem check(int x, int y, std::string value, int bit) {
    PageItem item;
    item.kind = Kind::check;
    item.x = x;
    item.y = y;
    item.height = kLineHeight;
    item.text = std::move(value);
    item.font = kDetailFont;
    return {item, -1, bit};
}

ReportLayout scheduleLayout() {
    ReportLayout r;
    r.title = "Report the Schedule File";
    r.headerHeight = 1052;
    r.header = {title(r.title),           greyBox(698),
                caption(104, 313, "Date"), caption(1042, 313, "Time"),
                caption(1771, 313, "Category"), caption(3542, 313, "Description"),
                caption(104, 521, "Task Type"), caption(1771, 521, "Command"),
                caption(3542, 521, "Message"), caption(104, 729, "Advance Warning"),
                caption(1771, 729, "Schedule Type")};
    r.detailHeight = 2479;
    // Slots: see scheduleBand() in report_bands.cpp.
    r.detail = {field(104, 104, 854, 0),   field(1042, 104, 583, 1),  field(1771, 104, 1900, 2),
                field(3542, 104, 2396, 3), field(104, 313, 1900, 4),  field(1771, 313, 1667, 5)};
    DetailItem message = field(3542, 313, 2396, 6);
    message.item.height = 313;
    message.item.multiLine = true;
    r.detail.push_back(message);
    r.detail.push_back(field(104, 521, 854, 7));
    r.detail.push_back(field(1042, 521, 604, 8));
    r.detail.push_back(field(1771, 521, 1552, 9));
    r.detail.push_back(label(1771, 729, "Every"));
    // The number keeps the blanks of its six positions, as the every type follows close behind it.
    r.detail.push_back(field(2188, 729, 583, 10));
    r.detail.push_back(field(2708, 729, 1354, 11));
    const char* const ordinals[] = {"1st", "2nd", "3rd", "4th", "Last"};
    const int ordinalY[] = {938, 1146, 1354, 1563, 1771};
    for (int i = 0; i < 5; ++i) r.detail.push_back(check(1771, ordinalY[i], ordinals[i], i));
    const char* const weekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    const int weekdayY[] = {938, 1146, 1354, 1563, 1771, 1979, 2188};
    for (int i = 0; i < 7; ++i) r.detail.push_back(check(2292, weekdayY[i], weekdays[i], 5 + i));
    r.detail.push_back(label(3542, 1042, "Last Run:"));
    r.detail.push_back(field(4167, 1042, 833, 12));
    r.detail.push_back(field(5104, 1042, 521, 13));
    r.detail.push_back(check(3542, 1250, "Alarm", 12));
    r.detail.push_back(field(4167, 1250, 1667, 14));
    r.detail.push_back(check(3542, 1458, "Skip Next Time", 13));
    r.detail.push_back(check(3542, 1667, "Warn if not run on specified date", 14));
    r.detail.push_back(check(3542, 1875, "Give option to skip before performing", 15));
    r.detail.push_back(check(3542, 2083, "Disabled", 16));
    r.detail.push_back({line(104, 2396, 5833), -1, -1});
    return r;
}

ReportLayout categoryLayout() {
    ReportLayout r;
    r.title = "Category List";
    r.headerHeight = 542;
    r.header = {title(r.title), greyBox(280), caption(50, 310, "Category")};
    r.detailHeight = 281;
    r.detail = {field(50, 50, 5900, 0)};
    return r;
}

ReportLayout toDoLayout() {
    ReportLayout r;
    r.title = "To Do...";
    r.headerHeight = 542;
    r.header = {title(r.title)};
    r.detailX = 10;
    r.detailY = 10;
    r.detailHeight = 375;
    r.detail = {field(333, 0, 3750, 0), field(4344, 0, 521, 1, Align::right), check(5125, 0, "Done", 0),
                {line(50, 280, 5900), -1, -1}};
    return r;
}

}  // namespace

int ReportLayout::bandsPerPage() const {
    return std::max(1, (kFooterTop - kHeaderTop - headerHeight) / detailHeight);
}

ReportPage ReportLayout::page(int number, const std::vector<BandValues>& bands) const {
    ReportPage page;
    page.number = number;
    for (PageItem item : header) {
        item.x += kBandLeft;
        item.y += kHeaderTop;
        page.items.push_back(std::move(item));
    }
    int top = kHeaderTop + headerHeight;
    for (const BandValues& band : bands) {
        for (const DetailItem& d : detail) {
            PageItem item = d.item;
            item.x += kBandLeft + detailX;
            item.y += top + detailY;
            if (d.slot >= 0) item.text = static_cast<std::size_t>(d.slot) < band.texts.size() ? band.texts[static_cast<std::size_t>(d.slot)] : std::string();
            if (d.checkBit >= 0) item.checked = (band.checks >> d.checkBit) & 1U;
            page.items.push_back(std::move(item));
        }
        top += detailHeight;
    }
    page.items.push_back(text(kBandLeft + 5250, kFooterTop + 30, 700, pageFooterText(number)));
    page.items.back().height = 135;
    return page;
}

const ReportLayout& reportLayout(ReportKind kind) {
    static const ReportLayout schedule = scheduleLayout();
    static const ReportLayout categories = categoryLayout();
    static const ReportLayout toDo = toDoLayout();
    switch (kind) {
    case ReportKind::categoryList: return categories;
    case ReportKind::toDoList: return toDo;
    case ReportKind::scheduleByDate:
    case ReportKind::scheduleByCategory: break;
    }
    return schedule;
}

std::string pageFooterText(int number) {
    // Past four digits the number is shown whole rather than as "####": a long report still counts.
    return "Page " + (number <= 9999 ? formatNumber(number, 4) : std::to_string(number));
}

}  // namespace tarvelo::reports
