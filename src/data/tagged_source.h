#pragma once
// The tagged tasks in the order of SCH:KEYDATE, as a page source held in memory — their date, time and
// row only; each record is read as it is put on a page. For the "Selected" tab when few tasks are tagged:
// testing every task in date order for a tag then reads the whole table to fill a page, while this reads
// each tagged task once when the list is (re)opened.
//
// A tag counts only while it is live (tagNamesTask); a task without date and time is not in the key.
#include <cstddef>
#include <memory>

#include "data/page_source.h"
#include "store/store.h"

namespace tarvelo {

// The Schedule tags of the program's user. nullptr when more than limit tag records are found: then the
// scan with a per-record test finds a page quickly. REQUIRES: both tables open while the source is used.
std::unique_ptr<PageSource> openTaggedSource(store::Table& schedule, store::Table& tagFile, std::size_t limit);

}  // namespace tarvelo
