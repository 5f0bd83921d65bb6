#include "cli/task_json.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include <nlohmann/json.hpp>

#include "core/plain_text.h"

namespace tarvelo::cli {
namespace {

using Value = TaskJsonReader::Value;

std::string quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

std::optional<std::string> readNumber(std::string_view key, const Value& v, std::int32_t& out) {
    if (v.type != Value::integer || v.number < std::numeric_limits<std::int32_t>::min() ||
        v.number > std::numeric_limits<std::int32_t>::max()) {
        return quoted(key) + " must be a whole number from -2147483648 to 2147483647";
    }
    out = static_cast<std::int32_t>(v.number);
    return std::nullopt;
}

std::optional<std::string> readFlag(std::string_view key, const Value& v, Byte& out) {
    if (v.type == Value::boolean) {
        out = v.flag ? 1 : 0;
    } else if (v.type == Value::integer && v.number >= 0 && v.number <= 255) {
        out = static_cast<Byte>(v.number);
    } else {
        return quoted(key) + " must be true, false or a number from 0 to 255";
    }
    return std::nullopt;
}

// Trailing blanks are never kept, so only what is left of them has to fit. As the entries take a text,
// the message keeps its line breaks and tabs, and no text any other control character.
std::optional<std::string> readText(const TaskJsonField& field, const Value& v, Task& task,
                                    TaskJsonReader::Texts texts) {
    if (v.type != Value::string) return quoted(field.key) + " must be a string";
    if (texts == TaskJsonReader::Texts::asEntered) {
        const LineBreaks breaks = field.key == "message" ? LineBreaks::kept : LineBreaks::refused;
        if (const auto problem = entryTextProblem(v.text, field.width, breaks)) return quoted(field.key) + " " + *problem;
    } else if (utf8Length(trimRight(v.text)) > field.width) {
        return quoted(field.key) + " holds at most " + std::to_string(field.width) + " characters";
    }
    field.setText(task, v.text);
    return std::nullopt;
}

// The direct reader of the objects that batches are made of: flat, with plain ASCII strings and integers
// of up to 18 digits. It leaves everything else (escapes, other letters, nesting, fractions, broken JSON)
// and every value the task does not take to the full reader, which decides it and words the problem.
class FlatReader {
public:
    FlatReader(const TaskJsonReader& reader, std::string_view text, Task& task, std::int32_t* extras)
        : m_reader(reader), m_p(text.data()), m_end(text.data() + text.size()), m_task(task), m_extras(extras) {}

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
            if (m_reader.take(key, value, m_task, m_extras, &m_next)) return false;
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
            v.type = Value::string;
            return readString(v.text);
        case 't':
            v.type = Value::boolean;
            v.flag = true;
            return readLiteral("true");
        case 'f':
            v.type = Value::boolean;
            v.flag = false;
            return readLiteral("false");
        case 'n':
            v.type = Value::null;
            return readLiteral("null");
        default:
            return readInteger(v);
        }
    }
    bool readInteger(Value& v) {
        const char* start = m_p;
        if (m_p < m_end && *m_p == '-') ++m_p;
        const char* digits = m_p;
        while (m_p < m_end && *m_p >= '0' && *m_p <= '9') ++m_p;
        const std::size_t count = static_cast<std::size_t>(m_p - digits);
        if (count == 0 || count > 18 || (count > 1 && *digits == '0')) return false;
        if (m_p < m_end && (*m_p == '.' || *m_p == 'e' || *m_p == 'E')) return false;
        v.type = Value::integer;
        return std::from_chars(start, m_p, v.number).ec == std::errc();
    }

    const TaskJsonReader& m_reader;
    const char* m_p;
    const char* m_end;
    Task& m_task;
    std::int32_t* m_extras;
    std::size_t m_next = 0;
};

