// tarvelo96-cli report: the four reports as PDF files, read back as text (pdftotext) to check their
// contents and order as a reader of the printed page would.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/date.h"
#include "fakes/cli_run.h"
#include "fakes/report_fixture.h"

namespace tarvelo::test {
namespace {

// The text of a PDF file in reading order, its runs of blanks squeezed to one.
std::string pdfText(const std::string& pdf, int page = 0) {
    const std::string txt = pdf + ".txt";
    std::string command = "pdftotext -layout";
    if (page > 0) command += " -f " + std::to_string(page) + " -l " + std::to_string(page);
    command += " '" + pdf + "' '" + txt + "'";
    if (std::system(command.c_str()) != 0) return "(pdftotext failed)";
    std::ifstream in(txt);
    std::stringstream raw;
    raw << in.rdbuf();
    std::string out;
    for (char c : raw.str()) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}

// Where each text first appears in the PDF's text; npos when missing.
std::vector<std::size_t> positions(const std::string& text, const std::vector<std::string>& words) {
    std::vector<std::size_t> out;
    for (const std::string& w : words) out.push_back(text.find(w));
    return out;
}

bool ascending(const std::vector<std::size_t>& v) {
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == std::string::npos || (i > 0 && v[i] <= v[i - 1])) return false;
    }
    return true;
}

class ReportCliTest : public ::testing::Test {
protected:
    CliOutcome report(const std::string& which) {
        CliRun how;
        how.folder = data.folder();
        return runCli({"report", which, "--pdf", pdf()}, how);
    }
    std::string pdf() const { return data.folder() + "/report.pdf"; }

    ReportData data;
    const StdDate day = dateFromYmd(1997, 1, 31);
};

TEST_F(ReportCliTest, ScheduleByDateShowsEveryTaskInDateOrderTwoToAPage) {
    // GIVEN three tasks stored out of date order, one of them with everything printed
    data.addTask("Pay the rent", day + 1, timeFromHms(9, 0), "Home");
    Task& full = data.task("Weekly report", day, timeFromHms(17, 30), "Work");
    full.taskType = TaskType::Both;
    full.command = "report.sh";
    full.message = "Send it to Ann";
    full.scheduleType = ScheduleType::DayOfWeek;
    full.friday = 1;
    full.alarm = 1;
    full.alarmFile = "/sounds/ring.wav";
    data.addTask();
    data.addTask("Dentist", day + 2, timeFromHms(8, 15), "Health");
    // WHEN it is written
    const CliOutcome out = report("date");
    ASSERT_EQ(out.exitCode, 0) << out.err;
    EXPECT_EQ(out.out, "3 records, 2 pages written to " + pdf() + "\n");
    // THEN the pages read in date order, with the header, the fields and the footer
    const std::string first = pdfText(pdf(), 1);
    EXPECT_TRUE(ascending(positions(first, {"Report the Schedule File", "Date", "Advance Warning", "Jan 31, 1997",
                                            "5:30PM", "Work", "Weekly report", "Both", "report.sh", "Send it to Ann",
                                            "Day of Week", "Last Run:", "/sounds/ring.wav", "Feb 1, 1997",
                                            "Pay the rent", "Page 1"})))
        << first;
    EXPECT_EQ(first.find("Dentist"), std::string::npos);
    const std::string second = pdfText(pdf(), 2);
    EXPECT_NE(second.find("Dentist"), std::string::npos) << second;
    EXPECT_NE(second.find("Page 2"), std::string::npos) << second;
}

TEST_F(ReportCliTest, ScheduleByCategoryLeavesOutTheTaskWithoutCategoryAndDescription) {
    data.addTask("Zebra feed", day, timeFromHms(9, 0), "Zoo");
    data.addTask("Apple pie", day + 1, timeFromHms(9, 0), "Baking");
    Task& blank = data.task("", day + 2, timeFromHms(9, 0), "");
    blank.command = "blank-task.sh";
    data.addTask();
    ASSERT_EQ(report("category").exitCode, 0);
    const std::string text = pdfText(pdf());
    EXPECT_TRUE(ascending(positions(text, {"Baking", "Apple pie", "Zoo", "Zebra feed"}))) << text;
    EXPECT_EQ(text.find("blank-task.sh"), std::string::npos);

    ASSERT_EQ(report("date").exitCode, 0);
    EXPECT_NE(pdfText(pdf()).find("blank-task.sh"), std::string::npos);
}

TEST_F(ReportCliTest, ToDoListPrintsNotDoneItemsFirst) {
    data.addToDo("Paint the fence", 1, true);
    data.addToDo("Water plants", 4, false);
    data.addToDo("Buy milk", 2, false);
    ASSERT_EQ(report("todo").exitCode, 0);
    const std::string text = pdfText(pdf());
    EXPECT_TRUE(ascending(positions(text, {"To Do...", "Buy milk", "Water plants", "Paint the fence", "Page 1"})))
        << text;
}

TEST_F(ReportCliTest, CategoryListFillsTwentySixToAPage) {
    for (int i = 0; i < 27; ++i) data.addCategory("Category " + std::string(1, static_cast<char>('A' + i / 10)) + std::to_string(i % 10));
    const CliOutcome out = report("categories");
    ASSERT_EQ(out.exitCode, 0) << out.err;
    EXPECT_EQ(out.out, "27 records, 2 pages written to " + pdf() + "\n");
    const std::string second = pdfText(pdf(), 2);
    EXPECT_TRUE(ascending(positions(second, {"Category List", "Category C6", "Page 2"}))) << second;
}

TEST_F(ReportCliTest, EmptyTableWritesNothingAndSaysSo) {
    const CliOutcome out = report("todo");
    EXPECT_EQ(out.exitCode, 1);
    EXPECT_EQ(out.err, "The Todo table has nothing to report: no file written.\n");
    EXPECT_FALSE(std::filesystem::exists(pdf()));
}

TEST_F(ReportCliTest, UsageErrors) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"report"},
                                                 {"report", "date"},
                                                 {"report", "weekly", "--pdf", "x.pdf"},
                                                 {"report", "date", "--pdf"}}) {
        CliRun how;
        how.folder = data.folder();
        EXPECT_EQ(runCli(args, how).exitCode, 2) << args.size();
    }
}

}  // namespace
}  // namespace tarvelo::test
