#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QUndoCommand>

#include "editor/cell_changes.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"
#include "shared/vb_types.h"

namespace editor {

// What the palette shows: the selected item and the checked option (none at start).
struct PaletteView {
    int ListIndex = -1;
    std::array<bool, 3> Options{};

    bool operator==(const PaletteView&) const = default;
};

// Everything a brick sheet import replaces.
struct BricksState {
    core::BrickTable Bricks;
    core::VbBool BricksLoaded = core::kFalse;
    PaletteView Palette;
    std::vector<core::Rgb32> Preview;
    core::PictureBox Sheet;
};

struct BrickFlags {
    core::VbBool Explosive = core::kFalse;
    core::VbBool Unbreakable = core::kFalse;
};

// What the undo steps change in the window. The window implements it; each step keeps only
// what it needs to go back and forth.
class EditTarget {
  public:
    virtual void ApplyCells(const std::vector<CellChange>& changes, bool undo) = 0;
    // Exchanges the window's bricks state with `state`: undo and redo of an import are the same
    // exchange, so the step keeps one state, not two.
    virtual void SwapBricks(BricksState& state) = 0;
    virtual void RestoreFlags(std::int32_t brick, BrickFlags flags, const PaletteView& view) = 0;

  protected:
    ~EditTarget() = default;
};

// Each step is pushed after the window has made its change, so the first redo does nothing.
class EditCommand : public QUndoCommand {
  public:
    EditCommand(EditTarget& target, const QString& text) : QUndoCommand(text), target_(target) {}
    void undo() final { Apply(true); }
    void redo() final {
        if (done_) {
            done_ = false;
            return;
        }
        Apply(false);
    }

  protected:
    virtual void Apply(bool undo) = 0;
    EditTarget& target_;

  private:
    bool done_ = true;
};

// A paint or erase stroke, a rectangle, Clear Board: only the cells it changed.
class CellsCommand final : public EditCommand {
  public:
    CellsCommand(EditTarget& target, const QString& text, std::vector<CellChange> changes)
        : EditCommand(target, text), changes_(std::move(changes)) {}

  private:
    void Apply(bool undo) override { target_.ApplyCells(changes_, undo); }
    std::vector<CellChange> changes_;
};

// A brick sheet import: the table, the palette, its selection and the sheet of the other side
// of the step (before it while it is done, after it while it is undone).
class BricksCommand final : public EditCommand {
  public:
    BricksCommand(EditTarget& target, const QString& text, BricksState before)
        : EditCommand(target, text), other_(std::move(before)) {}

  private:
    void Apply(bool) override { target_.SwapBricks(other_); }
    BricksState other_;
};

// A change of one brick's flags through the options.
class FlagsCommand final : public EditCommand {
  public:
    FlagsCommand(EditTarget& target, const QString& text, std::int32_t brick, BrickFlags before,
                 BrickFlags after, PaletteView viewBefore, PaletteView viewAfter)
        : EditCommand(target, text),
          brick_(brick),
          before_(before),
          after_(after),
          viewBefore_(viewBefore),
          viewAfter_(viewAfter) {}

  private:
    void Apply(bool undo) override {
        target_.RestoreFlags(brick_, undo ? before_ : after_, undo ? viewBefore_ : viewAfter_);
    }
    std::int32_t brick_;
    BrickFlags before_;
    BrickFlags after_;
    PaletteView viewBefore_;
    PaletteView viewAfter_;
};

}  // namespace editor
