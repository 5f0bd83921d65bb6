// Splitting a command line as a shell would, and choosing the folder a program starts in.
#include "platform/command_line.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "fakes/temp_folder.h"

namespace tarvelo::platform {
namespace {

struct SplitCase {
    const char* name;
    const char* line;
    std::vector<std::string> words;  // empty: no command line
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivenACommandLineThenItIsSplitAsAPosixShellSplitsWords) {
    const SplitCase& c = GetParam();
    const auto split = splitCommandLine(c.line);
    if (c.words.empty()) {
        EXPECT_FALSE(split.has_value());
        return;
    }
    ASSERT_TRUE(split.has_value());
    std::vector<std::string> words{split->program};
    words.insert(words.end(), split->arguments.begin(), split->arguments.end());
    EXPECT_EQ(words, c.words);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"ProgramAlone", "gedit", {"gedit"}},
        SplitCase{"BlanksSeparate", "  cp\ta.txt   b.txt  ", {"cp", "a.txt", "b.txt"}},
        SplitCase{"NewlineSeparates", "echo one\ntwo", {"echo", "one", "two"}},
        SplitCase{"DoubleQuotesKeepBlanks", "gedit \"/home/anna/My notes.txt\"", {"gedit", "/home/anna/My notes.txt"}},
        SplitCase{"SingleQuotesKeepEverything", "sh -c 'echo \"$HOME\" \\ | cat'", {"sh", "-c", "echo \"$HOME\" \\ | cat"}},
        SplitCase{"BackslashEscapesABlank", "ls My\\ Documents", {"ls", "My Documents"}},
        SplitCase{"BackslashEscapesAQuote", "echo \\\"quoted\\\"", {"echo", "\"quoted\""}},
        SplitCase{"BackslashBeforeAnOrdinaryCharacterIsDropped", "echo a\\bc", {"echo", "abc"}},
        SplitCase{"BackslashInDoubleQuotesEscapesOnlyItsFive", "echo \"a\\\"b\\\\c\\$d\\`e\\nf\"", {"echo", "a\"b\\c$d`e\\nf"}},
        SplitCase{"BackslashNewlineJoinsLines", "echo ab\\\ncd", {"echo", "abcd"}},
        SplitCase{"QuotedPartsJoinIntoOneWord", "echo pre\"fix \"'and'\\ more", {"echo", "prefix and more"}},
        SplitCase{"EmptyQuotesMakeAnEmptyArgument", "printf '' \"\" x", {"printf", "", "", "x"}},
        SplitCase{"ShellCharactersArePlain", "echo a|b;c&d>e $HOME *", {"echo", "a|b;c&d>e", "$HOME", "*"}},
        SplitCase{"Utf8PassesThrough", "echo \"Émile's café\"", {"echo", "Émile's café"}},
        SplitCase{"EmptyLine", "", {}},
        SplitCase{"OnlyBlanks", " \t \n ", {}},
        SplitCase{"UnterminatedDoubleQuote", "echo \"open", {}},
        SplitCase{"UnterminatedSingleQuote", "echo 'open", {}},
        SplitCase{"TrailingLoneBackslash", "echo end\\", {}},
        SplitCase{"EscapedQuoteDoesNotCloseDoubleQuotes", "echo \"a\\\"", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EnterableFolderTest, GivenFolderTextThenOnlyAFolderThatCanBeEnteredIsChosen) {
    const test::TempFolder scratch;
    const std::string folder = scratch.path();
    const std::string file = folder + "/plain.txt";
    std::ofstream(file) << "not a folder";

    EXPECT_EQ(enterableFolder(folder), folder);
    EXPECT_EQ(enterableFolder(folder + "   "), folder);  // fields are blank-padded
    EXPECT_EQ(enterableFolder(""), "");
    EXPECT_EQ(enterableFolder("    "), "");
    EXPECT_EQ(enterableFolder(folder + "/missing"), "");
    EXPECT_EQ(enterableFolder(file), "");
}

}  // namespace
}  // namespace tarvelo::platform
