// The headless scheduler through the binary: tick, run, list, add and delete in a folder of their own,
// with a config folder of their own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "fakes/json_lines.h"
#include "fakes/processes.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using ::testing::ElementsAre;

std::string readAll(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::vector<Json> events() const { return jsonLines(out); }
};

class HeadlessSchedulerTest : public ::testing::Test {
protected:
    Outcome cli(const std::vector<std::string>& args) {
        const CliResult r = runCliIn(folders, args);
        return {r.exitCode, r.out, r.err};
    }

    int addTask(const Json& task) {
        const auto r = cli({"add", "--json", task.dump()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return std::atoi(r.out.c_str());
    }
    std::vector<Json> tasks() {
        const auto r = cli({"list", "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return jsonLines(r.out);
    }
    void writeIni(const std::string& text) { std::ofstream(folders.config() + "/tarvelo96/Tarvelo96.INI") << text; }

    // 1997-01-31 17:30, a day every day.
    static Json dailyTask(const std::string& description, const std::string& type) {
        return {{"description", description}, {"tasktype", type},   {"scheduletype", "Custom"},
                {"every", 1},                 {"everytype", "day(s)"}, {"date", 71622},
                {"time", 6300001}};
    }

    SchedulerFolders folders;
    const fs::path data = folders.data();
    const fs::path config = folders.config();
};

TEST_F(HeadlessSchedulerTest, GivenADueMessageTaskWhenTickedThenItsEffectsArePrintedInOrderAndItIsMovedOn) {
    Json t = dailyTask("Stretch", "Display Message");
    t["message"] = "Stand up\nand \"stretch\"\t\\ é";
    t["alarm"] = 1;
    t["alarmfile"] = "/sounds/bell.wav";
    const int id = addTask(t);

    const auto r = cli({"tick", "--at", "1997-01-31 17:30:05"});

    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.events(),
                ElementsAre(Json{{"event", "title"}, {"text", "Tarvelo '96"}},
                            Json{{"event", "sound"}, {"file", "/sounds/bell.wav"}},
                            Json{{"event", "message_window"}, {"text", "Stand up\nand \"stretch\"\t\\ é"}}));
    const auto all = tasks();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]["id"], id);
    EXPECT_EQ(all[0]["date"], 71623);
    EXPECT_EQ(all[0]["lastrundate"], 71622);
    EXPECT_EQ(all[0]["lastruntime"], 6300501);
    EXPECT_EQ(all[1]["completed"], 1);
    EXPECT_EQ(all[1]["disabled"], 1);
    EXPECT_EQ(all[1]["date"], 71622);
}

TEST_F(HeadlessSchedulerTest, GivenAMissedProgramTaskThenTheAnswerDecidesAndTheProgramReallyStartsInItsFolder) {
    const fs::path startIn = folders.aside("startin");
    fs::create_directories(startIn);
    Json t = dailyTask("Touch", "Run Program");
    t["warn"] = 1;
    t["command"] = "sh -c 'pwd > \"where it ran\"'";
    t["path"] = startIn.string();
    addTask(t);

    const auto no = cli({"tick", "--at", "1997-02-01 09:00:00"});  // default: No
    ASSERT_EQ(no.exitCode, 0) << no.err;
    ASSERT_EQ(no.events().size(), 2u);
    EXPECT_EQ(no.events()[1],
              (Json{{"event", "messagebox"}, {"caption", "Missed Task"}, {"text", "Touch was not run.  Run it now?"},
                    {"icon", "question"},    {"buttons", {"yes", "no"}},   {"default", "no"},
                    {"answer", "no"}}));

    const auto yes = cli({"tick", "--at", "1997-02-03 09:00:00", "--answer", "yes"});
    ASSERT_EQ(yes.exitCode, 0) << yes.err;
    const auto events = yes.events();
    ASSERT_EQ(events.size(), 3u) << yes.out;
    EXPECT_EQ(events[1]["answer"], "yes");
    EXPECT_EQ(events[2], (Json{{"event", "run"},
                               {"command", "sh -c 'pwd > \"where it ran\"'"},
                               {"folder", startIn.string()},
                               {"code", 0}}));
    const fs::path marker = startIn / "where it ran";
    // The shell makes the file before pwd writes to it: wait for the line, not the file.
    EXPECT_TRUE(awaitLines(marker.string(), 1, 2000));
    EXPECT_EQ(readAll(marker), fs::canonical(startIn).string() + "\n");
    EXPECT_FALSE(fs::exists(data / "where it ran"));
}

TEST_F(HeadlessSchedulerTest, GivenAProgramThatCannotStartThenRunCodeMinusFourIsPrintedAndBoxed) {
    Json t = dailyTask("Broken", "Run Program");
    t["command"] = "/no/such/program --flag";
    addTask(t);

    const auto r = cli({"tick", "--at", "1997-01-31 18:00:00"});

    const auto events = r.events();
    ASSERT_EQ(events.size(), 3u) << r.out;
    EXPECT_EQ(events[1]["event"], "run");
    EXPECT_EQ(events[1]["code"], -4);
    EXPECT_EQ(events[2]["caption"], "Error Starting /no/such/program --flag");
    EXPECT_EQ(events[2]["text"], "Run code -4");
    EXPECT_EQ(events[2]["icon"], "none");
    EXPECT_EQ(events[2]["buttons"], Json::array({"ok"}));
}

TEST_F(HeadlessSchedulerTest, GivenTheIniSwitchesTheSchedulerOffThenATickOnlyShowsTheInactiveTitle) {
    writeIni("[Settings]\nStartUpActive=1\n");
    addTask(dailyTask("Due", "Display Message"));

    const auto r = cli({"tick", "--at", "1997-02-01 09:00:00"});

    EXPECT_THAT(r.events(), ElementsAre(Json{{"event", "title"}, {"text", "Pellacorp Scheduler (Inactive)"}}));
    EXPECT_EQ(tasks().size(), 1u);
}

TEST_F(HeadlessSchedulerTest, GivenAFifoInPlaceOfTheIniThenATickReportsTheFileAccessErrorAndGoesOnWithDefaults) {
    addTask(dailyTask("Due", "Display Message"));
    fs::create_directories(config / "tarvelo96");
    ASSERT_EQ(::mkfifo((config / "tarvelo96" / "Tarvelo96.INI").c_str(), 0600), 0);

    const auto r = cli({"tick", "--at", "1997-01-31 17:30:05"});  // a plain open() would wait for a writer

    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto events = r.events();
    ASSERT_GE(events.size(), 2u) << r.out;
    EXPECT_EQ(events[0]["caption"], "File Access Error");
    EXPECT_EQ(events[0]["text"], "File (Tarvelo96.INI) could not be opened.  Error: Is a FIFO, not a file.");
    EXPECT_EQ(events[1], (Json{{"event", "title"}, {"text", "Tarvelo '96"}})) << "the scheduler is active by default";
}

TEST_F(HeadlessSchedulerTest, GivenHistoryExpiresInTheIniThenATickPurgesOldCopies) {
    writeIni("[Settings]\nHistoryExpires=2.9\n");  // read as 2
    Json copy = dailyTask("Old", "None");
    copy["completed"] = 1;
    copy["disabled"] = 1;
    copy["date"] = 71620;
    addTask(copy);
    copy["date"] = 71619;
    addTask(copy);

    cli({"tick", "--at", "1997-01-31 09:00:00"});

    const auto left = tasks();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0]["date"], 71620);
}

