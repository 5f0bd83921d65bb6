#pragma once
// Whole numbers the environment sets for a process: the waits the tests shorten.
#include <cstdlib>
#include <optional>

namespace tarvelo {

// The non-negative whole number $name holds; nothing when it is unset, empty or anything else.
inline std::optional<long long> wholeNumberFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return std::nullopt;
    char* end = nullptr;
    const long long n = std::strtoll(text, &end, 10);
    if (*end != '\0' || n < 0) return std::nullopt;
    return n;
}

}  // namespace tarvelo
