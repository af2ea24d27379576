#pragma once

#include <cstddef>
#include <span>

namespace game {

// The default board's file (assets/board.brd), built into the program for when board.brd is
// missing.
std::span<const std::byte> BuiltInBoard();

}  // namespace game
