#include "editor/form1.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QKeySequence>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QShortcut>
#include <QStringList>
#include <QUndoStack>
#include <algorithm>
#include <exception>
#include <new>

#include "editor/absolute_path.h"
#include "editor/default_sheet_folder.h"
#include "editor/edit_commands.h"
#include "editor/file_filters.h"
#include "editor/painting.h"
#include "editor/picture_view.h"
#include "qt_picture/picture_files.h"
#include "shared/board_file.h"
#include "shared/brick_drawing.h"
#include "shared/brick_sheet.h"

namespace editor {

namespace {

constexpr const char* kUnsavedQuestion = "The board has unsaved changes. Save them?";

std::vector<core::Rgb32> Pixels(const core::PictureBox& box) {
    return {box.Image().begin(), box.Image().end()};
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int y) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 89, 25);
    return button;
}

}  // namespace

Form1::Form1(core::Board& board, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), board_(board), dialogs_(dialogs), history_(new QUndoStack(this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(kClientWidth, kClientHeight);
    CDLoad.Host = &dialogs_;

    PicDisp = new PictureView(core::kBoardWidth, core::kBoardHeight, this);
    PicDisp->setObjectName(QStringLiteral("PicDisp"));
    PicDisp->move(8, 8);
    PicDisp->SetMouseMoveHandler([this](std::int16_t b, std::int16_t s, float x, float y) {
        PicDisp_MouseMove(b, s, x, y);
    });
    PicDisp->SetMouseDownHandler([this](std::int16_t b, std::int16_t s, float x, float y) {
        PicDisp_MouseDown(b, s, x, y);
    });
    PicDisp->SetMouseUpHandler(
        [this](std::int16_t b, std::int16_t s, float x, float y) { PicDisp_MouseUp(b, s, x, y); });

    cmdLoadBricks = MakeButton(this, "cmdLoadBricks", "Load Bricks", 8, 312);

    // A list that cannot be typed into: the selection always names a brick of the table or
    // nothing, and "Bricks" shows until the first sheet or board fills it.
    cmdBricks = new QComboBox(this);
    cmdBricks->setObjectName(QStringLiteral("cmdBricks"));
    cmdBricks->setEditable(false);
    cmdBricks->setPlaceholderText(QStringLiteral("Bricks"));
    cmdBricks->setGeometry(104, 312, 81, 21);

    PicBrick = new PictureView(core::kCellWidth, core::kCellHeight, this);
    PicBrick->setObjectName(QStringLiteral("PicBrick"));
    PicBrick->move(192, 312);

    struct OptionLayout {
        const char* caption;
        int y;
        int width;
    };
    constexpr std::array<OptionLayout, 3> kOptions{{
        {"None", 312, 65},
        {"Explosive", 328, 65},
        {"Unbreakable", 344, 81},
    }};
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group_ = group;
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(kOptions[i].caption), this);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        // Never narrower than the caption needs in the desktop's font, so no caption is cut.
        const int width = std::max(kOptions[i].width, option->sizeHint().width());
        option->setGeometry(232, kOptions[i].y, width, 17);
        group->addButton(option, static_cast<int>(i));
        Option1[i] = option;
    }

    cmdSaveBoard = MakeButton(this, "cmdSaveBoard", "Save Board", 8, 368);
    cmdLoadBoard = MakeButton(this, "cmdLoadBoard", "Load Board", 8, 400);

    setTabOrder(PicDisp, cmdLoadBricks);
    setTabOrder(cmdLoadBricks, cmdBricks);
    setTabOrder(cmdBricks, PicBrick);
    setTabOrder(PicBrick, Option1[1]);
    setTabOrder(Option1[1], Option1[2]);
    setTabOrder(Option1[2], Option1[0]);
    setTabOrder(Option1[0], cmdSaveBoard);
    setTabOrder(cmdSaveBoard, cmdLoadBoard);

    connect(cmdLoadBricks, &QPushButton::clicked, this, [this] { cmdLoadBricks_Click(); });
    connect(cmdSaveBoard, &QPushButton::clicked, this, [this] { cmdSaveBoard_Click(); });
    connect(cmdLoadBoard, &QPushButton::clicked, this, [this] { cmdLoadBoard_Click(); });
    // activated: a choice by the user, also of the item already selected. The program's own
    // selections go through SetListIndex.
    connect(cmdBricks, &QComboBox::activated, this, [this](int) { cmdBricks_Click(); });
    // idClicked comes from the user only. When cmdBricks_Click selects the option that shows a
    // brick's flags, the flags are not rewritten: a brick loaded with both flags keeps them
    // until the user picks an option.
    connect(group, &QButtonGroup::idClicked, this,
            [this](int id) { Option1_Click(static_cast<std::int16_t>(id)); });

    // Keys 1 to 9 pick bricks 1 to 9, wherever the focus is in the window.
    for (int i = 0; i < 9; ++i) {
        auto* key = new QShortcut(QKeySequence(Qt::Key_1 + i), this);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, [this, i] { SelectBrick(i); });
    }
    connect(history_, &QUndoStack::indexChanged, this, [this] { Changed(); });
    connect(history_, &QUndoStack::cleanChanged, this, [this] { Changed(); });

    Form_Load();
}

