#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "editor/painting.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace editor {

// The 30 x 15 pixels of one cell of the board view, row by row.
using CellPixels = std::array<core::Rgb32, core::kCellWidth * core::kCellHeight>;

CellPixels ShownCell(const core::PictureBox& view, GridCell cell);
void ShowCell(core::PictureBox& view, GridCell cell, const CellPixels& pixels);

// What the view shows for a cell after a redraw: its brick, the missing-brick marker, or (for
// any Used other than exactly true) the cell's own grid lines on white.
void DrawCell(core::PictureBox& view, const core::Board& board, GridCell cell);
CellPixels DrawnCell(const core::BrickTable& bricks, const core::BoardCell& cell);

// One cell an edit changed. The pixels are kept only where the view showed something a redraw
// would not, so an edit costs a few bytes per cell and undo still gives the view back pixel for
// pixel. The window redraws the whole view whenever the table changes, so today every cell shows
// its redraw; the pixels are a guard that keeps undo exact should that ever not hold.
struct CellChange {
    std::uint16_t Element = 0;  // 20 row + column
    core::BoardCell Before;
    core::BoardCell After;
    std::unique_ptr<CellPixels> ShownBefore;
    std::unique_ptr<CellPixels> ShownAfter;

    GridCell Cell() const { return {Element % core::kColumns, Element / core::kColumns}; }
};

// Collects the cells one edit (a stroke, a rectangle, Clear Board) touches: call Touch before a
// cell is changed, Finish once the edit is over to get the cells that really changed, in model
// or on screen.
class CellEditRecorder {
  public:
    void Touch(const core::Board& board, const core::PictureBox& view, GridCell cell);
    bool Empty() const { return touched_.empty(); }
    std::vector<CellChange> Finish(const core::Board& board, const core::PictureBox& view);

  private:
    struct Touched {
        core::BoardCell Cell;
        CellPixels Shown;
    };
    std::map<std::uint16_t, Touched> touched_;
};

// Puts the cells back as they were before the edit (undo) or after it (redo), on screen too.
// Does not refresh the view.
void ApplyCellChanges(core::Board& board, core::PictureBox& view,
                      const std::vector<CellChange>& changes, bool undo);

}  // namespace editor
