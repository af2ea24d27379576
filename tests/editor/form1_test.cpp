#include "editor/form1.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "editor/file_filters.h"
#include "editor/painting.h"
#include "editor/picture_view.h"
#include "shared/board_file.h"
#include "shared/colour.h"
#include "tests/editor/editor_fixture.h"

namespace editor {
namespace {

using testing::BmpEncoding;
using testing::EditorSnapshot;
using testing::ExpectedPixels;
using testing::kBitmapFilterStart;
using testing::kBoardFilter;
using testing::Pixels;
using testing::ScriptedDialogs;
using testing::SheetColour;
using testing::SolidBrick;
using Form1Test = testing::EditorFixture;

TEST_F(Form1Test, OpensWithTheLayoutCaptionAndEmptyState) {
    EXPECT_EQ(Caption(), "Form1");
    EXPECT_EQ(form_->size(), QSize(664, 585));
    EXPECT_EQ(View().geometry(), QRect(8, 8, 601, 301));
    EXPECT_EQ(View().Picture().Width(), 601);
    EXPECT_EQ(View().Picture().Height(), 301);
    EXPECT_EQ(Preview().geometry(), QRect(192, 312, 30, 15));
    EXPECT_EQ(Palette().geometry(), QRect(104, 312, 81, 21));

    const std::array<std::pair<const char*, const char*>, 3> buttons = {{
        {"cmdLoadBricks", "Load Bricks"},
        {"cmdSaveBoard", "Save Board"},
        {"cmdLoadBoard", "Load Board"},
    }};
    const std::array<int, 3> buttonTops = {312, 368, 400};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(Button(buttons[i].first).text().toStdString(), buttons[i].second);
        EXPECT_EQ(Button(buttons[i].first).geometry(), QRect(8, buttonTops[i], 89, 25));
    }

    // The palette cannot be typed into and shows "Bricks" until it has items.
    EXPECT_FALSE(Palette().isEditable());
    EXPECT_EQ(Palette().count(), 0);
    EXPECT_EQ(Palette().currentIndex(), -1);
    EXPECT_EQ(Palette().placeholderText(), "Bricks");

    // None, Explosive, Unbreakable from top to bottom, none of them selected.
    EXPECT_EQ(Option(0).text(), "None");
    EXPECT_EQ(Option(1).text(), "Explosive");
    EXPECT_EQ(Option(2).text(), "Unbreakable");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Option(i).x(), 232);
        EXPECT_GE(Option(i).width(), Option(i).sizeHint().width()) << "caption cut off";
    }
    EXPECT_LT(Option(0).y(), Option(1).y());
    EXPECT_LT(Option(1).y(), Option(2).y());
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(Option(i).isChecked());
    }

    EXPECT_EQ(form_->State().CursorCol, 0);
    EXPECT_EQ(form_->State().CursorRow, 0);
    EXPECT_EQ(form_->State().BricksLoaded, core::kFalse);
    for (const core::Rgb32 p : Preview().Picture().Image()) {
        ASSERT_EQ(p, core::ColorRefToRgb32(core::kWhite));
    }
    // The grid, and what the screen shows is the view's image.
    EXPECT_EQ(ViewPixel(600, 300), core::kBlack);
    EXPECT_EQ(ViewPixel(300, 7), core::kBlack);
    EXPECT_EQ(ViewPixel(301, 7), core::kWhite);
    const QImage shown = View().grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(601, 301));
    EXPECT_EQ(shown.pixel(600, 300) & 0xFFFFFFu, 0x000000u);
    EXPECT_EQ(shown.pixel(301, 7) & 0xFFFFFFu, 0xFFFFFFu);
}

