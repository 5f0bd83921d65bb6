#include "data/data_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <ostream>

#include "fakes/cli_run.h"
#include "fakes/data_fixture.h"
#include "fakes/lock_wait.h"

namespace tarvelo {
namespace {

using test::DataTest;
using test::ForeignLock;
using test::HaltCalled;

class OpenDataTableTest : public DataTest {};

TEST_F(OpenDataTableTest, GivenNoDataFilesWhenEveryTableIsUsedThenEachIsCreatedEmptyWithoutAMessage) {
    ASSERT_FALSE(std::filesystem::exists(dataFile()));
    for (int i = 0; i < kTableCount; ++i) {
        const auto id = static_cast<TableId>(i);
        files->use(id);
        EXPECT_TRUE(files->table(id).isOpen());
        EXPECT_EQ(files->table(id).records().value(), 0);
    }
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_FALSE(halt.halted());
    EXPECT_TRUE(std::filesystem::exists(dataFile()));
    EXPECT_TRUE(std::filesystem::exists(tagFile()));
}

TEST_F(OpenDataTableTest, GivenUsesOfATableThenItOpensOnTheFirstAndClosesAfterTheLast) {
    files->use(TableId::toDo);
    files->use(TableId::toDo);
    EXPECT_EQ(files->useCount(TableId::toDo), 2);
    files->release(TableId::toDo);
    EXPECT_TRUE(files->table(TableId::toDo).isOpen());
    files->release(TableId::toDo);
    EXPECT_EQ(files->useCount(TableId::toDo), 0);
    EXPECT_FALSE(files->table(TableId::toDo).isOpen());
    {
        TableUse use(*files, TableId::categories);
        EXPECT_TRUE(files->table(TableId::categories).isOpen());
    }
    EXPECT_FALSE(files->table(TableId::categories).isOpen());
}

TEST_F(OpenDataTableTest, GivenADamagedKeyWhenTheUserAnswersNoThenTheProgramStopsWithInvalidKey) {
    createTables();
    const auto indexes = test::indexesOf(dataFile(), "Schedule");
    ASSERT_FALSE(indexes.empty());
    test::runSql(dataFile(), "DROP INDEX \"" + indexes.front() + "\"");

    messages.answer(platform::kNo);
    EXPECT_THROW(files->use(TableId::schedule), HaltCalled);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Invalid Key");
    EXPECT_EQ(messages.last().text, "SM\\!Schedule key file is invalid.  Do you want to rebuild the key?");
    EXPECT_EQ(messages.last().defaultButton, platform::kYes);
    EXPECT_EQ(halt.stopTexts(), std::vector<std::string>{"Invalid Key!"});
    EXPECT_EQ(files->useCount(TableId::schedule), 0);
}

TEST_F(OpenDataTableTest, GivenADamagedKeyWhenTheUserAnswersYesThenTheKeysAreRebuiltAndTheTableOpens) {
    {
        TableUse use(*files, TableId::schedule);
        for (int id = 1; id <= 3; ++id) {
            Task task;
            task.id = id;
            task.date = 71622 - id;
            ASSERT_TRUE(files->schedule().add(task).ok());
        }
    }
    const auto before = test::indexesOf(dataFile(), "Schedule");
    test::runSql(dataFile(), "DROP INDEX \"" + before.back() + "\"");

    messages.answer(platform::kYes);
    files->use(TableId::schedule);
    EXPECT_EQ(messages.captions(), std::vector<std::string>{"Invalid Key"});
    EXPECT_FALSE(halt.halted());
    EXPECT_TRUE(files->table(TableId::schedule).isOpen());
    EXPECT_EQ(test::indexesOf(dataFile(), "Schedule").size(), before.size());

    // The rebuilt keys order the records again.
    auto schedule = files->schedule();
    ASSERT_TRUE(schedule.setToStart(ScheduleKey::keyDate).ok());
    Task first;
    ASSERT_TRUE(schedule.next(first).ok());
    EXPECT_EQ(first.id, 3);
    files->release(TableId::schedule);

    // And the next start finds nothing to repair.
    reopenFiles();
    messages.clear();
    files->use(TableId::schedule);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(OpenDataTableTest, GivenAStoredLayoutThatDoesNotMatchTheRecordThenInvalidFileStopsTheProgram) {
    createTables();
    test::runSql(dataFile(), "ALTER TABLE Categories ADD COLUMN EXTRA INTEGER");

    EXPECT_THROW(files->use(TableId::categories), HaltCalled);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "Invalid File");
    EXPECT_EQ(messages.last().text,
              "Error: (Invalid Record Declaration (47)) accessing SM\\!Categories.  Press OK to end this application.");
    EXPECT_EQ(halt.stopTexts(), std::vector<std::string>{"Invalid File!"});
}

TEST_F(OpenDataTableTest, GivenAnSmFileThatIsNoDatabaseThenItIsReportedTheProgramStopsAndTheFileIsUntouched) {
    const std::string garbage = "These are somebody's notes, not a table file.\n" + std::string(5000, '#');
    test::writeBytes(dataFile(), garbage);

    EXPECT_THROW(files->use(TableId::schedule), HaltCalled);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, "File Access Error");
    EXPECT_EQ(messages.last().text.rfind("File (SM\\!Schedule) could not be opened.  Error: ", 0), 0u)
        << messages.last().text;
    EXPECT_EQ(halt.stopTexts(), std::vector<std::string>{"Disk Error"});
    EXPECT_EQ(test::readBytes(dataFile()), garbage);

