#pragma once
// The run log as the user sees it: the result of a run as a list shows it (the schedule browse's Last
// Result, the Run Log window's Result), failures drawn to stand out; the Run Log window's list, newest
// first, and what it shows of the highlighted run below the list.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/browse_list.h"
#include "data/last_runs.h"
#include "data/records.h"
#include "platform/page_list.h"

namespace tarvelo::runlog {

// A failure's text is dark red, on the highlighted row a light red that stays readable on the
// selection's own colour.
inline constexpr platform::Rgb kFailedColour{192, 0, 0};
inline constexpr platform::Rgb kFailedSelectedColour{255, 185, 185};

// "0", "3", "signal 9", "running", "no result", "not started", "not watched"; a failure in red; the tip
// says what became of the run and when: "exit status 3 at Oct 28, 1996 5:30PM".
platform::ListCell resultCell(const RunEntry& entry);
// How long a run took: "850 ms", "12.3 s", "4 min 05 s", "2 h 03 min"; empty while it runs or when its
// end was never seen.
std::string durationText(const RunEntry& entry);

// The schedule browse's last results, read from the run log's task key: the latest entry of each task
// of a page in one statement. REQUIRES: the run log is open while it is asked, and outlives it.
class RunLogLastRuns : public LastRuns {
public:
    explicit RunLogLastRuns(store::Table& log) : m_log(log) {}
    [[nodiscard]] store::Status cells(const std::vector<std::int32_t>& tasks,
                                      std::unordered_map<std::int32_t, platform::ListCell>& out) override;

private:
    store::Table& m_log;
};

// The Run Log window's list: Started, Time, Task, Description, Result, Duration.
inline constexpr const char* kRunLogListFormat =
    "47L|M~Started~@d3@32L|M~Time~@t3@24R|M~Task~R@n6@80L|M~Description~@s40@40L|M~Result~@s20@40R|M~Duration~R@s16@";
std::vector<platform::ListCell> runLogRowCells(const RunEntry& entry);
// Every entry, newest first (the start key read from its end); no thumb stops, as their values would
// run the other way.
BrowseConfig runLogBrowseConfig();

// What the window shows of the highlighted run above its output: the command line, when it started and
// ended, and what became of it.
std::string runDetails(const RunEntry& entry);

}  // namespace tarvelo::runlog