TEST_F(Form1Test, CaptionShowsTheCellUnderThePointer) {
    SendMove(29.9, 0);
    EXPECT_EQ(Caption(), "1,1");
    SendMove(30, 14.9);
    EXPECT_EQ(Caption(), "2,1");
    SendMove(600, 15);
    EXPECT_EQ(Caption(), "20,2");
    EXPECT_EQ(form_->State().CursorCol, 19);
    EXPECT_EQ(form_->State().CursorRow, 1);
    SendMove(599.9, 300);
    EXPECT_EQ(Caption(), "20,20");
    WindowMove(0, 1);  // through the window system as well
    EXPECT_EQ(Caption(), "1,1");
    WindowMove(45, 17);
    EXPECT_EQ(Caption(), "2,2");
}

TEST_F(Form1Test, BeforeAnyBrickTableTheMouseOnlyMovesTheCaption) {
    const EditorSnapshot before = Take();
    const int refreshes = View().RefreshCount();
    WindowPress(Qt::LeftButton, 40, 20);
    WindowMove(100, 60);
    WindowRelease(Qt::LeftButton, 100, 60);
    WindowPress(Qt::RightButton, 100, 60);
    WindowMove(130, 60);
    WindowRelease(Qt::RightButton, 130, 60);
    SendMove(200, 100, Qt::LeftButton);
    EXPECT_EQ(Caption(), "7,7");
    EditorSnapshot after = Take();
    after.caption = before.caption;
    after.state.CursorCol = before.state.CursorCol;
    after.state.CursorRow = before.state.CursorRow;
    EXPECT_EQ(after, before);
    EXPECT_EQ(View().RefreshCount(), refreshes);
}

TEST_F(Form1Test, WithoutBricksPaintingOptionsAndSaveHintOnceWhatToDo) {
    QStatusBar& status = *window_->statusBar();
    WindowPress(Qt::LeftButton, 40, 20);
    EXPECT_EQ(status.currentMessage(), "Load a brick sheet first (Load Bricks), or load a board");
    int hints = 0;
    form_->SetHintHandler([&hints](const std::string&) { ++hints; });
    WindowMove(100, 60);  // the same attempt
    WindowRelease(Qt::LeftButton, 100, 60);
    ClickOption(1);
    Click("cmdSaveBoard");
    QTest::keySequence(window_.get(), QKeySequence(Qt::CTRL | Qt::Key_S));  // Save Board
    EXPECT_EQ(hints, 3);
    EXPECT_TRUE(dialogs_.shown.empty());
    EXPECT_EQ(board_, core::Board{});
    ImportSheet(WriteSheet("one.bmp", 1));
    EXPECT_EQ(status.currentMessage(), "");  // done with once there are bricks
}

TEST_F(Form1Test, LeftPaintsTheSelectedBrickAndADragPaintsEveryCellPassed) {
    ImportSheet(WriteSheet("two.bmp", 2));
    Palette().setCurrentIndex(1);
    emit Palette().activated(1);

    // A press with no movement before it acts on the stored cell, (0, 0) at start. (Qt itself
    // always moves the pointer to a press first, so the press goes straight to the view.)
    SendPress(Qt::LeftButton, Qt::LeftButton, 35, 20);
    EXPECT_EQ(board_.Cells(0, 0), (core::BoardCell{core::kTrue, 1}));
    EXPECT_EQ(board_.Cells(1, 1).Used, core::kFalse);
    WindowPress(Qt::LeftButton, 35, 20);
    EXPECT_EQ(board_.Cells(1, 1), (core::BoardCell{core::kTrue, 1}));
    WindowMove(65, 20);
    WindowMove(95, 35);
    WindowRelease(Qt::LeftButton, 95, 35);
    EXPECT_EQ(board_.Cells(1, 1), (core::BoardCell{core::kTrue, 1}));
    EXPECT_EQ(board_.Cells(2, 1), (core::BoardCell{core::kTrue, 1}));
    EXPECT_EQ(board_.Cells(3, 2), (core::BoardCell{core::kTrue, 1}));
    // The cells show brick 2, pixel for pixel, and so does the screen.
    const core::BrickPixels expected = ExpectedPixels(1);
    for (int row = 0; row < 15; ++row) {
        for (int col = 0; col < 30; ++col) {
            const std::size_t at = core::PixelOffset(col, row);
            ASSERT_EQ(ViewPixel(90 + col, 30 + row),
                      core::MakeColorRef(expected[at], expected[at + 1], expected[at + 2]));
        }
    }
    const QImage shown = View().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(91, 31) & 0xFFFFFFu, SheetColour(31, 1));

    // Moving without a button changes nothing more.
    const core::Board painted = board_;
    WindowMove(200, 200);
    EXPECT_EQ(board_, painted);
}

