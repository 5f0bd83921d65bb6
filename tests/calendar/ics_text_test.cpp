// iCalendar text: lines folded at 75 octets without cutting a character, TEXT escaped and read back, and
// a file with a problem refused with the line it lies on.
#include "calendar/ics_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calendar/ics_values.h"
#include "fakes/case_names.h"

namespace tarvelo::calendar {
namespace {

std::vector<std::string> physicalLines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

struct FoldCase {
    std::string name;
    std::string line;
};

class Folding : public ::testing::TestWithParam<FoldCase> {};

TEST_P(Folding, KeepsEveryLineWithin75OctetsAndReadsBackTheSame) {
    // GIVEN a long content line; WHEN it is written
    std::string out;
    appendContentLine(out, GetParam().line);
    // THEN no line passes 75 octets, none starts inside a character, and unfolded it is the line again
    std::string joined;
    for (const std::string& line : physicalLines(out)) {
        EXPECT_LE(line.size(), kFoldOctets) << line;
        const std::string content = joined.empty() ? line : line.substr(1);
        ASSERT_FALSE(content.empty());
        EXPECT_NE(static_cast<unsigned char>(content[0]) & 0xC0, 0x80) << "a line starts inside a character";
        joined += content;
    }
    EXPECT_EQ(joined, GetParam().line);
    std::vector<Component> parsed;
    EXPECT_EQ(parseCalendarText("BEGIN:VCALENDAR\r\n" + out + "END:VCALENDAR\r\n", parsed), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Folding,
    ::testing::Values(FoldCase{"ascii", "DESCRIPTION:" + std::string(400, 'a')},
                      FoldCase{"twoOctetCharacterAtTheFold", "SUMMARY:" + std::string(66, 'x') + "\xC3\xA9\xC3\xA9\xC3\xA9"},
                      FoldCase{"fourOctetCharacterAtTheFold", "SUMMARY:" + std::string(65, 'y') + "\xF0\x9F\x98\x80\xF0\x9F\x98\x80"},
                      FoldCase{"exactly75", "SUMMARY:" + std::string(67, 'a')}),
    test::NamedBy<&FoldCase::name>());

TEST(TextValues, EscapeAndUnescapeEveryCharacterTheRuleNames) {
    const std::string text = "a\\b;c,d\ne\r\nf";
    EXPECT_EQ(escapeText(text), "a\\\\b\\;c\\,d\\ne\\nf");
    EXPECT_EQ(unescapeText(escapeText(text)), "a\\b;c,d\ne\nf");
    EXPECT_EQ(escapeText("caf\xC3\xA9 \xE9t\xE9"), "caf\xC3\xA9 \xEF\xBF\xBDt\xEF\xBF\xBD");
    EXPECT_EQ(splitTextList("Work\\, home,Garden"), (std::vector<std::string>{"Work, home", "Garden"}));
    EXPECT_EQ(parameterValue("Europe/Berlin"), "Europe/Berlin");
    EXPECT_EQ(parameterValue("a:b"), "\"a:b\"");
}

struct BadText {
    std::string name;
    std::string text;
    std::string problem;
};

class BadFiles : public ::testing::TestWithParam<BadText> {};

TEST_P(BadFiles, AreRefusedWithTheLineOfTheirProblem) {
    std::vector<Component> out;
    EXPECT_EQ(parseCalendarText(GetParam().text, out), GetParam().problem);
    EXPECT_TRUE(out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Problems, BadFiles,
    ::testing::Values(
        BadText{"empty", "", "the file holds no BEGIN:VCALENDAR"},
        BadText{"endWithoutBegin", "END:VCALENDAR\r\n", "line 1: END stands outside any BEGIN:VCALENDAR ... END:VCALENDAR"},
        BadText{"wrongEnd", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VCALENDAR\r\n",
                "line 3: END:VCALENDAR where END:VEVENT (begun at line 2) belongs"},
        BadText{"cutAtALine", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n", "the file ends inside VEVENT (begun at line 2): it is cut short"},
        BadText{"cutInALine", "BEGIN:VCALENDAR\r\nSUMM", "line 2: the file ends in the middle of this line: it is cut short"},
        BadText{"continuationFirst", " BEGIN:VCALENDAR\r\n", "line 1: a folded continuation follows no content line"},
        BadText{"unclosedQuote", "BEGIN:VCALENDAR\r\nX-A;P=\"abc:1\r\nEND:VCALENDAR\r\n", "line 2: a quoted parameter value is not closed"},
        BadText{"overlong", "BEGIN:VCALENDAR\r\nXYZ\xC0\xAF\r\n", "line 2: not UTF-8 text (byte 0xC0 at octet 4)"},
        BadText{"surrogate", "BEGIN:VCALENDAR\r\nX:\xED\xA0\x80\r\n", "line 2: not UTF-8 text (byte 0xED at octet 3)"},
        BadText{"eventOutside", "BEGIN:VEVENT\r\nEND:VEVENT\r\n", "line 1: VEVENT stands outside any VCALENDAR"}),
    test::NamedBy<&BadText::name>());

TEST(Parsing, ReadsParametersQuotedValuesAndNestedComponentsWithBareLineFeedsToo) {
    std::vector<Component> out;
    ASSERT_EQ(parseCalendarText("\xEF\xBB\xBF" "BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART;TZID=\"A;B:C\";x-y=1,2:2027\n 0104\n"
                                "BEGIN:VALARM\nTRIGGER:-PT5M\nEND:VALARM\nEND:VEVENT\nEND:VCALENDAR\n\n",
                                out),
              std::nullopt);
    ASSERT_EQ(out.size(), 1u);
    const Component& event = out[0].children.at(0);
    const ContentLine* start = event.property("DTSTART");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->value, "20270104");
    EXPECT_EQ(start->parameter("TZID"), "A;B:C");
    EXPECT_EQ(start->parameters.at(1).values, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(start->line, 3);
    EXPECT_EQ(event.children.at(0).property("TRIGGER")->value, "-PT5M");
}

TEST(Values, DurationsAndDateTimesReadBackAsWritten) {
    for (const std::int64_t seconds : {0ll, -60ll, -86400ll, -90061ll, 3600ll})
        EXPECT_EQ(parseDuration(formatDuration(seconds)), seconds) << formatDuration(seconds);
    EXPECT_EQ(formatDuration(-90061), "-P1DT1H1M1S");
    EXPECT_EQ(parseDuration("-P2W"), -14 * 86400);
    EXPECT_EQ(parseDuration("P1H"), std::nullopt);
    EXPECT_EQ(parseDateTime("20270229T090000"), std::nullopt);
    EXPECT_EQ(parseDateTime("20270104T236000"), std::nullopt);
    EXPECT_TRUE(parseDateTime("20270104T090000Z")->utc);
    EXPECT_TRUE(parseDateTime("20270104")->dateOnly);
    Recurrence rule;
    EXPECT_EQ(parseRecurrence("FREQ=MONTHLY;BYDAY=+2TU,-1TH;COUNT=3", rule), std::nullopt);
    EXPECT_EQ(rule.byDay, (std::vector<WeekdayNum>{{2, 2}, {-1, 4}}));
    EXPECT_EQ(rule.otherParts, std::vector<std::string>{"COUNT"});
    EXPECT_EQ(parseRecurrence("INTERVAL=2", rule), "FREQ is missing");
    EXPECT_EQ(parseRecurrence("FREQ=WEEKLY;BYDAY=XX", rule), "BYDAY=XX is not a valid value");
}

}  // namespace
}  // namespace tarvelo::calendar
