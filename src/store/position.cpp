#include "store/position.h"

#include <charconv>

namespace tarvelo::store::detail {

namespace {

// Layout: "<key>.<rowid>" then, per key component, ".i<number>" or ".s<hex of the text>".

void appendHex(std::string& out, std::string_view text) {
    static const char* const kDigits = "0123456789abcdef";
    for (unsigned char c : text) {
        out += kDigits[c >> 4];
        out += kDigits[c & 0xf];
    }
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

template <class T>
bool parseNumber(std::string_view text, T& out) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string encodePosition(const Position& position) {
    std::string head = std::to_string(position.key) + "." + std::to_string(position.rowId);
    std::string out = head;
    for (const auto& value : position.keyValues) {
        out += '.';
        if (const auto* n = std::get_if<std::int64_t>(&value)) {
            out += 'i';
            out += std::to_string(*n);
        } else {
            out += 's';
            appendHex(out, std::get<std::string>(value));
        }
    }
    return out.size() <= kMaxPositionLength ? out : head;
}

std::optional<Position> decodePosition(std::string_view text) {
    if (text.size() > kMaxPositionLength) return std::nullopt;
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto dot = text.find('.', start);
        parts.push_back(text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    Position position;
    if (parts.size() < 2 || !parseNumber(parts[0], position.key) || !parseNumber(parts[1], position.rowId) ||
        position.key < kRecordOrder)
        return std::nullopt;
    for (std::size_t i = 2; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part.empty()) return std::nullopt;
        if (part[0] == 'i') {
            std::int64_t n = 0;
            if (!parseNumber(part.substr(1), n)) return std::nullopt;
            position.keyValues.emplace_back(n);
        } else if (part[0] == 's' && part.size() % 2 == 1) {
            std::string s;
            for (std::size_t j = 1; j < part.size(); j += 2) {
                const int hi = hexDigit(part[j]);
                const int lo = hexDigit(part[j + 1]);
                if (hi < 0 || lo < 0) return std::nullopt;
                s += static_cast<char>(hi * 16 + lo);
            }
            position.keyValues.emplace_back(std::move(s));
        } else {
            return std::nullopt;
        }
    }
    return position;
}

}  // namespace tarvelo::store::detail
