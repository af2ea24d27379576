// Hostile board files given to Brickwright's "Load Board": each shows exactly one message that
// names the file and says what is wrong, and nothing in the editor or on disk changes.

#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "editor/painting.h"
#include "shared/brick_drawing.h"
#include "shared/colour.h"
#include "tests/editor/editor_fixture.h"

namespace reliability {

using namespace editor::testing;
namespace {

namespace fs = std::filesystem;

class HostileBoards : public EditorFixture {
  protected:
    // A valid two-brick board with one painted cell.
    static std::vector<char> TwoBricks() {
        core::Board board;
        board.Bricks = {SolidBrick(0, 1, 2, 3), SolidBrick(1, 4, 5, 6)};
        board.Cells(0, 0) = {core::kTrue, 1};
        return BoardBytes(board);
    }
    static std::vector<char> WithLastBrickIndex(std::vector<char> bytes, std::uint32_t last) {
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[10 + i] = static_cast<char>((last >> (8 * i)) & 0xFFu);
        }
        return bytes;
    }

    // Loading path fails with exactly message; the editor and the folder stay as they were.
    void ExpectRefused(const std::string& path, const std::string& message) {
        const EditorSnapshot before = Take();
        const FolderContents files = Contents(Folder());
        LoadBoardFile(path);
        EXPECT_EQ(TakeMessage(), message) << path;
        EXPECT_TRUE(Take() == before) << path << ": the editor changed";
        EXPECT_EQ(Contents(Folder()), files) << path << ": the folder changed";
    }
};

TEST_F(HostileBoards, DamagedFilesAreRefusedWithAClearMessage) {
    MakeBusyEditorFromBoard();
    const std::vector<char> good = TwoBricks();
    struct Case {
        const char* name;
        std::vector<char> bytes;
        std::string message;  // after "PATH: "
    };
    const std::vector<Case> cases = {
        {"empty.brd", {}, "this is not a board file (it does not start with VNTR)"},
        {"thirteen.brd", std::vector<char>(good.begin(), good.begin() + 13),
         "file is 13 bytes, too short for a board header (14 bytes)"},
        {"minus-one.brd", WithLastBrickIndex(good, 0xFFFFFFFFu),
         "invalid LastBrickIndex -1 in the header (must be 0 to 32766)"},
        {"largest.brd", WithLastBrickIndex(good, 0x7FFFFFFFu),
         "header announces 2147483648 bricks, more than the 32767 a board can hold"},
        {"one-too-many.brd", WithLastBrickIndex(good, 32767),
         "header announces 32768 bricks, more than the 32767 a board can hold"},
        {"one-byte-short.brd", std::vector<char>(good.begin(), good.end() - 1),
         "file is 5129 bytes, but its header announces 2 bricks (5130 bytes)"},
    };
    for (const Case& c : cases) {
        WriteBytes(Path(c.name), c.bytes);
    }
    for (const Case& c : cases) {
        ExpectRefused(Path(c.name), Path(c.name) + ": " + c.message);
    }
}

TEST_F(HostileBoards, OnlyRegularFilesAreOpenedSoNothingBlocks) {
    MakeBusyEditorFromBoard();
    fs::create_directory(Path("folder.brd"));
    ASSERT_EQ(::mkfifo(Path("fifo.brd").c_str(), 0600), 0);
    // A link to itself, outside the folder whose files are compared.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const std::string loop = (fs::path(elsewhere.path().toStdString()) / "loop.brd").string();
    fs::create_symlink(loop, loop);

    ExpectRefused(Path("folder.brd"), Path("folder.brd") + ": is a folder, not a board file");
    // Opening a FIFO for reading would wait for a writer forever.
    ExpectRefused(Path("fifo.brd"), Path("fifo.brd") + ": is not a regular file");
    ExpectRefused("/dev/zero", "/dev/zero: is not a regular file");
    ExpectRefused("/dev/null", "/dev/null: is not a regular file");
    ExpectRefused(loop, loop + ": cannot open: Too many levels of symbolic links");
}

TEST_F(HostileBoards, PathsWithSpacesAndNonAsciiCharactersWorkAndAreNamedExactly) {
    MakeBusyEditorFromBoard();
    const fs::path folder = Folder() / "Niveaux d’été – ünïcödé ✓";
    fs::create_directory(folder);
    const std::string damaged = (folder / "tableau cassé.brd").string();
    std::vector<char> bytes = TwoBricks();
    bytes.resize(3000);
    WriteBytes(damaged, bytes);
    ExpectRefused(damaged, damaged +
                               ": file is 3000 bytes, but its header announces 2 bricks "
                               "(5130 bytes)");

    const std::string valid = (folder / "niveau n°1.brd").string();
    WriteBytes(valid, TwoBricks());
    LoadBoardFile(valid);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(board_.Cells(0, 0), (core::BoardCell{core::kTrue, 1}));
    EXPECT_EQ(Palette().count(), 2);

    // And saved back there under another such name.
    const std::string copy = (folder / "copie à côté.brd").string();
    SaveBoardFile(copy);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(ReadBytes(copy), TwoBricks());
}

TEST_F(HostileBoards, AHugeSparseFileIsReadOnlyAsFarAsItsHeaderAnnounces) {
    // Two gibibytes of which only the first board is data: it loads as that board.
    std::vector<char> bytes = TwoBricks();
    const std::string path = Path("sparse.brd");
    WriteBytes(path, bytes);
    fs::resize_file(path, std::uintmax_t{2} << 30);
    LoadBoardFile(path);
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(board_.Bricks.size(), 2u);
    EXPECT_EQ(board_.Cells(0, 0), (core::BoardCell{core::kTrue, 1}));
    EXPECT_EQ(fs::file_size(path), std::uintmax_t{2} << 30);

    // The most bricks a board can hold, announced by the same file: 44 500 000 bytes are read,
    // and the palette lists every brick.
    bytes = WithLastBrickIndex(bytes, 32766);
    WriteBytes(path, bytes);
    fs::resize_file(path, std::uintmax_t{2} << 30);
    LoadBoardFile(path);
    EXPECT_TRUE(dialogs_.messages.empty());
    ASSERT_EQ(board_.Bricks.size(), 32767u);
    EXPECT_EQ(board_.Bricks[1].Pixels[0], 4);
    EXPECT_EQ(board_.Bricks[32766], core::BrickRecord{});  // a hole reads as zeros
    ASSERT_EQ(Palette().count(), 32767);
    EXPECT_EQ(Palette().itemText(32766).toStdString(), "Brick 32767");
}

TEST_F(HostileBoards, CellsWithBricksTheTableLacksShowTheMissingBrickMarkAndAreKept) {
    core::Board file;
    file.Bricks = {SolidBrick(0, 200, 30, 30), SolidBrick(1, 30, 160, 60),
                   SolidBrick(2, 40, 60, 200)};
    const std::vector<std::pair<core::BoardCell, editor::GridCell>> cells = {
        {{core::kTrue, -1}, {0, 0}},          {{core::kTrue, INT32_MIN}, {19, 0}},
        {{core::kTrue, 3}, {7, 9}},           {{core::kTrue, 1000}, {0, 19}},
        {{core::kTrue, INT32_MAX}, {19, 19}}, {{1, -5}, {10, 10}},  // not shown at all
        {{core::kTrue, 2}, {11, 10}},
    };
    for (const auto& [cell, at] : cells) {
        file.Cells(at.Column, at.Row) = cell;
    }
    const std::vector<char> bytes = BoardBytes(file);
    WriteBytes(Path("missing.brd"), bytes);
    LoadBoardFile(Path("missing.brd"));
    ASSERT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(board_.Cells, file.Cells);
    EXPECT_EQ(board_.Bricks, file.Bricks);

    // What each cell must look like, drawn on its own: the mark for a shown cell without its
    // brick, the brick for the one that has it, the bare grid for a cell that is not shown.
    core::PictureBox expected(editor::kViewWidth, editor::kViewHeight);
    editor::DrawGrid(expected);
    for (const auto& [cell, at] : cells) {
        const std::int32_t x0 = at.Column * core::kCellWidth;
        const std::int32_t y0 = at.Row * core::kCellHeight;
        if (cell.Used != core::kTrue) {
            continue;
        }
        if (!core::DrawBrick(expected, x0, y0, file.Bricks, cell.BrickIndex, core::kFalse,
                             core::ErasePattern::GridLines)) {
            editor::DrawMissingBrick(expected, x0, y0);
        }
    }
    const core::PictureBox& view = View().Picture();
    ASSERT_EQ(view.Width(), expected.Width());
    for (int y = 0; y < view.Height(); ++y) {
        for (int x = 0; x < view.Width(); ++x) {
            ASSERT_EQ(view.PixelAt(x, y), expected.PixelAt(x, y)) << x << "," << y;
        }
    }
    // The mark is red, so it cannot be mistaken for a brick of the sheet's colours or an empty
    // cell.
    EXPECT_EQ(view.GetPixel(1, 1), core::MakeColorRef(255, 0, 0));
    EXPECT_EQ(view.GetPixel(19 * 30 + 29, 19 * 15 + 1), core::MakeColorRef(255, 0, 0));

    // Saved back, every cell is as it was read.
    SaveBoardFile(Path("again.brd"));
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(ReadBytes(Path("again.brd")), bytes);

    // Painting over a marked cell puts a real brick there; erasing one keeps its index.
    Palette().setCurrentIndex(1);
    emit Palette().activated(1);
    form_->PicDisp_MouseMove(editor::kLeftButton, 0, 7 * 30 + 5, 9 * 15 + 5);
    EXPECT_EQ(board_.Cells(7, 9), (core::BoardCell{core::kTrue, 1}));
    EXPECT_EQ(view.GetPixel(7 * 30 + 5, 9 * 15 + 5), core::MakeColorRef(30, 160, 60));
    form_->PicDisp_MouseMove(editor::kRightButton, 0, 19 * 30 + 5, 19 * 15 + 5);
    EXPECT_EQ(board_.Cells(19, 19), (core::BoardCell{core::kFalse, INT32_MAX}));
    EXPECT_EQ(view.GetPixel(19 * 30 + 29, 19 * 15 + 1), core::kWhite);
}

}  // namespace
}  // namespace reliability
