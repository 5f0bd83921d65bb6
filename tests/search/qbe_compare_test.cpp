#include "search/qbe_compare.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/date.h"
#include "search/match_type.h"

namespace tarvelo::search {
namespace {

using enum MatchType;

struct StringCase {
    const char* name;
    MatchType type;
    std::string value;
    std::string criterion;  // as the user typed it; the test folds it as a search does
    std::string upper;
    bool matches;
};

class MatchStringTest : public testing::TestWithParam<StringCase> {};

TEST_P(MatchStringTest, comparesAsTheTableSays) {
    const StringCase& c = GetParam();
    EXPECT_EQ(matchString(c.type, c.value, foldCase(c.criterion), foldCase(c.upper)), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    QueryByExample, MatchStringTest,
    testing::Values(
        StringCase{"BeginsWithIgnoresLetterCase", beginsWith, "aBacus", "AB", "", true},
        StringCase{"BeginsWithNotWhenItOccursLater", beginsWith, "Crab", "AB", "", false},
        StringCase{"BeginsWithSkipsLeadingBlanks", beginsWith, "  abc", "AB", "", true},
        StringCase{"EndsWithIgnoresTrailingBlanks", endsWith, "Morning   ", "ING", "", true},
        StringCase{"EndsWithNotInTheMiddle", endsWith, "Ingots", "ING", "", false},
        StringCase{"EqualsLeftJustifiesTheValue", equals, "  Backup", "BACKUP", "", true},
        StringCase{"NotEqualsKeepsLeadingBlanks", notEquals, "  Backup", "BACKUP", "", true},
        StringCase{"MoreThanInTextOrder", moreThan, "beta", "ALPHA", "", true},
        StringCase{"LessOrEqualWhenEqualInAnotherCase", lessOrEqual, "ALPHA", "alpha", "", true},
        StringCase{"RangeTakesTheLowerLimitsOwnLength", insideRange, "Bravo", "B", "D", true},
        StringCase{"RangeUpperLimitMatchesItsPrefix", insideRange, "Delta", "B", "D", true},
        StringCase{"RangeRefusesPastTheUpperLimit", insideRange, "Echo", "B", "D", false},
        StringCase{"RangeRefusesBelowTheLowerLimit", insideRange, "Alpha", "B", "D", false},
        StringCase{"OutsideRangeBelow", outsideRange, "Alpha", "B", "D", true},
        StringCase{"OutsideRangeNotInside", outsideRange, "Charlie", "B", "D", false},
        StringCase{"ContainsAnywhere", contains, "weekly backup", "BACK", "", true},
        StringCase{"DoesNotContain", notContains, "weekly backup", "DAILY", "", true},
        StringCase{"FoldsBeyondAscii", equals, "ÉMILE", "émile", "", true},
        StringCase{"CountsCharactersNotBytes", beginsWith, "Émile", "É", "", true},
        StringCase{"IgnoreAlwaysPasses", ignore, "anything", "ELSE", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Folding into a buffer that held a longer text, as a scan does record after record.
TEST(FoldCase, intoAReusedBufferGivesWhatAFreshFoldGives) {
    const struct {
        const char* text;
        const char* folded;
    } cases[] = {
        {"Weekly BACKUP", "weekly backup"},
        {"", ""},
        {"ÉMILE", "émile"},
        {"Backup ÉMILE Zürich", "backup émile zürich"},
        {"\xE2\x84\xAA" "ELVIN", "kelvin"},    // KELVIN SIGN folds to one byte
        {"A\xC8\xBA" "B", "a\xE2\xB1\xA5" "b"},  // Ⱥ folds to three bytes
        {"AB\xFF" "CD", "ab\xFF" "cd"},          // not UTF-8: kept as it is
    };
    std::string buffer = "a longer text held before, longer than any case";
    for (const auto& c : cases) {
        foldCaseInto(c.text, buffer);
        EXPECT_EQ(buffer, c.folded) << c.text;
        EXPECT_EQ(foldCase(c.text), c.folded) << c.text;
    }
}

struct NumberCase {
    const char* name;
    MatchType type;
    double value;
    double criterion;
    double upper;
    bool matches;
};

class MatchNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(MatchNumberTest, comparesAsTheTableSays) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(matchNumber(c.type, c.value, c.criterion, c.upper), c.matches);
}

const double kMarch1997 = 71651;  // 1 March 1997
const double kMarch2003 = 73856;  // 15 March 2003
const double kApril1997 = 71682;  // 1 April 1997

INSTANTIATE_TEST_SUITE_P(
    QueryByExample, MatchNumberTest,
    testing::Values(NumberCase{"Equals", equals, 5, 5, 0, true},
                    NumberCase{"InsideRangeIncludesBothLimits", insideRange, 10, 5, 10, true},
                    NumberCase{"OutsideRangeAbove", outsideRange, 11, 5, 10, true},
                    NumberCase{"MonthOfEachYear", monthOfYear, kMarch2003, kMarch1997, 0, true},
                    NumberCase{"MonthOfEachYearNotApril", monthOfYear, kApril1997, kMarch1997, 0, false},
                    NumberCase{"DayOfEachMonth", dayOfMonth, kApril1997, kMarch1997, 0, true},
                    NumberCase{"InThisYear", inYear, kApril1997, kMarch1997, 0, true},
                    NumberCase{"MonthAndDayNotOtherDay", monthAndDay, kMarch2003, kMarch1997, 0, false},
                    NumberCase{"YearAndMonthNotOtherYear", yearAndMonth, kMarch2003, kMarch1997, 0, false},
                    NumberCase{"PictureBeginsWithTakesTheHundreds", beginsWith, 1299, 1200, 100, true},
                    NumberCase{"PictureBeginsWithNotTheNextHundred", beginsWith, 1300, 1200, 100, false},
                    NumberCase{"PictureEndsWithItsLastDigits", endsWith, 51234, 234, 0, true},
                    NumberCase{"PictureEndsWithNotOtherDigits", endsWith, 51235, 234, 0, false},
                    NumberCase{"ContainsPassesForNumbers", contains, 1, 2, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MatchNumber, shouldTakeTheDatesOfTheTableAsMarchAndApril) {
    EXPECT_EQ(dateFromYmd(1997, 3, 1), kMarch1997);
    EXPECT_EQ(dateFromYmd(2003, 3, 15), kMarch2003);
    EXPECT_EQ(dateFromYmd(1997, 4, 1), kApril1997);
}

TEST(PictureUpperLimit, shouldBeTenToTheTrailingZeros) {
    EXPECT_EQ(pictureUpperLimit(1200), 100);
    EXPECT_EQ(pictureUpperLimit(1234), 1);
    EXPECT_EQ(pictureUpperLimit(5000), 1000);
}

struct TextCase {
    const char* name;
    MatchType type;
    std::string text;
    std::string criterion;
    bool matches;
};

class MatchTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(MatchTextTest, comparesAsTheTableSays) {
    const TextCase& c = GetParam();
    EXPECT_EQ(matchText(c.type, c.text, foldCase(c.criterion)), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    QueryByExample, MatchTextTest,
    testing::Values(TextCase{"EqualsIgnoresCaseAndTrailingBlanks", equals, "Call Home  ", "CALL HOME", true},
                    TextCase{"BeginsWith", beginsWith, "Call home at noon", "call", true},
                    TextCase{"EndsWithAfterTrailingBlanks", endsWith, "Call home at noon   ", "NOON", true},
                    TextCase{"EndsWithNotInTheMiddle", endsWith, "Noon call", "NOON", false},
                    TextCase{"Contains", contains, "Call home at noon", "HOME", true},
                    TextCase{"DoesNotContain", notContains, "Call home at noon", "HOME", false},
                    TextCase{"RangesPass", insideRange, "anything", "X", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpperLimitCheck, shouldCompareNumbersAsNumbersAndTextAsText) {
    EXPECT_TRUE(upperLimitAccepted("9", "10"));
    EXPECT_FALSE(upperLimitAccepted("10", "9"));
    EXPECT_FALSE(upperLimitAccepted("5", "5"));
    EXPECT_TRUE(upperLimitAccepted("b", "D"));
    EXPECT_FALSE(upperLimitAccepted("Delta  ", "delta"));
}

struct KindCase {
    const char* name;
    FieldKind kind;
    std::vector<int> codes;
    MatchType byDefault;
};

class OfferedTypesTest : public testing::TestWithParam<KindCase> {};

TEST_P(OfferedTypesTest, shouldOfferTheKindsCodesAndItsDefault) {
    const KindCase& c = GetParam();
    std::vector<int> codes;
    for (MatchType t : offeredMatchTypes(c.kind)) codes.push_back(static_cast<int>(t));
    EXPECT_EQ(codes, c.codes);
    EXPECT_EQ(defaultMatchType(c.kind), c.byDefault);
}

INSTANTIATE_TEST_SUITE_P(
    QueryByExample, OfferedTypesTest,
    testing::Values(KindCase{"String", FieldKind::string, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, beginsWith},
                    KindCase{"Number", FieldKind::number, {0, 1, 2, 3, 4, 5, 6, 7, 8}, equals},
                    KindCase{"Picture", FieldKind::picture, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, equals},
                    KindCase{"Date", FieldKind::date, {0, 1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 15, 16, 17}, equals},
                    KindCase{"Text", FieldKind::text, {0, 1, 2, 9, 10, 11, 12}, contains},
                    KindCase{"Check", FieldKind::check, {0, 1, 2}, equals},
                    KindCase{"Option", FieldKind::option, {0, 1, 2}, equals}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MatchTypes, shouldNameTheKindsThatOfferACode) {
    EXPECT_EQ(kindsOffering(beginsWith), (std::vector{FieldKind::string, FieldKind::picture, FieldKind::text}));
    EXPECT_EQ(matchTypeInfo(notEquals).symbol, "\u2260");
    EXPECT_EQ(matchTypeInfo(monthOfYear).style, SymbolStyle::letter);
    EXPECT_EQ(matchTypeInfo(ignore).symbol, "");
}

}  // namespace
}  // namespace tarvelo::search