Form1::~Form1() {
    // The steps refer to this window; they go first, telling no one (the main window around
    // this area may be half gone already).
    onChange_ = nullptr;
    onFile_ = nullptr;
    onHint_ = nullptr;
    history_->disconnect(this);
    history_->clear();
}

void Form1::Form_Load() {
    PicDisp->ResizePicture(kViewWidth, kViewHeight);
    PicDisp->Picture().Cls();
    DrawGrid(PicDisp->Picture());
    PicDisp->Picture().Refresh();
}

void Form1::DrawGrid(core::PictureBox& box) {
    editor::DrawGrid(box);
}

void Form1::RedrawBoard(core::PictureBox& box) {
    editor::RedrawBoard(box, board_);
}

void Form1::RedrawView() {
    PicDisp->Picture().Cls();
    RedrawBoard(PicDisp->Picture());
    PicDisp->Picture().Refresh();
}

std::int32_t Form1::ListIndex() const {
    return cmdBricks->currentIndex();
}

void Form1::SetListIndex(int index) {
    cmdBricks->setCurrentIndex(index);
    cmdBricks_Click();
}

void Form1::ShowMessage(const std::string& text) {
    dialogs_.MessageBox(text, kProgramTitle);
}

bool Form1::Guarded(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        ShowMessage("Not enough memory to complete the command.");
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    }
    return false;
}

void Form1::SetCaption(const QString& caption) {
    setWindowTitle(caption);
    if (window() != this) {
        window()->setWindowTitle(caption);
    }
}

void Form1::Changed() {
    if (onChange_) {
        onChange_();
    }
}

bool Form1::HintWithoutBricks() {
    if (state_.BricksLoaded != core::kFalse) {
        return false;
    }
    if (onHint_) {
        onHint_(kNoBricksHint);
    }
    return true;
}

void Form1::PaintCursorCell(std::int16_t button) {
    const GridCell cell{state_.CursorCol, state_.CursorRow};
    if (button != kLeftButton && button != kRightButton) {
        strokeEnd_.reset();
        ApplyPaintingRule(board_, PicDisp->Picture(), cell, button, ListIndex());
        return;
    }
    // Everything until the buttons are released is one step of the history.
    if (!strokeName_) {
        strokeName_ = button == kLeftButton ? QStringLiteral("Paint") : QStringLiteral("Erase");
    }
    // The window system reports a fast pointer only now and then; the stroke fills the cells
    // between the last one it reached and this one, so it has no gaps. The last one was painted
    // by the event before and is not painted again.
    const bool continues = strokeEnd_ && strokeEnd_->Button == button;
    const bool newCell = !continues || strokeEnd_->Cell != cell;
    std::vector<GridCell> cells{cell};
    if (continues && newCell) {
        cells = CellsOnLine(strokeEnd_->Cell, cell);
        cells.erase(cells.begin());
    }
    for (const GridCell& on : cells) {
        stroke_.Touch(board_, PicDisp->Picture(), on);
        ApplyPaintingRule(board_, PicDisp->Picture(), on, button, ListIndex());
    }
    strokeEnd_ = StrokeEnd{cell, button};
    // The status bar counts the used cells as the stroke goes, not only once it ends.
    if (newCell) {
        Changed();
    }
}

