// Points the tests that run tarvelo96-cli at the one built beside them, unless the environment already
// names one (so a test can also be run against an installed program). The wait for another process's
// lock is two seconds here, for the programs the tests start too, unless the environment says otherwise:
// a test that holds a lock to see what a blocked program does then waits seconds, not half a minute.
// Tests of the wait itself set their own.
#include <cstdlib>

namespace {
const bool kCliNamed = [] {
    setenv("TARVELO_CLI", TARVELO_CLI_DEFAULT, /*overwrite=*/0);
    setenv("TARVELO_LOCK_WAIT_MS", "2000", /*overwrite=*/0);
    return true;
}();
}  // namespace
