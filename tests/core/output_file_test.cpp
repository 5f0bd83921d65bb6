// A file written for the user: whole or not at all, a failed write reported and the old file kept, never
// over a file the caller keeps off or onto anything but a regular file.
#include "core/output_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fakes/store_fixture.h"
#include "fakes/temp_folder.h"

namespace tarvelo {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int entries(const std::string& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

class OutputFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string target = folder.file("out.ics");
};

TEST_F(OutputFileTest, ReplacesTheTargetOnlyOnCommitKeepingItsModeAndItsLink) {
    // GIVEN an old file, reached through a link
    std::ofstream(target) << "old";
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    fs::create_symlink(target, folder.file("link.ics"));
    OutputFile out;
    ASSERT_TRUE(out.open(folder.file("link.ics"), {}).ok());
    ASSERT_TRUE(out.write("new ").ok());
    ASSERT_TRUE(out.write("text").ok());
    // WHEN nothing is committed yet THEN the old file is there
    EXPECT_EQ(readText(target), "old");
    // WHEN it is committed THEN the file behind the link is new, with the old mode, and the link is kept
    ASSERT_TRUE(out.commit().ok());
    EXPECT_EQ(readText(target), "new text");
    EXPECT_TRUE(fs::is_symlink(folder.file("link.ics")));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(entries(folder.path()), 2);
}

TEST_F(OutputFileTest, AFailedWriteIsReportedAndLeavesTheOldFileAlone) {
    std::ofstream(target) << "old";
    // A process that may write no file past 1,000 bytes: its writes beyond fail as on a full disk.
    store::testing::ChildProcess child([this](store::testing::ChildProcess&) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{1000, 1000};
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) return 10;
        OutputFile out;
        if (!out.open(target, {}).ok()) return 11;
        const FileStatus s = out.write(std::string(5000, 'x'));
        if (s.ok()) return 12;
        if (s.problem.rfind("cannot write " + target + ": File too large", 0) != 0) return 13;
        return out.commit().ok() ? 14 : 0;
    });
    EXPECT_EQ(child.join(), 0);
    EXPECT_EQ(readText(target), "old");
    EXPECT_EQ(entries(folder.path()), 1) << "the temporary file is gone";
}

TEST_F(OutputFileTest, RefusesFilesKeptOffAndWhatIsNotAFile) {
    std::ofstream(folder.file("data")) << "precious";
    fs::create_hard_link(folder.file("data"), folder.file("other name"));
    fs::create_directory(folder.file("dir"));
    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0600), 0);
    const std::vector<std::string> keepOff = {folder.file("data"), folder.file("data-wal")};
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"data", "it is one of the program's own files"},
        {"other name", "it is one of the program's own files"},
        {"data-wal", "it is one of the program's own files"},
        {"dir", "it is a folder, not a file"},
        {"fifo", "it is a FIFO, not a regular file"},
    };
    for (const auto& [name, why] : cases) {
        OutputFile out;
        const FileStatus s = out.open(folder.file(name), keepOff);
        EXPECT_NE(s.problem.find(why), std::string::npos) << name << ": " << s.problem;
    }
    EXPECT_EQ(readText(folder.file("data")), "precious");
    std::string content;
    EXPECT_EQ(readRegularFile(folder.file("fifo"), content, 100).problem,
              "cannot read " + folder.file("fifo") + ": it is a FIFO, not a regular file");
    EXPECT_FALSE(readRegularFile(folder.file("data"), content, 3).ok());
    ASSERT_TRUE(readRegularFile(folder.file("data"), content, 100).ok());
    EXPECT_EQ(content, "precious");
}

}  // namespace
}  // namespace tarvelo
