// The data files are their owner's alone: made owner-only, log and index included; a check says so of
// one that others may read; another user's program is turned away before it touches anything, and what
// such a visit left behind in an older version does not keep the owner from writing.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/cli_run.h"
#include "fakes/data_fixture.h"
#include "fakes/processes.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;

// A user other than the owner of the files (nobody): any number will do, as root becomes it.
constexpr unsigned kVisitor = 65533;

unsigned modeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<unsigned>(info.st_mode & 07777) : 0u;
}

unsigned ownerOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_uid : 0u;
}

class PrivateFilesTest : public ::testing::Test {
protected:
    CliOutcome runAs(unsigned user, const std::vector<std::string>& args) {
        CliRun how;
        how.folder = folders.data();
        how.asNobody = true;
        how.user = user;
        how.env = {{"XDG_CONFIG_HOME", folders.config()}};
        return runCli(args, how);
    }
    // The data folder as a shared one that anybody may write in, holding the owner's (nobody's) files.
    void shareFolderOwnedByNobody() {
        ASSERT_EQ(runCliIn(folders, {"check"}).exitCode, 0);
        for (const auto& entry : fs::directory_iterator(folders.data())) {
            ASSERT_EQ(::chown(entry.path().c_str(), kNobody, kNobody), 0);
        }
        ASSERT_EQ(::chmod(folders.data().c_str(), 0777), 0);
        ASSERT_EQ(::chmod(fs::path(folders.data()).parent_path().c_str(), 0755), 0);
    }
    std::vector<std::string> sideFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folders.data())) {
            const std::string name = entry.path().filename().string();
            if (name.ends_with("-wal") || name.ends_with("-shm")) names.push_back(name);
        }
        return names;
    }

    SchedulerFolders folders;
};

TEST_F(PrivateFilesTest, NewDataFilesAndTheLogsBesideThemAreTheOwnersAloneWhateverTheUmask) {
    const mode_t umaskBefore = ::umask(0);  // the programs started inherit it
    const CliResult check = runCliIn(folders, {"check"});
    CliProcess scheduler({"run"}, folders);  // holds SM.KTB open, its log and index beside it
    const auto bothThere = [&] { return fs::exists(folders.file("SM.KTB-wal")) && fs::exists(folders.file("SM.KTB-shm")); };
    for (int i = 0; i < 1000 && !bothThere(); ++i) ::usleep(10000);
    const bool logged = bothThere();
    ::umask(umaskBefore);

    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    ASSERT_TRUE(logged) << "the scheduler did not open the data file";
    for (const char* name : {"SM.KTB", "TagFile_.KTB", "SM.KTB-wal", "SM.KTB-shm"}) {
        EXPECT_EQ(modeOf(folders.file(name)), 0600u) << name;
    }
}

TEST_F(PrivateFilesTest, CheckSaysSoOfADataFileOthersMayReadAndLeavesItsModeAlone) {
    ASSERT_EQ(runCliIn(folders, {"check"}).exitCode, 0);
    ASSERT_EQ(::chmod(folders.file("SM.KTB").c_str(), 0644), 0);

    const CliResult r = runCliIn(folders, {"check"});

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\nSM.KTB: other users may read it (mode 0644): chmod 600 SM.KTB keeps it to its owner\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("TagFile_.KTB: other users"), std::string::npos) << r.out;
    EXPECT_EQ(modeOf(folders.file("SM.KTB")), 0644u);
}

TEST_F(PrivateFilesTest, AnotherUsersProgramIsToldTheFileIsNotItsAndLeavesNothingBehind) {
    shareFolderOwnedByNobody();
    ASSERT_EQ(::chmod(folders.file("SM.KTB").c_str(), 0644), 0);  // an older file, readable by all
    const std::string before = readBytes(folders.file("SM.KTB"));

    const CliOutcome visit = runAs(kVisitor, {"list"});

    EXPECT_EQ(visit.exitCode, 3);
    EXPECT_NE(visit.err.find("File Access Error"), std::string::npos) << visit.err;
    EXPECT_NE(visit.err.find("SM.KTB belongs to user nobody: only its owner may open it (SQLITE_PERM (3))"),
              std::string::npos)
        << visit.err;
    EXPECT_EQ(sideFiles(), std::vector<std::string>{}) << "no log, no index left by the visit";
    EXPECT_EQ(readBytes(folders.file("SM.KTB")), before);
    const CliOutcome owner = runAs(kNobody, {"categories", "add", "Work"});
    EXPECT_EQ(owner.exitCode, 0) << owner.err;
}

TEST_F(PrivateFilesTest, TheOwnersNextWriteRecoversFromTheLogAnOlderVisitLeftBehind) {
    shareFolderOwnedByNobody();
    ASSERT_EQ(::chmod(folders.file("SM.KTB").c_str(), 0644), 0);
    // A read by another user as older versions made it: a read-only connection that leaves its log and
    // index beside the file, owned by the visitor.
    const std::string file = folders.file("SM.KTB");
    ChildProcess visitor([&file](ChildProcess&) {
        if (!dropRoot(kVisitor)) return 1;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return 2;
        const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return rc == SQLITE_OK ? 0 : 3;
    });
    ASSERT_EQ(visitor.join(), 0);
    ASSERT_EQ(ownerOf(folders.file("SM.KTB-shm")), kVisitor) << "the visit left its index";

    const CliOutcome added = runAs(kNobody, {"categories", "add", "Work"});
    const CliOutcome listed = runAs(kNobody, {"categories", "list"});

    EXPECT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(listed.out, "Work\n") << listed.err;
    for (const std::string& side : sideFiles()) EXPECT_EQ(ownerOf(folders.file(side)), kNobody) << side;
}

}  // namespace
}  // namespace tarvelo::test
