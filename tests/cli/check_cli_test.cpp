// tarvelo96-cli check, run in a folder of its own as a user would run it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "data/data_files.h"
#include "fakes/data_fixture.h"
#include "fakes/cli_run.h"
#include "fakes/fake_ports.h"
#include "data/records.h"

namespace {

using Outcome = tarvelo::test::CliOutcome;

struct RunOptions {
    std::optional<std::string> answerEnv;  // TARVELO_ANSWER
    bool asNobody = false;                 // drop root, so file permissions hold
};

// Runs `tarvelo96-cli check` in folder with args.
Outcome runCli(const std::string& folder, const std::vector<std::string>& args, const RunOptions& options = {}) {
    std::vector<std::string> all{"check"};
    all.insert(all.end(), args.begin(), args.end());
    tarvelo::test::CliRun how;
    how.folder = folder;
    how.answerEnv = options.answerEnv;
    how.asNobody = options.asNobody;
    return tarvelo::test::runCli(all, how);
}

using tarvelo::test::readBytes;
using tarvelo::test::runSql;

std::string firstIndexOf(const std::string& path, const std::string& table) {
    const auto names = tarvelo::test::indexesOf(path, table);
    return names.empty() ? std::string() : names.front();
}

class CheckCommand : public testing::Test {
protected:
    std::string dataFile() const { return folder + "/SM.KTB"; }

    tarvelo::test::TempFolder temp;
    std::string folder = temp.path();
};

const char* const kEmptyTables =
    "SM\\!Schedule 0\n"
    "SM\\!Categories 0\n"
    "SM\\!ToDo 0\n"
    "SM\\!History 0\n"
    "SM\\!RunLog 0\n"
    "TagFile_\\!TagFile_ 0\n";

TEST_F(CheckCommand, GivenAnEmptyFolderThenEveryTableIsCreatedSilentlyAndListedWithNoRecords) {
    const Outcome o = runCli(folder, {});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, kEmptyTables);
    EXPECT_EQ(o.err, "");
    EXPECT_TRUE(std::filesystem::exists(dataFile()));
    EXPECT_TRUE(std::filesystem::exists(folder + "/TagFile_.KTB"));
}

TEST_F(CheckCommand, GivenStoredRecordsThenTheirCountsArePrinted) {
    ASSERT_EQ(runCli(folder, {}).exitCode, 0);
    {
        tarvelo::test::FakeMessageBox box;
        tarvelo::test::FakeHalt halt;
        tarvelo::DataWarning warn(box, halt);
        tarvelo::DataFiles files(warn, folder);
        tarvelo::TableUse use(files, tarvelo::TableId::toDo);
        for (const char* text : {"a", "b"}) {
            tarvelo::ToDo item;
            item.todo = text;
            ASSERT_TRUE(files.toDo().add(item).ok());
        }
    }
    const Outcome o = runCli(folder, {});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_NE(o.out.find("SM\\!ToDo 2\n"), std::string::npos) << o.out;
}

TEST_F(CheckCommand, GivenDamageOutsideEveryTableThenItIsFoundAndTheExitCodeSaysSo) {
    ASSERT_EQ(runCli(folder, {}).exitCode, 0);
    {
        tarvelo::test::FakeMessageBox box;
        tarvelo::test::FakeHalt halt;
        tarvelo::DataWarning warn(box, halt);
        tarvelo::DataFiles files(warn, folder);
        tarvelo::TableUse use(files, tarvelo::TableId::toDo);
        tarvelo::ToDo item;
        item.todo = "counted";  // a number is handed out, and kept
        ASSERT_TRUE(files.toDo().add(item).ok());
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dataFile().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name = 'sqlite_sequence'", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    const long page = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    // Scribble over the cells of the page that numbers new records: every later insert fails on it.
    std::string bytes = readBytes(dataFile());
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(page * 4096));
    bytes.replace(static_cast<std::size_t>((page - 1) * 4096 + 8), 64, std::string(64, '\xff'));
    { std::ofstream(dataFile(), std::ios::binary | std::ios::trunc) << bytes; }

    const Outcome o = runCli(folder, {"--full"});

    EXPECT_EQ(o.exitCode, 1) << o.err;
    EXPECT_EQ(o.out.rfind("SM\\!Schedule 0\n", 0), 0u) << "the tables still open and count";
    EXPECT_NE(o.out.find("\nSM.KTB: "), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find("TagFile_.KTB: "), std::string::npos) << o.out;
}