TEST_F(Form1Test, AFastDragPaintsEveryCellOnItsWayAsOneStep) {
    ImportSheet(WriteSheet("one.bmp", 1));
    // Reported at three points only, across the whole second row.
    WindowMove(5, 20);
    WindowPress(Qt::LeftButton, 5, 20);
    WindowMove(290, 20);
    WindowMove(595, 20);
    WindowRelease(Qt::LeftButton, 595, 20);
    for (int c = 0; c < 20; ++c) {
        EXPECT_EQ(board_.Cells(c, 1), (core::BoardCell{core::kTrue, 0})) << c;
    }
    EXPECT_EQ(form_->Document().StepCount(), 2u);  // the import and the stroke
    form_->Undo();
    EXPECT_EQ(board_.Cells, core::BoardCells{});
}

TEST_F(Form1Test, DragsBeyondEachEdgePaintTheEdgeCells) {
    ImportSheet(WriteSheet("one.bmp", 1));
    struct Drag {
        QPoint start;
        QPoint beyond;
        core::BoardCell* edge;
        const char* caption;
    };
    const std::array<Drag, 4> drags = {{
        {{45, 100}, {-6, 100}, &board_.Cells(0, 6), "1,7"},       // left, still in the window
        {{45, 100}, {45, -300}, &board_.Cells(1, 0), "2,1"},      // top, beyond the window
        {{570, 100}, {1500, 100}, &board_.Cells(19, 6), "20,7"},  // right, beyond the window
        {{45, 280}, {45, 500}, &board_.Cells(1, 19), "2,20"},     // bottom, inside the window
    }};
    for (const Drag& drag : drags) {
        WindowMove(drag.start.x(), drag.start.y());
        WindowPress(Qt::LeftButton, drag.start.x(), drag.start.y());
        WindowMove(drag.beyond.x(), drag.beyond.y());
        EXPECT_EQ(Caption(), drag.caption);
        EXPECT_EQ(*drag.edge, (core::BoardCell{core::kTrue, 0})) << drag.caption;
        WindowRelease(Qt::LeftButton, drag.beyond.x(), drag.beyond.y());
    }
    // After the release the view no longer follows the pointer outside it.
    WindowMove(-6, 200);
    EXPECT_EQ(Caption(), "2,20");
}

TEST_F(Form1Test, BothButtonsTogetherChangeNothingButStillRefresh) {
    ImportSheet(WriteSheet("one.bmp", 1));
    SendPress(Qt::LeftButton, Qt::LeftButton, 45, 20);
    const EditorSnapshot before = Take();
    const int refreshes = View().RefreshCount();
    SendMove(75, 20, Qt::LeftButton | Qt::RightButton);
    SendPress(Qt::RightButton, Qt::LeftButton | Qt::RightButton, 45, 20);
    SendMove(45, 20, Qt::MiddleButton);
    EXPECT_EQ(View().RefreshCount(), refreshes + 3);
    EditorSnapshot after = Take();
    EXPECT_EQ(after.board, before.board);
    EXPECT_EQ(after.view, before.view);

    // A movement without buttons refreshes too once a brick table exists.
    SendMove(100, 100);
    EXPECT_EQ(View().RefreshCount(), refreshes + 4);
}

