#include "shared/brick_drawing.h"

#include <gtest/gtest.h>

namespace core {
namespace {

BrickRecord SolidBrick(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    BrickRecord brick;
    for (std::size_t i = 0; i < brick.Pixels.size(); i += 3) {
        brick.Pixels[i] = r;
        brick.Pixels[i + 1] = g;
        brick.Pixels[i + 2] = b;
    }
    return brick;
}

int CountColour(const PictureBox& box, int x0, int y0, ColorRef colour) {
    int n = 0;
    for (int y = y0; y < y0 + kCellHeight; ++y) {
        for (int x = x0; x < x0 + kCellWidth; ++x) {
            n += box.GetPixel(x, y) == colour;
        }
    }
    return n;
}

TEST(BrickPixels, OffsetsOfCornerPixels) {
    EXPECT_EQ(PixelOffset(0, 0), 0u);
    EXPECT_EQ(PixelOffset(29, 0), 87u);
    EXPECT_EQ(PixelOffset(0, 1), 90u);
    EXPECT_EQ(PixelOffset(29, 14), 1347u);
}

TEST(DrawBrick, PaintsPixelsInRowOrderWithRedGreenBlueBytes) {
    BrickTable bricks(1);
    bricks[0].Pixels[0] = 255;  // first pixel pure red, the rest black
    PictureBox box(100, 100);
    EXPECT_TRUE(DrawBrick(box, 40, 20, bricks, 0, kFalse, ErasePattern::White));
    EXPECT_EQ(box.GetPixel(40, 20), MakeColorRef(255, 0, 0));
    EXPECT_EQ(CountColour(box, 40, 20, kBlack), 449);
    EXPECT_EQ(box.GetPixel(39, 20), kWhite);
    EXPECT_EQ(box.GetPixel(70, 20), kWhite);
    EXPECT_EQ(box.GetPixel(40, 35), kWhite);

    // Pixel (29, 14) comes from the last three bytes, pixel (0, 1) from bytes 90..92.
    bricks[0].Pixels[1347] = 1;
    bricks[0].Pixels[1348] = 2;
    bricks[0].Pixels[1349] = 3;
    bricks[0].Pixels[91] = 7;
    DrawBrick(box, 0, 0, bricks, 0, kFalse, ErasePattern::White);
    EXPECT_EQ(box.GetPixel(29, 14), MakeColorRef(1, 2, 3));
    EXPECT_EQ(box.GetPixel(0, 1), MakeColorRef(0, 7, 0));
}

TEST(DrawBrick, OnlyExactlyTrueErases) {
    BrickTable bricks{SolidBrick(10, 20, 30)};
    PictureBox box(30, 15, kBlack);
    DrawBrick(box, 0, 0, bricks, 0, 1, ErasePattern::White);
    EXPECT_EQ(CountColour(box, 0, 0, MakeColorRef(10, 20, 30)), 450);
    DrawBrick(box, 0, 0, bricks, 0, kTrue, ErasePattern::White);
    EXPECT_EQ(CountColour(box, 0, 0, kWhite), 450);
}

TEST(DrawBrick, EditorEraseRestoresTheCellsOwnGridLines) {
    PictureBox box(100, 100, MakeColorRef(9, 9, 9));
    // The erase pattern never looks at the table, so an empty table and any index will do.
    EXPECT_TRUE(DrawBrick(box, 30, 15, {}, 12345, kTrue, ErasePattern::GridLines));
    EXPECT_EQ(CountColour(box, 30, 15, kBlack), 44);
    EXPECT_EQ(CountColour(box, 30, 15, kWhite), 406);
    for (int x = 30; x < 60; ++x) {
        EXPECT_EQ(box.GetPixel(x, 15), kBlack);
    }
    for (int y = 15; y < 30; ++y) {
        EXPECT_EQ(box.GetPixel(30, y), kBlack);
    }
    EXPECT_EQ(box.GetPixel(60, 20), MakeColorRef(9, 9, 9));  // the neighbour's line is not ours
}

TEST(DrawBrick, GameEraseIsPureWhiteOverAnyBackground) {
    PictureBox box(60, 30, MakeColorRef(200, 100, 50));
    DrawBrick(box, 30, 15, {}, -7, kTrue, ErasePattern::White);
    EXPECT_EQ(CountColour(box, 30, 15, kWhite), 450);
    EXPECT_EQ(box.GetPixel(29, 15), MakeColorRef(200, 100, 50));
}

TEST(DrawBrick, BrickOutsideTheTableDrawsNothing) {
    BrickTable bricks{SolidBrick(1, 1, 1)};
    PictureBox box(30, 15);
    EXPECT_FALSE(DrawBrick(box, 0, 0, bricks, 1, kFalse, ErasePattern::White));
    EXPECT_FALSE(DrawBrick(box, 0, 0, bricks, -1, kFalse, ErasePattern::White));
    EXPECT_FALSE(DrawBrick(box, 0, 0, {}, 0, kFalse, ErasePattern::White));
    EXPECT_EQ(CountColour(box, 0, 0, kWhite), 450);
}

TEST(DrawBrick, ClipsAtThePicturesEdges) {
    BrickTable bricks{SolidBrick(0, 0, 0)};
    PictureBox box(40, 20);
    DrawBrick(box, 25, 10, bricks, 0, kFalse, ErasePattern::White);
    DrawBrick(box, -20, -10, bricks, 0, kFalse, ErasePattern::White);
    EXPECT_EQ(box.GetPixel(39, 19), kBlack);
    EXPECT_EQ(box.GetPixel(0, 0), kBlack);
    EXPECT_EQ(box.GetPixel(10, 5), kWhite);
}

TEST(DrawBoard, DrawsOnlyCellsUsedExactlyTrueWithBricksInTheTable) {
    Board board;
    board.Bricks = {SolidBrick(255, 0, 0), SolidBrick(0, 0, 255)};
    board.Cells(0, 0) = {kTrue, 0};
    board.Cells(19, 19) = {kTrue, 1};
    board.Cells(5, 5) = {1, 0};      // not exactly true
    board.Cells(6, 6) = {kTrue, 2};  // beyond the table
    board.Cells(7, 7) = {kTrue, -1};
    PictureBox box(600, 480, MakeColorRef(7, 7, 7));
    DrawBoard(box, board);
    EXPECT_EQ(CountColour(box, 0, 0, MakeColorRef(255, 0, 0)), 450);
    EXPECT_EQ(CountColour(box, 570, 285, MakeColorRef(0, 0, 255)), 450);
    for (int cell : {5, 6, 7}) {
        EXPECT_EQ(CountColour(box, 30 * cell, 15 * cell, MakeColorRef(7, 7, 7)), 450) << cell;
    }
}

TEST(DrawBoard, EmptyBoardPaintsNothing) {
    Board board;
    PictureBox box(600, 300, MakeColorRef(1, 2, 3));
    DrawBoard(box, board);
    for (Rgb32 p : box.Image()) {
        ASSERT_EQ(p, ColorRefToRgb32(MakeColorRef(1, 2, 3)));
    }
}

// A 90 x 15 sheet whose every pixel encodes its own position.
PictureBox PositionSheet() {
    PictureBox sheet(90, 15);
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 90; ++x) {
            sheet.SetPixelV(
                x, y,
                MakeColorRef(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0x20));
        }
    }
    return sheet;
}