    // Creating is not a way around it either: every table of that file stops the same way.
    EXPECT_THROW(files->use(TableId::toDo), HaltCalled);
    EXPECT_EQ(test::readBytes(dataFile()), garbage);
    EXPECT_FALSE(std::filesystem::exists(dataFile() + "-wal"));
}

TEST_F(OpenDataTableTest, GivenATruncatedDataFileThenTheProgramStopsWithAMessageAndWritesNothing) {
    {
        TableUse use(*files, TableId::toDo);
        for (int i = 0; i < 400; ++i) {
            ToDo item;
            item.priority = static_cast<Byte>(1 + i % 10);
            item.todo = "Item number " + std::to_string(i);
            ASSERT_TRUE(files->toDo().add(item).ok());
        }
    }
    const std::string whole = test::readBytes(dataFile());
    ASSERT_GT(whole.size(), 8192u);
    const std::string cut = whole.substr(0, whole.size() / 2);
    test::writeBytes(dataFile(), cut);

    // Whatever the damage is taken for, the program does not carry on as if nothing happened.
    messages.answer(platform::kNo);
    EXPECT_THROW(files->use(TableId::toDo), HaltCalled);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(halt.stopTexts().size(), 1u);
    EXPECT_EQ(test::readBytes(dataFile()), cut);
}

TEST_F(OpenDataTableTest, GivenAnotherProgramWritingWhenATableIsOpenedThenItOpensWithoutWaiting) {
    createTables();
    closeFiles();
    ForeignLock lock(dataFile());
    reopenFiles();
    const auto start = std::chrono::steady_clock::now();
    files->use(TableId::schedule);
    EXPECT_LT(test::secondsSince(start), 1.5);
    EXPECT_EQ(messages.count(), 0u);
    files->release(TableId::schedule);
}

TEST_F(OpenDataTableTest, GivenAnotherProgramHoldingTheFileExclusivelyThenFileBusyOffersRetryAndCancelGivesUp) {
    const test::LockWaitFor measured(std::chrono::seconds(1));
    createTables();
    closeFiles();
    ForeignLock lock(dataFile(), /*exclusive=*/true);
    reopenFiles();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(files->use(TableId::schedule), HaltCalled);
    const double waited = test::secondsSince(start);
    EXPECT_GE(waited, 0.9);
    EXPECT_LT(waited, 10.0);
    EXPECT_EQ(messages.captions(), std::vector<std::string>{"File Busy"});
    EXPECT_EQ(halt.stopTexts(), std::vector<std::string>{}) << "a busy file is no fatal error";
    EXPECT_EQ(halt.givenUp(), std::vector<std::string>{"File Busy"});
}

// At start-up a table that is still missing is created, which takes the write lock: held by another
// program beyond the lock wait, the user is asked whether to wait again, never told of a creation error.
TEST_F(OpenDataTableTest, GivenTheLockHeldBeyondTheWaitWhenAMissingTableIsCreatedThenRetryCreatesItOnceFree) {
    files->use(TableId::schedule);
    files->release(TableId::schedule);
    closeFiles();
    auto lock = std::make_unique<ForeignLock>(dataFile());
    reopenFiles();
    messages.answer(platform::kRetry);
    messages.onShow = [&](const platform::MessageBoxRequest&) { lock.reset(); };

    files->use(TableId::history);

    EXPECT_EQ(messages.captions(), std::vector<std::string>{"File Busy"});
    EXPECT_NE(messages.last().text.find("SM\\!History is busy: "), std::string::npos) << messages.last().text;
    EXPECT_TRUE(files->table(TableId::history).isOpen());
    EXPECT_FALSE(halt.halted());
    files->release(TableId::history);
}

// A folder the user may only read (a backup, another user's files) still shows its tasks; every write is
// refused with the driver's reason. Root may write anyway, so the case runs as the user nobody.
TEST_F(OpenDataTableTest, GivenAReadOnlyFolderThenTheTablesOpenWithoutAMessageAndWritesAreRefused) {
    createTables();
    {
        Task t;
        t.id = 1;
        t.description = "Kept";
        TableUse use(*files, TableId::schedule);
        ASSERT_TRUE(files->schedule().add(t).ok());
    }
    closeFiles();
    ASSERT_EQ(::chmod(dataFile().c_str(), 0444), 0);
    // Its owner's file, read by its owner: root may write anything, so the owner is nobody.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(dataFile().c_str(), test::kNobody, test::kNobody), 0);
    }
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    const std::string before = test::readBytes(dataFile());
    const std::string path = folder.path();
    // Exit code 0: read, and the write refused; 9: could not become nobody; others: what went wrong.
    test::ChildProcess child([path](test::ChildProcess&) {
        if (::geteuid() == 0 && !test::dropRoot()) return 9;
        test::FakeMessageBox box;
        test::FakeHalt stop;
        DataWarning childWarn(box, stop);
        DataFiles childFiles(childWarn, path);
        try {
            TableUse use(childFiles, TableId::schedule);
            if (box.count() != 0 || childFiles.schedule().records().value() != 1) return 1;
            Task t;
            t.id = 2;
            const store::Status s = childFiles.schedule().add(t);
            return s.driverCode == "SQLITE_READONLY (8)" ? 0 : 2;
        } catch (const HaltCalled&) {
            return 3;
        }
    });
    EXPECT_EQ(child.join(), 0);
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(test::readBytes(dataFile()), before);
}

