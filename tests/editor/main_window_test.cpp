// The main window around the client area: menus and shortcuts, the history, the questions
// before work is lost, the recovery copy, the status bar, the painting tools and opening files
// from the command line or a drop.
#include "editor/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>
#include <chrono>
#include <sstream>

#include "editor/command_line.h"
#include "editor/play_board.h"
#include "tests/editor/editor_fixture.h"

namespace editor {
namespace {

using testing::EditorSnapshot;
using testing::ReadBytes;
using testing::SolidBrick;

class MainWindowTest : public testing::EditorFixture {
  protected:
    QAction* Action(const QString& text) {
        for (QAction* action : window_->findChildren<QAction*>()) {
            if (action->text().remove(QLatin1Char('&')) == text) {
                return action;
            }
        }
        ADD_FAILURE() << "no action " << text.toStdString();
        return nullptr;
    }
    void Key(QKeySequence key) { QTest::keySequence(window_.get(), key); }
    std::string Status(const char* name) {
        return window_->findChild<QLabel*>(QString::fromLatin1(name))->text().toStdString();
    }
    // A board of two bricks with two used cells, written to `name`.
    std::string TwoBrickBoard(const char* name) {
        core::Board file;
        file.Bricks = {SolidBrick(0, 200, 10, 10), SolidBrick(1, 10, 200, 10)};
        file.Cells(2, 2) = {core::kTrue, 1};
        file.Cells(3, 3) = {core::kTrue, 0};
        WriteBoardFile(Path(name), file);
        return Path(name);
    }
    void Drag(Qt::MouseButton button, QPoint from, QPoint to, Qt::KeyboardModifiers keys = {}) {
        WindowMove(from.x(), from.y());
        WindowPress(button, from.x(), from.y(), keys);
        WindowMove(to.x(), to.y());
        WindowRelease(button, to.x(), to.y(), keys);
    }
    bool Drop(const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &mime, Qt::NoButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window_.get(), &drop);
        return drop.isAccepted();
    }
};

TEST_F(MainWindowTest, TheClientAreaSitsBetweenMenuBarAndStatusBar) {
    const QRect area = form_->geometry();
    EXPECT_EQ(area.size(), QSize(664, 585));
    EXPECT_EQ(area.top(), window_->menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(window_->statusBar()->geometry().top(), area.bottom() + 1);
    EXPECT_EQ(Caption(), "Form1");
    const std::vector<std::pair<const char*, QKeySequence>> shortcuts = {
        {"New Board", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"Load Board...", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"Save Board", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"Save Board As...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"Load Bricks...", QKeySequence(Qt::CTRL | Qt::Key_I)},
        {"Play Board", QKeySequence(Qt::Key_F5)},
        {"Quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"Undo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
    };
    for (const auto& [text, key] : shortcuts) {
        ASSERT_NE(Action(QString::fromLatin1(text)), nullptr);
        EXPECT_EQ(Action(QString::fromLatin1(text))->shortcut(), key) << text;
    }
    EXPECT_TRUE(
        Action(QStringLiteral("Redo"))->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_NE(Action(QStringLiteral("Clear Board")), nullptr);
    EXPECT_NE(Action(QStringLiteral("About Brickwright")), nullptr);
    EXPECT_EQ(Status("statusFile"), "Untitled");
    EXPECT_EQ(Status("statusBricks"), "0 bricks");
    EXPECT_EQ(Status("statusCells"), "0 cells used");
}

TEST_F(MainWindowTest, EveryStepUndoesAndRedoesPixelForPixel) {
    const EditorSnapshot start = Take();
    ImportSheet(WriteSheet("three.bmp", 3));
    const EditorSnapshot imported = Take();
    Drag(Qt::LeftButton, {45, 20}, {105, 20});  // one stroke over three cells
    const EditorSnapshot painted = Take();
    EXPECT_EQ(Action(QStringLiteral("Undo Paint"))->isEnabled(), true);
    Pick(1);
    ClickOption(2);
    const EditorSnapshot flagged = Take();
    Drag(Qt::RightButton, {45, 20}, {75, 20});
    Drag(Qt::LeftButton, {15, 50}, {75, 80}, Qt::ShiftModifier);  // fills 3 x 3
    EXPECT_EQ(board_.Cells(2, 5), (core::BoardCell{core::kTrue, 1}));
    Drag(Qt::RightButton, {45, 65}, {45, 65}, Qt::ShiftModifier);
    EXPECT_EQ(board_.Cells(1, 4).Used, core::kFalse);
    form_->ClearBoard();
    const EditorSnapshot cleared = Take();
    EXPECT_EQ(Status("statusCells"), "0 cells used");

    // A smaller sheet leaves painted cells showing bricks the table no longer has.
    ImportSheet(WriteSheet("one.bmp", 1));
    for (int i = 0; i < 5; ++i) {
        Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    }
    EXPECT_EQ(Take().board, flagged.board);
    Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EditorSnapshot back = Take();
    back.state.CursorCol = painted.state.CursorCol;  // the pointer is where it is
    back.state.CursorRow = painted.state.CursorRow;
    back.caption = painted.caption;
    EXPECT_EQ(back.board, painted.board);
    EXPECT_EQ(back.view, painted.view);
    Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EditorSnapshot first = Take();
    EXPECT_EQ(first.board, imported.board);
    EXPECT_EQ(first.view, imported.view);
    Key(QKeySequence(Qt::CTRL | Qt::Key_Z));
    first = Take();
    first.caption = start.caption;
    first.state = start.state;
    EXPECT_EQ(first, start);
    EXPECT_FALSE(form_->Document().CanUndo());

    Key(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(Take().board, imported.board);
    EXPECT_EQ(Take().items, imported.items);
    for (int i = 0; i < 6; ++i) {
        Key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    }
    EditorSnapshot again = Take();
    EXPECT_EQ(again.board, cleared.board);
    EXPECT_EQ(again.view, cleared.view);
    EXPECT_EQ(again.options, cleared.options);
}

TEST_F(MainWindowTest, StaleCellsAfterASmallerSheetComeBackAsTheyWereShown) {
    MakeBusyEditor();
    ImportSheet(WriteSheet("one.bmp", 1));
    const std::vector<core::Rgb32> shown = testing::Pixels(View().Picture());
    Drag(Qt::LeftButton, {95, 50}, {95, 50});  // repaints the cell that showed brick 3
    form_->Undo();
    EXPECT_EQ(testing::Pixels(View().Picture()), shown);
    EXPECT_EQ(board_.Cells(3, 3), (core::BoardCell{core::kTrue, 2}));
}

TEST_F(MainWindowTest, FailedCommandsAndLoadsLeaveTheHistoryAsItWas) {
    MakeBusyEditor();
    const std::size_t steps = form_->Document().StepCount();
    ImportSheet(Path("missing.bmp"));
    TakeMessage();
    LoadBoardFile(Path("missing.brd"));
    TakeMessage();
    EXPECT_EQ(form_->Document().StepCount(), steps);
    EXPECT_EQ(Action(QStringLiteral("Undo Paint")) != nullptr, true);

    // A load starts a new history and is clean.
    LoadBoardFile(TwoBrickBoard("two.brd"));
    EXPECT_EQ(form_->Document().StepCount(), 0u);
    EXPECT_FALSE(form_->IsModified());
    EXPECT_EQ(Status("statusFile"), "two.brd");
    EXPECT_EQ(Status("statusBricks"), "2 bricks");
    EXPECT_EQ(Status("statusCells"), "2 cells used");
    Drag(Qt::LeftButton, {5, 5}, {5, 5});
    EXPECT_EQ(Status("statusFile"), "two.brd *");
    form_->Undo();
    EXPECT_EQ(Status("statusFile"), "two.brd");  // back to the clean state
}

TEST_F(MainWindowTest, SaveWritesTheCurrentFileAndTheQuestionGuardsUnsavedWork) {
    const std::string file = TwoBrickBoard("two.brd");
    LoadBoardFile(file);
    Drag(Qt::LeftButton, {5, 5}, {5, 5});
    Key(QKeySequence(Qt::CTRL | Qt::Key_S));  // no dialog: the board has a file
    EXPECT_EQ(ReadBytes(file), testing::BoardBytes(board_));
    EXPECT_FALSE(form_->IsModified());

    // The button asks for a name every time, and the name becomes the current file.
    SaveBoardFile(Path("copy.brd"));
    EXPECT_EQ(form_->CurrentFile(), Path("copy.brd"));
    EXPECT_EQ(window_->Recent().Boards(), (std::vector<std::string>{Path("copy.brd"), file}));

    Drag(Qt::LeftButton, {35, 5}, {35, 5});
    const EditorSnapshot busy = Take();
    dialogs_.Answer("Cancel");
    EXPECT_FALSE(window_->close());
    dialogs_.Answer("Cancel");
    form_->NewBoard();
    EXPECT_EQ(Take(), busy);
    ASSERT_EQ(dialogs_.questions.size(), 2u);
    EXPECT_EQ(dialogs_.questions[0].Text, "The board has unsaved changes. Save them?");
    EXPECT_EQ(dialogs_.questions[0].Caption, "Brickwright");
    EXPECT_EQ(dialogs_.questions[0].Buttons,
              (std::vector<std::string>{"Save", "Discard", "Cancel"}));
    EXPECT_EQ(dialogs_.questions[0].DefaultButton, 0);
    EXPECT_EQ(dialogs_.questions[0].EscapeButton, 2);

    // A save that fails keeps the window open and the work unsaved.
    form_->SetBoardWriter([](int, const void*, std::size_t) -> long {
        errno = ENOSPC;
        return -1;
    });
    dialogs_.Answer("Save");
    EXPECT_FALSE(window_->close());
    TakeMessage();
    EXPECT_TRUE(form_->IsModified());
    form_->SetBoardWriter({});

    // New Board after Discard: empty cells, the bricks kept, no file.
    dialogs_.Answer("Discard");
    form_->NewBoard();
    EXPECT_EQ(board_.Bricks.size(), 2u);
    EXPECT_EQ(board_.Cells, core::BoardCells{});
    EXPECT_EQ(Status("statusFile"), "Untitled");
    Drag(Qt::LeftButton, {35, 5}, {35, 5});
    // Save then close: there is no file yet, so the save asks for one.
    dialogs_.Answer("Save");
    dialogs_.Choose(Path("new.brd"));
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(ReadBytes(Path("new.brd")), testing::BoardBytes(board_));
}

TEST_F(MainWindowTest, QuitAsksBeforeItClosesAndACloseMeanwhileWaitsForTheAnswer) {
    MakeBusyEditor();
    bool closedMeanwhile = true;
    dialogs_.whileAsking = [&] {
        // The window's close button, pressed while the question is open.
        QCloseEvent close;
        QApplication::sendEvent(window_->windowHandle(), &close);
        closedMeanwhile = close.isAccepted();
    };
    dialogs_.Answer("Cancel");
    Action(QStringLiteral("Quit"))->trigger();
    EXPECT_FALSE(closedMeanwhile);
    EXPECT_TRUE(window_->isVisible());
    dialogs_.whileAsking = nullptr;
    dialogs_.Answer("Discard");
    Action(QStringLiteral("Quit"))->trigger();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_EQ(dialogs_.questions.size(), 2u);  // once for each Quit
}

TEST_F(MainWindowTest, OpenRecentKeepsEightAndDropsBoardsThatAreGone) {
    for (int i = 0; i < 10; ++i) {
        LoadBoardFile(TwoBrickBoard(("b" + std::to_string(i) + ".brd").c_str()));
    }
    ASSERT_EQ(window_->Recent().Boards().size(), 8u);
    EXPECT_EQ(window_->Recent().Boards().front(), Path("b9.brd"));
    std::filesystem::remove(Path("b5.brd"));
    window_->OpenRecent(Path("b5.brd"));
    EXPECT_NE(TakeMessage().find(Path("b5.brd")), std::string::npos);
    EXPECT_EQ(window_->Recent().Boards().size(), 7u);
    window_->OpenRecent(Path("b2.brd"));
    EXPECT_EQ(window_->Recent().Boards().front(), Path("b2.brd"));
    // Kept in the settings for the next start.
    EXPECT_EQ(RecentBoards().Boards(), window_->Recent().Boards());

    // A second Brickwright, running since before the last change, keeps that change.
    RecentBoards other;
    window_->OpenRecent(Path("b3.brd"));
    other.Add(Path("b4.brd"));
    const std::vector<std::string> stored = RecentBoards().Boards();
    EXPECT_EQ(std::vector<std::string>(stored.begin(), stored.begin() + 2),
              (std::vector<std::string>{Path("b4.brd"), Path("b3.brd")}));
}

TEST_F(MainWindowTest, AFileNamedFromTheCurrentFolderIsKeptFromTheRoot) {
    TwoBrickBoard("level.brd");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(Folder());
    window_->OpenFile("./level.brd");
    std::filesystem::current_path(previous);
    EXPECT_EQ(form_->CurrentFile(), Path("level.brd"));
    EXPECT_EQ(window_->Recent().Boards().front(), Path("level.brd"));
}

TEST_F(MainWindowTest, TheStatusBarCountsCellsDuringADragAndKeepsTheMarkerOfALongName) {
    ImportSheet(WriteSheet("two.bmp", 2));
    WindowMove(5, 5);
    WindowPress(Qt::LeftButton, 5, 5);
    WindowMove(65, 5);
    EXPECT_EQ(Status("statusCells"), "3 cells used");
    WindowRelease(Qt::LeftButton, 65, 5);
    EXPECT_EQ(Status("statusToClear"), "3 bricks to clear");

    const int width = window_->width();
    ClickOption(2);  // the painted brick becomes unbreakable
    EXPECT_EQ(Status("statusToClear"), "No breakable brick: the board can never be finished");
    EXPECT_EQ(window_->width(), width);
    SaveBoardFile(Path(std::string(200, 'n') + ".brd"));
    Drag(Qt::LeftButton, {5, 35}, {5, 35});
    auto* label = window_->findChild<QLabel*>(QStringLiteral("statusFile"));
    EXPECT_TRUE(label->text().endsWith(QStringLiteral(".brd *"))) << label->text().toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
    EXPECT_EQ(window_->width(), width);
}

TEST_F(MainWindowTest, TheRecoveryCopyFollowsUnsavedWorkAndIsOfferedAtStart) {
    using namespace std::chrono_literals;
    RecoveryCopy& recovery = window_->Recovery();
    form_->Document().Recovery().SetDelay(1ms);
    MakeBusyEditor();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return ReadBytes(recovery.Path()) == testing::BoardBytes(board_); },
                        kPatienceMilliseconds));
    // Beside the game's own board, in the data folder both programs share.
    EXPECT_EQ(std::filesystem::path(recovery.Path()).parent_path().parent_path().filename(),
              "vantor");
    SaveBoardFile(Path("saved.brd"));
    EXPECT_FALSE(recovery.Exists());

    // A copy left behind (as after a crash) is offered; Restore gives the unsaved board in its
    // own file, where Save puts it back.
    Drag(Qt::LeftButton, {305, 5}, {305, 5});
    ASSERT_TRUE(QTest::qWaitFor([&] { return recovery.Exists(); }, kPatienceMilliseconds));
    const core::Board lost = board_;
    window_.reset();  // gone without closing: the copy stays
    board_ = core::Board{};
    window_ = std::make_unique<MainWindow>(board_, dialogs_);
    form_ = &window_->Form();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get(), kPatienceMilliseconds));
    dialogs_.Answer("Restore");
    window_->OfferRecovery();
    ASSERT_EQ(dialogs_.questions.size(), 1u);
    EXPECT_EQ(dialogs_.questions[0].Text,
              "Brickwright was not closed properly. Restore the unsaved board?\n\nIts file: " +
                  Path("saved.brd"));
    EXPECT_EQ(dialogs_.questions[0].Buttons, (std::vector<std::string>{"Restore", "Discard"}));
    EXPECT_EQ(board_.Cells, lost.Cells);
    EXPECT_TRUE(form_->IsModified());
    EXPECT_EQ(form_->CurrentFile(), Path("saved.brd"));
    EXPECT_EQ(Status("statusFile"), "saved.brd *");
    RecoveryCopy& restored = window_->Recovery();
    EXPECT_TRUE(restored.Exists());
    {
        // A second Brickwright started meanwhile leaves the first one's copy alone and keeps
        // one of its own; when it dies, the next start offers that one.
        core::Board other = lost;
        testing::ScriptedDialogs answers;
        auto second = std::make_unique<MainWindow>(other, answers);
        second->OfferRecovery();
        EXPECT_TRUE(answers.questions.empty());
        second->Recovery().Keep(other, "");
        EXPECT_TRUE(second->Recovery().WriteNow());
        second.reset();
        core::Board third;
        answers.Answer("Discard");
        MainWindow(third, answers).OfferRecovery();
        ASSERT_EQ(answers.questions.size(), 1u);
        EXPECT_EQ(answers.questions[0].Text,
                  "Brickwright was not closed properly. Restore the unsaved board?");
    }
    EXPECT_TRUE(form_->SaveBoard());  // no dialog: the board has its file again
    EXPECT_EQ(ReadBytes(Path("saved.brd")), testing::BoardBytes(lost));
    EXPECT_FALSE(restored.Exists());
    EXPECT_TRUE(window_->close());

    // A damaged copy, here one that an older Brickwright kept in its own data folder, is
    // reported and set aside; the editor starts as usual.
    const std::filesystem::path legacy =
        std::filesystem::path(RecoveryCopy::StandardFolder()).parent_path().parent_path() /
        "Vantor" / "Brickwright" / "recovery.brd";
    std::filesystem::create_directories(legacy.parent_path());
    testing::WriteBytes(legacy, {'V', 'N', 'T', 'R'});
    dialogs_.Answer("Restore");
    window_->OfferRecovery();
    EXPECT_NE(TakeMessage().find("set aside"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(legacy));

    // A copy that cannot be written stops nothing.
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get(), kPatienceMilliseconds));
    std::filesystem::create_directory(restored.Path());
    Drag(Qt::LeftButton, {335, 5}, {335, 5});
    EXPECT_FALSE(restored.WriteNow());
    Drag(Qt::LeftButton, {365, 5}, {365, 5});
    EXPECT_EQ(board_.Cells(12, 0).Used, core::kTrue);
    std::filesystem::remove(restored.Path());
    dialogs_.Answer("Discard");
    EXPECT_TRUE(window_->close());
    std::filesystem::remove_all(legacy.parent_path().parent_path());
}

