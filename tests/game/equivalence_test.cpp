// The game's fast ball code against the plain rules (tests/game/oracle): the same balls, cells,
// pixels and screen updates after every frame, over scenarios that take every branch of the
// rules, with both the AVX2 and the portable loops, drawing both first-to-last and
// last-to-first.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_kernels.h"
#include "game/balls/internal/ball_rules.h"
#include "game/game.h"
#include "game/random.h"
#include "shared/board_file.h"
#include "shared/board_model.h"
#include "shared/rounding.h"
#include "tests/game/game_fakes.h"
#include "tests/game/oracle/oracle.h"
#include "tests/game/twin_games.h"

namespace game {
namespace {

using testing::FirstPixelDifference;
using testing::MakeBoard;
using testing::PlacedCell;
using testing::TwinGames;

struct Variant {
    detail::Kernels kernels;
    std::size_t backToFrontFrom;
    const char* name;
};

// gtest prints the parameter of a failing test; the bytes of the struct would say nothing.
void PrintTo(const Variant& variant, std::ostream* out) {
    *out << variant.name;
}

// Puts the options back as they were when the test ends, however it ends.
class OptionsForThisTest {
  public:
    OptionsForThisTest() : saved_(detail::Options()) {}
    ~OptionsForThisTest() { detail::Options() = saved_; }
    OptionsForThisTest(const OptionsForThisTest&) = delete;
    OptionsForThisTest& operator=(const OptionsForThisTest&) = delete;

  private:
    detail::BallKernelOptions saved_;
};

// Every test runs with the loops and the drawing order of its variant, and leaves the defaults.
class Equivalence : public ::testing::TestWithParam<Variant> {
  protected:
    void SetUp() override {
        detail::Options().kernels = GetParam().kernels;
        if (GetParam().kernels == detail::Kernels::Auto && !detail::UsingAvx2()) {
            GTEST_SKIP() << "this processor has no AVX2: " << GetParam().name << " cannot run";
        }
        detail::Options().backToFrontFrom = GetParam().backToFrontFrom;
        // Look for wholly covered positions often, so that small scenes use it too.
        detail::Options().findHiddenAfter = 3;
    }

  private:
    OptionsForThisTest options_;
};

constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();

std::string VariantName(const ::testing::TestParamInfo<Variant>& param) {
    return param.param.name;
}

const auto kVariants =
    ::testing::Values(Variant{detail::Kernels::Auto, kNever, "Avx2Forward"},
                      Variant{detail::Kernels::Auto, 0, "Avx2BackToFront"},
                      Variant{detail::Kernels::Portable, kNever, "PortableForward"},
                      Variant{detail::Kernels::Portable, 0, "PortableBackToFront"});

INSTANTIATE_TEST_SUITE_P(Kernels, Equivalence, kVariants, VariantName);

// The long runs take one pairing of each: AVX2 loops drawing last to first, portable loops
// drawing first to last.
class LongEquivalence : public Equivalence {};

INSTANTIATE_TEST_SUITE_P(Kernels, LongEquivalence,
                         ::testing::Values(Variant{detail::Kernels::Auto, 0, "Avx2BackToFront"},
                                           Variant{detail::Kernels::Portable, kNever,
                                                   "PortableForward"}),
                         VariantName);

// Upper half breakable (brick 0 red, brick 1 explosive), a row of unbreakable bricks, cells
// that refer to bricks beyond the table, cells whose Used is 1 rather than -1, and breakable
// bricks in the bottom row of the grid, just above y = 300.
core::Board BrickBoard() {
    std::vector<PlacedCell> cells;
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            cells.push_back({column, row, (row + column) % 2});
        }
    }
    for (int column = 0; column < core::kColumns; column += 2) {
        cells.push_back({column, 9, 2});
        cells.push_back({column + 1, 12, 99});
        cells.push_back({column, 19, 0});
    }
    core::Board board = MakeBoard(cells);
    for (int column = 1; column < core::kColumns; column += 4) {
        board.Cells(column, 15).Used = 1;
        board.Cells(column, 15).BrickIndex = 0;
    }
    return board;
}

BallState Free(float x, float y, double angle, float speed = 1.5f) {
    return BallState{x, y, speed, angle, core::kFalse};
}

