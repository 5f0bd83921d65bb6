// Points the tests that run tarvelo96-cli at the one built beside them, unless the environment already
// names one (so a test can also be run against an installed program). The wait for another process's
// lock is kept short here, for this process and the programs the tests start, unless the environment
// says otherwise: a test that holds a lock to see what a blocked program does is done in a fraction of a
// second, not half a minute. The store reads the setting once; tests of the wait's length set their own
// (fakes/lock_wait.h), and so do tests where programs contend as usual.
#include <cstdlib>

namespace {
const bool kCliNamed = [] {
    setenv("TARVELO_CLI", TARVELO_CLI_DEFAULT, /*overwrite=*/0);
    setenv("TARVELO_LOCK_WAIT_MS", "300", /*overwrite=*/0);
    return true;
}();
}  // namespace
