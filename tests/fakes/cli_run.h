#pragma once
// Running the tarvelo96-cli built beside the tests ($TARVELO_CLI), no shell in between.
#include <optional>
#include <string>
#include <utility>
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
    bool asNobody = false;                 // drop root (and its groups), so that file permissions hold
    unsigned user = 65534;                 // the user (and group) asNobody becomes: nobody, or another
    std::vector<std::pair<std::string, std::string>> env;  // variables set for the program
    std::optional<long> fileSizeLimit;     // bytes a file may grow to (RLIMIT_FSIZE): a full disk
};

// The user and group nobody, which tests running as root become where file permissions must hold.
inline constexpr unsigned kNobody = 65534;
// Becomes user (nobody unless said), with no supplementary groups left (root's group could read what
// others may not). False when it could not.
bool dropRoot(unsigned user = kNobody);

// Standard input, output and error go through files, so no pipe can fill up whatever the sizes.
CliOutcome runCli(const std::vector<std::string>& args, const CliRun& how = {});

}  // namespace tarvelo::test
