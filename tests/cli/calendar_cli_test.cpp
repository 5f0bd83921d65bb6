// tarvelo96-cli next, export --ics and import --ics: a task's next dates, the schedule written as an
// iCalendar file that an independent expander (Debian's python3-icalendar with
// python3-recurring-ical-events, tests/support/expand_ics.py) expands to those very dates, our own files
// read back exactly, and other programs' calendars read as far as a task's rule repeats alike.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/date.h"
#include "fakes/cli_run.h"
#include "fakes/data_fixture.h"
#include "fakes/json_lines.h"
#include "fakes/processes.h"
#include "fakes/report_fixture.h"
#include "fakes/rule_builders.h"
#include "fakes/temp_folder.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kTests = TARVELO_TESTS_DIR;
// Debian's own python, which the packages install for (the PATH's may be another).
constexpr const char* kPython = "/usr/bin/python3";

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The expander's first `count` starts of each task of an .ics file, by the task's first UID (its output
// kept in folder); nothing when the expander failed. It has a minute of its own at most.
std::optional<std::map<std::string, std::vector<std::string>>> expand(const std::string& ics, int count,
                                                                     const std::string& folder) {
    const std::string out = folder + "/expanded.txt";
    const std::string command = "timeout 60 " + std::string(kPython) + " '" + (kTests / "support" / "expand_ics.py").string() +
                                "' '" + ics + "' " + std::to_string(count) + " > '" + out + "' 2>&1";
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "the expander failed:\n" << readText(out);
        return std::nullopt;
    }
    std::map<std::string, std::vector<std::string>> starts;
    for (const std::string& line : lines(readText(out))) {
        const std::size_t tab = line.find('\t');
        starts[line.substr(0, tab)].push_back(line.substr(tab + 1));
    }
    return starts;
}

bool expanderInstalled() {
    return std::system((std::string(kPython) + " -c 'import icalendar, recurring_ical_events' 2>/dev/null").c_str()) == 0;
}

// A task's rule fields from a rule-built task.
void takeRule(Task& task, const Task& rule) {
    task.scheduleType = rule.scheduleType;
    for (Byte Task::*flag : kWeekdayFlags) task.*flag = rule.*flag;
    for (Byte Task::*flag : kOrdinalFlags) task.*flag = rule.*flag;
    task.every = rule.every;
    task.everyType = rule.everyType;
}

class CalendarCliTest : public ::testing::Test {
protected:
    CliOutcome cli(const std::vector<std::string>& args, const std::string& folder) {
        CliRun how;
        how.folder = folder;
        return runCli(args, how);
    }
    CliOutcome cli(const std::vector<std::string>& args) { return cli(args, data.folder()); }
    std::vector<std::string> next(int id, const std::string& folder) {
        const CliOutcome out = cli({"next", std::to_string(id), "--count", "24"}, folder);
        EXPECT_EQ(out.exitCode, 0) << out.err;
        return lines(out.out);
    }