void Form1::FinishStroke() {
    strokeEnd_.reset();
    if (!strokeName_) {
        return;
    }
    const QString name = *strokeName_;
    strokeName_.reset();
    std::vector<CellChange> changes = stroke_.Finish(board_, PicDisp->Picture());
    if (!changes.empty()) {
        history_->push(new CellsCommand(*this, name, std::move(changes)));
    }
    Changed();
}

void Form1::FillRectangle(GridCell from, GridCell to, std::int16_t button) {
    FinishStroke();
    if (button == kLeftButton && board_.FindBrick(ListIndex()) == nullptr) {
        return;
    }
    strokeName_ = button == kLeftButton ? QStringLiteral("Fill Rectangle")
                                        : QStringLiteral("Empty Rectangle");
    for (std::int32_t c = std::min(from.Column, to.Column); c <= std::max(from.Column, to.Column);
         ++c) {
        for (std::int32_t r = std::min(from.Row, to.Row); r <= std::max(from.Row, to.Row); ++r) {
            stroke_.Touch(board_, PicDisp->Picture(), {c, r});
            ApplyPaintingRule(board_, PicDisp->Picture(), {c, r}, button, ListIndex());
        }
    }
    FinishStroke();
}

namespace {

std::optional<QRect> CellsOutline(GridCell from, GridCell to) {
    const int c0 = std::min(from.Column, to.Column);
    const int r0 = std::min(from.Row, to.Row);
    const int c1 = std::max(from.Column, to.Column);
    const int r1 = std::max(from.Row, to.Row);
    return QRect(core::kCellWidth * c0, core::kCellHeight * r0, core::kCellWidth * (c1 - c0 + 1),
                 core::kCellHeight * (r1 - r0 + 1));
}

}  // namespace

void Form1::PicDisp_MouseMove(std::int16_t Button, std::int16_t, float X, float Y) {
    const GridCell cell = CellUnderPointer(static_cast<double>(X), static_cast<double>(Y));
    state_.CursorCol = cell.Column;
    state_.CursorRow = cell.Row;
    SetCaption(QString::fromStdString(CellCaption(cell)));
    if (state_.BricksLoaded != core::kFalse) {
        if (rectangle_) {
            PicDisp->SetOutline(CellsOutline(rectangle_->From, cell));
        } else {
            PaintCursorCell(Button);
        }
        PicDisp->Picture().Refresh();
    }
}

void Form1::PicDisp_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    if (state_.BricksLoaded == core::kFalse) {
        // One hint per press of a painting button; the rest of the drag adds none.
        if (Button == kLeftButton || Button == kRightButton) {
            HintWithoutBricks();
        }
        return;
    }
    const GridCell pointer = CellUnderPointer(static_cast<double>(X), static_cast<double>(Y));
    FinishStroke();
    // A rectangle whose release never came (the grab was lost) ends with the next press.
    rectangle_.reset();
    PicDisp->SetOutline(std::nullopt);
    if ((Shift & 1) != 0 && (Button == kLeftButton || Button == kRightButton)) {
        // Shift-drag: the rectangle is only outlined until the button is released.
        rectangle_ = RectangleDrag{pointer, Button};
        PicDisp->SetOutline(CellsOutline(pointer, pointer));
    } else if (Button == kMiddleButton) {
        // Picks the cell's brick as if the user had chosen it in the palette.
        const core::BoardCell& cell = board_.Cells(pointer.Column, pointer.Row);
        if (cell.Used == core::kTrue && board_.FindBrick(cell.BrickIndex) != nullptr &&
            cell.BrickIndex < cmdBricks->count()) {
            SetListIndex(cell.BrickIndex);
        }
    } else {
        PaintCursorCell(Button);
    }
    PicDisp->Picture().Refresh();
}