// Balls all over the playfield and a little beyond, in every direction and at every speed,
// some stuck.
std::vector<BallState> Scatter(std::size_t count, std::uint64_t seed, bool someStuck) {
    SeededRandom r(seed);
    std::vector<BallState> balls;
    balls.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        BallState b;
        b.X = -8.0f + 616.0f * r.Rnd();
        b.Y = -8.0f + 496.0f * r.Rnd();
        b.Speed = 1.5f + 4.5f * r.Rnd();
        b.Angle = -kPi + 3 * kPi * static_cast<double>(r.Rnd());
        b.Stuck = someStuck && r.Rnd() < 0.05f ? core::kTrue : core::kFalse;
        balls.push_back(b);
    }
    return balls;
}

TEST_P(LongEquivalence, StuckBallsRideThePaddleUntilReleasedThenPlayOut) {
    TwinGames t(BrickBoard());
    const float moves[] = {0, 20, 41.5f, 300, 612, -50, 555.5f, 123.25f};
    for (int frame = 0; frame < 40; ++frame) {
        t.MoveMouse(moves[frame % 8]);
        if (frame % 10 == 0) {
            t.AddHundred();
        }
        ASSERT_NO_FATAL_FAILURE(t.Frame());
    }
    t.Release();
    // The balls fly off in a fan, bounce, clear bricks, meet the paddle as it sweeps, and are
    // lost one by one until a single new ball waits on the paddle.
    for (int frame = 0; frame < 2000; ++frame) {
        t.MoveMouse(static_cast<float>(300 + 260 * std::sin(frame * 0.05)));
        if (frame == 900) {
            t.Release();
        }
        ASSERT_NO_FATAL_FAILURE(t.Frame());
    }
    ASSERT_NO_FATAL_FAILURE(t.Compare(true));
    // Every kind of event happened, so the counts were compared where they matter.
    EXPECT_GT(t.totals().WallBounces, 0u);
    EXPECT_GT(t.totals().PaddleHits, 0u);
    EXPECT_GT(t.totals().BricksDestroyed, 0u);
    EXPECT_GT(t.totals().BallsLost, 0u);
}

TEST_P(Equivalence, WallsAndTopCornersAtAndAroundTheirBounds) {
    TwinGames t(MakeBoard({}));
    std::vector<BallState> balls;
    const float xs[] = {-3, 3, 4.9f, 5, 5.0000005f, 300, 594.99997f, 595, 595.5f, 597, 603};
    const float ys[] = {-2, 4, 4.9999995f, 5, 6, 200};
    const double angles[] = {2.0, 0.3, -0.7, 4.0, 5.9};
    for (float x : xs) {
        for (float y : ys) {
            for (double a : angles) {
                balls.push_back(Free(x, y, a, 3.0f));
            }
        }
    }
    t.SetBalls(balls);
    for (int frame = 0; frame < 60; ++frame) {
        ASSERT_NO_FATAL_FAILURE(t.Frame());
    }
}

TEST_P(Equivalence, PaddleHitsAtItsEndsAndEdges) {
    for (float mouse : {0.0f, 300.0f, 600.0f}) {
        TwinGames t(MakeBoard({}));
        t.MoveMouse(mouse);
        const float px = static_cast<float>(t.fast().PaddleX);
        std::vector<BallState> balls;
        // Left and right ends, the top edge at 432.5 and the centre line at 440, just in and
        // just out of each.
        for (float dx : {-46.0f, -45.0f, -44.9f, -40.0f, 0.0f, 40.0f, 44.9f, 45.0f, 45.1f}) {
            for (float y : {427.0f, 427.5f, 428.0f, 430.0f, 440.0f, 445.0f, 445.1f, 446.0f}) {
                for (double a : {1.2, 4.5, 5.5}) {
                    balls.push_back(Free(px + dx, y, a, 2.0f));
                }
            }
        }
        balls.push_back(Free(3, 430, 4.0));  // wall and paddle in one call
        t.SetBalls(balls);
        for (int frame = 0; frame < 40; ++frame) {
            ASSERT_NO_FATAL_FAILURE(t.Frame());
        }
    }
}

