#pragma once

// What one free ball touches in a frame: the side and top walls, the paddle, and the bricks its
// corners lie in. Bricks never deflect a ball; breakable ones are erased as it passes.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "game/balls/ball_rules.h"
#include "game/balls/balls.h"
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

// Rows of pixels the brick probes of a quiet ball can reach: a ball at x in [5, 595] and y in
// [5, 10000] has its probes in the columns (bit c) columnSpan[floor(x)] and in rows whose
// breakable cells, as columns, are dangerColumns[min(floor(y), 319)]. Both widen the probe
// span by a pixel, far more than the rounding of the quotients can move a probe, so a ball
// with no bit in common between them cannot clear a brick.
inline constexpr int kSpanWidth = 600;
inline constexpr int kDangerRows = 320;
const std::array<std::int32_t, kSpanWidth>& ColumnSpan();

// Positions beyond this are never quiet: their probes keep the floor helper's failures.
inline constexpr double kQuietLimit = 10000.0;

}  // namespace detail

// The world of one frame's collisions: the paddle, the board and the playfield, with what every
// ball of the frame shares worked out once (the paddle's edges, the cells that hold a breakable
// brick and the pixel rows near them).
struct CollisionWorld {
    static CollisionWorld For(const Paddle& paddle, core::Board& board,
                              core::PictureBox& playfield);

    // Whether a ball at x in [5, 595], y in [5, 10000] may have a probe in a breakable cell.
    [[gnu::always_inline]] bool ProbesMayClear(double x, double y) const {
        if (cells.count == 0) {
            return false;
        }
        const auto column = static_cast<std::size_t>(x);
        const auto row = static_cast<std::size_t>(std::min(y, detail::kDangerRows - 1.0));
        return (dangerColumns[row] & detail::ColumnSpan()[column]) != 0;
    }

    core::Board* board;
    core::PictureBox* playfield;
    detail::BreakableCells cells;
    // Breakable columns near each pixel row, as at the start of the frame. Bricks destroyed
    // since only make it cautious.
    std::array<std::int32_t, detail::kDangerRows> dangerColumns;
    rules::PaddleEdges edges;
    // What CheckCollisions did so far: bounces, paddle hits, bricks destroyed.
    FrameEvents events;
};

// Reflects a free ball at (x, y) travelling at angle off the walls, sends it up from the
// paddle, and destroys every breakable brick one of its four corners lies in (each with its own
// refresh of the playfield), counting each in world.events. Changes x, y and angle, never the
// speed.
void CheckCollisions(CollisionWorld& world, float& x, float& y, double& angle);

// Erases the brick in (column, row) unless it is unbreakable: the cell is painted white in the
// playfield's working image and marked unused. Cells outside the grid, and cells whose brick
// index lies outside the brick table, are left alone.
void DestroyBrick(core::Board& board, core::PictureBox& playfield, std::int32_t column,
                  std::int32_t row);

}  // namespace game
