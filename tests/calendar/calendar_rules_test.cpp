// A task's rule as calendar series and back: how each rule is written (one series, or two where it starts
// off its days or carries a day), which RRULEs map onto a task's rule and why the others do not, our own
// X-TARVELO-RULE read back exactly, and UTC starts read in local time only where that changes nothing.
#include "calendar/calendar_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "calendar/ics_import.h"
#include "fakes/case_names.h"
#include "fakes/rule_builders.h"

namespace tarvelo::calendar {
namespace {

using test::custom;
using test::makeTask;

StdDate ymd(int y, int m, int d) { return dateFromYmd(y, m, d); }
const StdTime kNine = timeFromHms(9, 0);

std::string shown(const std::vector<SeriesPart>& parts) {
    std::string out;
    for (const SeriesPart& p : parts) {
        out += (out.empty() ? "" : " | ") + formatDateTime(dateTimeOf(p.start));
        if (p.rule) out += " " + formatRecurrence(*p.rule);
    }
    return out;
}

struct SeriesCase {
    std::string name;
    Task task;
    std::string series;
};

class Series : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(Series, AreWrittenAsTheRuleRepeats) { EXPECT_EQ(shown(seriesOf(GetParam().task)), GetParam().series); }

INSTANTIATE_TEST_SUITE_P(
    Rules, Series,
    ::testing::Values(
        SeriesCase{"once", makeTask("Once", ymd(2027, 1, 4), kNine), "20270104T090000"},
        SeriesCase{"dayOfWeekOnItsDays", makeTask("Day of Week", ymd(2027, 1, 4), kNine, "-M-W---"),
                   "20270104T090000 FREQ=WEEKLY;BYDAY=MO,WE"},
        SeriesCase{"dayOfWeekOffItsDaysStartsAlone", makeTask("Day of Week", ymd(2027, 1, 5), kNine, "-M-----"),
                   "20270105T090000 | 20270111T090000 FREQ=WEEKLY;BYDAY=MO"},
        SeriesCase{"dayOfMonthEveryTickedWeekdayOnEveryTickedOrdinal",
                   makeTask("Day of Month", ymd(2027, 1, 12), kNine, "--T-T--", "-2--L"),
                   "20270112T090000 FREQ=MONTHLY;BYDAY=2TU,2TH,-1TU,-1TH"},
        SeriesCase{"dayOfMonthWithoutWeekdaysTakesTheOrdinalsDays", makeTask("Day of Month", ymd(2027, 1, 3), kNine, "", "1"),
                   "20270103T090000 FREQ=MONTHLY;BYMONTHDAY=1,2,3,4,5,6,7"},
        SeriesCase{"monthlyCarriedAtOnce", makeTask("Monthly", ymd(2027, 1, 31), kNine),
                   "20270131T090000 | 20270303T090000 FREQ=MONTHLY"},
        SeriesCase{"everyFiveMonthsUntilTheCarry", custom(5, "month(s)", ymd(1997, 3, 31), kNine),
                   "19970331T090000 FREQ=MONTHLY;UNTIL=19980131T090000;INTERVAL=5 | 19980701T090000 FREQ=MONTHLY;INTERVAL=5"},
        SeriesCase{"everyTwelveMonthsNeverCarries", custom(12, "month(s)", ymd(2027, 1, 31), kNine),
                   "20270131T090000 FREQ=MONTHLY;INTERVAL=12"},
        SeriesCase{"yearlyFromFebruary29", makeTask("Yearly", ymd(2028, 2, 29), kNine),
                   "20280229T090000 | 20290301T090000 FREQ=YEARLY"},
        SeriesCase{"every90Minutes", custom(90, "minute(s)", ymd(2027, 1, 4), timeFromHms(23, 0)),
                   "20270104T230000 FREQ=MINUTELY;INTERVAL=90"},
        SeriesCase{"minutesFromATaskWithoutATime", custom(7, "minute(s)", ymd(2027, 1, 4), 0),
                   "20270104T000000 | 20270104T000659 FREQ=MINUTELY;INTERVAL=7"},
        SeriesCase{"noUnitMovesDaily", custom(4, "", ymd(2027, 1, 4), kNine), "20270104T090000 FREQ=DAILY"}),
    test::NamedBy<&SeriesCase::name>());

// What a task's rule fields say, in one line: "Day of Month -M----- 1---L every 0 ''".
std::string ruleLine(const Task& t) {
    std::string days, ordinals;
    for (std::size_t i = 0; i < 7; ++i) days += t.*kWeekdayFlags[i] ? "SMTWTFS"[i] : '-';
    for (std::size_t i = 0; i < 5; ++i) ordinals += t.*kOrdinalFlags[i] ? "1234L"[i] : '-';
    return t.scheduleType.text() + " " + days + " " + ordinals + " every " + std::to_string(t.every) + " '" +
           t.everyType.text() + "'";
}

struct MapCase {
    std::string name;
    std::string rrule;
    std::string start;
    std::string expected;  // the rule, or the reason it is refused
};

class Mapping : public ::testing::TestWithParam<MapCase> {};

TEST_P(Mapping, TakesWhatATaskRepeatsAlikeAndSaysWhyNot) {
    Recurrence rule;
    ASSERT_EQ(parseRecurrence(GetParam().rrule, rule), std::nullopt);
    Task task;
    const auto problem = ruleOfRecurrence(&rule, *parseDateTime(GetParam().start), task);
    EXPECT_EQ(problem ? *problem : ruleLine(task), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    RRules, Mapping,
    ::testing::Values(
        MapCase{"dailyInterval", "FREQ=DAILY;INTERVAL=3", "20270104T080000", "Custom ------- ----- every 3 'day(s)'"},
        MapCase{"weeklyOnItsStartDay", "FREQ=WEEKLY", "20270104T080000", "Day of Week -M----- ----- every 0 ''"},
        MapCase{"weeklyOnSeveralDays", "FREQ=WEEKLY;BYDAY=MO,FR", "20270104T080000", "Day of Week -M---F- ----- every 0 ''"},
        MapCase{"fortnightlyOnItsStartDay", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO", "20270104T080000",
                "Custom ------- ----- every 2 'week(s)'"},
        MapCase{"fortnightlyOnSeveralDays", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,FR", "20270104T080000",
                "its RRULE (FREQ=WEEKLY with INTERVAL and several days) repeats in weeks no task's rule skips"},
        MapCase{"monthlyOrdinals", "FREQ=MONTHLY;BYDAY=1MO,3MO,1FR,3FR", "20270104T080000",
                "Day of Month -M---F- 1-3-- every 0 ''"},
        MapCase{"monthlyEveryMonday", "FREQ=MONTHLY;BYDAY=MO", "20270104T080000", "Day of Week -M----- ----- every 0 ''"},
        MapCase{"monthlyFifthMonday", "FREQ=MONTHLY;BYDAY=5MO", "20270104T080000",
                "its RRULE (FREQ=MONTHLY with BYDAY=5MO) names a weekday no task's rule names (1st to 4th, or last)"},
        MapCase{"monthlyOnDay28", "FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=28", "20270128T080000",
                "Custom ------- ----- every 2 'month(s)'"},
        MapCase{"monthlyOnDay30", "FREQ=MONTHLY", "20270130T080000",
                "it repeats monthly on day 30, which calendars skip in shorter months and a task's rule carries into the next"},
        MapCase{"yearlyInItsMonth", "FREQ=YEARLY;BYMONTH=6", "20270614T080000", "Yearly ------- ----- every 0 ''"},
        MapCase{"yearlyOnFebruary29", "FREQ=YEARLY", "20280229T080000",
                "it repeats on 29 February, which calendars skip in common years and a task's rule carries to 1 March"},
        MapCase{"hourly", "FREQ=HOURLY;INTERVAL=36", "20270104T080000", "Custom ------- ----- every 36 'hour(s)'"},
        MapCase{"minutelyAtSomeHours", "FREQ=MINUTELY;BYHOUR=9", "20270104T080000",
                "its RRULE has BYHOUR, which no task's rule can say"},
        MapCase{"secondly", "FREQ=SECONDLY", "20270104T080000", "its RRULE repeats by the second"}),
    test::NamedBy<&MapCase::name>());

TEST(TarveloRule, ReadsBackEveryFieldAsStored) {
    // GIVEN a rule with texts that hold the rule text's own separators
    Task task = makeTask("Day of Month", ymd(2027, 1, 4), timeFromHms(17, 30, 15, 50), "S-T--FS", "12--L", -3,
                             "min;x=%,y");
    Task back;
    ASSERT_EQ(readTarveloRule(tarveloRuleText(task), back), std::nullopt);
    EXPECT_EQ(ruleLine(back), ruleLine(task));
    EXPECT_EQ(back.date, task.date);
    EXPECT_EQ(back.time, task.time);
    EXPECT_EQ(readTarveloRule("TYPE=Once;DATE=20270104", back), "TIME is missing");
    EXPECT_EQ(readTarveloRule("TYPE=Once;TYPE=Once", back), "TYPE is given twice");
    EXPECT_EQ(readTarveloRule("TYPE=Once;COLOUR=red", back), "unknown part COLOUR");
    EXPECT_EQ(readTarveloRule("TYPE=Once;DAYS=XX", back), "DAYS=XX is not a valid value");
}

// A zone a fixed number of hours east of UTC, or one that moves an hour ahead from April to October.
class FakeZone : public TimeZone {
public:
    FakeZone(int hours, bool summer) : m_hours(hours), m_summer(summer) {}
    std::int64_t offsetAt(std::int64_t utc) const override {
        const int month = dateTimeOfSeconds(utc, true).day.month;
        return (m_hours + (m_summer && month >= 4 && month <= 10 ? 1 : 0)) * 3600;
    }
    std::int64_t utcOf(const DateTimeValue& local) const override { return secondsOf(local) - m_hours * 3600; }

private:
    int m_hours;
    bool m_summer;
};

CalendarImport imported(const std::string& event, const TimeZone& zone) {
    CalendarImport out;
    const std::string text = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:u\r\nSUMMARY:S\r\n" + event + "END:VEVENT\r\nEND:VCALENDAR\r\n";
    EXPECT_EQ(readCalendar(text, zone, out), std::nullopt);
    return out;
}

TEST(UtcStarts, AreReadInLocalTimeWhereTheOffsetKeepsTheRuleAlike) {
    const FakeZone steady(2, false), withSummerTime(1, true);
    // A single event at 12:00 UTC is at 14:00 two hours east.
    const CalendarImport single = imported("DTSTART:20270104T120000Z\r\n", steady);
    ASSERT_EQ(single.tasks.size(), 1u);
    EXPECT_EQ(single.tasks[0].time, timeFromHms(14, 0));
    // A daily rule in UTC keeps its local time only where the offset does not change.
    EXPECT_EQ(imported("DTSTART:20270104T120000Z\r\nRRULE:FREQ=DAILY\r\n", steady).tasks.size(), 1u);
    EXPECT_EQ(imported("DTSTART:20270104T120000Z\r\nRRULE:FREQ=DAILY\r\n", withSummerTime).skipped.at(0).reason,
              "it repeats in UTC, and local time changes its offset from UTC within two years");
    EXPECT_EQ(imported("DTSTART:20270104T230000Z\r\nRRULE:FREQ=WEEKLY;BYDAY=MO\r\n", steady).skipped.at(0).reason,
              "it repeats in UTC on days that are other days in local time");
}

}  // namespace
}  // namespace tarvelo::calendar