TEST_F(CheckCommand, GivenAKeyPageDamagedThenTheFullCheckFindsItAndItsDefaultYesRebuildsTheKey) {
    ASSERT_EQ(runCli(folder, {}).exitCode, 0);
    {
        tarvelo::test::FakeMessageBox box;
        tarvelo::test::FakeHalt halt;
        tarvelo::DataWarning warn(box, halt);
        tarvelo::DataFiles files(warn, folder);
        tarvelo::TableUse use(files, tarvelo::TableId::categories);
        for (int i = 0; i < 600; ++i) {  // enough for the key to have pages below its root
            tarvelo::Category c;
            c.category = "Category " + std::to_string(i);
            ASSERT_TRUE(files.categories().add(c).ok());
        }
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dataFile().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_schema WHERE name = 'Categories!CAT:KEYCATEGORY'", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    const long page = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    std::string bytes = readBytes(dataFile());
    bytes.replace(static_cast<std::size_t>((page - 1) * 4096), 64, std::string(64, '\xff'));
    { std::ofstream(dataFile(), std::ios::binary | std::ios::trunc) << bytes; }

    const Outcome o = runCli(folder, {"--full"});

    EXPECT_EQ(o.exitCode, 1) << "mended, but it was wrong: " << o.out << o.err;
    EXPECT_NE(o.err.find("SM\\!Categories key file is invalid.  Do you want to rebuild the key?"), std::string::npos) << o.err;
    EXPECT_NE(o.out.find("SM\\!Categories: Key File Must Be Rebuilt (46): its keys were rebuilt\nSM\\!Categories 600\n"),
              std::string::npos)
        << o.out;
    const Outcome again = runCli(folder, {"--full"});
    EXPECT_EQ(again.exitCode, 0) << again.out;
    EXPECT_EQ(again.err, "") << "repaired for good";
}

TEST_F(CheckCommand, GivenADamagedKeyThenTheQuestionGoesToStderrAndItsDefaultYesRebuildsTheKey) {
    ASSERT_EQ(runCli(folder, {}).exitCode, 0);
    const std::string index = firstIndexOf(dataFile(), "Schedule");
    ASSERT_FALSE(index.empty());
    runSql(dataFile(), "DROP INDEX \"" + index + "\"");

    const Outcome o = runCli(folder, {});
    EXPECT_EQ(o.exitCode, 1) << o.err;
    EXPECT_EQ(o.out, "SM\\!Schedule: Key File Must Be Rebuilt (46): its keys were rebuilt\n" + std::string(kEmptyTables));
    EXPECT_NE(o.err.find("Invalid Key"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("SM\\!Schedule key file is invalid.  Do you want to rebuild the key?"), std::string::npos);
    EXPECT_NE(o.err.find("answered: Yes"), std::string::npos) << o.err;
    EXPECT_EQ(firstIndexOf(dataFile(), "Schedule"), index);

    // Repaired for good: the next run asks nothing, and finds nothing wrong.
    const Outcome again = runCli(folder, {});
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(again.exitCode, 0);
}

TEST_F(CheckCommand, GivenADamagedKeyWhenAnsweredNoThenTheProgramStopsWithInvalidKey) {
    ASSERT_EQ(runCli(folder, {}).exitCode, 0);
    runSql(dataFile(), "DROP INDEX \"" + firstIndexOf(dataFile(), "Categories") + "\"");
    for (const auto& [args, env] : {std::pair<std::vector<std::string>, std::optional<std::string>>{{"--answer", "no"}, {}},
                                    {{"--answer=No"}, {}},
                                    {{}, std::string("no")}}) {
        const Outcome o = runCli(folder, args, RunOptions{env, false});
        EXPECT_NE(o.exitCode, 0);
        EXPECT_NE(o.err.find("answered: No"), std::string::npos) << o.err;
        EXPECT_EQ(o.err.substr(o.err.size() - 13), "Invalid Key!\n") << o.err;
        EXPECT_EQ(o.out, "SM\\!Schedule 0\n");  // the tables before it were fine
    }
}

TEST_F(CheckCommand, GivenAnAnswerTheBoxDoesNotOfferThenTheDefaultButtonAnswersIt) {
    ASSERT_EQ(runCli(folder, {}).exitCode, 0);
    runSql(dataFile(), "DROP INDEX \"" + firstIndexOf(dataFile(), "ToDo") + "\"");
    const Outcome o = runCli(folder, {"--answer", "retry"});
    EXPECT_EQ(o.exitCode, 1) << o.err;  // the key was rebuilt: something was wrong
    EXPECT_NE(o.err.find("answered: Yes"), std::string::npos) << o.err;
}

TEST_F(CheckCommand, GivenAnSmFileThatIsNoDatabaseThenFileAccessErrorAndDiskErrorAndTheFileIsUnchanged) {
    const std::string notes = "my notes\n" + std::string(3000, 'n');
    { std::ofstream(dataFile(), std::ios::binary) << notes; }
    const Outcome o = runCli(folder, {});
    EXPECT_NE(o.exitCode, 0);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("File Access Error"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("File (SM\\!Schedule) could not be opened.  Error: "), std::string::npos) << o.err;
    EXPECT_EQ(o.err.substr(o.err.size() - 11), "Disk Error\n") << o.err;
    EXPECT_EQ(readBytes(dataFile()), notes);
}

TEST_F(CheckCommand, GivenALayoutThatDoesNotMatchThenInvalidFileStopsTheProgram) {
    ASSERT_EQ(runCli(folder, {}).exitCode, 0);
    runSql(dataFile(), "ALTER TABLE History ADD COLUMN EXTRA TEXT");
    const Outcome o = runCli(folder, {});
    EXPECT_NE(o.exitCode, 0);
    EXPECT_NE(o.err.find("Error: (Invalid Record Declaration (47)) accessing SM\\!History.  Press OK to end this "
                         "application."),
              std::string::npos)
        << o.err;
    EXPECT_EQ(o.err.substr(o.err.size() - 14), "Invalid File!\n") << o.err;
}

TEST_F(CheckCommand, GivenAReadOnlyFolderThenEveryTableIsReadAndCheckedAndNothingIsWritten) {
    ASSERT_EQ(runCli(folder, {}).exitCode, 0);
    const std::string before = readBytes(dataFile());
    ASSERT_EQ(::chmod(dataFile().c_str(), 0400), 0);
    ASSERT_EQ(::chmod((folder + "/TagFile_.KTB").c_str(), 0400), 0);
    // The user's own files, read-only: nobody owns them, as root could write them anyway.
    for (const std::string& file : {dataFile(), folder + "/TagFile_.KTB"}) {
        ASSERT_EQ(::chown(file.c_str(), tarvelo::test::kNobody, tarvelo::test::kNobody), 0);
    }
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    tarvelo::test::CliRun asNobody;
    asNobody.folder = folder;
    asNobody.asNobody = true;

    const Outcome o = runCli(folder, {}, RunOptions{{}, true});
    const Outcome list = tarvelo::test::runCli({"list"}, asNobody);
    const Outcome add = tarvelo::test::runCli({"add", "--json", R"({"description":"new"})"}, asNobody);

    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, kEmptyTables);
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(add.exitCode, 1);
    EXPECT_EQ(add.err, "tarvelo96-cli add: attempt to write a readonly database (SQLITE_READONLY (8))\n");
    EXPECT_EQ(readBytes(dataFile()), before);
}

TEST_F(CheckCommand, GivenAnUnknownAnswerOrArgumentThenItIsRefusedWithUsageStatus) {
    EXPECT_EQ(runCli(folder, {"--answer", "maybe"}).exitCode, 2);
    EXPECT_EQ(runCli(folder, {"--answer"}).exitCode, 2);
    EXPECT_EQ(runCli(folder, {"extra"}).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dataFile())) << "nothing is opened on a bad command line";
}

}  // namespace
