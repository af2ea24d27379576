#pragma once

#include <cstddef>
#include <span>

namespace game {

// The default board's file, built into the program for when board.brd is missing; empty in a
// build made without the default board.
std::span<const std::byte> BuiltInBoard();

}  // namespace game
