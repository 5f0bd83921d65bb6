// Whole processes at 1,000,000 tasks beside the same at a small table, in the same run, taking turns: an
// idle `tarvelo96-cli tick`, and the program's start to its first window (the frame shown, its first
// tick done) with the resident memory it takes; and `tarvelo96-cli list --selected` beside a plain `list`
// of the same 100,000 tasks. Each is a process of its own, timed from fork to its end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/fixture.h"
#include "core/settings.h"
#include "data/data_files.h"
#include "data/tables.h"
#include "engine/scheduler.h"
#include "data/tags.h"
#include "store/store.h"
#include "app/main_frame.h"
#include "app/scheduler_driver.h"
#include "platform/desktop/qt_file_dialog.h"
#include "platform/desktop/qt_frame_port.h"
#include "platform/desktop/qt_halt.h"
#include "platform/desktop/qt_message_box.h"
#include "engine/windows/qt_message_windows.h"
#include "platform/desktop/qt_program_start.h"
#include "platform/desktop/qt_sound.h"

namespace {

using namespace tarvelo;

// A configuration folder of its own, so the user's settings play no part.
const std::string& configFolder() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-startup-XXXXXX").string();
        const std::string made = ::mkdtemp(pattern.data());
        std::filesystem::create_directories(made + "/tarvelo96");
        return made;
    }();
    return folder;
}

// The tarvelo96-cli built beside the benchmark, or $TARVELO_CLI (another build, to compare with).
const char* cli() {
    const char* named = std::getenv("TARVELO_CLI");
    return named ? named : TARVELO_CLI;
}

// `tarvelo96-cli` with args in folder, its output thrown away.
bench::Side cliProcess(const std::string& folder, std::vector<std::string> args) {
    return {[folder, args](benchmark::State& state) {
        if (!bench::runProgram(cli(), folder, args, configFolder()))
            state.SkipWithError((args.front() + " failed").c_str());
    }};
}

bench::Side idleTickProcess(int tasks) {
    return cliProcess(bench::fixtureFolder(tasks), {"tick", "--at", "1996-10-31 12:00:00"});
}

// The 100,000-task fixture with every tenth task tagged, as a search leaves them; built once beside it.
std::string taggedFolder() {
    namespace fs = std::filesystem;
    const std::string folder = std::string(TARVELO_BENCH_FIXTURES) + "/100000-tagged";
    if (fs::exists(folder + "/complete")) return folder;
    const std::string source = bench::fixtureFolder(100'000);
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* file : {"SM.KTB", "SM.KTB-wal"}) {
        if (fs::exists(source + "/" + file)) fs::copy_file(source + "/" + file, folder + "/" + file);
    }
    bench::QuietBox box;
    bench::AbortHalt halt;
    const DataWarning warn(box, halt);
    DataFiles files(warn, folder);
    const TableUse schedule(files, TableId::schedule);
    const TableUse tagFile(files, TableId::tagFile);
    platform::LoopRunner runner;
    Tags tags(files, runner);
    Tags::Batch batch(tags, "bench");
    auto table = files.schedule();
    Task task;
    store::Status s = table.setToStart(ScheduleKey::keyId);
    while (s.ok() && (s = table.next(task)).ok()) {
        if (task.id % 10 == 0) tags.tag(kScheduleTable, task.ref.rowId, std::to_string(task.id));
    }
    batch.commit();
    std::ofstream(folder + "/complete") << "10000 of 100000 tagged\n";
    return folder;
}

// The program's start as the desktop wires it, up to the frame shown and its first tick done. Runs in the
// child; writes the resident memory (kB, at its peak) to fd.
int startProgram(const std::string& folder, int fd) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", configFolder().c_str(), 1);
    int argc = 1;
    char name[] = "tarvelo96";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    platform::QtMessageBox messages;
    platform::QtHalt halt;
    DataWarning warn(messages, halt);
    DataFiles data(warn, folder);
    data.use(TableId::history);
    data.use(TableId::schedule);
    Settings settings = startUpSettings();
    settings.programTitle = "Tarvelo '96";
    app::MainFrame frame(settings);
    frame.show();
    // The fixtures' moment: nothing is due then, as on an ordinary start.
    struct FixtureClock : platform::ClockPort {
        platform::Moment now() override { return {bench::kToday, bench::kNow}; }
    } clock;
    platform::QtSound sound;
    platform::QtProgramStart programs;
    platform::QtFramePort framePort(&frame);
    engine::QtMessageWindows windows(&frame, [](const std::string&) {}, settings.iniFileName.text());
    platform::QtFileDialog fileDialog(&frame);
    platform::NoNotifications notifications;
    const platform::Platform ports{messages, clock, sound, programs, framePort, windows, fileDialog, halt,
                                   notifications};
    Scheduler scheduler(data.schedule(), settings, ports);
    app::driveScheduler(frame, scheduler, folder);
    QApplication::processEvents();
    frame.tick();
    QApplication::processEvents();

    long peak = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) peak = std::stol(line.substr(6));
    }
    return ::write(fd, &peak, sizeof peak) == sizeof peak ? 0 : 1;
}

// The highest resident memory a start reached, by table size.
std::map<int, long> peakKb;

bench::Side programStart(int tasks) {
    const std::string folder = bench::fixtureFolder(tasks);
    return {[folder, tasks](benchmark::State& state) {
        int report[2];
        if (::pipe(report) != 0) state.SkipWithError("pipe");
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(report[0]);
            ::_exit(startProgram(folder, report[1]));
        }
        ::close(report[1]);
        long got = 0;
        const bool read = ::read(report[0], &got, sizeof got) == sizeof got;
        ::close(report[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!read) state.SkipWithError("the program did not start");
        peakKb[tasks] = std::max(peakKb[tasks], got);
    }};
}

}  // namespace

int main(int argc, char** argv) {
    bench::registerPair("idle tarvelo96-cli tick, 1,000,000 / 2,000 tasks", [] { return idleTickProcess(1'000'000); },
                        [] { return idleTickProcess(2'000); }, 1)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(15.0);
    bench::registerPair("start to first window, 1,000,000 / 0 tasks", [] { return programStart(1'000'000); },
                        [] { return programStart(0); }, 1)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(15.0);
    bench::registerPair("tarvelo96-cli list --selected / list, 100,000 tasks, 10,000 tagged",
                        [] { return cliProcess(taggedFolder(), {"list", "--selected"}); },
                        [] { return cliProcess(taggedFolder(), {"list"}); }, 1)
        ->Unit(benchmark::kMillisecond)
        ->MinTime(10.0);
    const int result = bench::runWithRatios(argc, argv);
    for (const auto& [tasks, kb] : peakKb) {
        std::printf("start to first window, %d tasks: peak resident memory %.1f MB\n", tasks, static_cast<double>(kb) / 1024.0);
    }
    return result;
}
