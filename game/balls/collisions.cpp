#include "game/balls/collisions.h"

#include <cmath>
#include <cstddef>

#include "shared/brick_drawing.h"
#include "shared/rounding.h"
#include "shared/vb_types.h"

namespace game {

namespace detail {

// FloorOrCeiling(q, false) is the floor of q for every q it accepts (-32768 <= q <= 32767):
// its half-up rounding gives the floor or the ceiling of q, and it steps from there by the sign
// of q - c, which a subtraction never gets wrong. Within that range the floor is taken
// directly; outside it the helper runs, to fail exactly as it does.
std::int32_t FloorOf(double q) {
    if (q >= -32768.0 && q <= 32767.0) {
        return static_cast<std::int32_t>(std::floor(q));
    }
    return core::FloorOrCeiling(q, core::kFalse);
}

BreakableCells BreakableCells::Of(const core::Board& board) {
    BreakableCells cells;
    for (int row = 0; row < core::kRows; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            const core::BoardCell& cell = board.Cells(column, row);
            if (cell.Used != core::kTrue) {
                continue;
            }
            const core::BrickRecord* brick = board.FindBrick(cell.BrickIndex);
            if (brick == nullptr || brick->Unbreakable != core::kFalse) {
                continue;
            }
            cells.rows[static_cast<std::size_t>(row)] |= 1u << column;
            ++cells.count;
        }
    }
    return cells;
}

namespace {

// Grid lines [lo, hi] (cell size `size`, count `count`) touched by pixels p - 6 .. p + 6.
std::uint32_t SpanBits(int p, int size, int count) {
    std::uint32_t bits = 0;
    for (int line = 0; line < count; ++line) {
        const int from = line * size;
        const int to = from + size - 1;
        if (p + 6 >= from && p - 6 <= to) {
            bits |= 1u << line;
        }
    }
    return bits;
}

}  // namespace

const std::array<std::int32_t, kSpanWidth>& ColumnSpan() {
    static const std::array<std::int32_t, kSpanWidth> span = [] {
        std::array<std::int32_t, kSpanWidth> s{};
        for (int p = 0; p < kSpanWidth; ++p) {
            s[static_cast<std::size_t>(p)] =
                static_cast<std::int32_t>(SpanBits(p, core::kCellWidth, core::kColumns));
        }
        return s;
    }();
    return span;
}

}  // namespace detail

namespace {

bool OutsideGrid(std::int32_t column, std::int32_t row) {
    return row > 19 || row < 0 || column > 19 || column < 0;
}

constexpr double kHalf = BallSize / 2.0;

}  // namespace

CollisionWorld CollisionWorld::For(const Paddle& paddle, core::Board& board,
                                   core::PictureBox& playfield) {
    CollisionWorld w{};
    w.board = &board;
    w.playfield = &playfield;
    w.paddle = paddle;
    w.cells = detail::BreakableCells::Of(board);
    for (int q = 0; q < detail::kDangerRows; ++q) {
        const std::uint32_t rows = detail::SpanBits(q, core::kCellHeight, core::kRows);
        std::uint32_t columns = 0;
        for (int row = 0; row < core::kRows; ++row) {
            if (((rows >> row) & 1u) != 0) {
                columns |= w.cells.rows[static_cast<std::size_t>(row)];
            }
        }
        w.dangerColumns[static_cast<std::size_t>(q)] = static_cast<std::int32_t>(columns);
    }
    w.paddleLeft = paddle.X - paddle.Width / 2.0;
    w.paddleRight = paddle.X + paddle.Width / 2.0;
    w.paddleTop = paddle.Y - paddle.Height / 2.0;
    w.paddleY = paddle.Y;
    return w;
}

void CheckCollisions(CollisionWorld& w, float& x, float& y, double& angle) {
    // Side walls, at most one per call; X = 5 and X = 595 still count as inside.
    if (static_cast<double>(x) - kHalf < 0) {
        x = static_cast<float>(kHalf + 1);
        angle = kPi - angle;
    } else if (static_cast<double>(x) + kHalf > kPlayfieldWidth) {
        x = static_cast<float>(kPlayfieldWidth - kHalf - 1);
        angle = kPi - angle;
    }

    // Top wall, independent of the sides: a ball in a top corner is reflected on both axes.
    if (static_cast<double>(y) - kHalf < 0) {
        y = static_cast<float>(kHalf + 1);
        angle = kTwoPi - angle;
    }

    // Paddle. Its lower bound is the paddle's centre line, not its lower edge, and the ball's
    // direction is not looked at. The new angle runs linearly from 170 degrees at the paddle's
    // left end to 10 degrees at its right end.
    const double px = static_cast<double>(x);
    const double py = static_cast<double>(y);
    if (px + kHalf >= w.paddleLeft && px - kHalf <= w.paddleRight && py + kHalf >= w.paddleTop &&
        py - kHalf <= w.paddleY) {
        angle = (1 - (px + kHalf - w.paddleLeft) / (w.paddle.Width + BallSize)) * kAngleRange +
                kMinAngle;
    }

    // The paddle moved nothing, so px and py are still the position. After the walls x lies in
    // [5, 595] unless it is NaN, and y is at least 5 unless NaN; with y not beyond the quiet
    // limit either, the probes cannot fail, and when they cannot reach a
    // breakable brick they do nothing at all.
    if (px >= kHalf && px <= kPlayfieldWidth - kHalf && py >= kHalf && py <= detail::kQuietLimit &&
        !w.ProbesMayClear(px, py)) {
        return;
    }

    // Bricks: the corners top-left, bottom-left, top-right, bottom-right. A corner on a cell
    // boundary counts in the cell to the right of or below it.
    for (std::int32_t dx = -5; dx <= 5; dx += BallSize) {
        for (std::int32_t dy = -5; dy <= 5; dy += BallSize) {
            const std::int32_t column =
                detail::FloorOf((static_cast<double>(x) + dx) / core::kCellWidth);
            const std::int32_t row =
                detail::FloorOf((static_cast<double>(y) + dy) / core::kCellHeight);
            if (OutsideGrid(column, row) || !w.cells.Has(column, row)) {
                continue;
            }
            core::PictureBox& playfield = *w.playfield;
            playfield.Cls();
            DestroyBrick(*w.board, playfield, column, row);
            w.cells.Clear(column, row);
            playfield.Refresh();
            // The erased cell becomes part of the background, so every later frame starts from
            // the board without this brick.
            playfield.InstallImageAsPicture();
        }
    }
}

void DestroyBrick(core::Board& board, core::PictureBox& playfield, std::int32_t column,
                  std::int32_t row) {
    if (OutsideGrid(column, row)) {
        return;
    }
    // A cell whose brick index lies outside the table (left behind by a smaller brick sheet, or
    // a damaged file) is neither drawn nor hit.
    const core::BrickRecord* brick = board.FindBrick(board.Cells(column, row).BrickIndex);
    if (brick == nullptr || brick->Unbreakable != core::kFalse) {
        return;
    }
    // An explosive brick is cleared like any other: only its own cell.
    core::DrawBrick(playfield, column * core::kCellWidth, row * core::kCellHeight, board.Bricks, 0,
                    core::kTrue, core::ErasePattern::White);
    board.Cells(column, row).Used = core::kFalse;
}

}  // namespace game
