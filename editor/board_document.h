#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/cell_changes.h"
#include "editor/painting.h"
#include "editor/recovery_schedule.h"
#include "shared/board_model.h"
#include "shared/brick_sheet.h"
#include "shared/picture_box.h"
#include "shared/vb_types.h"

namespace editor {

// What the palette shows: the selected brick (-1: none) and the checked option, 0 "None",
// 1 "Explosive", 2 "Unbreakable" (none at start).
struct PaletteView {
    int ListIndex = -1;
    std::array<bool, 3> Options{};

    bool operator==(const PaletteView&) const = default;
};

// How boards reach files: the document never opens one itself, so it runs wherever its host
// can read and write boards (the desktop's files, a browser's memory). Both throw on failure;
// Load leaves the board as it was then, and Save leaves the file as it was.
struct BoardFiles {
    std::function<void(const std::string& file, core::Board& board)> Load;
    std::function<void(const std::string& file, core::Board& board)> Save;
};

// The board being edited, with everything that belongs to it rather than to a window: its brick
// table and the sheet it came from, the palette's selection, the current file, the history of
// edits and whether the board differs from its file. Every edit is a command here; undo and
// redo put the document back exactly as it was, and views redraw from it. No toolkit, no
// threads, no file access: the desktop editor and the browser editor both sit on it.
class BoardDocument {
  public:
    // `board` is the board the program keeps; the document is the only thing that edits it.
    explicit BoardDocument(core::Board& board,
                           RecoverySchedule::Now now = RecoverySchedule::Clock::now);

    const core::Board& Board() const { return board_; }
    core::VbBool BricksLoaded() const { return bricksLoaded_; }
    // The last accepted brick sheet (empty until one is imported).
    const core::PictureBox& Sheet() const { return sheet_; }
    const PaletteView& Palette() const { return palette_; }
    // The selected brick, if the table has it.
    const core::BrickRecord* SelectedBrick() const { return board_.FindBrick(palette_.ListIndex); }
    // Grows whenever the brick table is replaced, so a view knows to refill its palette.
    std::uint64_t TableRevision() const { return tableRevision_; }
    // The board's file as its host names it; empty while it has none.
    const std::string& CurrentFile() const { return currentFile_; }

    // Called after every change of anything above, once per command.
    void SetChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }

    // Palette: selecting a brick shows its flags in the options (Explosive before Unbreakable).
    // Not an edit. An index the table lacks changes nothing.
    void Select(int brick);
    // The user checked option `index`: the selected brick's flags follow the options, as one
    // step. Without bricks the option shows checked and nothing else changes; returns false then.
    bool ChooseOption(int index);

    // Painting. A stroke runs from the first cell a button paints (left) or erases (right) until
    // EndStroke, and is one step: each call paints the cells from where the stroke was last up to
    // `cell`, so a fast pointer leaves no gaps. Any other button value changes nothing and breaks
    // the run. With Mirror on, the mirror image about the board's vertical centre line of every
    // cell a stroke, rectangle or fill paints or erases changes with it, in the same step.
    void StrokeTo(GridCell cell, std::int16_t button);
    void EndStroke();
    bool StrokeInProgress() const { return stroke_.has_value(); }
    void SetMirror(bool on) { mirror_ = on; }
    bool Mirror() const { return mirror_; }
    // The rectangle between two corner cells filled with the selected brick (left) or emptied
    // (right), one step.
    void FillRectangle(GridCell from, GridCell to, std::int16_t button);
    // The 4-connected region of cells that hold what `cell` holds (the same brick, or nothing)
    // filled with the selected brick, one step.
    void FloodFill(GridCell cell);
    // Every used cell emptied, one step.
    void ClearBoard();

    // A brick sheet: CheckSheet's verdict; only an accepted sheet replaces the table (one step)
    // and selects its first brick. The cells keep their indexes, which now name the new bricks.
    core::SheetCheck ImportSheet(core::PictureBox sheet);

    // Files. Open reads a board through `files` and starts a new history with it, clean; New
    // empties the cells and does the same without a file. Restore reads a recovery copy as the
    // unsaved work on `boardFile`: never clean until it is saved. Save writes the board and makes
    // that state clean. Each throws what the files throw, having changed nothing.
    void Open(const BoardFiles& files, const std::string& file);
    void Restore(const BoardFiles& files, const std::string& copy, const std::string& boardFile);
    void New();
    void Save(const BoardFiles& files, const std::string& file);

    // History. Undo and redo end a stroke in progress first, so an undo pressed mid-stroke takes
    // back that stroke. Names are those of the menu ("Paint", "Import Bricks", ...).
    bool CanUndo() const { return !recorder_.Empty() || done_ > 0; }
    bool CanRedo() const { return recorder_.Empty() && done_ < steps_.size(); }
    std::string UndoText() const;
    std::string RedoText() const;
    void Undo();
    void Redo();
    std::size_t StepCount() const { return steps_.size(); }
    // Whether the board holds work its file lacks (a board without bricks holds none).
    bool IsModified() const;

    // The recovery copy: when it is due, and that it was written. The schedule follows
    // IsModified on its own.
    RecoverySchedule& Recovery() { return recovery_; }

  private:
    // Everything a sheet import replaces; an import's step keeps the other side.
    struct BricksState {
        core::BrickTable Bricks;
        core::VbBool BricksLoaded = core::kFalse;
        PaletteView Palette;
        core::PictureBox Sheet;
    };
    struct FlagsChange {
        std::int32_t Brick = 0;
        core::VbBool Explosive[2]{};  // before, after
        core::VbBool Unbreakable[2]{};
        PaletteView Palette[2];
    };
    struct Step {
        const char* Name = "";
        std::vector<CellChange> Cells;
        std::unique_ptr<BricksState> Bricks;
        std::unique_ptr<FlagsChange> Flags;
    };
    struct Stroke {
        const char* Name = "";
        std::optional<GridCell> End;  // where the run of painting was last
        std::int16_t Button = 0;
    };

    // Paints (or erases) one cell, and its mirror image while Mirror is on, into the stroke.
    void PaintCell(GridCell cell, std::int16_t button);
    // Runs `edit` as one step named `name` made of the cells it paints.
    void CellsStep(const char* name, const std::function<void()>& edit);
    void Push(Step step);
    void Apply(Step& step, bool undo);
    void SwapBricks(BricksState& state);
    // A board read from a file brings its own bricks: they are the table, the first selected.
    void TakeLoadedBricks();
    void StartHistory(std::optional<std::size_t> clean);
    void Changed(bool edited);

    core::Board& board_;
    core::VbBool bricksLoaded_ = core::kFalse;
    core::PictureBox sheet_;
    PaletteView palette_;
    std::uint64_t tableRevision_ = 0;
    std::string currentFile_;
    bool mirror_ = false;

    std::vector<Step> steps_;
    std::size_t done_ = 0;
    std::optional<std::size_t> clean_ = 0;  // none: no step of the history is the file
    std::optional<Stroke> stroke_;
    CellEditRecorder recorder_;
    RecoverySchedule recovery_;
    std::function<void()> onChange_;
};

}  // namespace editor
