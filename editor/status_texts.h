#pragma once

#include <cstddef>
#include <string>

#include "shared/board_model.h"

namespace editor {

// The status line's counts, the same in the desktop editor and the browser's: "1 brick",
// "2 bricks".
std::string Counted(std::size_t n, const char* one, const char* many);

// How many bricks a ball has left to clear ("3 bricks to clear"), or, for a board that shows
// bricks but none a ball can clear, that it can never be finished.
std::string BricksToClearText(const core::Board& board);

}  // namespace editor
