// The date, time and format commands, run as a script would run them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/cli_run.h"

namespace {

using Outcome = tarvelo::test::CliOutcome;

Outcome runCli(const std::vector<std::string>& args) { return tarvelo::test::runCli(args); }

// A readable test name made of the arguments: "3_time_17_30".
std::string nameOf(std::size_t index, const std::vector<std::string>& args) {
    std::string name = std::to_string(index);
    for (const auto& a : args) {
        name += '_';
        for (char c : a) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

struct Conversion {
    std::vector<std::string> args;
    std::string printed;
};

void PrintTo(const Conversion& c, std::ostream* os) {
    for (const auto& a : c.args) *os << '"' << a << "\" ";
    *os << "-> \"" << c.printed << '"';
}

class ConvertingOnTheCommandLine : public testing::TestWithParam<Conversion> {};

TEST_P(ConvertingOnTheCommandLine, shouldPrintTheResultAndSucceed) {
    const auto& c = GetParam();
    const Outcome o = runCli(c.args);
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, c.printed + "\n");
    EXPECT_EQ(o.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ConvertingOnTheCommandLine,
    testing::Values(
        Conversion{{"date", "1997-01-31"}, "71622"}, Conversion{{"date", "71622"}, "1997-01-31"},
        Conversion{{"date", "Jan 31, 1997"}, "71622"}, Conversion{{"date", "1/31/97"}, "71622"},
        Conversion{{"date", "4"}, "1801-01-01"}, Conversion{{"date", "0"}, ""},
        Conversion{{"time", "17:30"}, "6300001"}, Conversion{{"time", "6300001"}, "17:30"},
        Conversion{{"time", "17:30:15.50"}, "6301551"}, Conversion{{"time", "6301551"}, "17:30:15.50"},
        Conversion{{"time", "6301501"}, "17:30:15"}, Conversion{{"time", "5:30 pm"}, "6300001"},
        Conversion{{"time", "1"}, "00:00"}, Conversion{{"time", "0"}, ""},
        Conversion{{"format", "@d3", "71622"}, "Jan 31, 1997"}, Conversion{{"format", "@t3", "6300001"}, "5:30PM"},
        Conversion{{"format", "@t3", "1"}, "12:00AM"}, Conversion{{"format", "@d3", "0"}, ""},
        Conversion{{"format", "@s5", "hello world"}, "hello"}, Conversion{{"format", "@n6", "42"}, "    42"},
        Conversion{{"format", "@n2", "123"}, "##"}, Conversion{{"format", "@n04", "7"}, "0007"}),
    [](const testing::TestParamInfo<Conversion>& info) { return nameOf(info.index, info.param.args); });

class RefusingBadInput : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(RefusingBadInput, shouldExplainOnStderrAndExitWithTwo) {
    const Outcome o = runCli(GetParam());
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RefusingBadInput,
    testing::Values(std::vector<std::string>{"date"}, std::vector<std::string>{"date", "1997-02-30"},
                    std::vector<std::string>{"date", "abc"}, std::vector<std::string>{"date", ""},
                    std::vector<std::string>{"date", "99999999999"}, std::vector<std::string>{"date", "1", "2"},
                    std::vector<std::string>{"time"}, std::vector<std::string>{"time", "25:00"},
                    std::vector<std::string>{"time", "13:00PM"}, std::vector<std::string>{"time", "8640001"},
                    std::vector<std::string>{"time", "-5"}, std::vector<std::string>{"time", "abc"},
                    std::vector<std::string>{"format", "@d3"}, std::vector<std::string>{"format", "@x3", "1"},
                    std::vector<std::string>{"format", "@d3", "Jan 31"},
                    std::vector<std::string>{"format", "@d3", "99999999999"},
                    std::vector<std::string>{"format", "@n6", "12abc"}, std::vector<std::string>{"format", "@t3", ""}),
    [](const testing::TestParamInfo<std::vector<std::string>>& info) { return nameOf(info.index, info.param); });

}  // namespace