TEST_F(HeadlessSchedulerTest, GivenBadArgumentsThenTheCommandsRefuseWithoutTouchingTheData) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"tick", "--at", "1997-02-30 09:00:00"},
             {"tick", "--at", "1997-02-01"},
             {"tick", "--answer", "maybe"},
             {"tick", "--bogus"},
             {"run", "--at", "1997-02-01 09:00:00"},
             {"add", "--json", "{not json"},
             {"add", "--json", R"({"descripton": "typo"})"},
             {"add", "--json", R"({"date": "tomorrow"})"},
             {"add", "--json", R"({"warn": 300})"},
             // What the task form would refuse.
             {"add", "--json", R"({"date": -1})"},
             {"add", "--json", R"({"date": 71622, "time": 6300001, "advancewarndate": 71623})"},
             {"add", "--json", R"({"description": "12345678901234567890123456789012345678901"})"},
             {"delete", "x1"},
             {"list", "--yaml"}}) {
        SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args[1] : "") + " " + (args.size() > 2 ? args[2] : ""));
        const auto r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs::exists(data / "SM.KTB"));
}

TEST_F(HeadlessSchedulerTest, GivenTasksAddedThenListShowsThemInNumberOrderAndDeleteRemovesOne) {
    Json t = dailyTask("First", "Both");
    t["id"] = 77;  // not used: a new task takes the next number
    t["category"] = "Work";
    t["message"] = std::string(999, 'm') + "é";  // 1000 characters in 1001 bytes
    t["description"] = std::string(39, 'd') + "é";
    EXPECT_EQ(addTask(t), 1);
    EXPECT_EQ(addTask(dailyTask("Second", "None")), 2);
    EXPECT_EQ(addTask(dailyTask("Third", "None")), 3);

    auto all = tasks();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]["description"], std::string(39, 'd') + "é") << "widths count characters, not bytes";
    EXPECT_EQ(all[0]["category"], "Work");
    EXPECT_EQ(all[0]["message"], std::string(999, 'm') + "é");
    for (const char* key : {"scheduletype", "sunday", "everylast", "every", "everytype", "date", "time", "completed",
                            "advancewarndate", "advancewarntime", "advancewarned", "skipnexttime", "id", "tasktype",
                            "category", "description", "command", "path", "lastrundate", "lastruntime", "alarm",
                            "alarmfile", "warn", "userskip", "disabled", "message"}) {
        EXPECT_TRUE(all[1].contains(key)) << key;
    }

    EXPECT_EQ(cli({"delete", "2"}).exitCode, 0);
    EXPECT_EQ(cli({"delete", "2"}).exitCode, 1);
    all = tasks();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]["id"], 1);
    EXPECT_EQ(all[1]["id"], 3);

    const auto plain = cli({"list"});
    EXPECT_EQ(plain.out, "1\t1997-01-31 17:30\tBoth\t" + std::string(39, 'd') + "é\n3\t1997-01-31 23:59:54.99\tNone\tThird\n")
        << "a \"None\" task gets the fixed time the forms give it";
}

TEST_F(HeadlessSchedulerTest, GivenTheSchedulerRunsWhenItIsSignalledThenItStopsCleanlyAfterItsTick) {
    Json t = dailyTask("Due", "Display Message");
    t["message"] = "running";
    addTask(t);

    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        CliProcess run({"run"}, folders);
        std::string out;
        for (int i = 0; i < 250 && out.find("\n") == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            out = run.out();
        }
        ASSERT_NE(out.find("\"event\":\"title\""), std::string::npos) << out;
        const auto sent = std::chrono::steady_clock::now();
        run.kill(signal);
        const int exitCode = run.wait();
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(3)) << "it does not wait out its 5 s";
        EXPECT_EQ(exitCode, 0) << run.err();
    }
    // The first run performed the task; the second found it moved on.
    const auto all = tasks();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1]["completed"], 1);
}

}  // namespace
}  // namespace tarvelo::test
