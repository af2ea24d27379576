#pragma once

#include <cstdint>

#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace core {

// What an erased cell looks like.
enum class ErasePattern {
    GridLines,  // the editor's: black top row and left column (the cell's own grid lines), white
                // rest
    White,      // the game's: all 450 pixels white
};

// Paints brick `index` of `bricks` with its top-left pixel at (x0, y0), or, when erase is
// exactly kTrue, the erase pattern (which never looks at the table). Any other erase value
// paints the brick. A brick index outside the table draws nothing and returns false.
bool DrawBrick(PictureBox& target, std::int32_t x0, std::int32_t y0, const BrickTable& bricks,
               std::int32_t index, VbBool erase, ErasePattern pattern);

// Paints every cell whose Used is exactly kTrue; other cells keep what the picture shows.
// Cells that refer to a brick outside the table are skipped.
void DrawBoard(PictureBox& target, const Board& board);

// The 30 x 15 strip of brick `index` (x = 30 index .. 30 index + 29, y = 0 .. 14) read from a
// sheet through GetPixel. Pixels that cannot be read come back white.
BrickPixels ReadBrickPixels(const PictureBox& sheet, std::int32_t index);

}  // namespace core
