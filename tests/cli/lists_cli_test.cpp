// tarvelo96-cli categories and todo, run in a folder of their own as a script would run them: the same
// reference rules and checks as the windows, refusals with the windows' messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/cli_run.h"
#include "fakes/data_fixture.h"

namespace tarvelo::test {
namespace {

// One command of a script and what it gives.
struct Step {
    std::vector<std::string> args;
    int exitCode;
    std::string out;         // exactly
    std::string errPart{};   // contained in stderr
};

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

class ListCommands : public testing::Test {
protected:
    CliOutcome run(const std::vector<std::string>& args) {
        CliRun how;
        how.folder = temp.path();
        return runCli(args, how);
    }
    void play(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            std::string line;
            for (const auto& a : step.args) line += a + " ";
            SCOPED_TRACE(line);
            const CliOutcome o = run(step.args);
            EXPECT_EQ(o.exitCode, step.exitCode) << o.err;
            EXPECT_EQ(o.out, step.out);
            EXPECT_NE(o.err.find(step.errPart), std::string::npos) << o.err;
        }
    }

    TempFolder temp;
};

TEST_F(ListCommands, categoriesKeepTheirReferenceRules) {
    play({
        {{"categories", "add", "Work"}, 0, ""},
        {{"categories", "add", "home"}, 0, ""},
        {{"categories", "add", "WORK"}, 1, "", "Adding this record creates a duplicate entry for the key:Category"},
        {{"add", "--json", R"({"category":"Work","description":"Report"})"}, 0, "1\n"},
        {{"categories", "delete", "work"},
         1,
         "",
         "This record is referenced from the file Schedule.  This record cannot be deleted while these references "
         "exist."},
        // only the letter case: still a rename of a name in use
        {{"categories", "rename", "Work", "work"},
         1,
         "",
         "This record is referenced from the file Schedule.  Linking field(s) have been restricted from change and "
         "have been reset to original values."},
        {{"categories", "rename", "home", "Home"}, 0, ""},
        {{"categories", "list"}, 0, "Home\nWork\n"},
        {{"categories", "delete", "Home"}, 0, ""},
        {{"categories", "delete", "Home"}, 1, "", "there is no category 'Home'"},
        {{"categories", "list"}, 0, "Work\n"},
    });
}

TEST_F(ListCommands, categoriesRefuseMalformedRequests) {
    play({
        {{"categories"}, 2, "", "A subcommand is required"},
        {{"categories", "add", "A name of more than twenty"}, 2, "", "a category name holds at most 20 characters"},
        {{"categories", "rename", "Work"}, 2, "", "NEW is required"},
    });
    // A blank name could never be listed, changed or deleted again.
    play({
        {{"categories", "add", "Work"}, 0, ""},
        {{"categories", "add", "  "}, 1, "", "tarvelo96-cli categories: a category name cannot be blank\n"},
        {{"categories", "rename", "Work", " "}, 1, "", "tarvelo96-cli categories: a category name cannot be blank\n"},
        {{"categories", "list"}, 0, "Work\n"},
    });
}

TEST_F(ListCommands, toDoItemsFollowTheFormsRules) {
    play({
        {{"todo", "add", "Buy milk"}, 0, "1\n"},  // priority 5, not done, as the form primes a new item
        {{"todo", "add", "Call Ann", "--priority", "11"}, 1, "", "The value of tDo:Priority must be between 1 and 10."},
        {{"todo", "add", "Call Ann", "--priority", "0"}, 1, "", "The value of tDo:Priority must be between 1 and 10."},
        {{"todo", "add", "Call Ann", "--priority", "1", "--done"}, 0, "2\n"},
        {{"todo", "add", "Buy milk", "--priority", "10"}, 0, "3\n"},  // the same text again is kept
        {{"todo", "list"}, 0, "1\t \t5\tBuy milk\n3\t \t10\tBuy milk\n2\tx\t1\tCall Ann\n"},
        {{"todo", "list", "--order", "priority"}, 0, "2\tx\t1\tCall Ann\n1\t \t5\tBuy milk\n3\t \t10\tBuy milk\n"},
        {{"todo", "list", "--order", "todo", "--json"},
         0,
         R"({"done":false,"id":1,"priority":5,"todo":"Buy milk"})"
         "\n"
         R"({"done":false,"id":3,"priority":10,"todo":"Buy milk"})"
         "\n"
         R"({"done":true,"id":2,"priority":1,"todo":"Call Ann"})"
         "\n"},
        {{"todo", "done", "3"}, 0, ""},
        {{"todo", "delete", "1"}, 0, ""},
        {{"todo", "list"}, 0, "2\tx\t1\tCall Ann\n3\tx\t10\tBuy milk\n"},
        {{"todo", "done", "1"}, 1, "", "there is no item 1"},
        {{"todo", "list", "--order", "size"}, 2, "", "--order: 'size' is not one of done|priority|todo"},
        {{"todo", "add", std::string(41, 'x')}, 2, "", "an item holds at most 40 characters"},
    });
}

// Names and texts are counted in characters, as the windows and the tasks count them, and hold no
// control character; what an older file holds of them is printed escaped.
TEST_F(ListCommands, textsAreCountedInCharactersAndHoldNoControlCharacter) {
    const std::string e12 = repeated("\xC3\x89", 12);  // "É" twelve times: 24 bytes
    play({
        {{"categories", "add", e12}, 0, ""},
        {{"categories", "add", repeated("\xC3\xA9", 20)}, 0, ""},
        {{"categories", "add", repeated("\xC3\xA9", 21)}, 2, "", "a category name holds at most 20 characters"},
        {{"categories", "rename", e12, "Work\tHome"}, 2, "", "a category name holds a control character"},
        {{"categories", "add", "\x1b[31mred\x1b[0m\r\n\t"}, 2, "",
         "a category name holds a control character: '\\e[31mred\\e[0m\\r\\n\\t'"},
        {{"categories", "add", "caf\xC3"}, 2, "", "a category name is not valid UTF-8: 'caf\\xc3'"},
        {{"categories", "add", "next\xC2\x85line"}, 2, "", "a category name holds a control character"},
        {{"add", "--json", R"({"category":")" + e12 + R"(","description":"Report"})"}, 0, "1\n"},
        {{"add", "--json", R"({"description":"two\nlines"})"}, 2, "", "\"description\" holds a control character"},
        {{"add", "--json", R"({"description":"Stretch","message":"Stand up\r\n\tand stretch"})"}, 0, "2\n"},
        {{"add", "--json", R"({"description":"Stretch","message":"\u001b[2J"})"}, 2, "",
         "\"message\" holds a control character"},
        {{"todo", "add", repeated("\xC3\xA9", 40)}, 0, "1\n"},
        {{"todo", "add", "Buy\rmilk"}, 2, "", "an item holds a control character"},
    });
}

TEST_F(ListCommands, controlCharactersStoredByAnOlderVersionArePrintedEscaped) {
    {
        FolderFiles older(temp.path());
        TableUse categories(older.files, TableId::categories);
        TableUse toDo(older.files, TableId::toDo);
        Category c;
        c.category = "\x1b[31mred\x1b[0m\r\n";
        ASSERT_TRUE(older.files.categories().add(c).ok());
        ToDo item;
        item.todo = "Buy\rmilk\xff";
        ASSERT_TRUE(older.files.toDo().add(item).ok());
    }
    play({
        {{"categories", "list"}, 0, "\\e[31mred\\e[0m\\r\\n\n"},
        {{"todo", "list"}, 0, "1\t \t0\tBuy\\rmilk\\xff\n"},
        {{"categories", "rename", "\x1b[31mred\x1b[0m\r\n", "Red\x1b"}, 2, "", "holds a control character"},
        {{"categories", "delete", "\x1b[31mred\x1b[0m\r\n"}, 0, ""},
        {{"categories", "list"}, 0, ""},
    });
}

}  // namespace
}  // namespace tarvelo::test
