#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace editor {

// Mouse button values as the window's handlers receive them: the sum of every button held.
inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;

// The board view is one pixel wider and higher than the cells so that the closing grid lines
// at x = 600 and y = 300 show.
inline constexpr int kViewWidth = core::kBoardWidth + 1;
inline constexpr int kViewHeight = core::kBoardHeight + 1;

using core::GridCell;

// The cell under a board-view position, each index floored and clamped to 0 .. 19, so that a
// pointer held beyond an edge stays on the edge cell.
GridCell CellUnderPointer(double x, double y);

// The cells a stroke from `from` to `to` passes, in order, both ends included: every cell that
// the straight line between the two cells' centres crosses. Consecutive cells share an edge
// (the walk is 4-connected), which is what a slow drag, moving from cell to neighbouring cell,
// paints as well, so a fast drag leaves the same unbroken run of cells; where the line passes
// exactly through a corner, the horizontal neighbour comes first. A line of n columns and m rows
// has n + m + 1 cells (at most 39). Between one cell and itself, or a neighbour, it is just those.
std::vector<GridCell> CellsOnLine(GridCell from, GridCell to);

// The caption read-out: 1-based column and row, "1,1" for the top-left cell.
std::string CellCaption(GridCell cell);

// Black lines at every x that is a multiple of 30 and every y that is a multiple of 15, over
// whatever the image holds.
void DrawGrid(core::PictureBox& box);

// What a used cell shows when its brick lies outside the table: the cell's own grid lines on
// white, crossed out in red, so the user sees that the cell needs a brick.
void DrawMissingBrick(core::PictureBox& box, std::int32_t x0, std::int32_t y0);

// The grid, then every cell whose Used is exactly true. Neither clears nor refreshes.
void RedrawBoard(core::PictureBox& box, const core::Board& board);

// What the view shows for a cell after a redraw: its brick, the missing-brick marker, or (for
// any Used other than exactly true) the cell's own grid lines on white.
void DrawCell(core::PictureBox& view, const core::Board& board, GridCell cell);

// What a press or a move with `button` does to `cell`: the left button alone puts brick
// `selected` into the cell, the right button alone empties the cell (keeping its BrickIndex),
// anything else changes nothing. Without a selected brick that exists the left button changes
// nothing either. Returns whether the rule applied; the view shows it once DrawCell (or a
// redraw) draws the cell.
bool ApplyPaintingRule(core::Board& board, GridCell cell, std::int16_t button,
                       std::int32_t selected);

// Every cell from column c0 to c1 and row r0 to r1 (inclusive, either order), column by column.
template <typename Visit>
void ForEachCell(GridCell from, GridCell to, Visit&& visit) {
    for (std::int32_t c = std::min(from.Column, to.Column); c <= std::max(from.Column, to.Column);
         ++c) {
        for (std::int32_t r = std::min(from.Row, to.Row); r <= std::max(from.Row, to.Row); ++r) {
            visit(GridCell{c, r});
        }
    }
}
inline constexpr GridCell kFirstCell{0, 0};
inline constexpr GridCell kLastCell{core::kColumns - 1, core::kRows - 1};

}  // namespace editor
