// tarvelo96-cli categories and todo, run in a folder of their own as a script would run them: the same
// reference rules and checks as the windows, refusals with the windows' messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/data_fixture.h"
#include "fakes/cli_run.h"

namespace tarvelo::test {
namespace {

// One command of a script and what it gives.
struct Step {
    std::vector<std::string> args;
    int exitCode;
    std::string out;         // exactly
    std::string errPart{};   // contained in stderr
};

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
        {{"categories", "add", "A name of more than twenty"}, 2, "", "at most 20 bytes"},
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
        {{"todo", "add", std::string(41, 'x')}, 2, "", "at most 40 bytes"},
    });
}

}  // namespace
}  // namespace tarvelo::test
