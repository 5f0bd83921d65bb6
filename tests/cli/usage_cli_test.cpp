// One rule for every request the command line cannot take, whichever command and whoever finds the
// problem (the parser or the command): exit code 2, nothing on standard output, no data file touched, and
// on standard error the command, the problem, the command's usage and where its help is. And every command
// explains itself with --help.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/case_names.h"
#include "fakes/cli_run.h"
#include "fakes/temp_folder.h"

namespace tarvelo::test {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// "tarvelo96-cli todo add", or the program alone.
std::string spelled(const std::string& command) {
    return command.empty() ? "tarvelo96-cli" : "tarvelo96-cli " + command;
}

struct Refusal {
    const char* name;
    std::vector<std::string> args;
    std::string command;  // as the command line names it
    std::string problem;
    std::optional<std::string> answerEnv{};
};

void PrintTo(const Refusal& r, std::ostream* out) { *out << r.name; }

class RefusedRequest : public testing::TestWithParam<Refusal> {
protected:
    TempFolder temp;
};

TEST_P(RefusedRequest, exitsWithTwoAndSaysWhatIsWrongAndWhereHelpIs) {
    // GIVEN an empty folder
    const Refusal& r = GetParam();
    CliRun how;
    how.folder = temp.path();
    how.answerEnv = r.answerEnv;
    // WHEN the request is made
    const CliOutcome o = runCli(r.args, how);
    // THEN it is refused with exit code 2, in three lines on standard error
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_EQ(o.out, "");
    const auto lines = linesOf(o.err);
    ASSERT_EQ(lines.size(), 3u) << o.err;
    EXPECT_EQ(lines[0], spelled(r.command) + ": " + r.problem);
    EXPECT_EQ(lines[1].rfind("Usage: " + spelled(r.command) + " ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "Run '" + spelled(r.command) + " --help' for more information.");
    // AND no data file was opened
    EXPECT_FALSE(std::filesystem::exists(temp.file("SM.KTB")));
    EXPECT_FALSE(std::filesystem::exists(temp.file("TagFile_.KTB")));
}

INSTANTIATE_TEST_SUITE_P(
    Cli, RefusedRequest,
    testing::Values(
        Refusal{"NoCommand", {}, "", "A subcommand is required"},
        Refusal{"UnknownCommand", {"nope"}, "", "unknown command 'nope'"},
        Refusal{"UnknownCommandOfAGroup", {"todo", "show"}, "todo", "unknown command 'show'"},
        Refusal{"UnknownCommandAfterDataFolder", {"--data-folder", "d", "nope"}, "", "unknown command 'nope'"},
        Refusal{"DataFolderTwoWays", {"list", "--xdg-data", "--data-folder", "d"}, "list",
                "--data-folder excludes --xdg-data"},
        Refusal{"AddWithoutTask", {"add"}, "add", "--json is required"},
        Refusal{"AddBrokenJson", {"add", "--json", "{\"date\": }"}, "add",
                "invalid JSON: parse error at line 1, column 10: syntax error while parsing value - unexpected "
                "'}'; expected '[', '{', or a literal"},
        Refusal{"AddMistypedKey", {"add", "--json", R"({"descripton": "x"})"}, "add", "unknown key \"descripton\""},
        Refusal{"AddTextTooLong", {"add", "--json", R"({"category": "123456789012345678901"})"}, "add",
                "\"category\" holds at most 20 characters"},
        Refusal{"AdvanceGivenAFile", {"advance", "tasks.json"}, "advance",
                "The following argument was not expected: tasks.json"},
        Refusal{"CategoryNameTooLong", {"categories", "add", "123456789012345678901"}, "categories add",
                "NAME: a category name holds at most 20 characters: '123456789012345678901'"},
        Refusal{"CategoryNameBlank", {"categories", "rename", "Work", ""}, "categories rename",
                "NEW: a category name cannot be blank"},
        Refusal{"CheckUnknownOption", {"check", "--quick"}, "check",
                "The following argument was not expected: --quick"},
        Refusal{"DateImpossible", {"date", "1997-02-30"}, "date", "not a date: '1997-02-30'"},
        Refusal{"DeleteNotANumber", {"delete", "x1"}, "delete", "Could not convert: ID = x1"},
        Refusal{"FindWithoutCriterion", {"find", "--select"}, "find", "You must specify at least one search field!"},
        Refusal{"FindSelectAndUnselect", {"find", "--where", "date:1:1", "--select", "--unselect"}, "find",
                "--select excludes --unselect"},
        Refusal{"FormatUnknownPicture", {"format", "@x3", "1"}, "format", "unknown picture '@x3'"},
        Refusal{"HelpOfNoCommand", {"help", "nope"}, "help", "COMMAND: unknown command 'nope'"},
        Refusal{"HistoryListTwoWays", {"history", "list", "--json", "--yaml"}, "history list",
                "The following argument was not expected: --yaml"},
        Refusal{"ListAnswerFromEnvironment", {"list"}, "list",
                "--answer: unknown answer 'maybe' (yes, no, ok, cancel or retry)", "maybe"},
        Refusal{"ReportOfNoKind", {"report", "weekly", "--pdf", "x.pdf"}, "report",
                "REPORT: 'weekly' is not one of categories|category|date|todo"},
        Refusal{"ReportWithoutFile", {"report", "date"}, "report", "--pdf is required"},
        Refusal{"RunAtAMoment", {"run", "--at", "1997-02-01 09:00:00"}, "run",
                "The following arguments were not expected: 1997-02-01 09:00:00 --at"},
        Refusal{"RunNowWithoutTask", {"run-now"}, "run-now", "ID is required"},
        Refusal{"TickAtNoMoment", {"tick", "--at", "1997-02-01"}, "tick",
                "--at: \"YYYY-MM-DD HH:MM:SS\" is expected, not '1997-02-01'"},
        Refusal{"TimeImpossible", {"time", "25:00"}, "time", "not a time: '25:00'"},
        Refusal{"ToDoPriorityInWords", {"todo", "add", "Call Ann", "--priority", "high"}, "todo add",
                "Could not convert: --priority = high"},
        Refusal{"ToDoDoneWithoutId", {"todo", "done"}, "todo done", "ID is required"},
        Refusal{"ToDoDeleteOfNoId", {"todo", "delete", "00"}, "todo delete",
                "an item's ID is a number that list shows"},
        Refusal{"ValidGivenAFile", {"valid", "tasks.json"}, "valid",
                "The following argument was not expected: tasks.json"}),
    NamedBy<&Refusal::name>());

class CommandHelp : public testing::TestWithParam<std::string> {};

TEST_P(CommandHelp, explainsTheCommandInItsOwnWords) {
    // WHEN a command is asked for its help
    std::vector<std::string> args;
    std::istringstream words(GetParam());
    for (std::string w; words >> w;) args.push_back(w);
    args.push_back("--help");
    TempFolder temp;
    CliRun how;
    how.folder = temp.path();
    const CliOutcome o = runCli(args, how);
    // THEN it prints its usage on standard output and touches nothing
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(o.err, "");
    EXPECT_NE(o.out.find("Usage: " + spelled(GetParam()) + " "), std::string::npos) << o.out;
    EXPECT_FALSE(std::filesystem::exists(temp.file("SM.KTB")));
    // AND names no key of a table ("SCH:KEYID") where a user would read words
    std::smatch key;
    EXPECT_FALSE(std::regex_search(o.out, key, std::regex("\\b[A-Z]{3}:[A-Z]"))) << key.str();
}

INSTANTIATE_TEST_SUITE_P(Cli, CommandHelp,
                         testing::Values("", "add", "advance", "categories", "categories add", "categories delete",
                                         "categories list", "categories rename", "check", "date", "delete", "find",
                                         "format", "help", "history", "history list", "list", "report", "run",
                                         "run-now", "tick", "time", "todo", "todo add", "todo delete", "todo done",
                                         "todo list", "valid"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param.empty() ? std::string("Program") : caseName(info.param);
                         });

TEST(CommandHelp, ofTheProgramListsEveryCommandAndIsWhatHelpPrints) {
    // WHEN the program is asked for help both ways
    const CliOutcome asked = runCli({"help"});
    const CliOutcome flagged = runCli({"--help"});
    // THEN both print the same list of commands, each with what it does; help adds the data folder in use
    EXPECT_EQ(asked.exitCode, 0);
    EXPECT_EQ(asked.out.substr(0, flagged.out.size()), flagged.out);
    EXPECT_EQ(asked.out.substr(flagged.out.size()).rfind("\nData folder: /", 0), 0u) << asked.out;
    for (const char* command : {"add", "advance", "categories", "check", "date", "delete", "find", "format",
                                "history", "list", "report", "run", "run-now", "tick", "time", "todo", "valid"}) {
        EXPECT_TRUE(std::regex_search(asked.out, std::regex(std::string("\n  ") + command + " +[a-z]"))) << command;
    }
    // AND `help COMMAND` is that command's --help
    const std::string todoHelp = runCli({"todo", "--help"}).out;
    EXPECT_EQ(runCli({"help", "todo"}).out.substr(0, todoHelp.size()), todoHelp);
}

}  // namespace
}  // namespace tarvelo::test
