// Where tarvelo96-cli report may write its PDF file: never over one of the program's own files, never
// into what is not a regular file, never in place of a file the user may not write; an existing file is
// replaced only by a whole new one, so a full disk or a kill half-way leaves it as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/date.h"
#include "fakes/case_names.h"
#include "fakes/cli_run.h"
#include "fakes/data_fixture.h"
#include "fakes/processes.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;

class ReportTargetTest : public ::testing::Test {
protected:
    ReportTargetTest() { addTasks(3); }

    // count tasks, each with a message of some lines, so that every one fills a band of the date report.
    void addTasks(int count) {
        FolderFiles data(folders.data());
        TableUse use(data.files, TableId::schedule);
        auto schedule = data.files.schedule();
        store::Transaction tx;
        ASSERT_TRUE(tx.begin({&schedule.table()}).ok());
        for (int n = 0; n < count; ++n) {
            Task t;
            t.id = ++m_lastId;
            t.description = "Task " + std::to_string(t.id);
            t.category = "Work";
            t.taskType = TaskType::Both;
            t.command = "backup.sh --all --verbose " + std::to_string(t.id);
            t.message = "Look at the backup log\nand at the free space";
            t.scheduleType = ScheduleType::Once;
            t.date = dateFromYmd(1997, 1, 31) + t.id;
            t.time = timeFromHms(9, 0);
            ASSERT_TRUE(schedule.add(t).ok());
        }
        ASSERT_TRUE(tx.commit().ok());
    }
    CliResult report(const std::string& target) { return runCliIn(folders, {"report", "date", "--pdf", target}); }
    // The names in the data folder other than the data files: what a report left behind.
    std::vector<std::string> othersInFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folders.data())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("SM.KTB", 0) != 0 && name.rfind("TagFile_.KTB", 0) != 0) names.push_back(name);
        }
        return names;
    }
    static std::string cannotWrite(const std::string& target, const std::string& why) {
        return "tarvelo96-cli report: cannot write " + target + ": " + why + "\n";
    }

    SchedulerFolders folders;
    int m_lastId = 0;
};

// The program's own files, reached by their names or otherwise; each is refused and left as it was.
struct OwnFile {
    const char* name;
    const char* shown;  // the file the message names
    std::function<std::string(const SchedulerFolders&)> target;
};

class OwnFileTest : public ReportTargetTest, public ::testing::WithParamInterface<OwnFile> {};

TEST_P(OwnFileTest, IsRefusedAndLeftAsItWas) {
    const std::string iniFile = folders.config() + "/tarvelo96/Tarvelo96.INI";
    writeBytes(iniFile, "[Settings]\nHistoryExpires=7\n");
    const std::string dataBefore = readBytes(folders.file("SM.KTB"));
    const std::string target = GetParam().target(folders);

    const CliResult r = report(target);

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, cannotWrite(target, std::string("it is one of the program's own files (") + GetParam().shown + ")"));
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readBytes(folders.file("SM.KTB")), dataBefore);
    EXPECT_EQ(readBytes(iniFile), "[Settings]\nHistoryExpires=7\n");
    const CliResult list = runCliIn(folders, {"list"});
    EXPECT_EQ(list.exitCode, 0) << list.err;
}

INSTANTIATE_TEST_SUITE_P(
    Targets, OwnFileTest,
    ::testing::Values(
        OwnFile{"DataFile", "SM.KTB", [](const SchedulerFolders& f) { return f.file("SM.KTB"); }},
        OwnFile{"DataFileByARelativePathThroughItsFolder", "SM.KTB",
                [](const SchedulerFolders&) { return "../data/./SM.KTB"; }},
        OwnFile{"DataFileLogNotThereNow", "SM.KTB-wal", [](const SchedulerFolders& f) { return f.file("SM.KTB-wal"); }},
        OwnFile{"TagFileLogIndex", "TagFile_.KTB-shm", [](const SchedulerFolders& f) { return f.file("TagFile_.KTB-shm"); }},
        OwnFile{"LinkToTheDataFile", "SM.KTB",
                [](const SchedulerFolders& f) {
                    fs::create_symlink("SM.KTB", f.file("report.pdf"));
                    return f.file("report.pdf");
                }},
        OwnFile{"LinkToTheLogNotThereNow", "SM.KTB-wal",
                [](const SchedulerFolders& f) {
                    fs::create_symlink(f.file("SM.KTB-wal"), f.aside("report.pdf"));
                    return f.aside("report.pdf");
                }},
        OwnFile{"HardLinkToTheDataFile", "SM.KTB",
                [](const SchedulerFolders& f) {
                    fs::create_hard_link(f.file("SM.KTB"), f.aside("copy.pdf"));
                    return f.aside("copy.pdf");
                }},
        OwnFile{"MainIniFile", "Tarvelo96.INI",
                [](const SchedulerFolders& f) { return f.config() + "/tarvelo96/Tarvelo96.INI"; }},
        OwnFile{"WarningIniFileNotThere", "PELLSCHD.INI",
                [](const SchedulerFolders& f) { return f.config() + "/tarvelo96/PELLSCHD.INI"; }}),
    NamedBy<&OwnFile::name>());

