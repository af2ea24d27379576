// What a free ball touches: walls, the paddle, bricks, and how destroyed bricks stay gone.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/balls/balls.h"
#include "game/balls/internal/collisions.h"
#include "game/game.h"
#include "tests/game/game_fakes.h"

namespace game {
namespace {

using testing::MakeBoard;
using testing::StartedGame;

constexpr core::Rgb32 kRed = 0xC81E1E;
constexpr core::Rgb32 kWhitePixel = 0xFFFFFF;

// One ball at (x, y) with the angle, checked against the board once.
BallState Check(StartedGame& s, float x, float y, double angle) {
    s.FreeBalls({{x, y}}, angle);
    CollisionWorld world = CollisionWorld::For(s.game.BallPaddle(), s.game.Board, s.game.PicDisp);
    BallRef ball = s.game.Balls[0];
    CheckCollisions(world, ball.X, ball.Y, ball.Angle);
    return s.game.Balls[0];
}

TEST(Walls, SideWallsReflectStrictlyOutside) {
    StartedGame s;
    const BallState left = Check(s, 4.9f, 350, 2.0);
    EXPECT_EQ(left.X, 6.0f);
    EXPECT_EQ(left.Angle, 3.14159265358979 - 2.0);
    EXPECT_EQ(left.Y, 350.0f);

    const BallState atFive = Check(s, 5, 350, 2.0);
    EXPECT_EQ(atFive.X, 5.0f);
    EXPECT_EQ(atFive.Angle, 2.0);

    const BallState right = Check(s, 595.5f, 350, 0.5);
    EXPECT_EQ(right.X, 594.0f);
    EXPECT_EQ(right.Angle, 3.14159265358979 - 0.5);

    const BallState at595 = Check(s, 595, 350, 0.5);
    EXPECT_EQ(at595.X, 595.0f);
    EXPECT_EQ(at595.Angle, 0.5);
}

TEST(Walls, TopWallAndTheTopLeftCornerReflectOnBothAxes) {
    StartedGame s;
    const BallState top = Check(s, 300, 4.5f, 1.0);
    EXPECT_EQ(top.Y, 6.0f);
    EXPECT_EQ(top.Angle, 6.28318530717959 - 1.0);
    EXPECT_EQ(Check(s, 300, 5, 1.0).Angle, 1.0);

    const double a = 2.5;
    const BallState corner = Check(s, 3, 4, a);
    EXPECT_EQ(corner.X, 6.0f);
    EXPECT_EQ(corner.Y, 6.0f);
    EXPECT_EQ(corner.Angle, 6.28318530717959 - (3.14159265358979 - a));
    // Speed and Stuck are never touched.
    EXPECT_EQ(corner.Speed, 1.5f);
    EXPECT_EQ(corner.Stuck, core::kFalse);
}

TEST(Paddle, AtTheLeftEndTheWallFirstThenThePaddleSetsTheAngle) {
    StartedGame s;
    s.game.PicDisp_MouseMove(0, 0, 0, 0);
    ASSERT_EQ(s.game.PaddleX, 40);
    const BallState b = Check(s, 3, 430, 2.0);
    EXPECT_EQ(b.X, 6.0f);
    EXPECT_EQ(b.Angle, (1 - 11.0 / 90) * 2.79252680319093 + 0.174532925199433);
    EXPECT_NEAR(b.Angle * 180 / kPi, 150.0, 0.5);
}

TEST(Paddle, FivePositionsAndTheirExactAngles) {
    StartedGame s;
    s.game.PicDisp_MouseMove(0, 0, 300, 0);
    const double untouched = 4.0;

    const BallState leftEnd = Check(s, 255, 428, untouched);
    EXPECT_EQ(leftEnd.Angle, 2.79252680319093 + 0.174532925199433);
    EXPECT_NEAR(leftEnd.Angle, 2.967059728390363, 1e-15);

    const BallState centre = Check(s, 300, 430, untouched);
    EXPECT_EQ(centre.Angle, 0.5 * 2.79252680319093 + 0.174532925199433);
    EXPECT_NEAR(centre.Angle, 1.570796326794898, 1e-15);

    EXPECT_EQ(Check(s, 345, 430, untouched).Angle, 0.174532925199433);

    // Above the top edge: Y + 5 = 432 < 432.5.
    EXPECT_EQ(Check(s, 300, 427, untouched).Angle, untouched);
    // Upper edge past the centre line: Y - 5 = 441 > 440, though it overlaps the lower half.
    EXPECT_EQ(Check(s, 300, 446, untouched).Angle, untouched);
    // The inclusive bounds: Y + 5 = 432.5 and Y - 5 = 440 are caught; so are both ends.
    EXPECT_EQ(Check(s, 300, 427.5f, untouched).Angle, centre.Angle);
    EXPECT_EQ(Check(s, 300, 445, untouched).Angle, centre.Angle);
    EXPECT_EQ(Check(s, 254.9f, 430, untouched).Angle, untouched);
    EXPECT_EQ(Check(s, 345.1f, 430, untouched).Angle, untouched);
    // The position is not changed, and the direction does not matter.
    const BallState down = Check(s, 300, 430, 4.7);
    EXPECT_EQ(down.X, 300.0f);
    EXPECT_EQ(down.Y, 430.0f);
    EXPECT_EQ(down.Angle, centre.Angle);
}

TEST(Bricks, CornerOnACellBoundaryCountsInTheCellToTheRightAndBelow) {
    // (X - 5, Y - 5) = (60, 30): the top-left corner is in cell (2, 2), not (1, 1); every
    // other corner is in that cell too.
    StartedGame s(MakeBoard({{1, 1, 0}, {1, 2, 0}, {2, 1, 0}, {2, 2, 0}}));
    Check(s, 65, 35, 1.0);
    EXPECT_EQ(s.game.Board.Cells(2, 2).Used, core::kFalse);
    EXPECT_EQ(s.game.Board.Cells(1, 1).Used, core::kTrue);
    EXPECT_EQ(s.game.Board.Cells(1, 2).Used, core::kTrue);
    EXPECT_EQ(s.game.Board.Cells(2, 1).Used, core::kTrue);
}

TEST(Bricks, CornersAtOrBeyondTheBoardEdgeTestNoCell) {
    StartedGame s(MakeBoard({{19, 19, 0}, {0, 19, 0}}));
    // Corners at y = 300 and 310: below the board.
    Check(s, 20, 305, 1.0);
    EXPECT_EQ(s.game.Board.Cells(0, 19).Used, core::kTrue);
    // Right corners at x = 600 fall outside; the left ones at 590 still hit column 19.
    Check(s, 595, 295, 1.0);
    EXPECT_EQ(s.game.Board.Cells(19, 19).Used, core::kFalse);
    // Just above the board's bottom edge the top corners hit.
    Check(s, 20, 304.9f, 1.0);
    EXPECT_EQ(s.game.Board.Cells(0, 19).Used, core::kFalse);
}

TEST(Bricks, FourBricksInOneFrameAndTheBallKeepsItsWay) {
    StartedGame s(MakeBoard({{1, 1, 0}, {1, 2, 0}, {2, 1, 1}, {2, 2, 0}}));
    const std::size_t presents = s.platform.presentTicks.size();
    // What each refresh shows of the four cells, by their centre pixels: 1 when erased.
    std::vector<std::string> shown;
    s.platform.onPresent = [&] {
        std::string cells;
        for (const auto& [c, r] :
             std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}) {
            const std::size_t at = static_cast<std::size_t>((15 * r + 7) * 600 + 30 * c + 15);
            cells += s.platform.lastPresented[at] == kWhitePixel ? '1' : '0';
        }
        shown.push_back(cells);
    };
    const BallState b = Check(s, 60, 30, 1.25);
    // The corners top-left, bottom-left, top-right, bottom-right, each brick on its own refresh.
    EXPECT_EQ(shown, (std::vector<std::string>{"1000", "1100", "1110", "1111"}));
    for (const auto& [c, r] : std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}) {
        EXPECT_EQ(s.game.Board.Cells(c, r).Used, core::kFalse) << c << "," << r;
    }
    EXPECT_EQ(b.Angle, 1.25);
    EXPECT_EQ(b.X, 60.0f);
    EXPECT_EQ(b.Y, 30.0f);
    // One reset, show and new background per brick.
    EXPECT_EQ(s.platform.presentTicks.size() - presents, 4u);
}

