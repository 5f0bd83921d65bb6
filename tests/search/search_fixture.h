#pragma once
// Search tests work on real data files (through the data layer's fixture) with scripted dialogs and a
// runner that can cancel.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/data_fixture.h"
#include "fakes/fake_search.h"
#include "search/tags.h"

namespace tarvelo::test {

class SearchTest : public DataTest {
protected:
    SearchTest() {
        files->use(TableId::schedule);
        files->use(TableId::tagFile);
    }
    ~SearchTest() override {
        tags.reset();
        files->release(TableId::tagFile);
        files->release(TableId::schedule);
    }

    // A task with this SCH:ID and description; returns its position.
    std::int64_t task(std::int64_t id, const std::string& description = "") {
        return addTask(*files, TaskRow(id).with("SCH:DESCRIPTION", description).with("SCH:DATE", 71651 + id));
    }
    std::int64_t tagRecords() {
        const store::Result<std::int64_t> count = files->table(TableId::tagFile).records();
        EXPECT_TRUE(count.ok()) << count.status;
        return count.value;
    }
    // The positions the walk of table 1 gives, in order.
    std::vector<std::int64_t> walk() {
        std::vector<std::int64_t> out;
        for (auto p = tags->firstTag(search::kScheduleTable); p != 0; p = tags->nextTag(search::kScheduleTable))
            out.push_back(p);
        return out;
    }

    ScriptedRunner runner;
    std::unique_ptr<search::Tags> tags = std::make_unique<search::Tags>(*files, runner);
};

}  // namespace tarvelo::test
