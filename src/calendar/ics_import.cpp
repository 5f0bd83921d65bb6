#include "calendar/ics_import.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

#include "calendar/calendar_rules.h"
#include "calendar/ics_export.h"
#include "calendar/ics_text.h"
#include "data/record_maintenance.h"
#include "tasks/task_checks.h"

namespace tarvelo::calendar {
namespace {

const char* fieldName(TaskField field) {
    switch (field) {
    case TaskField::taskType: return "its task type";
    case TaskField::scheduleType: return "its schedule type";
    case TaskField::everyType: return "its repetition unit";
    case TaskField::every: return "its repetition count";
    case TaskField::date: return "its date";
    case TaskField::time: return "its time";
    case TaskField::lastRunDate: return "its last run date";
    case TaskField::lastRunTime: return "its last run time";
    case TaskField::advanceWarnDate: return "its advance warning";
    case TaskField::advanceWarnTime: return "its advance warning time";
    }
    return "a field";
}

bool namesUtc(const std::string& zone) {
    return zone == "UTC" || zone == "Etc/UTC" || zone == "GMT" || zone == "Etc/GMT" || zone == "Z";
}

std::string textOf(const Component& event, std::string_view name) {
    const ContentLine* p = event.property(name);
    return p ? unescapeText(p->value) : std::string();
}

// A text longer than its field is refused, as a script's task would be.
std::optional<std::string> tooLong(std::string_view what, const std::string& text, std::size_t width,
                                   std::string_view field) {
    const std::size_t n = utf8Length(text);
    if (n <= width) return std::nullopt;
    return "its " + std::string(what) + " holds " + std::to_string(n) + " characters; a task's " + std::string(field) +
           " holds at most " + std::to_string(width);
}

void setWarning(Task& task, std::int64_t offsetSeconds) {
    const std::int64_t at = std::int64_t{task.date} * kOneDay + task.time + offsetSeconds * 100;
    std::int64_t date = at / kOneDay;
    if (at - date * kOneDay < 1) --date;  // times run 1 .. kOneDay
    task.advanceWarnDate = static_cast<StdDate>(date);
    task.advanceWarnTime = static_cast<StdTime>(at - date * kOneDay);
}

// The first alarm that comes at or before the start, as the task's advance warning.
void readWarning(const Component& event, Task& task, const TimeZone& zone) {
    for (const Component& alarm : event.children) {
        if (alarm.name != "VALARM") continue;
        const ContentLine* trigger = alarm.property("TRIGGER");
        if (!trigger) continue;
        std::optional<std::int64_t> offset;
        if (trigger->parameter("VALUE") == "DATE-TIME") {
            std::optional<DateTimeValue> at = parseDateTime(trigger->value);
            if (!at || at->dateOnly) continue;
            if (at->utc) at = localOf(*at, zone);
            const DateTimeValue start = dateTimeAt(task.date, task.time < 1 ? 0 : task.time - 1);
            offset = secondsOf(*at) - secondsOf(start);
        } else if (trigger->parameter("RELATED").value_or("START") == "START") {
            offset = parseDuration(trigger->value);
        }
        if (!offset || *offset > 0) continue;
        setWarning(task, *offset);
        return;
    }
}

// The message of one of our events: the DESCRIPTION less the command lines the export added to it.
std::string ourMessage(const std::string& description, const Task& task) {
    Task bare = task;
    bare.message.clear();
    const std::string added = eventDescription(bare);
    if (added.empty()) return description;
    if (description == added) return {};
    const std::string tail = "\n\n" + added;
    if (description.size() > tail.size() && description.compare(description.size() - tail.size(), tail.size(), tail) == 0)
        return description.substr(0, description.size() - tail.size());
    return description;
}

// Events are read as the file hands them over, one at a time, so that a large file is never held whole as
// components. What depends on events further on is settled at the end: a second series of ours whose first
// comes later waits for it, and a series with a changed occurrence anywhere in the file is skipped after
// all, its task taken back.
class EventReader {
public:
    EventReader(const TimeZone& zone, CalendarImport& out) : m_zone(zone), m_out(out) {}

    void read(const Component& c) {
        SkippedEvent id{c.line, textOf(c, "UID"), textOf(c, "SUMMARY"), {}};
        if (c.name != "VEVENT") {
            if (c.name != "VTIMEZONE") skip(id, "a " + c.name + " is not an event", true);
            return;
        }
        if (c.property("X-TARVELO-RULE")) m_ours.insert(id.uid);
        if (c.property("X-TARVELO-PART") && c.property("RELATED-TO")) {
            if (!m_ours.count(textOf(c, "RELATED-TO"))) m_parts.push_back(c);
            return;
        }
        readEvent(c, std::move(id));
    }

