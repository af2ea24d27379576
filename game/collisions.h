#pragma once

// What one free ball touches in a frame: the side and top walls, the paddle, and the bricks its
// corners lie in. Bricks never deflect a ball; breakable ones are erased as it passes.

#include <cstdint>

#include "shared/picture_box.h"

namespace game {

struct Game;

// Reflects the ball at index off the walls, sends it up from the paddle, and destroys every
// breakable brick one of its four corners lies in. Changes X, Y and Angle, never Speed or Stuck.
void CheckCollisions(Game& game, std::int32_t index, core::PictureBox& playfield);

// Erases the brick in (column, row) unless it is unbreakable: the cell is painted white in the
// playfield's working image and marked unused. Cells outside the grid, and cells whose brick
// index lies outside the brick table, are left alone.
void DestroyBrick(Game& game, core::PictureBox& playfield, std::int32_t column, std::int32_t row);

}  // namespace game
