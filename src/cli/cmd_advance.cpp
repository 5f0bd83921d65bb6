// advance and valid: the recurrence rules over batches of tasks, one JSON object per line in and one per
// line out, in the same order, so that whole batches can be checked and timed.
//
// The lines are flat objects of numbers and short strings, so a small parser reads them directly; any line
// it does not take (escapes, non-ASCII text, nesting, a wrong type, broken JSON) is handed to nlohmann-json,
// which decides it and words the error. Both apply the same rules through assign(), so they agree.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "cli/schedule_json.h"
#include "data/records.h"
#include "tasks/recurrence.h"
#include "ui/ports.h"

namespace tarvelo::cli {
namespace {

using i64 = std::int64_t;

// The task's fields in the order they are printed. A missing key is blank or 0.
using Field = ScheduleJsonField;
constexpr const auto& kFields = kRecurrenceJsonFields;

// One line's content: the task and the command's own numbers (ref_date, ref_time or check_date).
struct Line {
    Schedule task;
    std::int32_t extra[2] = {0, 0};
};

// The command's own keys, each the index of its slot in Line::extra.
struct Extras {
    std::string_view keys[2];
};

const Extras kAdvanceExtras{{"ref_date", "ref_time"}};
const Extras kValidExtras{{"check_date", ""}};

struct Value {
    enum Type { Null, Bool, Integer, Unsigned, Float, String, Other } type = Null;
    bool boolean = false;
    i64 integer = 0;
    std::string_view text;
};

std::string quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

bool toInt32(const Value& v, std::int32_t& out) {
    if (v.type != Value::Integer || v.integer < INT32_MIN || v.integer > INT32_MAX) return false;
    out = static_cast<std::int32_t>(v.integer);
    return true;
}

// Applies one key's value; returns the error text when the value does not fit the key. Unknown keys are
// ignored, and null counts as missing.
std::optional<std::string> assign(Line& line, const Extras& extras, std::string_view key, const Value& v) {
    for (int i = 0; i < 2; ++i) {
        if (extras.keys[i].empty() || extras.keys[i] != key) continue;
        if (v.type == Value::Null) return std::nullopt;
        if (!toInt32(v, line.extra[i])) return quoted(key) + " must be a whole number from -2147483648 to 2147483647";
        return std::nullopt;
    }
    for (const Field& f : kFields) {
        if (f.key != key) continue;
        if (v.type == Value::Null) return std::nullopt;
        if (f.text) {
            if (v.type != Value::String) return quoted(key) + " must be a string";
            f.setText(line.task, v.text);
        } else if (f.flag) {
            if (v.type == Value::Bool) {
                line.task.*f.flag = v.boolean ? 1 : 0;
            } else if (v.type == Value::Integer && v.integer >= 0 && v.integer <= 255) {
                line.task.*f.flag = static_cast<Byte>(v.integer);
            } else {
                return quoted(key) + " must be true, false or a number from 0 to 255";
            }
        } else if (!toInt32(v, line.task.*f.number)) {
            return quoted(key) + " must be a whole number from -2147483648 to 2147483647";
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// The direct reader of a flat object. Returns false on anything it leaves to nlohmann.
class FlatReader {
public:
    FlatReader(std::string_view text, Line& line, const Extras& extras)
        : m_p(text.data()), m_end(text.data() + text.size()), m_line(line), m_extras(extras) {}

    bool read() {
        skipBlanks();
        if (!take('{')) return false;
        skipBlanks();
        if (take('}')) return atEnd();
        for (;;) {
            std::string_view key;
            Value value;
            skipBlanks();
            if (!readString(key)) return false;
            skipBlanks();
            if (!take(':')) return false;
            skipBlanks();
            if (!readValue(value)) return false;
            if (assign(m_line, m_extras, key, value)) return false;
            skipBlanks();
            if (take('}')) return atEnd();
            if (!take(',')) return false;
        }
    }

private:
    void skipBlanks() {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r')) ++m_p;
    }
    bool take(char c) {
        if (m_p < m_end && *m_p == c) {
            ++m_p;
            return true;
        }
        return false;
    }
    bool atEnd() {
        skipBlanks();
        return m_p == m_end;
    }
    // Plain ASCII strings without escapes only.
    bool readString(std::string_view& out) {
        if (!take('"')) return false;
        const char* start = m_p;
        while (m_p < m_end) {
            const unsigned char c = static_cast<unsigned char>(*m_p);
            if (c == '"') {
                out = std::string_view(start, static_cast<std::size_t>(m_p - start));
                ++m_p;
                return true;
            }
            if (c == '\\' || c < 0x20 || c >= 0x80) return false;
            ++m_p;
        }
        return false;
    }
    bool readLiteral(std::string_view word) {
        if (static_cast<std::size_t>(m_end - m_p) < word.size() || std::string_view(m_p, word.size()) != word)
            return false;
        m_p += word.size();
        return true;
    }
    bool readValue(Value& v) {
        if (m_p == m_end) return false;
        switch (*m_p) {
        case '"':
            v.type = Value::String;
            return readString(v.text);
        case 't':
            v.type = Value::Bool;
            v.boolean = true;
            return readLiteral("true");
        case 'f':
            v.type = Value::Bool;
            v.boolean = false;
            return readLiteral("false");
        case 'n':
            v.type = Value::Null;
            return readLiteral("null");
        default:
            return readInteger(v);
        }
    }
    // JSON integers of up to 18 digits; fractions, exponents and longer numbers go to nlohmann.
    bool readInteger(Value& v) {
        const char* start = m_p;
        if (m_p < m_end && *m_p == '-') ++m_p;
        const char* digits = m_p;
        while (m_p < m_end && *m_p >= '0' && *m_p <= '9') ++m_p;
        const std::size_t count = static_cast<std::size_t>(m_p - digits);
        if (count == 0 || count > 18 || (count > 1 && *digits == '0')) return false;
        if (m_p < m_end && (*m_p == '.' || *m_p == 'e' || *m_p == 'E')) return false;
        v.type = Value::Integer;
        return std::from_chars(start, m_p, v.integer).ec == std::errc();
    }

    const char* m_p;
    const char* m_end;
    Line& m_line;
    const Extras& m_extras;
};

// The full reader, for the lines the direct one leaves. Returns the error text, if any.
std::optional<std::string> readWithLibrary(std::string_view text, Line& line, const Extras& extras) {
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& e) {  // also a number too large for a double
        std::string what = e.what();
        // "[json.exception.parse_error.101] parse error at ..." without the library's tag.
        if (const auto tag = what.find("] "); what.rfind("[json.", 0) == 0 && tag != std::string::npos)
            what.erase(0, tag + 2);
        return "invalid JSON: " + what;
    }
    if (!doc.is_object()) return "expected a JSON object";
    line = Line{};
    for (const auto& entry : doc.items()) {
        const std::string& key = entry.key();
        const nlohmann::json& item = entry.value();
        Value v;
        std::string textValue;
        if (item.is_null()) {
            v.type = Value::Null;
        } else if (item.is_boolean()) {
            v.type = Value::Bool;
            v.boolean = item.get<bool>();
        } else if (item.is_number_unsigned()) {
            const auto u = item.get<std::uint64_t>();
            v.type = u <= static_cast<std::uint64_t>(INT64_MAX) ? Value::Integer : Value::Unsigned;
            v.integer = static_cast<i64>(u);
        } else if (item.is_number_integer()) {
            v.type = Value::Integer;
            v.integer = item.get<i64>();
        } else if (item.is_number_float()) {
            v.type = Value::Float;
        } else if (item.is_string()) {
            v.type = Value::String;
            textValue = item.get<std::string>();
            v.text = textValue;
        } else {
            v.type = Value::Other;
        }
        if (auto error = assign(line, extras, key, v)) return error;
    }
    return std::nullopt;
}

// Output, written in large blocks.
class Output {
public:
    ~Output() { flush(); }
    void put(std::string_view s) {
        m_buffer.append(s);
        if (m_buffer.size() >= (1u << 16)) flush();
    }
    void put(char c) { m_buffer.push_back(c); }
    void number(i64 n) {
        char digits[24];
        const auto r = std::to_chars(digits, digits + sizeof digits, n);
        m_buffer.append(digits, static_cast<std::size_t>(r.ptr - digits));
    }
    void string(std::string_view s) {
        static const char kHex[] = "0123456789abcdef";
        put('"');
        for (const char ch : s) {
            const unsigned char c = static_cast<unsigned char>(ch);
            if (c == '"' || c == '\\') {
                put('\\');
                put(ch);
            } else if (c < 0x20 || c == 0x7f) {
                put("\\u00");
                put(kHex[c >> 4]);
                put(kHex[c & 15]);
            } else {
                put(ch);
            }
        }
        put('"');
    }
    void error(std::string_view message) {
        // The library quotes the input it stopped at; keep only printable ASCII of it.
        std::string clean;
        for (const char ch : message) clean.push_back(static_cast<unsigned char>(ch) >= 0x80 ? '?' : ch);
        put("{\"error\": ");
        string(clean);
        put("}\n");
    }
    void flush() {
        if (!m_buffer.empty()) std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
        m_buffer.clear();
    }

private:
    std::string m_buffer;
};

// Counts the boxes instead of showing them; each is answered with its default button.
class CountingMessageBox : public ui::MessageBoxPort {
public:
    int show(const ui::MessageBoxRequest& request) override {
        ++m_count;
        return request.defaultButton;
    }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

void printTask(Output& out, const Schedule& task, bool invalidUnits) {
    bool first = true;
    for (const Field& f : kFields) {
        out.put(first ? "{\"" : ", \"");
        first = false;
        out.put(f.key);
        out.put("\": ");
        if (f.text) {
            out.string(f.text(task));
        } else if (f.flag) {
            out.number(task.*f.flag);
        } else {
            out.number(task.*f.number);
        }
    }
    if (invalidUnits) out.put(", \"invalid_units\": true");
    out.put("}\n");
}

// Reads standard input line by line, in large blocks, and hands each line (without its line end) to handle.
template <typename Handler>
void forEachLine(Handler handle) {
    std::vector<char> block(1u << 20);
    std::string carry;
    for (;;) {
        const std::size_t n = std::fread(block.data(), 1, block.size(), stdin);
        if (n == 0) break;
        std::string_view data(block.data(), n);
        while (!data.empty()) {
            const std::size_t end = data.find('\n');
            if (end == std::string_view::npos) {
                carry.append(data);
                break;
            }
            if (carry.empty()) {
                handle(data.substr(0, end));
            } else {
                carry.append(data.substr(0, end));
                handle(std::string_view(carry));
                carry.clear();
            }
            data.remove_prefix(end + 1);
        }
    }
    if (!carry.empty()) handle(std::string_view(carry));
}

// Runs each line through `apply`, or prints its error.
template <typename Apply>
int runLines(const char* name, const std::vector<std::string>& args, const Extras& extras, Apply apply) {
    if (!args.empty()) {
        std::fprintf(stderr, "tarvelo96-cli %s: unexpected argument '%s' (the tasks come on standard input)\n", name,
                     args.front().c_str());
        return 2;
    }
    Output out;
    Line line;
    forEachLine([&](std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        line = Line{};
        if (!FlatReader(text, line, extras).read()) {
            line = Line{};
            if (const auto error = readWithLibrary(text, line, extras)) {
                out.error(*error);
                return;
            }
        }
        apply(out, line);
    });
    return 0;
}

int runAdvance(const std::vector<std::string>& args) {
    return runLines("advance", args, kAdvanceExtras, [](Output& out, Line& line) {
        CountingMessageBox messages;
        advanceTask(line.task, line.extra[0], line.extra[1], messages);
        printTask(out, line.task, messages.count() > 0);
    });
}

int runValid(const std::vector<std::string>& args) {
    return runLines("valid", args, kValidExtras, [](Output& out, Line& line) {
        out.put(validScheduleDate(line.task, line.extra[0]) ? "{\"valid\": true}\n" : "{\"valid\": false}\n");
    });
}

const Registration kAdvance{"advance",
                            "advance   move tasks on: one JSON object per line on stdin (the task's fields in lower "
                            "case, plus ref_date and ref_time), each printed back moved on, with "
                            "\"invalid_units\": true when the Invalid Units box would have been shown",
                            &runAdvance};
const Registration kValid{"valid",
                          "valid   check dates against tasks: one JSON object per line on stdin (the task's "
                          "fields plus check_date, 0 for the task's own date); prints {\"valid\": true|false}",
                          &runValid};

}  // namespace
}  // namespace tarvelo::cli