    // A task of every schedule type and every quirk of the rules, numbered from 1.
    int addEveryRule() {
        const auto add = [this](const std::string& description, const Task& rule) {
            Task& task = data.task(description, rule.date, rule.time, "Quirks");
            takeRule(task, rule);
            task.message = "Rule: " + description + ", with \"quotes\"; and a line\nbreak";
            if (description.find("warning") != std::string::npos) {
                task.advanceWarnDate = task.date - 1;
                task.advanceWarnTime = task.time;
            }
            data.addTask();
            ++count;
        };
        const StdTime nine = timeFromHms(9, 0);
        const auto ymd = [](int y, int m, int d) { return dateFromYmd(y, m, d); };
        add("Once", makeTask("Once", ymd(2027, 1, 20), nine));
        add("Day of Week on its days", makeTask("Day of Week", ymd(2027, 1, 4), nine, "-M-W-F-"));
        add("Day of Week off its days", makeTask("Day of Week", ymd(2027, 1, 6), nine, "-M-----"));
        add("Day of Week, no weekday", makeTask("Day of Week", ymd(2027, 1, 6), nine));
        add("Day of Month 2nd and Last Tue Thu", makeTask("Day of Month", ymd(2027, 1, 12), nine, "--T-T--", "-2--L"));
        add("Day of Month 4th and Last Fri off", makeTask("Day of Month", ymd(2027, 1, 4), nine, "-----F-", "---4L"));
        add("Day of Month, no ordinal", makeTask("Day of Month", ymd(2027, 1, 5), nine, "--T----"));
        add("Day of Month 1st, no weekday", makeTask("Day of Month", ymd(2027, 1, 3), nine, "", "1"));
        add("Monthly from Jan 29 with warning", makeTask("Monthly", ymd(2027, 1, 29), nine));
        add("Monthly from Jan 31", makeTask("Monthly", ymd(2027, 1, 31), nine));
        add("Monthly from Aug 31", makeTask("Monthly", ymd(2027, 8, 31), nine));
        add("Monthly from the 15th", makeTask("Monthly", ymd(2027, 1, 15), nine));
        add("Yearly from Feb 29", makeTask("Yearly", ymd(2028, 2, 29), nine));
        add("Yearly", makeTask("Yearly", ymd(2027, 6, 14), nine));
        add("Every 90 minutes", custom(90, "minute(s)", ymd(2027, 1, 4), timeFromHms(23, 0)));
        add("Every 1500 minutes", custom(1500, "minute(s)", ymd(2027, 1, 4), timeFromHms(23, 0)));
        add("Every 36 hours", custom(36, "hour(s)", ymd(2027, 1, 4), timeFromHms(18, 30)));
        add("Every 7 minutes, no time", custom(7, "minute(s)", ymd(2027, 1, 4), 0));
        add("Every 3 days with warning", custom(3, "day(s)", ymd(2027, 1, 4), nine));
        add("Every 2 weeks", custom(2, "week(s)", ymd(2027, 1, 4), nine));
        add("Every 5 months from Mar 31", custom(5, "month(s)", ymd(2027, 3, 31), nine));
        add("Every 12 months from Jan 31", custom(12, "month(s)", ymd(2027, 1, 31), nine));
        add("Every 4 years from Feb 29 2092", custom(4, "year(s)", ymd(2092, 2, 29), nine));
        add("Every 2 years", custom(2, "year(s)", ymd(2027, 3, 10), nine));
        add("Custom without a unit", custom(3, "", ymd(2027, 1, 4), nine));
        add("Day of Week at 17:30:15.50", makeTask("Day of Week", ymd(2027, 1, 4), timeFromHms(17, 30, 15, 50), "-M---F-"));
        return count;
    }

    ReportData data;
    int count = 0;
};

TEST_F(CalendarCliTest, TheExpanderGivesTheNextDatesOfEveryScheduleTypeAndQuirk) {
    if (!expanderInstalled()) GTEST_SKIP() << "python3-icalendar and python3-recurring-ical-events are not installed";
    // GIVEN a folder with a task of every schedule type and quirk, and a disabled one and a completed copy
    const int tasks = addEveryRule();
    data.task("Disabled", dateFromYmd(2027, 1, 4), 1).disabled = 1;
    data.addTask();
    Task& copy = data.task("Completed copy", dateFromYmd(2027, 1, 4), 1);
    copy.disabled = copy.completed = 1;
    data.addTask();
    // WHEN the schedule is exported and expanded by the independent expander
    const std::string ics = data.folder() + "/schedule.ics";
    const CliOutcome out = cli({"export", "--ics", ics});
    ASSERT_EQ(out.exitCode, 0) << out.err;
    EXPECT_EQ(out.out, std::to_string(tasks) + " tasks written to " + ics + "\n");
    const auto expanded = expand(ics, 24, data.folder());
    ASSERT_TRUE(expanded);
    // THEN each task's first 24 occurrences are its next 24 dates, and the others are left out
    EXPECT_EQ(expanded->size(), static_cast<std::size_t>(tasks));
    for (int id = 1; id <= tasks; ++id) {
        const auto found = std::find_if(expanded->begin(), expanded->end(), [id](const auto& task) {
            return task.first.rfind("task-" + std::to_string(id) + "-", 0) == 0;
        });
        ASSERT_NE(found, expanded->end()) << "task " << id;
        EXPECT_EQ(found->second, next(id, data.folder())) << "task " << id << ", " << found->first;
    }
}

