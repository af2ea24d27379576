#include "tests/game/oracle/oracle.h"

#include <cmath>
#include <cstddef>

#include "shared/board_model.h"
#include "shared/brick_drawing.h"
#include "shared/colour.h"
#include "shared/rounding.h"
#include "shared/vb_types.h"

namespace game::oracle {

namespace {

std::int32_t LastIndex(const BallVector& balls) {
    return static_cast<std::int32_t>(balls.size()) - 1;
}

BallState& At(BallVector& balls, std::int32_t index) {
    return balls.at(static_cast<std::size_t>(index));
}

void SpawnInLastSlot(Game& game, BallVector& balls) {
    game.random->Randomize();
    BallState& ball = balls.back();
    ball.X = static_cast<float>(game.PaddleX);
    ball.Y = static_cast<float>(game.PaddleY - game.PaddleHeight / 2.0 - BallSize / 2.0 - 1);
    ball.Speed = kStartSpeed;
    ball.Angle = static_cast<double>(game.random->Rnd()) * kAngleRange + kMinAngle;
    ball.Stuck = core::kTrue;
}

bool OutsideGrid(std::int32_t column, std::int32_t row) {
    return row > 19 || row < 0 || column > 19 || column < 0;
}

const core::BrickRecord* BrickOf(const Game& game, std::int32_t column, std::int32_t row) {
    return game.Board.FindBrick(game.Board.Cells(column, row).BrickIndex);
}

}  // namespace

void ResetBalls(Game& game, BallVector& balls) {
    balls.resize(1);
    SpawnInLastSlot(game, balls);
}

void AddBall(Game& game, BallVector& balls) {
    balls.resize(balls.size() + 1);
    SpawnInLastSlot(game, balls);
}

void ReleaseBalls(BallVector& balls) {
    for (BallState& ball : balls) {
        ball.Stuck = core::kFalse;
    }
}

void RemoveBall(Game& game, BallVector& balls, std::int32_t index) {
    const std::int32_t last = LastIndex(balls);
    At(balls, index) = At(balls, last);
    if (last == 0) {
        ResetBalls(game, balls);
    } else {
        balls.resize(static_cast<std::size_t>(last));
    }
}

FrameEvents UpdateBalls(Game& game, BallVector& balls, core::PictureBox& playfield) {
    FrameEvents events;
    const std::int32_t last = LastIndex(balls);
    for (std::int32_t i = 0; i <= last; ++i) {
        if (At(balls, i).Stuck != core::kFalse) {
            At(balls, i).X = static_cast<float>(game.PaddleX);
            continue;
        }
        CheckCollisions(game, balls, i, playfield, events);
        BallState& ball = At(balls, i);
        const double speed = static_cast<double>(ball.Speed);
        ball.X =
            static_cast<float>(static_cast<double>(ball.X) + speed * std::cos(kTwoPi - ball.Angle));
        ball.Y =
            static_cast<float>(static_cast<double>(ball.Y) + speed * std::sin(kTwoPi - ball.Angle));
        ball.Speed = static_cast<float>(speed + kAcceleration);
        if (ball.Speed > kMaxSpeed) {
            ball.Speed = kMaxSpeed;
        }
    }

    // After each removal the scan starts again from the first slot.
    std::int32_t i = 0;
    while (i <= LastIndex(balls)) {
        if (At(balls, i).Y > kLostBelow) {
            RemoveBall(game, balls, i);
            ++events.BallsLost;
            i = 0;
        } else {
            ++i;
        }
    }
    return events;
}

void CheckCollisions(Game& game, BallVector& balls, std::int32_t index, core::PictureBox& playfield,
                     FrameEvents& events) {
    BallState& ball = balls.at(static_cast<std::size_t>(index));
    const double half = BallSize / 2.0;

    if (static_cast<double>(ball.X) - half < 0) {
        ball.X = static_cast<float>(half + 1);
        ball.Angle = kPi - ball.Angle;
        ++events.WallBounces;
    } else if (static_cast<double>(ball.X) + half > kPlayfieldWidth) {
        ball.X = static_cast<float>(kPlayfieldWidth - half - 1);
        ball.Angle = kPi - ball.Angle;
        ++events.WallBounces;
    }

    if (static_cast<double>(ball.Y) - half < 0) {
        ball.Y = static_cast<float>(half + 1);
        ball.Angle = kTwoPi - ball.Angle;
        ++events.WallBounces;
    }

    const double left = game.PaddleX - game.PaddleWidth / 2.0;
    const double right = game.PaddleX + game.PaddleWidth / 2.0;
    const double top = game.PaddleY - game.PaddleHeight / 2.0;
    const double x = static_cast<double>(ball.X);
    const double y = static_cast<double>(ball.Y);
    if (x + half >= left && x - half <= right && y + half >= top && y - half <= game.PaddleY) {
        ball.Angle =
            (1 - (x + half - left) / (game.PaddleWidth + BallSize)) * kAngleRange + kMinAngle;
        ++events.PaddleHits;
    }

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
            ++events.BricksDestroyed;
            playfield.Refresh();
            playfield.InstallImageAsPicture();
        }
    }
}

