#pragma once

// The ball rules written down plainly, one statement per rule, on an array of BallState: the
// reference the game's own (fast) ball code is compared against, pixel for pixel and bit for
// bit. It lives with the tests and is never linked into the game.
//
// The oracle keeps its balls in its own vector; everything else (paddle, board, random
// generator, playfield) is taken from the Game it is given, so an oracle run and a game run can
// start from two copies of the same Game.

#include <cstdint>
#include <vector>

#include "game/balls/balls.h"
#include "game/game.h"
#include "shared/picture_box.h"

namespace game::oracle {

using BallVector = std::vector<BallState>;

void ResetBalls(Game& game, BallVector& balls);
void AddBall(Game& game, BallVector& balls);
void ReleaseBalls(BallVector& balls);
void RemoveBall(Game& game, BallVector& balls, std::int32_t index);
// Both count what they do into events: every reflection, paddle catch, erased brick and
// removed ball.
FrameEvents UpdateBalls(Game& game, BallVector& balls, core::PictureBox& playfield);
void CheckCollisions(Game& game, BallVector& balls, std::int32_t index, core::PictureBox& playfield,
                     FrameEvents& events);
void DestroyBrick(Game& game, core::PictureBox& playfield, std::int32_t column, std::int32_t row);
void DrawBalls(const BallVector& balls, const core::PictureBox& sprite,
               const core::PictureBox& mask, core::PictureBox& destination);

// The paddle as the window draws it, over the balls.
void DrawPaddle(const Game& game, core::PictureBox& playfield);

// The drawing part of one frame as the window does it: background, balls, paddle, screen.
// (The frame-rate caption is left out: it does not touch the balls or the picture.)
FrameEvents DrawFrame(Game& game, BallVector& balls);

}  // namespace game::oracle