TEST_F(Form1Test, SheetsOfOneAndTenBricksFillTableAndPalette) {
    ImportSheet(WriteSheet("one.bmp", 1));
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_EQ(dialogs_.shown[0].Kind, "open");
    EXPECT_EQ(dialogs_.shown[0].Title, "Load Bricks");
    EXPECT_EQ(dialogs_.shown[0].FileName, "");
    EXPECT_EQ(dialogs_.shown[0].Filter, BrickSheetFilter());
    EXPECT_TRUE(dialogs_.shown[0].Filter.starts_with(kBitmapFilterStart));
    ASSERT_EQ(board_.Bricks.size(), 1u);
    EXPECT_EQ(board_.Bricks[0].Index, 0);
    EXPECT_EQ(board_.Bricks[0].Pixels, ExpectedPixels(0));
    EXPECT_EQ(Palette().count(), 1);
    EXPECT_EQ(Palette().itemText(0), "Brick 1");
    EXPECT_EQ(Palette().currentIndex(), 0);
    EXPECT_EQ(form_->State().BricksLoaded, core::kTrue);
    EXPECT_TRUE(Option(0).isChecked());
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 30; ++x) {
            ASSERT_EQ(Preview().Picture().PixelAt(x, y), SheetColour(x, y));
        }
    }

    ImportSheet(WriteSheet("ten.bmp", 10));
    ASSERT_EQ(board_.Bricks.size(), 10u);
    ASSERT_EQ(Palette().count(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Palette().itemText(i).toStdString(), "Brick " + std::to_string(i + 1));
        EXPECT_EQ(board_.Bricks[static_cast<std::size_t>(i)].Index, i);
        EXPECT_EQ(board_.Bricks[static_cast<std::size_t>(i)].Pixels, ExpectedPixels(i)) << i;
    }
    EXPECT_EQ(Palette().currentIndex(), 0);

    // Picking a brick previews it.
    Palette().setCurrentIndex(7);
    emit Palette().activated(7);
    EXPECT_EQ(Preview().Picture().PixelAt(3, 4), SheetColour(7 * 30 + 3, 4));
}

TEST_F(Form1Test, RejectedSheetsChangeNothingAtAll) {
    MakeBusyEditor();
    WriteSheet("wide.bmp", 0, BmpEncoding::Rgb24, 15, 45);
    WriteSheet("tall.bmp", 0, BmpEncoding::Rgb24, 16, 60);
    {
        std::ofstream junk(Path("junk.bmp"), std::ios::binary);
        junk << "BM this is not a picture";
    }
    const EditorSnapshot before = Take();

    for (const auto& [name, size] : {std::pair{"wide.bmp", "45 x 15"}, {"tall.bmp", "60 x 16"}}) {
        ImportSheet(Path(name));
        ASSERT_EQ(dialogs_.messages.size(), 1u) << name;
        EXPECT_EQ(dialogs_.messages[0].Text,
                  "Invalid file size. Must be n*30 width and 15 height\n\n" + Path(name) + " is " +
                      size + " pixels.");
        EXPECT_EQ(dialogs_.messages[0].Caption, "Brickwright");
        dialogs_.messages.clear();
        EXPECT_EQ(Take(), before) << name;
    }
    for (const char* name : {"junk.bmp", "missing.bmp"}) {
        ImportSheet(Path(name));
        ASSERT_EQ(dialogs_.messages.size(), 1u) << name;
        EXPECT_NE(dialogs_.messages[0].Text.find(Path(name)), std::string::npos)
            << dialogs_.messages[0].Text;
        EXPECT_EQ(dialogs_.messages[0].Caption, "Brickwright");
        dialogs_.messages.clear();
        EXPECT_EQ(Take(), before) << name;
    }
    // From the command line or a drop, the refused file is named too, not the last one a dialog
    // chose.
    SaveBoardFile(Path("mine.brd"));
    form_->ImportSheetFile(Path("wide.bmp"));
    EXPECT_EQ(TakeMessage(), "Invalid file size. Must be n*30 width and 15 height\n\n" +
                                 Path("wide.bmp") + " is 45 x 15 pixels.");
}