TEST_P(Equivalence, BricksClearedByEachCornerAndNeverByTheOthers) {
    // One breakable brick at (5, 5) (x 150..179, y 75..89), and balls whose only corner in it
    // is the top-left, bottom-left, top-right or bottom-right one; then four bricks under the
    // four corners of one ball; corners exactly on cell boundaries.
    struct Case {
        std::vector<PlacedCell> cells;
        BallState ball;
    };
    const std::vector<Case> cases = {
        {{{5, 5, 0}}, Free(184, 94, 1.0, 0)},                                   // top-left
        {{{5, 5, 0}}, Free(184, 71, 1.0, 0)},                                   // bottom-left
        {{{5, 5, 0}}, Free(146, 94, 1.0, 0)},                                   // top-right
        {{{5, 5, 0}}, Free(146, 71, 1.0, 0)},                                   // bottom-right
        {{{5, 5, 0}, {6, 5, 1}, {5, 6, 0}, {6, 6, 1}}, Free(180, 90, 1.0, 0)},  // all four
        {{{2, 0, 0}}, Free(55, 10, 1.0, 0)},  // right corners at x = 60: column 2
        {{{1, 0, 0}}, Free(64.999f, 10, 1.0, 0)},
        {{{0, 1, 0}}, Free(10, 10, 1.0, 0)},   // bottom corners at y = 15: row 1
        {{{5, 5, 2}}, Free(180, 90, 1.0, 0)},  // unbreakable
        {{{5, 5, 7}}, Free(180, 90, 1.0, 0)},  // beyond the table
        {{{19, 19, 0}}, Free(590, 290, 1.0, 0)},
        {{{19, 19, 0}}, Free(590, 305, 1.0, 0)},  // below the grid
        {{{0, 0, 0}, {1, 0, 0}}, Free(30, 5, 1.0, 0)},
    };
    for (std::size_t k = 0; k < cases.size(); ++k) {
        SCOPED_TRACE("case " + std::to_string(k));
        TwinGames t(MakeBoard(cases[k].cells));
        t.SetBalls({cases[k].ball, Free(300, 200, 1.0, 0)});
        ASSERT_NO_FATAL_FAILURE(t.Frame());
        ASSERT_NO_FATAL_FAILURE(t.Frame());
    }
    // A cell whose Used is 1 is not a brick to the probes.
    core::Board odd = MakeBoard({{5, 5, 0}});
    odd.Cells(5, 5).Used = 1;
    TwinGames t(odd);
    t.SetBalls({Free(180, 90, 1.0, 0)});
    ASSERT_NO_FATAL_FAILURE(t.Frame());
}

TEST_P(Equivalence, SeveralLostInOneFrameAndTheLastBallLost) {
    TwinGames t(MakeBoard({}));
    t.MoveMouse(222);
    t.SetBalls({Free(10, 490, 1, 0), Free(11, 100, 1, 0), Free(12, 495, 1, 0), Free(13, 481, 1, 0),
                Free(14, 100, 1, 0), Free(15, 490, 1, 0), Free(16, 100, 1, 0), Free(17, 500, 1, 0),
                Free(18, 479, 4.7, 2), Free(19, 480, 1, 0)});
    for (int frame = 0; frame < 5; ++frame) {
        ASSERT_NO_FATAL_FAILURE(t.Frame());
    }
    t.SetBalls({Free(50, 479, 4.7, 2)});
    ASSERT_NO_FATAL_FAILURE(t.Frame());
    ASSERT_EQ(t.fast().Balls.size(), 1u);
    EXPECT_EQ(t.fast().Balls[0].Stuck, core::kTrue);
    // Lost while several are stuck, a stuck one below the line too.
    t.SetBalls(
        {Free(50, 479, 4.7, 2), BallState{60, 600, 1.5f, 1.0, core::kTrue}, Free(70, 300, 1.0, 1)});
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_NO_FATAL_FAILURE(t.Frame());
    }
}

TEST_P(LongEquivalence, FromOneToAThousandBallsOverManyFrames) {
    // Every group size of the four-wide loops and its tail, then a crowd.
    for (std::size_t count : {1u, 2u, 3u, 4u, 5u, 7u, 8u, 9u, 1000u}) {
        SCOPED_TRACE("balls " + std::to_string(count));
        TwinGames t(BrickBoard(), count);
        t.MoveMouse(250);
        t.SetBalls(Scatter(count, count * 31 + 5, true));
        const int frames = count == 1 ? 2000 : (count < 1000 ? 200 : 100);
        for (int frame = 0; frame < frames; ++frame) {
            if (frame % 50 == 25) {
                t.MoveMouse(static_cast<float>(frame % 600));
            }
            if (frame == 100) {
                t.Release();
            }
            ASSERT_NO_FATAL_FAILURE(t.Frame(count < 1000 || frame % 10 == 0));
        }
    }
}

