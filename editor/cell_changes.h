#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "editor/painting.h"
#include "shared/board_model.h"

namespace editor {

// One cell an edit changed: its model before and after. The view is always a redraw of the
// board, so that is all undo needs to show the cell again exactly as it was.
struct CellChange {
    std::uint16_t Element = 0;  // 20 row + column
    core::BoardCell Before;
    core::BoardCell After;

    GridCell Cell() const { return {Element % core::kColumns, Element / core::kColumns}; }
};

// Collects the cells one edit (a stroke, a rectangle, a fill, Clear Board) touches: call Touch
// before a cell is changed, Finish once the edit is over to get the cells that really changed.
class CellEditRecorder {
  public:
    void Touch(const core::Board& board, GridCell cell);
    bool Empty() const { return touched_.empty(); }
    std::vector<CellChange> Finish(const core::Board& board);

  private:
    std::map<std::uint16_t, core::BoardCell> touched_;
};

// Puts the cells back as they were before the edit (undo) or after it (redo).
void ApplyCellChanges(core::Board& board, const std::vector<CellChange>& changes, bool undo);

}  // namespace editor