TEST_F(CalendarCliTest, AnExportedScheduleImportsBackExactly) {
    // GIVEN an exported schedule of every rule, with program tasks among them
    const int tasks = addEveryRule();
    Task& program = data.task("Backup; nightly", dateFromYmd(2027, 1, 4), timeFromHms(2, 0), "Work, home");
    program.taskType = TaskType::Both;
    program.command = "backup.sh --all";
    program.path = "/srv/data";
    program.message = "Backing up";
    program.alarm = 1;
    program.alarmFile = "/sounds/ring.wav";
    program.warn = program.userSkip = 1;
    data.addTask();
    const std::string ics = data.folder() + "/schedule.ics";
    ASSERT_EQ(cli({"export", "--ics", ics}).exitCode, 0);
    // WHEN it is imported into an empty folder
    TempFolder empty;
    const CliOutcome out = cli({"import", "--ics", ics}, empty.path());
    // THEN every task is there as it was, with the same next dates
    ASSERT_EQ(out.exitCode, 0) << out.err;
    EXPECT_EQ(out.out, std::to_string(tasks + 1) + " tasks imported as 1 to " + std::to_string(tasks + 1) +
                           ", 2 categories added\n");
    EXPECT_EQ(cli({"list", "--json"}, empty.path()).out, cli({"list", "--json"}).out);
    for (int id = 1; id <= tasks + 1; ++id) EXPECT_EQ(next(id, empty.path()), next(id, data.folder())) << "task " << id;
    EXPECT_EQ(cli({"categories", "list"}, empty.path()).out, "Quirks\nWork, home\n");
}

// The hand-made calendar of another program: what maps, and what must be skipped.
class ForeignCalendarTest : public CalendarCliTest {
protected:
    void SetUp() override {
        // The one event in UTC is then at the same time of day locally.
        const char* tz = std::getenv("TZ");
        m_tz = tz ? std::optional<std::string>(tz) : std::nullopt;
        ::setenv("TZ", "UTC", 1);
    }
    void TearDown() override {
        if (m_tz) ::setenv("TZ", m_tz->c_str(), 1);
        else ::unsetenv("TZ");
    }
    std::string fixture() const { return (kTests / "cli" / "fixtures" / "foreign.ics").string(); }

private:
    std::optional<std::string> m_tz;
};

TEST_F(ForeignCalendarTest, ImportsWhatMapsAndNamesWhatItSkipped) {
    // WHEN the calendar is imported
    const CliOutcome out = cli({"import", "--ics", fixture()});
    // THEN the events whose rules map are tasks, and each other one is named with its reason
    EXPECT_EQ(out.exitCode, 4) << out.err;
    EXPECT_EQ(out.out, "11 tasks imported as 1 to 11, 2 categories added, 10 events skipped\n");
    for (const char* skipped : {"with-count", "with-until", "with-setpos", "berlin", "with-exdate", "monthly-31",
                                "mixed-ordinals", "changed-series", "a-todo"}) {
        EXPECT_THAT(out.err, HasSubstr(std::string("UID ") + skipped)) << out.err;
    }
    EXPECT_THAT(out.err, HasSubstr("UID with-count \"Ten lessons\": its RRULE has COUNT, which no task's rule can say"));
    EXPECT_THAT(out.err, HasSubstr("UID berlin \"Berlin call\": it starts in the time zone Europe/Berlin, neither "
                                   "local time nor UTC"));
    EXPECT_THAT(out.err, HasSubstr("UID monthly-31 \"Month end\": it repeats monthly on day 31, which calendars skip "
                                   "in shorter months and a task's rule carries into the next"));
    const auto tasks = jsonLines(cli({"list", "--json"}).out);
    ASSERT_EQ(tasks.size(), 11u);
    std::map<std::string, nlohmann::json> byName;
    for (const auto& t : tasks) byName[t["description"]] = t;
    EXPECT_EQ(byName["Water the plants"]["every"], 3);
    EXPECT_EQ(byName["Water the plants"]["everytype"], "day(s)");
    EXPECT_EQ(byName["Water the plants"]["category"], "Home");
    EXPECT_EQ(byName["Water the plants"]["message"], "Both balconies, then the hall");
    EXPECT_EQ(byName["Gym"]["scheduletype"], "Day of Week");
    EXPECT_EQ(byName["Board meeting"]["scheduletype"], "Day of Month");
    EXPECT_EQ(byName["Board meeting"]["advancewarntime"], timeFromHms(13, 30));
    EXPECT_EQ(byName["Pay the rent"]["scheduletype"], "Monthly");
    EXPECT_EQ(byName["Quarterly report"]["everytype"], "month(s)");
    EXPECT_EQ(byName["Anniversary"]["scheduletype"], "Yearly");
    EXPECT_EQ(byName["Dentist"]["scheduletype"], "Once");
    EXPECT_EQ(byName["Call in UTC"]["time"], timeFromHms(12, 0));
    EXPECT_EQ(cli({"categories", "list"}).out, "Health\nHome\n");
}

