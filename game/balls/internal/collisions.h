#pragma once

// What one free ball touches in a frame: the side and top walls, the paddle, and the bricks its
// corners lie in. Bricks never deflect a ball; breakable ones are erased as it passes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_rules.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace game {

namespace detail {

// The cells a probe can clear: bit c of rows[r] is set when cell (c, r) is used (exactly -1)
// and refers to a brick of the table that is not unbreakable.
struct BreakableCells {
    std::array<std::uint32_t, core::kRows> rows{};
    int count = 0;

    static BreakableCells Of(const core::Board& board);
    bool Has(std::int32_t column, std::int32_t row) const {
        return ((rows[static_cast<std::size_t>(row)] >> column) & 1u) != 0;
    }
    void Clear(std::int32_t column, std::int32_t row) {
        rows[static_cast<std::size_t>(row)] &= ~(1u << column);
        --count;
    }
};

// The columns a ball's probes can reach from each pixel column (see rules::BrickReach).
const std::int32_t* ColumnSpan();

}  // namespace detail

// The world of one frame's collisions: the paddle, the board and the playfield, with what every
// ball of the frame shares worked out once (the paddle's edges, the cells that hold a breakable
// brick and the pixel rows near them).
struct CollisionWorld {
    static CollisionWorld For(const Paddle& paddle, core::Board& board,
                              core::PictureBox& playfield);

    rules::BrickReach Reach() const {
        return {detail::ColumnSpan(), dangerColumns, reachBox[0],
                reachBox[1],          reachBox[2],   reachBox[3]};
    }

    core::Board* board;
    core::PictureBox* playfield;
    // The breakable cells as they are now: a destroyed brick leaves them at once.
    detail::BreakableCells cells;
    // Breakable columns near each pixel row, as at the start of the frame. Bricks destroyed
    // since only make it cautious.
    alignas(32) std::int32_t dangerColumns[rules::kDangerRows];
    // Left, right, top and bottom of where the tables can say yes (see rules::BrickReach).
    double reachBox[4];
    rules::PaddleEdges edges;
    // What CheckCollisions did so far: bounces, paddle hits, bricks destroyed.
    FrameEvents events;
};

// Reflects a free ball at (x, y) travelling at angle off the walls and sends it up from the
// paddle, counting both into events. Returns whether its probes may clear a brick, judged on the
// breakable cells as they stood at the start of the frame, or may fail: only then does
// ProbeBricks have anything to do.
bool BounceAndCatch(const CollisionWorld& world, FrameEvents& events, float& x, float& y,
                    double& angle);

// Destroys every breakable brick one of the four corners of a ball at (x, y) lies in, each with
// its own refresh of the playfield, counting them in world.events.
void ProbeBricks(CollisionWorld& world, float x, float y);

// The probes of ProbeBricks without the board: the cells of `cells` the corners of a ball at
// (x, y) lie in, in probe order, each appended to `taken` (as 20 row + column) and taken out of
// `cells`, so that a later ball does not take it again.
void TakeCornerCells(detail::BreakableCells& cells, float x, float y,
                     std::vector<std::uint16_t>& taken);

// Destroys the brick in (column, row) if it is still breakable, with its own refresh of the
// playfield, counting it in world.events: what a probe in that cell does.
void DestroyIfBreakable(CollisionWorld& world, std::int32_t column, std::int32_t row);

// The whole collision rule for one free ball: BounceAndCatch, then ProbeBricks where it may
// matter. Changes x, y and angle, never the speed.
void CheckCollisions(CollisionWorld& world, float& x, float& y, double& angle);

// Erases the brick in (column, row) unless it is unbreakable: the cell is painted white in the
// playfield's working image and marked unused. Cells outside the grid, and cells whose brick
// index lies outside the brick table, are left alone.
void DestroyBrick(core::Board& board, core::PictureBox& playfield, std::int32_t column,
                  std::int32_t row);

}  // namespace game