TEST_F(Form1Test, ASheetOfMoreBricksThanThePaletteCanHoldIsRejected) {
    MakeBusyEditor();
    const EditorSnapshot before = Take();
    // 32768 bricks of one colour; Qt writes a monochrome image as a small 1-bit BMP.
    const std::string huge = Path("huge.bmp");
    QImage mono(30 * 32768, 15, QImage::Format_Mono);
    mono.fill(0);
    ASSERT_TRUE(mono.save(QString::fromStdString(huge), "BMP"));
    ImportSheet(huge);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].Text,
              "Too many bricks: the sheet holds 32768 bricks, a board can hold at most 32767.");
    EXPECT_EQ(Take(), before);
}

TEST_F(Form1Test, AFreshImportClearsEveryFlagKeepsTheCellsAndShowsTheNewBricks) {
    MakeBusyEditor();
    Pick(0);
    WindowPress(Qt::LeftButton, 15, 5);  // brick 1 at (0, 0)
    WindowRelease(Qt::LeftButton, 15, 5);
    const core::BoardCells cells = board_.Cells;
    const std::vector<core::Rgb32> before = Pixels(View().Picture());
    // Two bricks of other colours: brick 1 looks new, brick 3 is gone.
    const auto inverted = [](int x, int y) { return 0xFFFFFFu ^ SheetColour(x, y); };
    ASSERT_TRUE(testing::WriteBmp(Path("again.bmp"), 60, 15, BmpEncoding::Rgb24, inverted));
    ImportSheet(Path("again.bmp"));
    ASSERT_EQ(board_.Bricks.size(), 2u);
    for (const core::BrickRecord& brick : board_.Bricks) {
        EXPECT_EQ(brick.Explosive, core::kFalse);
        EXPECT_EQ(brick.Unbreakable, core::kFalse);
    }
    EXPECT_TRUE(Option(0).isChecked());
    EXPECT_FALSE(Option(2).isChecked());
    EXPECT_EQ(Palette().currentIndex(), 0);
    // The cells keep their indexes; the view shows the new brick 1 and marks the missing 3.
    EXPECT_EQ(board_.Cells, cells);
    EXPECT_EQ(core::ColorRefToRgb32(ViewPixel(7, 4)), inverted(7, 4));
    EXPECT_EQ(ViewPixel(91, 46), core::MakeColorRef(255, 0, 0));
    const std::vector<core::Rgb32> after = Pixels(View().Picture());
    form_->Undo();
    EXPECT_EQ(Pixels(View().Picture()), before);
    form_->Redo();
    EXPECT_EQ(Pixels(View().Picture()), after);
    // It is the view a fresh load of the same board shows.
    SaveBoardFile(Path("again.brd"));
    LoadBoardFile(Path("again.brd"));
    EXPECT_EQ(Pixels(View().Picture()), after);
}

TEST_F(Form1Test, OptionsRewriteBothFlagsOfTheSelectedBrick) {
    ImportSheet(WriteSheet("two.bmp", 2));
    ClickOption(1);
    EXPECT_EQ(board_.Bricks[0].Explosive, core::kTrue);
    EXPECT_EQ(board_.Bricks[0].Unbreakable, core::kFalse);
    ClickOption(2);
    EXPECT_EQ(board_.Bricks[0].Explosive, core::kFalse);
    EXPECT_EQ(board_.Bricks[0].Unbreakable, core::kTrue);
    EXPECT_EQ(board_.Bricks[1].Unbreakable, core::kFalse);

    // Selecting brick 2 shows its flags; back on brick 1 "Unbreakable" shows again.
    Palette().setCurrentIndex(1);
    emit Palette().activated(1);
    EXPECT_TRUE(Option(0).isChecked());
    Palette().setCurrentIndex(0);
    emit Palette().activated(0);
    EXPECT_TRUE(Option(2).isChecked());
    ClickOption(0);
    EXPECT_EQ(board_.Bricks[0].Explosive, core::kFalse);
    EXPECT_EQ(board_.Bricks[0].Unbreakable, core::kFalse);
}