TEST_F(ForeignCalendarTest, TheExpanderGivesTheNextDatesOfEveryImportedEvent) {
    if (!expanderInstalled()) GTEST_SKIP() << "python3-icalendar and python3-recurring-ical-events are not installed";
    ASSERT_EQ(cli({"import", "--ics", fixture()}).exitCode, 4);
    const auto expanded = expand(fixture(), 24, data.folder());
    ASSERT_TRUE(expanded);
    const std::map<std::string, std::string> uids = {
        {"Water the plants", "every-3-days"}, {"Gym", "mon-wed-fri"},           {"Board meeting", "second-and-last-tue-thu"},
        {"Pay the rent", "monthly-15"},       {"Quarterly report", "quarterly"}, {"Anniversary", "yearly"},
        {"Stretch", "every-90-minutes"},      {"Check the backup", "every-36-hours"}, {"Bins", "fortnightly"},
        {"Dentist", "dentist"},               {"Call in UTC", "call-utc"}};
    for (const auto& task : jsonLines(cli({"list", "--json"}).out)) {
        const std::string uid = uids.at(task["description"]);
        EXPECT_EQ(expanded->at(uid), next(task["id"], data.folder())) << uid;
    }
}

TEST_F(CalendarCliTest, AFileWithAProblemOfItsOwnAddsNothingAndSaysWhy) {
    addEveryRule();
    const std::string good = data.folder() + "/good.ics";
    ASSERT_EQ(cli({"export", "--ics", good}).exitCode, 0);
    const std::string text = readText(good);
    // 10 MB of description, folded as it should be.
    std::string hugeDescription = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:huge\r\nDTSTART:20270104T090000\r\nDESCRIPTION:x";
    for (int i = 0; i < 10 * 1024 * 1024 / 74; ++i) hugeDescription += "\r\n " + std::string(74, 'x');
    hugeDescription += "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    std::string unfolded = text;
    unfolded.insert(unfolded.find("END:VEVENT"), "DESCRIPTION:" + std::string(100, 'y') + "\r\n");
    std::string notUtf8 = text;
    notUtf8.insert(notUtf8.find("SUMMARY:") + 8, "\xC3\x28");
    struct Bad {
        std::string name, text, problem;
    };
    const std::vector<Bad> cases = {
        {"truncated", text.substr(0, text.size() / 2), "it is cut short"},
        {"huge", hugeDescription, "line 5: a content line longer than 1048576 octets is not read"},
        {"unfolded", unfolded, "octets long; iCalendar lines are folded at 75"},
        {"notUtf8", notUtf8, "not UTF-8 text (byte 0xC3"},
        {"notACalendar", "hello\r\n", "line 1: 'hello' is not a content line (NAME:value)"},
    };
    for (const Bad& bad : cases) {
        // GIVEN a file with the problem; WHEN it is imported into an empty folder
        TempFolder empty;
        const std::string file = empty.file(bad.name + ".ics");
        writeText(file, bad.text);
        const CliOutcome out = cli({"import", "--ics", file}, empty.path());
        // THEN the problem is told, and nothing is added
        EXPECT_EQ(out.exitCode, 1) << bad.name;
        EXPECT_THAT(out.err, HasSubstr(bad.problem)) << bad.name;
        EXPECT_THAT(out.err, HasSubstr("nothing added")) << bad.name;
        EXPECT_EQ(cli({"list"}, empty.path()).out, "") << bad.name;
    }
}

TEST_F(CalendarCliTest, ExportNeverWritesOverTheProgramsFilesOrAnythingButAFile) {
    data.addTask("Dentist", dateFromYmd(2027, 1, 4), timeFromHms(9, 0));
    const std::string folder = data.folder();
    fs::create_directory(folder + "/a folder");
    ASSERT_EQ(::mkfifo((folder + "/a fifo").c_str(), 0600), 0);
    fs::create_symlink(folder + "/SM.KTB", folder + "/link to data");
    const std::string before = readText(folder + "/SM.KTB");
    for (const char* target : {"SM.KTB", "SM.KTB-wal", "TagFile_.KTB", "link to data", "a folder", "a fifo"}) {
        const CliOutcome out = cli({"export", "--ics", target});
        EXPECT_EQ(out.exitCode, 1) << target;
        EXPECT_THAT(out.err, HasSubstr(std::string("cannot write ") + target + ": it is")) << target;
    }
    EXPECT_EQ(readText(folder + "/SM.KTB"), before);
    EXPECT_EQ(cli({"list"}).exitCode, 0);
    // and an existing calendar is replaced whole, leaving no temporary file beside it
    writeText(folder + "/old.ics", "old");
    ASSERT_EQ(cli({"export", "--ics", "old.ics"}).exitCode, 0);
    EXPECT_THAT(readText(folder + "/old.ics"), HasSubstr("SUMMARY:Dentist"));
    for (const auto& entry : fs::directory_iterator(folder)) EXPECT_NE(entry.path().filename().string()[0], '.');
}