TEST_F(MainWindowTest, PlayBoardGivesTheGameACopyOfTheBoardAsItStandsAndRemovesItAfterwards) {
    const QByteArray path = qgetenv("PATH");
    MakeBusyEditor();
    qputenv("PATH", "");
    Key(QKeySequence(Qt::Key_F5));
    EXPECT_NE(TakeMessage().find("Vantor was found neither beside Brickwright"), std::string::npos);

    // A stand-in for the game that keeps the name and the bytes it was given.
    const std::filesystem::path bin = Folder() / "bin";
    std::filesystem::create_directory(bin);
    const std::string script =
        "#!/bin/sh\nprintf %s \"$2\" > \"$0.name\"; /bin/cp \"$2\" \"$0.brd\"\n";
    testing::WriteBytes(bin / "Vantor", {script.begin(), script.end()});
    std::filesystem::permissions(bin / "Vantor", std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString(bin.string()));
    Key(QKeySequence(Qt::Key_F5));
    qputenv("PATH", path);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<char> name = ReadBytes(bin / "Vantor.name");
            return !name.empty() && std::filesystem::exists(bin / "Vantor.brd") &&
                   !std::filesystem::exists(std::string(name.begin(), name.end()));
        },
        kPatienceMilliseconds));
    EXPECT_EQ(ReadBytes(bin / "Vantor.brd"), testing::BoardBytes(board_));
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_TRUE(form_->IsModified());
}