TEST_F(Form1Test, OptionsBeforeAnyBricksSelectTheButtonOnly) {
    ClickOption(1);
    EXPECT_TRUE(Option(1).isChecked());
    ClickOption(2);
    EXPECT_TRUE(Option(2).isChecked());
    EXPECT_TRUE(board_.Bricks.empty());
    EXPECT_EQ(form_->State().BricksLoaded, core::kFalse);
}

TEST_F(Form1Test, EveryBmpEncodingOfASheetYieldsTheSamePixels) {
    const std::array<std::pair<const char*, BmpEncoding>, 6> encodings = {{
        {"rgb24.bmp", BmpEncoding::Rgb24},
        {"rgb32.bmp", BmpEncoding::Rgb32},
        {"indexed8.bmp", BmpEncoding::Indexed8},
        {"indexed4.bmp", BmpEncoding::Indexed4},
        {"rle8.bmp", BmpEncoding::Rle8},
        {"topdown.bmp", BmpEncoding::TopDownRgb24},
    }};
    for (const auto& [name, encoding] : encodings) {
        ImportSheet(WriteSheet(name, 2, encoding));
        ASSERT_TRUE(dialogs_.messages.empty()) << name << ": " << dialogs_.messages[0].Text;
        ASSERT_EQ(board_.Bricks.size(), 2u) << name;
        EXPECT_EQ(board_.Bricks[0].Pixels, ExpectedPixels(0)) << name;
        EXPECT_EQ(board_.Bricks[1].Pixels, ExpectedPixels(1)) << name;
        board_.Bricks.clear();
    }

    // A picture in another format is read too, whatever its name says.
    QImage png(60, 15, QImage::Format_RGB32);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 60; ++x) {
            png.setPixel(x, y, 0xFF000000u | SheetColour(x, y));
        }
    }
    ASSERT_TRUE(png.save(QString::fromStdString(Path("sheet.png")), "PNG"));
    ImportSheet(Path("sheet.png"));
    ASSERT_EQ(board_.Bricks.size(), 2u);
    EXPECT_EQ(board_.Bricks[1].Pixels, ExpectedPixels(1));
}

TEST_F(Form1Test, SaveThenLoadGivesTheSameBoard) {
    MakeBusyEditor();
    Palette().setCurrentIndex(0);
    emit Palette().activated(0);
    ClickOption(1);
    WindowPress(Qt::LeftButton, 595, 295);
    WindowRelease(Qt::LeftButton, 595, 295);
    WindowPress(Qt::RightButton, 95, 50);  // painted, then cleared: Used 0 keeps index 2
    WindowRelease(Qt::RightButton, 95, 50);
    const core::Board saved = board_;
    const std::vector<core::Rgb32> view = Pixels(View().Picture());

    SaveBoardFile(Path("board.brd"));
    ASSERT_EQ(dialogs_.shown.back().Kind, "save");
    EXPECT_EQ(dialogs_.shown.back().Title, "Save Board");
    EXPECT_EQ(dialogs_.shown.back().FileName, "");
    EXPECT_EQ(dialogs_.shown.back().Filter, kBoardFilter);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(std::filesystem::file_size(Path("board.brd")), core::BoardFileSize(3));

    // A second editor, started fresh, loads it.
    core::Board other;
    ScriptedDialogs otherDialogs;
    Form1 second(other, otherDialogs);
    otherDialogs.Choose(Path("board.brd"));
    second.cmdLoadBoard_Click();
    ASSERT_EQ(otherDialogs.shown.size(), 1u);
    EXPECT_EQ(otherDialogs.shown[0].Title, "Load Board");
    EXPECT_EQ(otherDialogs.shown[0].FileName, "");
    EXPECT_EQ(otherDialogs.shown[0].Filter, kBoardFilter);
    EXPECT_EQ(other.Cells, saved.Cells);
    EXPECT_EQ(other.Bricks, saved.Bricks);
    EXPECT_EQ(second.State().BricksLoaded, core::kTrue);
    auto* palette = second.findChild<QComboBox*>(QStringLiteral("cmdBricks"));
    ASSERT_EQ(palette->count(), 3);
    EXPECT_EQ(palette->itemText(2), "Brick 3");
    EXPECT_EQ(palette->currentIndex(), 0);
    EXPECT_TRUE(second.findChild<QRadioButton*>(QStringLiteral("Option1_1"))->isChecked());
    EXPECT_EQ(Pixels(second.findChild<PictureView*>(QStringLiteral("PicDisp"))->Picture()), view);

    // A name without an extension is used as it is.
    SaveBoardFile(Path("plain"));
    EXPECT_TRUE(std::filesystem::exists(Path("plain")));
    EXPECT_FALSE(std::filesystem::exists(Path("plain.brd")));
}

