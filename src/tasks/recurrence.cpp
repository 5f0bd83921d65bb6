#include "tasks/recurrence.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "tasks/recurrence_internal.h"

namespace tarvelo {
namespace {

// All arithmetic on dates and times is done in 64 bits: a 32-bit date plus any 32-bit count of days,
// weeks, or hundredths cannot overflow there.
using i64 = std::int64_t;

constexpr i64 kDay = kOneDay;

i64 floorDiv(i64 a, i64 b) {  // REQUIRES: b > 0
    i64 q = a / b;
    if (a % b != 0 && a < 0) --q;
    return q;
}

i64 ceilDiv(i64 a, i64 b) { return -floorDiv(-a, b); }  // REQUIRES: b > 0

int weekday(i64 date) {
    const i64 r = date % 7;
    return static_cast<int>(r < 0 ? r + 7 : r);
}

bool weekdaySelected(const Task& task, int dow) {
    const Byte flags[7] = {task.sunday,   task.monday, task.tuesday, task.wednesday,
                           task.thursday, task.friday, task.saturday};
    return flags[dow] != 0;
}

bool anyWeekday(const Task& task) {
    return task.sunday || task.monday || task.tuesday || task.wednesday || task.thursday || task.friday ||
           task.saturday;
}

bool anyOrdinal(const Task& task) {
    return task.every1st || task.every2nd || task.every3rd || task.every4th || task.everyLast;
}

// The weekday rules' step: the first selected weekday after `from`, or the day after when none is.
i64 nextCandidate(const Task& task, i64 from) {
    if (!anyWeekday(task)) return from + 1;
    for (int i = 1; i < 7; ++i) {
        if (weekdaySelected(task, weekday(from + i))) return from + i;
    }
    return from + 7;  // only the weekday of `from` itself is selected
}

// Whether the date's place in its month is one of the ticked ordinals. Days 22 to 28 that are also among
// the month's final seven match as the fourth or as the last. The month's last day is the day before the
// first of the next month as the date builder makes it, so in the years below 100, which the builder
// reads as 19xx, no day counts as among the last seven.
bool ordinalSelected(const Task& task, StdDate date) {
    const Ymd ymd = ymdFromDate(date);
    const int d = ymd.day;
    if (d <= 7 && task.every1st) return true;
    if (d >= 8 && d <= 14 && task.every2nd) return true;
    if (d >= 15 && d <= 21 && task.every3rd) return true;
    if (d >= 22 && d <= 28 && task.every4th) return true;
    if (!task.everyLast) return false;
    const i64 lastDay = i64{dateFromYmd(ymd.month == 12 ? ymd.year + 1 : ymd.year, ymd.month % 12 + 1, 1)} - 1;
    return lastDay - date >= 0 && lastDay - date <= 6;
}

// Stores a date computed past the end of the range as the last supported day.
void storeDate(Task& task, i64 date) { task.date = static_cast<StdDate>(std::min<i64>(date, kMaxDate)); }

void advanceByDays(Task& task, i64 stride, StdDate refDate) {
    const i64 date = task.date;
    if (date > refDate) return;
    storeDate(task, date + (floorDiv(refDate - date, stride) + 1) * stride);
}

// Minute and hour units. One step adds `days` to the date and `hundredths` to the time, then brings a
// time past the end of the day back into it, one day at a time. The moment date * kDay + time therefore
// grows by the same amount at every step, and once the time lies within 1 .. kDay it stays there; only
// the first step (from a time above the day) and the steps from a time of 0 or below (which count up
// without carrying) behave differently, and they are handled first.
void advanceByTime(Task& task, i64 days, i64 hundredths, StdDate refDate, StdTime refTime) {
    const i64 R = refDate;
    const i64 T = refTime;
    auto reached = [&](i64 d, i64 t) { return d > R || (d == R && t >= T); };
    i64 d = task.date;
    i64 t = task.time;
    auto store = [&] {
        if (d > kMaxDate) {
            task.date = kMaxDate;
            task.time = kOneDay;
        } else {
            task.date = static_cast<StdDate>(d);
            task.time = static_cast<StdTime>(t);
        }
    };
    if (reached(d, t)) return;

    if (t > kDay) {
        d += days;
        t += hundredths;
        const i64 carry = (t - 1) / kDay;
        d += carry;
        t -= carry * kDay;
        if (reached(d, t)) return store();
    }

    if (t <= 0) {
        if (hundredths == 0) {
            // Whole days only (days >= 2 here): the time never moves.
            d += (t >= T ? ceilDiv(R - d, days) : floorDiv(R - d, days) + 1) * days;
            return store();
        }
        // Steps 1 .. inDay keep adding without a carry; the last of them brings the time into the day.
        // The moment only grows from step to step, so the first one that reaches is found by halving.
        const i64 inDay = ceilDiv(1 - t, hundredths);
        if (reached(d + inDay * days, t + inDay * hundredths)) {
            i64 lo = 1;
            i64 hi = inDay;
            while (lo < hi) {
                const i64 mid = lo + (hi - lo) / 2;
                if (reached(d + mid * days, t + mid * hundredths)) {
                    hi = mid;
                } else {
                    lo = mid + 1;
                }
            }
            d += lo * days;
            t += lo * hundredths;
            return store();
        }
        d += inDay * days;
        t += inDay * hundredths;
    }

    // Now 1 <= t <= kDay. Such a moment is before (R, T) exactly when it is before R * kDay + T, with T
    // taken into 1 .. kDay + 1 (a reference time of 0 or below is reached by any time of the day R, one
    // above the day by none).
    const i64 step = days * kDay + hundredths;
    const i64 goal = R * kDay + std::clamp<i64>(T, 1, kDay + 1);
    i64 moment = d * kDay + t;
    moment += ceilDiv(goal - moment, step) * step;
    d = floorDiv(moment - 1, kDay);
    t = moment - d * kDay;
    store();
}

// The date of a calendar day. Unlike the date builder, a year below 100 is that year itself: the day is
// taken from the same day 400 years (146,097 days) later.
StdDate dateOfDay(i64 y, int m, int d) {
    if (y >= 0 && y < 100) return static_cast<StdDate>(dateFromYmd(static_cast<int>(y) + 400, m, d) - 146097);
    return dateFromYmd(static_cast<int>(y), m, d);
}

bool afterYmd(i64 y, int m, int d, const Ymd& other) {
    if (y != other.year) return y > other.year;
    if (m != other.month) return m > other.month;
    return d > other.day;
}

// One step of the month rules as the date builder takes it: the month plus n, at most one year carried by
// the rule itself, a year below 100 read as 1900 + year, further months carried into years, and a day
// beyond the month's length carried into the next month.
void monthStep(i64& y, int& m, int& d, i64 n) {
    i64 mm = m + n;
    i64 yy = y;
    if (mm > 12) {
        mm -= 12;
        yy += 1;
    }
    if (yy >= 0 && yy < 100) yy += 1900;
    yy += (mm - 1) / 12;
    mm = (mm - 1) % 12 + 1;
    y = yy;
    m = static_cast<int>(mm);
    if (y > 9999) return;  // past the range; the caller parks the task
    const int length = daysInMonth(static_cast<int>(y), m);
    if (d > length) {
        d -= length;
        if (++m > 12) {
            m = 1;
            ++y;
        }
    }
}

void yearStep(i64& y, int& m, int& d, i64 n) {
    i64 yy = y + n;
    if (yy >= 0 && yy < 100) yy += 1900;
    y = yy;
    if (y > 9999) return;
    const int length = daysInMonth(static_cast<int>(y), m);
    if (d > length) {  // 29 February into a common year
        d -= length;
        ++m;
    }
}

// "Monthly" (n = 1) and the month unit. Stepping is followed exactly, but runs of steps that can neither
// carry a day nor meet the year-below-100 reading are taken at once: a day up to 28 never carries, and a
// longer day whose months all hold it within one 400-year cycle of steps never will.
void advanceByMonths(Task& task, i64 n, StdDate refDate) {
    if (task.date > refDate) return;
    const Ymd r = ymdFromDate(refDate);
    const Ymd last = ymdFromDate(kMaxDate);
    const Ymd start = ymdFromDate(task.date);
    i64 y = start.year;
    int m = start.month;
    int d = start.day;
    const i64 refIndex = i64{r.year} * 12 + r.month - 1;
    const i64 lastIndex = i64{last.year} * 12 + last.month - 1;
    for (;;) {
        const i64 index = y * 12 + m - 1;
        i64 plain = 0;  // steps that add n to the month index and nothing else
        if (y >= 100) {
            plain = std::numeric_limits<i64>::max();
        } else if (y <= -2) {
            plain = floorDiv(-13 - index, n);  // stay within December of year -2
        }
        i64 k = 0;
        if (plain > 0) {
            const i64 target = d > r.day ? refIndex : refIndex + 1;
            k = std::max<i64>(1, ceilDiv(target - index, n));
            k = std::min({k, plain, floorDiv(lastIndex - index, n) + 1});
            if (d > 28) {
                const i64 scan = std::min<i64>(k, 4800);
                for (i64 j = 1; j <= scan && index + j * n <= lastIndex; ++j) {
                    const i64 at = index + j * n;
                    const i64 year = floorDiv(at, 12);
                    if (d > daysInMonth(static_cast<int>(year), static_cast<int>(at - year * 12 + 1))) {
                        k = j - 1;
                        break;
                    }
                }
            }
        }
        if (k > 0) {
            const i64 at = index + k * n;
            y = floorDiv(at, 12);
            m = static_cast<int>(at - y * 12 + 1);
        } else {
            monthStep(y, m, d, n);
        }
        if (afterYmd(y, m, d, last)) {
            task.date = kMaxDate;
            return;
        }
        if (afterYmd(y, m, d, r)) break;
    }
    task.date = dateOfDay(y, m, d);
}

// "Yearly" (n = 1) and the year unit, the same way: only 29 February can carry, and whether it does
// repeats every 400 years.
void advanceByYears(Task& task, i64 n, StdDate refDate) {
    if (task.date > refDate) return;
    const Ymd r = ymdFromDate(refDate);
    const Ymd last = ymdFromDate(kMaxDate);
    const Ymd start = ymdFromDate(task.date);
    i64 y = start.year;
    int m = start.month;
    int d = start.day;
    for (;;) {
        i64 plain = 0;
        if (y >= 100) {
            plain = std::numeric_limits<i64>::max();
        } else if (y < 0) {
            plain = floorDiv(-1 - y, n);  // stay below year 0
        }
        i64 k = 0;
        if (plain > 0) {
            const i64 target = (m > r.month || (m == r.month && d > r.day)) ? r.year : i64{r.year} + 1;
            k = std::max<i64>(1, ceilDiv(target - y, n));
            k = std::min({k, plain, floorDiv(last.year - y, n) + 1});
            if (m == 2 && d == 29) {
                const i64 scan = std::min<i64>(k, 400);
                for (i64 j = 1; j <= scan && y + j * n <= last.year; ++j) {
                    if (!isLeapYear(static_cast<int>(y + j * n))) {
                        k = j - 1;
                        break;
                    }
                }
            }
        }
        if (k > 0) {
            y += k * n;
        } else {
            yearStep(y, m, d, n);
        }
        if (afterYmd(y, m, d, last)) {
            task.date = kMaxDate;
            return;
        }
        if (afterYmd(y, m, d, r)) break;
    }
    task.date = dateOfDay(y, m, d);
}

void advanceDayOfWeek(Task& task, StdDate refDate) {
    if (task.date > refDate) return;
    storeDate(task, nextCandidate(task, refDate));
}

// Always at least one step, even from a date after the reference. Every candidate up to the reference is
// passed over whatever its ordinal, so the search starts at the later of the two; from there a ticked
// ordinal is met within about five weeks.
void advanceDayOfMonth(Task& task, StdDate refDate) {
    i64 date = nextCandidate(task, std::max(task.date, refDate));
    if (anyOrdinal(task)) {
        while (date <= kMaxDate && !ordinalSelected(task, static_cast<StdDate>(date)))
            date = nextCandidate(task, date);
    }
    storeDate(task, date);
}

void invalidUnits(Task& task, StdDate refDate, platform::MessageBoxPort& messages) {
    messages.show(invalidUnitsMessage());
    if (task.date <= refDate) storeDate(task, i64{refDate} + 1);
}

i64 minuteOrHourStep(RepetitionUnit unit, i64 every, i64& hundredths) {
    const i64 perDay = unit == RepetitionUnit::Minute ? 1440 : 24;
    const i64 length = unit == RepetitionUnit::Minute ? kOneMinute : kOneHour;
    if (every <= perDay) {
        hundredths = every * length;
        return 0;
    }
    hundredths = every % perDay * length;
    return every / perDay;
}

}  // namespace

ScheduleType ruleType(const Task& task) {
    const ScheduleType type = task.scheduleType.kind();
    return type == ScheduleType::Other ? ScheduleType::Custom : type;
}

platform::MessageBoxRequest invalidUnitsMessage() {
    platform::MessageBoxRequest request;
    request.caption = "Invalid Units";
    request.text = "Custom repetition is not set up properly.  Select units.";
    request.icon = platform::Icon::None;
    request.buttons = platform::kOk;
    request.defaultButton = platform::kOk;
    return request;
}

void nextScheduleDate(Task& task, StdDate refDate, StdTime refTime, platform::MessageBoxPort& messages) {
    switch (ruleType(task)) {
    case ScheduleType::Once:
        task.completed = 1;
        return;
    case ScheduleType::Monthly:
        return advanceByMonths(task, 1, refDate);
    case ScheduleType::Yearly:
        return advanceByYears(task, 1, refDate);
    case ScheduleType::DayOfWeek:
        return advanceDayOfWeek(task, refDate);
    case ScheduleType::DayOfMonth:
        return advanceDayOfMonth(task, refDate);
    case ScheduleType::Custom:
    case ScheduleType::Other:  // ruleType() reads it as Custom
        break;
    }
    if (task.every < 1) task.every = 1;
    const i64 every = task.every;
    switch (const RepetitionUnit unit = task.everyType.kind()) {
    case RepetitionUnit::Minute:
    case RepetitionUnit::Hour: {
        i64 hundredths = 0;
        const i64 days = minuteOrHourStep(unit, every, hundredths);
        return advanceByTime(task, days, hundredths, refDate, refTime);
    }
    case RepetitionUnit::Day:
        return advanceByDays(task, every, refDate);
    case RepetitionUnit::Week:
        return advanceByDays(task, 7 * every, refDate);
    case RepetitionUnit::Month:
        return advanceByMonths(task, every, refDate);
    case RepetitionUnit::Year:
        return advanceByYears(task, every, refDate);
    case RepetitionUnit::Other:
        return invalidUnits(task, refDate, messages);
    }
}

bool validScheduleDate(const Task& task, StdDate date) {
    if (date == 0) date = task.date;
    switch (ruleType(task)) {
    case ScheduleType::DayOfWeek:
        return weekdaySelected(task, weekday(date));
    case ScheduleType::DayOfMonth:
        return weekdaySelected(task, weekday(date)) && ordinalSelected(task, date);
    default:
        return true;
    }
}

void advanceTask(Task& task, StdDate today, StdTime now, platform::MessageBoxPort& messages) {
    detail::advanceTaskWith(task, today, now, messages, &nextScheduleDate);
}

std::int32_t maxRepetitionCount(RepetitionUnit unit, StdDate from) {
    constexpr i64 kNoLimit = std::numeric_limits<std::int32_t>::max();
    const i64 days = i64{kMaxDate} - from;
    const Ymd at = ymdFromDate(from);
    const Ymd last = ymdFromDate(kMaxDate);
    i64 count = kNoLimit;
    switch (unit) {
    case RepetitionUnit::Other:
        break;
    // A step of minutes or hours may carry one more day out of the time of day.
    case RepetitionUnit::Minute:
        count = (days - 1) * 1440 + 1439;
        break;
    case RepetitionUnit::Hour:
        count = (days - 1) * 24 + 23;
        break;
    case RepetitionUnit::Day:
        count = days;
        break;
    case RepetitionUnit::Week:
        count = floorDiv(days, 7);
        break;
    // The last supported day is 31 December, so neither a carried day nor 29 February can cross it.
    case RepetitionUnit::Month:
        count = (i64{last.year} * 12 + last.month) - (i64{at.year} * 12 + at.month);
        break;
    case RepetitionUnit::Year:
        count = i64{last.year} - at.year;
        break;
    }
    return static_cast<std::int32_t>(std::clamp<i64>(count, 0, kNoLimit));
}

bool repetitionFits(const Task& task) {
    if (ruleType(task) != ScheduleType::Custom) return true;
    const StdDate from = task.date >= kMinDate && task.date <= kMaxDate ? task.date : kMinDate;
    return std::max(task.every, 1) <= maxRepetitionCount(task.everyType.kind(), from);
}

namespace detail {

void advanceTaskWith(Task& task, StdDate today, StdTime now, platform::MessageBoxPort& messages,
                     NextScheduleDateFn next) {
    // The warning's distances from the task, in days and in hundredths, each taken only when set.
    const bool warned = task.advanceWarnDate != 0 || task.advanceWarnTime != 0;
    const i64 dayDistance = task.advanceWarnDate != 0 ? i64{task.advanceWarnDate} - task.date : 0;
    const i64 timeDistance = task.advanceWarnTime != 0 ? i64{task.advanceWarnTime} - task.time : 0;

    next(task, today, now, messages);
    if (task.completed) return;  // finished: the caller deletes it, its warning stays as it was

    task.skipNextTime = 0;
    if (warned) {
        constexpr i64 lo = std::numeric_limits<std::int32_t>::min();
        constexpr i64 hi = std::numeric_limits<std::int32_t>::max();
        task.advanceWarnDate = static_cast<StdDate>(std::clamp<i64>(task.date + dayDistance, lo, hi));
        task.advanceWarnTime = static_cast<StdTime>(std::clamp<i64>(task.time + timeDistance, lo, hi));
    }
    task.advanceWarned = 0;
}

}  // namespace detail

}  // namespace tarvelo
