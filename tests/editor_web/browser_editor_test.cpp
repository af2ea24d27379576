#include "editor/web/browser_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shared/board_codec.h"
#include "shared/brick_sheet.h"
#include "shared/bricks_to_clear.h"

namespace editor {
namespace {

using Kind = BrowserEditor::PointerKind;

// A sheet of `bricks` bricks as the browser decodes it: RGBA, every brick of its own colours.
std::vector<std::uint8_t> SheetRgba(int bricks, int height = 15) {
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < 30 * bricks * height; ++i) {
        rgba.insert(rgba.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 30),
                                 static_cast<std::uint8_t>(7 * i), 255});
    }
    return rgba;
}

// The centre of a cell in view pixels.
double X(int column) {
    return 30.0 * column + 15;
}
double Y(int row) {
    return 15.0 * row + 7;
}

class BrowserEditorTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(editor_.ImportSheet(SheetRgba(3), 90, 15, "sheet.bmp"), ""); }
    void Drag(std::int16_t button, int shift, GridCell from, GridCell to) {
        editor_.Pointer(Kind::Press, button, shift, X(from.Column), Y(from.Row));
        editor_.Pointer(Kind::Move, button, shift, X(to.Column), Y(to.Row));
        editor_.Pointer(Kind::Release, button, shift, X(to.Column), Y(to.Row));
    }
    // The board's bytes as they stand.
    std::vector<std::byte> Bytes() {
        EXPECT_TRUE(editor_.Encode());
        return editor_.Bytes();
    }
    core::Board Board() { return core::DecodeBoard(Bytes(), "board"); }

    BrowserEditor editor_;
};

// The page's save is the desktop's: the same edits on the document, saved through the file
// codec as SaveBoard writes it, give the same bytes; the board is then clean under that name.
TEST_F(BrowserEditorTest, SavesWhatTheDesktopEditorSavesForTheSameEdits) {
    core::Board board;
    BoardDocument desktop(board);
    core::PictureBox sheet;
    std::vector<core::Rgb32> pixels;
    const std::vector<std::uint8_t> rgba = SheetRgba(3);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        pixels.push_back(core::Rgb32{rgba[i]} << 16 | core::Rgb32{rgba[i + 1]} << 8 | rgba[i + 2]);
    }
    sheet.SetPicture(90, 15, pixels);
    desktop.ImportSheet(std::move(sheet));
    desktop.StrokeTo({1, 1}, kLeftButton);
    desktop.StrokeTo({6, 4}, kLeftButton);
    desktop.EndStroke();
    desktop.Select(2);
    desktop.ChooseOption(2);

    Drag(kLeftButton, 0, {1, 1}, {6, 4});
    editor_.Select(2);
    editor_.ChooseOption(2);
    ASSERT_EQ(editor_.Save("mine.brd"), "");
    core::PrepareHeaderForSave(board);
    EXPECT_EQ(editor_.Bytes(), core::EncodeBoard(board));
    EXPECT_NE(editor_.State().find(R"("modified":false)"), std::string::npos);
    EXPECT_NE(editor_.State().find(R"("file":"mine.brd")"), std::string::npos);
}

// Shift-drag outlines a rectangle and fills it at the release of its own button; Ctrl-click
// fills a region and the rest of that drag paints nothing; the middle button picks a brick.
TEST_F(BrowserEditorTest, TakesThePointerAsTheDesktopBoardViewDoes) {
    editor_.Pointer(Kind::Press, kLeftButton, 1, X(2), Y(2));
    editor_.Pointer(Kind::Move, kLeftButton, 1, X(4), Y(3));
    EXPECT_NE(editor_.State().find(R"("outline":[60,30,90,30])"), std::string::npos);
    editor_.Pointer(Kind::Release, kRightButton, 1, X(4), Y(3));
    EXPECT_EQ(core::CountBricksToClear(Board()), 0);
    editor_.Pointer(Kind::Release, kLeftButton, 1, X(4), Y(3));
    EXPECT_EQ(core::CountBricksToClear(Board()), 6);
    EXPECT_NE(editor_.State().find(R"("outline":null)"), std::string::npos);

    editor_.Select(1);
    Drag(kLeftButton, 2, {0, 10}, {3, 2});  // the empty region: every other cell
    EXPECT_EQ(core::CountBricksToClear(Board()), 400);
    EXPECT_EQ(Board().Cells(5, 12).BrickIndex, 1);
    EXPECT_EQ(Board().Cells(3, 2).BrickIndex, 0);

    editor_.Pointer(Kind::Press, kMiddleButton, 0, X(3), Y(2));
    EXPECT_NE(editor_.State().find(R"("selected":0)"), std::string::npos);
}

// A board that cannot be read, or a sheet of the wrong size, changes nothing and says why in
// the desktop's words; a board opened as unsaved work stays modified, a saved one is clean.
TEST_F(BrowserEditorTest, RefusesBadFilesWithTheirMessagesAndChangesNothing) {
    Drag(kLeftButton, 0, {0, 0}, {0, 0});
    const std::vector<std::byte> before = Bytes();
    const std::string state = editor_.State();

    const std::vector<std::byte> junk(100);
    EXPECT_EQ(editor_.Open(junk, "bad.brd", false).rfind("bad.brd: ", 0), 0u);
    EXPECT_EQ(editor_.ImportSheet(SheetRgba(1, 16), 30, 16, "tall.bmp"),
              core::SheetCheckMessage(core::SheetCheck::WrongSize, 30, 16, "tall.bmp"));
    EXPECT_EQ(editor_.ImportSheet({}, 5000, 5000, "huge.png"),
              "Cannot load the picture \"huge.png\": it is 5000 x 5000 pixels, more than any "
              "brick sheet can be.");
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(editor_.State(), state);

    ASSERT_EQ(editor_.Open(before, "kept.brd", true), "");
    EXPECT_NE(editor_.State().find(R"("modified":true)"), std::string::npos);
    ASSERT_EQ(editor_.Open(before, "kept \"1\".brd", false), "");
    EXPECT_NE(editor_.State().find(R"("modified":false)"), std::string::npos);
    EXPECT_NE(editor_.State().find(R"("file":"kept \"1\".brd")"), std::string::npos);
    EXPECT_EQ(Bytes(), before);
}

TEST_F(BrowserEditorTest, SaysWhenNoBrickCanEverBeCleared) {
    EXPECT_EQ(editor_.ToClearText(), "0 bricks to clear");
    editor_.ChooseOption(2);
    Drag(kLeftButton, 0, {0, 0}, {0, 0});
    EXPECT_EQ(editor_.ToClearText(), "No breakable brick: the board can never be finished");
    editor_.ChooseOption(0);
    EXPECT_EQ(editor_.ToClearText(), "1 brick to clear");
}

TEST(BrowserEditor, WithoutBricksNeitherPaintsNorSaves) {
    BrowserEditor editor;
    EXPECT_FALSE(editor.Pointer(Kind::Press, kLeftButton, 0, X(1), Y(1)));
    EXPECT_EQ(editor.Save("x.brd"), BrowserEditor::kNoBricksMessage);
    EXPECT_FALSE(editor.Encode());
}

}  // namespace
}  // namespace editor
