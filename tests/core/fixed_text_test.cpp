// Fixed-width texts count characters, not bytes: "é" fits as often as "e".
#include "core/fixed_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelo {
namespace {

struct WidthCase {
    const char* name;
    std::string assigned;
    std::string kept;  // in a FixedText<4>
};

class FixedTextWidth : public testing::TestWithParam<WidthCase> {};

TEST_P(FixedTextWidth, shouldKeepAtMostItsWidthInCharactersWithoutTrailingBlanks) {
    const FixedText<4> text(GetParam().assigned);
    EXPECT_EQ(text.text(), GetParam().kept);
    EXPECT_EQ(utf8Length(text.padded()), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixedTextWidth,
    testing::Values(WidthCase{"Ascii", "abcdef", "abcd"},
                    WidthCase{"TwoByteCharacters", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},
                    WidthCase{"FourByteCharacter", "ab\xF0\x9F\x99\x82" "cd", "ab\xF0\x9F\x99\x82" "c"},
                    WidthCase{"TrailingBlanksDropped", "ab  ", "ab"},
                    // Damaged text: no character is longer than four bytes, so 4 characters hold 16 bytes at most.
                    WidthCase{"ContinuationBytesOnly", std::string(20, '\x80'), std::string(16, '\x80')},
                    WidthCase{"Empty", "", ""}),
    [](const testing::TestParamInfo<WidthCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo
