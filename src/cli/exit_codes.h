#pragma once
// The exit codes of tarvelo96-cli, apart from the parser (command.h), for the code that ends a
// command without declaring one.

namespace tarvelo::cli {

inline constexpr int kUsageExitCode = 2;
// What was asked was done in part, and the rest is named (a tick's later step, an import's skipped events).
inline constexpr int kPartlyDoneExitCode = 4;

// Every command's exit codes, as the help lists them.
inline constexpr const char* kExitCodes =
    "Exit codes:\n"
    "  0  done\n"
    "  1  refused or failed (the message says why); check: something was wrong, mended or not; find: nothing "
    "matched; tick: the due task could not be stored, so nothing of it was performed\n"
    "  2  a usage error: the command line is wrong\n"
    "  3  a data file the program cannot work with; it stopped with the message and its stop text\n"
    "  4  done in part: tick: the due task was performed and stored (or none was due), but a later step "
    "failed; import: some events were skipped (each is named)\n"
    "  5  a data file stayed busy (another program kept it locked) and the wait for it was given up";

}  // namespace tarvelo::cli
