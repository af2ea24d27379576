#include "shared/reachability.h"

#include <array>
#include <cstddef>

namespace core {

namespace {

const BrickRecord* UsedBrick(const Board& board, GridCell cell) {
    const BoardCell& c = board.Cells(cell.Column, cell.Row);
    return c.Used == kTrue ? board.FindBrick(c.BrickIndex) : nullptr;
}

}  // namespace

bool HoldsBreakableBrick(const Board& board, GridCell cell) {
    const BrickRecord* brick = UsedBrick(board, cell);
    return brick != nullptr && brick->Unbreakable == kFalse;
}

bool HoldsUnbreakableBrick(const Board& board, GridCell cell) {
    const BrickRecord* brick = UsedBrick(board, cell);
    return brick != nullptr && brick->Unbreakable != kFalse;
}

Reachability FindUnreachableBricks(const Board& board) {
    // A walk over the open cells from the bottom row up; each cell is put on the list once.
    std::array<bool, kCellCount> reached{};
    std::array<GridCell, kCellCount> pending{};
    std::size_t count = 0;
    const auto visit = [&](GridCell cell) {
        const std::size_t element = BoardCells::Element(cell.Column, cell.Row);
        if (!reached[element] && !HoldsUnbreakableBrick(board, cell)) {
            reached[element] = true;
            pending[count++] = cell;
        }
    };
    for (std::int32_t column = 0; column < kColumns; ++column) {
        visit({column, kRows - 1});
    }
    while (count > 0) {
        const GridCell cell = pending[--count];
        for (const GridCell step :
             {GridCell{-1, 0}, GridCell{1, 0}, GridCell{0, -1}, GridCell{0, 1}}) {
            const GridCell next{cell.Column + step.Column, cell.Row + step.Row};
            if (BoardCells::InGrid(next.Column, next.Row)) {
                visit(next);
            }
        }
    }

    Reachability result;
    for (std::int32_t row = 0; row < kRows; ++row) {
        for (std::int32_t column = 0; column < kColumns; ++column) {
            if (!HoldsBreakableBrick(board, {column, row})) {
                continue;
            }
            ++result.BreakableBricks;
            if (!reached[BoardCells::Element(column, row)]) {
                result.Unreachable.push_back({column, row});
            }
        }
    }
    return result;
}

}  // namespace core
