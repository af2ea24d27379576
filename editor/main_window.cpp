#include "editor/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "editor/bricks_dock.h"
#include "editor/dialogs.h"
#include "editor/form1.h"
#include "editor/play_board.h"
#include "editor/status_texts.h"
#include "qt_picture/picture_files.h"

#ifndef VANTOR_VERSION
#define VANTOR_VERSION "0"
#endif

namespace editor {

namespace {

constexpr const char* kRecoveryQuestion =
    "Brickwright was not closed properly. Restore the unsaved board?";

// Long enough to be read, short enough not to stay once it no longer applies.
constexpr int kHintMilliseconds = 8000;

// The one local file a drop carries, as the bytes the system uses; nothing for several files,
// a folder or anything that is not a local file.
std::optional<std::string> DroppedFile(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) {
        return std::nullopt;
    }
    const QUrl url = mime->urls().constFirst();
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    // From the encoded form, so a name that is not valid UTF-8 keeps its bytes.
    const std::string path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error)) {
        return std::nullopt;
    }
    return path;
}

}  // namespace

// The board's name in the status bar, cut in the middle to the room there is; the marker of
// unsaved changes after it always shows. It asks for no room of its own, so a long name never
// widens the window.
class FileNameLabel : public QLabel {
  public:
    explicit FileNameLabel(QWidget* parent) : QLabel(parent) {}

    void Show(const QString& name, const QString& marker) {
        name_ = name;
        marker_ = marker;
        Elide();
    }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Elide();
    }

  private:
    void Elide() {
        const QFontMetrics metrics = fontMetrics();
        const int room = contentsRect().width() - metrics.horizontalAdvance(marker_);
        setText(metrics.elidedText(name_, Qt::ElideMiddle, std::max(room, 0)) + marker_);
    }

    QString name_;
    QString marker_;
};

