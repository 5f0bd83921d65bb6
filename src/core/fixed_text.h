#pragma once
// Fixed-width text fields of the records.
//
// A FixedText<N> holds at most N characters (code points) of UTF-8, whatever their encoded length, so
// "é" fits as often as "e". Assigning a longer text cuts it after the Nth character. Trailing blanks are never significant: they are dropped on assignment, so
// comparison, display (text()) and emptiness all ignore them, and padded() gives the blank-padded form
// when a full-width picture is wanted. A CSTRING of width N holds at most N - 1 characters: CText<N>.
#include <compare>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarvelo {

// The first maxChars characters of text. A character is a byte with the continuation bytes (10xxxxxx)
// that follow it, four bytes at most; so damaged text is counted too, and a width always bounds the bytes.
std::string_view utf8Prefix(std::string_view text, std::size_t maxChars);
// The number of characters of text, counted as utf8Prefix counts them.
std::size_t utf8Length(std::string_view text);
// text without its trailing blanks (spaces; also NULs, which a zero-terminated field may carry).
std::string_view trimRight(std::string_view text);

template <std::size_t N>
class FixedText {
public:
    static constexpr std::size_t kWidth = N;

    FixedText() = default;
    FixedText(std::string_view text) { assign(text); }  // NOLINT: fields are assigned from text freely
    FixedText(const char* text) { assign(text); }       // NOLINT
    FixedText(const std::string& text) { assign(text); }  // NOLINT

    FixedText& operator=(std::string_view text) { assign(text); return *this; }
    FixedText& operator=(const char* text) { assign(text); return *this; }
    FixedText& operator=(const std::string& text) { assign(text); return *this; }

    void assign(std::string_view text) { m_text = std::string(trimRight(utf8Prefix(text, N))); }
    void clear() { m_text.clear(); }

    // The text with trailing blanks removed, as it is shown.
    const std::string& text() const { return m_text; }
    std::string padded() const { return m_text + std::string(N - utf8Length(m_text), ' '); }
    bool isBlank() const { return m_text.empty(); }
    bool empty() const { return m_text.empty(); }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.m_text == b.m_text; }
    friend bool operator==(const FixedText& a, std::string_view b) { return a.m_text == trimRight(b); }
    // Exact matches for literals and strings, which would otherwise convert equally well to FixedText and
    // to string_view and make `field == "None"` ambiguous.
    friend bool operator==(const FixedText& a, const char* b) { return a.m_text == trimRight(b); }
    friend bool operator==(const FixedText& a, const std::string& b) { return a.m_text == trimRight(b); }
    friend auto operator<=>(const FixedText& a, const FixedText& b) { return a.m_text <=> b.m_text; }

private:
    std::string m_text;
};

// A zero-terminated field of N bytes: N - 1 characters at most.
template <std::size_t N>
using CText = FixedText<N - 1>;

// A variable text of at most N bytes kept with its record (the memo).
template <std::size_t N>
using MemoText = FixedText<N>;

inline std::string_view trimRight(std::string_view text) {
    std::size_t n = text.size();
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\0')) --n;
    return text.substr(0, n);
}

namespace detail {
// The length in bytes of the character at text[i]: its lead byte and up to three continuation bytes
// (10xxxxxx). Anything else, damaged text included, is one byte a character, so no character is ever
// longer than four bytes.
inline std::size_t utf8CharLength(std::string_view text, std::size_t i) {
    std::size_t n = 1;
    while (n < 4 && i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
    return n;
}
}  // namespace detail

inline std::string_view utf8Prefix(std::string_view text, std::size_t maxChars) {
    if (text.size() <= maxChars) return text;  // never more characters than bytes
    std::size_t i = 0;
    for (std::size_t chars = 0; chars < maxChars && i < text.size(); ++chars) i += detail::utf8CharLength(text, i);
    return text.substr(0, i);
}

inline std::size_t utf8Length(std::string_view text) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++chars) i += detail::utf8CharLength(text, i);
    return chars;
}

}  // namespace tarvelo
