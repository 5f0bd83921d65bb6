#include "core/list_format.h"

#include <gtest/gtest.h>

namespace tarvelo {
namespace {

// One column as "60L(0) 'Category' L(0) @s20 |M*I".
std::string render(const ListColumn& c) {
    static const char* j = "LRCD";
    std::string out = std::to_string(c.width) + j[static_cast<int>(c.justify)] + "(" + std::to_string(c.indent) + ")";
    if (!c.heading.empty()) {
        out += " '" + c.heading + "' " + j[static_cast<int>(c.headingJustify)] + "(" + std::to_string(c.headingIndent) + ")";
    }
    out += " " + c.picture + " ";
    if (c.rightBorder) out += "|";
    if (c.resizable) out += "M";
    if (c.colored) out += "*";
    if (c.icon) out += "I";
    return out;
}

std::vector<std::string> rendered(std::string_view format) {
    std::vector<std::string> out;
    std::string error;
    const auto columns = parseListFormat(format, &error);
    if (!columns) return {"error: " + error};
    for (const auto& c : *columns) out.push_back(render(c));
    return out;
}

TEST(ListFormat, readsTheCategoryList) {
    EXPECT_EQ(rendered("60L(0)|M~Category~@s20@"), (std::vector<std::string>{"60L(0) 'Category' L(0) @s20 |M"}));
}

TEST(ListFormat, readsIconsColoursAndAHeadingJustifiedOnItsOwn) {
    EXPECT_EQ(rendered("10C(1)|*I@s1@22C(1)|M*~Priority~R@n2@60L|M*~To Do~@s40@"),
              (std::vector<std::string>{"10C(1) @s1 |*I", "22C(1) 'Priority' R(0) @n2 |M*", "60L(0) 'To Do' L(0) @s40 |M*"}));
}

TEST(ListFormat, readsTheScheduleBrowse) {
    const auto columns = rendered(
        "11L|M*I@s1@47L|M*~Date~@d3@32L|M*~Time~@t3@60L|M~Category~@s20@60L|M~Description~@s40@"
        "60L|M~Task Type~@s20@60L|M~Schedule Type~@s20@");
    ASSERT_EQ(columns.size(), 7u);
    EXPECT_EQ(columns[0], "11L(0) @s1 |M*I");
    EXPECT_EQ(columns[1], "47L(0) 'Date' L(0) @d3 |M*");
    EXPECT_EQ(columns[6], "60L(0) 'Schedule Type' L(0) @s20 |M");
}

struct BadFormat {
    const char* name;
    const char* format;
    const char* error;
};

void PrintTo(const BadFormat& c, std::ostream* os) { *os << c.name; }

class MalformedListFormat : public testing::TestWithParam<BadFormat> {};

TEST_P(MalformedListFormat, isRefusedWithWhereAndWhy) {
    EXPECT_EQ(rendered(GetParam().format), std::vector<std::string>{std::string("error: ") + GetParam().error});
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MalformedListFormat,
    testing::Values(BadFormat{"empty", "", "column 1, character 1: a format needs at least one column"},
                    BadFormat{"noWidth", "L|M~A~@s1@", "column 1, character 1: a width is expected"},
                    BadFormat{"noJustification", "60|M~A~@s1@",
                              "column 1, character 3: a justification (L, R, C or D) is expected"},
                    BadFormat{"openHeading", "60L|M~A@s1@", "column 1, character 7: the heading is not closed"},
                    BadFormat{"openPicture", "60L~A~@s1", "column 1, character 8: the picture is not closed"},
                    BadFormat{"unknownModifier", "60L%~A~@s1@", "column 1, character 4: unknown modifier '%'"},
                    BadFormat{"secondColumnBroken", "60L~A~@s1@7", "column 2, character 12: a justification (L, R, C or D) is expected"}),
    [](const testing::TestParamInfo<BadFormat>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvelo
