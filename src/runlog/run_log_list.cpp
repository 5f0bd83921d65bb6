#include "runlog/run_log_list.h"

#include <cstdio>

#include "core/picture.h"
#include "data/list_cells.h"
#include "data/record_table.h"
#include "data/tables.h"
#include "runlog/run_log.h"

namespace tarvelo::runlog {
namespace {

std::string moment(StdDate date, StdTime time) {
    return date == 0 ? std::string() : formatDate3(date) + " " + formatTime3(time);
}

}  // namespace

platform::ListCell resultCell(const RunEntry& entry) {
    platform::ListCell cell;
    const RunState state = stateOf(entry);
    if (state != RunState::ended) {
        cell.text = stateText(state);
    } else if (entry.signal != 0) {
        cell.text = "signal " + std::to_string(entry.signal);
    } else {
        cell.text = std::to_string(entry.exitStatus);
    }
    const bool seenEnd = entry.endDate != 0;
    cell.tip = outcomeText(entry) + " at " + (seenEnd ? moment(entry.endDate, entry.endTime) : moment(entry.startDate, entry.startTime));
    if (failed(entry)) {
        cell.foreground = kFailedColour;
        cell.selectedForeground = kFailedSelectedColour;
    }
    return cell;
}

std::string durationText(const RunEntry& entry) {
    if (stateOf(entry) != RunState::ended) return {};
    const std::int64_t ms = entry.durationMs;
    char text[32];
    if (ms < 1000) {
        std::snprintf(text, sizeof text, "%lld ms", static_cast<long long>(ms));
    } else if (ms < 60'000) {
        std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    } else if (ms < 3'600'000) {
        std::snprintf(text, sizeof text, "%lld min %02lld s", static_cast<long long>(ms / 60'000),
                      static_cast<long long>(ms / 1000 % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld h %02lld min", static_cast<long long>(ms / 3'600'000),
                      static_cast<long long>(ms / 60'000 % 60));
    }
    return text;
}

store::Status RunLogLastRuns::cells(const std::vector<std::int32_t>& tasks,
                                    std::unordered_map<std::int32_t, platform::ListCell>& out) {
    std::vector<store::Value> firsts(tasks.begin(), tasks.end());
    std::vector<store::Row> rows;
    const store::Status s = m_log.lastOfEach(static_cast<int>(RunLogKey::keyTaskStart), firsts, rows);
    if (!s.ok()) return s;
    for (const store::Row& row : rows) {
        const RunEntry entry = RecordTable<RunEntry>::fromRow(row);
        out[entry.task] = resultCell(entry);
    }
    return s;
}

std::vector<platform::ListCell> runLogRowCells(const RunEntry& entry) {
    static const std::vector<ListColumn> columns = programListColumns(kRunLogListFormat);
    std::vector<platform::ListCell> cells(columns.size());
    cells[0].text = formatPicture(std::string_view(columns[0].picture), std::int64_t{entry.startDate});
    cells[1].text = formatPicture(std::string_view(columns[1].picture), std::int64_t{entry.startTime});
    cells[2].text = formatPicture(std::string_view(columns[2].picture), std::int64_t{entry.task});
    cells[3].text = formatPicture(std::string_view(columns[3].picture), std::string_view(entry.description.text()));
    cells[4] = resultCell(entry);
    cells[5].text = durationText(entry);
    return cells;
}

BrowseConfig runLogBrowseConfig() {
    BrowseConfig config;
    config.tableName = "RunLog";
    config.sorts = {BrowseSort::onKey(static_cast<int>(RunLogKey::keyStart))};
    config.cells = [](const store::Row& row) { return runLogRowCells(RecordTable<RunEntry>::fromRow(row)); };
    config.openSource = [](store::Table& table, int key, KeyRange range) {
        return openViewSource(table, key, std::move(range), store::Order::descending);
    };
    return config;
}

std::string runDetails(const RunEntry& entry) {
    std::string text = entry.command.text() + "\n" + "Started " + moment(entry.startDate, entry.startTime);
    if (entry.endDate != 0) text += ", ended " + moment(entry.endDate, entry.endTime);
    return text + ": " + outcomeText(entry);
}

}  // namespace tarvelo::runlog