void Form1::PicDisp_MouseUp(std::int16_t Button, std::int16_t, float X, float Y) {
    if (rectangle_) {
        if (Button != rectangle_->Button) {
            return;
        }
        const RectangleDrag drag = *rectangle_;
        rectangle_.reset();
        PicDisp->SetOutline(std::nullopt);
        FillRectangle(drag.From, CellUnderPointer(static_cast<double>(X), static_cast<double>(Y)),
                      drag.Button);
        PicDisp->Picture().Refresh();
        return;
    }
    FinishStroke();
}

void Form1::cmdLoadBricks_Click() {
    FinishStroke();
    CDLoad.DialogTitle = "Load Bricks";
    CDLoad.FileName = "";
    CDLoad.Filter = BrickSheetFilter();
    // Until a sheet has been imported, the dialog starts where the default sheet lies.
    CDLoad.InitDir = PicBricks.Width() == 0 ? DefaultSheetFolder() : "";
    CDLoad.ShowOpen();
    if (CDLoad.FileName.empty()) {
        return;
    }
    ImportSheetFrom(CDLoad.FileName);
}

bool Form1::ImportSheetFile(const std::string& path) {
    FinishStroke();
    return ImportSheetFrom(path);
}

bool Form1::ImportSheetFrom(const std::string& path) {
    bool imported = false;
    Guarded([&] {
        // The sheet is checked in a holder of its own; nothing of the window changes until it
        // has been read, checked and cut into bricks.
        core::PictureBox PicTempBricks;
        if (const auto failure = qt_picture::LoadPicture(path, PicTempBricks)) {
            ShowMessage(qt_picture::FailureMessage(path, *failure));
            return;
        }
        const core::SheetCheck check =
            core::CheckSheet(PicTempBricks.ScaleWidth(), PicTempBricks.ScaleHeight());
        if (check != core::SheetCheck::Accepted) {
            ShowMessage(core::SheetCheckMessage(check, PicTempBricks.ScaleWidth(),
                                                PicTempBricks.ScaleHeight(), path));
            return;
        }
        core::BrickTable table = core::BuildBrickTable(PicTempBricks);

        // What the import replaces is moved into its undo step, not copied.
        BricksState previous{std::move(board_.Bricks), state_.BricksLoaded, CapturePalette(),
                             Pixels(PicBrick->Picture()), std::move(PicBricks)};
        PicBricks = std::move(PicTempBricks);
        board_.Bricks = std::move(table);
        state_.BricksLoaded = core::kTrue;
        FillPalette(board_.Bricks.size());
        // The cells keep their bricks' indexes, which now name the new sheet's bricks (or none):
        // the view shows at once what a save would write.
        RedrawView();
        history_->push(
            new BricksCommand(*this, QStringLiteral("Import Bricks"), std::move(previous)));
        imported = true;
    });
    return imported;
}

void Form1::FillPalette(std::size_t bricks) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(bricks));
    for (std::size_t i = 0; i < bricks; ++i) {
        items.append(QString::fromStdString(core::BrickName(static_cast<std::int32_t>(i))));
    }
    cmdBricks->clear();
    cmdBricks->addItems(items);
    SetListIndex(0);
}

void Form1::SelectBrick(int index) {
    if (state_.BricksLoaded == core::kFalse || index < 0 || index >= cmdBricks->count()) {
        return;
    }
    SetListIndex(index);
}

PaletteView Form1::CapturePalette() const {
    PaletteView view;
    view.ListIndex = ListIndex();
    for (std::size_t i = 0; i < Option1.size(); ++i) {
        view.Options[i] = Option1[i]->isChecked();
    }
    return view;
}

void Form1::ShowPalette(const PaletteView& view) {
    cmdBricks->setCurrentIndex(view.ListIndex);
    // An exclusive group cannot show "none checked", which is how the window starts.
    group_->setExclusive(false);
    for (std::size_t i = 0; i < Option1.size(); ++i) {
        Option1[i]->setChecked(view.Options[i]);
    }
    group_->setExclusive(true);
    optionsShown_ = view.Options;
}

