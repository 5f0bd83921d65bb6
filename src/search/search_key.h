#pragma once
// The key choice of query by example: whether a match type lets a scan read a key from the criterion
// on, rather than the whole table, and whether it may stop at the first record that fails the test.
#include "search/match_type.h"
#include "store/store.h"

namespace tarvelo::search {

// view reads the table in the order of key, whose first component is the searched field; keyValues holds
// the criterion in that field (its other fields do not matter: the key's further components are taken at
// their lowest). Positions view and returns true when the type allows the key; earlyStop then says whether
// the scan may end at the first record that fails the field's test.
//   equals, insideRange, beginsWith: from the first record >= the criterion, early stop;
//   moreThan, moreOrEqual: the same, without early stop;
//   lessThan, lessOrEqual: from the start of the key, early stop;
//   inYear, yearAndMonth: from 1 January of the criterion's year (the first of its month), early stop.
// Any other type: false (the key is of no use), view untouched.
bool chooseSearchKey(store::View& view, const store::TableDef& table, int key, MatchType type,
                     store::Row keyValues, bool& earlyStop);

}  // namespace tarvelo::search