// The largest crowds: states compared on every frame, pixels on some. With the default
// options, as the game runs them. The plain removal pass scans from the first slot again
// after every loss, so the crowd starts above the bottom edge to keep the plain side quick.
TEST(EquivalenceCrowd, TenThousandAndThreeHundredThousandAndOneBalls) {
    for (std::size_t count : {10'000u, 300'001u}) {
        SCOPED_TRACE("balls " + std::to_string(count));
        TwinGames t(BrickBoard(), count);
        t.MoveMouse(400);
        std::vector<BallState> balls = Scatter(count, count, true);
        for (BallState& b : balls) {
            b.Y = std::min(b.Y, 462.0f);
        }
        t.SetBalls(balls);
        const int frames = count < 100'000 ? 10 : 3;
        for (int frame = 0; frame < frames; ++frame) {
            if (frame == 1) {
                t.Release();
            }
            ASSERT_NO_FATAL_FAILURE(t.Frame(frame % 2 == 0 || frame == frames - 1));
        }
    }
}

// The frame on several threads: the default board, 100 000 balls released from the paddle into
// the bricks, the first 300 frames at 1, 2, 3 and 8 threads, every game compared with the plain
// rules on every frame. An unoptimised build, where the plain rules take a hundred times
// longer, plays 10 000 balls.
TEST(EquivalenceThreads, OneTwoThreeAndEightThreadsWhileBricksBreak) {
#ifndef VANTOR_DEFAULT_BOARD
    GTEST_SKIP() << "this build has no default board";
#else
#ifdef NDEBUG
    constexpr int kClicks = 1000;
#else
    constexpr int kClicks = 100;
#endif
    core::Board board;
    core::LoadBoard(VANTOR_DEFAULT_BOARD, board);
    const OptionsForThisTest options;
    // Threads, and drawing last slot first, for the smaller crowd too.
    detail::Options().threadsFrom = 0;
    detail::Options().backToFrontFrom = 0;
    TwinGames t(board, 7, {1, 2, 3, 8});
    t.MoveMouse(300);
    for (int click = 0; click < kClicks; ++click) {
        t.AddHundred();
    }
    t.Release();
    for (int frame = 0; frame < 300 && !HasFatalFailure(); ++frame) {
        t.Frame();
    }
    EXPECT_GT(t.totals().BricksDestroyed, 50u);
    EXPECT_GT(t.totals().WallBounces, 0u);
#endif
}