void Form1::cmdBricks_Click() {
    if (state_.BricksLoaded == core::kFalse) {
        return;
    }
    const std::int32_t selected = ListIndex();
    const core::BrickRecord* brick = board_.FindBrick(selected);
    if (brick == nullptr) {
        return;
    }
    core::DrawBrick(PicBrick->Picture(), 0, 0, board_.Bricks, selected, core::kFalse,
                    core::ErasePattern::GridLines);
    PicBrick->Picture().Refresh();
    if (brick->Explosive != core::kFalse) {
        Option1[1]->setChecked(true);
    } else if (brick->Unbreakable != core::kFalse) {
        Option1[2]->setChecked(true);
    } else {
        Option1[0]->setChecked(true);
    }
    optionsShown_ = CapturePalette().Options;
}

void Form1::Option1_Click(std::int16_t) {
    PaletteView before = CapturePalette();
    before.Options = optionsShown_;
    optionsShown_ = CapturePalette().Options;
    if (HintWithoutBricks()) {
        return;
    }
    FinishStroke();
    const std::int32_t selected = ListIndex();
    if (board_.FindBrick(selected) == nullptr) {
        return;
    }
    core::BrickRecord& brick = board_.Bricks[static_cast<std::size_t>(selected)];
    const BrickFlags old{brick.Explosive, brick.Unbreakable};
    brick.Explosive = core::ToVbBool(Option1[1]->isChecked());
    brick.Unbreakable = core::ToVbBool(Option1[2]->isChecked());
    const BrickFlags now{brick.Explosive, brick.Unbreakable};
    if (old.Explosive != now.Explosive || old.Unbreakable != now.Unbreakable) {
        history_->push(new FlagsCommand(*this, QStringLiteral("Change Flags"), selected, old, now,
                                        before, CapturePalette()));
    }
}

void Form1::cmdLoadBoard_Click() {
    FinishStroke();
    if (!MayDiscardChanges()) {
        return;
    }
    CDLoad.DialogTitle = "Load Board";
    CDLoad.FileName = "";
    CDLoad.Filter = kBoardFileFilter;
    CDLoad.ShowOpen();
    if (CDLoad.FileName.empty()) {
        return;
    }
    LoadBoardFrom(CDLoad.FileName);
}

bool Form1::OpenBoardFile(const std::string& path) {
    FinishStroke();
    if (!MayDiscardChanges()) {
        return false;
    }
    return LoadBoardFrom(path);
}

void Form1::ShowLoadedBoard() {
    RedrawView();
    state_.BricksLoaded = core::kTrue;
    FillPalette(board_.Bricks.size());
}

bool Form1::LoadBoardFrom(const std::string& path) {
    // All or nothing: on any error the board is as it was, and so is everything shown.
    if (!Guarded([&] { core::LoadBoard(path, board_); })) {
        return false;
    }
    ShowLoadedBoard();
    currentFile_ = AbsolutePath(path);
    StartNewHistory();
    if (onFile_) {
        onFile_(currentFile_);
    }
    Changed();
    return true;
}

std::string Form1::RestoreUnsaved(const std::string& path, const std::string& boardFile) {
    try {
        core::LoadBoard(path, board_);
    } catch (const std::exception& e) {
        return e.what();
    }
    ShowLoadedBoard();
    currentFile_ = AbsolutePath(boardFile);
    StartNewHistory();
    // Never clean until it is saved: its file (if it has one) does not hold it.
    history_->resetClean();
    Changed();
    return {};
}

void Form1::cmdSaveBoard_Click() {
    SaveBoardAs();
}

bool Form1::SaveBoardAs() {
    FinishStroke();
    if (HintWithoutBricks()) {
        return false;
    }
    CDLoad.DialogTitle = "Save Board";
    CDLoad.FileName = "";
    CDLoad.Filter = kBoardFileFilter;
    CDLoad.ShowSave();
    if (CDLoad.FileName.empty()) {
        return false;
    }
    return SaveBoardTo(CDLoad.FileName);
}

bool Form1::SaveBoard() {
    FinishStroke();
    if (HintWithoutBricks()) {
        return false;
    }
    if (currentFile_.empty()) {
        return SaveBoardAs();
    }
    return SaveBoardTo(currentFile_);
}

