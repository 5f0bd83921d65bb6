// Points the tests that run tarvelo96-cli at the one built beside them, unless the environment already
// names one (so a test can also be run against an installed program).
#include <cstdlib>

namespace {
const bool kCliNamed = [] {
    setenv("TARVELO_CLI", TARVELO_CLI_DEFAULT, /*overwrite=*/0);
    return true;
}();
}  // namespace
