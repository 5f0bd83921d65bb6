#pragma once
// List formats: the columns of a list box written as one text, each column as
//
//   width justification[(indent)] modifiers [~heading~ [justification[(indent)]]] @picture@
//
// "60L(0)|M~Category~@s20@" is one column 60 dialog units wide, its text left-aligned with no indent, a
// right border (|), resizable (M), headed "Category", showing 20 characters of text. Further modifiers:
// * the column carries colours of its own, I (or J, drawn transparently) an icon beside its text,
// _ an underline, / the next column below it, ? a tree, Y a style, T a tree level. A heading without a
// justification of its own takes the column's.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo {

enum class Justify { left, right, center, decimal };

struct ListColumn {
    int width = 0;  // dialog units
    Justify justify = Justify::left;
    int indent = 0;
    std::string heading;  // empty: the column has none
    Justify headingJustify = Justify::left;
    int headingIndent = 0;
    std::string picture;  // "@s20"
    bool rightBorder = false;
    bool resizable = false;
    bool colored = false;
    bool icon = false;
    bool transparentIcon = false;
    bool underline = false;
    friend bool operator==(const ListColumn&, const ListColumn&) = default;
};

// The columns of a format, or nothing when it is malformed; error then says where and why.
std::optional<std::vector<ListColumn>> parseListFormat(std::string_view format, std::string* error = nullptr);

}  // namespace tarvelo
