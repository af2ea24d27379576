#include "editor/painting.h"

#include <algorithm>
#include <cmath>

#include "shared/brick_drawing.h"
#include "shared/colour.h"
#include "shared/rounding.h"

namespace editor {

namespace {

// Floors one coordinate to a cell index and clamps it. The coordinate is first limited to a band
// just outside the board: every value beyond it lands on the same edge cell anyway, and the
// 16-bit rounding helper is never handed a value it cannot represent.
std::int32_t CellIndex(double position, int cellSize, int cellCount) {
    if (std::isnan(position)) {
        position = 0.0;
    }
    const double limit = static_cast<double>((cellCount + 1) * cellSize);
    position = std::clamp(position, -static_cast<double>(cellSize), limit);
    std::int32_t index = core::FloorOrCeiling(position / cellSize, core::kFalse);
    if (index > cellCount - 1) {
        index = cellCount - 1;
    }
    if (index < 0) {
        index = 0;
    }
    return index;
}

}  // namespace

GridCell CellUnderPointer(double x, double y) {
    return {CellIndex(x, core::kCellWidth, core::kColumns),
            CellIndex(y, core::kCellHeight, core::kRows)};
}

std::vector<GridCell> CellsOnLine(GridCell from, GridCell to) {
    const std::int64_t dx = std::abs(static_cast<std::int64_t>(to.Column) - from.Column);
    const std::int64_t dy = std::abs(static_cast<std::int64_t>(to.Row) - from.Row);
    const std::int32_t stepX = to.Column < from.Column ? -1 : 1;
    const std::int32_t stepY = to.Row < from.Row ? -1 : 1;
    std::vector<GridCell> cells;
    cells.reserve(static_cast<std::size_t>(dx + dy + 1));
    GridCell at = from;
    cells.push_back(at);
    // After ix steps across and iy steps down, the line leaves the current cell through its
    // side wall first when it reaches x boundary ix + 1/2 before y boundary iy + 1/2, that is
    // when (2 ix + 1) / dx < (2 iy + 1) / dy; compared cross-multiplied, in whole numbers.
    for (std::int64_t ix = 0, iy = 0; ix < dx || iy < dy;) {
        const std::int64_t across = (2 * ix + 1) * dy;
        const std::int64_t down = (2 * iy + 1) * dx;
        if (iy == dy || (ix < dx && across <= down)) {
            at.Column += stepX;
            ++ix;
        } else {
            at.Row += stepY;
            ++iy;
        }
        cells.push_back(at);
    }
    return cells;
}

std::string CellCaption(GridCell cell) {
    return std::to_string(cell.Column + 1) + "," + std::to_string(cell.Row + 1);
}

void DrawGrid(core::PictureBox& box) {
    const std::int32_t width = core::RoundToInt32(static_cast<double>(box.ScaleWidth()));
    const std::int32_t height = core::RoundToInt32(static_cast<double>(box.ScaleHeight()));
    for (std::int32_t x = 0; x <= width; ++x) {
        if (x % core::kCellWidth != 0) {
            continue;
        }
        for (std::int32_t y = 0; y <= height; ++y) {
            box.SetPixelV(x, y, core::kBlack);
        }
    }
    for (std::int32_t y = 0; y <= height; ++y) {
        if (y % core::kCellHeight != 0) {
            continue;
        }
        for (std::int32_t x = 0; x <= width; ++x) {
            box.SetPixelV(x, y, core::kBlack);
        }
    }
}

void DrawMissingBrick(core::PictureBox& box, std::int32_t x0, std::int32_t y0) {
    core::DrawBrick(box, x0, y0, {}, 0, core::kTrue, core::ErasePattern::GridLines);
    const core::ColorRef red = core::MakeColorRef(255, 0, 0);
    // Both diagonals of the cell's inner 29 x 14 pixels.
    constexpr int kSpan = core::kCellWidth - 2;   // 28 steps across
    constexpr int kRise = core::kCellHeight - 2;  // 13 steps down
    for (int step = 0; step <= kSpan; ++step) {
        const int dy = (step * kRise + kSpan / 2) / kSpan;
        box.SetPixelV(x0 + 1 + step, y0 + 1 + dy, red);
        box.SetPixelV(x0 + 1 + step, y0 + 1 + kRise - dy, red);
    }
}

void DrawCell(core::PictureBox& view, const core::Board& board, GridCell cell) {
    const core::BoardCell& model = board.Cells(cell.Column, cell.Row);
    const std::int32_t x0 = core::kCellWidth * cell.Column;
    const std::int32_t y0 = core::kCellHeight * cell.Row;
    if (model.Used != core::kTrue) {
        core::DrawBrick(view, x0, y0, {}, 0, core::kTrue, core::ErasePattern::GridLines);
    } else if (!core::DrawBrick(view, x0, y0, board.Bricks, model.BrickIndex, core::kFalse,
                                core::ErasePattern::GridLines)) {
        DrawMissingBrick(view, x0, y0);
    }
}

void RedrawBoard(core::PictureBox& box, const core::Board& board) {
    DrawGrid(box);
    ForEachCell(kFirstCell, kLastCell, [&](GridCell cell) {
        if (board.Cells(cell.Column, cell.Row).Used == core::kTrue) {
            DrawCell(box, board, cell);
        }
    });
}

bool ApplyPaintingRule(core::Board& board, GridCell cell, std::int16_t button,
                       std::int32_t selected) {
    if (!core::BoardCells::InGrid(cell.Column, cell.Row)) {
        return false;
    }
    core::BoardCell& target = board.Cells(cell.Column, cell.Row);
    if (button == kLeftButton) {
        if (board.FindBrick(selected) == nullptr) {
            return false;
        }
        target = {core::kTrue, selected};
        return true;
    }
    if (button == kRightButton) {
        target.Used = core::kFalse;
        return true;
    }
    return false;
}

}  // namespace editor
