// Texts as the entries take them and the terminal shows them: UTF-8 without control characters, and
// escapes for what an older file holds of them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/plain_text.h"
#include "fakes/case_names.h"

namespace tarvelo {
namespace {

struct EntryCase {
    const char* name;
    std::string text;
    std::size_t width;
    LineBreaks breaks;
    std::optional<std::string> problem;
};

class EntryTextTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryTextTest, SaysWhatTheEntryWouldRefuse) {
    EXPECT_EQ(entryTextProblem(GetParam().text, GetParam().width, GetParam().breaks), GetParam().problem);
}

const std::string kE = "\xC3\xA9";  // "é": one character, two bytes

std::string times(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryTextTest,
    ::testing::Values(
        EntryCase{"TwentyTwoByteCharactersFit", times(kE, 20), 20, LineBreaks::refused, std::nullopt},
        EntryCase{"TwentyOneDoNot", times(kE, 21), 20, LineBreaks::refused, "holds at most 20 characters"},
        EntryCase{"CharacterBeyondTheBmpIsOne", times("\xF0\x9F\x93\x85", 20), 20, LineBreaks::refused, std::nullopt},
        EntryCase{"TrailingBlanksDoNotCount", times("x", 20) + "   ", 20, LineBreaks::refused, std::nullopt},
        EntryCase{"Escape", "\x1b[31mred", 20, LineBreaks::refused, "holds a control character"},
        EntryCase{"Delete", "a\x7f", 20, LineBreaks::refused, "holds a control character"},
        EntryCase{"C1Control", "a\xC2\x9B" "2J", 20, LineBreaks::refused, "holds a control character"},
        EntryCase{"NulInTheMiddle", std::string("a\0b", 3), 20, LineBreaks::refused, "holds a control character"},
        EntryCase{"LineBreakInAName", "a\nb", 20, LineBreaks::refused, "holds a control character"},
        EntryCase{"MessageKeepsLineBreaksAndTabs", "a\r\n\tb", 20, LineBreaks::kept, std::nullopt},
        EntryCase{"MessageRefusesTheOthers", "a\r\n\x07", 20, LineBreaks::kept, "holds a control character"},
        EntryCase{"LoneContinuationByte", "a\x80", 20, LineBreaks::refused, "is not valid UTF-8"},
        EntryCase{"TruncatedSequence", "caf\xC3", 20, LineBreaks::refused, "is not valid UTF-8"},
        EntryCase{"OverlongSlash", "\xC0\xAF", 20, LineBreaks::refused, "is not valid UTF-8"},
        EntryCase{"Surrogate", "\xED\xA0\x80", 20, LineBreaks::refused, "is not valid UTF-8"}),
    test::NamedBy<&EntryCase::name>());

struct PrintCase {
    const char* name;
    std::string stored;
    LineBreaks breaks;
    std::string shown;
};

class PrintableTest : public ::testing::TestWithParam<PrintCase> {};

TEST_P(PrintableTest, EscapesWhatATerminalWouldActOn) {
    EXPECT_EQ(printable(GetParam().stored, GetParam().breaks), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintableTest,
    ::testing::Values(PrintCase{"PlainTextAsItIs", "Caf" + kE + " C:\\tasks", LineBreaks::refused, "Caf" + kE + " C:\\tasks"},
                      PrintCase{"EscapeSequence", "\x1b[31mred\x1b[0m\r\n\t", LineBreaks::refused,
                                "\\e[31mred\\e[0m\\r\\n\\t"},
                      PrintCase{"OtherControls", std::string("\x07\x7f\0", 3), LineBreaks::refused, "\\x07\\x7f\\x00"},
                      PrintCase{"C1Control", "\xC2\x9B", LineBreaks::refused, "\\u009b"},
                      PrintCase{"BytesThatAreNotUtf8", "ab\xff\xC3", LineBreaks::refused, "ab\\xff\\xc3"},
                      PrintCase{"MessageLinesAsLines", "one\r\ntwo\rthree\tfour\x1b", LineBreaks::kept,
                                "one\ntwo\nthree\tfour\\e"}),
    test::NamedBy<&PrintCase::name>());

TEST(WithoutControls, MakesOneLineOfAMessage) {
    EXPECT_EQ(withoutControls("Call Ann\r\nabout\tthe\x1b trip\n"), "Call Ann about the  trip ");
}

}  // namespace
}  // namespace tarvelo
