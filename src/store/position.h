#pragma once
// Position strings: which record, in which key. A position names the key, the row and the row's key
// value when the position was taken, so that repositioning still finds the place when the record has
// been deleted since. The text is opaque to callers and at most kMaxPositionLength bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"

namespace tarvelo::store::detail {

inline constexpr std::size_t kMaxPositionLength = 512;

struct Position {
    int key = 0;
    std::int64_t rowId = 0;
    std::vector<Value> keyValues;  // empty when they did not fit
};

std::string encodePosition(const Position& position);
// nullopt for a text that no encodePosition made.
std::optional<Position> decodePosition(std::string_view text);

}  // namespace tarvelo::store::detail
