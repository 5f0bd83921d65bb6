// The real tarvelo96, started as a user starts it (on the offscreen platform, in a data folder and a
// configuration folder of its own) and stopped as a session ends: SIGTERM closes it down, it exits 0,
// and the data files are closed and whole (the command line's check of every table finds nothing).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "fakes/json_lines.h"
#include "fakes/processes.h"
#include "program/desktop_process.h"

namespace tarvelo::test {
namespace {

TEST(ProgramStartStop, SigtermClosesTheRunningProgramDownCleanlyAndKeepsItsData) {
    SchedulerFolders folders;
    const CliResult added = runCliIn(folders, {"add", "--json", R"({"description":"Report"})"});
    ASSERT_EQ(added.exitCode, 0) << added.err;

    DesktopProcess program(folders);
    ASSERT_TRUE(program.readyToStop(kStartLimit)) << "the program did not get ready to close down\n" << program.log();
    ASSERT_EQ(::kill(program.pid(), SIGTERM), 0);
    const std::optional<int> status = program.ended(kStopLimit);

    ASSERT_TRUE(status) << "still running after SIGTERM\n" << program.log();
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status) << "\n" << program.log();
    EXPECT_EQ(WEXITSTATUS(*status), 0) << program.log();
    for (const char* name : {"SM.KTB-wal", "TagFile_.KTB-wal"})
        EXPECT_FALSE(std::filesystem::exists(folders.file(name))) << name << ": a connection was left open";
    const CliResult check = runCliIn(folders, {"check"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    const auto tasks = jsonLines(runCliIn(folders, {"list", "--json"}).out);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]["description"], "Report");
}

}  // namespace
}  // namespace tarvelo::test
