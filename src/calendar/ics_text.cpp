#include "calendar/ics_text.h"

#include <cctype>
#include <cstdio>

namespace tarvelo::calendar {
namespace {

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

std::string lineProblem(int line, const std::string& text) { return "line " + std::to_string(line) + ": " + text; }

// The length of the valid UTF-8 sequence at text[i], or 0 when there is none (a stray continuation byte,
// an overlong form, a surrogate, a code point past U+10FFFF, a sequence cut short).
std::size_t utf8Sequence(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t n = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if (!isContinuation(byte(k))) return 0;
        cp = (cp << 6) | (byte(k) & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

// One content line taken apart: its name, its parameters (a ':' or ';' inside quotes belongs to the
// value) and, after the first ':' outside quotes, its value.
class LineReader {
public:
    LineReader(std::string_view text, int line) : m_text(text), m_line(line) {}

    std::optional<std::string> read(ContentLine& out) {
        out.line = m_line;
        const std::size_t nameEnd = scanName();
        if (nameEnd == 0) return problem("'" + excerpt() + "' is not a content line (NAME:value)");
        out.name = upper(m_text.substr(0, nameEnd));
        m_at = nameEnd;
        while (m_at < m_text.size() && m_text[m_at] == ';') {
            ++m_at;
            Parameter p;
            const std::size_t start = m_at;
            while (m_at < m_text.size() && isNameChar(m_text[m_at])) ++m_at;
            if (m_at == start || m_at >= m_text.size() || m_text[m_at] != '=')
                return problem("a parameter of " + out.name + " is not NAME=value");
            p.name = upper(m_text.substr(start, m_at - start));
            do {
                ++m_at;  // past '=' or ','
                std::string value;
                if (auto bad = paramValue(value)) return bad;
                p.values.push_back(std::move(value));
            } while (m_at < m_text.size() && m_text[m_at] == ',');
            out.parameters.push_back(std::move(p));
        }
        if (m_at >= m_text.size() || m_text[m_at] != ':') return problem(out.name + " has no ':' before its value");
        out.value = std::string(m_text.substr(m_at + 1));
        return std::nullopt;
    }

private:
    std::size_t scanName() const {
        std::size_t n = 0;
        while (n < m_text.size() && isNameChar(m_text[n])) ++n;
        if (n == m_text.size() || (m_text[n] != ':' && m_text[n] != ';')) return 0;
        return n;
    }
    std::optional<std::string> paramValue(std::string& value) {
        if (m_at < m_text.size() && m_text[m_at] == '"') {
            const std::size_t close = m_text.find('"', m_at + 1);
            if (close == std::string_view::npos) return problem("a quoted parameter value is not closed");
            value = std::string(m_text.substr(m_at + 1, close - m_at - 1));
            m_at = close + 1;
            return std::nullopt;
        }
        const std::size_t start = m_at;
        while (m_at < m_text.size() && m_text[m_at] != ';' && m_text[m_at] != ':' && m_text[m_at] != ',') ++m_at;
        value = std::string(m_text.substr(start, m_at - start));
        return std::nullopt;
    }
    std::string excerpt() const {
        std::string_view cut = m_text.substr(0, 40);
        while (!cut.empty() && isContinuation(static_cast<unsigned char>(cut.back()))) cut.remove_suffix(1);
        if (!cut.empty() && static_cast<unsigned char>(cut.back()) >= 0xC0) cut.remove_suffix(1);
        return std::string(cut) + (cut.size() < m_text.size() ? "..." : "");
    }
    std::string problem(const std::string& text) const { return lineProblem(m_line, text); }

    std::string_view m_text;
    int m_line;
    std::size_t m_at = 0;
};

}  // namespace

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            // A damaged stored text still makes a file that calendars (and this program) can read.
            const std::size_t n = utf8Sequence(text, i);
            out.append(n == 0 ? std::string_view("\xEF\xBF\xBD") : text.substr(i, n));
            i += n == 0 ? 1 : n;
            continue;
        }
        switch (c) {
        case '\\': out += "\\\\"; break;
        case ';': out += "\\;"; break;
        case ',': out += "\\,"; break;
        case '\n': out += "\\n"; break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n') break;
            out += "\\n";
            break;
        default: out += c;
        }
        ++i;
    }
    return out;
}

std::string parameterValue(std::string_view text) {
    std::string value(text);
    for (char& c : value)
        if (c == '"') c = '\'';
    if (value.find_first_of(":;,") == std::string::npos) return value;
    return '"' + value + '"';
}

void appendContentLine(std::string& out, std::string_view line) {
    std::size_t room = kFoldOctets;
    while (line.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && isContinuation(static_cast<unsigned char>(line[cut]))) --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        room = kFoldOctets - 1;
    }
    out.append(line);
    out += "\r\n";
}

