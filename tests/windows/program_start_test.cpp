// Starting a task's program: detached, in its start-in folder or else the current one, never moving the
// process itself to another folder.
#include "platform/desktop/qt_program_start.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "qt_environment.h"

namespace tarvelo::platform {
namespace {

namespace fs = std::filesystem;

// The file's text once the started program has written it (a detached program finishes in its own time).
std::string waitForText(const fs::path& file) {
    for (int i = 0; i < 100; ++i) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        const std::string s = text.str();
        if (!s.empty() && s.back() == '\n') return s.substr(0, s.size() - 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return "(nothing written)";
}

class ProgramStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = test::freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_out = fs::path(m_folder) / "out.txt";
        m_startIn = fs::path(m_folder) / "start in";
        fs::create_directories(m_startIn);
    }

    // A command that writes the folder it runs in to the output file.
    std::string pwdCommand() const { return "sh -c 'pwd > \"$0\"' '" + m_out.string() + "'"; }

    std::string m_folder;
    fs::path m_out;
    fs::path m_startIn;
    QtProgramStart m_programs;
};

TEST_F(ProgramStartTest, GivenAStartInFolderWhenStartedThenTheProgramRunsThereAndTheProcessStaysPut) {
    const fs::path before = fs::current_path();
    ASSERT_TRUE(m_programs.start(pwdCommand(), m_startIn.string() + "   ", {}));
    EXPECT_EQ(waitForText(m_out), m_startIn.string());
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(ProgramStartTest, GivenAStartInFolderThatCannotBeEnteredWhenStartedThenTheProgramRunsInTheCurrentFolder) {
    const fs::path before = fs::current_path();
    ASSERT_TRUE(m_programs.start(pwdCommand(), (m_startIn / "no such folder").string(), {}));
    EXPECT_EQ(waitForText(m_out), before.string());
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(ProgramStartTest, GivenNoStartInFolderWhenStartedThenTheProgramRunsInTheCurrentFolder) {
    ASSERT_TRUE(m_programs.start(pwdCommand(), "", {}));
    EXPECT_EQ(waitForText(m_out), fs::current_path().string());
}

TEST_F(ProgramStartTest, GivenArgumentsWithBlanksWhenStartedThenTheProgramGetsThemWhole) {
    const std::string command = "sh -c 'printf \"%s|%s\\n\" \"$1\" \"$2\" > \"$0\"' '" + m_out.string() +
                                "' \"two words\" it\\'s";
    ASSERT_TRUE(m_programs.start(command, "", {}));
    EXPECT_EQ(waitForText(m_out), "two words|it's");
}

TEST_F(ProgramStartTest, GivenAProgramPathRelativeToTheStartInFolderWhenStartedThenItIsFoundThere) {
    const fs::path script = m_startIn / "hello.sh";
    std::ofstream(script) << "#!/bin/sh\necho hello > \"$1\"\n";
    fs::permissions(script, fs::perms::owner_all);
    ASSERT_TRUE(m_programs.start("./hello.sh '" + m_out.string() + "'", m_startIn.string(), {}));
    EXPECT_EQ(waitForText(m_out), "hello");
}

struct FailingStart {
    const char* name;
    const char* command;
};

class FailingStartTest : public ::testing::TestWithParam<FailingStart> {};

TEST_P(FailingStartTest, GivenACommandThatCannotStartThenStartReportsFailure) {
    const fs::path before = fs::current_path();
    QtProgramStart programs;
    EXPECT_FALSE(programs.start(GetParam().command, "/tmp", {}));
    EXPECT_EQ(fs::current_path(), before);
}

INSTANTIATE_TEST_SUITE_P(ProgramStart, FailingStartTest,
                         ::testing::Values(FailingStart{"MissingProgram", "tarvelo-no-such-program --flag"},
                                           FailingStart{"MissingPath", "/no/such/folder/program"},
                                           FailingStart{"NotExecutable", "/etc/hostname"},
                                           FailingStart{"BlankCommand", "    "},
                                           FailingStart{"UnbalancedQuote", "echo 'oops"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo::platform
