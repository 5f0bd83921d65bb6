// tarvelo96-cli find and list --selected, run in a folder of their own as a script would run them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/data_fixture.h"
#include "fakes/cli_run.h"

namespace tarvelo::test {
namespace {

class FindCommand : public testing::Test {
protected:
    FindCommand() {
        const char* tasks[] = {R"({"description":"Backup disk","date":80001})", R"({"description":"Call home","date":80002})",
                               R"({"description":"backup mail","date":80003})"};
        for (const char* json : tasks) EXPECT_EQ(run({"add", "--json", json}).exitCode, 0);
    }
    CliOutcome run(const std::vector<std::string>& args) {
        CliRun how;
        how.folder = temp.path();
        return runCli(args, how);
    }
    // The numbers of the selected tasks, one per line, as list --selected gives them.
    std::string selected() {
        const std::string listed = run({"list", "--selected"}).out;
        std::string ids;
        for (std::size_t start = 0; start < listed.size(); start = listed.find('\n', start) + 1)
            ids += listed.substr(start, listed.find('\t', start) - start) + "\n";
        return ids;
    }

    TempFolder temp;
};

TEST_F(FindCommand, printsTheMatchesInScanOrderAndSelectsThem) {
    // WHEN finding descriptions that begin with "back" in any letter case
    const CliOutcome found = run({"find", "--where", "description:9:BACK"});
    // THEN both backups are printed in the description key's order
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "1\n3\n");
    // AND selecting them tags them for list --selected
    EXPECT_EQ(run({"find", "--where", "description:9:back", "--select"}).out, "1\n3\n");
    EXPECT_EQ(selected(), "1\n3\n");
}

TEST_F(FindCommand, clearFirstReplacesTheSelectionAndUnselectRemovesIt) {
    ASSERT_EQ(run({"find", "--where", "description:11:mail", "--select"}).exitCode, 0);
    ASSERT_EQ(run({"find", "--where", "date:7:80001:80002", "--select", "--clear-first"}).out, "1\n2\n");
    EXPECT_EQ(run({"find", "--where", "date:1:80002", "--unselect"}).out, "2\n");
    EXPECT_EQ(selected(), "1\n");
}

TEST_F(FindCommand, reportsNoMatchWithExitCodeOne) {
    const CliOutcome none = run({"find", "--where", "description:1:nothing"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "There are no matching records!\n");
}

TEST_F(FindCommand, listSelectedGivesTheLiveTaggedTasksInTaskNumberOrder) {
    // GIVEN tasks 1 to 12, with 2, 9, 10 and 12 selected (their tags run "10", "12", "2", "9" in text order)
    for (int id = 4; id <= 12; ++id) {
        ASSERT_EQ(run({"add", "--json", "{\"description\":\"Task\",\"date\":" + std::to_string(80000 + id) + "}"}).exitCode, 0);
    }
    for (const char* date : {"80002", "80009", "80010", "80012"})
        ASSERT_EQ(run({"find", "--where", std::string("date:1:") + date, "--select"}).exitCode, 0);
    // AND task 9 deleted since, its tag left behind
    ASSERT_EQ(run({"delete", "9"}).exitCode, 0);
    // THEN the list gives the others by number
    EXPECT_EQ(selected(), "2\n10\n12\n");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    std::string problem;
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class FindUsageTest : public FindCommand, public testing::WithParamInterface<UsageCase> {};

TEST_P(FindUsageTest, refusesWithExitCodeTwo) {
    const CliOutcome refused = run(GetParam().args);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find(GetParam().problem), std::string::npos) << refused.err;
    EXPECT_EQ(refused.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cli, FindUsageTest,
    testing::Values(
        UsageCase{"CodeTheKindDoesNotOffer",
                  {"find", "--where", "alarm:9:1"},
                  "match type 9 (Begins with this) is not offered for a CHECK field such as alarm; it is offered "
                  "for STRING, PICTURE and TEXT fields"},
        UsageCase{"UnknownField", {"find", "--where", "colour:1:red"}, "'colour' is not a searchable field"},
        UsageCase{"DateNotANumber", {"find", "--where", "date:1:today"}, "'today' is not a whole number for date"},
        UsageCase{"RangeWithoutUpperLimit", {"find", "--where", "date:7:80000"}, "needs an upper limit"},
        UsageCase{"NoField", {"find", "--select"}, "You must specify at least one search field!"},
        UsageCase{"ClearFirstWithoutSelect", {"find", "--where", "date:1:1", "--clear-first"}, "--clear-first requires --select"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo::test
