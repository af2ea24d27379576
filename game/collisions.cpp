#include "game/collisions.h"

#include <cstddef>

#include "game/ball.h"
#include "game/ball_kernels.h"
#include "game/game.h"
#include "shared/board_model.h"
#include "shared/brick_drawing.h"
#include "shared/vb_types.h"

namespace game {

namespace {

bool OutsideGrid(std::int32_t column, std::int32_t row) {
    return row > 19 || row < 0 || column > 19 || column < 0;
}

// The brick of a used cell, or nullptr when its index lies outside the table: such a cell (left
// behind by a smaller brick sheet, or a damaged file) is neither drawn nor hit.
const core::BrickRecord* BrickOf(const Game& game, std::int32_t column, std::int32_t row) {
    return game.Board.FindBrick(game.Board.Cells(column, row).BrickIndex);
}

}  // namespace

void CheckCollisions(Game& game, std::int32_t index, core::PictureBox& playfield) {
    // Checks the index, and marks the ball's cached cos and sin stale: its angle may change.
    BallRef ball = game.Balls.at(static_cast<std::size_t>(index));
    detail::MoveContext m = detail::MakeMoveContext(game, playfield);
    detail::Collide(m, ball.X, ball.Y, ball.Angle);
}

void DestroyBrick(Game& game, core::PictureBox& playfield, std::int32_t column, std::int32_t row) {
    if (OutsideGrid(column, row)) {
        return;
    }
    const core::BrickRecord* brick = BrickOf(game, column, row);
    if (brick == nullptr || brick->Unbreakable != core::kFalse) {
        return;
    }
    // An explosive brick is cleared like any other: only its own cell.
    core::DrawBrick(playfield, column * core::kCellWidth, row * core::kCellHeight,
                    game.Board.Bricks, 0, core::kTrue, core::ErasePattern::White);
    game.Board.Cells(column, row).Used = core::kFalse;
}

}  // namespace game
