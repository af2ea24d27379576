#pragma once

// The board the game plays: one named on the command line, else the first board.brd found beside
// the program or in the data folders, else the default board built into it.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <vector>

#include "shared/board_model.h"

namespace game {

inline constexpr const char* kBoardFileName = "board.brd";

// Follows the reason when a board.brd that was found cannot be played.
inline constexpr const char* kDamagedBoardAdvice =
    ". Replace or delete this file (without it the game plays its built-in board), or start "
    "the game with another board.";

// board.brd in the program's directory.
std::filesystem::path BoardPathIn(const std::filesystem::path& programDirectory);

// The environment variables the data folders come from; null when unset.
struct DataEnvironment {
    const char* xdgDataHome = nullptr;
    const char* xdgDataDirs = nullptr;
    const char* home = nullptr;
};

// The process's own environment.
DataEnvironment ProcessDataEnvironment();

// Where board.brd is looked for when no board is named, in order: the program's directory (so a
// build folder or a copied folder plays its own board), $XDG_DATA_HOME/vantor (by default
// ~/.local/share/vantor), then vantor/ below each folder of $XDG_DATA_DIRS (by default
// /usr/local/share and /usr/share, where the installed default board is). Relative folders in
// the variables are ignored, as the XDG base directory rules say.
std::vector<std::filesystem::path> BoardSearchPath(const std::filesystem::path& programDirectory,
                                                   const DataEnvironment& environment);

// Reads the board to play into board and writes on notes which one it is. A named board is
// played or is an error. Otherwise the first path of searchPath that exists is played; when none
// does, the built-in board. Throws core::BoardError, with board unchanged, when the chosen file
// cannot be read or fails validation (for a board that was found rather than named, the message
// ends with kDamagedBoardAdvice), and when nothing is found and builtIn is empty (a build without
// a default board).
void LoadStartBoard(const std::optional<std::filesystem::path>& named,
                    std::span<const std::filesystem::path> searchPath,
                    std::span<const std::byte> builtIn, core::Board& board, std::ostream& notes);

// The line that tells which board is played.
void NotePlaying(const std::filesystem::path& path, std::ostream& notes);

}  // namespace game
