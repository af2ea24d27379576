#pragma once

#include <string>

#include <QMainWindow>

#include "editor/recent_boards.h"
#include "editor/recovery_copy.h"
#include "shared/board_model.h"

class QAction;
class QLabel;
class QMenu;
class QTimer;

namespace editor {

class BoardPlayer;
class BricksDock;
class Dialogs;
class FileNameLabel;
class Form1;

// Brickwright's main window: the menu bar, the client area (Form1, every control where it has
// always been relative to the area's top-left corner), the Bricks panel beside it and the status
// bar. It asks before
// unsaved work is closed, keeps the recovery copy while there is unsaved work, remembers the
// recent boards and opens files dropped on it.
class MainWindow : public QMainWindow {
  public:
    MainWindow(core::Board& board, Dialogs& dialogs, QWidget* parent = nullptr);

    Form1& Form() { return *form_; }
    RecoveryCopy& Recovery() { return recovery_; }
    const RecentBoards& Recent() const { return recent_; }

    // Offers the recovery copy that a run which did not end cleanly left behind.
    void OfferRecovery();
    // A file from the command line or a drop: a picture (known by its content) is imported as
    // the brick sheet, anything else is loaded as a board.
    void OpenFile(const std::string& path);
    // Opens an entry of File > Open Recent; a board that is gone is reported and dropped.
    void OpenRecent(const std::string& path);
    // File > Play Board: Vantor on the board as it stands, unsaved changes included.
    void PlayBoard();
    // File > Quit: asks about unsaved work first, then closes.
    void Quit();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void BuildMenus();
    void RebuildRecentMenu();
    void BoardChanged();
    // Wakes when the document's recovery copy is due.
    void ArmRecovery();
    void RecoveryAlarm();
    void About();
    // The unsaved-changes question before the window closes; whether it may.
    bool MayClose();

    core::Board& board_;
    Dialogs& dialogs_;
    Form1* form_;
    RecoveryCopy recovery_;
    RecentBoards recent_;
    QTimer* recoveryAlarm_ = nullptr;
    BoardPlayer* player_ = nullptr;
    BricksDock* bricks_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    FileNameLabel* fileLabel_ = nullptr;
    QLabel* bricksLabel_ = nullptr;
    QLabel* cellsLabel_ = nullptr;
    QLabel* toClearLabel_ = nullptr;
    bool asking_ = false;         // the question before closing is open
    bool closeApproved_ = false;  // Quit has asked; the close it starts goes through
};

}  // namespace editor
