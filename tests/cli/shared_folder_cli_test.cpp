// Several tarvelo96-cli schedulers and other programs on one data folder at once: every occurrence is
// performed once, a write that another program blocks performs nothing and is reported, and a scheduler
// killed at any moment never makes another one perform an occurrence a second time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/data_files.h"
#include "fakes/case_names.h"
#include "fakes/data_fixture.h"
#include "fakes/fake_ports.h"
#include "fakes/json_lines.h"
#include "fakes/lock_wait.h"
#include "fakes/processes.h"

namespace tarvelo::test {
namespace {

using Json = nlohmann::json;
using ::testing::IsEmpty;

constexpr const char* kAt = "1997-01-31 17:31:00";  // a minute after every task below is due

int countEvents(const std::string& out, const std::string& kind) {
    int n = 0;
    for (const auto& e : jsonLines(out)) n += e["event"] == kind;
    return n;
}

class SharedFolderTest : public ::testing::Test {
protected:
    // `run` in the data folder writing into the pipe whose ends are pipeFds; the parent keeps the reading
    // end only (closed already when nobody is to read).
    pid_t runIntoPipe(int pipeFds[2]) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            if (pipeFds[0] >= 0) ::close(pipeFds[0]);
            ::close(pipeFds[1]);
            ::chdir(folders.data().c_str());
            ::setenv("XDG_CONFIG_HOME", folders.config().c_str(), 1);
            const char* cli = std::getenv("TARVELO_CLI");
            ::execl(cli, cli, "run", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        return pid;
    }
    // count "Once" tasks, all due at 1997-01-31 17:30, whose programs append their number to log.
    void addOnceTasks(int count) {
        FolderFiles data(folders.data());
        TableUse use(data.files, TableId::schedule);
        TableUse history(data.files, TableId::history);
        TableUse runLog(data.files, TableId::runLog);  // the folder as this version has opened it before
        auto schedule = data.files.schedule();
        store::Transaction tx;
        ASSERT_TRUE(tx.begin({&schedule.table()}).ok());
        for (int id = 1; id <= count; ++id) {
            Task t;
            t.id = id;
            t.description = "Task " + std::to_string(id);
            t.taskType = TaskType::RunProgram;
            t.scheduleType = ScheduleType::Once;
            t.command = appendLineCommand(std::to_string(id), log);
            t.date = dateFromYmd(1997, 1, 31);
            t.time = timeFromHms(17, 30);
            ASSERT_TRUE(schedule.add(t).ok());
        }
        ASSERT_TRUE(tx.commit().ok());
    }
    // The numbers the programs wrote, sorted; duplicates kept.
    std::vector<int> performed() {
        std::vector<int> numbers;
        for (const auto& line : fileLines(log)) numbers.push_back(std::stoi(line));
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }
    std::vector<Json> tasks() {
        const CliResult r = runCliIn(folders, {"list", "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return jsonLines(r.out);
    }
    // Waits until the watchers have logged count runs as over: they write to the folder after the tick.
    void awaitRunsLogged(std::size_t count) {
        for (int i = 0; i < 500; ++i) {
            std::size_t over = 0;
            for (const auto& e : jsonLines(runCliIn(folders, {"log", "--json"}).out)) over += e["state"] != "running";
            if (over >= count) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ADD_FAILURE() << "the runs were not logged";
    }
    // Ticks until `quiet` ticks in a row have run nothing; a tick waits for the other's as long as it takes.
    static void tickUntilQuiet(const SchedulerFolders& folders, int quiet) {
        for (int idle = 0; idle < quiet;) {
            const CliResult r = runCliIn(folders, {"tick", "--at", kAt}, {kPatientLockWait});
            idle = countEvents(r.out, "run") == 0 ? idle + 1 : 0;
        }
    }

    SchedulerFolders folders;
    std::string log = folders.aside("performed.log");
};

TEST_F(SharedFolderTest, GivenTwoSchedulersTickingTogetherThenEveryOccurrenceIsPerformedExactlyOnce) {
    constexpr int kTasks = 50;
    addOnceTasks(kTasks);

    // Two tick loops at once, each a process of its own per tick, as two schedulers on one folder.
    std::vector<std::unique_ptr<store::testing::ChildProcess>> loops;
    for (int i = 0; i < 2; ++i) {
        loops.push_back(std::make_unique<store::testing::ChildProcess>([this](store::testing::ChildProcess&) {
            tickUntilQuiet(folders, 3);
            return 0;
        }));
    }
    for (auto& loop : loops) EXPECT_EQ(loop->join(), 0);

    ASSERT_TRUE(awaitLines(log, kTasks, 20000)) << fileLines(log).size() << " programs ran";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // room for a late second run to show
    std::vector<int> expected(kTasks);
    for (int i = 0; i < kTasks; ++i) expected[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(performed(), expected);
    const auto left = tasks();
    EXPECT_EQ(left.size(), static_cast<std::size_t>(kTasks)) << "one completed copy each, no task left";
    for (const auto& t : left) EXPECT_EQ(t["completed"], 1) << t.dump();
}

TEST_F(SharedFolderTest, GivenAnotherProgramHoldsTheWriteLockThenATickPerformsNothingSaysSoAndRunsOnceAfterRelease) {
    addOnceTasks(1);
    ForeignLock lock(folders.file("SM.KTB"));

    const CliResult blocked = runCliIn(folders, {"tick", "--at", kAt});

    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_EQ(countEvents(blocked.out, "run"), 0) << blocked.out;
    const auto lines = jsonLines(blocked.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back()["event"], "error");
    EXPECT_EQ(lines.back()["text"], "The schedule could not be saved: database is locked (SQLITE_BUSY (5))");
    EXPECT_EQ(lines.back()["code"], 90);

    lock.release();
    const CliResult first = runCliIn(folders, {"tick", "--at", kAt});
    const CliResult second = runCliIn(folders, {"tick", "--at", kAt});
    EXPECT_EQ(first.exitCode, 0) << first.out;
    EXPECT_EQ(countEvents(first.out, "run") + countEvents(second.out, "run"), 1);
    ASSERT_TRUE(awaitLines(log, 1, 10000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(performed(), std::vector<int>{1});
}

// The steps of a tick after the due task fail on their own: the lock is held while a tick that has
// expired completed copies to remove (and, in the second case, a due task) runs.
struct LaterStepCase {
    const char* name;
    bool taskDue;
    int exitCode;
    std::vector<std::string> failedSteps;
};

class LaterStepTest : public SharedFolderTest, public ::testing::WithParamInterface<LaterStepCase> {};

TEST_P(LaterStepTest, EachFailedStepIsReportedForWhatItIsWithItsOwnExitCode) {
    writeBytes(folders.config() + "/tarvelo96/Tarvelo96.INI", "[Settings]\nHistoryExpires=1\n");
    addOnceTasks(1);
    ASSERT_EQ(runCliIn(folders, {"tick", "--at", kAt}).exitCode, 0);  // performed: its copy expires tomorrow
    awaitRunsLogged(1);
    if (GetParam().taskDue) addOnceTasks(1);
    ForeignLock lock(folders.file("SM.KTB"));

    const CliResult r = runCliIn(folders, {"tick", "--at", "1997-02-03 08:00:00"});

    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.out;
    std::vector<std::string> steps;
    for (const auto& e : jsonLines(r.out)) {
        if (e["event"] != "error") continue;
        steps.push_back(e["step"]);
        const std::string text = e["text"];
        if (e["step"] == "purge") {
            EXPECT_EQ(text, "The expired completed tasks could not be removed: database is locked (SQLITE_BUSY (5))");
        } else {
            EXPECT_EQ(text, "The schedule could not be saved: database is locked (SQLITE_BUSY (5))");
        }
    }
    EXPECT_EQ(steps, GetParam().failedSteps) << r.out;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LaterStepTest,
    ::testing::Values(LaterStepCase{"OnlyThePurgeHadToWrite", false, 4, {"purge"}},
                      LaterStepCase{"TheDueTaskFailedToo", true, 1, {"task", "purge"}}),
    NamedBy<&LaterStepCase::name>());

// Another program of ours holding a data file's write lock for a while, telling of a wait after a fifth
// of a second: each kind of write waits for it, says so once on stderr, and is done.
struct ContendedWrite {
    const char* name;
    std::vector<std::vector<std::string>> before;  // commands run first, without contention
    std::vector<std::string> write;
    const char* file;
};

class ContendedWriteTest : public SharedFolderTest, public ::testing::WithParamInterface<ContendedWrite> {};

TEST_P(ContendedWriteTest, WaitsForTheLockSayingSoAndIsDone) {
    for (const auto& args : GetParam().before) ASSERT_EQ(runCliIn(folders, args).exitCode, 0);
    const std::vector<std::pair<std::string, std::string>> patient{kPatientLockWait, {"TARVELO_LOCK_NOTICE_MS", "200"}};
    ForeignLock lock(folders.file(GetParam().file), false, /*holdMs=*/1200);

    const auto start = std::chrono::steady_clock::now();
    const CliResult r = runCliIn(folders, GetParam().write, patient);
    const double waited = secondsSince(start);
    lock.release();

    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_GE(waited, 0.9);
    EXPECT_EQ(r.err.rfind(std::string("tarvelo96-cli: Waiting for ") + GetParam().file + ", which ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(" (process "), std::string::npos) << "names who holds it: " << r.err;
    EXPECT_NE(r.err.find(" keeps locked: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" of 20 seconds\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Waiting for", r.err.find("Waiting for") + 1), std::string::npos) << "told once: " << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Writes, ContendedWriteTest,
    ::testing::Values(
        // The start of a program: a table still missing is created.
        ContendedWrite{"MissingTableCreated", {{"list"}}, {"history", "list"}, "SM.KTB"},
        ContendedWrite{"RecordAdded", {{"categories", "list"}}, {"categories", "add", "Work"}, "SM.KTB"},
        ContendedWrite{"TasksTagged",
                       {{"add", "--json", R"({"description":"Report"})"}, {"find", "--where", "description:1:Report", "--select"}},
                       {"find", "--where", "description:1:Report", "--select", "--clear-first"},
                       "TagFile_.KTB"}),
    NamedBy<&ContendedWrite::name>());

// Held beyond the wait: the user is asked whether to wait again (on the command line, Cancel unless
// --answer retry), and giving up is its own exit code, never the creation message or a halt.
TEST_P(ContendedWriteTest, HeldBeyondTheWaitAsksAndGivingUpExitsFive) {
    for (const auto& args : GetParam().before) ASSERT_EQ(runCliIn(folders, args).exitCode, 0);
    ForeignLock lock(folders.file(GetParam().file));

    const CliResult r = runCliIn(folders, GetParam().write, {{"TARVELO_LOCK_WAIT_MS", "1000"}});

    EXPECT_EQ(r.exitCode, 5) << r.out << r.err;
    EXPECT_NE(r.err.find("File Busy (exclamation)\n  Error: (database is locked (SQLITE_BUSY (5))) "), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(" kept it locked for 1 seconds.  Press Retry to wait again, or Cancel to give up.\n"
                         "  buttons: Retry, Cancel (default); answered: Cancel\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("File Creation Error"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Error #"), std::string::npos) << r.err;
}

TEST_F(SharedFolderTest, GivenSchedulersKilledAtRandomMomentsThenNoOccurrenceIsEverPerformedTwice) {
    constexpr int kTasks = 20;
    addOnceTasks(kTasks);
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> delayUs(0, 40000);

    // Each tick is killed (kill -9) at a random moment: before, during or after its claim.
    for (int i = 0; i < 3 * kTasks; ++i) {
        CliProcess tick({"tick", "--at", kAt}, folders);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        tick.kill(SIGKILL);
        tick.wait();
    }
    tickUntilQuiet(folders, 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    const std::vector<int> numbers = performed();
    EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end()) << "a number appears twice";
    const auto left = tasks();
    EXPECT_EQ(left.size(), static_cast<std::size_t>(kTasks)) << "every occurrence used up, one copy each";
    for (const auto& t : left) EXPECT_EQ(t["completed"], 1) << t.dump();
}

TEST_F(SharedFolderTest, GivenRunWritesIntoAPipeThatIsClosedThenItCompletesItsTickAndEnds) {
    addOnceTasks(1);
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ::close(pipeFds[0]);  // nobody will read: the first line written meets a broken pipe
    pipeFds[0] = -1;
    const pid_t pid = runIntoPipe(pipeFds);
    int status = 0;
    ::waitpid(pid, &status, 0);

    EXPECT_TRUE(WIFEXITED(status)) << "not killed by SIGPIPE";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    ASSERT_TRUE(awaitLines(log, 1, 10000)) << "the occurrence it stored was performed";
    EXPECT_EQ(tasks().size(), 1u);
}

TEST_F(SharedFolderTest, GivenRunOnAQuietFolderWhenItsReaderGoesAwayThenItEndsAtOnce) {
    // `run | head -n1` with nothing due: head reads the first line and ends; so does run, without a tick.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t pid = runIntoPipe(pipeFds);
    char first = 0;
    while (::read(pipeFds[0], &first, 1) == 1 && first != '\n') {
    }
    ::close(pipeFds[0]);
    int status = 0;
    bool ended = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);  // a tick comes in 5
    while (!(ended = ::waitpid(pid, &status, WNOHANG) == pid) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(ended) << "run went on with nobody reading";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace tarvelo::test
