// A task's next dates against the same number of moves on, made one after another with the step-by-step
// yardstick of the rules, each from the moment just after the occurrence before; with the examples of
// the rules' own carry and step behaviour written out.
#include "tasks/next_dates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/picture.h"
#include "fakes/case_names.h"
#include "fakes/fake_ports.h"
#include "fakes/recurrence_reference.h"
#include "fakes/rule_builders.h"

namespace tarvelo {
namespace {

using test::custom;
using test::makeTask;

StdDate ymd(int y, int m, int d) { return dateFromYmd(y, m, d); }
StdTime hm(int h, int m) { return timeFromHms(h, m); }

// The occurrences as the scheduler reaches them: moved on by the yardstick, performed at each one.
std::vector<platform::Moment> movedOn(Task task, int count) {
    test::FakeMessageBox boxes;
    std::vector<platform::Moment> out{{task.date, task.time}};
    while (static_cast<int>(out.size()) < count) {
        reference::nextScheduleDate(task, task.date, task.time + 1, boxes);
        if (task.completed || platform::Moment{task.date, task.time} == out.back()) break;
        out.push_back({task.date, task.time});
    }
    return out;
}

std::string shown(const std::vector<platform::Moment>& moments) {
    std::string out;
    for (const platform::Moment& m : moments) out += formatIsoDate(m.date) + " " + formatTime24(m.time) + "; ";
    return out;
}

struct NextDatesCase {
    std::string name;
    Task task;
    std::vector<platform::Moment> first;  // what the list starts with
};

void PrintTo(const NextDatesCase& c, std::ostream* os) { *os << c.name; }

std::vector<NextDatesCase> cases() {
    const StdTime nine = hm(9, 0);
    return {
        {"once", makeTask("Once", ymd(1997, 1, 31), nine), {{ymd(1997, 1, 31), nine}}},
        {"monthlyFromJanuary29OfACommonYear", makeTask("Monthly", ymd(2027, 1, 29), nine),
         {{ymd(2027, 1, 29), nine}, {ymd(2027, 3, 1), nine}, {ymd(2027, 4, 1), nine}}},
        {"monthlyFromJanuary31", makeTask("Monthly", ymd(1997, 1, 31), nine),
         {{ymd(1997, 1, 31), nine}, {ymd(1997, 3, 3), nine}, {ymd(1997, 4, 3), nine}}},
        {"monthlyFromJanuary31OfALeapYear", makeTask("Monthly", ymd(1996, 1, 31), nine),
         {{ymd(1996, 1, 31), nine}, {ymd(1996, 3, 2), nine}}},
        {"yearlyFromFebruary29", makeTask("Yearly", ymd(1996, 2, 29), nine),
         {{ymd(1996, 2, 29), nine}, {ymd(1997, 3, 1), nine}, {ymd(1998, 3, 1), nine}}},
        {"dayOfWeekFromADayOffItsWeekdays", makeTask("Day of Week", ymd(1997, 1, 22), nine, "-M---F-"),
         {{ymd(1997, 1, 22), nine}, {ymd(1997, 1, 24), nine}, {ymd(1997, 1, 27), nine}}},
        {"dayOfWeekWithoutWeekdays", makeTask("Day of Week", ymd(1997, 6, 3), nine),
         {{ymd(1997, 6, 3), nine}, {ymd(1997, 6, 4), nine}}},
        {"dayOfMonthSecondAndLastTuesdayAndThursday", makeTask("Day of Month", ymd(1997, 1, 14), nine, "--T-T--", "-2--L"),
         {{ymd(1997, 1, 14), nine}, {ymd(1997, 1, 28), nine}, {ymd(1997, 1, 30), nine}, {ymd(1997, 2, 11), nine}}},
        {"dayOfMonthFourthAndLastFriday", makeTask("Day of Month", ymd(1997, 1, 20), nine, "-----F-", "---4L"),
         {{ymd(1997, 1, 20), nine}, {ymd(1997, 1, 24), nine}, {ymd(1997, 1, 31), nine}, {ymd(1997, 2, 28), nine}}},
        {"dayOfMonthFirstWeekWithoutWeekdays", makeTask("Day of Month", ymd(1997, 1, 6), nine, "", "1"),
         {{ymd(1997, 1, 6), nine}, {ymd(1997, 1, 7), nine}, {ymd(1997, 2, 1), nine}}},
        {"every90MinutesAcrossMidnight", custom(90, "minute(s)", ymd(1997, 1, 20), hm(23, 0)),
         {{ymd(1997, 1, 20), hm(23, 0)}, {ymd(1997, 1, 21), hm(0, 30)}, {ymd(1997, 1, 21), hm(2, 0)}}},
        {"every1500MinutesInWholeDaysAndMinutes", custom(1500, "minute(s)", ymd(1997, 1, 20), hm(23, 0)),
         {{ymd(1997, 1, 20), hm(23, 0)}, {ymd(1997, 1, 22), hm(0, 0)}, {ymd(1997, 1, 23), hm(1, 0)}}},
        {"every36Hours", custom(36, "hour(s)", ymd(1997, 1, 20), hm(18, 0)),
         {{ymd(1997, 1, 20), hm(18, 0)}, {ymd(1997, 1, 22), hm(6, 0)}}},
        {"everyMinuteFromATaskWithoutATime", custom(1, "minute(s)", ymd(1997, 1, 20), 0),
         {{ymd(1997, 1, 20), 0}, {ymd(1997, 1, 20), 6000}}},
        {"every2Weeks", custom(2, "week(s)", ymd(1997, 1, 20), nine),
         {{ymd(1997, 1, 20), nine}, {ymd(1997, 2, 3), nine}}},
        {"every5MonthsCarryingDay31", custom(5, "month(s)", ymd(1997, 3, 31), nine),
         {{ymd(1997, 3, 31), nine}, {ymd(1997, 8, 31), nine}, {ymd(1998, 1, 31), nine}, {ymd(1998, 7, 1), nine}}},
        {"every4YearsFromFebruary29Into2100", custom(4, "year(s)", ymd(2092, 2, 29), nine),
         {{ymd(2092, 2, 29), nine}, {ymd(2096, 2, 29), nine}, {ymd(2100, 3, 1), nine}, {ymd(2104, 3, 1), nine}}},
        {"everyCountBelow1IsEvery1", custom(0, "day(s)", ymd(1997, 1, 20), nine),
         {{ymd(1997, 1, 20), nine}, {ymd(1997, 1, 21), nine}}},
        {"customWithoutUnitMovesADayAtATime", custom(3, "", ymd(1997, 1, 20), nine),
         {{ymd(1997, 1, 20), nine}, {ymd(1997, 1, 21), nine}}},
        {"stopsAtTheLastSupportedDay", makeTask("Yearly", ymd(9998, 6, 1), nine),
         {{ymd(9998, 6, 1), nine}, {ymd(9999, 6, 1), nine}, {kMaxDate, nine}}},
    };
}

class NextDatesCases : public ::testing::TestWithParam<NextDatesCase> {};

TEST_P(NextDatesCases, AreTheSuccessiveMovesOnAndStartAsTheRulesSay) {
    // GIVEN a task; WHEN its next 24 dates are listed
    const NextDatesCase& c = GetParam();
    const std::vector<platform::Moment> next = nextDates(c.task, 24);
    // THEN they are the occurrences the scheduler moves it on to, one after the other
    EXPECT_EQ(shown(next), shown(movedOn(c.task, 24)));
    ASSERT_GE(next.size(), c.first.size());
    EXPECT_EQ(shown(std::vector<platform::Moment>(next.begin(), next.begin() + static_cast<std::ptrdiff_t>(c.first.size()))),
              shown(c.first));
}

INSTANTIATE_TEST_SUITE_P(Rules, NextDatesCases, ::testing::ValuesIn(cases()), test::NamedBy<&NextDatesCase::name>());

TEST(NextDates, GivenNoDateOrNoCountThenThereAreNone) {
    EXPECT_TRUE(nextDates(makeTask("Monthly", 0), 5).empty());
    EXPECT_TRUE(nextDates(makeTask("Monthly", dateFromYmd(1997, 1, 31)), 0).empty());
}

TEST(NextDates, GivenOnceThenOneWhateverTheCount) {
    EXPECT_EQ(nextDates(makeTask("Once", dateFromYmd(1997, 1, 31)), 5).size(), 1u);
    EXPECT_FALSE(occurrenceAfter(makeTask("Once", dateFromYmd(1997, 1, 31)), {dateFromYmd(1997, 1, 31), 1}));
}

TEST(NextDates, ClockTimeShowsATaskWithoutATimeAtMidnight) {
    EXPECT_EQ(clockTime(0), (Hms{0, 0, 0, 0}));
    EXPECT_EQ(clockTime(timeFromHms(17, 30, 15, 50)), (Hms{17, 30, 15, 50}));
}

}  // namespace
}  // namespace tarvelo
