// The frame's move of every ball, fast and exact: the steps of single balls and the portable
// loop (the AVX2 one is ball_update_avx2.cpp; ball_frame.cpp spreads either over threads).
//
// The rules, read ball by ball, spend most of their time on what changes nothing: the wall,
// paddle and brick tests of a ball in open space, the checked floor of its four probes, and cos
// and sin of an angle that has not changed since the last frame. Here a ball is "quiet"
// (rules::Quiet) when these provably have no effect:
//   - no wall or paddle test fires, so CheckCollisions leaves X, Y and Angle as they are;
//   - its probes cannot clear a brick: no breakable brick is left, or none lies in the cells
//     its probes can reach (rules::BrickReach);
//   - its probes cannot fail: x lies within [5, 595] and y within [5, 10000], so every quotient
//     is far inside the floor helper's range;
//   - its cos and sin are cached for its current angle (they were computed by the same calls).
// A quiet ball only moves: X + Speed * cos, Y + Speed * sin and the acceleration, computed in
// the same double operations and roundings as the rules (no fused multiply-add anywhere: the
// build forbids contraction, and the AVX2 loop is compiled without FMA). Any other ball takes
// the rules read straight (StepRules). On one thread balls are stepped in slot order, so bricks
// are destroyed, and the playfield refreshed, in the same order as ball by ball; on several,
// ball_frame.cpp keeps that order.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_kernels.h"
#include "game/balls/internal/ball_rules.h"
#include "game/balls/internal/collisions.h"

namespace game::detail {

MoveContext MakeMoveContext(const BallWorld& world) {
    MoveContext m{};
    m.collisions = CollisionWorld::For(world.paddle, world.board, world.playfield);
    m.reach = m.collisions.Reach();
    m.stuckX = static_cast<float>(world.paddle.X);
    m.noneStuck = false;
    m.sawStuck = false;
    m.brickHits = nullptr;
    m.packed = nullptr;
    m.width = 0;
    m.height = 0;
    m.packedAll = true;
    m.bounded = true;
    m.lost = nullptr;
    m.lostLater = nullptr;
    return m;
}

namespace {

// The move of free ball i after its collisions, which may have changed its angle from `before`:
// cos and sin again then (or when they are not cached), the step and the acceleration.
bool MoveFreeBall(const BallList::Columns& b, std::size_t i, double before) {
    if (std::isnan(b.Cos[i]) || !(b.Angle[i] == before)) {
        b.Cos[i] = rules::DirectionCos(b.Angle[i]);
        b.Sin[i] = rules::DirectionSin(b.Angle[i]);
    }
    const double speed = static_cast<double>(b.Speed[i]);
    b.X[i] = rules::Advance(static_cast<double>(b.X[i]), speed, b.Cos[i]);
    b.Y[i] = rules::Advance(static_cast<double>(b.Y[i]), speed, b.Sin[i]);
    b.Speed[i] = rules::Accelerate(speed);
    return rules::IsLost(b.Y[i]);
}

// A stuck ball follows the paddle; nothing else.
bool FollowPaddle(MoveContext& m, const BallList::Columns& b, std::size_t i) {
    m.sawStuck = true;
    b.X[i] = m.stuckX;
    return rules::IsLost(b.Y[i]);
}

// Notes where ball i is drawn and whether it stays within bounds.
[[gnu::always_inline]] inline void NotePosition(MoveContext& m, const BallList::Columns& b,
                                                std::size_t i) {
    if (m.packed != nullptr && !PackBall(b.X[i], b.Y[i], m.width, m.height, m.packed[i])) {
        m.packedAll = false;
    }
    if (!rules::WithinBounds(b.X[i], b.Y[i])) {
        m.bounded = false;
    }
}

// Notes ball i (whether lost, where drawn, within bounds) into the lost list given.
[[gnu::always_inline]] inline void NoteBall(MoveContext& m, const BallList::Columns& b,
                                            std::size_t i, bool lost,
                                            std::vector<std::uint32_t>& lostList) {
    if (lost) {
        lostList.push_back(static_cast<std::uint32_t>(i));
    }
    NotePosition(m, b, i);
}

// Ball i through the rules, noted into the lost list given.
void StepRules(MoveContext& m, const BallList::Columns& b, std::size_t i,
               std::vector<std::uint32_t>& lost) {
    bool isLost = false;
    if (b.Stuck[i] != core::kFalse) {
        isLost = FollowPaddle(m, b, i);
    } else {
        const double before = b.Angle[i];
        // Collisions are judged on the position the ball reached in the previous frame.
        if (m.brickHits == nullptr) {
            CheckCollisions(m.collisions, b.X[i], b.Y[i], b.Angle[i]);
        } else if (BounceAndCatch(m.collisions, m.collisions.events, b.X[i], b.Y[i], b.Angle[i])) {
            TakeCornerCells(m.collisions.cells, b.X[i], b.Y[i], *m.brickHits);
        }
        isLost = MoveFreeBall(b, i, before);
    }
    NoteBall(m, b, i, isLost, lost);
}

}  // namespace

void StepNotQuiet(MoveContext& m, const BallList::Columns& b, std::size_t i) {
    StepRules(m, b, i, *m.lost);
}

void StepSoon(MoveContext& m, const BallList::Columns& b, std::size_t i) {
    StepRules(m, b, i, *m.lostLater);
}

void NoteLost(MoveContext& m, std::size_t i) {
    m.lost->push_back(static_cast<std::uint32_t>(i));
}

void portable::Move(MoveContext& m, const BallList::Columns& b, std::size_t begin,
                    std::size_t end) {
    const rules::PaddleEdges& edges = m.collisions.edges;
    for (std::size_t i = begin; i < end; ++i) {
        const double x = static_cast<double>(b.X[i]);
        const double y = static_cast<double>(b.Y[i]);
        if (b.Stuck[i] != core::kFalse ||
            !rules::Quiet(edges, m.reach, m.collisions.cells.count > 0, x, y, b.Cos[i])) {
            StepNotQuiet(m, b, i);
            continue;
        }
        const double speed = static_cast<double>(b.Speed[i]);
        b.X[i] = rules::Advance(x, speed, b.Cos[i]);
        b.Y[i] = rules::Advance(y, speed, b.Sin[i]);
        b.Speed[i] = rules::Accelerate(speed);
        NoteBall(m, b, i, rules::IsLost(b.Y[i]), *m.lost);
    }
}

}  // namespace game::detail
