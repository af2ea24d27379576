#include "shared/picture_box.h"

#include <gtest/gtest.h>

#include <vector>

namespace core {
namespace {

TEST(Colour, ChannelOrderOfSetPixelAndGetPixel) {
    PictureBox box(4, 2);
    const ColorRef colour = MakeColorRef(0x12, 0x34, 0x56);  // red 0x12, green 0x34, blue 0x56
    EXPECT_EQ(colour, 0x563412u);
    box.SetPixelV(1, 1, colour);
    // Stored as 0x00RRGGBB, what SDL and Qt expect.
    EXPECT_EQ(box.PixelAt(1, 1), 0x123456u);
    EXPECT_EQ(box.GetPixel(1, 1), colour);
    EXPECT_EQ(RedOf(static_cast<std::int32_t>(colour)), 0x12);
    EXPECT_EQ(GreenOf(static_cast<std::int32_t>(colour)), 0x34);
    EXPECT_EQ(BlueOf(static_cast<std::int32_t>(colour)), 0x56);
}

TEST(Colour, SplitAlwaysGivesBytes) {
    const auto c = static_cast<std::int32_t>(MakeColorRef(86, 52, 18));
    EXPECT_EQ(RedOf(c), 86);
    EXPECT_EQ(GreenOf(c), 52);
    EXPECT_EQ(BlueOf(c), 18);
    // The invalid colour 0xFFFFFFFF is -1 as a signed value and splits into white.
    EXPECT_EQ(RedOf(-1), 255);
    EXPECT_EQ(GreenOf(-1), 255);
    EXPECT_EQ(BlueOf(-1), 255);
}

TEST(PictureBox, PixelsOutsideAreIgnoredAndReadAsInvalid) {
    PictureBox box(3, 3, kBlack);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 3}}) {
        box.SetPixelV(x, y, kWhite);
        EXPECT_EQ(box.GetPixel(x, y), kInvalidColor);
    }
    for (Rgb32 p : box.Image()) {
        EXPECT_EQ(p, 0u);
    }
}

TEST(PictureBox, ClsRestoresPictureOrBackColour) {
    PictureBox box(2, 2, MakeColorRef(1, 2, 3));
    box.SetPixelV(0, 0, kWhite);
    box.Cls();
    EXPECT_EQ(box.GetPixel(0, 0), MakeColorRef(1, 2, 3));

    box.SetPixelV(1, 1, kWhite);
    box.InstallImageAsPicture();
    box.SetPixelV(1, 1, kBlack);
    box.SetPixelV(0, 1, kBlack);
    box.Cls();
    EXPECT_EQ(box.GetPixel(1, 1), kWhite);
    EXPECT_EQ(box.GetPixel(0, 1), MakeColorRef(1, 2, 3));

    box.ClearPicture();
    box.Cls();
    EXPECT_EQ(box.GetPixel(1, 1), MakeColorRef(1, 2, 3));
}

