// The ball list: spawning, release, motion and speed, losing balls, drawing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include "game/balls/balls.h"
#include "game/game.h"
#include "game/random.h"
#include "tests/game/game_fakes.h"

namespace game {
namespace {

using testing::FakePlatform;
using testing::LoaderOf;
using testing::MakeBoard;
using testing::StartedGame;

constexpr double kTenDegrees = 0.174532925199433;
constexpr double kHundredSeventyDegrees = kMinAngle + kAngleRange;

TEST(Spawning, RightReleaseAddsExactlyHundredStuckBallsAtThePaddle) {
    StartedGame s;
    s.random.values = {0.0f, 0.25f, 0.99999994f};
    s.random.next = 0;
    s.game.PicDisp_MouseMove(0, 0, 123, 0);
    const int reseedsBefore = s.random.reseeds;
    s.game.PicDisp_MouseUp(kRightButton, 0, 0, 0);

    ASSERT_EQ(s.game.Balls.size(), 101u);
    // The generator is reseeded before every ball.
    EXPECT_EQ(s.random.reseeds - reseedsBefore, 100);
    for (std::size_t i = 1; i < s.game.Balls.size(); ++i) {
        const BallState& b = s.game.Balls[i];
        EXPECT_EQ(b.X, 123.0f);
        EXPECT_EQ(b.Y, 426.5f);
        EXPECT_EQ(b.Speed, 1.5f);
        EXPECT_EQ(b.Stuck, core::kTrue);
        EXPECT_GE(b.Angle, kTenDegrees);
        EXPECT_LT(b.Angle, kHundredSeventyDegrees);
    }
    // r in single precision times the range plus 10 degrees.
    EXPECT_EQ(s.game.Balls[1].Angle, kMinAngle);
    EXPECT_EQ(s.game.Balls[2].Angle, 0.25 * kAngleRange + kMinAngle);
    EXPECT_EQ(s.game.Balls[3].Angle, static_cast<double>(0.99999994f) * kAngleRange + kMinAngle);
}

TEST(Spawning, TheClockSeededGeneratorGivesEveryBallOfOneClickItsOwnAngle) {
    FakePlatform platform;
    ClockRandom random;
    Game game(platform, random, LoaderOf(MakeBoard({})));
    game.StartUp();
    game.PicDisp_MouseUp(kRightButton, 0, 0, 0);
    std::set<double> angles;
    for (const BallState& b : game.Balls) {
        angles.insert(b.Angle);
        EXPECT_GE(b.Angle, kTenDegrees);
        EXPECT_LT(b.Angle, kHundredSeventyDegrees);
    }
    EXPECT_EQ(angles.size(), 101u);
}

TEST(Spawning, GeneratorValuesStayBelowOneSoAnglesStayBelow170Degrees) {
    SeededRandom random(12345);
    for (int i = 0; i < 10000; ++i) {
        const float r = random.Rnd();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
    }
}

TEST(Spawning, StuckBallsFollowThePaddleOnTheNextFrameAndKeepTheirHeight) {
    StartedGame s;
    s.game.PicDisp_MouseMove(0, 0, 250, 0);
    EXPECT_EQ(s.game.Balls[0].X, 0.0f);
    s.game.DrawFrame();
    EXPECT_EQ(s.game.Balls[0].X, 250.0f);
    EXPECT_EQ(s.game.Balls[0].Y, 426.5f);
    EXPECT_EQ(s.game.Balls[0].Speed, 1.5f);
}

TEST(Speed, GrowsInSinglePrecisionStepsAndStopsAtExactlySix) {
    StartedGame s;
    // Flying sideways at mid height, bouncing between the side walls for ever.
    s.FreeBalls({{300, 400}}, 0.0);
    float expected = 1.5f;
    int frames = 0;
    while (expected < 6.0f) {
        core::PictureBox& p = s.game.PicDisp;
        UpdateBalls(s.game.Balls, s.game.World(p));
        expected = static_cast<float>(static_cast<double>(expected) + 0.0004);
        if (expected > 6.0f) {
            expected = 6.0f;
        }
        ++frames;
        ASSERT_EQ(s.game.Balls[0].Speed, expected) << frames;
    }
    EXPECT_EQ(s.game.Balls[0].Speed, 6.0f);
    // 1.5 + n * 0.0004 reaches 6 after about 11250 single-precision steps.
    EXPECT_NEAR(frames, 11250, 30);
    UpdateBalls(s.game.Balls, s.game.World(s.game.PicDisp));
    EXPECT_EQ(s.game.Balls[0].Speed, 6.0f);
}

TEST(Losing, YOfExactly480StaysAndJustAboveIsRemovedInTheSameFrame) {
    StartedGame s;
    const float justAbove = std::nextafter(480.0f, 1000.0f);
    // Speed 0: the frame's step leaves the position as it is.
    s.FreeBalls({{100, 480.0f}, {200, justAbove}}, 1.0, 0.0f);
    UpdateBalls(s.game.Balls, s.game.World(s.game.PicDisp));
    ASSERT_EQ(s.game.Balls.size(), 1u);
    EXPECT_EQ(s.game.Balls[0].X, 100.0f);
    EXPECT_EQ(s.game.Balls[0].Y, 480.0f);
}

TEST(Losing, SeveralBallsInOneFrameTheLastBallTakesEachFreedSlot) {
    StartedGame s;
    // Slots 1, 3 and 4 are lost. The scan removes 1 (ball 5 moves in), starts again, removes
    // 3 (ball 4 moves in), starts again and removes 3 once more (ball 4 itself).
    s.FreeBalls({{10, 100}, {11, 490}, {12, 100}, {13, 490}, {14, 495}, {15, 100}}, 1.0, 0.0f);
    UpdateBalls(s.game.Balls, s.game.World(s.game.PicDisp));
    std::vector<float> xs;
    for (const BallState& b : s.game.Balls) {
        xs.push_back(b.X);
        EXPECT_EQ(b.Stuck, core::kFalse);
    }
    EXPECT_EQ(xs, (std::vector<float>{10, 15, 12}));
}

TEST(Losing, TheOnlyBallIsReplacedByAStuckOneInTheSameFrame) {
    StartedGame s;
    s.game.PicDisp_MouseMove(0, 0, 222, 0);
    s.FreeBalls({{50, 479}}, 4.7, 2.0f);  // heading down
    const int reseeds = s.random.reseeds;
    UpdateBalls(s.game.Balls, s.game.World(s.game.PicDisp));
    ASSERT_EQ(s.game.Balls.size(), 1u);
    EXPECT_EQ(s.game.Balls[0],
              (BallState{222, 426.5f, 1.5f, 0.5 * kAngleRange + kMinAngle, core::kTrue}));
    EXPECT_EQ(s.random.reseeds, reseeds + 1);
}

TEST(Losing, OneOfSeveralLeavesNoReplacement) {
    StartedGame s;
    s.FreeBalls({{50, 490}, {60, 100}}, 1.0, 0.0f);
    UpdateBalls(s.game.Balls, s.game.World(s.game.PicDisp));
    ASSERT_EQ(s.game.Balls.size(), 1u);
    EXPECT_EQ(s.game.Balls[0].X, 60.0f);
    EXPECT_EQ(s.game.Balls[0].Stuck, core::kFalse);
}

TEST(Losing, RemoveBallChecksItsIndex) {
    StartedGame s;
    EXPECT_THROW(RemoveBall(s.game.Balls, 1, s.game.BallPaddle(), *s.game.random),
                 std::out_of_range);
    EXPECT_THROW(RemoveBall(s.game.Balls, -1, s.game.BallPaddle(), *s.game.random),
                 std::out_of_range);
    EXPECT_EQ(s.game.Balls.size(), 1u);
}

// The sprite and mask as the ball pictures hold them (0x00RRGGBB).
core::Rgb32 SpriteAt(const Game& g, int col, int row) {
    return g.PicBall.PixelAt(col, row);
}
bool InDisc(const Game& g, int col, int row) {
    return g.PicBallMask.PixelAt(col, row) == 0u;
}

TEST(Drawing, BallPicturesAreTheDiscAndItsMask) {
    StartedGame s;
    int disc = 0;
    for (int row = 0; row < 10; ++row) {
        for (int col = 0; col < 10; ++col) {
            const core::Rgb32 m = s.game.PicBallMask.PixelAt(col, row);
            ASSERT_TRUE(m == 0u || m == 0xFFFFFFu);
            if (InDisc(s.game, col, row)) {
                ++disc;
                EXPECT_NE(SpriteAt(s.game, col, row), 0u) << col << "," << row;
            } else {
                EXPECT_EQ(SpriteAt(s.game, col, row), 0u) << col << "," << row;
            }
        }
    }
    EXPECT_EQ(disc, 69);
    EXPECT_EQ(SpriteAt(s.game, 2, 0), 0x898C89u);
    EXPECT_EQ(SpriteAt(s.game, 2, 2), 0xE6E7E6u);
    EXPECT_EQ(SpriteAt(s.game, 8, 6), 0x484748u);
    EXPECT_FALSE(InDisc(s.game, 9, 4));
    EXPECT_FALSE(InDisc(s.game, 4, 9));
}

// Fills the playfield with one colour, draws the balls and checks every pixel of each ball's
// square against the sprite over that colour, and every other pixel against the colour.
void ExpectBallsOver(const Game& game, core::PictureBox& p, core::Rgb32 background,
                     const std::vector<std::pair<int, int>>& topLefts) {
    for (int y = 0; y < p.Height(); ++y) {
        for (int x = 0; x < p.Width(); ++x) {
            core::Rgb32 expected = background;
            for (const auto& [bx, by] : topLefts) {
                const int col = x - bx;
                const int row = y - by;
                if (col >= 0 && col < 10 && row >= 0 && row < 10) {
                    expected = InDisc(game, col, row) ? SpriteAt(game, col, row) : expected;
                }
            }
            ASSERT_EQ(p.PixelAt(x, y), expected) << x << "," << y;
        }
    }
}

TEST(Drawing, NewBallAtPaddle300IsDrawnAt295And422OverAColouredBackground) {
    StartedGame s;
    s.game.PicDisp_MouseMove(0, 0, 300, 0);
    ResetBalls(s.game.Balls, s.game.BallPaddle(), *s.game.random);
    core::PictureBox field(600, 480, core::MakeColorRef(0x12, 0x34, 0x56));
    DrawBalls(s.game.Balls, s.game.PicBall, s.game.PicBallMask, field);
    ExpectBallsOver(s.game, field, 0x123456u, {{295, 422}});
}

TEST(Drawing, HalvesRoundToEvenAndLaterSlotsCoverEarlierOnes) {
    StartedGame s;
    // X - 5 = 17.5 -> 18, Y - 5 = 12.5 -> 12; the second ball overlaps the first.
    s.FreeBalls({{22.5f, 17.5f}, {26, 20}});
    core::PictureBox field(600, 480, core::MakeColorRef(0xA0, 0x10, 0x70));
    DrawBalls(s.game.Balls, s.game.PicBall, s.game.PicBallMask, field);
    ExpectBallsOver(s.game, field, 0xA01070u, {{18, 12}, {21, 15}});
}

TEST(Drawing, BallsAreClippedAtEveryEdgeOfThePlayfield) {
    StartedGame s;
    s.FreeBalls({{2, 3}, {598, 240}, {300, 478}, {-3, -4}, {604, 484}, {300, 900}});
    core::PictureBox field(600, 480, core::MakeColorRef(0x40, 0x80, 0xC0));
    DrawBalls(s.game.Balls, s.game.PicBall, s.game.PicBallMask, field);
    ExpectBallsOver(s.game, field, 0x4080C0u,
                    {{-3, -2}, {593, 235}, {295, 473}, {-8, -9}, {599, 479}, {295, 895}});
}

}  // namespace
}  // namespace game