Value valueOf(const nlohmann::json& item) {
    Value v;
    if (item.is_boolean()) {
        v.type = Value::boolean;
        v.flag = item.get<bool>();
    } else if (item.is_number_unsigned()) {
        const auto u = item.get<std::uint64_t>();
        v.type = u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) ? Value::integer
                                                                                          : Value::tooLarge;
        v.number = static_cast<std::int64_t>(u);
    } else if (item.is_number_integer()) {
        v.type = Value::integer;
        v.number = item.get<std::int64_t>();
    } else if (item.is_number_float()) {
        v.type = Value::fraction;
    } else if (item.is_string()) {
        v.type = Value::string;
        v.text = item.get_ref<const std::string&>();
    } else if (!item.is_null()) {
        v.type = Value::other;
    }
    return v;
}

}  // namespace

void writeTask(platform::JsonLine& line, const Task& task, std::span<const TaskJsonField> fields,
                   std::string_view except) {
    for (const TaskJsonField& f : fields) {
        if (f.key == except) continue;
        if (f.text) line.text(f.key, f.text(task));
        else if (f.flag) line.number(f.key, task.*f.flag);
        else line.number(f.key, task.*f.number);
    }
}

TaskJsonReader::TaskJsonReader(std::span<const TaskJsonField> fields, OtherKeys otherKeys,
                                       std::span<const std::string_view> extraKeys, Texts texts)
    : m_fields(fields),
      m_otherKeys(otherKeys),
      m_extraKeys(extraKeys.first(std::min(extraKeys.size(), kMaxExtras))),
      m_texts(texts) {}

std::optional<std::string> TaskJsonReader::take(std::string_view key, const Value& value, Task& task,
                                                    std::int32_t* extras, std::size_t* next) const {
    const std::size_t count = m_fields.size();
    const std::size_t start = next && *next < count ? *next : 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t i = start + k < count ? start + k : start + k - count;
        const TaskJsonField& f = m_fields[i];
        if (f.key.size() != key.size() || f.key[0] != key[0] || f.key != key) continue;
        if (next) *next = i + 1;
        if (value.type == Value::null) return std::nullopt;
        if (f.text) return readText(f, value, task, m_texts);
        if (f.flag) return readFlag(key, value, task.*f.flag);
        return readNumber(key, value, task.*f.number);
    }
    for (std::size_t i = 0; i < m_extraKeys.size(); ++i) {
        if (m_extraKeys[i] != key) continue;
        if (value.type == Value::null) return std::nullopt;
        std::int32_t ignored = 0;
        return readNumber(key, value, extras ? extras[i] : ignored);
    }
    if (m_otherKeys == OtherKeys::refuse) return "unknown key " + quoted(key);
    return std::nullopt;
}

std::optional<std::string> TaskJsonReader::read(std::string_view text, Task& task,
                                                    std::int32_t* extras) const {
    static const Task kBlank;
    const auto clear = [&] {
        task = kBlank;  // keeps the texts' buffers
        if (extras) std::fill(extras, extras + m_extraKeys.size(), 0);
    };
    clear();
    if (FlatReader(*this, text, task, extras).read()) return std::nullopt;
    clear();
    nlohmann::json doc;
    try {
        doc = nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& e) {  // also a number too large for a double
        std::string what = e.what();
        // "[json.exception.parse_error.101] parse error at ..." without the library's tag; the input it
        // quotes is kept to printable ASCII.
        if (const auto tag = what.find("] "); what.rfind("[json.", 0) == 0 && tag != std::string::npos)
            what.erase(0, tag + 2);
        for (char& c : what) {
            if (static_cast<unsigned char>(c) >= 0x80) c = '?';
        }
        return "invalid JSON: " + what;
    }
    if (!doc.is_object()) return "expected a JSON object";
    std::size_t next = 0;
    for (const auto& [key, item] : doc.items()) {
        if (auto problem = take(key, valueOf(item), task, extras, &next)) return problem;
    }
    return std::nullopt;
}

}  // namespace tarvelo::cli
