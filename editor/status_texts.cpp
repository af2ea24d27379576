#include "editor/status_texts.h"

#include "editor/painting.h"
#include "shared/bricks_to_clear.h"

namespace editor {

std::string Counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string BricksToClearText(const core::Board& board) {
    // Balls fly through every brick, so every breakable one is cleared sooner or later, and a
    // board whose bricks are all unbreakable never is.
    std::size_t shown = 0;  // used cells whose brick the table has
    ForEachCell(kFirstCell, kLastCell, [&](GridCell cell) {
        const core::BoardCell& model = board.Cells(cell.Column, cell.Row);
        if (model.Used == core::kTrue && board.FindBrick(model.BrickIndex) != nullptr) {
            ++shown;
        }
    });
    const auto toClear = static_cast<std::size_t>(core::CountBricksToClear(board));
    return toClear == 0 && shown > 0 ? "No breakable brick: the board can never be finished"
                                     : Counted(toClear, "brick to clear", "bricks to clear");
}

}  // namespace editor