void DestroyBrick(Game& game, core::PictureBox& playfield, std::int32_t column, std::int32_t row) {
    // 1. A cell outside the grid: nothing.
    if (row > 19 || row < 0 || column > 19 || column < 0) {
        return;
    }
    // 2. An unbreakable brick (Unbreakable not 0) stays. A brick index outside the table has no
    // brick to erase either.
    const std::int32_t index = game.Board.Cells(column, row).BrickIndex;
    if (index < 0 || static_cast<std::size_t>(index) >= game.Board.Bricks.size()) {
        return;
    }
    if (game.Board.Bricks[static_cast<std::size_t>(index)].Unbreakable != 0) {
        return;
    }
    // 3. The game's erase paints the whole 30 x 15 cell white; then the cell is no longer used.
    for (int y = row * 15; y < row * 15 + 15; ++y) {
        for (int x = column * 30; x < column * 30 + 30; ++x) {
            playfield.SetPixelV(x, y, core::kWhite);
        }
    }
    game.Board.Cells(column, row).Used = 0;
}

void DrawBalls(const BallVector& balls, const core::PictureBox& sprite,
               const core::PictureBox& mask, core::PictureBox& destination) {
    const double half = BallSize / 2.0;
    for (const BallState& ball : balls) {
        const std::int32_t x = core::RoundToInt32(static_cast<double>(ball.X) - half);
        const std::int32_t y = core::RoundToInt32(static_cast<double>(ball.Y) - half);
        destination.BitBlt(x, y, BallSize, BallSize, mask, 0, 0, core::RasterOp::SrcAnd);
        destination.BitBlt(x, y, BallSize, BallSize, sprite, 0, 0, core::RasterOp::SrcPaint);
    }
}

void DrawPaddle(const Game& game, core::PictureBox& playfield) {
    playfield.Line(static_cast<float>(game.PaddleX - game.PaddleWidth / 2.0),
                   static_cast<float>(game.PaddleY - game.PaddleHeight / 2.0),
                   static_cast<float>(game.PaddleX + game.PaddleWidth / 2.0),
                   static_cast<float>(game.PaddleY + game.PaddleHeight / 2.0), core::kBlack,
                   core::BoxStyle::Filled);
}

FrameEvents DrawFrame(Game& game, BallVector& balls) {
    core::PictureBox& p = game.PicDisp;
    p.Cls();
    const FrameEvents events = UpdateBalls(game, balls, p);
    DrawBalls(balls, game.PicBall, game.PicBallMask, p);
    DrawPaddle(game, p);
    p.Refresh();
    return events;
}

}  // namespace game::oracle
