#pragma once

// A board file dropped onto the game's window: played from the start, or refused with the game
// going on as it was.

#include <filesystem>
#include <ostream>

#include "game/game.h"

namespace game {

// Reads the board at path whole; only then does it replace the game's board, and the game starts
// over as at start-up: the board is drawn afresh as the background and one ball waits on the
// paddle, which stays where the mouse put it. The pause is left as it is. Writes on notes which
// board is played. Throws core::BoardError, with the game unchanged, when the file cannot be read
// or fails validation.
void PlayDroppedBoard(Game& form, const std::filesystem::path& path, std::ostream& notes);

}  // namespace game
