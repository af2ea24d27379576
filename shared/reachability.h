#pragma once

// Which breakable bricks are walled in: whether a board can be cleared brick by brick.

#include <vector>

#include "shared/board_model.h"

namespace core {

// A cell that a ball clears: used (Used exactly -1) with a brick of the table that is not
// unbreakable (Unbreakable 0; any other value counts as unbreakable).
bool HoldsBreakableBrick(const Board& board, GridCell cell);

// A cell that walls balls in: used with an unbreakable brick of the table. A used cell whose
// brick index lies outside the table shows nothing and stops nothing, like an empty one.
bool HoldsUnbreakableBrick(const Board& board, GridCell cell);

struct Reachability {
    int BreakableBricks = 0;            // cells that hold a breakable brick
    std::vector<GridCell> Unreachable;  // those of them walled in, in file order (row by row)
};

// Takes a ball to pass through every cell that is empty or holds a breakable brick, and to be
// stopped by unbreakable bricks. The grid spans the playfield from wall to wall and from the top
// wall down, so a ball comes in only from the open playfield below it: through the cells of the
// bottom row that do not hold an unbreakable brick. From a cell it goes on to the four cells
// beside it, never diagonally, since a ball cannot slip between two walls that meet at a
// corner. A breakable brick on no such path is walled in.
//
// This describes the layout, not play: the game's balls fly through unbreakable bricks too
// (a brick never changes a ball's path), so they still clear a walled-in brick.
Reachability FindUnreachableBricks(const Board& board);

}  // namespace core
