// Tasks as JSON through the command line: what add reads, list and history print back unchanged, and a
// line is valid JSON whatever a stored text holds.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fakes/case_names.h"
#include "fakes/cli_run.h"
#include "fakes/data_fixture.h"
#include "fakes/task_table.h"

namespace tarvelo::test {
namespace {

using Json = nlohmann::json;

struct TextCase {
    const char* name;
    std::string key;
    std::string text;
};

void PrintTo(const TextCase& c, std::ostream* out) { *out << c.name; }

class TextThroughJson : public DataTest, public testing::WithParamInterface<TextCase> {
protected:
    CliOutcome run(const std::vector<std::string>& args) {
        CliRun how;
        how.folder = folder.path();
        return runCli(args, how);
    }
};

TEST_P(TextThroughJson, comesBackFromListAsItWasAdded) {
    // GIVEN a task added with the text in one of its fields
    closeFiles();
    const Json task{{GetParam().key, GetParam().text}, {"description", "Task"}};
    const CliOutcome added = run({"add", "--json", task.dump()});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    // WHEN the tasks are listed as JSON
    const CliOutcome listed = run({"list", "--json"});
    // THEN the line is one object on one line, with the text as it was given
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    ASSERT_EQ(listed.out.find('\n'), listed.out.size() - 1) << listed.out;
    EXPECT_EQ(Json::parse(listed.out)[GetParam().key], GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, TextThroughJson,
    testing::Values(TextCase{"QuotesAndBackslashes", "description", R"(say "hi" \ bye)"},
                    TextCase{"LineEndsAndTabs", "message", "one\ntwo\r\n\tthree"},
                    TextCase{"LettersBeyondAscii", "category", "Café ßü €"},
                    TextCase{"CharactersBeyondTheBasicPlane", "path", "/home/\xF0\x9F\x93\x85"},
                    TextCase{"FileNameWithBlanksAndQuotes", "alarmfile", "/sounds/\"bell\" 1.wav"}),
    NamedBy<&TextCase::name>());

class ListedJson : public DataTest {
protected:
    // The one task stored, as list --json prints it; its line is one line.
    Json listedTask() {
        closeFiles();
        CliRun how;
        how.folder = folder.path();
        const CliOutcome listed = runCli({"list", "--json"}, how);
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        EXPECT_EQ(listed.out.find('\n'), listed.out.size() - 1) << listed.out;
        EXPECT_EQ(listed.out.find('\x1b'), std::string::npos) << "escaped, never raw";
        return Json::parse(listed.out);
    }
};

TEST_F(ListedJson, aStoredTextWithControlCharactersIsOneLineOfJsonWithTheTextAsItIs) {
    // GIVEN a task whose command holds control characters (stored by an older version: add refuses them)
    const std::string command("a\x01" "b\x1f" "c\x7f" "d\b\f\x1b[2J");
    Task task;
    task.id = 1;
    task.command = command;
    addTask(*files, task);
    EXPECT_EQ(listedTask()["command"], command);
}

TEST_F(ListedJson, aStoredTextThatIsNotUtf8IsShownWithReplacementCharacters) {
    // GIVEN a task whose description holds bytes that are not UTF-8 (written by another program)
    Task task;
    task.id = 1;
    task.description = std::string("ab\xff\xfe" "c\xe2\x82");
    addTask(*files, task);
    // WHEN the tasks are listed as JSON, THEN each broken byte is shown as U+FFFD and the line reads as JSON
    EXPECT_EQ(listedTask()["description"], "ab\xEF\xBF\xBD\xEF\xBF\xBD" "c\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tarvelo::test