// The portable loops on threads too (at the default count and at three), drawing last slot
// first.
TEST(EquivalenceCrowd, PortableLoopsWithTenThousandBalls) {
    const OptionsForThisTest options;
    detail::Options().kernels = detail::Kernels::Portable;
    detail::Options().threadsFrom = 0;
    detail::Options().backToFrontFrom = 0;
    TwinGames t(BrickBoard(), 3, {0, 3});
    t.SetBalls(Scatter(10'000, 99, true));
    for (int frame = 0; frame < 20 && !HasFatalFailure(); ++frame) {
        t.Frame(frame % 5 == 0);
    }
}

// DrawBalls alone, on pictures the frame never produces.
class DrawEquivalence : public Equivalence {
  protected:
    // Draws balls with both and compares every pixel.
    static void ExpectSameDrawing(const std::vector<BallState>& balls,
                                  const core::PictureBox& sprite, const core::PictureBox& mask,
                                  const core::PictureBox& background) {
        testing::CountingPlatform platform;
        SeededRandom random(1);
        Game game(platform, random, testing::LoaderOf(MakeBoard({})));
        game.Balls.assign(balls.begin(), balls.end());
        core::PictureBox fast = background;
        core::PictureBox plain = background;
        DrawBalls(game.Balls, sprite, mask, fast);
        oracle::DrawBalls(balls, sprite, mask, plain);
        EXPECT_EQ(FirstPixelDifference(fast.Image(), plain.Image(), fast.Width()), "");
    }
};

INSTANTIATE_TEST_SUITE_P(Kernels, DrawEquivalence, kVariants, VariantName);

core::PictureBox Picture(int width, int height, std::uint32_t seed) {
    std::vector<core::Rgb32> pixels(static_cast<std::size_t>(width) *
                                    static_cast<std::size_t>(height));
    std::uint32_t v = seed;
    for (core::Rgb32& p : pixels) {
        v = v * 1664525u + 1013904223u;
        p = v;  // all 32 bits, the top byte too
    }
    core::PictureBox picture(width, height);
    picture.SetPicture(width, height, std::move(pixels));
    return picture;
}

TEST_P(DrawEquivalence, OverABackgroundWithEveryBitSet) {
    const std::vector<BallState> balls = Scatter(3000, 5, false);
    ExpectSameDrawing(balls, MakeBallSprite(), MakeBallMask(), Picture(600, 480, 1));
    // Small and odd-sized destinations: every ball crosses an edge.
    ExpectSameDrawing(balls, MakeBallSprite(), MakeBallMask(), Picture(9, 480, 2));
    ExpectSameDrawing(balls, MakeBallSprite(), MakeBallMask(), Picture(600, 10, 3));
    ExpectSameDrawing(balls, MakeBallSprite(), MakeBallMask(), Picture(0, 0, 3));
}

TEST_P(DrawEquivalence, SpritesThatAreNotJustOpaqueAndTransparent) {
    const std::vector<BallState> balls = Scatter(2000, 6, false);
    const core::PictureBox background = Picture(600, 480, 4);
    // Arbitrary sprite and mask bits: blends of both.
    ExpectSameDrawing(balls, Picture(10, 10, 5), Picture(10, 10, 6), background);
    // A transparent pixel whose mask is not the others' white.
    core::PictureBox mask = MakeBallMask();
    mask.SetPixelV(9, 9, 0xFEFFFF);
    ExpectSameDrawing(balls, MakeBallSprite(), mask, background);
    // A sprite bit outside the transparent mask value.
    core::PictureBox sprite = MakeBallSprite();
    std::vector<core::Rgb32> spritePixels(sprite.Image().begin(), sprite.Image().end());
    spritePixels.at(22) |= 0x01000000u;
    sprite.SetPicture(10, 10, spritePixels);
    ExpectSameDrawing(balls, sprite, MakeBallMask(), background);
    // Pictures larger or smaller than the 10 x 10 block.
    ExpectSameDrawing(balls, Picture(13, 12, 7), MakeBallMask(), background);
    ExpectSameDrawing(balls, Picture(8, 10, 8), Picture(10, 7, 9), background);
}

TEST_P(DrawEquivalence, DrawingIntoTheSpriteItself) {
    testing::CountingPlatform platform;
    SeededRandom random(1);
    Game game(platform, random, testing::LoaderOf(MakeBoard({})));
    const std::vector<BallState> balls = {Free(7, 6, 0), Free(5, 5, 0), Free(9.5f, 8.5f, 0)};
    game.Balls.assign(balls.begin(), balls.end());
    core::PictureBox fast = Picture(12, 12, 11);
    core::PictureBox plain = fast;
    DrawBalls(game.Balls, fast, game.PicBallMask, fast);
    oracle::DrawBalls(balls, plain, game.PicBallMask, plain);
    EXPECT_EQ(FirstPixelDifference(fast.Image(), plain.Image(), 12), "");
}

// The update notes where each ball will be drawn; a ball changed after it, or a picture of
// another size, must not be drawn from those notes.
TEST_P(DrawEquivalence, BallsChangedAfterTheUpdateAreDrawnWhereTheyAreNow) {
    testing::CountingPlatform platform;
    SeededRandom random(1);
    Game game(platform, random, testing::LoaderOf(MakeBoard({})));
    game.StartUp();
    std::vector<BallState> balls = Scatter(800, 10, false);
    game.Balls.assign(balls.begin(), balls.end());
    UpdateBalls(game.Balls, game.World(game.PicDisp));
    game.Balls[5].X = 100.5f;
    game.Balls[6] = Free(33, 44, 1.0);
    balls.assign(game.Balls.begin(), game.Balls.end());
    core::PictureBox fast = Picture(600, 480, 14);
    core::PictureBox plain = fast;
    DrawBalls(game.Balls, game.PicBall, game.PicBallMask, fast);
    oracle::DrawBalls(balls, game.PicBall, game.PicBallMask, plain);
    EXPECT_EQ(FirstPixelDifference(fast.Image(), plain.Image(), 600), "");

    UpdateBalls(game.Balls, game.World(game.PicDisp));
    balls.assign(game.Balls.begin(), game.Balls.end());
    core::PictureBox fastSmall = Picture(300, 200, 15);
    core::PictureBox plainSmall = fastSmall;
    DrawBalls(game.Balls, game.PicBall, game.PicBallMask, fastSmall);
    oracle::DrawBalls(balls, game.PicBall, game.PicBallMask, plainSmall);
    EXPECT_EQ(FirstPixelDifference(fastSmall.Image(), plainSmall.Image(), 300), "");
}

TEST_P(DrawEquivalence, APositionThatCannotBeConvertedFailsAtItsBallAfterTheOnesBefore) {
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), 3.0e9f, -3.0e9f,
                      std::numeric_limits<float>::infinity()}) {
        std::vector<BallState> balls = Scatter(500, 8, false);
        balls[321].Y = bad;
        testing::CountingPlatform platform;
        SeededRandom random(1);
        Game game(platform, random, testing::LoaderOf(MakeBoard({})));
        game.Balls.assign(balls.begin(), balls.end());
        core::PictureBox fast = Picture(600, 480, 12);
        core::PictureBox plain = fast;
        EXPECT_THROW(DrawBalls(game.Balls, game.PicBall, game.PicBallMask, fast),
                     std::overflow_error);
        EXPECT_THROW(oracle::DrawBalls(balls, game.PicBall, game.PicBallMask, plain),
                     std::overflow_error);
        EXPECT_EQ(FirstPixelDifference(fast.Image(), plain.Image(), 600), "");
    }
    // Far away but convertible: drawn as nothing.
    ExpectSameDrawing({Free(-2.0e9f, 5, 0), Free(5, 2.0e9f, 0), Free(300, 200, 0)},
                      MakeBallSprite(), MakeBallMask(), Picture(600, 480, 13));
}

