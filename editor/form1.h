#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include <QWidget>

#include "editor/dialogs.h"
#include "shared/board_file.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"
#include "shared/vb_types.h"

class QComboBox;
class QPushButton;
class QRadioButton;

namespace editor {

class PictureView;

// The window's own state.
struct WindowState {
    std::int32_t CursorCol = 0;  // cell under the pointer, 0 .. 19
    std::int32_t CursorRow = 0;
    core::VbBool BricksLoaded = core::kFalse;  // a brick table exists; nothing sets it back

    bool operator==(const WindowState&) const = default;
};

// Brickwright's one window: the board view with its grid, the brick sheet import with the
// palette and the brick options, and the board file commands. Every action is one of the
// handlers below, run one at a time on the window thread.
class Form1 : public QWidget {
  public:
    static constexpr int kClientWidth = 664;
    static constexpr int kClientHeight = 585;
    static constexpr const char* kProgramTitle = "Brickwright";

    // board is the one board the editor works on; dialogs answers every modal question.
    Form1(core::Board& board, Dialogs& dialogs, QWidget* parent = nullptr);

    const WindowState& State() const { return state_; }
    const core::PictureBox& SheetPicture() const { return PicBricks; }

    // The write call Save Board uses; empty means the system's write(2). Tests install one that
    // fails part-way, as a full or failing disk does.
    void SetBoardWriter(core::WriteFunction write) { boardWriter_ = std::move(write); }

    // Handlers, called by the window system through the controls' signals and events.
    void Form_Load();
    void PicDisp_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void PicDisp_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void cmdLoadBricks_Click();
    void cmdBricks_Click();
    void Option1_Click(std::int16_t Index);
    void cmdLoadBoard_Click();
    void cmdSaveBoard_Click();

  private:
    void DrawGrid(core::PictureBox& box);
    void RedrawBoard(core::PictureBox& box);
    void PaintCursorCell(std::int16_t button);
    // ListIndex of the palette: the selected brick, -1 when nothing is selected.
    std::int32_t ListIndex() const;
    // Setting ListIndex runs cmdBricks_Click, as a selection by the user does.
    void SetListIndex(int index);
    void FillPalette(std::size_t bricks);
    void ShowMessage(const std::string& text);
    // Runs a command; anything it throws reaches the user as a message, never as a crash.
    void Guarded(const std::function<void()>& command);

    core::Board& board_;
    Dialogs& dialogs_;
    WindowState state_;

    PictureView* PicDisp;
    QPushButton* cmdLoadBricks;
    QComboBox* cmdBricks;
    PictureView* PicBrick;
    std::array<QRadioButton*, 3> Option1{};  // 0 "None", 1 "Explosive", 2 "Unbreakable"
    QPushButton* cmdSaveBoard;
    QPushButton* cmdLoadBoard;
    CommonDialog CDLoad;
    core::WriteFunction boardWriter_;
    core::PictureBox PicBricks;  // the last accepted sheet, hidden
};

}  // namespace editor
