// tarvelo96-cli run-now and history list, run in a folder of their own as a script would run them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fakes/data_fixture.h"
#include "fakes/cli_run.h"
#include "fakes/json_lines.h"

namespace tarvelo::test {
namespace {

using Json = nlohmann::json;

class RunNowCommand : public testing::Test {
protected:
    RunNowCommand() {
        EXPECT_EQ(run({"add", "--json", R"({"description":"Tea","tasktype":"Display Message","message":"Tea time",)"
                                         R"("scheduletype":"Once","date":80000,"time":100})"})
                      .exitCode,
                  0);
    }
    CliOutcome run(const std::vector<std::string>& args) {
        CliRun how;
        how.folder = temp.path();
        return runCli(args, how);
    }

    TempFolder temp;
};

TEST_F(RunNowCommand, printsTheEffectsKeepsOneEntryPerRunAndLeavesTheTaskWhereItWas) {
    // WHEN the task is run now twice
    const CliOutcome first = run({"run-now", "1", "--at", "1997-10-31 17:30:00"});
    const CliOutcome second = run({"run-now", "1", "--at", "1997-10-31 17:31:00"});

    // THEN each run shows the message as a tick would
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "{\"event\":\"message_window\",\"text\":\"Tea time\"}\n");
    EXPECT_EQ(second.exitCode, 0) << second.err;
    // AND History holds two entries with consecutive numbers, stamped at each run
    EXPECT_EQ(run({"history", "list"}).out,
              "1\t1997-10-31 17:30\tDisplay Message\tTea\n2\t1997-10-31 17:31\tDisplay Message\tTea\n");
    const auto entries = jsonLines(run({"history", "list", "--json"}).out);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1]["id"], 2);
    EXPECT_EQ(entries[1]["completed"], 1);
    EXPECT_EQ(entries[1]["message"], "Tea time");
    EXPECT_FALSE(entries[1].contains("advancewarned"));
    // AND the task keeps its next date
    const auto task = jsonLines(run({"list", "--json"}).out);
    ASSERT_EQ(task.size(), 1u);
    EXPECT_EQ(task[0]["date"], 80000);
    EXPECT_EQ(task[0]["completed"], 0);
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    std::string err;
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class RunNowUsageTest : public RunNowCommand, public testing::WithParamInterface<UsageCase> {};

TEST_P(RunNowUsageTest, refusesAndPerformsNothing) {
    const CliOutcome outcome = run(GetParam().args);
    EXPECT_EQ(outcome.exitCode, GetParam().exitCode);
    EXPECT_THAT(outcome.err, testing::HasSubstr(GetParam().err));
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(run({"history", "list"}).out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cli, RunNowUsageTest,
    testing::Values(UsageCase{"NoSuchTask", {"run-now", "7"}, 1, "there is no task 7"},
                    UsageCase{"NoId", {"run-now"}, 2, "ID is required"},
                    UsageCase{"IdNotANumber", {"run-now", "first"}, 2, "Could not convert: ID = first"},
                    UsageCase{"BadMoment", {"run-now", "1", "--at", "tomorrow"}, 2,
                              "--at: \"YYYY-MM-DD HH:MM:SS\" is expected"},
                    UsageCase{"HistoryWithoutList", {"history"}, 2, "A subcommand is required"},
                    UsageCase{"HistoryUnknownOption", {"history", "list", "--xml"}, 2, "not expected: --xml"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo::test
