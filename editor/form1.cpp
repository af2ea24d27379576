#include "editor/form1.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QRadioButton>
#include <QRect>
#include <QStringList>
#include <algorithm>
#include <exception>
#include <new>

#include "editor/absolute_path.h"
#include "editor/default_sheet_folder.h"
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

}  // namespace

Form1::Form1(core::Board& board, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), document_(board), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(kClientWidth, kClientHeight);
    files_.Load = [](const std::string& file, core::Board& into) { core::LoadBoard(file, into); };
    files_.Save = [this](const std::string& file, core::Board& from) {
        core::SaveBoard(file, from, boardWriter_);
    };
    BuildControls();
    document_.SetChangeHandler([this] { ShowDocument(); });
    Form_Load();
}

Form1::~Form1() {
    // The main window around this area may be half gone already: tell no one.
    document_.SetChangeHandler(nullptr);
    onChange_ = nullptr;
    onFile_ = nullptr;
    onHint_ = nullptr;
}

void Form1::Form_Load() {
    PicDisp->ResizePicture(kViewWidth, kViewHeight);
    PicDisp->Picture().Cls();
    DrawGrid(PicDisp->Picture());
    PicDisp->Picture().Refresh();
}

void Form1::ShowDocument() {
    if (tableShown_ != document_.TableRevision()) {
        QStringList items;
        for (std::size_t i = 0; i < document_.Board().Bricks.size(); ++i) {
            items.append(QString::fromStdString(core::BrickName(static_cast<std::int32_t>(i))));
        }
        cmdBricks->clear();
        cmdBricks->addItems(items);
    }
    const PaletteView& palette = document_.Palette();
    cmdBricks->setCurrentIndex(palette.ListIndex);
    // An exclusive group cannot show "none checked", which is how the window starts.
    group_->setExclusive(false);
    for (std::size_t i = 0; i < Option1.size(); ++i) {
        Option1[i]->setChecked(palette.Options[i]);
    }
    group_->setExclusive(true);

    PicBrick->Picture().Cls();
    if (document_.SelectedBrick() != nullptr) {
        core::DrawBrick(PicBrick->Picture(), 0, 0, document_.Board().Bricks, palette.ListIndex,
                        core::kFalse, core::ErasePattern::GridLines);
    }
    PicBrick->Picture().Refresh();
    // The view shows the cells with the table's pictures: redrawn when either changed.
    if (tableShown_ != document_.TableRevision() || cellsShown_ != document_.Board().Cells) {
        tableShown_ = document_.TableRevision();
        cellsShown_ = document_.Board().Cells;
        PicDisp->Picture().Cls();
        RedrawBoard(PicDisp->Picture(), document_.Board());
        PicDisp->Picture().Refresh();
    }
    if (onChange_) {
        onChange_();
    }
}

std::string Form1::AskForFile(bool save, const char* title, const std::string& filter,
                              const std::string& folder) {
    // The release of a drag may never come while a dialog is open: the stroke ends here.
    document_.EndStroke();
    CommonDialog dialog{title, "", filter, &dialogs_, folder};
    if (save) {
        dialog.ShowSave();
    } else {
        dialog.ShowOpen();
    }
    return dialog.FileName;
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

bool Form1::HintWithoutBricks() {
    if (document_.BricksLoaded() != core::kFalse) {
        return false;
    }
    if (onHint_) {
        onHint_(kNoBricksHint);
    }
    return true;
}

namespace {

QRect CellsOutline(GridCell from, GridCell to) {
    const int c0 = std::min(from.Column, to.Column);
    const int r0 = std::min(from.Row, to.Row);
    return QRect(core::kCellWidth * c0, core::kCellHeight * r0,
                 core::kCellWidth * (std::max(from.Column, to.Column) - c0 + 1),
                 core::kCellHeight * (std::max(from.Row, to.Row) - r0 + 1));
}

bool Paints(std::int16_t button) {
    return button == kLeftButton || button == kRightButton;
}

}  // namespace

void Form1::PicDisp_MouseMove(std::int16_t Button, std::int16_t, float X, float Y) {
    cursor_ = CellUnderPointer(static_cast<double>(X), static_cast<double>(Y));
    SetCaption(QString::fromStdString(CellCaption(cursor_)));
    if (document_.BricksLoaded() == core::kFalse) {
        return;
    }
    if (rectangle_) {
        PicDisp->SetOutline(CellsOutline(rectangle_->From, cursor_));
    } else if (!filled_) {
        document_.StrokeTo(cursor_, Button);
    }
    PicDisp->Picture().Refresh();
}

void Form1::PicDisp_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    if (document_.BricksLoaded() == core::kFalse) {
        // One hint per press of a painting button; the rest of the drag adds none.
        if (Paints(Button)) {
            HintWithoutBricks();
        }
        return;
    }
    const GridCell pointer = CellUnderPointer(static_cast<double>(X), static_cast<double>(Y));
    document_.EndStroke();
    // A drag whose release never came (the grab was lost) ends with the next press.
    EndDrag();
    if ((Shift & 1) != 0 && Paints(Button)) {
        // Shift-drag: the rectangle is only outlined until the button is released.
        rectangle_ = RectangleDrag{pointer, Button};
        PicDisp->SetOutline(CellsOutline(pointer, pointer));
    } else if ((Shift & 2) != 0 && Button == kLeftButton) {
        filled_ = true;
        document_.FloodFill(pointer);
    } else if (Button == kMiddleButton) {
        // Picks the cell's brick as if the user had chosen it in the palette.
        const core::BoardCell& cell = document_.Board().Cells(pointer.Column, pointer.Row);
        if (cell.Used == core::kTrue) {
            SelectBrick(cell.BrickIndex);
        }
    } else {
        document_.StrokeTo(cursor_, Button);
    }
    PicDisp->Picture().Refresh();
}