TEST(FindGame, LooksBesideTheProgramThenOnThePathThenInTheBuildFolder) {
    QTemporaryDir dir;
    const std::filesystem::path root = dir.path().toStdString();
    const auto game = [&](const char* folder, std::filesystem::perms perms) {
        std::filesystem::create_directories(root / folder);
        testing::WriteBytes(root / folder / "Vantor", {'#', '!'});
        std::filesystem::permissions(root / folder / "Vantor", perms);
        return (root / folder / "Vantor").string();
    };
    const std::string beside = game("bin", std::filesystem::perms::owner_all);
    const std::string onPath = game("tools", std::filesystem::perms::owner_all);
    game("data", std::filesystem::perms::owner_read);  // not a program
    const std::string built = game("game", std::filesystem::perms::owner_all);
    const std::string path = (root / "data").string() + "::" + (root / "tools").string();
    EXPECT_EQ(FindGame(root / "bin", path), beside);
    std::filesystem::remove(beside);
    EXPECT_EQ(FindGame(root / "bin", path), onPath);
    EXPECT_EQ(FindGame(root / "bin", ""), built);
    std::filesystem::remove(built);
    EXPECT_EQ(FindGame(root / "bin", ""), "");
}

TEST_F(MainWindowTest, AFolderForTheCopiesThatCannotBeMadeIsReportedAsThat) {
    const std::filesystem::path data =
        std::filesystem::path(RecoveryCopy::StandardFolder()).parent_path();
    std::filesystem::remove_all(data);
    testing::WriteBytes(data, {'x'});
    core::Board board;
    MainWindow(board, dialogs_).OfferRecovery();
    EXPECT_NE(TakeMessage().find(RecoveryCopy::StandardFolder() + " cannot be made"),
              std::string::npos);
    std::filesystem::remove(data);
}

