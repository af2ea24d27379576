#include <QButtonGroup>
#include <QComboBox>
#include <QKeySequence>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <algorithm>
#include <functional>

#include "editor/form1.h"
#include "editor/picture_view.h"

// The controls of the client area at their places, and the signals that reach the handlers.
namespace editor {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int y) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 89, 25);
    return button;
}

}  // namespace

void Form1::BuildControls() {
    PicDisp = new PictureView(core::kBoardWidth, core::kBoardHeight, this);
    PicDisp->setObjectName(QStringLiteral("PicDisp"));
    PicDisp->move(8, 8);
    PicDisp->SetMouseMoveHandler(std::bind_front(&Form1::PicDisp_MouseMove, this));
    PicDisp->SetMouseDownHandler(std::bind_front(&Form1::PicDisp_MouseDown, this));
    PicDisp->SetMouseUpHandler(std::bind_front(&Form1::PicDisp_MouseUp, this));

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
    group_ = new QButtonGroup(this);
    group_->setExclusive(true);
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(kOptions[i].caption), this);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        // Never narrower than the caption needs in the desktop's font, so no caption is cut.
        const int width = std::max(kOptions[i].width, option->sizeHint().width());
        option->setGeometry(232, kOptions[i].y, width, 17);
        group_->addButton(option, static_cast<int>(i));
        Option1[i] = option;
    }

    cmdSaveBoard = MakeButton(this, "cmdSaveBoard", "Save Board", 8, 368);
    cmdLoadBoard = MakeButton(this, "cmdLoadBoard", "Load Board", 8, 400);

    const std::array<QWidget*, 9> tabOrder{PicDisp,    cmdLoadBricks, cmdBricks,
                                           PicBrick,   Option1[1],    Option1[2],
                                           Option1[0], cmdSaveBoard,  cmdLoadBoard};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    connect(cmdLoadBricks, &QPushButton::clicked, this, [this] { cmdLoadBricks_Click(); });
    connect(cmdSaveBoard, &QPushButton::clicked, this, [this] { cmdSaveBoard_Click(); });
    connect(cmdLoadBoard, &QPushButton::clicked, this, [this] { cmdLoadBoard_Click(); });
    // activated: a choice by the user, also of the item already selected. The program's own
    // selections go through the document.
    connect(cmdBricks, &QComboBox::activated, this, [this](int) { cmdBricks_Click(); });
    // idClicked comes from the user only. When cmdBricks_Click selects the option that shows a
    // brick's flags, the flags are not rewritten: a brick loaded with both flags keeps them
    // until the user picks an option.
    connect(group_, &QButtonGroup::idClicked, this,
            [this](int id) { Option1_Click(static_cast<std::int16_t>(id)); });

    // Keys 1 to 9 pick bricks 1 to 9, wherever the focus is in the window.
    for (int i = 0; i < 9; ++i) {
        auto* key = new QShortcut(QKeySequence(Qt::Key_1 + i), this);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, [this, i] { SelectBrick(i); });
    }
}

}  // namespace editor