// What is not a regular file: the report is refused at once, nothing hangs, nothing is written into it.
struct NotAFile {
    const char* name;
    std::function<std::string(const SchedulerFolders&)> target;
};

class NotAFileTest : public ReportTargetTest, public ::testing::WithParamInterface<NotAFile> {};

TEST_P(NotAFileTest, IsRefusedAtOnce) {
    const std::string target = GetParam().target(folders);
    CliProcess p({"report", "date", "--pdf", target}, folders);

    const std::optional<int> code = p.waitFor(20000);

    ASSERT_TRUE(code.has_value()) << "the report still waits on " << target;
    EXPECT_EQ(*code, 1);
    EXPECT_EQ(p.err(), cannotWrite(target, "it is not a regular file"));
    EXPECT_EQ(p.out(), "");
}

INSTANTIATE_TEST_SUITE_P(Targets, NotAFileTest,
                         ::testing::Values(NotAFile{"Fifo",
                                                    [](const SchedulerFolders& f) {
                                                        const std::string fifo = f.aside("report.fifo");
                                                        EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
                                                        return fifo;
                                                    }},
                                           NotAFile{"DevFull", [](const SchedulerFolders&) { return "/dev/full"; }},
                                           NotAFile{"Folder", [](const SchedulerFolders& f) { return f.config(); }}),
                         NamedBy<&NotAFile::name>());

TEST_F(ReportTargetTest, AReadOnlyFileOfTheUserIsRefusedAndKept) {
    const std::string target = folders.file("t.pdf");
    writeBytes(target, "x\n");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    // As an ordinary user: root may write anything. The user owns the folder and every file in it.
    for (const auto& entry : fs::recursive_directory_iterator(folders.data())) {
        ASSERT_EQ(::chown(entry.path().c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chown(folders.data().c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(fs::path(folders.data()).parent_path().c_str(), 0755), 0);
    CliRun how;
    how.folder = folders.data();
    how.asNobody = true;

    const CliOutcome r = runCli({"report", "date", "--pdf", "t.pdf"}, how);

    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, cannotWrite("t.pdf", "it is read-only"));
    EXPECT_EQ(readBytes(target), "x\n");
}

TEST_F(ReportTargetTest, AnExistingFileIsReplacedWhole) {
    const std::string target = folders.file("report.pdf");
    writeBytes(target, "old report\n");

    const CliResult r = report(target);

    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string pdf = readBytes(target);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos) << "a whole file";
    EXPECT_EQ(othersInFolder(), std::vector<std::string>{"report.pdf"}) << "nothing else left behind";
}

TEST_F(ReportTargetTest, AFullDiskFailsTheReportAndLeavesTheOldFile) {
    addTasks(60);  // a report of some hundred kilobytes
    const std::string target = folders.file("report.pdf");
    writeBytes(target, "old report\n");
    CliRun how;
    how.folder = folders.data();
    how.env = {{"XDG_CONFIG_HOME", folders.config()}};
    how.fileSizeLimit = 64 * 1024;

    const CliOutcome r = runCli({"report", "date", "--pdf", "report.pdf"}, how);

    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_EQ(r.err.rfind("tarvelo96-cli report: cannot write report.pdf: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("; it is left as it was\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readBytes(target), "old report\n");
    EXPECT_EQ(othersInFolder(), std::vector<std::string>{"report.pdf"}) << "no half-written file left";
}

// Whether the process has a file open in folder that has no name there yet: the new report being written.
bool writingUnnamedFileIn(pid_t pid, const std::string& folder) {
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        const std::string target = fs::read_symlink(fd.path(), ec).string();
        if (!ec && target.rfind(folder + "/#", 0) == 0) return true;
    }
    return false;
}

TEST_F(ReportTargetTest, AReportKilledWhileWritingLeavesTheOldFileAndNothingElse) {
    addTasks(3000);  // a thousand pages: time to catch the writing in
    const std::string target = folders.file("report.pdf");
    writeBytes(target, "old report\n");
    CliProcess p({"report", "date", "--pdf", target}, folders);

    bool caught = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!caught && std::chrono::steady_clock::now() < end && !p.waitFor(0)) {
        caught = writingUnnamedFileIn(p.pid(), folders.data());
        if (!caught) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    p.kill(SIGKILL);
    p.wait();

    ASSERT_TRUE(caught) << "the report ended before its file was seen being written";
    EXPECT_EQ(readBytes(target), "old report\n");
    EXPECT_EQ(othersInFolder(), std::vector<std::string>{"report.pdf"}) << "no half-written file left";
}

TEST_F(ReportTargetTest, AMissingPdfWriterFailsTheReportAndLeavesTheOldFile) {
    const std::string target = folders.file("report.pdf");
    writeBytes(target, "old report\n");

    const CliResult r = [&] {
        const LoneCli alone(folders);
        return report(target);
    }();

    EXPECT_EQ(r.exitCode, 1);
    // Looked for beside the program, then where an installation keeps it.
    const std::string writer = folders.aside("libexec/tarvelo96/tarvelo96-pdf");
    EXPECT_EQ(r.err, cannotWrite(target, "its writer " + writer + " cannot be started: No such file or directory"));
    EXPECT_EQ(readBytes(target), "old report\n");
}

}  // namespace
}  // namespace tarvelo::test
