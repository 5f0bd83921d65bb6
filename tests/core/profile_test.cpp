#include "core/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "temp_config.h"

namespace tarvelo {
namespace {

namespace fs = std::filesystem;
using testing_support::TempConfig;

class IniFile : public TempConfig {
protected:
    fs::path iniPath() const { return appFolder() / "Test.INI"; }
    void given(const std::string& text) { writeText(iniPath(), text); }
    std::string file() const { return readText(iniPath()); }
    ProfileFile ini() const { return ProfileFile("Test.INI"); }
};

TEST_F(IniFile, shouldLiveInTheProgramsFolderUnderXdgConfigHomeElseHome) {
    EXPECT_EQ(configFolder(), (root() / "tarvelo96").string());
    EXPECT_EQ(ini().path(), iniPath().string());

    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(configFolder(), "/home/someone/.config/tarvelo96");
    // A relative XDG_CONFIG_HOME is ignored rather than read against whatever the current folder is.
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    EXPECT_EQ(configFolder(), "/home/someone/.config/tarvelo96");
    EXPECT_EQ(ProfileFile("A.INI", "/some/where/").path(), "/some/where/A.INI");
}

TEST_F(IniFile, shouldGiveTheFallbackWhenFileSectionOrKeyIsAbsent) {
    EXPECT_EQ(ini().read("Settings", "HistoryExpires", "dflt"), "dflt");
    given("[Other]\nHistoryExpires=5\n[Settings]\nStartUpToDo=1\n");
    EXPECT_EQ(ini().read("Settings", "HistoryExpires", "dflt"), "dflt");
    EXPECT_EQ(ini().read("Missing", "StartUpToDo"), "");
}

TEST_F(IniFile, shouldReadValuesAsTheTextAfterTheFirstEqualsSign) {
    given("; a comment=not a key\n"
          "[Settings]\n"
          "plain=5\n"
          "  Spaced Key  =   padded value   \r\n"
          "equals=a=b=c\n"
          "empty=\n"
          "no equals sign here\n"
          "dup=first\n"
          "dup=second\n"
          "tab=\tx\t\n"
          "[ Other ]\n"
          "plain=other\n");
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Settings", "plain", "5"},
        {"SETTINGS", "PLAIN", "5"},  // names match without regard to case
        {"settings", "spaced key", "padded value"},
        {"Settings", "equals", "a=b=c"},
        {"Settings", "empty", ""},
        {"Settings", "dup", "first"},  // the first of two keys wins
        {"Settings", "tab", "x"},
        {"other", "plain", "other"},
        {"Settings", "; a comment", "?"},
        {"Settings", "no equals sign here", "?"},
    };
    for (const auto& c : cases) EXPECT_EQ(ini().read(c.section, c.key, "?"), c.value) << c.section << "/" << c.key;
}

TEST_F(IniFile, shouldCutLongValuesToTheCharactersTheOldResultBufferHeld) {
    std::string value(1022, 'a');
    value += "\xC3\xA9";  // the 1023rd character takes two bytes
    value += "tail";
    given("[S]\nk=" + value + "\n");
    const std::string got = ini().read("S", "k");
    EXPECT_EQ(got, std::string(1022, 'a') + "\xC3\xA9");
}

TEST_F(IniFile, shouldSkipAByteOrderMarkWhenReadingAndKeepItWhenWriting) {
    given("\xEF\xBB\xBF[Settings]\nA=1\n");
    EXPECT_EQ(ini().read("Settings", "A"), "1") << "the mark must not hide the first section";
    ASSERT_TRUE(ini().write("Settings", "B", "2"));
    EXPECT_EQ(file(), "\xEF\xBB\xBF[Settings]\nA=1\nB=2\n");
    EXPECT_EQ(ini().read("Settings", "B"), "2");
}

TEST_F(IniFile, shouldReadThroughGarbageAndHugeLines) {
    std::string garbage = "[S]\n";
    for (int i = 0; i < 256; ++i) garbage += static_cast<char>(i);
    garbage += "\n" + std::string(8 * 1024 * 1024, 'x') + "\n";
    garbage += std::string("\0\0=\0\n", 5);
    garbage += "k=found\n";
    given(garbage);
    EXPECT_EQ(ini().read("S", "k"), "found");
    EXPECT_TRUE(ini().write("S", "k", "again"));
    EXPECT_EQ(file(), garbage.substr(0, garbage.size() - 6) + "again\n");
}

TEST_F(IniFile, shouldReadWhatIsNoFileAsAbsentAtOnceRefuseToWriteAndSayWhy) {
    // Each stands where the INI file should be; a FIFO would block a plain open() for ever.
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        const char* problem;
    };
    const std::vector<Case> cases{
        {"Folder", [](const fs::path& p) { fs::create_directories(p); }, "Is a folder, not a file"},
        {"Fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "Is a FIFO, not a file"},
        {"Device", [](const fs::path& p) { fs::create_symlink("/dev/null", p); }, "Is a device, not a file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(appFolder());
        fs::create_directories(appFolder());
        c.make(iniPath());
        const auto type = fs::symlink_status(iniPath()).type();

        EXPECT_EQ(ini().read("S", "k", "dflt"), "dflt");
        EXPECT_FALSE(ini().write("S", "k", "v"));
        EXPECT_EQ(ini().accessProblem(), std::optional<std::string>(c.problem));
        EXPECT_EQ(fs::symlink_status(iniPath()).type(), type) << "left as it was";
    }

    fs::remove_all(appFolder());
    writeText(appFolder(), "not a folder");
    EXPECT_EQ(ini().read("S", "k", "dflt"), "dflt");
    EXPECT_FALSE(ini().write("S", "k", "v"));
    EXPECT_EQ(readText(appFolder()), "not a folder");

    fs::remove_all(appFolder());
    EXPECT_EQ(ini().accessProblem(), std::nullopt) << "an absent file is no problem";
    given("[S]\nk=v\n");
    EXPECT_EQ(ini().accessProblem(), std::nullopt);
}

TEST_F(IniFile, shouldCreateTheFolderOnTheFirstWrite) {
    ::setenv("XDG_CONFIG_HOME", (root() / "deeper" / "still").c_str(), 1);
    ProfileFile nested("Test.INI");
    ASSERT_FALSE(fs::exists(root() / "deeper"));
    EXPECT_TRUE(nested.write("Settings", "HistoryExpires", std::int64_t{7}));
    EXPECT_EQ(readText(root() / "deeper" / "still" / "tarvelo96" / "Test.INI"), "[Settings]\nHistoryExpires=7\n");
}

struct WriteCase {
    const char* name;
    const char* before;  // nullptr: no file
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

class WritingAKey : public IniFile, public testing::WithParamInterface<WriteCase> {};

TEST_P(WritingAKey, shouldChangeOnlyThatKeyAndKeepEveryOtherLine) {
    const auto& c = GetParam();
    if (c.before) given(c.before);
    ASSERT_TRUE(ini().write(c.section, c.key, c.value));
    EXPECT_EQ(file(), c.after);
    EXPECT_EQ(ini().read(c.section, c.key, "?"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WritingAKey,
    testing::Values(
        WriteCase{"NoFile", nullptr, "Settings", "HistoryExpires", "2", "[Settings]\nHistoryExpires=2\n"},
        WriteCase{"ReplaceKeepingCommentsAndOrder",
                  "; keep me\n[Main]\nXPosit=10\n\n[Settings]\n; tune\nA=1\nHistoryExpires=5\nB=2\n",
                  "Settings", "HistoryExpires", "30",
                  "; keep me\n[Main]\nXPosit=10\n\n[Settings]\n; tune\nA=1\nHistoryExpires=30\nB=2\n"},
        WriteCase{"AddKeyAtTheEndOfItsSectionBeforeTheBlankLine",
                  "[Settings]\nA=1\n\n; about Main\n[Main]\nXPosit=10\n", "Settings", "B", "2",
                  "[Settings]\nA=1\nB=2\n\n; about Main\n[Main]\nXPosit=10\n"},
        WriteCase{"AddKeyToAnEmptySection", "[Settings]\n[Main]\n", "Settings", "A", "1",
                  "[Settings]\nA=1\n[Main]\n"},
        WriteCase{"AddKeyToTheLastSectionWithoutALineEnd", "[Settings]\nA=1", "Settings", "B", "2",
                  "[Settings]\nA=1\nB=2\n"},
        WriteCase{"AddSectionAtTheEnd", "[Main]\nXPosit=10\n", "Settings", "A", "1",
                  "[Main]\nXPosit=10\n\n[Settings]\nA=1\n"},
        WriteCase{"AddSectionToAFileWithoutALineEnd", "[Main]\nXPosit=10", "Settings", "A", "1",
                  "[Main]\nXPosit=10\n\n[Settings]\nA=1\n"},
        WriteCase{"MatchNamesWithoutRegardToCase", "[settings]\nhistoryexpires=1\n", "Settings", "HistoryExpires",
                  "5", "[settings]\nHistoryExpires=5\n"},
        WriteCase{"KeepWindowsLineEnds", "[Settings]\r\nA=1\r\n", "Settings", "B", "2",
                  "[Settings]\r\nA=1\r\nB=2\r\n"},
        WriteCase{"ReplaceInAWindowsFile", "[Settings]\r\nA=1\r\nB=2\r\n", "Settings", "A", "9",
                  "[Settings]\r\nA=9\r\nB=2\r\n"},
        WriteCase{"KeepUnknownLines", "[Settings]\nrubbish line\nA=1\n", "Settings", "A", "2",
                  "[Settings]\nrubbish line\nA=2\n"},
        WriteCase{"ChangeOnlyTheFirstOfTwoSameSections", "[S]\nA=1\n[T]\n[S]\nA=1\n", "S", "A", "2",
                  "[S]\nA=2\n[T]\n[S]\nA=1\n"},
        WriteCase{"WriteAnEmptyValue", "[S]\nA=1\n", "S", "A", "", "[S]\nA=\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST_F(IniFile, shouldWriteSeveralKeysAsIfOneAfterTheOtherOrNoneWhenOneIsRefused) {
    given("[S]\nB=old\n");
    const std::pair<std::string_view, std::string_view> keys[] = {{"A", "1"}, {"B", "2"}, {"C", "3"}, {"A", "4"}};
    ASSERT_TRUE(ini().writeKeys("S", keys));
    EXPECT_EQ(file(), "[S]\nB=2\nA=4\nC=3\n");
    const std::pair<std::string_view, std::string_view> bad[] = {{"D", "1"}, {"E", "2\n[X]"}};
    EXPECT_FALSE(ini().writeKeys("S", bad));
    EXPECT_EQ(file(), "[S]\nB=2\nA=4\nC=3\n");
    // Numbers as decimal text without blanks.
    ASSERT_TRUE(ini().write("S", "C", std::int64_t{INT64_MIN}));
    EXPECT_EQ(file(), "[S]\nB=2\nA=4\nC=-9223372036854775808\n");
}

TEST_F(IniFile, shouldRefuseNamesAndValuesThatWouldBreakTheFileApart) {
    given("[S]\nA=1\n");
    EXPECT_FALSE(ini().write("S", "A", "1\n[Injected]\nB=2"));
    EXPECT_FALSE(ini().write("S", "A", "1\rB=2"));
    EXPECT_FALSE(ini().write("S", "A=B", "1"));
    EXPECT_FALSE(ini().write("S", "", "1"));
    EXPECT_FALSE(ini().write("S", "[T]", "1"));
    EXPECT_FALSE(ini().write("S", ";A", "1"));
    EXPECT_FALSE(ini().write("S]x", "A", "1"));
    EXPECT_FALSE(ini().write("S\n", "A", "1"));
    EXPECT_EQ(file(), "[S]\nA=1\n");
}

TEST_F(IniFile, shouldReplaceTheFileWholeLeavingNoTemporaryFileAndKeepingItsMode) {
    given("[S]\nA=1\n");
    ASSERT_EQ(::chmod(iniPath().c_str(), 0640), 0);
    ASSERT_TRUE(ini().write("S", "A", "2"));
    struct stat st {};
    ASSERT_EQ(::stat(iniPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(appFolder())) names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Test.INI"});
}

TEST_F(IniFile, shouldKeepEveryKeyWhenThreadsWriteAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kKeys = 10;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            ProfileFile file("Test.INI");
            for (int k = 0; k < kKeys; ++k)
                EXPECT_TRUE(file.write("S", "K" + std::to_string(t) + "_" + std::to_string(k), std::int64_t{k}));
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) {
        for (int k = 0; k < kKeys; ++k) {
            EXPECT_EQ(ini().read("S", "K" + std::to_string(t) + "_" + std::to_string(k)), std::to_string(k));
        }
    }
}

TEST(ProfileNumber, shouldReadADecimalNumberThatIsTheWholeTextCutTowardZero) {
    struct Case {
        const char* text;
        std::int32_t number;
    };
    const Case cases[] = {
        {"5", 5},           {"  7  ", 7},       {"3\t", 3},          {"+3", 3},
        {"007", 7},         {"2.9", 2},         {"-2.9", -2},        {"5.", 5},
        {".5", 0},          {"-0.5", 0},        {"", 0},             {"   ", 0},
        {"abc", 0},         {"12abc", 0},       {"1 2", 0},          {"-", 0},
        {".", 0},           {"1e3", 0},         {"0x10", 0},         {"2.9.1", 0},
        {"2147483647", INT32_MAX},               {"2147483647.99", INT32_MAX},
        {"-2147483648", INT32_MIN},              {"-2147483648.5", INT32_MIN},
        {"2147483648", 0},  {"-2147483649", 0},  {"99999999999999999999999999", 0},
        {"000000000000000000000000000042", 42},
    };
    for (const auto& c : cases) EXPECT_EQ(profileNumber(c.text), c.number) << '"' << c.text << '"';
}

TEST(ProfileFlag, shouldTakeTheLowEightBitsOfTheNumber) {
    EXPECT_EQ(profileFlag("0"), 0);
    EXPECT_EQ(profileFlag("1"), 1);
    EXPECT_EQ(profileFlag("256"), 0);
    EXPECT_EQ(profileFlag("257"), 1);
    EXPECT_EQ(profileFlag("-1"), 255);
    EXPECT_EQ(profileFlag("1.9"), 1);
    EXPECT_EQ(profileFlag("yes"), 0);
}

}  // namespace
}  // namespace tarvelo
