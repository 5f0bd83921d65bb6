// Starting a task's program: detached, in its start-in folder or else the current one, never moving the
// process itself to another folder.
#include "platform/desktop/qt_program_start.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "fakes/data_fixture.h"
#include "qt_environment.h"
#include "runlog/run_log.h"

namespace tarvelo::platform {
namespace {

namespace fs = std::filesystem;

// The file's text once the started program has written it (a detached program finishes in its own time).
std::string waitForText(const fs::path& file) {
    for (int i = 0; i < 100; ++i) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        const std::string s = text.str();
        if (!s.empty() && s.back() == '\n') return s.substr(0, s.size() - 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return "(nothing written)";
}

class ProgramStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = test::freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_out = fs::path(m_folder) / "out.txt";
        m_startIn = fs::path(m_folder) / "start in";
        fs::create_directories(m_startIn);
    }

    // A command that writes the folder it runs in to the output file.
    std::string pwdCommand() const { return "sh -c 'pwd > \"$0\"' '" + m_out.string() + "'"; }

    std::string m_folder;
    fs::path m_out;
    fs::path m_startIn;
    QtProgramStart m_programs;
};

TEST_F(ProgramStartTest, GivenAStartInFolderWhenStartedThenTheProgramRunsThereAndTheProcessStaysPut) {
    const fs::path before = fs::current_path();
    ASSERT_TRUE(m_programs.start(pwdCommand(), m_startIn.string() + "   ", {}));
    EXPECT_EQ(waitForText(m_out), m_startIn.string());
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(ProgramStartTest, GivenAStartInFolderThatCannotBeEnteredWhenStartedThenTheProgramRunsInTheCurrentFolder) {
    const fs::path before = fs::current_path();
    ASSERT_TRUE(m_programs.start(pwdCommand(), (m_startIn / "no such folder").string(), {}));
    EXPECT_EQ(waitForText(m_out), before.string());
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(ProgramStartTest, GivenNoStartInFolderWhenStartedThenTheProgramRunsInTheCurrentFolder) {
    ASSERT_TRUE(m_programs.start(pwdCommand(), "", {}));
    EXPECT_EQ(waitForText(m_out), fs::current_path().string());
}

TEST_F(ProgramStartTest, GivenArgumentsWithBlanksWhenStartedThenTheProgramGetsThemWhole) {
    const std::string command = "sh -c 'printf \"%s|%s\\n\" \"$1\" \"$2\" > \"$0\"' '" + m_out.string() +
                                "' \"two words\" it\\'s";
    ASSERT_TRUE(m_programs.start(command, "", {}));
    EXPECT_EQ(waitForText(m_out), "two words|it's");
}

TEST_F(ProgramStartTest, GivenAProgramPathRelativeToTheStartInFolderWhenStartedThenItIsFoundThere) {
    const fs::path script = m_startIn / "hello.sh";
    std::ofstream(script) << "#!/bin/sh\necho hello > \"$1\"\n";
    fs::permissions(script, fs::perms::owner_all);
    ASSERT_TRUE(m_programs.start("./hello.sh '" + m_out.string() + "'", m_startIn.string(), {}));
    EXPECT_EQ(waitForText(m_out), "hello");
}

// Under the watcher, as the window program starts every task's program: the same start, and the run's
// entry in the run log of the data folder once the program has ended.
class WatchedStartTest : public ProgramStartTest {
protected:
    void watch(const std::string& watcher) {
        m_programs.watchWith({Watcher{watcher, m_folder}, [this](const std::string& line, const ProgramLabel& label, bool started) {
                                  m_unwatched.push_back(line + " #" + std::to_string(label.task) + " " + label.description +
                                                        (started ? " started" : " not started"));
                              },
                              {}});
    }
    // The run log once it holds an entry that is over (or after five seconds).
    std::vector<RunEntry> loggedRuns() {
        std::vector<RunEntry> runs;
        for (int i = 0; i < 250; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
            test::FolderFiles data(m_folder);
            TableUse use(data.files, TableId::runLog);
            auto log = data.files.runLog();
            runs.clear();
            if (!log.setToStart(RunLogKey::keyStart).ok()) continue;
            for (RunEntry e; log.next(e).ok();) runs.push_back(e);
            if (!runs.empty() && runlog::stateOf(runs.back()) != runlog::RunState::running) break;
        }
        return runs;
    }

    std::vector<std::string> m_unwatched;
};

TEST_F(WatchedStartTest, GivenTheWatcherThenTheProgramRunsInItsFolderAndItsEndIsLogged) {
    watch(TARVELO_WATCHER);
    const std::string command = "sh -c 'pwd > \"$0\"; echo done; exit 3' '" + m_out.string() + "'";
    ASSERT_TRUE(m_programs.start(command, m_startIn.string(), {7, "Backup"}));
    EXPECT_EQ(waitForText(m_out), m_startIn.string());
    const std::vector<RunEntry> runs = loggedRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].task, 7);
    EXPECT_EQ(runs[0].description.text(), "Backup");
    EXPECT_EQ(runlog::stateOf(runs[0]), runlog::RunState::ended);
    EXPECT_EQ(runs[0].exitStatus, 3);
    EXPECT_EQ(runs[0].output.text(), "done\n");
    EXPECT_TRUE(m_unwatched.empty());
}

TEST_F(WatchedStartTest, GivenTheWatcherWhenTheProgramCannotStartThenStartFailsAndTheRunIsLoggedNotStarted) {
    watch(TARVELO_WATCHER);
    EXPECT_FALSE(m_programs.start("/no/such/program", "", {8, "Missing"}));
    const std::vector<RunEntry> runs = loggedRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runlog::stateOf(runs[0]), runlog::RunState::notStarted);
}

TEST_F(WatchedStartTest, GivenNoWatcherBesideTheProgramThenItStartsUnwatchedAndSaysSo) {
    watch(m_folder + "/tarvelo96-watch");
    ASSERT_TRUE(m_programs.start(pwdCommand(), m_startIn.string(), {9, "Plain"}));
    EXPECT_EQ(waitForText(m_out), m_startIn.string());
    EXPECT_EQ(m_unwatched, std::vector<std::string>{pwdCommand() + " #9 Plain started"});
}

struct FailingStart {
    const char* name;
    const char* command;
};

class FailingStartTest : public ::testing::TestWithParam<FailingStart> {};

TEST_P(FailingStartTest, GivenACommandThatCannotStartThenStartReportsFailure) {
    const fs::path before = fs::current_path();
    QtProgramStart programs;
    EXPECT_FALSE(programs.start(GetParam().command, "/tmp", {}));
    EXPECT_EQ(fs::current_path(), before);
}

INSTANTIATE_TEST_SUITE_P(ProgramStart, FailingStartTest,
                         ::testing::Values(FailingStart{"MissingProgram", "tarvelo-no-such-program --flag"},
                                           FailingStart{"MissingPath", "/no/such/folder/program"},
                                           FailingStart{"NotExecutable", "/etc/hostname"},
                                           FailingStart{"BlankCommand", "    "},
                                           FailingStart{"UnbalancedQuote", "echo 'oops"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo::platform
