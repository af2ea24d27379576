#include "editor/form1.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <algorithm>
#include <exception>
#include <new>

#include "editor/brick_sheet.h"
#include "editor/load_picture.h"
#include "editor/painting.h"
#include "editor/picture_view.h"
#include "shared/board_file.h"
#include "shared/brick_drawing.h"

namespace editor {

namespace {

constexpr const char* kBitmapFilter = "Bitmaps (*.bmp)|*.bmp";
constexpr const char* kBoardFilter = "Vantor Boards (*.brd)|*.brd";

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int y) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 89, 25);
    return button;
}

}  // namespace

Form1::Form1(core::Board& board, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), board_(board), dialogs_(dialogs) {
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

    Form_Load();
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

void Form1::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::bad_alloc&) {
        ShowMessage("Not enough memory to complete the command.");
    } catch (const std::exception& e) {
        ShowMessage(e.what());
    }
}

void Form1::PaintCursorCell(std::int16_t button) {
    ApplyPaintingRule(board_, PicDisp->Picture(), {state_.CursorCol, state_.CursorRow}, button,
                      ListIndex());
}

void Form1::PicDisp_MouseMove(std::int16_t Button, std::int16_t, float X, float Y) {
    const GridCell cell = CellUnderPointer(static_cast<double>(X), static_cast<double>(Y));
    state_.CursorCol = cell.Column;
    state_.CursorRow = cell.Row;
    setWindowTitle(QString::fromStdString(CellCaption(cell)));
    if (state_.BricksLoaded != core::kFalse) {
        PaintCursorCell(Button);
        PicDisp->Picture().Refresh();
    }
}

void Form1::PicDisp_MouseDown(std::int16_t Button, std::int16_t, float, float) {
    if (state_.BricksLoaded != core::kFalse) {
        PaintCursorCell(Button);
        PicDisp->Picture().Refresh();
    }
}

void Form1::cmdLoadBricks_Click() {
    Guarded([this] {
        CDLoad.DialogTitle = "Load Bricks";
        CDLoad.FileName = "";
        CDLoad.Filter = kBitmapFilter;
        CDLoad.ShowOpen();
        if (CDLoad.FileName.empty()) {
            return;
        }

        // The sheet is checked in a holder of its own; nothing of the window changes until it
        // has been read, checked and cut into bricks.
        core::PictureBox PicTempBricks;
        const std::string failure = LoadPicture(CDLoad.FileName, PicTempBricks);
        if (!failure.empty()) {
            ShowMessage(failure);
            return;
        }
        const SheetCheck check =
            CheckSheet(PicTempBricks.ScaleWidth(), PicTempBricks.ScaleHeight());
        if (check != SheetCheck::Accepted) {
            ShowMessage(SheetCheckMessage(check, PicTempBricks.ScaleWidth(),
                                          PicTempBricks.ScaleHeight(), CDLoad.FileName));
            return;
        }
        core::BrickTable table = BuildBrickTable(PicTempBricks);

        PicBricks = std::move(PicTempBricks);
        board_.Bricks = std::move(table);
        state_.BricksLoaded = core::kTrue;
        FillPalette(board_.Bricks.size());
    });
}

void Form1::FillPalette(std::size_t bricks) {
    QStringList items;
    items.reserve(static_cast<qsizetype>(bricks));
    for (std::size_t i = 0; i < bricks; ++i) {
        items.append(QString::fromStdString(PaletteItemText(static_cast<std::int32_t>(i))));
    }
    cmdBricks->clear();
    cmdBricks->addItems(items);
    SetListIndex(0);
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
}

void Form1::Option1_Click(std::int16_t) {
    if (state_.BricksLoaded == core::kFalse) {
        return;
    }
    const std::int32_t selected = ListIndex();
    if (board_.FindBrick(selected) == nullptr) {
        return;
    }
    core::BrickRecord& brick = board_.Bricks[static_cast<std::size_t>(selected)];
    brick.Explosive = core::ToVbBool(Option1[1]->isChecked());
    brick.Unbreakable = core::ToVbBool(Option1[2]->isChecked());
}

void Form1::cmdLoadBoard_Click() {
    Guarded([this] {
        CDLoad.DialogTitle = "Load Board";
        CDLoad.FileName = "";
        CDLoad.Filter = kBoardFilter;
        CDLoad.ShowOpen();
        if (CDLoad.FileName.empty()) {
            return;
        }
        // All or nothing: on any error the board is as it was, and so is everything shown.
        core::LoadBoard(CDLoad.FileName, board_);

        PicDisp->Picture().Cls();
        RedrawBoard(PicDisp->Picture());
        PicDisp->Picture().Refresh();
        state_.BricksLoaded = core::kTrue;
        FillPalette(board_.Bricks.size());
    });
}

void Form1::cmdSaveBoard_Click() {
    if (state_.BricksLoaded == core::kFalse) {
        return;
    }
    Guarded([this] {
        CDLoad.DialogTitle = "Save Board";
        CDLoad.FileName = "";
        CDLoad.Filter = kBoardFilter;
        CDLoad.ShowSave();
        if (CDLoad.FileName.empty()) {
            return;
        }
        // A failed save changes nothing in the editor, not even the header it would have written.
        core::SaveBoard(CDLoad.FileName, board_, boardWriter_);
    });
}

}  // namespace editor
