#include "platform/terminal/json_line.h"

#include "core/plain_text.h"

namespace tarvelo::platform {
namespace {

bool needsNoEscape(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        // Plain runs are copied whole: most texts are nothing else.
        std::size_t plain = i;
        while (plain < text.size() && needsNoEscape(static_cast<unsigned char>(text[plain]))) ++plain;
        out.append(text.data() + i, plain - i);
        i = plain;
        if (i == text.size()) break;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = utf8SequenceLength(text, i);
            if (n == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: {
            static const char* const kHex = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
        }
        ++i;
    }
    out += '"';
}

JsonLine& JsonLine::texts(std::string_view name, const std::vector<std::string_view>& values) {
    key(name);
    m_out += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) m_out += m_spacing == Spacing::spaced ? ", " : ",";
        appendJsonString(m_out, values[i]);
    }
    m_out += ']';
    return *this;
}

}  // namespace tarvelo::platform