TEST_F(Form1Test, LoadingABoardFirstMakesPaintingPossibleAtOnce) {
    core::Board file;
    file.Bricks = {SolidBrick(0, 200, 10, 10), SolidBrick(1, 10, 200, 10)};
    file.Bricks[0].Unbreakable = core::kTrue;
    file.Cells(2, 2) = {core::kTrue, 1};
    file.Cells(3, 2) = {core::kFalse, 1};
    WriteBoardFile(Path("first.brd"), file);

    LoadBoardFile(Path("first.brd"));
    EXPECT_EQ(form_->State().BricksLoaded, core::kTrue);
    EXPECT_TRUE(Option(2).isChecked());  // the first brick is unbreakable
    EXPECT_EQ(ViewPixel(65, 35), core::MakeColorRef(10, 200, 10));
    EXPECT_EQ(ViewPixel(95, 35), core::kWhite);
    EXPECT_EQ(ViewPixel(90, 35), core::kBlack);
    EXPECT_EQ(Preview().Picture().GetPixel(5, 5), core::MakeColorRef(200, 10, 10));

    WindowMove(5, 5);
    WindowPress(Qt::LeftButton, 5, 5);
    WindowRelease(Qt::LeftButton, 5, 5);
    EXPECT_EQ(board_.Cells(0, 0), (core::BoardCell{core::kTrue, 0}));
    EXPECT_EQ(ViewPixel(10, 10), core::MakeColorRef(200, 10, 10));
}

TEST_F(Form1Test, LoadingOverAPaintedBoardShowsOnlyTheLoadedBoard) {
    core::Board file;
    file.Bricks = {SolidBrick(0, 200, 10, 10)};
    file.Cells(7, 9) = {core::kTrue, 0};
    WriteBoardFile(Path("other.brd"), file);

    MakeBusyEditor();  // cells (1, 1) and (3, 3) painted with a brick the loaded board lacks
    LoadBoardFile(Path("other.brd"));
    ASSERT_TRUE(dialogs_.messages.empty());

    core::Board fresh;
    ScriptedDialogs freshDialogs;
    Form1 second(fresh, freshDialogs);
    freshDialogs.Choose(Path("other.brd"));
    second.cmdLoadBoard_Click();
    EXPECT_EQ(Pixels(View().Picture()),
              Pixels(second.findChild<PictureView*>(QStringLiteral("PicDisp"))->Picture()));
}

TEST_F(Form1Test, ABrickWithBothFlagsShowsExplosiveUntilAnOptionIsClicked) {
    core::Board file;
    file.Bricks = {SolidBrick(0, 1, 2, 3)};
    file.Bricks[0].Explosive = core::kTrue;
    file.Bricks[0].Unbreakable = core::kTrue;
    WriteBoardFile(Path("both.brd"), file);

    LoadBoardFile(Path("both.brd"));
    EXPECT_TRUE(Option(1).isChecked());
    // Showing the flags does not rewrite them: a save now keeps both.
    EXPECT_EQ(board_.Bricks[0].Explosive, core::kTrue);
    EXPECT_EQ(board_.Bricks[0].Unbreakable, core::kTrue);
    ClickOption(1);
    EXPECT_EQ(board_.Bricks[0].Explosive, core::kTrue);
    EXPECT_EQ(board_.Bricks[0].Unbreakable, core::kFalse);
}

