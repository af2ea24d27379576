#pragma once

// What a board leaves for the balls to clear. A brick never changes a ball's path: balls fly
// through unbreakable bricks as through empty cells and reach every cell of the grid, so every
// breakable brick is cleared sooner or later, wherever it stands. A board is finished when no
// breakable brick is left, and one that holds none can never be.

#include "shared/board_model.h"

namespace core {

// A cell that a ball clears: used (Used exactly -1) with a brick of the table that is not
// unbreakable (Unbreakable 0; any other value counts as unbreakable). A used cell whose brick
// the table lacks shows nothing and is never cleared, so it is not one.
bool HoldsBreakableBrick(const Board& board, GridCell cell);

// The number of cells that hold a breakable brick.
int CountBricksToClear(const Board& board);

}  // namespace core
