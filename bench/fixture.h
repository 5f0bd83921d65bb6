#pragma once
// What the storage benchmarks share: data folders of N tasks built once and kept in the build folder, so
// a run is cheap to repeat, and a main that prints each figure beside its baseline as a ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/date.h"
#include "data/records.h"
#include "platform/ports.h"

namespace tarvelo::bench {

// The moment every benchmark pretends it is: no enabled task is due then.
inline const StdDate kToday = dateFromYmd(1996, 10, 31);
inline const StdTime kNow = timeFromHms(12, 0);
// Completed copies in the fixtures are younger than this many days.
inline constexpr int kExpiryDays = 30;

// The ports a benchmark gives the data layer: every box is printed and answered by its default, and a
// halt aborts the run loudly rather than ending it as if it had finished.
struct QuietBox : platform::MessageBoxPort {
    int show(const platform::MessageBoxRequest& r) override {
        std::fprintf(stderr, "%s: %s\n", r.caption.c_str(), r.text.c_str());
        return r.defaultButton;
    }
};
struct AbortHalt : platform::HaltPort {
    [[noreturn]] void halt(const std::string& text) override {
        std::fprintf(stderr, "halt: %s\n", text.c_str());
        std::abort();
    }
    [[noreturn]] void giveUp(const std::string& text) override {
        std::fprintf(stderr, "gave up: %s\n", text.c_str());
        std::abort();
    }
};

// A task of the mix a long-used schedule holds: most enabled and in the future (a fifth with an advance
// warning to come or given), one in twenty switched off, one in twenty a completed copy.
// Dated around today.
Task benchTask(int id, std::mt19937& random, StdDate today = kToday);

// A data folder whose SM.KTB holds Schedule with `tasks` tasks of benchTask (seeded alike every time) and
// an empty History; built on first use, then reused from the build folder. Benchmarks that write put the
// folder back as they found it (they delete what they add). With another today, the tasks are dated
// around it (a folder of its own): a today far ahead makes a folder where nothing is due by the clock.
std::string fixtureFolder(int tasks, StdDate today = kToday);

// Runs program with args in folder (and XDG_CONFIG_HOME set to configFolder when given), its output thrown
// away; true when it exited with 0.
bool runProgram(const char* program, const std::string& folder, const std::vector<std::string>& args,
                const std::string& configFolder = "");

// One figure measured against its baseline in the same run: each iteration of the benchmark times a
// block of `block` operations of the measured side, then a block of the baseline, so that a machine
// whose load changes meanwhile weighs on both alike. Each side's figure is its median block, per
// operation, reported as the counters "measured_us" and "baseline_us".
struct Side {
    std::function<void(benchmark::State&)> op;  // one operation; may SkipWithError
    std::function<void()> beforeBlock = [] {};  // untimed, around each block (to begin a transaction)
    std::function<void()> afterBlock = [] {};
};
void measurePair(benchmark::State& state, const Side& measured, const Side& baseline, int block);
// Registers a figure measured that way, in microseconds.
benchmark::internal::Benchmark* registerPair(const std::string& figure, std::function<Side()> measured,
                                             std::function<Side()> baseline, int block);

// Runs the benchmarks of the command line, then prints every figure registered by registerPair beside
// its baseline, and every pair of plain benchmarks named "<figure> [<side>]" one after the other, with
// their ratio.
int runWithRatios(int argc, char** argv);

// Every port doing nothing at the fixtures' moment, as one platform: a tick over it costs only the
// tick's own work. A halt or a box is not expected: a halt prints its text and aborts.
class NullPlatform : public platform::ClockPort,
                     public platform::FramePort,
                     public platform::MessageBoxPort,
                     public platform::SoundPort,
                     public platform::ProgramStartPort,
                     public platform::MessageWindowPort,
                     public platform::FileDialogPort,
                     public platform::HaltPort {
public:
    NullPlatform() = default;
    NullPlatform(const NullPlatform&) = delete;
    NullPlatform& operator=(const NullPlatform&) = delete;
    operator const platform::Platform&() const { return m_platform; }
    int boxes = 0;

private:
    platform::Moment now() override { return {kToday, kNow}; }
    void setTitle(const std::string& title) override { benchmark::DoNotOptimize(title.data()); }
    bool isMinimized() const override { return false; }
    void restore() override {}
    int show(const platform::MessageBoxRequest&) override { return ++boxes, platform::kOk; }
    void playAsync(const std::string&) override {}
    bool start(const std::string&, const std::string&, const platform::ProgramLabel&) override { return true; }
    void open(const std::string&) override {}
    int openCount() const override { return 0; }
    std::optional<std::string> openFile(const std::string&, const std::vector<platform::FileFilter>&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::vector<platform::FileFilter>&,
                                        const std::string&) override {
        return std::nullopt;
    }
    [[noreturn]] void halt(const std::string& stopText) override {
        std::fprintf(stderr, "%s\n", stopText.c_str());
        std::abort();
    }
    [[noreturn]] void giveUp(const std::string& text) override {
        std::fprintf(stderr, "gave up: %s\n", text.c_str());
        std::abort();
    }

    platform::NoNotifications m_notifications;
    platform::Platform m_platform{*this, *this, *this, *this, *this, *this, *this, *this, m_notifications};
};

}  // namespace tarvelo::bench
