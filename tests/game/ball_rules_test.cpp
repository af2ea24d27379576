// The AVX2 form of the ball rules against the scalar one, lane by lane, on random positions,
// speeds and directions and on the bounds where a test flips.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "game/balls/internal/ball_rules.h"
#include "game/balls/internal/collisions.h"
#include "tests/game/ball_rules_lanes.h"
#include "tests/game/game_fakes.h"

namespace game {
namespace {

TEST(BallRules, TheAvx2LanesGiveWhatTheScalarRulesGive) {
#ifdef VANTOR_TEST_AVX2
    if (!__builtin_cpu_supports("avx2")) {
        GTEST_SKIP() << "this processor has no AVX2";
    }
    // Breakable bricks in a few places, so that the brick reach says yes and no.
    testing::StartedGame s(testing::MakeBoard({{0, 0, 0}, {7, 4, 0}, {19, 9, 0}, {12, 19, 0}}));
    const CollisionWorld world =
        CollisionWorld::For(Paddle{300, 440, 80, 15}, s.game.Board, s.game.PicDisp);
    const rules::PaddleEdges& edges = world.edges;
    // Values where a test flips, and just beside them; the rest random over and around the
    // playfield, speeds around the cap, and a NaN now and then.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> edgesX = {
        5, 595, 255, 345, 203, 204, std::nextafter(5.0, 0.0), std::nextafter(595.0, 600.0), nan};
    const std::vector<double> edgesY = {5,   427.5, 445,   66,        67,  std::nextafter(5.0, 0.0),
                                        475, 480,   10000, 10000.001, 311, nan};
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> pos(-30.0, 640.0);
    std::uniform_real_distribution<double> speed(1.4, 6.1);
    std::uniform_real_distribution<double> dir(-1.0, 1.0);
    for (int round = 0; round < 20000; ++round) {
        testing::FourBalls in;
        for (std::size_t j = 0; j < 4; ++j) {
            in.x[j] = round % 5 == 0 ? edgesX[gen() % edgesX.size()] : pos(gen);
            in.y[j] = round % 7 == 0 ? edgesY[gen() % edgesY.size()] : pos(gen);
            in.speed[j] = round % 11 == 0 ? 5.9996 + 0.0001 * static_cast<double>(j) : speed(gen);
            in.direction[j] = round % 13 == 0 ? nan : dir(gen);
            // Positions and speeds come from floats in the game.
            in.x[j] = static_cast<double>(static_cast<float>(in.x[j]));
            in.y[j] = static_cast<double>(static_cast<float>(in.y[j]));
            in.speed[j] = static_cast<double>(static_cast<float>(in.speed[j]));
        }
        const bool bricksLeft = round % 3 != 0;
        const testing::Lanes lanes = testing::RunFour(edges, world.Reach(), bricksLeft, in);
        for (std::size_t j = 0; j < 4; ++j) {
            const double x = in.x[j];
            const double y = in.y[j];
            const float nx = rules::Advance(x, in.speed[j], in.direction[j]);
            const float ns = rules::Accelerate(in.speed[j]);
            ASSERT_EQ(lanes.inside[j], rules::InsideWalls(x, y)) << x << "," << y;
            ASSERT_EQ(lanes.paddle[j], rules::TouchesPaddle(edges, x, y)) << x << "," << y;
            if (rules::InsideWalls(x, y) && y <= rules::kQuietLimit) {
                ASSERT_EQ(lanes.mayClear[j], rules::ProbesMayClear(world.Reach(), x, y))
                    << x << "," << y;
            }
            ASSERT_EQ(lanes.quiet[j],
                      rules::Quiet(edges, world.Reach(), bricksLeft, x, y, in.direction[j]))
                << x << "," << y << " cos " << in.direction[j];
            ASSERT_EQ(std::bit_cast<std::uint32_t>(lanes.x[j]), std::bit_cast<std::uint32_t>(nx))
                << x << " + " << in.speed[j] << " * " << in.direction[j];
            ASSERT_EQ(std::bit_cast<std::uint32_t>(lanes.speed[j]),
                      std::bit_cast<std::uint32_t>(ns))
                << in.speed[j];
            ASSERT_EQ(lanes.lost[j], rules::IsLost(nx)) << nx;
            ASSERT_EQ(lanes.bounded[j], rules::WithinBounds(nx, static_cast<float>(y)))
                << nx << "," << y;
        }
    }
#else
    GTEST_SKIP() << "no AVX2 loops on this architecture";
#endif
}

}  // namespace
}  // namespace game
