#include "watch/watch.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/data_files.h"
#include "data/data_warning.h"
#include "platform/program_exec.h"
#include "platform/terminal/exit_halt.h"
#include "platform/terminal/system_clock.h"
#include "platform/terminal/text_message_box.h"
#include "platform/watched_start.h"
#include "runlog/run_log.h"

namespace tarvelo::watch {
namespace {

// A busy file is waited for as every writer waits (the store's lock wait), then again: nobody is there
// to answer a "File Busy" box, and the entry is the only account of the run there will be.
constexpr int kBusyRounds = 10;

template <class Write>
store::Status patiently(Write write) {
    store::Status s;
    for (int round = 0; round < kBusyRounds; ++round) {
        if ((s = write()).ok() || !store::isBusy(s)) break;
    }
    return s;
}

void report(const platform::WatchReport& word) {
    [[maybe_unused]] const auto n = ::write(platform::kWatchReportFd, &word, sizeof word);
    ::close(platform::kWatchReportFd);
}

struct Started {
    pid_t pid = -1;
    int output = -1;  // the read end of the program's standard output and error
    int error = 0;    // errno of a start that failed
};

Started startProgram(const WatchRequest& request) {
    Started started;
    auto program = platform::PreparedProgram::prepare(request.command, request.startIn);
    if (!program) {
        started.error = ENOEXEC;
        return started;
    }
    program->argv();

    int output[2], execReport[2];
    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(execReport, O_CLOEXEC) != 0) {
        started.error = errno;
        return started;
    }
    // A program that writes in bursts keeps writing while an entry is being stored.
    ::fcntl(output[0], F_SETPIPE_SZ, 1 << 20);
    // The child only enters its folder, sets its descriptors and execs (or writes its errno and ends), all
    // async-signal-safe and prepared beforehand: sharing the watcher's memory until then spares copying its
    // page tables and the faults of copy-on-write, a good part of what the watcher costs a start.
    const pid_t pid = ::vfork();
    if (pid < 0) {
        started.error = errno;
        return started;
    }
    if (pid == 0) program->exec(output[1], execReport[1]);
    ::close(output[1]);
    ::close(execReport[1]);
    if (const std::optional<int> error = platform::PreparedProgram::readReport(execReport[0])) {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        ::close(output[0]);
        started.error = *error != 0 ? *error : ENOEXEC;
        return started;
    }
    started.pid = pid;
    started.output = output[0];
    return started;
}

// Reads the program's output until the program has ended and the pipe holds nothing more, keeping its
// tail; a child of the program that keeps the pipe open does not hold the watcher after the program.
// Returns the program's wait status.
int collect(pid_t pid, int output, runlog::OutputTail& tail) {
    const int process = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    // Not zeroed: its pages are touched only when a program writes that much.
    constexpr std::size_t kBufferBytes = 64 * 1024;
    const std::unique_ptr<char[]> buffer(new char[kBufferBytes]);
    bool ended = false;
    int status = 0;
    while (true) {
        pollfd fds[2] = {{output, POLLIN, 0}, {process, POLLIN, 0}};
        const int count = ::poll(fds, process >= 0 && !ended ? 2 : 1, ended ? 0 : (process >= 0 ? -1 : 200));
        if (count < 0 && errno == EINTR) continue;
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            const ssize_t n = ::read(output, buffer.get(), kBufferBytes);
            if (n > 0) {
                tail.append(std::string_view(buffer.get(), static_cast<std::size_t>(n)));
                continue;
            }
            if (n == 0 || (errno != EINTR && errno != EAGAIN)) break;  // every writer has closed it
            continue;
        }
        if (ended) break;  // drained: nothing more was readable
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            ::fcntl(output, F_SETFL, O_NONBLOCK);
        }
    }
    if (!ended) {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (process >= 0) ::close(process);
    ::close(output);
    return status;
}

void setEnd(RunEntry& entry, platform::ClockPort& clock) {
    const platform::Moment end = clock.now();
    entry.endDate = end.date;
    entry.endTime = end.time;
}

// The watcher's standard error is /dev/null (it must not keep its starter's pipes open): what it cannot
// store goes to the system log, which the user service's journal shows too.
void cannotStore(const store::Status& s) {
    ::syslog(LOG_USER | LOG_ERR, "the run log could not be updated: %s", errorText(s).c_str());
}

// Stores the run's end, its one write: the data file is opened only now, so a watcher holds no
// connection while its program runs.
int storeEnd(const WatchRequest& request, RunEntry& entry) {
    platform::TextMessageBox messages(stderr, std::nullopt);
    platform::ExitHalt halt;
    DataWarning warn(messages, halt);
    DataFiles files(warn, request.data);
    // Its starter has the file open (or just had): the watcher, which only adds its entry, comes to it lean.
    files.table(TableId::runLog).setOpening(store::Opening::lean);
    TableUse use(files, TableId::runLog);
    const store::Status s = patiently([&] { return runlog::storeEnd(files.runLog(), entry); });
    if (!s.ok()) {
        cannotStore(s);
        return 1;
    }
    return 0;
}

}  // namespace

int watch(const WatchRequest& request) {
    ::fcntl(platform::kWatchReportFd, F_SETFD, FD_CLOEXEC);
    ::signal(SIGPIPE, SIG_IGN);
    platform::SystemClock clock;
    const auto began = std::chrono::steady_clock::now();
    const platform::Moment start = clock.now();
    Started started = startProgram(request);
    // The starter adds the "running" entry from this word, named as this watcher's end names it.
    platform::WatchReport word;
    word.error = started.pid < 0 ? started.error : 0;
    word.watcher = static_cast<std::int32_t>(::getpid());
    word.start = start;
    report(word);

    RunEntry entry;
    entry.task = request.task;
    entry.description = request.description;
    entry.command = request.command;
    entry.startDate = start.date;
    entry.startTime = start.time;
    entry.bootId = runlog::currentBootId();
    entry.watcher = word.watcher;
    if (started.pid < 0) {
        entry.state = std::string(runlog::stateText(runlog::RunState::notStarted));
        entry.output = runlog::storedOutput(std::strerror(started.error));
        setEnd(entry, clock);
        return storeEnd(request, entry);
    }

    runlog::OutputTail tail;
    const int status = collect(started.pid, started.output, tail);
    const auto ran = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
    setEnd(entry, clock);
    entry.state = std::string(runlog::stateText(runlog::RunState::ended));
    entry.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    entry.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    entry.durationMs = static_cast<std::int32_t>(std::min<std::int64_t>(ran.count(), INT32_MAX));
    entry.output = runlog::storedOutput(tail.bytes());
    entry.told = runlog::failed(entry) ? 0 : 1;
    return storeEnd(request, entry);
}

}  // namespace tarvelo::watch
