#include "core/plain_text.h"

#include <cstdint>

#include "core/fixed_text.h"

namespace tarvelo {
namespace {

// The code point of a well-formed sequence of n bytes at text[i].
std::uint32_t codePoint(std::string_view text, std::size_t i, std::size_t n) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    if (n == 1) return byte(i);
    std::uint32_t cp = byte(i) & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (byte(i + k) & 0x3F);
    return cp;
}

bool isControl(std::uint32_t cp) { return cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F); }
bool isLineBreakOrTab(std::uint32_t cp) { return cp == '\r' || cp == '\n' || cp == '\t'; }

void appendHex(std::string& out, const char* prefix, std::uint32_t value, int digits) {
    static const char* const kHex = "0123456789abcdef";
    out += prefix;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t n = 0;
    std::uint32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    }
    const std::uint32_t cp = codePoint(text, i, n);
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool isWellFormedUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8SequenceLength(text, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::optional<std::string> entryTextProblem(std::string_view text, LineBreaks breaks) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8SequenceLength(text, i);
        if (n == 0) return std::string("is not valid UTF-8");
        const std::uint32_t cp = codePoint(text, i, n);
        if (isControl(cp) && !(breaks == LineBreaks::kept && isLineBreakOrTab(cp))) {
            return std::string("holds a control character");
        }
        i += n;
    }
    return std::nullopt;
}

std::optional<std::string> entryTextProblem(std::string_view text, std::size_t width, LineBreaks breaks) {
    if (auto problem = entryTextProblem(text, breaks)) return problem;
    // Trailing blanks are never kept, so only what is left of them has to fit.
    if (utf8Length(trimRight(text)) > width) return "holds at most " + std::to_string(width) + " characters";
    return std::nullopt;
}

std::string printable(std::string_view text, LineBreaks breaks) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8SequenceLength(text, i);
        if (n == 0) {
            appendHex(out, "\\x", static_cast<unsigned char>(text[i]), 2);
            ++i;
            continue;
        }
        const std::uint32_t cp = codePoint(text, i, n);
        if (!isControl(cp)) {
            out.append(text.substr(i, n));
        } else if (breaks == LineBreaks::kept && isLineBreakOrTab(cp)) {
            if (cp == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += cp == '\t' ? '\t' : '\n';
        } else {
            switch (cp) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case 0x1B: out += "\\e"; break;
            default: appendHex(out, cp < 0x80 ? "\\x" : "\\u", cp, cp < 0x80 ? 2 : 4);
            }
        }
        i += n;
    }
    return out;
}

std::string withoutControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8SequenceLength(text, i);
        if (n == 0) {
            out += text[i++];  // left to the field that keeps it, which counts it as a character
            continue;
        }
        const std::uint32_t cp = codePoint(text, i, n);
        if (isControl(cp)) {
            if (cp == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += ' ';
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    return out;
}

}  // namespace tarvelo
