// Which data folder the real tarvelo96 works on, the way each launcher starts it: by hand the current
// folder, the menu entry (--xdg-data) the user's data folder made owner-only, and the autostart entry
// (--autostart) nothing at all unless Setup's "StartAtLogin" is on.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "fakes/case_names.h"
#include "fakes/processes.h"
#include "program/desktop_process.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;

struct Launch {
    const char* name;
    std::vector<std::string> args;
    const char* settings;  // the [Settings] section of the main INI file
    bool runs;             // false: it ends at once with exit code 0
    bool dataInXdg;        // else in the current folder
};

void PrintTo(const Launch& l, std::ostream* out) { *out << l.name; }

class ProgramLaunch : public testing::TestWithParam<Launch> {};

TEST_P(ProgramLaunch, worksOnTheFolderOfItsLauncher) {
    // GIVEN folders of its own, XDG_DATA_HOME among them, and the case's settings
    const Launch& l = GetParam();
    SchedulerFolders folders;
    const std::string xdg = folders.aside("xdg");
    fs::create_directories(folders.config() + "/tarvelo96");
    std::ofstream(folders.config() + "/tarvelo96/Tarvelo96.INI") << "[Settings]\n" << l.settings << "\n";
    // WHEN the program is started the launcher's way
    DesktopProcess program(folders, l.args, {{"XDG_DATA_HOME", xdg}});
    if (!l.runs) {
        // THEN it ends at once, successfully, having made nothing
        const auto status = program.ended(kStartLimit);
        ASSERT_TRUE(status) << program.log();
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << program.log();
        EXPECT_FALSE(fs::exists(xdg));
        EXPECT_FALSE(fs::exists(folders.file("SM.KTB")));
        return;
    }
    ASSERT_TRUE(program.readyToStop(kStartLimit)) << program.log();
    ASSERT_EQ(::kill(program.pid(), SIGTERM), 0);
    ASSERT_TRUE(program.ended(kStopLimit)) << program.log();
    // THEN its data files are in the launcher's folder only, made owner-only when new
    const std::string data = l.dataInXdg ? xdg + "/tarvelo96" : folders.data();
    EXPECT_TRUE(fs::exists(data + "/SM.KTB")) << program.log();
    EXPECT_EQ(fs::exists(folders.file("SM.KTB")), !l.dataInXdg);
    if (l.dataInXdg) {
        struct stat st {};
        ASSERT_EQ(::stat(data.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0700u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Program, ProgramLaunch,
    testing::Values(Launch{"ByHand", {}, "", true, false},
                    Launch{"MenuEntry", {"--xdg-data"}, "", true, true},
                    Launch{"AutostartTurnedOff", {"--autostart"}, "", false, false},
                    Launch{"AutostartTurnedOffExplicitly", {"--autostart"}, "StartAtLogin=0", false, false},
                    Launch{"AutostartTurnedOn", {"--autostart"}, "StartAtLogin=1", true, true}),
    NamedBy<&Launch::name>());

// A second start on the folder (however named) raises the first and ends; another folder runs its own;
// a program killed outright leaves a socket that the next start takes over.
TEST(ProgramInstance, aSecondStartOnTheFolderLeavesOneProgram) {
    SchedulerFolders folders, others;
    DesktopProcess first(folders);
    ASSERT_TRUE(first.readyToStop(kStartLimit)) << first.log();

    DesktopProcess second(folders, {"--data-folder", folders.data() + "/."}, {}, "second.log");
    const auto status = second.ended(kStartLimit);
    ASSERT_TRUE(status) << second.log();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << second.log();
    EXPECT_FALSE(first.ended(0s));

    DesktopProcess elsewhere(others);
    EXPECT_TRUE(elsewhere.readyToStop(kStartLimit)) << elsewhere.log();

    ASSERT_EQ(::kill(first.pid(), SIGKILL), 0);
    ASSERT_TRUE(first.ended(kStopLimit));
    DesktopProcess after(folders, {}, {}, "after.log");
    EXPECT_TRUE(after.readyToStop(kStartLimit)) << after.log();
}

// The window program's scheduler and `run` on one folder both perform tasks, each occurrence once.
TEST(ProgramInstance, theWindowProgramAndRunOnOneFolderPerformEachOccurrenceOnce) {
    constexpr int kTasks = 4;
    SchedulerFolders folders;
    const std::string log = folders.aside("performed.log");
    for (int i = 1; i <= kTasks; ++i) {
        const nlohmann::json task{{"description", "T" + std::to_string(i)}, {"tasktype", "Run Program"},
                                  {"command", appendLineCommand(std::to_string(i), log)}, {"scheduletype", "Once"},
                                  {"date", 80000}, {"time", 100 * i}};
        const CliResult added = runCliIn(folders, {"add", "--json", task.dump()});
        ASSERT_EQ(added.exitCode, 0) << added.err;
    }
    DesktopProcess program(folders, {}, {kQuickTicks});
    CliProcess run({"run"}, folders, {kQuickTicks});
    ASSERT_TRUE(awaitLines(log, kTasks, 40000)) << fileLines(log).size() << " performed\n" << program.log();
    std::this_thread::sleep_for(1500ms);  // a few ticks of each more, where a second performing would show
    std::vector<std::string> performed = fileLines(log);
    std::sort(performed.begin(), performed.end());
    EXPECT_EQ(performed, (std::vector<std::string>{"1", "2", "3", "4"}));
}

}  // namespace
}  // namespace tarvelo::test
