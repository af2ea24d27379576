#pragma once

// The board the game plays: board.brd beside the program, or the default board built into it.

#include <cstddef>
#include <filesystem>
#include <ostream>
#include <span>

#include "shared/board_model.h"

namespace game {

inline constexpr const char* kBoardFileName = "board.brd";

// Follows the reason when board.brd exists but cannot be played.
inline constexpr const char* kDamagedBoardAdvice =
    ". Replace or delete this file (without it the game plays its built-in board), or start "
    "the game with another board.";

// board.brd in the program's directory.
std::filesystem::path BoardPathIn(const std::filesystem::path& programDirectory);

// Reads the board at path into board. When no file is there, the built-in board is played
// instead and a line on notes says so. Throws core::BoardError, with board unchanged, when the
// file exists but cannot be read or fails validation (the message then ends with
// kDamagedBoardAdvice), and when it is missing and builtIn is empty
// (a build without a default board).
void LoadStartBoard(const std::filesystem::path& path, std::span<const std::byte> builtIn,
                    core::Board& board, std::ostream& notes);

}  // namespace game