    void finish() {
        const bool late = !m_parts.empty();
        for (const Component& c : m_parts) {
            if (!m_ours.count(textOf(c, "RELATED-TO"))) readEvent(c, {c.line, textOf(c, "UID"), textOf(c, "SUMMARY"), {}});
        }
        if (!m_changed.empty()) takeBackChanged();
        const auto byLine = [](const SkippedEvent& a, const SkippedEvent& b) { return a.line < b.line; };
        if (late || !m_changed.empty()) std::stable_sort(m_out.skipped.begin(), m_out.skipped.end(), byLine);
        if (!late) return;
        std::stable_sort(m_out.warnings.begin(), m_out.warnings.end(), byLine);
        std::vector<std::size_t> order(m_out.tasks.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return m_taken[a].line < m_taken[b].line; });
        std::vector<Task> tasks;
        tasks.reserve(order.size());
        for (std::size_t i : order) tasks.push_back(std::move(m_out.tasks[i]));
        m_out.tasks = std::move(tasks);
    }

private:
    void readEvent(const Component& c, SkippedEvent id) {
        if (c.property("RECURRENCE-ID")) {
            m_changed.insert(id.uid);
            return skip(id, "it changes one occurrence of a series", true);
        }

        Task task;
        std::optional<std::string> problem;
        if (const ContentLine* rule = c.property("X-TARVELO-RULE")) {
            problem = ours(c, *rule, task);
        } else {
            problem = foreign(c, task);
        }
        if (!problem) problem = common(c, id, task);
        if (problem) return skip(id, *problem);
        if (const auto refused = taskEntryProblem(task)) return skip(id, std::string(fieldName(refused->field)) + " " + refused->text);
        if (auto warning = applyTaskEntryRules(task)) {
            SkippedEvent w = id;
            w.reason = std::move(*warning);
            m_out.warnings.push_back(std::move(w));
        }
        m_out.tasks.push_back(std::move(task));
        m_taken.push_back(std::move(id));
    }

    // `settled`: skipped for what the event is, whatever other events say of its series.
    void skip(SkippedEvent id, std::string reason, bool settled = false) {
        id.reason = std::move(reason);
        m_out.skipped.push_back(std::move(id));
        m_settled.push_back(settled);
    }

    // A series of which another event changes an occurrence is skipped, for that reason before any other.
    void takeBackChanged() {
        constexpr const char* kReason = "another event changes one of its occurrences";
        for (std::size_t i = 0; i < m_out.skipped.size(); ++i) {
            if (!m_settled[i] && m_changed.count(m_out.skipped[i].uid)) m_out.skipped[i].reason = kReason;
        }
        std::size_t kept = 0;
        for (std::size_t i = 0; i < m_out.tasks.size(); ++i) {
            if (m_changed.count(m_taken[i].uid)) {
                m_out.skipped.push_back(m_taken[i]);
                m_out.skipped.back().reason = kReason;
                continue;
            }
            if (kept != i) {
                m_out.tasks[kept] = std::move(m_out.tasks[i]);
                m_taken[kept] = std::move(m_taken[i]);
            }
            ++kept;
        }
        m_out.tasks.resize(kept);
        m_taken.resize(kept);
        std::erase_if(m_out.warnings, [&](const SkippedEvent& w) { return m_changed.count(w.uid) > 0; });
    }

    std::optional<std::string> ours(const Component& c, const ContentLine& rule, Task& task) {
        if (c.count("X-TARVELO-RULE") > 1) return std::string("it has X-TARVELO-RULE twice");
        if (auto problem = readTarveloRule(unescapeText(rule.value), task)) return "its X-TARVELO-RULE: " + *problem;
        task.taskType = TaskType::DisplayMessage;
        if (const ContentLine* rest = c.property("X-TARVELO-TASK")) {
            if (auto problem = readTarveloTask(unescapeText(rest->value), task)) return "its X-TARVELO-TASK: " + *problem;
        }
        const std::string description = textOf(c, "DESCRIPTION");
        if (auto problem = tooLong("command", task.command.text(), 80, "command")) return problem;
        const std::string message = ourMessage(description, task);
        if (auto problem = tooLong("DESCRIPTION", message, 1000, "message")) return problem;
        task.message = message;
        return std::nullopt;
    }