std::optional<std::string> ContentLine::parameter(std::string_view wanted) const {
    for (const Parameter& p : parameters)
        if (p.name == wanted && !p.values.empty()) return p.values.front();
    return std::nullopt;
}

const ContentLine* Component::property(std::string_view wanted) const {
    for (const ContentLine& p : properties)
        if (p.name == wanted) return &p;
    return nullptr;
}

int Component::count(std::string_view wanted) const {
    int n = 0;
    for (const ContentLine& p : properties) n += p.name == wanted;
    return n;
}

std::optional<std::string> parseCalendarText(std::string_view text, std::vector<Component>& out) {
    return parseCalendarText(text, out, {});
}

std::optional<std::string> parseCalendarText(std::string_view text, std::vector<Component>& out,
                                             const std::function<void(Component&&)>& child) {
    out.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<Component> open;  // the components begun and not yet ended, innermost last
    std::vector<Component> done;
    std::string content;  // the content line being joined
    int contentLine = 0;

    const auto finish = [&]() -> std::optional<std::string> {
        if (contentLine == 0) return std::nullopt;
        ContentLine line;
        if (auto bad = LineReader(content, contentLine).read(line)) return bad;
        contentLine = 0;
        if (line.name == "BEGIN") {
            Component c;
            c.name = upper(line.value);
            c.line = line.line;
            c.properties.reserve(16);  // an event of ours has about a dozen
            if (c.name.empty()) return lineProblem(line.line, "BEGIN names no component");
            open.push_back(std::move(c));
            return std::nullopt;
        }
        if (open.empty()) return lineProblem(line.line, line.name + " stands outside any BEGIN:VCALENDAR ... END:VCALENDAR");
        if (line.name == "END") {
            if (upper(line.value) != open.back().name) {
                return lineProblem(line.line, "END:" + line.value + " where END:" + open.back().name + " (begun at line " +
                                                  std::to_string(open.back().line) + ") belongs");
            }
            Component c = std::move(open.back());
            open.pop_back();
            if (child && open.size() == 1 && open.front().name == "VCALENDAR") {
                child(std::move(c));
            } else {
                (open.empty() ? done : open.back().children).push_back(std::move(c));
            }
            return std::nullopt;
        }
        open.back().properties.push_back(std::move(line));
        return std::nullopt;
    };

    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        ++number;
        std::size_t end = text.find('\n', at);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view physical = text.substr(at, end - at);
        if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
        at = next;

        for (std::size_t i = 0; i < physical.size();) {
            const std::size_t n = utf8Sequence(physical, i);
            if (n == 0) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(physical[i]));
                return lineProblem(number, std::string("not UTF-8 text (byte ") + hex + " at octet " +
                                               std::to_string(i + 1) + ")");
            }
            i += n;
        }
        if (physical.size() > kFoldOctets) {
            return lineProblem(number, "the line is " + std::to_string(physical.size()) +
                                           " octets long; iCalendar lines are folded at " + std::to_string(kFoldOctets));
        }
        if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t')) {
            if (contentLine == 0) return lineProblem(number, "a folded continuation follows no content line");
            if (content.size() + physical.size() > kMaxContentOctets + 1) {
                return lineProblem(contentLine, "a content line longer than " + std::to_string(kMaxContentOctets) +
                                                    " octets is not read");
            }
            content.append(physical.substr(1));
            continue;
        }
        if (auto bad = finish()) return bad;
        if (physical.empty()) continue;  // a blank line (as at the very end) carries nothing
        content.assign(physical);
        contentLine = number;
    }
    // A problem with the last line of a file that does not end with a line break is the file's end.
    const int last = contentLine;
    if (auto bad = finish()) {
        if (text.back() == '\n') return bad;
        return lineProblem(last, "the file ends in the middle of this line: it is cut short");
    }
    if (!open.empty()) {
        return "the file ends inside " + open.back().name + " (begun at line " + std::to_string(open.back().line) +
               "): it is cut short";
    }
    if (done.empty()) return std::string("the file holds no BEGIN:VCALENDAR");
    for (const Component& c : done) {
        if (c.name != "VCALENDAR") return lineProblem(c.line, c.name + " stands outside any VCALENDAR");
    }
    out = std::move(done);
    return std::nullopt;
}

std::string unescapeText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char c = value[++i];
        out += (c == 'n' || c == 'N') ? '\n' : c;
    }
    return out;
}

std::vector<std::string> splitTextList(std::string_view value) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value[i] == '\\') {
            ++i;
            continue;
        }
        if (i == value.size() || value[i] == ',') {
            parts.push_back(unescapeText(value.substr(start, i - start)));
            start = i + 1;
        }
    }
    return parts;
}

}  // namespace tarvelo::calendar
