#pragma once
// The one JSON writer of the command line: one object on one line, its members in the order they are
// added, appended to a buffer the caller writes out (at once, or in large blocks).
//
//   JsonLine(out).text("event", "sound").text("file", "/x/alarm.wav").end();
//   // {"event":"sound","file":"/x/alarm.wav"}
//
// Texts are escaped here and only here: quotes, backslashes and control characters (DEL included), and
// every byte that is not part of well-formed UTF-8 becomes U+FFFD, so a line is valid JSON whatever a
// stored text holds.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::platform {

// text as a JSON string literal, quotes included, appended to out.
void appendJsonString(std::string& out, std::string_view text);

// Keys are the program's own names ("scheduletype"), written as they are. REQUIRES: a key holds no
// character that JSON escapes. Batches write millions of lines, so the writer is inline.
class JsonLine {
public:
    // {"a":1,"b":2} or, for lines that people read as often as programs do, {"a": 1, "b": 2}.
    enum class Spacing { compact, spaced };

    explicit JsonLine(std::string& out, Spacing spacing = Spacing::compact) : m_out(out), m_spacing(spacing) {
        m_out += '{';
    }

    JsonLine& text(std::string_view name, std::string_view value) {
        key(name);
        appendJsonString(m_out, value);
        return *this;
    }
    JsonLine& number(std::string_view name, std::int64_t value) {
        key(name);
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        m_out.append(digits, static_cast<std::size_t>(end - digits));
        return *this;
    }
    JsonLine& null(std::string_view name) {
        key(name);
        m_out += "null";
        return *this;
    }
    JsonLine& boolean(std::string_view name, bool value) {
        key(name);
        m_out += value ? "true" : "false";
        return *this;
    }
    JsonLine& texts(std::string_view name, const std::vector<std::string_view>& values);
    // Closes the object and the line.
    void end() { m_out += "}\n"; }

private:
    // The separator, the quoted key and the colon, in one piece.
    void key(std::string_view name) {
        const bool spaced = m_spacing == Spacing::spaced;
        char piece[64];
        std::size_t n = 0;
        if (!m_first) {
            piece[n++] = ',';
            if (spaced) piece[n++] = ' ';
        }
        m_first = false;
        if (name.size() > sizeof piece - 6) {
            m_out.append(piece, n);
            appendJsonString(m_out, name);
            n = 0;
        } else {
            piece[n++] = '"';
            name.copy(piece + n, name.size());
            n += name.size();
            piece[n++] = '"';
        }
        piece[n++] = ':';
        if (spaced) piece[n++] = ' ';
        m_out.append(piece, n);
    }

    std::string& m_out;
    Spacing m_spacing;
    bool m_first = true;
};

}  // namespace tarvelo::platform
