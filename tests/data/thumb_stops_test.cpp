// Thumb stops against examples worked out by hand.
#include "data/thumb_stops.h"

#include <gtest/gtest.h>

namespace tarvelo {
namespace {

struct TextStopCase {
    const char* name;
    const char* low;
    const char* high;
    int width;
    // stops 1, 2, 99 and 100
    const char* first;
    const char* second;
    const char* ninetyNinth;
    const char* last;
};

void PrintTo(const TextStopCase& c, std::ostream* os) { *os << c.name; }

class TextStops : public testing::TestWithParam<TextStopCase> {};

TEST_P(TextStops, spreadOverTheFourLettersAfterTheCommonPrefix) {
    const auto& c = GetParam();
    const auto stops = textStops(c.low, c.high, c.width);
    ASSERT_EQ(stops.size(), 100u);
    EXPECT_EQ(stops[0], c.first);
    EXPECT_EQ(stops[1], c.second);
    EXPECT_EQ(stops[98], c.ninetyNinth);
    EXPECT_EQ(stops[99], c.last);
}

// Letters are digits 1..26 of a base-27 number; a blank or any other character is 0, and a 0 digit is
// written back as "A".
INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, TextStops,
    testing::Values(
        // APPL = 1*19683 + 16*729 + 16*27 + 12 = 31791; BANA = 2*19683 + 729 + 14*27 + 1 = 40474;
        // step (40474 - 31791) / 99 = 87; stop 2 = 31878 = APSR; stop 99 = 31791 + 98*87 = 40317 = BAHF
        TextStopCase{"noCommonPrefix", "Apple", "Banana", 20, "APPL", "APSR", "BAHF", "BANA"},
        // after "Work ": "A   " = 19683, ZETA = 515944, step 5012; stop 2 = 24695 = AFWQ;
        // stop 99 = 19683 + 98*5012 = 510859 = 25*19683 + 25*729 + 20*27 + 19 = YYTS
        TextStopCase{"sharedPrefixKeepsItsCase", "Work A", "Work Zeta", 20, "Work A", "Work AFWQ", "Work YYTS",
                     "Work ZETA"},
        // one value: the high end is padded with Z, so the stops run from "Home" to "HomeZZZZ";
        // ZZZZ = 531440, step 5368; stop 2 = 5368 = 0,7,9,22 = AGIV (a 0 digit is written "A");
        // stop 99 = 98*5368 = 526064 = 26,19,16,23 = ZSPW
        TextStopCase{"bothEndsEqual", "Home", "Home", 20, "Home", "HomeAGIV", "HomeZSPW", "HomeZZZZ"},
        // a high end filling the whole field is not padded: "ab" vs "cd" after "x": AB = 19683 + 2*729 =
        // 21141, CD = 3*19683 + 4*729 = 61965, step 412; stop 2 = 21553 = 1,2,15,7 = ABOG;
        // stop 99 = 21141 + 98*412 = 61517 = 3,3,10,11 = CCJK
        TextStopCase{"fullWidthHighEnd", "xab", "xcd", 3, "xAB", "xABOG", "xCCJK", "xCD"}),
    [](const testing::TestParamInfo<TextStopCase>& info) { return std::string(info.param.name); });

TEST(NumberStops, runEvenlyFromLowToHighCutTowardZero) {
    const auto dates = numberStops(71000, 71990);  // step 10
    EXPECT_EQ(dates[0], 71000);
    EXPECT_EQ(dates[1], 71010);
    EXPECT_EQ(dates[98], 71980);
    EXPECT_EQ(dates[99], 71990);
    const auto priorities = numberStops(1, 10);  // step 9/99: stop i = 1 + (i - 1) / 11, cut
    EXPECT_EQ(priorities[10], 1);
    EXPECT_EQ(priorities[11], 2);
    EXPECT_EQ(priorities[99], 10);
}

TEST(ThumbPosition, isTheFirstStopNotBelowTheValueWithTheFirstShownAsZero) {
    const auto stops = numberStops(0, 99);  // stop i = i - 1
    EXPECT_EQ(thumbForNumber(stops, 0), 0);
    EXPECT_EQ(thumbForNumber(stops, 1), 2);
    EXPECT_EQ(thumbForNumber(stops, 99), 100);
    EXPECT_EQ(thumbForNumber(stops, 500), 100);
}

TEST(ThumbPosition, comparesTextWithoutRegardToLetterCase) {
    // The prefix keeps the data's lower case: "work A" must not count as above "WORK ZETA".
    const auto stops = textStops("work a", "work zeta", 20);
    EXPECT_EQ(thumbForText(stops, "work a"), 0);
    EXPECT_EQ(thumbForText(stops, "Work AFWQ"), 2);
    EXPECT_EQ(thumbForText(stops, "WORK ZETA"), 100);
}

}  // namespace
}  // namespace tarvelo
