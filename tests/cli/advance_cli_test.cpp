// advance and valid, run as a batch job would run them: JSON lines in, JSON lines out.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/cli_run.h"
#include "tasks/recurrence.h"

namespace tarvelo {
namespace {

using Outcome = test::CliOutcome;

Outcome runCli(const std::vector<std::string>& args, const std::string& input) {
    test::CliRun how;
    how.input = input;
    return test::runCli(args, how);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) all.push_back(line);
    return all;
}

const std::string kAllZero =
    "\"sunday\": 0, \"monday\": 0, \"tuesday\": 0, \"wednesday\": 0, \"thursday\": 0, \"friday\": 0, \"saturday\": 0, "
    "\"every1st\": 0, \"every2nd\": 0, \"every3rd\": 0, \"every4th\": 0, \"everylast\": 0";

TEST(AdvanceCommand, shouldPrintEveryFieldInOrderWithItsNewValue) {
    // GIVEN a task every 90 minutes due at 23:00, moved on a hundredth later
    const Outcome o = runCli({"advance"}, R"j({"scheduletype": "Custom", "every": 90, "everytype": "minute(s)", )j"
                                          R"j("date": 71611, "time": 8280001, "ref_date": 71611, "ref_time": 8280002})j"
                                          "\n");
    // THEN it prints the task at 00:30 the next day, every field in the fixed order
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "{\"scheduletype\": \"Custom\", " + kAllZero +
                         ", \"every\": 90, \"everytype\": \"minute(s)\", \"date\": 71612, \"time\": 180001, "
                         "\"completed\": 0, \"advancewarndate\": 0, \"advancewarntime\": 0, \"advancewarned\": 0, "
                         "\"skipnexttime\": 0}\n");
}

TEST(AdvanceCommand, shouldMarkTheLinesThatWouldHaveShownInvalidUnits) {
    const Outcome o = runCli({"advance"},
                             "{\"date\": 71600, \"every\": -4, \"ref_date\": 71611}\n"
                             "{\"date\": 71600, \"everytype\": \"day(s)\", \"ref_date\": 71611}\n");
    const auto out = lines(o.out);
    ASSERT_EQ(out.size(), 2u) << o.out;
    const auto first = nlohmann::json::parse(out[0]);
    EXPECT_EQ(first["invalid_units"], true);
    EXPECT_EQ(first["date"], 71612);
    EXPECT_EQ(first["every"], 1);  // raised to 1 and kept
    EXPECT_FALSE(nlohmann::json::parse(out[1]).contains("invalid_units"));
    EXPECT_EQ(o.err, "");  // no box is shown on the terminal
}

TEST(AdvanceCommand, shouldAnswerEveryBadLineWithAnErrorAndGoOn) {
    const std::vector<std::string> bad = {
        "{\"date\": ",
        "not json",
        "",
        "[1, 2]",
        "{\"date\": \"71611\"}",
        "{\"date\": 1.5}",
        "{\"date\": 2147483648}",
        "{\"time\": -99999999999999999999}",
        "{\"time\": 1e99999}",
        "{\"scheduletype\": 7}",
        "{\"sunday\": 256}",
        "{\"sunday\": \"yes\"}",
        "{\"ref_date\": [71611]}",
        "{\"everytype\": \"day(s)\"} trailing",
    };
    std::string input;
    for (const auto& line : bad) input += line + "\n{\"scheduletype\": \"Once\"}\n";
    const Outcome o = runCli({"advance"}, input);
    EXPECT_EQ(o.exitCode, 0);
    const auto out = lines(o.out);
    ASSERT_EQ(out.size(), 2 * bad.size()) << o.out;
    for (std::size_t i = 0; i < bad.size(); ++i) {
        const auto error = nlohmann::json::parse(out[2 * i]);
        ASSERT_TRUE(error.contains("error")) << bad[i] << " -> " << out[2 * i];
        EXPECT_TRUE(error["error"].is_string());
        EXPECT_EQ(error.size(), 1u);
        EXPECT_EQ(nlohmann::json::parse(out[2 * i + 1])["completed"], 1) << "the line after " << bad[i];
    }
}

