#include "editor/cell_changes.h"

#include <algorithm>
#include <cstddef>

#include "shared/brick_drawing.h"

namespace editor {

namespace {

std::uint16_t ElementOf(GridCell cell) {
    return static_cast<std::uint16_t>(cell.Row * core::kColumns + cell.Column);
}

void DrawCellAt(core::PictureBox& box, std::int32_t x0, std::int32_t y0,
                const core::BrickTable& bricks, const core::BoardCell& cell) {
    if (cell.Used == core::kTrue) {
        if (!core::DrawBrick(box, x0, y0, bricks, cell.BrickIndex, core::kFalse,
                             core::ErasePattern::GridLines)) {
            DrawMissingBrick(box, x0, y0);
        }
        return;
    }
    core::DrawBrick(box, x0, y0, bricks, 0, core::kTrue, core::ErasePattern::GridLines);
}

}  // namespace

CellPixels ShownCell(const core::PictureBox& view, GridCell cell) {
    CellPixels pixels{};
    const int x0 = core::kCellWidth * cell.Column;
    const int y0 = core::kCellHeight * cell.Row;
    for (int y = 0; y < core::kCellHeight; ++y) {
        for (int x = 0; x < core::kCellWidth; ++x) {
            pixels[static_cast<std::size_t>(y * core::kCellWidth + x)] =
                view.PixelAt(x0 + x, y0 + y);
        }
    }
    return pixels;
}

void ShowCell(core::PictureBox& view, GridCell cell, const CellPixels& pixels) {
    const int x0 = core::kCellWidth * cell.Column;
    const int y0 = core::kCellHeight * cell.Row;
    const std::span<core::Rgb32> image = view.Image();
    for (int y = 0; y < core::kCellHeight; ++y) {
        const auto row = pixels.begin() + y * core::kCellWidth;
        std::copy(row, row + core::kCellWidth,
                  image.begin() + static_cast<std::ptrdiff_t>(y0 + y) * view.Width() + x0);
    }
}

void DrawCell(core::PictureBox& view, const core::Board& board, GridCell cell) {
    DrawCellAt(view, core::kCellWidth * cell.Column, core::kCellHeight * cell.Row, board.Bricks,
               board.Cells(cell.Column, cell.Row));
}

CellPixels DrawnCell(const core::BrickTable& bricks, const core::BoardCell& cell) {
    core::PictureBox scratch(core::kCellWidth, core::kCellHeight);
    DrawCellAt(scratch, 0, 0, bricks, cell);
    CellPixels pixels{};
    std::copy(scratch.Image().begin(), scratch.Image().end(), pixels.begin());
    return pixels;
}

void CellEditRecorder::Touch(const core::Board& board, const core::PictureBox& view,
                             GridCell cell) {
    const std::uint16_t element = ElementOf(cell);
    if (touched_.contains(element)) {
        return;
    }
    touched_.emplace(element, Touched{board.Cells(cell.Column, cell.Row), ShownCell(view, cell)});
}

std::vector<CellChange> CellEditRecorder::Finish(const core::Board& board,
                                                 const core::PictureBox& view) {
    std::vector<CellChange> changes;
    for (const auto& [element, touched] : touched_) {
        CellChange change;
        change.Element = element;
        const GridCell cell = change.Cell();
        change.Before = touched.Cell;
        change.After = board.Cells(cell.Column, cell.Row);
        const CellPixels shown = ShownCell(view, cell);
        if (change.Before == change.After && shown == touched.Shown) {
            continue;
        }
        // The edit did not change the table, so a redraw with it shows what undo must show
        // unless the view held something else.
        if (DrawnCell(board.Bricks, change.Before) != touched.Shown) {
            change.ShownBefore = std::make_unique<CellPixels>(touched.Shown);
        }
        if (DrawnCell(board.Bricks, change.After) != shown) {
            change.ShownAfter = std::make_unique<CellPixels>(shown);
        }
        changes.push_back(std::move(change));
    }
    touched_.clear();
    return changes;
}

void ApplyCellChanges(core::Board& board, core::PictureBox& view,
                      const std::vector<CellChange>& changes, bool undo) {
    for (const CellChange& change : changes) {
        const GridCell cell = change.Cell();
        board.Cells(cell.Column, cell.Row) = undo ? change.Before : change.After;
        const std::unique_ptr<CellPixels>& shown = undo ? change.ShownBefore : change.ShownAfter;
        if (shown) {
            ShowCell(view, cell, *shown);
        } else {
            DrawCell(view, board, cell);
        }
    }
}

}  // namespace editor