    std::optional<std::string> foreign(const Component& c, Task& task) {
        const ContentLine* start = c.property("DTSTART");
        if (!start) return std::string("it has no start (DTSTART)");
        std::optional<DateTimeValue> at = parseDateTime(start->value);
        if (!at) return "its DTSTART " + start->value + " is not a date and time";
        if (const std::optional<std::string> zone = start->parameter("TZID")) {
            if (!namesUtc(*zone)) return "it starts in the time zone " + *zone + ", neither local time nor UTC";
            if (!at->dateOnly) at->utc = true;
        }
        if (c.count("RRULE") > 1) return std::string("it has several RRULEs");
        for (const char* extra : {"RDATE", "EXDATE", "EXRULE"}) {
            if (c.property(extra)) return "it has " + std::string(extra) + ", which no task's rule can say";
        }
        Recurrence recurrence;
        const Recurrence* rule = nullptr;
        if (const ContentLine* r = c.property("RRULE")) {
            if (auto problem = parseRecurrence(r->value, recurrence)) return "its RRULE: " + *problem;
            rule = &recurrence;
        }
        if (at->utc) {
            const DateTimeValue local = localOf(*at, m_zone);
            if (rule) {
                if (!steadyOffset(secondsOf(*at), m_zone))
                    return std::string("it repeats in UTC, and local time changes its offset from UTC within two years");
                if (local.day != at->day) return std::string("it repeats in UTC on days that are other days in local time");
            }
            at = local;
        }
        if (auto problem = ruleOfRecurrence(rule, *at, task)) return problem;
        task.date = dateFromYmd(at->day.year, at->day.month, at->day.day);
        task.time = timeFromHms(at->hour, at->minute, at->second);
        task.taskType = TaskType::DisplayMessage;
        std::string message = textOf(c, "DESCRIPTION");
        if (message.empty()) message = textOf(c, "SUMMARY");
        if (auto problem = tooLong("DESCRIPTION", message, 1000, "message")) return problem;
        task.message = message;
        return std::nullopt;
    }

    std::optional<std::string> common(const Component& c, const SkippedEvent& id, Task& task) {
        if (auto problem = tooLong("SUMMARY", id.summary, 40, "description")) return problem;
        task.description = id.summary;
        if (const ContentLine* categories = c.property("CATEGORIES")) {
            const std::vector<std::string> names = splitTextList(categories->value);
            const std::string first = names.empty() ? std::string() : names.front();
            if (auto problem = tooLong("category", first, 20, "category")) return problem;
            task.category = first;
        }
        if (auto problem = tooLong("path", task.path.text(), 80, "start-in folder")) return problem;
        if (auto problem = tooLong("alarm file", task.alarmFile.text(), 80, "alarm file")) return problem;
        readWarning(c, task, m_zone);
        return std::nullopt;
    }

    const TimeZone& m_zone;
    CalendarImport& m_out;
    std::set<std::string> m_ours;       // UIDs of our own first series
    std::set<std::string> m_changed;    // UIDs of series with a changed occurrence
    std::vector<Component> m_parts;     // second series of ours read before their first
    std::vector<SkippedEvent> m_taken;  // the event of each task taken, as m_out.tasks
    std::vector<bool> m_settled;        // of each skipped event: see skip()
};

}  // namespace

std::optional<std::string> readCalendar(std::string_view text, const TimeZone& zone, CalendarImport& out) {
    out = CalendarImport{};
    std::vector<Component> calendars;
    EventReader reader(zone, out);
    if (auto problem = parseCalendarText(text, calendars, [&](Component&& c) { reader.read(c); })) {
        out = CalendarImport{};
        return problem;
    }
    reader.finish();
    return std::nullopt;
}

store::Status storeTasks(DataFiles& files, std::vector<Task>& tasks, int& categoriesAdded) {
    categoriesAdded = 0;
    auto schedule = files.schedule();
    auto categories = files.categories();
    store::Transaction transaction;
    // A stored task with its keys takes about 400 bytes of the file: room for every page the import
    // changes, so that none is written to the log before the commit and read back. A cache takes memory
    // only as pages fill it.
    const int cacheMiB = static_cast<int>(std::min<std::size_t>(1024, 16 + tasks.size() / 2000));
    store::Status s = transaction.beginBulk({&schedule.table(), &categories.table()}, cacheMiB);
    if (!s.ok()) return s;
    Task highest;
    std::int64_t next = 1;
    if (schedule.setToEnd(ScheduleKey::keyId).ok() && schedule.previous(highest).ok()) next = std::int64_t{highest.id} + 1;
    if (next + static_cast<std::int64_t>(tasks.size()) - 1 > std::numeric_limits<std::int32_t>::max()) {
        store::Status full = store::Status::make(store::kDriverError);
        full.driverMessage = "no task number is left for " + std::to_string(tasks.size()) + " tasks";
        full.driverCode = "numbering";
        return full;
    }
    std::map<std::string, std::string> stored;  // a category as named -> as stored
    for (Task& task : tasks) {
        if (!task.category.isBlank()) {
            auto known = stored.find(task.category.text());
            if (known == stored.end()) {
                Category key, found;
                key.category = task.category;
                s = categories.fetch(CategoryKey::keyCategory, key, found);
                if (s.code == store::kRecordNotFound) {
                    s = categories.add(key);
                    found = key;
                    ++categoriesAdded;
                }
                if (!s.ok()) return s;
                known = stored.emplace(task.category.text(), found.category.text()).first;
            }
            task.category = known->second;
        }
        task.id = static_cast<std::int32_t>(next++);
        task.ref = {};
        if (s = schedule.add(task); !s.ok()) return s;
    }
    return transaction.commit();
}

}  // namespace tarvelo::calendar