TEST(AdvanceCommand, shouldReadEveryWayOfWritingTheSameTaskAlike) {
    // GIVEN one task written plainly, and again with escapes, odd spacing, booleans, nulls, extra keys and
    // a Windows line end
    const std::string plain =
        R"({"scheduletype": "Day of Month", "tuesday": 1, "every2nd": 1, "date": 71611, "ref_date": 71611})";
    const std::vector<std::string> variants = {
        R"({"scheduletype":"Day of Mon\u0074h","tuesday":true,"every2nd":1,"date":71611,"ref_date":71611})",
        " { \"date\" : 71611 , \"ref_date\" : 71611 , \"tuesday\" : 1 , \"every2nd\" : true , "
        "\"scheduletype\" : \"Day of Month\" } ",
        R"({"scheduletype": "Day of Month", "tuesday": 1, "every2nd": 1, "date": 71611, "ref_date": 71611, )"
        R"("note": {"made by": ["hand", 1.5e3]}, "monday": null})",
        R"({"scheduletype": "Day of Month", "tuesday": 1, "every2nd": 1, "date": 0, "date": 71611, "ref_date": 71611})",
        plain + "\r",
    };
    std::string input = plain + "\n";
    for (const auto& v : variants) input += v + "\n";
    // WHEN they are moved on, THEN every line prints the same as the plain one: 11 February 1997
    const auto out = lines(runCli({"advance"}, input).out);
    ASSERT_EQ(out.size(), variants.size() + 1);
    EXPECT_EQ(nlohmann::json::parse(out[0])["date"], dateFromYmd(1997, 2, 11));
    for (std::size_t i = 1; i < out.size(); ++i) EXPECT_EQ(out[i], out[0]) << variants[i - 1];
}

TEST(AdvanceCommand, shouldKeepTextWithQuotesAndNonAsciiLettersIntact) {
    const Outcome o = runCli({"advance"}, R"j({"scheduletype": "Caf\u00e9 \"x\" \\ tab\t", "everytype": "day(s)"})j");
    const auto out = lines(o.out);
    ASSERT_EQ(out.size(), 1u) << o.out;
    EXPECT_EQ(nlohmann::json::parse(out[0])["scheduletype"], "Caf\u00e9 \"x\" \\ tab\t");
}

TEST(AdvanceCommand, shouldReadEachKeyIntoItsOwnField) {
    // GIVEN a task not yet due (so that its date stays) with a different value in every field
    const std::string keys[] = {"sunday",   "monday",   "tuesday",  "wednesday", "thursday", "friday",
                                "saturday", "every1st", "every2nd", "every3rd",  "every4th", "everylast"};
    nlohmann::ordered_json line = {{"scheduletype", "Day of Week"},
                                   {"every", 77},
                                   {"everytype", "wee"},
                                   {"date", 71700},
                                   {"time", 5},
                                   {"advancewarndate", 71650},
                                   {"advancewarntime", 3},
                                   {"advancewarned", 1},
                                   {"skipnexttime", 1},
                                   {"ref_date", 71611},
                                   {"ref_time", 9}};
    for (int i = 0; i < 12; ++i) line[keys[i]] = 10 + i;
    // WHEN it is moved on, THEN every field comes back with its own value; only the two marks are cleared
    const auto out = lines(runCli({"advance"}, line.dump() + "\n").out);
    ASSERT_EQ(out.size(), 1u);
    nlohmann::ordered_json want = line;
    want.erase("ref_date");
    want.erase("ref_time");
    want["advancewarned"] = 0;
    want["skipnexttime"] = 0;
    const auto got = nlohmann::ordered_json::parse(out[0]);
    for (const auto& item : want.items()) EXPECT_EQ(got[item.key()], item.value()) << item.key();
}

TEST(ValidCommand, shouldSayWhetherEachDateFitsItsTask) {
    // Fridays only: 31 January 1997 is a Friday, 20 January a Monday.
    const Outcome o = runCli({"valid"},
                             "{\"scheduletype\": \"Day of Week\", \"friday\": 1, \"check_date\": 71622}\n"
                             "{\"scheduletype\": \"Day of Week\", \"friday\": 1, \"check_date\": 71611}\n"
                             "{\"scheduletype\": \"Day of Week\", \"friday\": 1, \"date\": 71622}\n"
                             "{\"scheduletype\": \"Day of Month\", \"friday\": 1, \"check_date\": 71622}\n"
                             "{\"scheduletype\": \"Custom\", \"check_date\": 71611}\n"
                             "{\"check_date\": \"today\"}\n");
    EXPECT_EQ(o.exitCode, 0);
    const auto out = lines(o.out);
    ASSERT_EQ(out.size(), 6u) << o.out;
    EXPECT_EQ(out[0], "{\"valid\": true}");
    EXPECT_EQ(out[1], "{\"valid\": false}");
    EXPECT_EQ(out[2], "{\"valid\": true}");   // 0: the task's own date
    EXPECT_EQ(out[3], "{\"valid\": false}");  // no ordinal ticked
    EXPECT_EQ(out[4], "{\"valid\": true}");
    EXPECT_TRUE(nlohmann::json::parse(out[5]).contains("error"));
}

TEST(AdvanceCommand, shouldRefuseArgumentsAndReadNothingGivenNothing) {
    const Outcome withArgument = runCli({"advance", "tasks.json"}, "");
    EXPECT_EQ(withArgument.exitCode, 2);
    EXPECT_NE(withArgument.err, "");
    const Outcome empty = runCli({"valid"}, "");
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
}

}  // namespace
}  // namespace tarvelo
