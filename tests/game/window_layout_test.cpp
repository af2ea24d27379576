// Where the client picture goes in a resized window, and mouse positions mapped back.

#include <gtest/gtest.h>

#include "game/window_layout.h"

namespace game {
namespace {

TEST(WindowLayout, ThePlayfieldChoosesTheScaleAndTheFrameGetsWhatIsLeft) {
    EXPECT_EQ(ComputeLayout(613, 507), (WindowLayout{1, 0, 0}));
    EXPECT_EQ(ComputeLayout(1199, 1013), (WindowLayout{1, 293, 253}));
    // A maximised window on a 1920 x 1080 screen: 2x, the frame cut by 2 pixels at the top.
    EXPECT_EQ(ComputeLayout(1920, 1010), (WindowLayout{2, 347, -2}));
    // Exactly the playfield at 2x: no frame at all, the playfield from the corner.
    EXPECT_EQ(ComputeLayout(1200, 960), (WindowLayout{2, -16, -16}));
    EXPECT_EQ(ComputeLayout(1226, 1014), (WindowLayout{2, 0, 0}));
    EXPECT_EQ(ComputeLayout(1920, 1080), (WindowLayout{2, 347, 33}));
    EXPECT_EQ(ComputeLayout(3840, 2160), (WindowLayout{4, 694, 66}));
    // Too small: scale 1 from the top-left corner.
    EXPECT_EQ(ComputeLayout(300, 200), (WindowLayout{1, 0, 0}));
    EXPECT_EQ(ComputeLayout(0, 0), (WindowLayout{1, 0, 0}));
}

TEST(WindowLayout, MousePositionsMapToWholePlayfieldPixels) {
    const WindowLayout one = ComputeLayout(613, 507);
    EXPECT_EQ(one.ToPlayfieldX(8), 0.0f);
    EXPECT_EQ(one.ToPlayfieldX(607), 599.0f);
    EXPECT_EQ(one.ToPlayfieldY(487), 479.0f);
    EXPECT_EQ(one.ToPlayfieldX(0), -8.0f);

    const WindowLayout two = ComputeLayout(1920, 1080);
    // The playfield starts at (347 + 16, 33 + 16).
    EXPECT_EQ(two.PlayfieldLeft(), 363);
    EXPECT_EQ(two.PlayfieldTop(), 49);
    EXPECT_EQ(two.ToPlayfieldX(363), 0.0f);
    EXPECT_EQ(two.ToPlayfieldX(364), 0.0f);
    EXPECT_EQ(two.ToPlayfieldX(365), 1.0f);
    EXPECT_EQ(two.ToPlayfieldX(363 + 1199), 599.0f);
    // Captured movements left of the window stay left of the playfield.
    EXPECT_EQ(two.ToPlayfieldX(362), -1.0f);
    EXPECT_EQ(two.ToPlayfieldX(-500), -432.0f);
    EXPECT_EQ(two.ToPlayfieldY(49 + 959), 479.0f);
}

}  // namespace
}  // namespace game
