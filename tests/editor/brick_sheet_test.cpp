#include "editor/brick_sheet.h"

#include <gtest/gtest.h>

#include "shared/board_file.h"
#include "shared/colour.h"

namespace editor {
namespace {

TEST(CheckSheet, AcceptsWholeBricksFifteenHigh) {
    EXPECT_EQ(CheckSheet(30, 15), SheetCheck::Accepted);
    EXPECT_EQ(CheckSheet(300, 15), SheetCheck::Accepted);
    EXPECT_EQ(CheckSheet(30.0f * 32767, 15), SheetCheck::Accepted);
}

TEST(CheckSheet, RejectsEveryOtherSize) {
    EXPECT_EQ(CheckSheet(45, 15), SheetCheck::WrongSize);
    EXPECT_EQ(CheckSheet(60, 16), SheetCheck::WrongSize);
    EXPECT_EQ(CheckSheet(60, 14), SheetCheck::WrongSize);
    EXPECT_EQ(CheckSheet(29, 15), SheetCheck::WrongSize);
    EXPECT_EQ(CheckSheet(0, 15), SheetCheck::WrongSize);  // no brick at all
    EXPECT_EQ(CheckSheet(0, 0), SheetCheck::WrongSize);
}

TEST(CheckSheet, RejectsMoreBricksThanThePaletteCanSelect) {
    EXPECT_EQ(CheckSheet(30.0f * 32768, 15), SheetCheck::TooManyBricks);
    EXPECT_EQ(SheetCheckMessage(SheetCheck::TooManyBricks, 30.0f * 32768),
              "Too many bricks: the sheet holds 32768 bricks, a board can hold at most 32767.");
    EXPECT_EQ(SheetCheckMessage(SheetCheck::WrongSize, 45),
              "Invalid file size. Must be n*30 width and 15 height");
}

TEST(BuildBrickTable, CutsOneRecordPerBrickWithFlagsCleared) {
    // Pixel (x, y) of the sheet is (x, y, 7): every brick and every position differs.
    constexpr int kWidth = 90;
    std::vector<core::Rgb32> pixels;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            pixels.push_back(core::ColorRefToRgb32(
                core::MakeColorRef(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7)));
        }
    }
    core::PictureBox sheet;
    sheet.SetPicture(kWidth, 15, pixels);

    const core::BrickTable table = BuildBrickTable(sheet);
    ASSERT_EQ(table.size(), 3u);
    for (std::int32_t i = 0; i < 3; ++i) {
        const core::BrickRecord& brick = table[static_cast<std::size_t>(i)];
        EXPECT_EQ(brick.Index, i);
        EXPECT_EQ(brick.Explosive, core::kFalse);
        EXPECT_EQ(brick.Unbreakable, core::kFalse);
        for (int row = 0; row < 15; ++row) {
            for (int col = 0; col < 30; ++col) {
                const std::size_t at = core::PixelOffset(col, row);
                ASSERT_EQ(brick.Pixels[at], 30 * i + col);
                ASSERT_EQ(brick.Pixels[at + 1], row);
                ASSERT_EQ(brick.Pixels[at + 2], 7);
            }
        }
    }
}

TEST(PaletteItemText, NumbersBricksFromOne) {
    EXPECT_EQ(PaletteItemText(0), "Brick 1");
    EXPECT_EQ(PaletteItemText(9), "Brick 10");
    EXPECT_EQ(PaletteItemText(32766), "Brick 32767");
}

}  // namespace
}  // namespace editor
