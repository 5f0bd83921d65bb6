#include "core/picture.h"
#include "fakes/case_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace tarvelo {
namespace {

struct FormatCase {
    const char* picture;
    std::int64_t value;
    const char* shown;
};

class FormattingANumber : public testing::TestWithParam<FormatCase> {};

TEST_P(FormattingANumber, shouldShowItAsThePictureSays) {
    const auto& c = GetParam();
    EXPECT_EQ(formatPicture(std::string_view(c.picture), c.value), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FormattingANumber,
    testing::Values(
        // @d3: "NNN Dd, yyyy", blank when no date is set
        FormatCase{"@d3", 71622, "Jan 31, 1997"}, FormatCase{"@d3", 4, "Jan 1, 1801"},
        FormatCase{"@d3", 72746, "Feb 29, 2000"}, FormatCase{"@d3", 2994626, "Dec 31, 9999"},
        FormatCase{"@d3", 0, ""}, FormatCase{"@D3", 71622, "Jan 31, 1997"},
        // @t3: "Hh:mmPP", midnight and noon as twelve, blank when no time is set
        FormatCase{"@t3", 1, "12:00AM"}, FormatCase{"@t3", 4320001, "12:00PM"},
        FormatCase{"@t3", 6300001, "5:30PM"}, FormatCase{"@t3", 390001, "1:05AM"},
        FormatCase{"@t3", 4319999, "11:59AM"}, FormatCase{"@t3", 8639501, "11:59PM"},
        FormatCase{"@t3", 6301599, "5:30PM"},  // seconds are not shown, and not rounded up
        FormatCase{"@t3", 0, ""},
        // @n: right-aligned; a number that does not fit is all '#', never a cut number
        FormatCase{"@n6", 42, "    42"}, FormatCase{"@n6", 0, "     0"}, FormatCase{"@n6", -42, "   -42"},
        FormatCase{"@n6", 999999, "999999"}, FormatCase{"@n6", 1000000, "######"},
        FormatCase{"@n2", 5, " 5"}, FormatCase{"@n2", 123, "##"}, FormatCase{"@n2", -10, "##"},
        FormatCase{"@n04", 7, "0007"}, FormatCase{"@n04", 1997, "1997"}, FormatCase{"@n04", -7, "-007"},
        FormatCase{"@n04", 12345, "####"}, FormatCase{"@n10", 7, "         7"},
        // a text picture shows the number's digits, cut to its width
        FormatCase{"@s3", 12345, "123"},
        // an unknown picture shows the plain number rather than nothing
        FormatCase{"@x9", 42, "42"}, FormatCase{"@d1", 71622, "71622"}),
    [](const testing::TestParamInfo<FormatCase>& info) {
        return test::caseName(std::string(info.param.picture) + " " + std::to_string(info.param.value));
    });

TEST(TextPicture, shouldShowAtMostItsWidthInCharactersWithoutSplittingOne) {
    EXPECT_EQ(formatPicture("@s5", std::string_view("hello world")), "hello");
    EXPECT_EQ(formatPicture("@s20", std::string_view("short")), "short");
    EXPECT_EQ(formatPicture("@s5", std::string_view("abc      ")), "abc");  // no trailing blanks
    EXPECT_EQ(formatPicture("@s6", std::string_view("abc   def")), "abc");   // cut, then trimmed
    EXPECT_EQ(formatPicture("@s2", std::string_view("\xC3\xA9\xC3\xA8x")), "\xC3\xA9\xC3\xA8");  // "éè"
    EXPECT_EQ(formatPicture("@s1", std::string_view("\xE2\x82\xAC!")), "\xE2\x82\xAC");          // "€"
    EXPECT_EQ(formatPicture("@s3", std::string_view("")), "");
    EXPECT_EQ(formatText("abc", 0), "");
}

TEST(PictureNames, shouldAcceptOnlyTheKnownForms) {
    EXPECT_EQ(parsePicture("@d3"), (Picture{Picture::Kind::Date, 3, false}));
    EXPECT_EQ(parsePicture("@T3"), (Picture{Picture::Kind::Time, 3, false}));
    EXPECT_EQ(parsePicture("@s80"), (Picture{Picture::Kind::Text, 80, false}));
    EXPECT_EQ(parsePicture("@n6"), (Picture{Picture::Kind::Number, 6, false}));
    EXPECT_EQ(parsePicture("@n04"), (Picture{Picture::Kind::Number, 4, true}));
    EXPECT_EQ(parsePicture("@n10"), (Picture{Picture::Kind::Number, 10, false}));
    for (const char* bad : {"", "@", "@d", "@d1", "@t4", "@s", "@n", "@s0", "@n0", "@n00", "@s12345", "@x5",
                            "d3", "@s2x", "@s-5", "@n 6", "@d3 "}) {
        EXPECT_FALSE(parsePicture(bad).has_value()) << '"' << bad << '"';
    }
}

struct DateEntry {
    const char* typed;
    std::optional<StdDate> value;
};

class EnteringADate : public testing::TestWithParam<DateEntry> {};

TEST_P(EnteringADate, shouldAcceptTheUsualFormsAndRefuseImpossibleDays) {
    const auto& c = GetParam();
    EXPECT_EQ(parseDate(c.typed), c.value) << '"' << c.typed << '"';
}

constexpr StdDate kJan31st1997 = 71622;

INSTANTIATE_TEST_SUITE_P(
    Entries, EnteringADate,
    testing::Values(
        DateEntry{"Jan 31, 1997", kJan31st1997}, DateEntry{"jan 31 1997", kJan31st1997},
        DateEntry{"JAN 31,1997", kJan31st1997}, DateEntry{"January 31, 1997", kJan31st1997},
        DateEntry{"Jan. 31, 1997", kJan31st1997}, DateEntry{"  Jan 31, 1997  ", kJan31st1997},
        DateEntry{"1/31/1997", kJan31st1997}, DateEntry{"01/31/1997", kJan31st1997},
        DateEntry{"1/31/97", kJan31st1997}, DateEntry{"1997-01-31", kJan31st1997},
        DateEntry{"1997-1-31", kJan31st1997}, DateEntry{"Feb 29, 2000", 72746}, DateEntry{"Sept 1, 1801", 247},
        DateEntry{"Jan 1, 1801", 4}, DateEntry{"Dec 31, 9999", 2994626},
        // blank: no date
        DateEntry{"", 0}, DateEntry{"   ", 0},
        // refused
        DateEntry{"Feb 30, 1997", std::nullopt}, DateEntry{"Feb 29, 1997", std::nullopt},
        DateEntry{"Feb 29, 1900", std::nullopt}, DateEntry{"Apr 31, 1997", std::nullopt},
        DateEntry{"2/30/1997", std::nullopt}, DateEntry{"13/1/1997", std::nullopt},
        DateEntry{"0/1/1997", std::nullopt}, DateEntry{"1/0/1997", std::nullopt},
        DateEntry{"1997-13-01", std::nullopt}, DateEntry{"1997-02-30", std::nullopt},
        DateEntry{"97-01-31", std::nullopt}, DateEntry{"abc", std::nullopt}, DateEntry{"Ja 31, 1997", std::nullopt},
        DateEntry{"Jan 31", std::nullopt}, DateEntry{"Jan 31, 1997x", std::nullopt},
        DateEntry{"Jan 311997", std::nullopt}, DateEntry{"Dec 31, 1800", std::nullopt},
        DateEntry{"1/1/10000", std::nullopt}, DateEntry{"1/31/197", std::nullopt},
        DateEntry{"1997-01-31-", std::nullopt}, DateEntry{"71622", std::nullopt},
        DateEntry{"Jan -5, 1997", std::nullopt}),
    test::NamedBy<&DateEntry::typed>());

struct TimeEntry {
    const char* typed;
    std::optional<StdTime> value;
};

class EnteringATime : public testing::TestWithParam<TimeEntry> {};

TEST_P(EnteringATime, shouldAcceptBothClocksAndRefuseImpossibleTimes) {
    const auto& c = GetParam();
    EXPECT_EQ(parseTime(c.typed), c.value) << '"' << c.typed << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EnteringATime,
    testing::Values(
        TimeEntry{"5:30PM", 6300001}, TimeEntry{"5:30 pm", 6300001}, TimeEntry{"5:30pm", 6300001},
        TimeEntry{"5pm", 6120001}, TimeEntry{"05:30 PM", 6300001}, TimeEntry{"17:30", 6300001},
        TimeEntry{"17:30:15", 6301501}, TimeEntry{"17:30:15.50", 6301551}, TimeEntry{"17:30:15.5", 6301551},
        TimeEntry{"17:30:15.05", 6301506}, TimeEntry{"12:00AM", 1}, TimeEntry{"12:30 am", 180001},
        TimeEntry{"12:00PM", 4320001}, TimeEntry{"0:00", 1}, TimeEntry{"23:59:59.99", 8640000},
        TimeEntry{" 9:05 ", 3270001}, TimeEntry{"", 0},
        // refused
        TimeEntry{"25:00", std::nullopt}, TimeEntry{"24:00", std::nullopt}, TimeEntry{"13:00PM", std::nullopt},
        TimeEntry{"0:30AM", std::nullopt}, TimeEntry{"abc", std::nullopt}, TimeEntry{"17", std::nullopt},
        TimeEntry{"17:60", std::nullopt}, TimeEntry{"17:30:60", std::nullopt},
        TimeEntry{"17:30:15.123", std::nullopt}, TimeEntry{"5:30XM", std::nullopt},
        TimeEntry{"5:30 PM later", std::nullopt}, TimeEntry{":30", std::nullopt},
        TimeEntry{"17:30.5", std::nullopt}, TimeEntry{"17:", std::nullopt}, TimeEntry{"-1:00", std::nullopt}),
    test::NamedBy<&TimeEntry::typed>());

TEST(DateRoundTrip, shouldReadBackShownDatesFrom1801To9999) {
    // Every day of the first four centuries, then a prime step that still meets every day of the month.
    const StdDate dense = dateFromYmd(2200, 1, 1);
    for (StdDate d = kMinDate; d <= kMaxDate; d += d < dense ? 1 : 13) {
        ASSERT_EQ(parseDate(formatDate3(d)), d) << formatDate3(d);
        ASSERT_EQ(parseDate(formatIsoDate(d)), d) << formatIsoDate(d);
    }
}

TEST(TimeRoundTrip, shouldReadBackEveryShownMinuteAndEveryScriptTime) {
    for (StdTime t = 1; t <= kOneDay; t += kOneMinute) {
        ASSERT_EQ(parseTime(formatTime3(t)), t) << formatTime3(t);
    }
    // Stepping by a prime reaches every kind of seconds and hundredths.
    for (StdTime t = 1; t <= kOneDay; t += 97) {
        ASSERT_EQ(parseTime(formatTime24(t)), t) << formatTime24(t);
    }
}

TEST(ScriptForms, shouldShowSecondsAndHundredthsOnlyWhenThereAreAny) {
    EXPECT_EQ(formatTime24(6300001), "17:30");
    EXPECT_EQ(formatTime24(6301501), "17:30:15");
    EXPECT_EQ(formatTime24(6301551), "17:30:15.50");
    EXPECT_EQ(formatTime24(6300002), "17:30:00.01");
    EXPECT_EQ(formatTime24(1), "00:00");
    EXPECT_EQ(formatTime24(0), "");
    EXPECT_EQ(formatIsoDate(kJan31st1997), "1997-01-31");
    EXPECT_EQ(formatIsoDate(0), "");
}

TEST(NumberEntry, shouldTakeWholeNumbersThatFitTheirWidth) {
    EXPECT_EQ(parseNumber("42"), 42);
    EXPECT_EQ(parseNumber(" -42 "), -42);
    EXPECT_EQ(parseNumber("+42"), 42);
    EXPECT_EQ(parseNumber(""), 0);
    EXPECT_EQ(parseNumber("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(parseNumber("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(parseNumber("-99999", 6), -99999);
    for (const char* bad : {"4 2", "12abc", "1.5", "-", "+", "--1", "0x10", "9223372036854775808",
                            "-9223372036854775809", "99999999999999999999999"}) {
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
    }
    EXPECT_FALSE(parseNumber("1234567", 6).has_value());
}

TEST(ExtremeValues, shouldFormatWithoutFailing) {
    EXPECT_EQ(formatNumber(std::numeric_limits<std::int64_t>::min(), 0), "-9223372036854775808");
    EXPECT_EQ(formatNumber(std::numeric_limits<std::int64_t>::min(), 5), "#####");
    EXPECT_EQ(formatPicture("@d3", std::int64_t{1} << 40), "");  // no date field holds this
    EXPECT_FALSE(formatDate3(std::numeric_limits<StdDate>::min()).empty());
    EXPECT_FALSE(formatDate3(std::numeric_limits<StdDate>::max()).empty());
    EXPECT_EQ(formatTime3(std::numeric_limits<StdTime>::min()).back(), 'M');
    EXPECT_EQ(formatTime3(-kOneHour + 1), "11:00PM");  // a time pushed before midnight wraps into the day
}

}  // namespace
}  // namespace tarvelo