TEST_F(Form1Test, ACellWithAMissingBrickIsMarkedAndKept) {
    core::Board file;
    file.Bricks = {SolidBrick(0, 1, 2, 3)};
    file.Cells(4, 4) = {core::kTrue, 9};
    WriteBoardFile(Path("missing.brd"), file);
    LoadBoardFile(Path("missing.brd"));
    EXPECT_EQ(board_.Cells(4, 4), (core::BoardCell{core::kTrue, 9}));
    EXPECT_EQ(ViewPixel(121, 61), core::MakeColorRef(255, 0, 0));
    EXPECT_EQ(ViewPixel(120, 65), core::kBlack);
    EXPECT_EQ(ViewPixel(125, 70), core::kWhite);
    // It saves back unchanged.
    SaveBoardFile(Path("again.brd"));
    core::Board reread;
    core::LoadBoard(Path("again.brd"), reread);
    EXPECT_EQ(reread.Cells(4, 4), (core::BoardCell{core::kTrue, 9}));
}

TEST_F(Form1Test, AFailedLoadShowsTheLoadersMessageAndChangesNothing) {
    MakeBusyEditor();

    core::Board valid;
    valid.Bricks = {SolidBrick(0, 1, 2, 3), SolidBrick(1, 4, 5, 6)};
    WriteBoardFile(Path("valid.brd"), valid);
    const auto size = std::filesystem::file_size(Path("valid.brd"));
    std::filesystem::copy_file(Path("valid.brd"), Path("short.brd"));
    std::filesystem::resize_file(Path("short.brd"), size - 1);
    std::filesystem::copy_file(Path("valid.brd"), Path("negative.brd"));
    {
        std::fstream f(Path("negative.brd"), std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(10);
        const char minusOne[4] = {'\xFF', '\xFF', '\xFF', '\xFF'};
        f.write(minusOne, 4);
    }
    const EditorSnapshot before = Take();

    for (const char* name : {"absent.brd", "short.brd", "negative.brd"}) {
        std::string expected;
        try {
            core::Board scratch;
            core::LoadBoard(Path(name), scratch);
        } catch (const core::BoardError& e) {
            expected = e.what();
        }
        ASSERT_FALSE(expected.empty()) << name;

        LoadBoardFile(Path(name));
        ASSERT_EQ(dialogs_.messages.size(), 1u) << name;
        EXPECT_EQ(dialogs_.messages[0].Text, expected);
        EXPECT_EQ(dialogs_.messages[0].Caption, "Brickwright");
        dialogs_.messages.clear();
        EXPECT_EQ(Take(), before) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("absent.brd")));  // reading never creates it
}

TEST_F(Form1Test, AFailedSaveShowsTheMessageAndChangesNothing) {
    // Save does nothing, not even ask, before a brick table exists.
    Click("cmdSaveBoard");
    EXPECT_TRUE(dialogs_.shown.empty());

    MakeBusyEditor();
    const EditorSnapshot before = Take();
    const std::string target = Path("no-such-folder/board.brd");
    SaveBoardFile(target);
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].Caption, "Brickwright");
    EXPECT_FALSE(dialogs_.messages[0].Text.empty());
    EXPECT_EQ(Take(), before);
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(Form1Test, CancelledDialogsChangeNothing) {
    MakeBusyEditor();
    const EditorSnapshot before = Take();
    for (const char* button : {"cmdLoadBricks", "cmdLoadBoard", "cmdSaveBoard"}) {
        if (std::string_view(button) == "cmdLoadBoard") {
            dialogs_.Answer("Discard");  // the painted cells are unsaved
        }
        dialogs_.Cancel();
        Click(button);
    }
    EXPECT_EQ(dialogs_.shown.size(), 4u);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(Take(), before);
}

}  // namespace
}  // namespace editor
