// The data folder of the command line: the current folder unless --data-folder or --xdg-data names
// another, before or after the command; a folder made for it is its owner's only; `help` names the
// folder in use; and paths given to a command stay relative to the current folder.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/case_names.h"
#include "fakes/cli_run.h"
#include "fakes/processes.h"
#include "fakes/temp_folder.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct FolderWay {
    const char* name;
    std::vector<std::string> options;  // "@" is a folder of the scratch folder
    bool beforeCommand;
    std::string dataIn;  // where the data files go, under the scratch folder ("" = the current folder)
};

void PrintTo(const FolderWay& w, std::ostream* out) { *out << w.name; }

class DataFolderChoice : public testing::TestWithParam<FolderWay> {
protected:
    // The command with the case's options before or after it.
    std::vector<std::string> spelled(std::vector<std::string> command) const {
        const FolderWay& w = GetParam();
        std::vector<std::string> options;
        for (const auto& o : w.options) options.push_back(o == "@" ? scratch.file("given") : o);
        command.insert(w.beforeCommand ? command.begin() : command.end(), options.begin(), options.end());
        return command;
    }

    TempFolder scratch;
    TempFolder current;
};

TEST_P(DataFolderChoice, keepsTheDataFilesThereAndHelpSaysSo) {
    // GIVEN a current folder, and XDG_DATA_HOME in a scratch folder
    const FolderWay& w = GetParam();
    CliRun how;
    how.folder = current.path();
    how.env = {{"XDG_DATA_HOME", scratch.file("xdg")}};
    // WHEN a to-do item is added the way the case says
    const CliOutcome o = runCli(spelled({"todo", "add", "hello"}), how);
    ASSERT_EQ(o.exitCode, 0) << o.err;
    // THEN the data file is in the folder it names and nowhere else
    const std::string folder = w.dataIn.empty() ? current.path() : scratch.file(w.dataIn);
    EXPECT_TRUE(fs::exists(folder + "/SM.KTB"));
    EXPECT_EQ(fs::exists(current.file("SM.KTB")), w.dataIn.empty());
    // AND a folder made for it is its owner's only, whatever the umask
    if (!w.dataIn.empty()) {
        EXPECT_EQ(modeOf(folder), 0700u);
    }
    // AND help given the same options names that folder
    const CliOutcome h = runCli(spelled({"help"}), how);
    EXPECT_NE(h.out.find("\nData folder: " + fs::canonical(folder).string() + "\n"), std::string::npos) << h.out;
}

INSTANTIATE_TEST_SUITE_P(Cli, DataFolderChoice,
                         testing::Values(FolderWay{"CurrentFolderByDefault", {}, true, ""},
                                         FolderWay{"DataFolderBeforeTheCommand", {"--data-folder", "@"}, true, "given"},
                                         FolderWay{"DataFolderAfterTheCommand", {"--data-folder", "@"}, false, "given"},
                                         FolderWay{"XdgDataBeforeTheCommand", {"--xdg-data"}, true, "xdg/tarvelo96"},
                                         FolderWay{"XdgDataAfterTheCommand", {"--xdg-data"}, false, "xdg/tarvelo96"}),
                         NamedBy<&FolderWay::name>());

TEST(DataFolder, anExistingFolderKeepsItsMode) {
    TempFolder scratch;
    fs::create_directory(scratch.file("shared"));
    ::chmod(scratch.file("shared").c_str(), 0750);
    EXPECT_EQ(runCli({"--data-folder", scratch.file("shared"), "todo", "add", "x"}).exitCode, 0);
    EXPECT_EQ(modeOf(scratch.file("shared")), 0750u);
}

TEST(DataFolder, aFileInItsPlaceIsRefused) {
    TempFolder scratch;
    fs::create_directory(scratch.file("d"));
    const CliOutcome o = runCli({"list", "--data-folder", scratch.file("d/SM.KTB/x")});
    EXPECT_EQ(o.exitCode, 0) << o.err;  // made: a new folder, with its parents
    const CliOutcome f = runCli({"list", "--data-folder", scratch.file("d/SM.KTB/x/SM.KTB")});
    EXPECT_EQ(f.exitCode, 1);
    EXPECT_NE(f.err.find("not a folder"), std::string::npos) << f.err;
}

TEST(DataFolder, aReportFileStaysRelativeToTheCurrentFolder) {
    TempFolder current, data;
    CliRun how;
    how.folder = current.path();
    const CliOutcome o = runCli({"--data-folder", data.path(), "export", "--ics", "out.ics"}, how);
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_TRUE(fs::exists(current.file("out.ics")));
    EXPECT_FALSE(fs::exists(data.file("out.ics")));
    EXPECT_TRUE(fs::exists(data.file("SM.KTB")));
}

// `run` holds a shared lock on a file of its own in the data folder while it runs, which the window
// program tests for; the data files are never locked that way.
TEST(DataFolder, runAnnouncesItselfWhileItRuns) {
    SchedulerFolders folders;
    const std::string lock = folders.file("tarvelo96-scheduler.lock");
    const auto heldByOthers = [&lock] {
        const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return held;
    };
    CliProcess run({"run"}, folders);
    for (int i = 0; i < 200 && !heldByOthers(); ++i) ::usleep(25'000);
    EXPECT_TRUE(heldByOthers()) << run.err();
    run.kill(SIGTERM);
    EXPECT_EQ(run.wait(), 0) << run.err();
    EXPECT_FALSE(heldByOthers());
}

// The user unit's ExecStart line, started as systemd would start it (the program found on the search
// path, here the built one), keeps its data in the user's data folder and ticks there.
TEST(DataFolder, theUserUnitRunsTheSchedulerOnTheUsersDataFolder) {
    std::ifstream unit(std::string(TARVELO_TESTS_DIR) + "/../packaging/tarvelo96-scheduler.service");
    std::vector<std::string> words;
    for (std::string line; std::getline(unit, line);) {
        if (line.rfind("ExecStart=", 0) != 0) continue;
        std::istringstream in(line.substr(10));
        for (std::string w; in >> w;) words.push_back(w);
    }
    ASSERT_GE(words.size(), 2u);
    ASSERT_EQ(words[0], "tarvelo96-cli");
    words.erase(words.begin());
    SchedulerFolders folders;
    const std::string xdg = folders.aside("xdg");
    CliProcess service(words, folders, {{"XDG_DATA_HOME", xdg}});
    const std::string data = xdg + "/tarvelo96";
    for (int i = 0; i < 200 && !fs::exists(data + "/" + "tarvelo96-scheduler.lock"); ++i) ::usleep(25'000);
    EXPECT_TRUE(fs::exists(data + "/SM.KTB")) << service.err();
    EXPECT_EQ(modeOf(data), 0700u);
    EXPECT_FALSE(fs::exists(folders.file("SM.KTB")));
    service.kill(SIGTERM);
    EXPECT_EQ(service.wait(), 0) << service.err();
    EXPECT_NE(service.out().find("{\"event\":\"title\""), std::string::npos) << service.out();
}

}  // namespace
}  // namespace tarvelo::test
