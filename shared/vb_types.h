#pragma once

#include <cstdint>

namespace core {

// Booleans on disk and in the board model are 16-bit integers: true is -1 (all bits set),
// false is 0. Several rules accept only exactly -1 as true, so the raw value is kept.
using VbBool = std::int16_t;
inline constexpr VbBool kTrue = -1;
inline constexpr VbBool kFalse = 0;

inline constexpr VbBool ToVbBool(bool b) {
    return b ? kTrue : kFalse;
}

}  // namespace core
