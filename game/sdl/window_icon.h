#pragma once

// The game's window icon: the picture of the icons installed for the desktop, drawn with them by
// scripts/make-icons.py and built into the program (SDL reads no PNG), so the window has it
// wherever the program runs from.

#include <cstddef>
#include <span>

namespace game {

inline constexpr int kWindowIconSize = 64;

// kWindowIconSize x kWindowIconSize pixels, row by row, each the bytes red, green, blue, alpha.
std::span<const std::byte> WindowIconPixels();

}  // namespace game
