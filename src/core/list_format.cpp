#include "core/list_format.h"

#include <algorithm>

namespace tarvelo {
namespace {

class FormatReader {
public:
    explicit FormatReader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    std::size_t pos() const { return m_pos; }
    void skip() { ++m_pos; }

    std::optional<int> number() {
        std::size_t end = m_pos;
        int value = 0;
        while (end < m_text.size() && m_text[end] >= '0' && m_text[end] <= '9' && end - m_pos < 6) {
            value = value * 10 + (m_text[end] - '0');
            ++end;
        }
        if (end == m_pos) return std::nullopt;
        m_pos = end;
        return value;
    }

    std::optional<Justify> justification() {
        Justify j;
        switch (peek()) {
        case 'L': case 'l': j = Justify::left; break;
        case 'R': case 'r': j = Justify::right; break;
        case 'C': case 'c': j = Justify::center; break;
        case 'D': case 'd': j = Justify::decimal; break;
        default: return std::nullopt;
        }
        ++m_pos;
        return j;
    }

    // "(n)" after a justification; 0 when there is none. False for an unclosed or empty one.
    bool indent(int& out) {
        out = 0;
        if (peek() != '(') return true;
        ++m_pos;
        const auto n = number();
        if (!n || peek() != ')') return false;
        ++m_pos;
        out = *n;
        return true;
    }

    // The text up to the next `delimiter`, which is consumed; nothing when it never comes.
    std::optional<std::string_view> until(char delimiter) {
        const std::size_t end = m_text.find(delimiter, m_pos);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view part = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        return part;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

bool fail(std::string* error, std::size_t column, std::size_t at, const std::string& why) {
    if (error) *error = "column " + std::to_string(column) + ", character " + std::to_string(at + 1) + ": " + why;
    return false;
}

bool readColumn(FormatReader& in, std::size_t number, ListColumn& column, std::string* error) {
    const auto width = in.number();
    if (!width) return fail(error, number, in.pos(), "a width is expected");
    column.width = *width;
    const auto justify = in.justification();
    if (!justify) return fail(error, number, in.pos(), "a justification (L, R, C or D) is expected");
    column.justify = *justify;
    if (!in.indent(column.indent)) return fail(error, number, in.pos(), "an indent is (n)");
    column.headingJustify = column.justify;

    for (;;) {
        const char c = in.peek();
        if (in.atEnd()) return fail(error, number, in.pos(), "the picture is missing");
        if (c == '@') break;
        if (c == '~') {
            if (!column.heading.empty()) return fail(error, number, in.pos(), "a second heading");
            in.skip();
            const auto heading = in.until('~');
            if (!heading) return fail(error, number, in.pos(), "the heading is not closed");
            column.heading = std::string(*heading);
            if (const auto j = in.justification()) {
                column.headingJustify = *j;
                if (!in.indent(column.headingIndent)) return fail(error, number, in.pos(), "an indent is (n)");
            } else {
                column.headingIndent = column.indent;
            }
            continue;
        }
        switch (c) {
        case '|': column.rightBorder = true; break;
        case 'M': case 'm': column.resizable = true; break;
        case '*': column.colored = true; break;
        case 'I': case 'i': column.icon = true; break;
        case 'J': case 'j': column.icon = column.transparentIcon = true; break;
        case '_': column.underline = true; break;
        case '/': case '?': case 'Y': case 'y': case 'T': case 't': case 'F': case 'f': break;
        default: return fail(error, number, in.pos(), std::string("unknown modifier '") + c + "'");
        }
        in.skip();
    }
    in.skip();  // the '@' opening the picture
    const auto picture = in.until('@');
    if (!picture || picture->empty()) return fail(error, number, in.pos(), "the picture is not closed");
    // Copied into place rather than `"@" + std::string(...)` or an append: at -O3 GCC 12 warns that the
    // memcpy those inline may overlap itself (-Wrestrict, a false positive of its own inlining).
    column.picture.assign(picture->size() + 1, '@');
    std::copy(picture->begin(), picture->end(), column.picture.begin() + 1);
    return true;
}

}  // namespace

std::optional<std::vector<ListColumn>> parseListFormat(std::string_view format, std::string* error) {
    std::vector<ListColumn> columns;
    FormatReader in(format);
    while (!in.atEnd()) {
        ListColumn column;
        if (!readColumn(in, columns.size() + 1, column, error)) return std::nullopt;
        columns.push_back(std::move(column));
    }
    if (columns.empty()) {
        fail(error, 1, 0, "a format needs at least one column");
        return std::nullopt;
    }
    return columns;
}

}  // namespace tarvelo
