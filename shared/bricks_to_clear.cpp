#include "shared/bricks_to_clear.h"

namespace core {

bool HoldsBreakableBrick(const Board& board, GridCell cell) {
    const BoardCell& c = board.Cells(cell.Column, cell.Row);
    const BrickRecord* brick = c.Used == kTrue ? board.FindBrick(c.BrickIndex) : nullptr;
    return brick != nullptr && brick->Unbreakable == kFalse;
}

int CountBricksToClear(const Board& board) {
    int count = 0;
    for (std::int32_t row = 0; row < kRows; ++row) {
        for (std::int32_t column = 0; column < kColumns; ++column) {
            count += HoldsBreakableBrick(board, {column, row}) ? 1 : 0;
        }
    }
    return count;
}

}  // namespace core
