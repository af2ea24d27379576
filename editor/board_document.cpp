#include "editor/board_document.h"

#include <utility>

#include "shared/brick_sheet.h"

namespace editor {

namespace {

// The options that show a brick's flags: Explosive wins over Unbreakable, as the palette has
// always shown a brick that has both.
std::array<bool, 3> OptionsOf(const core::BrickRecord& brick) {
    if (brick.Explosive != core::kFalse) {
        return {false, true, false};
    }
    if (brick.Unbreakable != core::kFalse) {
        return {false, false, true};
    }
    return {true, false, false};
}

// The palette of a fresh table: its first brick selected, or nothing in an empty one.
PaletteView FirstBrickOf(const core::BrickTable& bricks) {
    return bricks.empty() ? PaletteView{} : PaletteView{0, OptionsOf(bricks.front())};
}

bool HoldsTheSame(const core::BoardCell& a, const core::BoardCell& b) {
    const bool used = a.Used == core::kTrue;
    return used == (b.Used == core::kTrue) && (!used || a.BrickIndex == b.BrickIndex);
}

}  // namespace

BoardDocument::BoardDocument(core::Board& board, RecoverySchedule::Now now)
    : board_(board), recovery_(std::move(now)) {}

void BoardDocument::Changed(bool edited) {
    if (edited) {
        if (IsModified()) {
            recovery_.Changed();
        } else {
            recovery_.Cancel();
        }
    }
    if (onChange_) {
        onChange_();
    }
}

void BoardDocument::Select(int brick) {
    const core::BrickRecord* record = board_.FindBrick(brick);
    if (bricksLoaded_ == core::kFalse || record == nullptr) {
        return;
    }
    palette_ = {brick, OptionsOf(*record)};
    Changed(false);
}

bool BoardDocument::ChooseOption(int index) {
    const PaletteView before = palette_;
    palette_.Options = {index == 0, index == 1, index == 2};
    if (bricksLoaded_ == core::kFalse) {
        Changed(false);
        return false;
    }
    EndStroke();
    const std::int32_t selected = palette_.ListIndex;
    if (board_.FindBrick(selected) == nullptr) {
        Changed(false);
        return true;
    }
    core::BrickRecord& brick = board_.Bricks[static_cast<std::size_t>(selected)];
    auto change = std::make_unique<FlagsChange>();
    *change = {selected,
               {brick.Explosive, core::ToVbBool(palette_.Options[1])},
               {brick.Unbreakable, core::ToVbBool(palette_.Options[2])},
               {before, palette_}};
    if (change->Explosive[0] == change->Explosive[1] &&
        change->Unbreakable[0] == change->Unbreakable[1]) {
        Changed(false);
        return true;
    }
    brick.Explosive = change->Explosive[1];
    brick.Unbreakable = change->Unbreakable[1];
    Step step;
    step.Name = "Change Flags";
    step.Flags = std::move(change);
    Push(std::move(step));
    return true;
}

void BoardDocument::PaintCell(GridCell cell, std::int16_t button) {
    const std::int32_t selected = palette_.ListIndex;
    recorder_.Touch(board_, cell);
    ApplyPaintingRule(board_, cell, button, selected);
    if (mirror_) {
        const GridCell mirrored{core::kColumns - 1 - cell.Column, cell.Row};
        recorder_.Touch(board_, mirrored);
        ApplyPaintingRule(board_, mirrored, button, selected);
    }
}

void BoardDocument::StrokeTo(GridCell cell, std::int16_t button) {
    if (button != kLeftButton && button != kRightButton) {
        // Several buttons, or none: nothing is painted, and the run starts again from the next
        // cell a single button paints.
        if (stroke_) {
            stroke_->End.reset();
        }
        return;
    }
    if (!stroke_) {
        stroke_ = Stroke{button == kLeftButton ? "Paint" : "Erase", std::nullopt, button};
    }
    // The cell the run reached last was painted by the call before and is not painted again.
    const bool continues = stroke_->End && stroke_->Button == button;
    std::vector<GridCell> cells{cell};
    if (continues) {
        cells = CellsOnLine(*stroke_->End, cell);
        cells.erase(cells.begin());
    }
    const core::BoardCells before = board_.Cells;
    for (const GridCell& on : cells) {
        PaintCell(on, button);
    }
    stroke_->End = cell;
    stroke_->Button = button;
    if (!continues || board_.Cells != before) {
        Changed(true);
    }
}

void BoardDocument::EndStroke() {
    if (!stroke_) {
        return;
    }
    const char* name = stroke_->Name;
    stroke_.reset();
    std::vector<CellChange> changes = recorder_.Finish(board_);
    if (changes.empty()) {
        Changed(true);  // a stroke that changed nothing leaves the board as clean as it was
        return;
    }
    Step step;
    step.Name = name;
    step.Cells = std::move(changes);
    Push(std::move(step));
}

void BoardDocument::CellsStep(const char* name, const std::function<void()>& edit) {
    EndStroke();
    stroke_ = Stroke{name, std::nullopt, 0};
    edit();
    EndStroke();
}

void BoardDocument::FillRectangle(GridCell from, GridCell to, std::int16_t button) {
    if (button == kLeftButton && SelectedBrick() == nullptr) {
        EndStroke();
        return;
    }
    CellsStep(button == kLeftButton ? "Fill Rectangle" : "Empty Rectangle",
              [&] { ForEachCell(from, to, [&](GridCell cell) { PaintCell(cell, button); }); });
}

void BoardDocument::FloodFill(GridCell start) {
    if (SelectedBrick() == nullptr || !core::BoardCells::InGrid(start.Column, start.Row)) {
        EndStroke();
        return;
    }
    const core::BoardCell target = board_.Cells(start.Column, start.Row);
    // The region is found on the board as it is before anything is painted, so a mirror image
    // painted on the way never joins or cuts it.
    std::vector<GridCell> region;
    std::array<bool, core::kCellCount> seen{};
    std::vector<GridCell> next{start};
    seen[static_cast<std::size_t>(start.Row * core::kColumns + start.Column)] = true;
    while (!next.empty()) {
        const GridCell cell = next.back();
        next.pop_back();
        region.push_back(cell);
        for (const GridCell step :
             {GridCell{1, 0}, GridCell{-1, 0}, GridCell{0, 1}, GridCell{0, -1}}) {
            const GridCell near{cell.Column + step.Column, cell.Row + step.Row};
            if (!core::BoardCells::InGrid(near.Column, near.Row)) {
                continue;
            }
            const std::size_t at =
                static_cast<std::size_t>(near.Row * core::kColumns + near.Column);
            if (!seen[at] && HoldsTheSame(board_.Cells(near.Column, near.Row), target)) {
                seen[at] = true;
                next.push_back(near);
            }
        }
    }
    CellsStep("Fill", [&] {
        for (const GridCell cell : region) {
            PaintCell(cell, kLeftButton);
        }
    });
}

void BoardDocument::ClearBoard() {
    CellsStep("Clear Board", [&] {
        ForEachCell(kFirstCell, kLastCell, [&](GridCell cell) {
            if (board_.Cells(cell.Column, cell.Row).Used != core::kFalse) {
                recorder_.Touch(board_, cell);
                ApplyPaintingRule(board_, cell, kRightButton, palette_.ListIndex);
            }
        });
    });
}

core::SheetCheck BoardDocument::ImportSheet(core::PictureBox sheet) {
    const core::SheetCheck check = core::CheckSheet(sheet.ScaleWidth(), sheet.ScaleHeight());
    if (check != core::SheetCheck::Accepted) {
        return check;
    }
    EndStroke();
    core::BrickTable table = core::BuildBrickTable(sheet);
    const PaletteView palette = FirstBrickOf(table);
    auto other = std::make_unique<BricksState>(
        BricksState{std::move(table), core::kTrue, palette, std::move(sheet)});
    SwapBricks(*other);
    Step step;
    step.Name = "Import Bricks";
    step.Bricks = std::move(other);
    Push(std::move(step));
    return check;
}

void BoardDocument::SwapBricks(BricksState& state) {
    std::swap(board_.Bricks, state.Bricks);
    std::swap(bricksLoaded_, state.BricksLoaded);
    std::swap(palette_, state.Palette);
    std::swap(sheet_, state.Sheet);
    ++tableRevision_;
}

void BoardDocument::Open(const BoardFiles& files, const std::string& file) {
    EndStroke();
    files.Load(file, board_);
    currentFile_ = file;
    TakeLoadedBricks();
    StartHistory(0);
}

void BoardDocument::Restore(const BoardFiles& files, const std::string& copy,
                            const std::string& boardFile) {
    EndStroke();
    files.Load(copy, board_);
    currentFile_ = boardFile;
    TakeLoadedBricks();
    StartHistory(std::nullopt);
}

void BoardDocument::New() {
    EndStroke();
    board_.Cells = core::BoardCells{};
    currentFile_.clear();
    StartHistory(0);
}

void BoardDocument::TakeLoadedBricks() {
    bricksLoaded_ = core::kTrue;
    palette_ = FirstBrickOf(board_.Bricks);
    ++tableRevision_;
}

void BoardDocument::StartHistory(std::optional<std::size_t> clean) {
    steps_.clear();
    done_ = 0;
    clean_ = clean;
    recorder_ = CellEditRecorder{};
    Changed(true);
}

void BoardDocument::Save(const BoardFiles& files, const std::string& file) {
    EndStroke();
    files.Save(file, board_);
    currentFile_ = file;
    clean_ = done_;
    Changed(true);
}

void BoardDocument::Push(Step step) {
    // What was undone is gone for good, and with it a clean state that lay there.
    steps_.resize(done_);
    if (clean_ && *clean_ > done_) {
        clean_.reset();
    }
    steps_.push_back(std::move(step));
    done_ = steps_.size();
    Changed(true);
}

void BoardDocument::Apply(Step& step, bool undo) {
    ApplyCellChanges(board_, step.Cells, undo);
    if (step.Bricks) {
        // Undo and redo of an import are the same exchange with the other side.
        SwapBricks(*step.Bricks);
    }
    if (step.Flags) {
        const FlagsChange& change = *step.Flags;
        const int side = undo ? 0 : 1;
        if (board_.FindBrick(change.Brick) != nullptr) {
            core::BrickRecord& brick = board_.Bricks[static_cast<std::size_t>(change.Brick)];
            brick.Explosive = change.Explosive[side];
            brick.Unbreakable = change.Unbreakable[side];
        }
        palette_ = change.Palette[side];
    }
}

std::string BoardDocument::UndoText() const {
    if (stroke_ && !recorder_.Empty()) {
        return stroke_->Name;
    }
    return done_ > 0 ? steps_[done_ - 1].Name : "";
}

std::string BoardDocument::RedoText() const {
    return CanRedo() ? steps_[done_].Name : "";
}

void BoardDocument::Undo() {
    EndStroke();
    if (done_ == 0) {
        return;
    }
    --done_;
    Apply(steps_[done_], true);
    Changed(true);
}

void BoardDocument::Redo() {
    EndStroke();
    if (done_ == steps_.size()) {
        return;
    }
    Apply(steps_[done_], false);
    ++done_;
    Changed(true);
}

bool BoardDocument::IsModified() const {
    return bricksLoaded_ != core::kFalse && (clean_ != done_ || !recorder_.Empty());
}

}  // namespace editor
