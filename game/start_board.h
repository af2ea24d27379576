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

// The default board an installation puts in its data folder, under a name of its own: the data
// folder can be the player's own (PREFIX=~/.local), and a reinstall must never replace the
// player's board.brd there.
inline constexpr const char* kInstalledBoardFileName = "default.brd";

// Where a board is looked for when none is named, in order: board.brd in the program's directory
// (so a build folder or a copied folder plays its own board), in $XDG_DATA_HOME/vantor (by
// default ~/.local/share/vantor), then in vantor/ below each folder of $XDG_DATA_DIRS (by
// default /usr/local/share and /usr/share); last the installation's own default board,
// ../share/vantor/default.brd from the program, wherever it was installed. Relative folders in
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
