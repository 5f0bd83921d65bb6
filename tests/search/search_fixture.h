#pragma once
// Search tests work on real data files and tags (through the data layer's fixtures) with scripted dialogs
// and a runner that can cancel.
#include "fakes/fake_search.h"
#include "fakes/tag_fixture.h"

namespace tarvelo::test {

class SearchTest : public TagTest {};

}  // namespace tarvelo::test