MainWindow::MainWindow(core::Board& board, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), board_(board), dialogs_(dialogs) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Form1"));
    form_ = new Form1(board_, dialogs_, this);
    setCentralWidget(form_);
    setAcceptDrops(true);

    fileLabel_ = new FileNameLabel(this);
    fileLabel_->setObjectName(QStringLiteral("statusFile"));
    bricksLabel_ = new QLabel(this);
    bricksLabel_->setObjectName(QStringLiteral("statusBricks"));
    cellsLabel_ = new QLabel(this);
    cellsLabel_->setObjectName(QStringLiteral("statusCells"));
    toClearLabel_ = new QLabel(this);
    toClearLabel_->setObjectName(QStringLiteral("statusToClear"));
    for (QLabel* label :
         {static_cast<QLabel*>(fileLabel_), bricksLabel_, cellsLabel_, toClearLabel_}) {
        label->setContentsMargins(6, 0, 6, 0);
    }
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(fileLabel_, 1);
    statusBar()->addPermanentWidget(bricksLabel_);
    statusBar()->addPermanentWidget(cellsLabel_);
    statusBar()->addPermanentWidget(toClearLabel_);

    bricks_ = new BricksDock(this);
    addDockWidget(Qt::RightDockWidgetArea, bricks_);
    bricks_->SetSelectHandler([this](int brick) { form_->SelectBrick(brick); });

    BuildMenus();
    // The client area keeps its size; the frame is exactly menu bar, area, panel and status bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    player_ = new BoardPlayer(this);
    recoveryAlarm_ = new QTimer(this);
    recoveryAlarm_->setSingleShot(true);
    connect(recoveryAlarm_, &QTimer::timeout, this, [this] { RecoveryAlarm(); });
    form_->SetChangeHandler([this] { BoardChanged(); });
    form_->SetHintHandler([this](const std::string& hint) {
        statusBar()->showMessage(QString::fromStdString(hint), kHintMilliseconds);
    });
    form_->SetFileHandler([this](const std::string& path) {
        recent_.Add(path);
        RebuildRecentMenu();
    });
    BoardChanged();
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    auto add = [this](QMenu* menu, const QString& text, const QKeySequence& key, auto slot) {
        QAction* action = menu->addAction(text);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(file, QStringLiteral("&New Board"), QKeySequence(Qt::CTRL | Qt::Key_N),
        [this] { form_->NewBoard(); });
    add(file, QStringLiteral("&Load Board..."), QKeySequence(Qt::CTRL | Qt::Key_O),
        [this] { form_->cmdLoadBoard_Click(); });
    recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
    file->addSeparator();
    add(file, QStringLiteral("&Save Board"), QKeySequence(Qt::CTRL | Qt::Key_S),
        [this] { form_->SaveBoard(); });
    add(file, QStringLiteral("Save Board &As..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
        [this] { form_->SaveBoardAs(); });
    file->addSeparator();
    add(file, QStringLiteral("Load &Bricks..."), QKeySequence(Qt::CTRL | Qt::Key_I),
        [this] { form_->cmdLoadBricks_Click(); });
    file->addSeparator();
    add(file, QStringLiteral("&Play Board"), QKeySequence(Qt::Key_F5), [this] { PlayBoard(); });
    file->addSeparator();
    add(file, QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { Quit(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    undo_ = add(edit, QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                [this] { form_->Undo(); });
    redo_ = add(edit, QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                [this] { form_->Redo(); });
    redo_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addSeparator();
    QAction* mirror = add(edit, QStringLiteral("&Mirror"), QKeySequence(Qt::Key_M),
                          [this](bool on) { form_->Document().SetMirror(on); });
    mirror->setCheckable(true);
    add(edit, QStringLiteral("&Clear Board"), QKeySequence(), [this] { form_->ClearBoard(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(bricks_->toggleViewAction());

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("&About Brickwright"), QKeySequence(), [this] { About(); });

    RebuildRecentMenu();
}

void MainWindow::RebuildRecentMenu() {
    recentMenu_->clear();
    for (const std::string& path : recent_.Boards()) {
        QAction* action =
            recentMenu_->addAction(QFile::decodeName(QByteArray::fromStdString(path)));
        connect(action, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
    recentMenu_->setEnabled(!recent_.Boards().empty());
}

void MainWindow::BoardChanged() {
    const BoardDocument& document = form_->Document();
    undo_->setEnabled(document.CanUndo());
    undo_->setText(
        QStringLiteral("&Undo %1").arg(QString::fromStdString(document.UndoText())).trimmed());
    redo_->setEnabled(document.CanRedo());
    redo_->setText(
        QStringLiteral("&Redo %1").arg(QString::fromStdString(document.RedoText())).trimmed());

    const bool modified = form_->IsModified();
    const std::string& file = form_->CurrentFile();
    fileLabel_->Show(file.empty()
                         ? QStringLiteral("Untitled")
                         : QFileInfo(QFile::decodeName(QByteArray::fromStdString(file))).fileName(),
                     modified ? QStringLiteral(" *") : QString());
    bricksLabel_->setText(QString::fromStdString(Counted(board_.Bricks.size(), "brick", "bricks")));
    std::size_t used = 0;
    ForEachCell(kFirstCell, kLastCell, [&](GridCell cell) {
        used += board_.Cells(cell.Column, cell.Row).Used == core::kTrue ? 1u : 0u;
    });
    cellsLabel_->setText(QString::fromStdString(Counted(used, "cell used", "cells used")));
    bricks_->Show(document);
    toClearLabel_->setText(QString::fromStdString(BricksToClearText(board_)));
    if (form_->State().BricksLoaded != core::kFalse) {
        statusBar()->clearMessage();  // a hint to load bricks is done with
    }

    if (modified) {
        recovery_.Keep(board_, form_->CurrentFile());
        ArmRecovery();
    } else {
        recoveryAlarm_->stop();
        recovery_.Remove();
    }
}

void MainWindow::ArmRecovery() {
    if (const auto left = form_->Document().Recovery().TimeLeft()) {
        recoveryAlarm_->start(static_cast<int>(left->count()));
    }
}

void MainWindow::RecoveryAlarm() {
    RecoverySchedule& schedule = form_->Document().Recovery();
    if (!schedule.IsDue()) {
        ArmRecovery();  // woken early
        return;
    }
    recovery_.WriteNow();
    // A copy that cannot be written is not tried again until the board changes again.
    schedule.Written();
}

void MainWindow::OfferRecovery() {
    if (!recovery_.Problem().empty()) {
        dialogs_.MessageBox(recovery_.Problem(), Form1::kProgramTitle);
    }
    // One board at a time: the copies not restored now stay for a later start.
    for (const RecoveryCopy::Orphan& orphan : recovery_.FindOrphans()) {
        std::string question = kRecoveryQuestion;
        if (!orphan.BoardFile.empty()) {
            question += "\n\nIts file: " + orphan.BoardFile;
        }
        if (dialogs_.Ask({question, Form1::kProgramTitle, {"Restore", "Discard"}, 0, -1}) != 0) {
            recovery_.Discard(orphan);
            continue;
        }
        const std::string failure = form_->RestoreUnsaved(orphan.Path, orphan.BoardFile);
        if (failure.empty()) {
            recovery_.Adopt(orphan);
            form_->Document().Recovery().Written();
            return;
        }
        const std::string aside = recovery_.SetAside(orphan);
        dialogs_.MessageBox("The recovery copy could not be restored and was " +
                                (aside.empty() ? "removed" : "set aside as \"" + aside + "\"") +
                                ": " + failure,
                            Form1::kProgramTitle);
    }
}

void MainWindow::OpenFile(const std::string& path) {
    if (qt_picture::IsPicture(path)) {
        form_->ImportSheetFile(path);
    } else {
        form_->OpenBoardFile(path);
    }
}

void MainWindow::OpenRecent(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        dialogs_.MessageBox(path + ": the board is no longer there; it was removed from the list.",
                            Form1::kProgramTitle);
        recent_.Remove(path);
        RebuildRecentMenu();
        return;
    }
    form_->OpenBoardFile(path);
}

void MainWindow::PlayBoard() {
    form_->Document().EndStroke();
    if (form_->Document().BricksLoaded() == core::kFalse) {
        statusBar()->showMessage(QString::fromLatin1(Form1::kNoBricksHint), kHintMilliseconds);
        return;
    }
    const std::string failure = player_->Play(board_);
    if (!failure.empty()) {
        dialogs_.MessageBox(failure, Form1::kProgramTitle);
    }
}

void MainWindow::About() {
    dialogs_.MessageBox(
        std::string("Brickwright ") + VANTOR_VERSION +
            "\n\nBrickwright makes boards for the Vantor brick game. Load Bricks imports a brick "
            "sheet, a picture 15 pixels high and 30 pixels wide per brick. Choose a brick in the "
            "list (or with the keys 1 to 9), paint it with the left mouse button and erase "
            "with the right one; hold Shift while dragging to fill or empty a rectangle, and "
            "click the middle button on a cell to pick up its brick. Mark a brick Explosive or "
            "Unbreakable with the options. Play Board (F5) tries the board in Vantor as it "
            "stands; save it as board.brd beside Vantor to play it there. Every change can be "
            "undone.",
        "About Brickwright");
}

bool MainWindow::MayClose() {
    asking_ = true;
    const bool may = form_->MayDiscardChanges();
    asking_ = false;
    return may;
}

void MainWindow::Quit() {
    // Asked before close() runs, not from inside it: while close() runs, Qt lets the window
    // system's close request through the modal question and takes it as accepted.
    if (!MayClose()) {
        return;
    }
    closeApproved_ = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A close while the question is open waits for its answer.
    if (asking_ || (!closeApproved_ && !MayClose())) {
        event->ignore();
        return;
    }
    closeApproved_ = false;
    recovery_.Remove();
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::optional<std::string> path = DroppedFile(event->mimeData());
    if (!path) {
        return;
    }
    event->acceptProposedAction();
    OpenFile(*path);
}

}  // namespace editor
