#include "game/collisions.h"

#include <cstddef>

#include "game/ball.h"
#include "game/game.h"
#include "shared/board_model.h"
#include "shared/brick_drawing.h"
#include "shared/rounding.h"
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
    BallState& ball = game.Balls.at(static_cast<std::size_t>(index));
    const double half = BallSize / 2.0;

    // Side walls, at most one per call; X = 5 and X = 595 still count as inside.
    if (static_cast<double>(ball.X) - half < 0) {
        ball.X = static_cast<float>(half + 1);
        ball.Angle = kPi - ball.Angle;
    } else if (static_cast<double>(ball.X) + half > kPlayfieldWidth) {
        ball.X = static_cast<float>(kPlayfieldWidth - half - 1);
        ball.Angle = kPi - ball.Angle;
    }

    // Top wall, independent of the sides: a ball in a top corner is reflected on both axes.
    if (static_cast<double>(ball.Y) - half < 0) {
        ball.Y = static_cast<float>(half + 1);
        ball.Angle = kTwoPi - ball.Angle;
    }

    // Paddle. Its lower bound is the paddle's centre line, not its lower edge, and the ball's
    // direction is not looked at. The new angle runs linearly from 170 degrees at the paddle's
    // left end to 10 degrees at its right end.
    const double left = game.PaddleX - game.PaddleWidth / 2.0;
    const double right = game.PaddleX + game.PaddleWidth / 2.0;
    const double top = game.PaddleY - game.PaddleHeight / 2.0;
    const double x = static_cast<double>(ball.X);
    const double y = static_cast<double>(ball.Y);
    if (x + half >= left && x - half <= right && y + half >= top && y - half <= game.PaddleY) {
        ball.Angle =
            (1 - (x + half - left) / (game.PaddleWidth + BallSize)) * kAngleRange + kMinAngle;
    }

    // Bricks: the four corners top-left, bottom-left, top-right, bottom-right. A corner on a cell
    // boundary counts in the cell to the right of or below it.
    const std::int32_t first = core::RoundToInt32(-half);
    const std::int32_t final = core::RoundToInt32(half);
    for (std::int32_t dx = first; dx <= final; dx += BallSize) {
        for (std::int32_t dy = first; dy <= final; dy += BallSize) {
            const std::int32_t column = core::FloorOrCeiling(
                (static_cast<double>(ball.X) + dx) / core::kCellWidth, core::kFalse);
            const std::int32_t row = core::FloorOrCeiling(
                (static_cast<double>(ball.Y) + dy) / core::kCellHeight, core::kFalse);
            if (OutsideGrid(column, row)) {
                continue;
            }
            if (game.Board.Cells(column, row).Used != core::kTrue) {
                continue;
            }
            const core::BrickRecord* brick = BrickOf(game, column, row);
            if (brick == nullptr || brick->Unbreakable != core::kFalse) {
                continue;
            }
            playfield.Cls();
            DestroyBrick(game, playfield, column, row);
            playfield.Refresh();
            // The erased cell becomes part of the background, so every later frame starts from
            // the board without this brick.
            playfield.InstallImageAsPicture();
        }
    }
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
