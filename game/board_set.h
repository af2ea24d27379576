#pragma once

// Boards played in turn: `Vantor a.brd b.brd ...` or `Vantor FOLDER`. When the last breakable
// brick of one is gone, the next starts (game.h); here is what a set is made of.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "shared/board_model.h"

namespace game {

// The board files named stands for, in order: a folder stands for the .brd files in it (the
// extension in any case) in name order, anything else for itself. Throws core::BoardError when a
// folder cannot be read or holds no .brd file.
std::vector<std::filesystem::path> BoardFiles(std::span<const std::filesystem::path> named);

// The boards the game starts with. No board named: the one LoadStartBoard finds (start_board.h).
// One board file named: that board, or its error. Otherwise every board of BoardFiles(named) in
// turn; a board that cannot be read is reported on notes, its message added to skipped, and
// left out. Throws core::BoardError when no board can be played.
std::vector<core::Board> LoadStartBoards(std::span<const std::filesystem::path> named,
                                         std::span<const std::filesystem::path> searchPath,
                                         std::span<const std::byte> builtIn, std::ostream& notes,
                                         std::vector<std::string>& skipped);

}  // namespace game