// Something that is not a file where a data file belongs: opening it must neither hang (a FIFO blocks an
// open for reading until a writer comes) nor touch it; the user gets the file-access message.
struct NotAFile {
    const char* name;
    void (*make)(const std::string& path);
    TableId table;
    friend void PrintTo(const NotAFile& c, std::ostream* os) { *os << c.name; }
};

class NotAFileTest : public DataTest, public ::testing::WithParamInterface<NotAFile> {};

TEST_P(NotAFileTest, GivenNoRegularFileWhereTheDataFileBelongsThenFileAccessErrorWithoutHanging) {
    const std::string path = GetParam().table == TableId::tagFile ? tagFile() : dataFile();
    GetParam().make(path);
    const auto before = std::filesystem::symlink_status(path).type();
    const TableId table = GetParam().table;
    const std::string folderPath = folder.path();
    // Exit code 0: the message and the stop; 1: opened; 2: another outcome; -1: killed by the alarm.
    test::ChildProcess child([table, folderPath](test::ChildProcess&) {
        ::alarm(10);
        test::FakeMessageBox box;
        test::FakeHalt stop;
        DataWarning childWarn(box, stop);
        DataFiles childFiles(childWarn, folderPath);
        try {
            childFiles.use(table);
        } catch (const HaltCalled& h) {
            return box.captions() == std::vector<std::string>{"File Access Error"} && h.stopText == "Disk Error" ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(child.join(), 0);
    EXPECT_EQ(std::filesystem::symlink_status(path).type(), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
}

void makeFifo(const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); }
void makeDevice(const std::string& path) { std::filesystem::create_symlink("/dev/null", path); }
void makeFolder(const std::string& path) { std::filesystem::create_directory(path); }

INSTANTIATE_TEST_SUITE_P(Cases, NotAFileTest,
                         ::testing::Values(NotAFile{"FifoForTheDataFile", &makeFifo, TableId::schedule},
                                           NotAFile{"DeviceForTheDataFile", &makeDevice, TableId::schedule},
                                           NotAFile{"FolderForTheDataFile", &makeFolder, TableId::schedule},
                                           NotAFile{"FifoForTheTagFile", &makeFifo, TableId::tagFile},
                                           NotAFile{"DeviceForTheTagFile", &makeDevice, TableId::tagFile},
                                           NotAFile{"FolderForTheTagFile", &makeFolder, TableId::tagFile}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo
