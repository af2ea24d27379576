#include "game/balls/internal/collisions.h"

#include <array>
#include <cstddef>
#include <limits>

#include "shared/brick_drawing.h"
#include "shared/vb_types.h"

namespace game {

namespace detail {

BreakableCells BreakableCells::Of(const core::Board& board) {
    BreakableCells cells;
    for (int row = 0; row < core::kRows; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            if (!rules::BreakableCell(board, column, row)) {
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

const std::int32_t* ColumnSpan() {
    static const std::array<std::int32_t, rules::kSpanWidth> span = [] {
        std::array<std::int32_t, rules::kSpanWidth> s{};
        for (int p = 0; p < rules::kSpanWidth; ++p) {
            s[static_cast<std::size_t>(p)] =
                static_cast<std::int32_t>(SpanBits(p, core::kCellWidth, core::kColumns));
        }
        return s;
    }();
    return span.data();
}

}  // namespace detail

CollisionWorld CollisionWorld::For(const Paddle& paddle, core::Board& board,
                                   core::PictureBox& playfield) {
    CollisionWorld w{};
    w.board = &board;
    w.playfield = &playfield;
    w.cells = detail::BreakableCells::Of(board);
    for (int q = 0; q < rules::kDangerRows; ++q) {
        const std::uint32_t rows = detail::SpanBits(q, core::kCellHeight, core::kRows);
        std::uint32_t columns = 0;
        for (int row = 0; row < core::kRows; ++row) {
            if (((rows >> row) & 1u) != 0) {
                columns |= w.cells.rows[static_cast<std::size_t>(row)];
            }
        }
        w.dangerColumns[static_cast<std::size_t>(q)] = static_cast<std::int32_t>(columns);
    }
    // Where the tables can say yes at all: the rows with a breakable column near them, and
    // the pixel columns whose probes reach one of those columns.
    std::int32_t columns = 0;
    int top = -1;
    int bottom = -1;
    for (int q = 0; q < rules::kDangerRows; ++q) {
        const std::int32_t here = w.dangerColumns[static_cast<std::size_t>(q)];
        columns |= here;
        if (here != 0) {
            top = top < 0 ? q : top;
            bottom = q;
        }
    }
    int left = -1;
    int right = -1;
    for (int p = 0; p < rules::kSpanWidth; ++p) {
        if ((detail::ColumnSpan()[p] & columns) != 0) {
            left = left < 0 ? p : left;
            right = p;
        }
    }
    if (top < 0 || left < 0) {
        w.reachBox[0] = w.reachBox[1] = w.reachBox[2] = w.reachBox[3] = 0;
    } else {
        w.reachBox[0] = left;
        w.reachBox[1] = right + 1;
        w.reachBox[2] = top;
        // The last row stands for every y beyond it.
        w.reachBox[3] =
            bottom == rules::kDangerRows - 1 ? std::numeric_limits<double>::infinity() : bottom + 1;
    }
    w.edges = rules::EdgesOf(paddle);
    return w;
}

bool BounceAndCatch(const CollisionWorld& w, FrameEvents& events, float& x, float& y,
                    double& angle) {
    events.WallBounces += rules::BounceOffWalls(x, y, angle);

    const double px = static_cast<double>(x);
    const double py = static_cast<double>(y);
    if (rules::TouchesPaddle(w.edges, px, py)) {
        angle = rules::PaddleAngle(w.edges, px);
        ++events.PaddleHits;
    }

    // The paddle moved nothing, so px and py are still the position. After the walls x lies in
    // [5, 595] unless it is NaN, and y is at least 5 unless NaN; with y not beyond the quiet
    // limit either, the probes cannot fail, and when they cannot reach a breakable brick they
    // do nothing at all.
    using rules::kHalf;
    return !(px >= kHalf && px <= kPlayfieldWidth - kHalf && py >= kHalf &&
             py <= rules::kQuietLimit &&
             (w.cells.count == 0 || !rules::ProbesMayClear(w.Reach(), px, py)));
}

void ProbeBricks(CollisionWorld& w, float x, float y) {
    const double px = static_cast<double>(x);
    const double py = static_cast<double>(y);
    // Every corner in turn, each destroyed brick with its own refresh. A cell cleared by an
    // earlier corner is no longer breakable.
    for (const rules::Corner& corner : rules::kCorners) {
        const std::int32_t column = rules::ProbeColumn(px, corner);
        const std::int32_t row = rules::ProbeRow(py, corner);
        if (!rules::OutsideGrid(column, row)) {
            DestroyIfBreakable(w, column, row);
        }
    }
}

void DestroyIfBreakable(CollisionWorld& w, std::int32_t column, std::int32_t row) {
    if (!w.cells.Has(column, row)) {
        return;
    }
    core::PictureBox& playfield = *w.playfield;
    playfield.Cls();
    DestroyBrick(*w.board, playfield, column, row);
    w.cells.Clear(column, row);
    ++w.events.BricksDestroyed;
    playfield.Refresh();
    // The erased cell becomes part of the background, so every later frame starts from the
    // board without this brick.
    playfield.InstallImageAsPicture();
}

void TakeCornerCells(detail::BreakableCells& cells, float x, float y,
                     std::vector<std::uint16_t>& taken) {
    const double px = static_cast<double>(x);
    const double py = static_cast<double>(y);
    for (const rules::Corner& corner : rules::kCorners) {
        const std::int32_t column = rules::ProbeColumn(px, corner);
        const std::int32_t row = rules::ProbeRow(py, corner);
        if (!rules::OutsideGrid(column, row) && cells.Has(column, row)) {
            taken.push_back(static_cast<std::uint16_t>(row * core::kColumns + column));
            cells.Clear(column, row);
        }
    }
}

void CheckCollisions(CollisionWorld& w, float& x, float& y, double& angle) {
    if (BounceAndCatch(w, w.events, x, y, angle)) {
        ProbeBricks(w, x, y);
    }
}

void DestroyBrick(core::Board& board, core::PictureBox& playfield, std::int32_t column,
                  std::int32_t row) {
    if (rules::OutsideGrid(column, row) ||
        !rules::BreakableBrick(board, board.Cells(column, row).BrickIndex)) {
        return;
    }
    // An explosive brick is cleared like any other: only its own cell.
    core::DrawBrick(playfield, column * core::kCellWidth, row * core::kCellHeight, board.Bricks, 0,
                    core::kTrue, core::ErasePattern::White);
    board.Cells(column, row).Used = core::kFalse;
}

}  // namespace game