TEST(PictureBox, SetPictureTakesThePicturesSize) {
    PictureBox box(1, 1);
    box.SetPicture(3, 2, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(box.Width(), 3);
    EXPECT_EQ(box.Height(), 2);
    EXPECT_EQ(box.PixelAt(2, 1), 6u);
    box.SetPixelV(0, 0, kBlack);
    box.Cls();
    EXPECT_EQ(box.PixelAt(0, 0), 1u);
    EXPECT_THROW(box.SetPicture(2, 2, {1}), std::invalid_argument);
}

TEST(PictureBox, RefreshHandsTheImageToThePresenter) {
    PictureBox box(2, 2);
    int shown = 0;
    box.Refresh();  // no presenter yet: nothing happens
    box.SetPresenter([&](const PictureBox& b) {
        EXPECT_EQ(&b, &box);
        ++shown;
    });
    box.Refresh();
    EXPECT_EQ(shown, 1);
}

// Reference for BitBlt: one pixel at a time through GetPixel, skipping what is off either image.
std::vector<Rgb32> ReferenceBlit(const PictureBox& dst, int x, int y, const PictureBox& src,
                                 RasterOp op) {
    std::vector<Rgb32> out(dst.Image().begin(), dst.Image().end());
    for (int r = 0; r < src.Height(); ++r) {
        for (int c = 0; c < src.Width(); ++c) {
            const int dx = x + c, dy = y + r;
            if (dx < 0 || dy < 0 || dx >= dst.Width() || dy >= dst.Height()) {
                continue;
            }
            Rgb32& d = out[static_cast<std::size_t>(dy * dst.Width() + dx)];
            d = op == RasterOp::SrcAnd ? (d & src.PixelAt(c, r)) : (d | src.PixelAt(c, r));
        }
    }
    return out;
}

TEST(PictureBox, BitBltCombinesAndClipsAtEveryEdge) {
    PictureBox src(10, 10);
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 10; ++c) {
            src.SetPixelV(c, r, static_cast<ColorRef>(r * 0x10203 + c * 0x30201));
        }
    }
    const int positions[] = {-12, -10, -9, -5, -1, 0, 3, 14, 19, 20, 25};
    for (RasterOp op : {RasterOp::SrcAnd, RasterOp::SrcPaint}) {
        for (int x : positions) {
            for (int y : positions) {
                PictureBox dst(24, 24, MakeColorRef(0x5A, 0xA5, 0x3C));
                const auto expected = ReferenceBlit(dst, x, y, src, op);
                dst.BitBlt(x, y, 10, 10, src, 0, 0, op);
                ASSERT_TRUE(std::equal(expected.begin(), expected.end(), dst.Image().begin()))
                    << "at " << x << "," << y;
            }
        }
    }
}

TEST(PictureBox, BitBltClipsTheSourceToo) {
    PictureBox src(4, 4, kWhite);
    PictureBox dst(8, 8, kBlack);
    dst.BitBlt(0, 0, 10, 10, src, 2, 2, RasterOp::SrcPaint);  // only 2 x 2 of src exist there
    int white = 0;
    for (Rgb32 p : dst.Image()) {
        white += p == 0xFFFFFFu;
    }
    EXPECT_EQ(white, 4);
    EXPECT_EQ(dst.GetPixel(1, 1), kWhite);
    EXPECT_EQ(dst.GetPixel(2, 2), kBlack);
}

TEST(PictureBox, BoxWithFractionalCornersRoundsHalvesToEven) {
    // The paddle at x 300: corners (260, 432.5) and (340, 447.5) cover rows 432 to 448.
    PictureBox filled(600, 480);
    filled.Line(260.f, 432.5f, 340.f, 447.5f, kBlack, BoxStyle::Filled);
    EXPECT_EQ(filled.GetPixel(260, 432), kBlack);
    EXPECT_EQ(filled.GetPixel(340, 448), kBlack);
    EXPECT_EQ(filled.GetPixel(300, 440), kBlack);
    EXPECT_EQ(filled.GetPixel(259, 440), kWhite);
    EXPECT_EQ(filled.GetPixel(341, 440), kWhite);
    EXPECT_EQ(filled.GetPixel(300, 431), kWhite);
    EXPECT_EQ(filled.GetPixel(300, 449), kWhite);

    PictureBox outline(600, 480);
    outline.Line(340.f, 447.5f, 260.f, 432.5f, kBlack, BoxStyle::Outline);  // corners swapped
    EXPECT_EQ(outline.GetPixel(260, 440), kBlack);
    EXPECT_EQ(outline.GetPixel(340, 440), kBlack);
    EXPECT_EQ(outline.GetPixel(300, 432), kBlack);
    EXPECT_EQ(outline.GetPixel(300, 448), kBlack);
    EXPECT_EQ(outline.GetPixel(300, 440), kWhite);
}

TEST(PictureBox, BoxIsClippedAtTheEdges) {
    // Before the first mouse move the paddle is centred on the left edge: x -40 to 40.
    PictureBox box(600, 480);
    box.Line(-40.f, 432.5f, 40.f, 447.5f, kBlack, BoxStyle::Filled);
    EXPECT_EQ(box.GetPixel(0, 440), kBlack);
    EXPECT_EQ(box.GetPixel(40, 440), kBlack);
    EXPECT_EQ(box.GetPixel(41, 440), kWhite);
    box.Line(-1e30f, -1e30f, 1e30f, 1e30f, kBlack, BoxStyle::Filled);  // no overflow, all black
    for (Rgb32 p : box.Image()) {
        ASSERT_EQ(p, 0u);
    }
}

}  // namespace
}  // namespace core
