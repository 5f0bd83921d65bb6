#pragma once
// Running the tarvelo96-cli built beside the tests ($TARVELO_CLI), no shell in between.
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::test {

struct CliOutcome {
    int exitCode = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

struct CliRun {
    std::string folder;                    // current folder of the program; empty: the test's own
    std::string input;                     // its standard input
    std::optional<std::string> answerEnv;  // TARVELO_ANSWER; unset when absent
    bool asNobody = false;                 // drop root, so that file permissions hold
};

// Standard input, output and error go through files, so no pipe can fill up whatever the sizes.
CliOutcome runCli(const std::vector<std::string>& args, const CliRun& how = {});

}  // namespace tarvelo::test
