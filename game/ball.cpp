#include "game/ball.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "game/collisions.h"
#include "game/game.h"
#include "shared/rounding.h"

namespace game {

namespace {

std::int32_t LastIndex(const Game& game) {
    return static_cast<std::int32_t>(game.Balls.size()) - 1;
}

BallState& At(Game& game, std::int32_t index) {
    return game.Balls.at(static_cast<std::size_t>(index));
}

// Fills the last slot with a new ball waiting on the paddle, one pixel above its top edge, with
// a random upward angle between 10 and 170 degrees.
void SpawnInLastSlot(Game& game) {
    game.random->Randomize();
    BallState& ball = game.Balls.back();
    ball.X = static_cast<float>(game.PaddleX);
    ball.Y = static_cast<float>(game.PaddleY - game.PaddleHeight / 2.0 - BallSize / 2.0 - 1);
    ball.Speed = kStartSpeed;
    ball.Angle = static_cast<double>(game.random->Rnd()) * kAngleRange + kMinAngle;
    ball.Stuck = core::kTrue;
}

}  // namespace

void ResetBalls(Game& game) {
    game.Balls.resize(1);
    SpawnInLastSlot(game);
}

void AddBall(Game& game) {
    game.Balls.resize(game.Balls.size() + 1);
    SpawnInLastSlot(game);
}

void ReleaseBalls(Game& game) {
    for (BallState& ball : game.Balls) {
        ball.Stuck = core::kFalse;
    }
}

void RemoveBall(Game& game, std::int32_t index) {
    const std::int32_t last = LastIndex(game);
    At(game, index) = At(game, last);
    if (last == 0) {
        // The list never becomes empty: the lost ball is replaced by a new one on the paddle.
        ResetBalls(game);
    } else {
        game.Balls.resize(static_cast<std::size_t>(last));
    }
}

void UpdateBalls(Game& game, core::PictureBox& playfield) {
    const std::int32_t last = LastIndex(game);
    for (std::int32_t i = 0; i <= last; ++i) {
        if (At(game, i).Stuck != core::kFalse) {
            At(game, i).X = static_cast<float>(game.PaddleX);
            continue;
        }
        // Collisions are judged on the position the ball reached in the previous frame.
        CheckCollisions(game, i, playfield);
        BallState& ball = At(game, i);
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

    // Removal pass: after each removal the scan starts again from the first slot, so the slot
    // order after several losses in one frame is the one this scan gives.
    std::int32_t i = 0;
    while (i <= LastIndex(game)) {
        if (At(game, i).Y > kLostBelow) {
            RemoveBall(game, i);
            i = 0;
        } else {
            ++i;
        }
    }
}

void DrawBalls(const Game& game, const core::PictureBox& sprite, const core::PictureBox& mask,
               core::PictureBox& destination) {
    const double half = BallSize / 2.0;
    for (const BallState& ball : game.Balls) {
        const std::int32_t x = core::RoundToInt32(static_cast<double>(ball.X) - half);
        const std::int32_t y = core::RoundToInt32(static_cast<double>(ball.Y) - half);
        // The mask blackens the disc and keeps the rest; the sprite, black outside the disc,
        // is then ORed in.
        destination.BitBlt(x, y, BallSize, BallSize, mask, 0, 0, core::RasterOp::SrcAnd);
        destination.BitBlt(x, y, BallSize, BallSize, sprite, 0, 0, core::RasterOp::SrcPaint);
    }
}

namespace {

// A grey disc 9 pixels across in the top-left 9 x 9 pixels, lit from the upper left; black
// outside the disc so that ORing it in leaves the background there untouched.
constexpr std::array<core::Rgb32, 100> kBallSprite = {
    0x000000, 0x000000, 0x898C89, 0xA7A9A7, 0x939693, 0x757475, 0x585C58, 0x000000, 0x000000,
    0x000000, 0x000000, 0xC4C2C4, 0xDFE0DF, 0xD6D3D6, 0xB2AFB2, 0x898789, 0x6B6A6B, 0x585758,
    0x000000, 0x000000, 0x898C89, 0xDFE0DF, 0xE6E7E6, 0xD6D3D6, 0xB2AFB2, 0x898789, 0x6B6A6B,
    0x585C58, 0x585758, 0x000000, 0xA7A9A7, 0xD6D3D6, 0xD6D3D6, 0xBBBDBB, 0x9D9B9D, 0x7E7D7E,
    0x626662, 0x585C58, 0x585758, 0x000000, 0x939693, 0xB2AFB2, 0xB2AFB2, 0x9D9B9D, 0x7E827E,
    0x6B6F6B, 0x626162, 0x585758, 0x585758, 0x000000, 0x757475, 0x898789, 0x898789, 0x7E7D7E,
    0x6B6F6B, 0x626162, 0x585C58, 0x585758, 0x585758, 0x000000, 0x585C58, 0x6B6A6B, 0x6B6A6B,
    0x626662, 0x626162, 0x585C58, 0x585758, 0x585758, 0x484748, 0x000000, 0x000000, 0x585758,
    0x585C58, 0x585C58, 0x585758, 0x585758, 0x585758, 0x504F50, 0x000000, 0x000000, 0x000000,
    0x000000, 0x585758, 0x585758, 0x585758, 0x585758, 0x484748, 0x000000, 0x000000, 0x000000,
    0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000,
    0x000000,
};

// 1 marks the disc: black in the mask, white elsewhere.
constexpr std::array<const char*, 10> kBallMaskRows = {
    "0011111000", "0111111100", "1111111110", "1111111110", "1111111110",
    "1111111110", "1111111110", "0111111100", "0011111000", "0000000000",
};

}  // namespace

core::PictureBox MakeBallSprite() {
    core::PictureBox picture(BallSize, BallSize);
    picture.SetPicture(BallSize, BallSize,
                       std::vector<core::Rgb32>(kBallSprite.begin(), kBallSprite.end()));
    return picture;
}

core::PictureBox MakeBallMask() {
    std::vector<core::Rgb32> pixels;
    pixels.reserve(kBallSprite.size());
    for (const char* row : kBallMaskRows) {
        for (int col = 0; col < BallSize; ++col) {
            pixels.push_back(row[col] == '1' ? 0x000000u : 0xFFFFFFu);
        }
    }
    core::PictureBox picture(BallSize, BallSize);
    picture.SetPicture(BallSize, BallSize, std::move(pixels));
    return picture;
}

}  // namespace game
