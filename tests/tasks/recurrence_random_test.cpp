// The direct computation against the plain stepping version, on seeded random tasks. A failure prints
// the seed and the task, so it can be replayed with TARVELO_RECURRENCE_SEED.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_ports.h"
#include "tasks/recurrence.h"
#include "tasks/recurrence_reference.h"

namespace tarvelo {
namespace {

using i64 = std::int64_t;

constexpr i64 kSteps = 3000;  // about as many steps as the reference may take per case

std::uint64_t seedFromEnv() {
    const char* text = std::getenv("TARVELO_RECURRENCE_SEED");
    return text ? std::strtoull(text, nullptr, 10) : 19960229;
}

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
    // lo .. hi, both included.
    i64 range(i64 lo, i64 hi) { return lo + static_cast<i64>(next() % static_cast<std::uint64_t>(hi - lo + 1)); }
    bool chance(int percent) { return range(1, 100) <= percent; }
    template <typename T>
    const T& pick(const std::vector<T>& from) {
        return from[static_cast<std::size_t>(range(0, static_cast<i64>(from.size()) - 1))];
    }

private:
    std::uint64_t m_state;
};

const std::vector<std::string> kTypes = {"Once", "Day of Week", "Day of Month", "Monthly", "Yearly", "Custom"};
const std::vector<std::string> kUnits = {"minute(s)", "hour(s)", "day(s)", "week(s)", "month(s)", "year(s)",
                                         "",          "Hours"};

std::string describe(const Schedule& t, StdDate refDate, StdTime refTime) {
    std::ostringstream out;
    out << "type='" << t.scheduleType.text() << "' days=" << int(t.sunday) << int(t.monday) << int(t.tuesday)
        << int(t.wednesday) << int(t.thursday) << int(t.friday) << int(t.saturday) << " ordinals=" << int(t.every1st)
        << int(t.every2nd) << int(t.every3rd) << int(t.every4th) << int(t.everyLast) << " every=" << t.every
        << " unit='" << t.everyType.text() << "' date=" << t.date << " time=" << t.time
        << " warn=" << t.advanceWarnDate << "/" << t.advanceWarnTime << " ref=" << refDate << "/" << refTime;
    return out.str();
}

StdDate randomDay(Random& rng) { return static_cast<StdDate>(rng.range(dateFromYmd(1801, 1, 1), dateFromYmd(2099, 12, 31))); }

StdTime randomTime(Random& rng) {
    if (rng.chance(80)) return static_cast<StdTime>(rng.range(1, kOneDay));
    switch (rng.range(0, 4)) {
    case 0: return 0;
    case 1: return kOneDay;
    case 2: return static_cast<StdTime>(rng.range(-3 * kOneDay, 0));
    case 3: return static_cast<StdTime>(rng.range(kOneDay + 1, 6 * i64{kOneDay}));
    default: return 1;
    }
}

// The longest span, in days, that the reference crosses in about kSteps steps of the task's rule.
i64 spanFor(const Schedule& t) {
    const i64 n = std::max<std::int32_t>(t.every, 1);
    const std::string& type = t.scheduleType.text();
    if (type == "Monthly") return 28 * kSteps;
    if (type == "Yearly") return 365 * kSteps;
    if (type != "Custom" && type != "Fortnightly") return kSteps;
    switch (repetitionUnit(t.everyType.text())) {
    case RepetitionUnit::Minute: return std::max<i64>(1, kSteps * n / 1440);
    case RepetitionUnit::Hour: return std::max<i64>(1, kSteps * n / 24);
    case RepetitionUnit::Day: return kSteps * n;
    case RepetitionUnit::Week: return 7 * kSteps * n;
    case RepetitionUnit::Month: return 28 * kSteps * n;
    case RepetitionUnit::Year: return 365 * kSteps * n;
    case RepetitionUnit::None: return kSteps;
    }
    return kSteps;
}

// A date for the task: mostly up to spanFor() days before the reference, and not before 1801; now and
// then after the reference (not yet due).
StdDate randomDate(Random& rng, const Schedule& t, StdDate refDate) {
    if (rng.chance(8)) return static_cast<StdDate>(refDate + rng.range(0, 40));
    const i64 span = std::min<i64>(spanFor(t), i64{refDate} - kMinDate);
    return static_cast<StdDate>(refDate - rng.range(0, std::max<i64>(span, 0)));
}

std::int32_t randomEvery(Random& rng) {
    static const std::vector<std::int32_t> edges = {0,    -7,   1,    2,    11,   12,   13,   23,  24,
                                                    25,   47,   48,   49,   100,  400,  1439, 1440, 1441,
                                                    2879, 2880, 2881, 4320, 4800, 10079, 10080};
    switch (rng.range(0, 3)) {
    case 0: return rng.pick(edges);
    case 1: return static_cast<std::int32_t>(rng.range(1, 10));
    case 2: return static_cast<std::int32_t>(rng.range(1, 3000));
    default: return static_cast<std::int32_t>(rng.range(1, 999999));
    }
}

// A due (or, now and then, not yet due) task of the given rule somewhere between 1801 and 2099.
Schedule randomTask(Random& rng, const std::string& type, StdDate refDate, StdTime refTime) {
    Schedule t;
    t.scheduleType = type;
    const std::uint64_t days = rng.chance(10) ? 0 : rng.next();
    const std::uint64_t ordinals = rng.chance(15) ? 0 : rng.next();
    Byte* w[7] = {&t.sunday, &t.monday, &t.tuesday, &t.wednesday, &t.thursday, &t.friday, &t.saturday};
    Byte* o[5] = {&t.every1st, &t.every2nd, &t.every3rd, &t.every4th, &t.everyLast};
    for (int i = 0; i < 7; ++i) *w[i] = static_cast<Byte>((days >> i) & 1);
    for (int i = 0; i < 5; ++i) *o[i] = static_cast<Byte>((ordinals >> i) & 1);
    t.every = randomEvery(rng);
    t.everyType = rng.pick(kUnits);
    t.time = randomTime(rng);
    if (rng.chance(30) && t.time >= 1 && t.time <= kOneDay) {
        // On the reference time's grid, so that landing exactly on it is common.
        t.time = static_cast<StdTime>((refTime - 1 + kOneDay * 10 - kOneMinute * rng.range(0, 2000)) % kOneDay + 1);
    }
    t.date = randomDate(rng, t, refDate);
    if (rng.chance(40)) {
        t.advanceWarnDate = rng.chance(20) ? 0 : static_cast<StdDate>(t.date - rng.range(0, 30));
        t.advanceWarnTime = rng.chance(20) ? 0 : randomTime(rng);
    }
    t.advanceWarned = static_cast<Byte>(rng.range(0, 1));
    t.skipNextTime = static_cast<Byte>(rng.range(0, 1));
    return t;
}

StdTime randomRefTime(Random& rng) {
    if (rng.chance(90)) return static_cast<StdTime>(rng.range(1, kOneDay));
    return static_cast<StdTime>(rng.pick(std::vector<i64>{0, -100, kOneDay + 1, 3 * i64{kOneDay}}));
}

// Runs both computations on the task and reports the first difference.
::testing::AssertionResult sameAsStepping(const Schedule& task, StdDate refDate, StdTime refTime) {
    Schedule fast = task;
    Schedule stepped = task;
    test::FakeMessageBox fastMessages;
    test::FakeMessageBox steppedMessages;
    advanceTask(fast, refDate, refTime, fastMessages);
    reference::advanceTask(stepped, refDate, refTime, steppedMessages);
    if (fast == stepped && fastMessages.captions() == steppedMessages.captions()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << describe(task, refDate, refTime) << "\n  direct:   "
                                         << describe(fast, refDate, refTime) << "\n  stepping: "
                                         << describe(stepped, refDate, refTime);
}

class RecurrenceAgainstStepping : public ::testing::Test {
protected:
    std::uint64_t seed = seedFromEnv();
    Random rng{seed};
};

TEST_F(RecurrenceAgainstStepping, shouldMatchForEveryWeekdayAndOrdinalCombination) {
    for (const std::string type : {"Day of Week", "Day of Month"}) {
        for (int days = 0; days < 128; ++days) {
            for (int ordinals = 0; ordinals < 32; ++ordinals) {
                const StdDate refDate = randomDay(rng);
                const StdTime refTime = randomRefTime(rng);
                Schedule task = randomTask(rng, type, refDate, refTime);
                Byte* w[7] = {&task.sunday, &task.monday, &task.tuesday, &task.wednesday,
                              &task.thursday, &task.friday, &task.saturday};
                Byte* o[5] = {&task.every1st, &task.every2nd, &task.every3rd, &task.every4th, &task.everyLast};
                for (int i = 0; i < 7; ++i) *w[i] = static_cast<Byte>((days >> i) & 1);
                for (int i = 0; i < 5; ++i) *o[i] = static_cast<Byte>((ordinals >> i) & 1);
                ASSERT_TRUE(sameAsStepping(task, refDate, refTime)) << "seed " << seed;
            }
        }
    }
}

TEST_F(RecurrenceAgainstStepping, shouldMatchForEveryUnitAndCount) {
    for (const std::string& unit : kUnits) {
        for (int i = 0; i < 4000; ++i) {
            const StdDate refDate = randomDay(rng);
            const StdTime refTime = randomRefTime(rng);
            Schedule task = randomTask(rng, rng.chance(90) ? "Custom" : "Fortnightly", refDate, refTime);
            task.everyType = unit;
            task.every = randomEvery(rng);
            task.date = randomDate(rng, task, refDate);
            ASSERT_TRUE(sameAsStepping(task, refDate, refTime)) << "seed " << seed;
        }
    }
}

TEST_F(RecurrenceAgainstStepping, shouldMatchForTheOtherRulesAndTheMonthEnds) {
    for (const std::string& type : kTypes) {
        for (int i = 0; i < 3000; ++i) {
            const StdDate refDate = randomDay(rng);
            const StdTime refTime = randomRefTime(rng);
            Schedule task = randomTask(rng, type, refDate, refTime);
            if (rng.chance(50)) {
                // Days 28 to 31, and 29 February, are where the month rules carry.
                const Ymd at = ymdFromDate(task.date);
                const int day = static_cast<int>(rng.range(28, daysInMonth(at.year, at.month)));
                task.date = dateFromYmd(at.year, rng.chance(20) ? 2 : at.month, rng.chance(20) ? 29 : day);
                if (task.date > refDate + 40) task.date = refDate;
            }
            ASSERT_TRUE(sameAsStepping(task, refDate, refTime)) << "seed " << seed;
        }
    }
}

// Dates, counts and times far outside the calendar, where the stepping is still short enough to compare:
// negative years, the years below 100 that the date builder reads as 19xx, the last supported day.
TEST_F(RecurrenceAgainstStepping, shouldMatchFarOutsideTheCalendar) {
    const std::vector<i64> anchors = {std::numeric_limits<StdDate>::min(), dateFromYmd(-1, 1, 1),
                                      dateFromYmd(-30, 6, 15), -1, 0, 1, kMinDate, kMaxDate - 400,
                                      kMaxDate, std::numeric_limits<StdDate>::max() - 50};
    for (int i = 0; i < 20000; ++i) {
        Schedule task = randomTask(rng, rng.pick(kTypes), randomDay(rng), randomRefTime(rng));
        if (rng.chance(30)) task.every = static_cast<std::int32_t>(rng.range(1, std::numeric_limits<std::int32_t>::max()));
        task.time = rng.chance(20) ? static_cast<StdTime>(rng.range(std::numeric_limits<StdTime>::min(),
                                                                    std::numeric_limits<StdTime>::max()))
                                   : randomTime(rng);
        const i64 anchor = rng.pick(anchors);
        task.date = static_cast<StdDate>(std::clamp<i64>(anchor + rng.range(-200, 200),
                                                         std::numeric_limits<StdDate>::min(),
                                                         std::numeric_limits<StdDate>::max()));
        const i64 reach = std::min<i64>(spanFor(task), 400 * 366);
        const StdDate refDate = static_cast<StdDate>(std::clamp<i64>(i64{task.date} + rng.range(-50, reach),
                                                                     std::numeric_limits<StdDate>::min(),
                                                                     std::numeric_limits<StdDate>::max()));
        const StdTime refTime = rng.chance(80) ? randomRefTime(rng)
                                               : static_cast<StdTime>(rng.range(std::numeric_limits<StdTime>::min(),
                                                                                std::numeric_limits<StdTime>::max()));
        // A time far below the day takes one step per minute or hour counted up; keep those few.
        const RepetitionUnit unit = repetitionUnit(task.everyType.text());
        if ((unit == RepetitionUnit::Minute || unit == RepetitionUnit::Hour) && task.time < -kOneDay &&
            task.every < 1000000)
            continue;
        ASSERT_TRUE(sameAsStepping(task, refDate, refTime)) << "seed " << seed;
    }
}

// Where the stepping would take too long, the direct computation must still end at once in a defined
// place: past the reference moment, or parked on the last supported day.
TEST(RecurrenceAtTheLimits, shouldEndPastTheReferenceOrParkedForAnyFieldValues) {
    constexpr StdDate lo = std::numeric_limits<std::int32_t>::min();
    constexpr StdDate hi = std::numeric_limits<std::int32_t>::max();
    const std::vector<StdDate> dates = {lo, -1, 0, 1, kMinDate, dateFromYmd(1997, 1, 31), kMaxDate, hi};
    const std::vector<StdTime> times = {lo, 0, 1, kOneDay, kOneDay + 1, hi};
    const std::vector<std::int32_t> counts = {lo, 1, 1440, 1441, 999999, hi};
    std::vector<std::pair<std::string, std::string>> rules;
    for (const std::string& type : kTypes) {
        if (type != "Custom") rules.emplace_back(type, "");
    }
    for (const std::string& unit : kUnits) rules.emplace_back("Custom", unit);
    for (const auto& [type, unit] : rules) {
        for (const StdDate date : dates) {
            for (const StdDate refDate : dates) {
                for (const StdTime time : times) {
                    for (const StdTime refTime : times) {
                        for (const std::int32_t every : counts) {
                            Schedule task;
                            task.scheduleType = type;
                            task.everyType = unit;
                            task.every = every;
                            task.date = date;
                            task.time = time;
                            task.friday = 1;
                            task.everyLast = 1;
                            test::FakeMessageBox messages;
                            nextScheduleDate(task, refDate, refTime, messages);
                            if (type == "Once") {
                                ASSERT_EQ(task.completed, 1);
                                continue;
                            }
                            const RepetitionUnit u = repetitionUnit(unit);
                            const bool byTime = type == "Custom" && (u == RepetitionUnit::Minute || u == RepetitionUnit::Hour);
                            const bool past = byTime ? (task.date > refDate || (task.date == refDate && task.time >= refTime))
                                                     : task.date > refDate;
                            const bool moved = task.date != date || task.time != time;
                            ASSERT_TRUE(past || task.date == kMaxDate)
                                << type << " " << unit << " " << every << " from " << date << "/" << time << " ref "
                                << refDate << "/" << refTime << " got " << task.date << "/" << task.time;
                            ASSERT_TRUE(!moved || task.date <= kMaxDate);
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace tarvelo
