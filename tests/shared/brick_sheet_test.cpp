#include "shared/brick_sheet.h"

#include <gtest/gtest.h>

namespace core {
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
    // As the user sees it: the exact rule first, then which file and its real size.
    EXPECT_EQ(SheetCheckMessage(SheetCheck::WrongSize, 60, 16, "/home/a/bricks.bmp"),
              "Invalid file size. Must be n*30 width and 15 height\n\n"
              "/home/a/bricks.bmp is 60 x 16 pixels.");
    EXPECT_EQ(SheetCheckMessage(SheetCheck::Accepted, 60, 15, "b.bmp"), "");
}

TEST(BrickName, NumbersBricksFromOneAsThePaletteDoes) {
    EXPECT_EQ(BrickName(0), "Brick 1");
    EXPECT_EQ(BrickName(9), "Brick 10");
    EXPECT_EQ(BrickName(32766), "Brick 32767");
}

}  // namespace
}  // namespace core
