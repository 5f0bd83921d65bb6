// The test binaries' own limit (support/test_main.cpp): the one guard that a hung test stops the run of its
// suite, says which test it was, and lets the other suites run.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Set only where the probe below is meant to hang.
constexpr const char* kProbe = "TARVELO_TEST_LIMIT_PROBE";

TEST(TestLimitProbe, NeverEnds) {
    if (!std::getenv(kProbe)) GTEST_SKIP() << "hangs only when TestLimitTest runs it";
    while (true) ::pause();
}

TEST(TestLimitTest, ATestPastItsLimitStopsItsProcessNamingItself) {
    std::array<char, 4096> self{};
    ASSERT_GT(::readlink("/proc/self/exe", self.data(), self.size() - 1), 0);
    const std::string command = std::string("TARVELO_TEST_LIMIT_S=1 ") + kProbe + "=1 '" + self.data() +
                                "' --gtest_filter=TestLimitProbe.NeverEnds 2>&1";
    const auto began = std::chrono::steady_clock::now();
    FILE* run = ::popen(command.c_str(), "r");
    ASSERT_NE(run, nullptr);
    std::string said;
    std::array<char, 512> chunk{};
    while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), run)) said.append(chunk.data(), n);
    const int status = ::pclose(run);
    const auto took = std::chrono::steady_clock::now() - began;

    ASSERT_TRUE(WIFEXITED(status)) << said;
    EXPECT_EQ(WEXITSTATUS(status), 124) << said;
    EXPECT_NE(said.find("TestLimitProbe.NeverEnds: still running after its limit of 1 s; stopped"), std::string::npos)
        << said;
    EXPECT_GE(took, std::chrono::seconds(1));
    EXPECT_LT(took, std::chrono::seconds(30));
}

}  // namespace