TEST_F(MainWindowTest, MiddleClickDigitKeysAndTheBricksPanelPickBricks) {
    MakeBusyEditor();  // brick 3 at (1, 1) and (3, 3)
    Pick(0);
    WindowMove(45, 20);
    WindowPress(Qt::MiddleButton, 45, 20);
    WindowRelease(Qt::MiddleButton, 45, 20);
    EXPECT_EQ(Palette().currentIndex(), 2);
    EXPECT_TRUE(Option(2).isChecked());  // as if chosen in the palette
    EXPECT_EQ(board_.Cells(1, 1), (core::BoardCell{core::kTrue, 2}));
    WindowPress(Qt::MiddleButton, 200, 200);  // an empty cell picks nothing
    WindowRelease(Qt::MiddleButton, 200, 200);
    EXPECT_EQ(Palette().currentIndex(), 2);
    Key(QKeySequence(Qt::Key_2));
    EXPECT_EQ(Palette().currentIndex(), 1);
    Key(QKeySequence(Qt::Key_9));  // there is no brick 9
    EXPECT_EQ(Palette().currentIndex(), 1);
    EXPECT_EQ(Preview().Picture().PixelAt(3, 4), testing::SheetColour(30 + 3, 4));

    // The Bricks panel lists every brick with its flags and use, and a click there picks too.
    auto* list = window_->findChild<QListWidget*>(QStringLiteral("bricksList"));
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->item(2)->text(), "Brick 3\nUnbreakable, 2 cells");
    EXPECT_EQ(list->item(0)->text(), "Brick 1\nNone, 0 cells");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(Palette().currentIndex(), 2);
    EXPECT_EQ(form_->size(), QSize(664, 585));
}

