#include "calendar/ics_import.h"

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

class EventReader {
public:
    EventReader(const TimeZone& zone, CalendarImport& out) : m_zone(zone), m_out(out) {}

    void collect(const Component& calendar) {
        for (const Component& c : calendar.children) {
            if (c.name != "VEVENT") continue;
            const std::string uid = textOf(c, "UID");
            if (c.property("X-TARVELO-RULE")) m_ours.insert(uid);
            if (c.property("RECURRENCE-ID")) m_changed.insert(uid);
        }
    }

    void read(const Component& c) {
        SkippedEvent id{c.line, textOf(c, "UID"), textOf(c, "SUMMARY"), {}};
        if (c.name != "VEVENT") {
            if (c.name != "VTIMEZONE") skip(id, "a " + c.name + " is not an event");
            return;
        }
        if (c.property("X-TARVELO-PART") && c.property("RELATED-TO") && m_ours.count(textOf(c, "RELATED-TO"))) return;
        if (c.property("RECURRENCE-ID")) return skip(id, "it changes one occurrence of a series");
        if (m_changed.count(id.uid)) return skip(id, "another event changes one of its occurrences");

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
    }

private:
    void skip(SkippedEvent id, std::string reason) {
        id.reason = std::move(reason);
        m_out.skipped.push_back(std::move(id));
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
    std::set<std::string> m_ours;     // UIDs of our own first series
    std::set<std::string> m_changed;  // UIDs of series with a changed occurrence
};

}  // namespace

std::optional<std::string> readCalendar(std::string_view text, const TimeZone& zone, CalendarImport& out) {
    out = CalendarImport{};
    std::vector<Component> calendars;
    if (auto problem = parseCalendarText(text, calendars)) return problem;
    EventReader reader(zone, out);
    for (const Component& calendar : calendars) reader.collect(calendar);
    for (const Component& calendar : calendars) {
        for (const Component& c : calendar.children) reader.read(c);
    }
    return std::nullopt;
}

store::Status storeTasks(DataFiles& files, std::vector<Task>& tasks, int& categoriesAdded) {
    categoriesAdded = 0;
    auto schedule = files.schedule();
    auto categories = files.categories();
    store::Transaction transaction;
    store::Status s = transaction.begin({&schedule.table(), &categories.table()});
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
