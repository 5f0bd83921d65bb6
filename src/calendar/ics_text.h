#pragma once
// iCalendar text (RFC 5545): content lines written and read.
//
// Writing: every line ends in CRLF and is folded before 75 octets (a CRLF and one blank start each
// continuation), never inside a UTF-8 sequence; TEXT values are escaped (backslash, semicolon, comma,
// line break).
//
// Reading: the file must be UTF-8, its lines ending in CRLF (a bare LF is taken too) and folded at 75
// octets; continuation lines (starting with a blank or a tab) are joined first. Every problem is told
// with the number of the line it lies on, and nothing of a file with a problem is used.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::calendar {

inline constexpr std::size_t kFoldOctets = 75;
// A content line longer than this, once unfolded, is refused: no value of a task comes near it.
inline constexpr std::size_t kMaxContentOctets = 1 << 20;

// --- Writing ---------------------------------------------------------------------------------------

// A TEXT value: "\\", "\;", "\," and "\n" for a backslash, a semicolon, a comma and a line break (a CR
// before a LF is dropped); a byte that is not part of well-formed UTF-8 becomes U+FFFD.
std::string escapeText(std::string_view text);
// A parameter value: quoted when it holds ':', ';' or ','; double quotes, which no quoted value may
// hold, become single ones.
std::string parameterValue(std::string_view text);
// Appends one content line (without its line break), folded, with CRLF.
void appendContentLine(std::string& out, std::string_view line);

// --- Reading ---------------------------------------------------------------------------------------

struct Parameter {
    std::string name;  // upper case
    std::vector<std::string> values;
};

struct ContentLine {
    std::string name;  // upper case
    std::vector<Parameter> parameters;
    std::string value;  // as written: TEXT values still escaped
    int line = 0;       // where it starts in the file, from 1

    // The first value of a parameter, upper case or as written; nothing when absent.
    std::optional<std::string> parameter(std::string_view name) const;
};

// BEGIN:NAME ... END:NAME with its properties and the components inside it.
struct Component {
    std::string name;  // upper case: "VCALENDAR", "VEVENT", "VALARM"
    int line = 0;
    std::vector<ContentLine> properties;
    std::vector<Component> children;

    const ContentLine* property(std::string_view name) const;  // the first of that name
    int count(std::string_view name) const;
};

// The components at the top of a file (VCALENDAR objects); on a problem, its text ("line 12: ...") and
// nothing in out.
std::optional<std::string> parseCalendarText(std::string_view text, std::vector<Component>& out);
// The same, handing each component directly inside a VCALENDAR to `child` as soon as its END is read
// instead of keeping it (the VCALENDARs in out then hold none), so that a file of many events is read
// without holding them all. A problem found later is still returned: what the caller made of the
// components it was handed is then to be dropped.
std::optional<std::string> parseCalendarText(std::string_view text, std::vector<Component>& out,
                                             const std::function<void(Component&&)>& child);

// A TEXT value unescaped ("\n" and "\N" a line break; an unknown escape keeps the character after it).
std::string unescapeText(std::string_view value);
// A list value split at its unescaped commas, each part unescaped.
std::vector<std::string> splitTextList(std::string_view value);

}  // namespace tarvelo::calendar