TEST_F(MainWindowTest, AShiftDragOutlinesItsRectangleAndFillsItOnRelease) {
    ImportSheet(WriteSheet("two.bmp", 2));
    WindowMove(100, 100);
    WindowPress(Qt::LeftButton, 100, 100, Qt::ShiftModifier);
    WindowMove(10, 40);
    EXPECT_EQ(View().Outline(), QRect(0, 30, 120, 75));
    EXPECT_EQ(board_.Cells(0, 2).Used, core::kFalse);  // nothing painted before the release
    WindowRelease(Qt::LeftButton, 10, 40, Qt::ShiftModifier);
    EXPECT_FALSE(View().Outline());
    for (int c = 0; c < 4; ++c) {
        for (int r = 2; r < 7; ++r) {
            EXPECT_EQ(board_.Cells(c, r), (core::BoardCell{core::kTrue, 0})) << c << "," << r;
        }
    }
    EXPECT_EQ(board_.Cells(4, 2).Used, core::kFalse);
    EXPECT_EQ(form_->Document().StepCount(), 2u);  // the import and the rectangle
    EXPECT_EQ(form_->Document().UndoText(), "Fill Rectangle");

    // Ctrl+click fills the empty cells around with brick 2, and the drag after it paints nothing.
    Pick(1);
    Drag(Qt::LeftButton, {200, 200}, {5, 5}, Qt::ControlModifier);
    EXPECT_EQ(board_.Cells(19, 19), (core::BoardCell{core::kTrue, 1}));
    EXPECT_EQ(board_.Cells(0, 2), (core::BoardCell{core::kTrue, 0}));
    EXPECT_EQ(form_->Document().UndoText(), "Fill");
}

