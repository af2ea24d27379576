#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "shared/board_codec.h"
#include "shared/board_file.h"
#include "tests/tools/test_support.h"
#include "tools/brdtool/layout.h"
#include "tools/brdtool/picture_io.h"

// The shipped brick sheet and default board, checked from their sources.
namespace brdtool {
namespace {

namespace fs = std::filesystem;

const fs::path kAssets = VANTOR_ASSETS_DIR;

std::uint32_t LittleEndian(const std::vector<char>& bytes, std::size_t at, std::size_t size) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < size; ++i) {
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return v;
}

int Brightness(const core::BrickPixels& pixels, int col, int row) {
    const std::size_t at = core::PixelOffset(col, row);
    return pixels[at] + pixels[at + 1] + pixels[at + 2];
}

core::Board BuildDefault() {
    std::ifstream in(kAssets / "board.layout");
    return BuildBoard(ParseLayout(in, "board.layout"), LoadSheet(kAssets / "bricks.bmp"));
}

TEST(DefaultAssets, TheSheetIsAnUncompressed24BitBitmapOfShadedDistinctBricks) {
    const auto bytes = testing_support::ReadBytes(kAssets / "bricks.bmp");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(LittleEndian(bytes, 2, 4), bytes.size());
    EXPECT_EQ(LittleEndian(bytes, 28, 2), 24u);  // bits per pixel
    EXPECT_EQ(LittleEndian(bytes, 30, 4), 0u);   // no compression

    const core::Board board = BuildDefault();
    ASSERT_GE(board.Bricks.size(), 8u);
    std::set<core::BrickPixels> distinct;
    for (const core::BrickRecord& brick : board.Bricks) {
        distinct.insert(brick.Pixels);
        // Raised: the top and left edges catch the light, the bottom and right lie in shadow.
        EXPECT_GT(Brightness(brick.Pixels, 15, 0), Brightness(brick.Pixels, 15, 14)) << brick.Index;
        EXPECT_GT(Brightness(brick.Pixels, 0, 7), Brightness(brick.Pixels, 29, 7)) << brick.Index;
    }
    EXPECT_EQ(distinct.size(), board.Bricks.size());
}

TEST(DefaultAssets, TheBoardHasAFewUnbreakableBricksAndRoomAboveTheWall) {
    const core::Board board = BuildDefault();
    int used = 0;
    int unbreakable = 0;
    for (const core::BoardCell& cell : board.Cells.Elements()) {
        if (cell.Used == core::kTrue) {
            ++used;
            unbreakable += board.FindBrick(cell.BrickIndex)->Unbreakable != core::kFalse ? 1 : 0;
        }
    }
    EXPECT_GE(used, 60);
    EXPECT_GE(unbreakable, 1);
    EXPECT_LE(unbreakable * 10, used);
    for (int column = 0; column < core::kColumns; ++column) {
        EXPECT_EQ(board.Cells(column, 0).Used, core::kFalse) << column;
    }
}

TEST(DefaultAssets, TheDefaultBoardIsExactlyWhatTheseSourcesBuild) {
    core::Board expected = BuildDefault();
    core::PrepareHeaderForSave(expected);
    const std::vector<std::byte> bytes = core::EncodeBoard(expected);
    const auto* first = reinterpret_cast<const char*>(bytes.data());
    EXPECT_TRUE(testing_support::ReadBytes(VANTOR_DEFAULT_BOARD) ==
                std::vector<char>(first, first + bytes.size()))
        << "assets/board.brd is not what bricks.bmp and board.layout build; rewrite it with "
           "\"cmake --build build/test --target default_board\"";
}

}  // namespace
}  // namespace brdtool
