#pragma once
// Names for the cases of parameterised suites, made of what the case holds, so a test's name says what it
// checks and stays the same from run to run. gtest takes letters, digits and '_' only: a blank becomes
// '_', other characters a short word, so two texts that differ in their punctuation get two names.
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

namespace tarvelo::test {

inline std::string caseName(std::string_view text) {
    if (text.empty()) return "Empty";
    std::string name;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c)) {
            name += ch;
            continue;
        }
        switch (ch) {
        case ' ': name += '_'; break;
        case ',': name += "Comma"; break;
        case '.': name += "Dot"; break;
        case '/': name += "Slash"; break;
        case '\\': name += "Backslash"; break;
        case ':': name += "Colon"; break;
        case '-': name += "Minus"; break;
        case '@': name += "At"; break;
        default: {
            char hex[8];
            std::snprintf(hex, sizeof hex, "X%02X", c);
            name += hex;
        }
        }
    }
    return name;
}

// The generator of a suite whose cases are named by one of their text fields.
template <auto Field>
struct NamedBy {
    template <class Info>
    std::string operator()(const Info& info) const {
        return caseName(info.param.*Field);
    }
};

}  // namespace tarvelo::test