TEST_F(MainWindowTest, FilesFromTheCommandLineOrADropOpenByWhatTheyHold) {
    // A picture with a board's name is imported; anything else is a board.
    const std::string sheet = WriteSheet("sheet.brd", 2);
    window_->OpenFile(sheet);
    EXPECT_EQ(board_.Bricks.size(), 2u);
    dialogs_.Answer("Discard");
    window_->OpenFile(TwoBrickBoard("two.brd"));
    EXPECT_EQ(form_->CurrentFile(), Path("two.brd"));
    const EditorSnapshot loaded = Take();
    testing::WriteBytes(Path("bad.bmp"), {'B', 'M'});
    window_->OpenFile(Path("bad.bmp"));
    EXPECT_NE(TakeMessage().find("bad.bmp"), std::string::npos);
    EXPECT_EQ(Take(), loaded);

    // Several files, a folder and a web address are refused without a word.
    EXPECT_FALSE(Drop({QUrl::fromLocalFile(QString::fromStdString(sheet)),
                       QUrl::fromLocalFile(QString::fromStdString(Path("two.brd")))}));
    EXPECT_FALSE(Drop({QUrl::fromLocalFile(dir_.path())}));
    EXPECT_FALSE(Drop({QUrl(QStringLiteral("https://example.org/board.brd"))}));
    EXPECT_EQ(Take(), loaded);
    EXPECT_TRUE(Drop({QUrl::fromLocalFile(QString::fromStdString(sheet))}));
    EXPECT_EQ(form_->Document().UndoText(), "Import Bricks");
}

