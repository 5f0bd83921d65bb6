// The direct computation against the plain stepping version, on seeded random tasks. A failure prints
// the seed and the task; TARVELO_RECURRENCE_SEED replays or varies the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/fake_ports.h"
#include "tasks/recurrence.h"
#include "fakes/recurrence_reference.h"

namespace tarvelo {
namespace {

using i64 = std::int64_t;
constexpr i64 kLo = std::numeric_limits<std::int32_t>::min();
constexpr i64 kHi = std::numeric_limits<std::int32_t>::max();
constexpr i64 kSteps = 3000;  // about as many steps as the reference may take per case

// splitmix64: the same numbers on every platform and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    i64 range(i64 lo, i64 hi) { return lo + static_cast<i64>(next() % static_cast<std::uint64_t>(hi - lo + 1)); }
    bool chance(int percent) { return range(1, 100) <= percent; }
    template <typename T>
    const T& pick(const std::vector<T>& from) {
        return from[static_cast<std::size_t>(range(0, i64(from.size()) - 1))];
    }

private:
    std::uint64_t m_state;
};

const std::vector<std::string> kTypes = {"Once",   "Day of Week", "Day of Month", "Monthly",
                                         "Yearly", "Custom",      "Fortnightly"};
const std::vector<std::string> kUnits = {"minute(s)", "hour(s)", "day(s)", "week(s)",
                                         "month(s)",  "year(s)", "",       "Hours"};
const std::vector<i64> kEdgeCounts = {0,  -7, 1,   2,    11,   12,   13,   23,   24,   25,   47,
                                      48, 49, 400, 1439, 1440, 1441, 2879, 2880, 2881, 4800, 10080};

bool isCustom(const Task& t) { return ruleType(t) == ScheduleType::Custom; }

// The longest span, in days, that the reference crosses in about kSteps steps of the task's rule.
i64 spanFor(const Task& t) {
    const i64 n = std::max<std::int32_t>(t.every, 1);
    if (ruleType(t) == ScheduleType::Monthly) return 28 * kSteps;
    if (ruleType(t) == ScheduleType::Yearly) return 365 * kSteps;
    if (!isCustom(t)) return kSteps;
    switch (t.everyType.kind()) {
    case RepetitionUnit::Minute: return std::max<i64>(1, kSteps * n / 1440);
    case RepetitionUnit::Hour: return std::max<i64>(1, kSteps * n / 24);
    case RepetitionUnit::Day: return kSteps * n;
    case RepetitionUnit::Week: return 7 * kSteps * n;
    case RepetitionUnit::Month: return 28 * kSteps * n;
    case RepetitionUnit::Year: return 365 * kSteps * n;
    case RepetitionUnit::Other: return kSteps;
    }
    return kSteps;
}

// Mostly within the day; now and then none, the day's end, below it, or days past it.
StdTime randomTime(Random& rng) {
    if (rng.chance(80)) return static_cast<StdTime>(rng.range(1, kOneDay));
    const std::vector<i64> odd = {0, kOneDay, rng.range(-3 * i64{kOneDay}, 0),
                                  rng.range(kOneDay + 1, 6 * i64{kOneDay})};
    return static_cast<StdTime>(rng.pick(odd));
}

void setFlags(Task& t, std::uint64_t days, std::uint64_t ordinals) {
    Byte* w[7] = {&t.sunday, &t.monday, &t.tuesday, &t.wednesday, &t.thursday, &t.friday, &t.saturday};
    Byte* o[5] = {&t.every1st, &t.every2nd, &t.every3rd, &t.every4th, &t.everyLast};
    for (int i = 0; i < 7; ++i) *w[i] = static_cast<Byte>((days >> i) & 1);
    for (int i = 0; i < 5; ++i) *o[i] = static_cast<Byte>((ordinals >> i) & 1);
}

// A task of the given rule due (now and then not yet due) at most spanFor() days before the reference.
Task randomTask(Random& rng, const std::string& type, const std::string& unit, StdDate refDate, StdTime refTime) {
    Task t;
    t.scheduleType = ScheduleTypeWord::fromText(type);
    t.everyType = RepetitionUnitWord::fromText(unit);
    setFlags(t, rng.chance(10) ? 0 : rng.next(), rng.chance(15) ? 0 : rng.next());
    const int kind = static_cast<int>(rng.range(0, 3));
    t.every = static_cast<std::int32_t>(kind == 0 ? rng.pick(kEdgeCounts)
                                                  : rng.range(1, kind == 1   ? 10
                                                                 : kind == 2 ? 3000
                                                                             : 999999));
    t.time = randomTime(rng);
    // On the reference time's minute grid now and then, so that landing exactly on it is common.
    if (rng.chance(30))
        t.time =
            static_cast<StdTime>((refTime - 1 + 10 * i64{kOneDay} - kOneMinute * rng.range(0, 2000)) % kOneDay + 1);
    if (rng.chance(8)) {
        t.date = static_cast<StdDate>(refDate + rng.range(0, 40));
    } else {
        t.date = static_cast<StdDate>(refDate -
                                      rng.range(0, std::max<i64>(0, std::min<i64>(spanFor(t), refDate - kMinDate))));
    }
    if (rng.chance(30)) {  // days 28 to 31, and 29 February, are where the month rules carry
        const Ymd at = ymdFromDate(t.date);
        const StdDate end = dateFromYmd(at.year, rng.chance(20) ? 2 : at.month, static_cast<int>(rng.range(28, 31)));
        if (end <= refDate + 40) t.date = end;
    }
    if (rng.chance(40)) {
        t.advanceWarnDate = rng.chance(20) ? 0 : static_cast<StdDate>(t.date - rng.range(0, 30));
        t.advanceWarnTime = rng.chance(20) ? 0 : randomTime(rng);
    }
    t.advanceWarned = static_cast<Byte>(rng.range(0, 1));
    t.skipNextTime = static_cast<Byte>(rng.range(0, 1));
    return t;
}

std::string describe(const Task& t) {
    std::ostringstream out;
    out << "'" << t.scheduleType.text() << "' flags=" << int(t.sunday) << int(t.monday) << int(t.tuesday)
        << int(t.wednesday) << int(t.thursday) << int(t.friday) << int(t.saturday) << "/" << int(t.every1st)
        << int(t.every2nd) << int(t.every3rd) << int(t.every4th) << int(t.everyLast) << " every=" << t.every << " '"
        << t.everyType.text() << "' at " << t.date << "/" << t.time << " warn " << t.advanceWarnDate << "/"
        << t.advanceWarnTime << " completed=" << int(t.completed);
    return out.str();
}

::testing::AssertionResult sameAsStepping(const Task& task, StdDate refDate, StdTime refTime) {
    Task fast = task, stepped = task;
    test::FakeMessageBox fastMessages, steppedMessages;
    advanceTask(fast, refDate, refTime, fastMessages);
    reference::advanceTask(stepped, refDate, refTime, steppedMessages);
    if (fast == stepped && fastMessages.count() == steppedMessages.count()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << describe(task) << " ref " << refDate << "/" << refTime
                                         << "\n  direct:   " << describe(fast) << "\n  stepping: " << describe(stepped);
}

class RecurrenceAgainstStepping : public ::testing::Test {
protected:
    StdDate randomDay() { return static_cast<StdDate>(rng.range(dateFromYmd(1801, 1, 1), dateFromYmd(2099, 12, 31))); }
    StdTime randomRefTime() {
        return rng.chance(90)
                   ? static_cast<StdTime>(rng.range(1, kOneDay))
                   : static_cast<StdTime>(rng.pick(std::vector<i64>{0, -100, kOneDay + 1, 3 * i64{kOneDay}}));
    }
    const std::uint64_t seed = std::getenv("TARVELO_RECURRENCE_SEED")
                                   ? std::strtoull(std::getenv("TARVELO_RECURRENCE_SEED"), nullptr, 10)
                                   : 19960229;
    Random rng{seed};
};

TEST_F(RecurrenceAgainstStepping, shouldMatchForEveryRuleUnitAndFlagCombinationFrom1801To2099) {
    // Every weekday and ordinal combination of the weekday rules...
    for (const std::string type : {"Day of Week", "Day of Month"}) {
        for (int flags = 0; flags < 128 * 32; ++flags) {
            const StdDate refDate = randomDay();
            const StdTime refTime = randomRefTime();
            Task task = randomTask(rng, type, "", refDate, refTime);
            setFlags(task, static_cast<std::uint64_t>(flags % 128), static_cast<std::uint64_t>(flags / 128));
            ASSERT_TRUE(sameAsStepping(task, refDate, refTime)) << "seed " << seed;
        }
    }
    // ...and thousands of tasks of every other rule and unit.
    for (const std::string& type : kTypes) {
        for (const std::string& unit : kUnits) {
            for (int i = 0; i < (type == "Custom" ? 3000 : 400); ++i) {
                const StdDate refDate = randomDay();
                const StdTime refTime = randomRefTime();
                ASSERT_TRUE(sameAsStepping(randomTask(rng, type, unit, refDate, refTime), refDate, refTime))
                    << "seed " << seed;
            }
        }
    }
}

// Dates, counts and times far outside the calendar, where the stepping is still short enough to compare:
// negative years, the years below 100 that the date builder reads as 19xx, the end of the dates.
TEST_F(RecurrenceAgainstStepping, shouldMatchFarOutsideTheCalendar) {
    const std::vector<i64> anchors = {
        kLo, dateFromYmd(-1, 1, 1), dateFromYmd(-30, 6, 15), -1, 0, 1, kMinDate, kMaxDate - 400, kMaxDate, kHi - 50};
    for (int i = 0; i < 20000; ++i) {
        Task task = randomTask(rng, rng.pick(kTypes), rng.pick(kUnits), randomDay(), randomRefTime());
        if (rng.chance(30)) task.every = static_cast<std::int32_t>(rng.range(1, kHi));
        if (rng.chance(20)) task.time = static_cast<StdTime>(rng.range(kLo, kHi));
        task.date = static_cast<StdDate>(std::clamp<i64>(rng.pick(anchors) + rng.range(-200, 200), kLo, kHi));
        const StdDate refDate = static_cast<StdDate>(
            std::clamp<i64>(task.date + rng.range(-50, std::min<i64>(spanFor(task), 400 * 366)), kLo, kHi));
        const StdTime refTime = rng.chance(80) ? randomRefTime() : static_cast<StdTime>(rng.range(kLo, kHi));
        // A time far below the day is counted up one small step at a time by the reference; skip those.
        const RepetitionUnit unit = task.everyType.kind();
        if (isCustom(task) && (unit == RepetitionUnit::Minute || unit == RepetitionUnit::Hour) &&
            task.time < -kOneDay && task.every < 1000000)
            continue;
        ASSERT_TRUE(sameAsStepping(task, refDate, refTime)) << "seed " << seed;
    }
}

// Where stepping would take too long, the direct computation still ends at once in a defined place:
// past the reference moment, or parked on the last supported day.
TEST(RecurrenceAtTheLimits, shouldEndPastTheReferenceOrParkedForAnyFieldValues) {
    const std::vector<StdDate> dates = {kLo, -1, 0, 1, kMinDate, dateFromYmd(1997, 1, 31), kMaxDate, kHi};
    const std::vector<StdTime> times = {kLo, 0, 1, kOneDay, kOneDay + 1, kHi};
    for (const std::string& type : kTypes) {
        for (const std::string& unit : type == "Custom" ? kUnits : std::vector<std::string>{""}) {
            for (const StdDate date : dates)
                for (const StdDate refDate : dates)
                    for (const StdTime time : times)
                        for (const StdTime refTime : times)
                            for (const i64 every : {kLo, i64{1}, i64{1440}, i64{1441}, i64{999999}, kHi}) {
                                Task task;
                                task.scheduleType = ScheduleTypeWord::fromText(type);
                                task.everyType = RepetitionUnitWord::fromText(unit);
                                task.every = static_cast<std::int32_t>(every);
                                task.date = date;
                                task.time = time;
                                task.friday = task.everyLast = 1;
                                test::FakeMessageBox messages;
                                nextScheduleDate(task, refDate, refTime, messages);
                                if (type == "Once") continue;
                                const RepetitionUnit u = RepetitionUnitWord::fromText(unit).kind();
                                const bool byTime =
                                    type == "Custom" && (u == RepetitionUnit::Minute || u == RepetitionUnit::Hour);
                                const bool past =
                                    task.date > refDate || (byTime && task.date == refDate && task.time >= refTime);
                                ASSERT_TRUE(past || task.date == kMaxDate)
                                    << describe(task) << " from " << date << "/" << time << " ref " << refDate << "/"
                                    << refTime;
                                ASSERT_TRUE((task.date == date && task.time == time) || task.date <= kMaxDate);
                            }
        }
    }
}

}  // namespace
}  // namespace tarvelo
