#pragma once
// The store's wait for another process's lock, for one test: the suite runs with a short wait
// (support/cli_env.cpp), and a test of how long the wait lasts, or of what a long wait says, sets the
// length it checks for as long as it runs.
#include <chrono>
#include <string>
#include <utility>

#include "store/store.h"

namespace tarvelo::test {

class LockWaitFor {
public:
    explicit LockWaitFor(std::chrono::milliseconds wait) : m_usual(store::lockWait()) { store::setLockWait(wait); }
    ~LockWaitFor() { store::setLockWait(m_usual); }
    LockWaitFor(const LockWaitFor&) = delete;
    LockWaitFor& operator=(const LockWaitFor&) = delete;

private:
    std::chrono::milliseconds m_usual;
};

// A wait long enough for any transaction of another of our programs, for tests where programs meet
// on one folder as usual rather than one holding a lock on purpose; for the programs a test starts.
inline const std::pair<std::string, std::string> kPatientLockWait{"TARVELO_LOCK_WAIT_MS", "20000"};

}  // namespace tarvelo::test
