// A scheduler process killed (kill -9) at each moment of an occurrence, and a second one that carries on
// over the same folder: the occurrence is never performed twice, and only a kill between the commit and
// the performing loses it.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/date.h"
#include "core/settings.h"
#include "data/data_files.h"
#include "engine/scheduler.h"
#include "fakes/fake_platform.h"
#include "fakes/processes.h"
#include "fakes/store_fixture.h"

namespace tarvelo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Where a scheduler process dies: at the prompt (before anything is stored), or at the alarm, the
// message window or the program (after the commit, at the first, second or third thing performed).
enum class KillAt { nowhere, prompt, alarm, window, program };

// The user-facing ports of a scheduler process: each effect is a line appended to a log file that
// outlives the process, unless the process is to die there.
class LoggingPorts : public platform::MessageBoxPort,
                     public platform::SoundPort,
                     public platform::MessageWindowPort,
                     public platform::ProgramStartPort {
public:
    LoggingPorts(std::string log, KillAt killAt) : m_log(std::move(log)), m_killAt(killAt) {}

    int show(const platform::MessageBoxRequest& request) override {
        effect(KillAt::prompt, "prompt " + request.caption);
        return platform::kYes;
    }
    void playAsync(const std::string& file) override { effect(KillAt::alarm, "alarm " + file); }
    void open(const std::string& text) override { effect(KillAt::window, "window " + text); }
    int openCount() const override { return 0; }
    bool start(const std::string& commandLine, const std::string&, const platform::ProgramLabel&) override {
        effect(KillAt::program, "start " + commandLine);
        return true;
    }

private:
    void effect(KillAt at, const std::string& line) {
        if (at == m_killAt) ::raise(SIGKILL);
        const int fd = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const std::string text = line + "\n";
        [[maybe_unused]] auto n = ::write(fd, text.data(), text.size());
        ::close(fd);
    }

    std::string m_log;
    KillAt m_killAt;
};

// A scheduler in a process of its own over folder, ticking three times at 12:00 on 31 October 1996.
// Returns the process's exit code (-1 when it was killed).
int schedulerProcess(const std::string& folder, const std::string& log, KillAt killAt) {
    store::testing::ChildProcess child([&](store::testing::ChildProcess&) {
        FakePlatform fake(nullptr, {dateFromYmd(1996, 10, 31), timeFromHms(12, 0)});
        DataWarning warn(fake);
        DataFiles files(warn, folder);
        TableUse use(files, TableId::schedule);
        Settings settings;
        settings.programTitle = "Tarvelo '96";
        // What the user would see goes to the log file, each effect before the next step.
        LoggingPorts ports(log, killAt);
        const platform::Platform logged{ports, fake.clock, ports, ports, fake.frame, ports, fake.fileDialog, fake.halt,
                                        fake.notifications};
        Scheduler scheduler(files.schedule(), settings, logged);
        for (int i = 0; i < 3; ++i) {
            if (!scheduler.tick().ok()) return 1;
        }
        return 0;
    });
    return child.join();
}

struct CrashCase {
    const char* name;
    KillAt killAt;
    std::vector<std::string> effects;  // of both processes together, in order
    friend void PrintTo(const CrashCase& c, std::ostream* os) { *os << c.name; }
};

class CrashTest : public ::testing::TestWithParam<CrashCase> {
protected:
    // One daily task due at 11:00 that asks first, sounds an alarm, shows a message and runs a program.
    // Made and closed here, so that no connection crosses the forks.
    void addTask() {
        FakeMessageBox box;
        FakeHalt halt;
        DataWarning warn(box, halt);
        DataFiles files(warn, folder.path());
        TableUse use(files, TableId::schedule);
        Task t;
        t.id = 1;
        t.description = "Backup";
        t.taskType = TaskType::Both;
        t.scheduleType = ScheduleType::Custom;
        t.every = 1;
        t.everyType = RepetitionUnit::Day;
        t.date = dateFromYmd(1996, 10, 31);
        t.time = timeFromHms(11, 0);
        t.userSkip = 1;
        t.alarm = 1;
        t.alarmFile = "/bell.wav";
        t.message = "Backing up";
        t.command = "backup";
        ASSERT_TRUE(files.schedule().add(t).ok());
    }
    // Every record of the folder, in number order.
    std::vector<Task> records() {
        FakeMessageBox box;
        FakeHalt halt;
        DataWarning warn(box, halt);
        DataFiles files(warn, folder.path());
        TableUse use(files, TableId::schedule);
        auto table = files.schedule();
        std::vector<Task> all;
        Task r;
        EXPECT_TRUE(table.setToStart(ScheduleKey::keyId).ok());
        while (table.next(r).ok()) all.push_back(r);
        return all;
    }

    store::testing::TempFolder folder;
    std::string log = folder.file("effects.log");
};

TEST_P(CrashTest, GivenASchedulerKilledMidOccurrenceWhenAnotherCarriesOnThenItIsPerformedAtMostOnce) {
    addTask();

    EXPECT_EQ(schedulerProcess(folder.path(), log, GetParam().killAt), -1) << "killed";
    EXPECT_EQ(schedulerProcess(folder.path(), log, KillAt::nowhere), 0);

    EXPECT_EQ(fileLines(log), GetParam().effects);
    const auto all = records();
    ASSERT_EQ(all.size(), 2u) << "the task and one completed copy";
    EXPECT_EQ(all[0].date, dateFromYmd(1996, 11, 1)) << "moved on once";
    EXPECT_EQ(all[1].completed, 1);
    EXPECT_EQ(all[1].date, dateFromYmd(1996, 10, 31));
}

INSTANTIATE_TEST_SUITE_P(
    KillPoints, CrashTest,
    ::testing::Values(
        // Nothing was stored: the second scheduler asks again and performs it.
        CrashCase{"BeforeTheAnswer", KillAt::prompt,
                  {"prompt Confirm Task", "alarm /bell.wav", "window Backing up", "start backup"}},
        // Stored, then killed: what was not yet performed is lost, nothing is repeated.
        CrashCase{"AfterTheCommit", KillAt::alarm, {"prompt Confirm Task"}},
        CrashCase{"AfterTheAlarm", KillAt::window, {"prompt Confirm Task", "alarm /bell.wav"}},
        CrashCase{"AfterTheMessage", KillAt::program, {"prompt Confirm Task", "alarm /bell.wav", "window Backing up"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo::test