TEST(Bricks, TwoCornersInOneBrickClearItOnce) {
    StartedGame s(MakeBoard({{1, 1, 0}}));
    const std::size_t presents = s.platform.presentTicks.size();
    Check(s, 45, 22, 1.0);  // all four corners in cell (1, 1)
    EXPECT_EQ(s.game.Board.Cells(1, 1).Used, core::kFalse);
    EXPECT_EQ(s.platform.presentTicks.size() - presents, 1u);
}

TEST(Bricks, UnbreakableStaysAndExplosiveClearsOnlyItsOwnCell) {
    StartedGame s(MakeBoard({{4, 4, 2}, {6, 4, 1}, {7, 4, 0}, {5, 4, 0}}));
    const BallState b = Check(s, 135, 67, 0.75);  // corners in (4, 4) only
    EXPECT_EQ(s.game.Board.Cells(4, 4).Used, core::kTrue);
    EXPECT_EQ(b.Angle, 0.75);
    EXPECT_EQ(s.game.PicDisp.Picture()[67 * 600 + 135], 0x283CC8u);

    Check(s, 195, 67, 0.75);  // the explosive brick at (6, 4)
    EXPECT_EQ(s.game.Board.Cells(6, 4).Used, core::kFalse);
    EXPECT_EQ(s.game.Board.Cells(5, 4).Used, core::kTrue);
    EXPECT_EQ(s.game.Board.Cells(7, 4).Used, core::kTrue);
}