bool Form1::SaveBoardTo(const std::string& path) {
    // A failed save changes nothing in the editor, not even the header it would have written.
    if (!Guarded([&] { core::SaveBoard(path, board_, boardWriter_); })) {
        return false;
    }
    currentFile_ = AbsolutePath(path);
    history_->setClean();
    if (onFile_) {
        onFile_(currentFile_);
    }
    Changed();
    return true;
}

void Form1::NewBoard() {
    FinishStroke();
    if (!MayDiscardChanges()) {
        return;
    }
    board_.Cells = core::BoardCells{};
    RedrawView();
    currentFile_.clear();
    StartNewHistory();
    Changed();
}

void Form1::ClearBoard() {
    FinishStroke();
    strokeName_ = QStringLiteral("Clear Board");
    for (std::int32_t r = 0; r < core::kRows; ++r) {
        for (std::int32_t c = 0; c < core::kColumns; ++c) {
            if (board_.Cells(c, r).Used != core::kFalse) {
                stroke_.Touch(board_, PicDisp->Picture(), {c, r});
                ApplyPaintingRule(board_, PicDisp->Picture(), {c, r}, kRightButton, ListIndex());
            }
        }
    }
    FinishStroke();
    PicDisp->Picture().Refresh();
}

void Form1::Undo() {
    FinishStroke();
    history_->undo();
}

void Form1::Redo() {
    FinishStroke();
    history_->redo();
}

void Form1::StartNewHistory() {
    strokeName_.reset();
    strokeEnd_.reset();
    stroke_ = CellEditRecorder{};
    rectangle_.reset();
    PicDisp->SetOutline(std::nullopt);
    history_->clear();
}

bool Form1::IsModified() const {
    return state_.BricksLoaded != core::kFalse && (!history_->isClean() || !stroke_.Empty());
}

bool Form1::MayDiscardChanges() {
    FinishStroke();
    if (!IsModified()) {
        return true;
    }
    const int answer =
        dialogs_.Ask({kUnsavedQuestion, kProgramTitle, {"Save", "Discard", "Cancel"}, 0, 2});
    switch (answer) {
        case 0:
            return SaveBoard();
        case 1:
            return true;
        default:
            return false;
    }
}

void Form1::ApplyCells(const std::vector<CellChange>& changes, bool undo) {
    ApplyCellChanges(board_, PicDisp->Picture(), changes, undo);
    PicDisp->Picture().Refresh();
    Changed();
}

void Form1::SwapBricks(BricksState& state) {
    BricksState current{std::move(board_.Bricks), state_.BricksLoaded, CapturePalette(),
                        Pixels(PicBrick->Picture()), std::move(PicBricks)};
    board_.Bricks = std::move(state.Bricks);
    state_.BricksLoaded = state.BricksLoaded;
    PicBricks = std::move(state.Sheet);
    QStringList items;
    for (std::size_t i = 0; i < board_.Bricks.size(); ++i) {
        items.append(QString::fromStdString(core::BrickName(static_cast<std::int32_t>(i))));
    }
    cmdBricks->clear();
    cmdBricks->addItems(items);
    ShowPalette(state.Palette);
    std::copy(state.Preview.begin(), state.Preview.end(), PicBrick->Picture().Image().begin());
    PicBrick->Picture().Refresh();
    // Before and after an import the view is a redraw of the board with its table, so a redraw
    // with the table put back shows exactly what the view showed then.
    RedrawView();
    state = std::move(current);
    Changed();
}

void Form1::RestoreFlags(std::int32_t brick, BrickFlags flags, const PaletteView& view) {
    if (board_.FindBrick(brick) != nullptr) {
        core::BrickRecord& record = board_.Bricks[static_cast<std::size_t>(brick)];
        record.Explosive = flags.Explosive;
        record.Unbreakable = flags.Unbreakable;
    }
    ShowPalette(view);
    if (board_.FindBrick(view.ListIndex) != nullptr) {
        core::DrawBrick(PicBrick->Picture(), 0, 0, board_.Bricks, view.ListIndex, core::kFalse,
                        core::ErasePattern::GridLines);
        PicBrick->Picture().Refresh();
    }
    Changed();
}

}  // namespace editor
