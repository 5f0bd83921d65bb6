#include "fakes/recurrence_reference.h"

#include <algorithm>
#include <cstdint>

#include "tasks/recurrence.h"
#include "tasks/recurrence_internal.h"

namespace tarvelo::reference {
namespace {

using i64 = std::int64_t;

bool selected(const Task& task, i64 date) {
    const Byte flags[7] = {task.sunday,   task.monday, task.tuesday, task.wednesday,
                           task.thursday, task.friday, task.saturday};
    return flags[((date % 7) + 7) % 7] != 0;
}

bool anySelected(const Task& task) {
    for (int dow = 0; dow < 7; ++dow) {
        if (selected(task, dow)) return true;
    }
    return false;
}

// One weekday-rule step: a day at a time up to a selected weekday, or one day when none is selected.
i64 stepDay(const Task& task, i64 date) {
    if (!anySelected(task)) return date + 1;
    do {
        ++date;
    } while (!selected(task, date));
    return date;
}

bool lastSevenDays(StdDate date) {
    const Ymd ymd = ymdFromDate(date);
    const int year = ymd.month == 12 ? ymd.year + 1 : ymd.year;
    const StdDate lastDay = dateFromYmd(year, ymd.month == 12 ? 1 : ymd.month + 1, 1) - 1;
    return lastDay - date >= 0 && lastDay - date <= 6;
}

// Builds a date; years far past the range are held where the builder still parks them past it.
i64 build(i64 year, i64 month, int day) {
    return dateFromYmd(static_cast<int>(std::min<i64>(year, 1000000)), static_cast<int>(month), day);
}

void monthly(Task& task, i64 n, StdDate refDate) {
    while (task.date <= refDate) {
        const Ymd ymd = ymdFromDate(task.date);
        i64 month = ymd.month + n;
        i64 year = ymd.year;
        if (month > 12) {
            month -= 12;
            year += 1;
        }
        const i64 date = build(year, month, ymd.day);
        if (date > kMaxDate) {
            task.date = kMaxDate;
            return;
        }
        task.date = static_cast<StdDate>(date);
    }
}

void yearly(Task& task, i64 n, StdDate refDate) {
    while (task.date <= refDate) {
        const Ymd ymd = ymdFromDate(task.date);
        const i64 date = build(ymd.year + n, ymd.month, ymd.day);
        if (date > kMaxDate) {
            task.date = kMaxDate;
            return;
        }
        task.date = static_cast<StdDate>(date);
    }
}

void byDays(Task& task, i64 stride, StdDate refDate) {
    i64 date = task.date;
    while (date <= refDate) {
        date += stride;
        if (date > kMaxDate) {
            task.date = kMaxDate;
            return;
        }
    }
    task.date = static_cast<StdDate>(date);
}

void byTime(Task& task, i64 every, i64 perDay, i64 length, StdDate refDate, StdTime refTime) {
    i64 date = task.date;
    i64 time = task.time;
    while (date < refDate || (date == refDate && time < refTime)) {
        if (every <= perDay) {
            time += every * length;
        } else {
            date += every / perDay;
            time += every % perDay * length;
        }
        while (time > kOneDay) {
            time -= kOneDay;
            date += 1;
        }
        if (date > kMaxDate) {
            task.date = kMaxDate;
            task.time = kOneDay;
            return;
        }
    }
    task.date = static_cast<StdDate>(date);
    task.time = static_cast<StdTime>(time);
}

void dayOfWeekRule(Task& task, StdDate refDate) {
    i64 date = task.date;
    while (date <= refDate) {
        date = stepDay(task, date);
        if (date > kMaxDate) {
            task.date = kMaxDate;
            return;
        }
    }
    task.date = static_cast<StdDate>(date);
}

void dayOfMonthRule(Task& task, StdDate refDate) {
    i64 date = task.date;
    for (;;) {
        date = stepDay(task, date);
        if (date > kMaxDate) {
            task.date = kMaxDate;
            return;
        }
        if (date <= refDate) continue;
        if (!task.every1st && !task.every2nd && !task.every3rd && !task.every4th && !task.everyLast) break;
        const int d = ymdFromDate(static_cast<StdDate>(date)).day;
        if ((d >= 1 && d <= 7 && task.every1st) || (d >= 8 && d <= 14 && task.every2nd) ||
            (d >= 15 && d <= 21 && task.every3rd) || (d >= 22 && d <= 28 && task.every4th))
            break;
        if (lastSevenDays(static_cast<StdDate>(date)) && task.everyLast) break;
    }
    task.date = static_cast<StdDate>(date);
}

}  // namespace

void nextScheduleDate(Task& task, StdDate refDate, StdTime refTime, platform::MessageBoxPort& messages) {
    const ScheduleType type = task.scheduleType.kind();
    if (type == ScheduleType::Once) {
        task.completed = 1;
    } else if (type == ScheduleType::Monthly) {
        monthly(task, 1, refDate);
    } else if (type == ScheduleType::Yearly) {
        yearly(task, 1, refDate);
    } else if (type == ScheduleType::DayOfWeek) {
        dayOfWeekRule(task, refDate);
    } else if (type == ScheduleType::DayOfMonth) {
        dayOfMonthRule(task, refDate);
    } else {
        if (task.every < 1) task.every = 1;
        const i64 every = task.every;
        switch (task.everyType.kind()) {
        case RepetitionUnit::Minute:
            return byTime(task, every, 1440, kOneMinute, refDate, refTime);
        case RepetitionUnit::Hour:
            return byTime(task, every, 24, kOneHour, refDate, refTime);
        case RepetitionUnit::Day:
            return byDays(task, every, refDate);
        case RepetitionUnit::Week:
            return byDays(task, 7 * every, refDate);
        case RepetitionUnit::Month:
            return monthly(task, every, refDate);
        case RepetitionUnit::Year:
            return yearly(task, every, refDate);
        case RepetitionUnit::Other:
            messages.show(invalidUnitsMessage());
            if (task.date <= refDate) task.date = static_cast<StdDate>(std::min<i64>(i64{refDate} + 1, kMaxDate));
            return;
        }
    }
}

void advanceTask(Task& task, StdDate today, StdTime now, platform::MessageBoxPort& messages) {
    detail::advanceTaskWith(task, today, now, messages, &reference::nextScheduleDate);
}

}  // namespace tarvelo::reference