void Form1::PicDisp_MouseUp(std::int16_t Button, std::int16_t, float X, float Y) {
    if (rectangle_) {
        if (Button != rectangle_->Button) {
            return;
        }
        const RectangleDrag drag = *rectangle_;
        EndDrag();
        document_.FillRectangle(drag.From,
                                CellUnderPointer(static_cast<double>(X), static_cast<double>(Y)),
                                drag.Button);
        PicDisp->Picture().Refresh();
        return;
    }
    filled_ = false;
    document_.EndStroke();
}

void Form1::EndDrag() {
    rectangle_.reset();
    filled_ = false;
    PicDisp->SetOutline(std::nullopt);
}

void Form1::cmdLoadBricks_Click() {
    // Until a sheet has been imported, the dialog starts where the default sheet lies.
    const std::string file = AskForFile(false, "Load Bricks", BrickSheetFilter(),
                                        document_.Sheet().Width() == 0 ? DefaultSheetFolder() : "");
    if (!file.empty()) {
        ImportSheetFile(file);
    }
}

bool Form1::ImportSheetFile(const std::string& path) {
    bool imported = false;
    Guarded([&] {
        // Nothing of the editor changes until the sheet has been read, checked and cut into
        // bricks.
        core::PictureBox sheet;
        if (const auto failure = qt_picture::LoadPicture(path, sheet)) {
            ShowMessage(qt_picture::FailureMessage(path, *failure));
            return;
        }
        const float width = sheet.ScaleWidth();
        const float height = sheet.ScaleHeight();
        const core::SheetCheck check = document_.ImportSheet(std::move(sheet));
        if (check != core::SheetCheck::Accepted) {
            ShowMessage(core::SheetCheckMessage(check, width, height, path));
            return;
        }
        imported = true;
    });
    return imported;
}

void Form1::SelectBrick(int index) {
    if (index >= 0 && index < cmdBricks->count()) {
        document_.Select(index);
    }
}

void Form1::cmdBricks_Click() {
    document_.Select(cmdBricks->currentIndex());
}

void Form1::Option1_Click(std::int16_t Index) {
    if (!document_.ChooseOption(Index)) {
        HintWithoutBricks();
    }
}

void Form1::cmdLoadBoard_Click() {
    if (!MayDiscardChanges()) {
        return;
    }
    const std::string file = AskForFile(false, "Load Board", kBoardFileFilter);
    if (!file.empty()) {
        LoadBoardFrom(file);
    }
}

bool Form1::OpenBoardFile(const std::string& path) {
    return MayDiscardChanges() && LoadBoardFrom(path);
}

bool Form1::LoadBoardFrom(const std::string& path) {
    // All or nothing: on any error the board is as it was, and so is everything shown.
    if (!Guarded([&] { document_.Open(files_, AbsolutePath(path)); })) {
        return false;
    }
    if (onFile_) {
        onFile_(CurrentFile());
    }
    return true;
}

std::string Form1::RestoreUnsaved(const std::string& path, const std::string& boardFile) {
    try {
        document_.Restore(files_, path, AbsolutePath(boardFile));
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

void Form1::cmdSaveBoard_Click() {
    SaveBoardAs();
}

bool Form1::SaveBoardAs() {
    if (HintWithoutBricks()) {
        return false;
    }
    const std::string file = AskForFile(true, "Save Board", kBoardFileFilter);
    return !file.empty() && SaveBoardTo(file);
}

bool Form1::SaveBoard() {
    if (CurrentFile().empty()) {
        return SaveBoardAs();
    }
    return !HintWithoutBricks() && SaveBoardTo(CurrentFile());
}

bool Form1::SaveBoardTo(const std::string& path) {
    // A failed save changes nothing in the editor, not even the header it would have written.
    if (!Guarded([&] { document_.Save(files_, AbsolutePath(path)); })) {
        return false;
    }
    if (onFile_) {
        onFile_(CurrentFile());
    }
    return true;
}

void Form1::NewBoard() {
    if (MayDiscardChanges()) {
        EndDrag();
        document_.New();
    }
}

bool Form1::MayDiscardChanges() {
    document_.EndStroke();
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

}  // namespace editor