TEST(Bricks, AnyNonZeroUnbreakableKeepsTheBrick) {
    core::Board board = MakeBoard({{1, 1, 0}, {3, 1, 0}});
    board.Bricks[0].Unbreakable = 1;  // not -1, but not false either
    StartedGame s(board);
    Check(s, 45, 22, 1.0);
    DestroyBrick(s.game.Board, s.game.PicDisp, 3, 1);
    EXPECT_EQ(s.game.Board.Cells(1, 1).Used, core::kTrue);
    EXPECT_EQ(s.game.Board.Cells(3, 1).Used, core::kTrue);
}

TEST(Bricks, UsedMeansExactlyMinusOne) {
    core::Board board = MakeBoard({});
    board.Cells(1, 1).Used = 1;
    board.Cells(1, 1).BrickIndex = 0;
    StartedGame s(board);
    Check(s, 45, 22, 1.0);
    EXPECT_EQ(s.game.Board.Cells(1, 1).Used, 1);
}

TEST(Bricks, ACellWhoseBrickIsNotInTheTableIsNeitherDrawnNorHit) {
    core::Board board = MakeBoard({{1, 1, 0}});
    board.Cells(3, 1).Used = core::kTrue;
    board.Cells(3, 1).BrickIndex = 3;  // the table has 0 .. 2
    board.Cells(4, 1).Used = core::kTrue;
    board.Cells(4, 1).BrickIndex = -1;
    StartedGame s(board);
    EXPECT_EQ(s.game.PicDisp.PixelAt(105, 22), kWhitePixel);
    const std::size_t presents = s.platform.presentTicks.size();
    Check(s, 105, 22, 1.0);
    Check(s, 135, 22, 1.0);
    EXPECT_EQ(s.game.Board.Cells(3, 1).Used, core::kTrue);
    EXPECT_EQ(s.game.Board.Cells(4, 1).Used, core::kTrue);
    EXPECT_EQ(s.platform.presentTicks.size(), presents);

    DestroyBrick(s.game.Board, s.game.PicDisp, 3, 1);
    EXPECT_EQ(s.game.Board.Cells(3, 1).Used, core::kTrue);
}

TEST(DestroyBrick, ErasesToWhiteKeepsTheIndexAndIgnoresCellsOutsideTheGrid) {
    StartedGame s(MakeBoard({{2, 3, 0}, {5, 5, 2}}));
    s.game.Board.Cells(2, 3).BrickIndex = 0;
    const std::vector<core::Rgb32> before(s.game.PicDisp.Image().begin(),
                                          s.game.PicDisp.Image().end());
    for (const auto& [c, r] :
         std::vector<std::pair<int, int>>{{-1, 0}, {20, 0}, {0, -1}, {0, 20}}) {
        DestroyBrick(s.game.Board, s.game.PicDisp, c, r);
    }
    DestroyBrick(s.game.Board, s.game.PicDisp, 5, 5);  // unbreakable
    EXPECT_TRUE(std::equal(before.begin(), before.end(), s.game.PicDisp.Image().begin()));

    // The red brick becomes pure white; the cell keeps its brick index.
    DestroyBrick(s.game.Board, s.game.PicDisp, 2, 3);
    EXPECT_EQ(s.game.Board.Cells(2, 3).Used, core::kFalse);
    EXPECT_EQ(s.game.Board.Cells(2, 3).BrickIndex, 0);
    for (int y = 45; y < 60; ++y) {
        for (int x = 60; x < 90; ++x) {
            ASSERT_EQ(s.game.PicDisp.PixelAt(x, y), kWhitePixel) << x << "," << y;
        }
    }
}

TEST(Bricks, ADestroyedBrickStaysGoneInLaterFrames) {
    StartedGame s(MakeBoard({{3, 2, 0}, {4, 2, 0}}));
    s.game.PicDisp_MouseMove(0, 0, 500, 0);
    EXPECT_EQ(s.game.PicDisp.PixelAt(95, 35), kRed);
    // Straight up through cell (3, 2), leaving (4, 2) alone.
    s.FreeBalls({{105, 60}}, kPi / 2, 1.5f);
    bool hit = false;
    for (int frame = 0; frame < 40; ++frame) {
        s.game.DrawFrame();
        hit = hit || s.game.Board.Cells(3, 2).Used == core::kFalse;
    }
    ASSERT_TRUE(hit);
    // The ball has moved on; the frame starts from a background without the brick.
    s.game.Balls[0] = BallState{500, 400, 0, kPi / 2, core::kFalse};
    s.game.DrawFrame();
    for (int y = 30; y < 45; ++y) {
        for (int x = 90; x < 120; ++x) {
            ASSERT_EQ(s.game.PicDisp.PixelAt(x, y), kWhitePixel) << x << "," << y;
            ASSERT_EQ(s.game.PicDisp.Picture()[static_cast<std::size_t>(y * 600 + x)], kWhitePixel);
        }
    }
    EXPECT_EQ(s.game.PicDisp.PixelAt(125, 35), kRed);
    EXPECT_EQ(s.game.Board.Cells(4, 2).Used, core::kTrue);
    // The balls and paddle of a frame never become part of the background.
    EXPECT_EQ(s.game.PicDisp.Picture()[440 * 600 + 500], kWhitePixel);
}

}  // namespace
}  // namespace game