TEST(ReadBrickPixels, CutsTheBricksStripFromTheSheet) {
    const PictureBox sheet = PositionSheet();
    const BrickPixels brick1 = ReadBrickPixels(sheet, 1);
    EXPECT_EQ(brick1[0], 30);  // first pixel from (30, 0)
    EXPECT_EQ(brick1[1], 0);
    EXPECT_EQ(brick1[2], 0x20);
    EXPECT_EQ(brick1[PixelOffset(29, 14)], 59);
    EXPECT_EQ(brick1[PixelOffset(29, 14) + 1], 14);
    EXPECT_EQ(ReadBrickPixels(sheet, 2)[PixelOffset(29, 0)], 89);
}

TEST(ReadBrickPixels, CutThenDrawReproducesTheSheetStrip) {
    const PictureBox sheet = PositionSheet();
    BrickTable bricks(3);
    for (int i = 0; i < 3; ++i) {
        bricks[static_cast<std::size_t>(i)].Pixels = ReadBrickPixels(sheet, i);
    }
    PictureBox target(90, 15, kBlack);
    for (int i = 0; i < 3; ++i) {
        DrawBrick(target, 30 * i, 0, bricks, i, kFalse, ErasePattern::White);
    }
    EXPECT_TRUE(std::equal(sheet.Image().begin(), sheet.Image().end(), target.Image().begin()));
}

TEST(ReadBrickPixels, PixelsBeyondTheSheetReadAsWhite) {
    const PictureBox sheet = PositionSheet();
    for (std::int32_t index : {3, -1, 2147483647}) {
        const BrickPixels pixels = ReadBrickPixels(sheet, index);
        for (std::uint8_t b : pixels) {
            ASSERT_EQ(b, 255) << index;
        }
    }
}

}  // namespace
}  // namespace core
