#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include <QWidget>

#include "editor/board_document.h"
#include "editor/dialogs.h"
#include "shared/board_file.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"
#include "shared/vb_types.h"

class QButtonGroup;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace editor {

class PictureView;

// The window's own state.
struct WindowState {
    std::int32_t CursorCol = 0;  // cell under the pointer, 0 .. 19
    std::int32_t CursorRow = 0;
    core::VbBool BricksLoaded = core::kFalse;  // a brick table exists

    bool operator==(const WindowState&) const = default;
};

// Brickwright's client area: the board view with its grid, the brick sheet import with the
// palette and the brick options, and the board file commands. A view of its BoardDocument: it
// turns the mouse, keys and buttons into the document's commands and shows the document after
// each of them. Every action is one of the handlers or commands below, run one at a
// time on the window thread. Standing alone it is a window of its own; in the program it is the
// central area of the main window, and its caption is that window's.
class Form1 : public QWidget {
  public:
    static constexpr int kClientWidth = 664;
    static constexpr int kClientHeight = 585;
    static constexpr const char* kProgramTitle = "Brickwright";

    // board is the one board the editor works on; dialogs answers every modal question.
    Form1(core::Board& board, Dialogs& dialogs, QWidget* parent = nullptr);
    ~Form1() override;

    WindowState State() const { return {cursor_.Column, cursor_.Row, document_.BricksLoaded()}; }
    const core::PictureBox& SheetPicture() const { return document_.Sheet(); }
    const core::Board& Board() const { return document_.Board(); }
    // What the window shows and edits: the board, its bricks, file and history.
    BoardDocument& Document() { return document_; }
    const BoardDocument& Document() const { return document_; }

    // The write call every save uses; empty means the system's write(2). Tests install one that
    // fails part-way, as a full or failing disk does.
    void SetBoardWriter(core::WriteFunction write) { boardWriter_ = std::move(write); }

    // Handlers, called by the window system through the controls' signals and events.
    void Form_Load();
    void PicDisp_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void PicDisp_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    // Button is the button released.
    void PicDisp_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void cmdLoadBricks_Click();
    void cmdBricks_Click();
    void Option1_Click(std::int16_t Index);
    void cmdLoadBoard_Click();
    void cmdSaveBoard_Click();

    // The menu's commands. Those that return bool report whether they went through.
    void NewBoard();
    bool SaveBoard();    // to the current file; asks for a name when there is none
    bool SaveBoardAs();  // always asks, as the "Save Board" button does
    void ClearBoard() { document_.ClearBoard(); }
    void Undo() { document_.Undo(); }
    void Redo() { document_.Redo(); }
    // Selects brick `index` of the palette as if the user had chosen it there.
    void SelectBrick(int index);
    // Opens a board (after the unsaved-changes question) or imports a sheet, without a dialog.
    bool OpenBoardFile(const std::string& path);
    bool ImportSheetFile(const std::string& path);
    // Loads a recovery copy as the unsaved changes of the board in boardFile (none: empty), so
    // that Save writes them back there. Returns why it could not (nothing is shown or changed
    // then), or an empty string.
    std::string RestoreUnsaved(const std::string& path, const std::string& boardFile);

    // Whether the board differs from its file (or has none and holds work).
    bool IsModified() const { return document_.IsModified(); }
    // Asks "Save them?" when the board has unsaved changes. Returns false when the user
    // cancelled or the save failed: the caller must then leave everything as it is.
    bool MayDiscardChanges();
    // The board's file from the root of the file system, as the bytes the system uses; empty
    // while it has none.
    const std::string& CurrentFile() const { return document_.CurrentFile(); }

    // Called after anything the status bar shows may have changed.
    void SetChangeHandler(std::function<void()> handler) { onChange_ = std::move(handler); }
    // Called with a hint for the user when a command could not do anything, once per attempt.
    void SetHintHandler(std::function<void(const std::string&)> handler) {
        onHint_ = std::move(handler);
    }
    static constexpr const char* kNoBricksHint =
        "Load a brick sheet first (Load Bricks), or load a board";

    // Called with every file a board was saved to or loaded from.
    void SetFileHandler(std::function<void(const std::string&)> handler) {
        onFile_ = std::move(handler);
    }

  private:
    // Makes the controls at their places and connects them to the handlers (form1_controls.cpp).
    void BuildControls();
    // Shows the document: the palette (refilled when the table changed), the options, the
    // preview and the board view, redrawn from the board.
    void ShowDocument();
    // A file dialog of its own for one command; the chosen file, or empty when cancelled.
    std::string AskForFile(bool save, const char* title, const std::string& filter,
                           const std::string& folder = {});
    void ShowMessage(const std::string& text);
    // Runs a command; anything it throws reaches the user as a message, never as a crash.
    // Returns whether it ran to the end.
    bool Guarded(const std::function<void()>& command);
    void SetCaption(const QString& caption);
    // Tells the user that the command needs bricks; returns whether there are none.
    bool HintWithoutBricks();
    bool LoadBoardFrom(const std::string& path);
    bool SaveBoardTo(const std::string& path);
    void EndDrag();

    BoardDocument document_;
    BoardFiles files_;
    Dialogs& dialogs_;
    GridCell cursor_;  // the cell under the pointer (CursorCol, CursorRow)
    // The table and cells the palette and view show.
    std::uint64_t tableShown_ = 0;
    core::BoardCells cellsShown_;

    PictureView* PicDisp;
    QPushButton* cmdLoadBricks;
    QComboBox* cmdBricks;
    PictureView* PicBrick;
    std::array<QRadioButton*, 3> Option1{};  // 0 "None", 1 "Explosive", 2 "Unbreakable"
    QPushButton* cmdSaveBoard;
    QPushButton* cmdLoadBoard;
    QButtonGroup* group_ = nullptr;
    core::WriteFunction boardWriter_;

    // A Shift-drag: the cell it started in and the button that fills (left) or empties (right).
    struct RectangleDrag {
        GridCell From;
        std::int16_t Button = 0;
    };
    std::optional<RectangleDrag> rectangle_;
    bool filled_ = false;  // a Ctrl+click filled: the rest of its drag paints nothing
    std::function<void()> onChange_;
    std::function<void(const std::string&)> onFile_;
    std::function<void(const std::string&)> onHint_;
};

}  // namespace editor