TEST_F(MainWindowTest, FileNamesThatAreNotUtf8KeepTheirBytes) {
    const std::string name = Path("caf\xe9-\xff.brd");
    MakeBusyEditor();
    SaveBoardFile(name);
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages[0].Text;
    EXPECT_TRUE(std::filesystem::exists(name));
    LoadBoardFile(name);
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages[0].Text;
    EXPECT_EQ(form_->CurrentFile(), name);
    EXPECT_EQ(RecentBoards().Boards().front(), name);
    const std::string sheet = Path("br\xefques.bmp");
    std::filesystem::copy_file(Path("busy.bmp"), sheet);
    ImportSheet(sheet);
    ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages[0].Text;

    const char* argv[] = {"Brickwright", name.c_str()};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(ParseCommandLine(2, argv, out, err).File, name);
    // Qt cannot remove such names when the folder goes.
    std::filesystem::remove(name);
    std::filesystem::remove(sheet);
}

TEST(CommandLine, HelpVersionAndWrongOptions) {
    std::ostringstream out;
    std::ostringstream err;
    const char* help[] = {"Brickwright", "--help"};
    EXPECT_EQ(ParseCommandLine(2, help, out, err).ExitCode, 0);
    EXPECT_NE(out.str().find("Usage: Brickwright [options] [FILE]"), std::string::npos);
    const char* version[] = {"Brickwright", "--version"};
    EXPECT_EQ(ParseCommandLine(2, version, out, err).ExitCode, 0);
    EXPECT_TRUE(err.str().empty());
    const char* wrong[] = {"Brickwright", "--frobnicate"};
    EXPECT_EQ(ParseCommandLine(2, wrong, out, err).ExitCode, 2);
    EXPECT_NE(err.str().find("Usage:"), std::string::npos);
    const char* none[] = {"Brickwright"};
    EXPECT_FALSE(ParseCommandLine(1, none, out, err).ExitCode);
    // Qt's own options are left to the application object.
    const char* qt[] = {"Brickwright",   "-platform", "offscreen",
                        "-style=fusion", "-reverse",  "b.brd"};
    const CommandLine withQt = ParseCommandLine(6, qt, out, err);
    EXPECT_FALSE(withQt.ExitCode);
    EXPECT_EQ(withQt.File, "b.brd");
}

}  // namespace
}  // namespace editor