TEST_F(CalendarCliTest, NextSaysWhatATaskHasNot) {
    data.addTask("Once", dateFromYmd(2027, 1, 4), timeFromHms(9, 0));
    data.task("Off", dateFromYmd(2027, 1, 4), timeFromHms(9, 0)).disabled = 1;
    data.addTask();
    EXPECT_EQ(cli({"next", "1"}).out, "2027-01-04 09:00:00\n");
    EXPECT_EQ(cli({"next", "1", "--json"}).out, "{\"date\":" + std::to_string(dateFromYmd(2027, 1, 4)) +
                                                    ",\"time\":3240001,\"at\":\"2027-01-04 09:00:00\"}\n");
    EXPECT_EQ(cli({"next", "2"}).out, "Task 2 is disabled: the scheduler does not perform it.\n");
    const CliOutcome missing = cli({"next", "3"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "tarvelo96-cli next: there is no task 3\n");
    EXPECT_EQ(cli({"next", "1", "--count", "0"}).exitCode, 2);
}

// Two programs on one folder: imports at once number their tasks apart; one blocked by another
// program's write lock adds nothing and says so.
TEST(CalendarSharedFolder, TwoImportsAtOnceKeepEveryTaskUnderItsOwnNumber) {
    SchedulerFolders folders;
    std::string ics = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (int i = 0; i < 200; ++i) {
        ics += "BEGIN:VEVENT\r\nUID:e" + std::to_string(i) + "\r\nDTSTART:20270104T090000\r\nRRULE:FREQ=DAILY\r\n"
               "SUMMARY:Event " + std::to_string(i) + "\r\nCATEGORIES:Shared\r\nEND:VEVENT\r\n";
    }
    writeText(folders.aside("events.ics"), ics + "END:VCALENDAR\r\n");
    ASSERT_EQ(runCliIn(folders, {"list"}).exitCode, 0);  // the data file exists before both start

    CliProcess first({"import", "--ics", folders.aside("events.ics")}, folders);
    CliProcess second({"import", "--ics", folders.aside("events.ics")}, folders);
    EXPECT_EQ(first.wait(), 0) << first.err();
    EXPECT_EQ(second.wait(), 0) << second.err();

    const auto tasks = jsonLines(runCliIn(folders, {"list", "--json"}).out);
    ASSERT_EQ(tasks.size(), 400u);
    for (std::size_t i = 0; i < tasks.size(); ++i) EXPECT_EQ(tasks[i]["id"], static_cast<int>(i) + 1);
    EXPECT_EQ(runCliIn(folders, {"categories", "list"}).out, "Shared\n");
}

TEST(CalendarSharedFolder, AnImportBlockedByAnotherProgramAddsNothing) {
    SchedulerFolders folders;
    writeText(folders.aside("one.ics"), "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:one\r\nDTSTART:20270104T090000\r\n"
                                        "SUMMARY:One\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    ASSERT_EQ(runCliIn(folders, {"categories", "list"}).exitCode, 0);  // both tables made before the lock
    {
        ForeignLock lock(folders.file("SM.KTB"));
        const CliResult blocked = runCliIn(folders, {"import", "--ics", folders.aside("one.ics")});
        EXPECT_EQ(blocked.exitCode, 1);
        EXPECT_THAT(blocked.err, HasSubstr("SQLITE_BUSY"));
        EXPECT_THAT(blocked.err, HasSubstr("nothing added"));
    }
    EXPECT_EQ(runCliIn(folders, {"list"}).out, "");
    EXPECT_EQ(runCliIn(folders, {"import", "--ics", folders.aside("one.ics")}).exitCode, 0);
}

}  // namespace
}  // namespace tarvelo::test
