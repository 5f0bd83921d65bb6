#include "calendar/ics_export.h"

#include <cstdio>
#include <filesystem>

#include "calendar/calendar_rules.h"
#include "calendar/ics_text.h"
#include "data/tables.h"

namespace tarvelo::calendar {
namespace {

constexpr std::size_t kPiece = 1 << 20;

std::string hex64(std::uint64_t value) {
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(value));
    return out;
}

// FNV-1a: short, stable across builds and machines, and enough to tell one folder from another.
std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

void property(std::string& out, std::string_view name, std::string_view value) {
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append(":").append(value);
    appendContentLine(out, line);
}

// The warning's distance before the task in seconds (0 or less), or nothing when there is no warning or
// it would come after the task. A field of 0 stands for the task's own date or time.
std::optional<std::int64_t> warningOffset(const Task& task) {
    if (task.advanceWarnDate == 0 && task.advanceWarnTime == 0) return std::nullopt;
    const std::int64_t date = task.advanceWarnDate != 0 ? task.advanceWarnDate : task.date;
    const std::int64_t time = task.advanceWarnTime != 0 ? task.advanceWarnTime : task.time;
    const std::int64_t hundredths = (date - task.date) * kOneDay + (time - task.time);
    if (hundredths > 0) return std::nullopt;
    return -((-hundredths) / 100);
}

}  // namespace

ExportStamp exportStamp(const std::string& folder, platform::Moment localNow, const TimeZone& zone) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::canonical(folder.empty() ? "." : folder, ec);
    const std::int64_t utc = zone.utcOf(dateTimeOf(localNow));
    return {ec ? folder : canonical.string(), dateTimeOfSeconds(utc, true)};
}

bool exportsTask(const Task& task) { return !task.disabled && !task.completed && task.date != 0; }

std::string uidOf(std::int32_t id, const std::string& folderIdentity) {
    return "task-" + std::to_string(id) + "-" + hex64(fnv1a(folderIdentity)) + "@tarvelo96";
}

std::string calendarHeader() {
    std::string out;
    appendContentLine(out, "BEGIN:VCALENDAR");
    appendContentLine(out, "VERSION:2.0");
    appendContentLine(out, "PRODID:-//Tarvelo '96//Schedule//EN");
    appendContentLine(out, "CALSCALE:GREGORIAN");
    return out;
}

std::string calendarTrailer() {
    std::string out;
    appendContentLine(out, "END:VCALENDAR");
    return out;
}

std::string eventDescription(const Task& task) {
    std::string text = task.message.text();
    const bool program = task.taskType == TaskType::RunProgram || task.taskType == TaskType::Both;
    if (program && !task.command.isBlank()) {
        if (!text.empty()) text += "\n\n";
        text += "Command: " + task.command.text();
        if (!task.path.isBlank()) text += "\nStart in: " + task.path.text();
    }
    return text;
}

bool appendTask(std::string& out, const Task& task, const ExportStamp& stamp) {
    if (!exportsTask(task)) return false;
    const std::vector<SeriesPart> parts = seriesOf(task);
    if (parts.empty()) return false;
    const std::string uid = uidOf(task.id, stamp.folderIdentity);
    const std::string dtstamp = formatDateTime(stamp.now);
    const std::string summary = escapeText(task.description.text());
    const std::string description = escapeText(eventDescription(task));
    const std::optional<std::int64_t> warning = warningOffset(task);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const SeriesPart& part = parts[i];
        appendContentLine(out, "BEGIN:VEVENT");
        property(out, "UID", i == 0 ? uid : uid.substr(0, uid.find('@')) + "-" + std::to_string(i + 1) + "@tarvelo96");
        property(out, "DTSTAMP", dtstamp);
        property(out, "DTSTART", formatDateTime(dateTimeOf(part.start)));
        if (part.rule) property(out, "RRULE", formatRecurrence(*part.rule));
        if (!summary.empty()) property(out, "SUMMARY", summary);
        if (!description.empty()) property(out, "DESCRIPTION", description);
        if (!task.category.isBlank()) property(out, "CATEGORIES", escapeText(task.category.text()));
        if (i == 0) {
            property(out, "X-TARVELO-RULE", escapeText(tarveloRuleText(task)));
            property(out, "X-TARVELO-TASK", escapeText(tarveloTaskText(task)));
        } else {
            property(out, "RELATED-TO;RELTYPE=SIBLING", uid);
            property(out, "X-TARVELO-PART", std::to_string(i + 1));
        }
        if (warning) {
            appendContentLine(out, "BEGIN:VALARM");
            property(out, "ACTION", "DISPLAY");
            property(out, "DESCRIPTION", summary.empty() ? "Advance warning" : summary);
            property(out, "TRIGGER", formatDuration(*warning));
            appendContentLine(out, "END:VALARM");
        }
        appendContentLine(out, "END:VEVENT");
    }
    return true;
}

store::Status exportSchedule(DataFiles& files, const ExportStamp& stamp,
                             const std::function<bool(std::string_view)>& sink, int& tasks, bool& sinkFailed) {
    tasks = 0;
    sinkFailed = false;
    std::string out = calendarHeader();
    out.reserve(kPiece + 64 * 1024);
    // Read a page at a time: one statement for many tasks rather than one read each.
    constexpr int kPage = 512;
    store::View view(files.table(TableId::schedule), static_cast<int>(ScheduleKey::keyId));
    std::vector<store::Row> page;
    store::Status s = view.setToStart();
    while (s.ok()) {
        s = view.readPage(store::Direction::forward, kPage, page);
        if (!s.ok()) break;
        for (const store::Row& row : page) {
            if (appendTask(out, RecordTable<Task>::fromRow(row), stamp)) ++tasks;
        }
        if (out.size() >= kPiece) {
            if (!sink(out)) {
                sinkFailed = true;
                return store::Status::okStatus();
            }
            out.clear();
        }
        if (static_cast<int>(page.size()) < kPage) break;
    }
    if (!s.ok() && s.code != store::kRecordNotAvailable) return s;
    out += calendarTrailer();
    if (!sink(out)) sinkFailed = true;
    return store::Status::okStatus();
}

}  // namespace tarvelo::calendar
