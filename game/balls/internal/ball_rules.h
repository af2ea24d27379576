#pragma once

// The rules for one ball, each in one small pure function: where a ball spawns and at which
// angle, the wall bounces, paddle contact and the angle it gives, the move step with the speed
// and its cap, which cells the four corners probe, and when a ball is quiet (the rules change
// nothing for it but its move). Every scalar path of the ball code (the collision test, the
// step of a ball that needs the rules, the quiet step of one that does not, spawning) is
// written with these; the AVX2 loops mirror them lane by lane (ball_rules_avx2.h), and a test
// holds the two together.
//
// The functions the AVX2 loops use are always inlined: those loops are compiled for AVX2, and an
// out-of-line copy made there could be the one the linker keeps for every caller.
//
// Arithmetic is in double precision and a result is rounded to single precision where it is
// stored into X, Y or Speed, exactly as the game always did: these functions are what fixes
// the bits of every ball.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "game/balls/balls.h"
#include "shared/board_model.h"
#include "shared/rounding.h"
#include "shared/trig.h"
#include "shared/vb_types.h"

namespace game::rules {

// Half a ball, always as a floating division.
inline constexpr double kHalf = BallSize / 2.0;

// --- Spawning ---

// A new ball floats one pixel above the paddle's top edge.
inline float SpawnY(const Paddle& paddle) {
    return static_cast<float>(paddle.Y - paddle.Height / 2.0 - BallSize / 2.0 - 1);
}

// r uniform in [0, 1) gives an upward angle between 10 and 170 degrees.
inline double SpawnAngle(float r) {
    return static_cast<double>(r) * kAngleRange + kMinAngle;
}

// --- Walls ---

// No wall test fires: the ball lies within the side walls and below the top one. (A NaN
// position is not inside; the bounce tests then leave it alone.)
[[gnu::always_inline]] inline bool InsideWalls(double x, double y) {
    return x - kHalf >= 0 && x + kHalf <= kPlayfieldWidth && y - kHalf >= 0;
}

// The side walls, at most one per call, then the top wall, independent of the sides: a ball in
// a top corner is reflected on both axes. The tests are strict, so X = 5 and X = 595 stay.
// Returns the number of reflections, 0 to 2.
inline std::uint32_t BounceOffWalls(float& x, float& y, double& angle) {
    std::uint32_t bounces = 0;
    if (static_cast<double>(x) - kHalf < 0) {
        x = static_cast<float>(kHalf + 1);
        angle = kPi - angle;
        ++bounces;
    } else if (static_cast<double>(x) + kHalf > kPlayfieldWidth) {
        x = static_cast<float>(kPlayfieldWidth - kHalf - 1);
        angle = kPi - angle;
        ++bounces;
    }
    if (static_cast<double>(y) - kHalf < 0) {
        y = static_cast<float>(kHalf + 1);
        angle = kTwoPi - angle;
        ++bounces;
    }
    return bounces;
}

// --- Paddle ---

// The paddle's edges as the contact test reads them (floating halves).
struct PaddleEdges {
    double left;
    double right;
    double top;
    double centreY;
    std::int32_t width;
};

inline PaddleEdges EdgesOf(const Paddle& paddle) {
    return {paddle.X - paddle.Width / 2.0, paddle.X + paddle.Width / 2.0,
            paddle.Y - paddle.Height / 2.0, static_cast<double>(paddle.Y), paddle.Width};
}

// All four bounds inclusive. The lower bound is the paddle's centre line, not its lower edge,
// and the ball's direction is not looked at.
[[gnu::always_inline]] inline bool TouchesPaddle(const PaddleEdges& p, double x, double y) {
    return x + kHalf >= p.left && x - kHalf <= p.right && y + kHalf >= p.top &&
           y - kHalf <= p.centreY;
}

// The angle a ball at x leaves the paddle with: linear from 170 degrees when its right edge
// touches the paddle's left end to 10 degrees when its left edge touches the right end.
inline double PaddleAngle(const PaddleEdges& p, double x) {
    return (1 - (x + kHalf - p.left) / (p.width + BallSize)) * kAngleRange + kMinAngle;
}

// --- Moving ---

// The direction of travel: a frame moves a ball by Speed times these.
// The desktop game takes the C library's sine and cosine, as it always has, so every game and
// replay keeps its results to the bit, at the library's speed. The browser's C library differs
// from glibc in the last bit for about one argument in twenty; there the correctly rounded
// core::Cos and core::Sin stand in, which agree with glibc for all but a few arguments in a
// thousand. The step rounds to single precision, which absorbs a one-bit difference in all but
// about one step in 2^29.
inline double DirectionCos(double angle) {
#ifdef __EMSCRIPTEN__
    return core::Cos(kTwoPi - angle);
#else
    return std::cos(kTwoPi - angle);
#endif
}
inline double DirectionSin(double angle) {
#ifdef __EMSCRIPTEN__
    return core::Sin(kTwoPi - angle);
#else
    return std::sin(kTwoPi - angle);
#endif
}

// One coordinate's step: position + speed x direction, stored in single precision.
[[gnu::always_inline]] inline float Advance(double position, double speed, double direction) {
    return static_cast<float>(position + speed * direction);
}

// The speed after a frame of free flight, capped at 6 (a NaN stays NaN).
[[gnu::always_inline]] inline float Accelerate(double speed) {
    const float next = static_cast<float>(speed + kAcceleration);
    return next > kMaxSpeed ? kMaxSpeed : next;
}

// A ball whose centre is below the playfield is lost.
[[gnu::always_inline]] inline bool IsLost(float y) {
    return y > kLostBelow;
}

// Beyond this, a position is never quiet: the probes of a ball far below the playfield (or at
// a NaN) make the floor helper fail, and those failures stay where the rules raise them.
inline constexpr double kQuietLimit = 10000.0;

// Every ball of a list lies within the bounds where its probes cannot fail: neither coordinate
// is NaN and Y is at most the quiet limit (X needs no bound: the side walls put it back).
[[gnu::always_inline]] inline bool WithinBounds(float x, float y) {
    return x == x && static_cast<double>(y) <= kQuietLimit;
}

// --- Brick probes ---

// The corners probed, in this order: top-left, bottom-left, top-right, bottom-right.
struct Corner {
    std::int32_t dx;
    std::int32_t dy;
};
inline constexpr std::array<Corner, 4> kCorners = {{{-5, -5}, {-5, 5}, {5, -5}, {5, 5}}};

// The floor of q, as core::FloorOrCeiling(q, false) gives it, and failing as it does.
// FloorOrCeiling is the floor for every q it accepts (-32768 <= q <= 32767): its half-up
// rounding gives the floor or the ceiling of q, and it steps from there by the sign of q - c,
// which a subtraction never gets wrong. Within that range the floor is taken directly.
inline std::int32_t FloorOf(double q) {
    if (q >= -32768.0 && q <= 32767.0) {
        return static_cast<std::int32_t>(std::floor(q));
    }
    return core::FloorOrCeiling(q, core::kFalse);
}

// The cell a corner of the ball at (x, y) lies in; a corner on a cell boundary counts in the
// cell to the right of or below it. The result may lie outside the grid.
inline std::int32_t ProbeColumn(double x, const Corner& corner) {
    return FloorOf((x + corner.dx) / core::kCellWidth);
}
inline std::int32_t ProbeRow(double y, const Corner& corner) {
    return FloorOf((y + corner.dy) / core::kCellHeight);
}

inline bool OutsideGrid(std::int32_t column, std::int32_t row) {
    return row > 19 || row < 0 || column > 19 || column < 0;
}

// A brick that can be destroyed: one of the table whose Unbreakable is 0 (any other value, -1
// or not, is unbreakable). An index outside the table (left behind by a smaller brick sheet, or
// a damaged file) is never hit.
inline bool BreakableBrick(const core::Board& board, std::int32_t brickIndex) {
    const core::BrickRecord* brick = board.FindBrick(brickIndex);
    return brick != nullptr && brick->Unbreakable == core::kFalse;
}

// A cell a probe clears: used (exactly -1; any other value is not used) with a breakable brick.
inline bool BreakableCell(const core::Board& board, std::int32_t column, std::int32_t row) {
    const core::BoardCell& cell = board.Cells(column, row);
    return cell.Used == core::kTrue && BreakableBrick(board, cell.BrickIndex);
}

// --- Quiet balls ---

// Which breakable bricks the probes of a ball can reach, as two tables built once a frame: a
// ball at x in [5, 595] and y in [5, kQuietLimit] has its probes in the columns (bit c)
// columnSpan[floor(x)], and in rows whose breakable cells, as columns, are
// dangerColumns[floor(min(y, 319))]. Both widen the probes' span by a pixel, far more than the
// rounding of the quotients can move a probe, so a ball with no bit in common between them
// cannot clear a brick. Bricks only ever disappear, so tables built at the start of a frame stay
// true (if cautious) for the whole frame.
inline constexpr int kSpanWidth = 600;
inline constexpr int kDangerRows = 320;

struct BrickReach {
    const std::int32_t* columnSpan;     // kSpanWidth entries
    const std::int32_t* dangerColumns;  // kDangerRows entries
    // Where the tables can have a bit in common at all: x in [left, right) and y in
    // [top, bottom), the tables' indexes being floor(x) and floor(min(y, 319)). Nothing when
    // left == right.
    double left;
    double right;
    double top;
    double bottom;
};

// Whether a ball at x in [5, 595], y in [5, kQuietLimit] may have a probe in a breakable cell.
[[gnu::always_inline]] inline bool ProbesMayClear(const BrickReach& reach, double x, double y) {
    if (!(x >= reach.left && x < reach.right && y >= reach.top && y < reach.bottom)) {
        return false;
    }
    const auto column = static_cast<std::size_t>(x);
    const double last = kDangerRows - 1.0;
    const auto row = static_cast<std::size_t>(last < y ? last : y);
    return (reach.dangerColumns[row] & reach.columnSpan[column]) != 0;
}

// A free ball is quiet when the collision rules change nothing for it and its direction is
// known: inside the walls, not touching the paddle, its probes unable to fail or (with bricks
// left) to reach a breakable brick, and cos and sin cached for its angle (cachedCos is not
// NaN). A quiet ball only moves: Advance and Accelerate.
[[gnu::always_inline]] inline bool Quiet(const PaddleEdges& paddle, const BrickReach& reach,
                                         bool bricksLeft, double x, double y, double cachedCos) {
    if (!InsideWalls(x, y) || !(y <= kQuietLimit) || !(cachedCos == cachedCos)) {
        return false;
    }
    return !TouchesPaddle(paddle, x, y) && !(bricksLeft && ProbesMayClear(reach, x, y));
}

}  // namespace game::rules
