#include "game/balls/balls.h"

#include <array>
#include <cstddef>
#include <mutex>
#include <utility>
#include <vector>

#include "game/balls/internal/ball_frame.h"
#include "game/balls/internal/ball_kernels.h"
#include "game/balls/internal/ball_rules.h"

namespace game {

namespace {

// Fills the last slot with a new ball waiting on the paddle, one pixel above its top edge, with
// a random upward angle between 10 and 170 degrees.
void SpawnInLastSlot(BallList& balls, const Paddle& paddle, Random& random) {
    random.Randomize();
    BallRef ball = balls.back();
    ball.X = static_cast<float>(paddle.X);
    ball.Y = rules::SpawnY(paddle);
    ball.Speed = kStartSpeed;
    ball.Angle = rules::SpawnAngle(random.Rnd());
    ball.Stuck = core::kTrue;
}

}  // namespace

void ResetBalls(BallList& balls, const Paddle& paddle, Random& random) {
    balls.resize(1);
    SpawnInLastSlot(balls, paddle, random);
    if (rules::WithinBounds(std::as_const(balls).back().X, std::as_const(balls).back().Y)) {
        balls.SetBounded();
    }
}

void AddBall(BallList& balls, const Paddle& paddle, Random& random) {
    const bool bounded = balls.Bounded();
    balls.resize(balls.size() + 1);
    SpawnInLastSlot(balls, paddle, random);
    // A hundred balls added between two frames leave the next one free to use every thread.
    if (bounded &&
        rules::WithinBounds(std::as_const(balls).back().X, std::as_const(balls).back().Y)) {
        balls.SetBounded();
    }
}

void ReleaseBalls(BallList& balls) {
    // Only Stuck changes, so the cached cos and sin, and the bounds, stay good.
    const bool bounded = balls.Bounded();
    const BallList::Columns b = balls.Raw();
    for (std::size_t i = 0; i < balls.size(); ++i) {
        b.Stuck[i] = core::kFalse;
    }
    balls.SetNoneStuck();
    if (bounded) {
        balls.SetBounded();
    }
}

void RemoveBall(BallList& balls, std::int32_t index, const Paddle& paddle, Random& random) {
    const std::size_t slot = static_cast<std::size_t>(index);
    if (index < 0 || slot >= balls.size()) {
        static_cast<void>(balls.at(slot));  // reports the bad index
    }
    const std::size_t last = balls.size() - 1;
    balls.CopySlot(slot, last);
    if (last == 0) {
        // The list never becomes empty: the lost ball is replaced by a new one on the paddle.
        ResetBalls(balls, paddle, random);
    } else {
        balls.PopBack();
    }
}

FrameEvents UpdateBalls(BallList& balls, const BallWorld& world) {
    std::unique_lock<std::mutex> lock;
    detail::BallFrame& frame = balls.Frame(lock);
    core::PictureBox& playfield = world.playfield;
    const bool noneStuck = balls.NoneStuck();
    const bool bounded = balls.Bounded();
    // Every ball is stepped first: the bound is read once, before any removal.
    const std::size_t n = balls.size();
    const BallList::Columns b = balls.Raw();
    const std::uint64_t touches = balls.Touches();
    detail::MoveContext m = detail::MakeMoveContext(world);
    m.noneStuck = noneStuck;
    if (playfield.Width() >= BallSize && playfield.Height() >= BallSize &&
        playfield.Width() <= detail::kMostPackedSize &&
        playfield.Height() <= detail::kMostPackedSize) {
        m.packed = b.Packed;
        m.width = playfield.Width();
        m.height = playfield.Height();
    }
    frame.Move(m, b, n, bounded);

    // Removal pass. Scanning again from the first slot after every removal, as the rules put
    // it, finds the same balls in the same order as going on from the freed slot: the slots
    // before it were just checked and did not change, and the freed slot now holds the ball
    // that came from the end, which is checked next. So the lost slots are visited in
    // increasing order, each until the ball in it stays; a slot beyond the shrunken list has
    // been dealt with when its ball was moved.
    FrameEvents events = m.collisions.events;
    for (const std::uint32_t slot : frame.Lost()) {
        while (slot < balls.size() && rules::IsLost(std::as_const(balls).Raw().Y[slot])) {
            RemoveBall(balls, static_cast<std::int32_t>(slot), world.paddle, world.random);
            ++events.BallsLost;
        }
    }
    // The notes hold unless something besides the moves of the removals (which carry them
    // along) changed the list: a new ball after the last one was lost.
    if (balls.Touches() == touches) {
        if (m.packed != nullptr && m.packedAll) {
            balls.SetPacked(m.width, m.height);
        }
        // Every stuck ball goes through the rules' step, which notes it.
        if (noneStuck || !m.sawStuck) {
            balls.SetNoneStuck();
        }
        if (m.bounded) {
            balls.SetBounded();
        }
    }
    return events;
}

void DrawBalls(const BallList& balls, const core::PictureBox& sprite, const core::PictureBox& mask,
               core::PictureBox& destination) {
    std::unique_lock<std::mutex> lock;
    detail::BallFrame& frame = balls.Frame(lock);
    const detail::BallKernels& kernels = detail::ActiveKernels();
    const detail::SpriteShape shape = detail::ShapeOf(sprite, mask, destination);
    const BallList::ConstColumns b = balls.Raw();
    const int width = destination.Width();
    const int height = destination.Height();
    // Drawing back to front pays once many balls overlap; it needs every pixel of the ball to
    // be opaque or transparent, and positions that fit the packed form.
    if (shape.twoKinds && balls.size() >= detail::Options().backToFrontFrom && width >= BallSize &&
        height >= BallSize && width <= detail::kMostPackedSize &&
        height <= detail::kMostPackedSize) {
        // The positions the last UpdateBalls noted, unless the list changed since.
        const detail::PackedPosition* positions = b.Packed;
        bool converted = true;
        if (!balls.PackedFor(width, height)) {
            std::vector<detail::PackedPosition>& scratch = frame.Positions();
            scratch.resize(balls.size());
            converted = kernels.positions(b, balls.size(), width, height, scratch.data());
            positions = scratch.data();
        }
        if (converted) {
            frame.DrawBackToFront(positions, balls.size(), shape, destination);
            return;
        }
        // A position that cannot be converted: the forward path reports it at its ball.
    }
    kernels.drawForward(b, balls.size(), shape, sprite, mask, destination);
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
