#include "ui/headless/json_line.h"

namespace tarvelo::headless {
namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t n = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) { n = 2; min = 0x80; }
    else if (lead >= 0xE0 && lead <= 0xEF) { n = 3; min = 0x800; }
    else if (lead >= 0xF0 && lead <= 0xF4) { n = 4; min = 0x10000; }
    else return 0;
    if (i + n > text.size()) return 0;
    std::uint32_t cp = lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

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

}  // namespace tarvelo::headless
