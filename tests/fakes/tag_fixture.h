#pragma once
// Tags on real data files (through the data layer's fixture), with a runner that can cancel their slow
// count and clear.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/tags.h"
#include "fakes/data_fixture.h"
#include "fakes/fake_ports.h"
#include "fakes/task_table.h"

namespace tarvelo::test {

class TagTest : public DataTest {
protected:
    TagTest() {
        files->use(TableId::schedule);
        files->use(TableId::tagFile);
    }
    ~TagTest() override {
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
        for (auto p = tags->firstTagged(kScheduleTable); p != 0; p = tags->nextTagged(kScheduleTable)) out.push_back(p);
        return out;
    }

    ScriptedRunner runner;
    std::unique_ptr<Tags> tags = std::make_unique<Tags>(*files, runner);
};

}  // namespace tarvelo::test
