#include "editor/cell_changes.h"

namespace editor {

void CellEditRecorder::Touch(const core::Board& board, GridCell cell) {
    touched_.try_emplace(static_cast<std::uint16_t>(cell.Row * core::kColumns + cell.Column),
                         board.Cells(cell.Column, cell.Row));
}

std::vector<CellChange> CellEditRecorder::Finish(const core::Board& board) {
    std::vector<CellChange> changes;
    for (const auto& [element, before] : touched_) {
        CellChange change{element, before, {}};
        const GridCell cell = change.Cell();
        change.After = board.Cells(cell.Column, cell.Row);
        if (change.Before != change.After) {
            changes.push_back(change);
        }
    }
    touched_.clear();
    return changes;
}

void ApplyCellChanges(core::Board& board, const std::vector<CellChange>& changes, bool undo) {
    for (const CellChange& change : changes) {
        const GridCell cell = change.Cell();
        board.Cells(cell.Column, cell.Row) = undo ? change.Before : change.After;
    }
}

}  // namespace editor