// NaN and far-away positions: the floor helper refuses some of them (the failing ball has gone
// through its walls by then, the balls before it have moved, the ones after it have not, also
// when the list may use two threads and spans two of their blocks); others are put back by a
// wall.
TEST_P(Equivalence, PositionsTheFloorHelperRefusesFailTheSameWay) {
    detail::Options().threadsFrom = 0;
    int failures = 0;
    for (const unsigned threads : {1u, 2u}) {
        for (float bad : {std::numeric_limits<float>::quiet_NaN(), 1.0e30f, -1.0e30f}) {
            for (int field = 0; field < 2; ++field) {
                TwinGames t(MakeBoard({}), 7, {threads});
                std::vector<BallState> balls = Scatter(threads == 1 ? 40 : 20'000, 9, false);
                (field == 0 ? balls[17].X : balls[17].Y) = bad;
                t.SetBalls(balls);
                Game& fast = t.fast();
                bool fastFailed = false;
                bool plainFailed = false;
                try {
                    UpdateBalls(fast.Balls, fast.World(fast.PicDisp));
                } catch (const std::overflow_error&) {
                    fastFailed = true;
                }
                try {
                    oracle::UpdateBalls(t.plain(), t.plainBalls(), t.plain().PicDisp);
                } catch (const std::overflow_error&) {
                    plainFailed = true;
                }
                EXPECT_EQ(fastFailed, plainFailed) << bad << " in field " << field;
                failures += plainFailed ? 1 : 0;
                EXPECT_EQ(testing::FirstBallDifference(fast.Balls, t.plainBalls()), "");
            }
        }
    }
    EXPECT_EQ(failures, 6);  // NaN in X or Y, and 1e30 in Y, at each thread count
}

TEST(FloorOf, IsTheFloorHelperOverItsWholeRangeAndFailsBeyondIt) {
    std::vector<double> values = {
        0.0,  -0.0,       0.49999999999999994, 0.5,  -0.5,   2.5,      -2.5,  19.999,
        20.0, 599.0 / 30, -1.0 / 30,           -1.0, -32768, -32767.5, 32767, 32766.5};
    SeededRandom r(3);
    for (int i = 0; i < 200'000; ++i) {
        const double scale = i % 3 == 0 ? 40.0 : (i % 3 == 1 ? 1000.0 : 32768.0);
        const double q = (2.0 * static_cast<double>(r.Rnd()) - 1.0) * scale;
        values.push_back(q);
        values.push_back(std::nextafter(std::floor(q), 1e9));
        values.push_back(std::nextafter(std::floor(q), -1e9));
        values.push_back((q * 30 + 5) / 30);
    }
    for (double q : values) {
        if (q < -32768 || q > 32767) {
            continue;
        }
        ASSERT_EQ(rules::FloorOf(q), core::FloorOrCeiling(q, core::kFalse)) << q;
    }
    for (double q : {-32768.5, 32767.5, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_THROW(rules::FloorOf(q), std::overflow_error) << q;
        EXPECT_THROW(core::FloorOrCeiling(q, core::kFalse), std::overflow_error) << q;
    }
}

}  // namespace
}  // namespace game
