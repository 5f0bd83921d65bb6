#pragma once
// The run log: for every program the scheduler or Run Now starts, what became of it — when it started and
// ended, its exit status or the signal that ended it, how long it ran and the last 4 KB of its output.
//
// Who writes what. A watcher process (tarvelo96-watch) starts the program and tells its starter; the
// starter, which holds the file open, adds the entry as "running", and the watcher stores its end
// ("ended") when the program ends, in one write of its own; a program that could not be started is
// added as "not started" by the watcher. The two writes of a run meet in either order: a fast program's
// end lands before its starter's "running", and a watcher whose starter is gone adds the whole entry. Entries left "running" by a watcher that is gone (the machine
// stopped, the watcher was killed) are marked "no result" when a scheduler opens the folder. Every entry
// is bounded twice: at most kEntriesPerTask per task (the oldest go as one is added), and none older than
// the completed copies' expiry (removed in the tick's purge step).
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "data/data_files.h"
#include "data/record_table.h"
#include "data/records.h"
#include "data/tables.h"
#include "platform/ports.h"
#include "platform/watched_start.h"
#include "store/store.h"

namespace tarvelo::runlog {

enum class RunState { running, ended, noResult, notStarted, notWatched };

// "running", "ended", "no result", "not started", "not watched": the stored text and what the lists show.
std::string_view stateText(RunState state);
// An unknown text reads as "no result": nothing can be said of that run.
RunState stateOf(const RunEntry& entry);

inline constexpr std::size_t kOutputBytes = 4096;
inline constexpr int kEntriesPerTask = 1000;

// The last kOutputBytes bytes of a stream of any length, in a fixed buffer: appending never allocates.
class OutputTail {
public:
    void append(std::string_view bytes);
    std::string bytes() const;
    std::uint64_t total() const { return m_total; }

private:
    std::array<char, kOutputBytes> m_ring{};
    std::uint64_t m_total = 0;
};

// What is stored of a program's output: every control character other than a line break or tab and every
// byte that is not UTF-8 escaped (as the command line prints stored texts), then at most kOutputBytes
// taken from the end at a whole character.
std::string storedOutput(std::string_view raw);

// Whether the run went wrong: a non-zero exit status, a signal, or no start at all.
bool failed(const RunEntry& entry);
// What became of the run: "exit status 3", "ended by signal 9 (Killed)", "could not be started",
// "running", "no result", "not watched".
std::string outcomeText(const RunEntry& entry);
// The summary of a failure's notice: "Backup failed: exit status 3".
std::string failureSummary(const RunEntry& entry);
// The last line of the output that holds more than blanks ("" when none).
std::string lastLine(std::string_view output);

// Adds entry (its ref filled) and drops the oldest entries of its task beyond perTask, in one transaction.
store::Status addEntry(RecordTable<RunEntry> log, RunEntry& entry, int perTask = kEntriesPerTask);
// The run's two writes, each one transaction, which meet in either order with one entry for the run: a
// run is named by its task, its start, the boot and its watcher's process id. addRunning adds entry (a
// "running" one, by the starter) unless the run has its entry already; storeEnd stores the end of the
// run (by the watcher), in the run's entry when there is one (its account wins over a "no result" set
// meanwhile), else as a whole entry of its own.
// The "running" entry a starter adds for the run its watcher reported, in this boot (bootId).
RunEntry runningEntry(const std::string& commandLine, const platform::ProgramLabel& label,
                      const platform::WatchReport& report, const std::string& bootId);
store::Status addRunning(RecordTable<RunEntry> log, RunEntry& entry);
store::Status storeEnd(RecordTable<RunEntry> log, RunEntry& entry);
// Removes the entries that started more than days days before today, as the completed copies expire;
// days <= 0 keeps them for ever. A run still under way stays.
store::Status purgeExpired(RecordTable<RunEntry> log, std::int64_t days, StdDate today);
// Marks "no result" every "running" entry whose watcher is gone: it ran in another boot of the machine,
// or watcherAlive(pid) says no. marked counts them.
store::Status markNoResult(RecordTable<RunEntry> log, std::string_view bootId,
                           const std::function<bool(std::int32_t pid)>& watcherAlive, int* marked = nullptr);

// Marks told every failure the user has not heard of yet, oldest first, and hands each to tell once it
// is marked: of several schedulers on one folder, the one whose mark lands tells it.
store::Status tellFailures(RecordTable<RunEntry> log, const std::function<void(const RunEntry&)>& tell);

// How the programs started on files' folder are watched: each under tarvelo96-watch, which logs its run.
// One started without it (the watcher cannot be executed) still starts as it always did; its entry,
// logged here, says "not watched" ("not started" when it did not start), and starter (the program's
// name) says so on standard error.
platform::Watching watchingFor(DataFiles& files, platform::ClockPort& clock, std::string starter);

// This boot of the machine (/proc/sys/kernel/random/boot_id); "" when it cannot be read.
std::string currentBootId();
// Whether pid is a live watcher: a process of ours named tarvelo96-watch.
bool watcherAlive(std::int32_t pid);

}  // namespace tarvelo::runlog
