#pragma once
// A Scheduler over a real Schedule table in a fresh folder, with fake ports that log what the user sees.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/date.h"
#include "core/settings.h"
#include "data/data_files.h"
#include "data/data_warning.h"
#include "engine/scheduler.h"
#include "fakes/fake_engine_ports.h"
#include "fakes/fake_ports.h"
#include "fakes/temp_folder.h"

namespace tarvelo::test {

inline StdDate day(int year, int month, int d) { return dateFromYmd(year, month, d); }
inline StdTime at(int hours, int minutes, int seconds = 0) { return timeFromHms(hours, minutes, seconds); }

// A task due at (date, time), enabled, of the given type, with a weekly rule on every weekday.
inline Task task(std::string description, StdDate date, StdTime time, std::string taskType = "None") {
    Task t;
    t.description = description;
    t.taskType = TaskTypeWord::fromText(taskType);
    t.scheduleType = ScheduleType::Custom;
    t.every = 1;
    t.everyType = RepetitionUnit::Day;
    t.date = date;
    t.time = time;
    return t;
}

class SchedulerTest : public ::testing::Test {
protected:
    SchedulerTest() {
        settings.programTitle = "Tarvelo '96";
        use.emplace(files, TableId::schedule);
    }

    RecordTable<Task> schedule() { return files.schedule(); }

    // The scheduler's steps, each expected to store what it did.
    void tick() { stored(scheduler.tick()); }
    void checkDueTask() { stored(scheduler.checkDueTask()); }
    void checkAdvanceWarning() { stored(scheduler.checkAdvanceWarning()); }
    void purgeHistory() { stored(scheduler.purgeHistory()); }
    static void stored(const store::Status& s) { EXPECT_TRUE(s.ok()) << errorText(s); }
    static void stored(const TickOutcome& outcome) {
        for (const store::Status& s : outcome.steps) stored(s);
    }

    // Adds a record under the next free number and returns it as stored.
    Task add(Task record) {
        Task highest;
        auto table = schedule();
        record.id = (table.setToEnd(ScheduleKey::keyId).ok() && table.previous(highest).ok()) ? highest.id + 1 : 1;
        record.ref = {};
        const store::Status s = table.add(record);
        EXPECT_TRUE(s.ok()) << s.message;
        return record;
    }

    std::optional<Task> byId(std::int32_t id) {
        Task key, out;
        key.id = id;
        if (!schedule().fetch(ScheduleKey::keyId, key, out).ok()) return std::nullopt;
        return out;
    }

    // Every record in SCH:KEYID order.
    std::vector<Task> all() {
        std::vector<Task> records;
        auto table = schedule();
        Task r;
        EXPECT_TRUE(table.setToStart(ScheduleKey::keyId).ok());
        while (table.next(r).ok()) records.push_back(r);
        return records;
    }

    std::vector<Task> completedCopies() {
        std::vector<Task> copies;
        for (const auto& r : all()) {
            if (r.completed && r.disabled) copies.push_back(r);
        }
        return copies;
    }

    TempFolder folder;
    FakeMessageBox dataMessages;
    FakeHalt halt;
    DataWarning warn{dataMessages, halt};
    DataFiles files{warn, folder.path()};
    std::optional<TableUse> use;

    Settings settings;
    EffectLog log;
    FakeClock clock{{day(1996, 10, 31), at(12, 0)}};
    FakeFrame frame{&log};
    LoggedMessageBox messages{&log};
    FakeSound sound{&log};
    FakeProgramStart programs{&log};
    FakeMessageWindows windows{&log};
    Scheduler scheduler{files.schedule(), settings, {clock, frame, messages, sound, programs, windows}};
};

}  // namespace tarvelo::test
