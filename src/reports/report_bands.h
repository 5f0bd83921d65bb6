#pragma once
// Each report's detail band values from its record: the texts as the band's pictures show them (dates
// @d3, times @t3, texts cut to their @s width, numbers right-aligned in their @n width) and the check
// bits (the schedule's every keeps the blanks of its six positions). The slot numbers are those of the layouts in report_layout.cpp.
#include "data/records.h"
#include "reports/report_layout.h"

namespace tarvelo::reports {

// Slots 0 date, 1 time, 2 category, 3 description, 4 task type, 5 command, 6 message, 7 and 8 advance
// warning date and time, 9 schedule type, 10 every, 11 every type, 12 and 13 last run date and time,
// 14 alarm file. Check bits 0-4 "1st" .. "Last", 5-11 Sunday .. Saturday, 12 alarm, 13 skip next time,
// 14 warn, 15 option to skip, 16 disabled.
BandValues scheduleBand(const Task& task);
// Slot 0 the category.
BandValues categoryBand(const Category& category);
// Slot 0 the text, slot 1 the priority; check bit 0 done.
BandValues toDoBand(const ToDo& item);

}  // namespace tarvelo::reports
