// The test binaries' main. ctest runs the tests of one suite in one process (tests/support/add_suites.cmake):
// starting a test binary costs more than most of its tests, and a suite's tests share what they start
// (Qt's platform, the fixtures' folders). Each test still has its own time limit, kept here: a test that
// runs past it (a modal box nobody answers, a wait that never ends) stops its process with its name and
// an exit status of its own, and the time outside the tests (a suite's set-up, the gap between two tests)
// has the same limit. ctest's limit on the whole suite is only the last guard.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "core/environment.h"

namespace {

// A test's limit, unless $TARVELO_TEST_LIMIT_S says otherwise: the build's (a minute).
constexpr long long kTestLimitSeconds = TARVELO_TEST_LIMIT_S;
// The exit status of a process stopped by a test's limit (timeout(1)'s).
constexpr int kStoppedByLimit = 124;

class TestLimit : public testing::EmptyTestEventListener {
public:
    explicit TestLimit(std::chrono::seconds limit) : m_limit(limit) {
        arm("before the first test");
        m_watch = std::thread([this] { watch(); });
    }
    // Only listing the tests ends the program without its end being heard.
    ~TestLimit() override { stop(); }

private:
    void OnTestStart(const testing::TestInfo& test) override { arm(nameOf(test)); }
    void OnTestEnd(const testing::TestInfo& test) override { arm("after " + nameOf(test)); }
    void OnTestProgramEnd(const testing::UnitTest&) override { stop(); }

    void stop() {
        {
            const std::lock_guard lock(m_mutex);
            m_ended = true;
        }
        m_changed.notify_one();
        if (m_watch.joinable()) m_watch.join();
    }

    static std::string nameOf(const testing::TestInfo& test) {
        return std::string(test.test_suite_name()) + "." + test.name();
    }

    void arm(std::string what) {
        {
            const std::lock_guard lock(m_mutex);
            m_what = std::move(what);
            m_due = std::chrono::steady_clock::now() + m_limit;
        }
        m_changed.notify_one();
    }

    void watch() {
        std::unique_lock lock(m_mutex);
        while (!m_ended) {
            const auto due = m_due;
            if (m_changed.wait_until(lock, due) == std::cv_status::timeout && m_due == due && !m_ended) {
                // The main thread is stuck where it is: say who, and end without running anyone's
                // destructors, which could wait on what is stuck.
                std::fprintf(stderr, "\n%s: still running after its limit of %lld s; stopped\n", m_what.c_str(),
                             static_cast<long long>(m_limit.count()));
                std::fflush(stderr);
                std::fflush(stdout);
                ::_exit(kStoppedByLimit);
            }
        }
    }

    const std::chrono::seconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_what;
    std::chrono::steady_clock::time_point m_due;
    bool m_ended = false;
    std::thread m_watch;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const long long limit = tarvelo::wholeNumberFromEnvironment("TARVELO_TEST_LIMIT_S").value_or(kTestLimitSeconds);
    testing::UnitTest::GetInstance()->listeners().Append(new TestLimit(std::chrono::seconds(limit > 0 ? limit : 1)));
    return RUN_ALL_TESTS();
}
