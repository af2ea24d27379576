// The AVX2 form of the ball rules against the scalar one, lane by lane, on random positions,
// speeds and directions and on the bounds where a test flips.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "game/balls/ball_rules.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include "game/balls/ball_rules_avx2.h"
#define VANTOR_TEST_AVX2 1
#endif

namespace game {
namespace {

// What one lane of the four-lane rules gave.
struct Lanes {
    bool inside[4];
    bool paddle[4];
    float x[4];
    float speed[4];
    bool lost[4];
};

#ifdef VANTOR_TEST_AVX2
__attribute__((target("avx2"))) Lanes RunFour(const rules::PaddleEdges& edges, const double* x,
                                              const double* y, const double* speed,
                                              const double* direction) {
    const rules::Rules4 r = rules::MakeRules4(edges);
    const __m256d vx = _mm256_loadu_pd(x);
    const __m256d vy = _mm256_loadu_pd(y);
    const __m256d vs = _mm256_loadu_pd(speed);
    const int inside = _mm256_movemask_pd(rules::InsideWalls4(r, vx, vy));
    const int paddle = _mm256_movemask_pd(rules::TouchesPaddle4(r, vx, vy));
    const __m128 nx = rules::Advance4(vx, vs, _mm256_loadu_pd(direction));
    const int lost = rules::IsLost4(r, nx);
    Lanes out{};
    _mm_storeu_ps(out.x, nx);
    _mm_storeu_ps(out.speed, rules::Accelerate4(r, vs));
    for (int j = 0; j < 4; ++j) {
        out.inside[j] = ((inside >> j) & 1) != 0;
        out.paddle[j] = ((paddle >> j) & 1) != 0;
        out.lost[j] = ((lost >> j) & 1) != 0;
    }
    return out;
}
#endif

TEST(BallRules, TheAvx2LanesGiveWhatTheScalarRulesGive) {
#ifdef VANTOR_TEST_AVX2
    if (!__builtin_cpu_supports("avx2")) {
        GTEST_SKIP() << "this processor has no AVX2";
    }
    const rules::PaddleEdges edges = rules::EdgesOf(Paddle{300, 440, 80, 15});
    // Values where a test flips, and just beside them; the rest random over and around the
    // playfield, speeds around the cap, and a NaN now and then.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> edgesX = {
        5, 595, 255, 345, std::nextafter(5.0, 0.0), std::nextafter(595.0, 600.0), nan};
    const std::vector<double> edgesY = {5, 427.5, 445, std::nextafter(5.0, 0.0), 475, 480, nan};
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> pos(-30.0, 640.0);
    std::uniform_real_distribution<double> speed(1.4, 6.1);
    std::uniform_real_distribution<double> dir(-1.0, 1.0);
    for (int round = 0; round < 20000; ++round) {
        double x[4];
        double y[4];
        double s[4];
        double d[4];
        for (std::size_t j = 0; j < 4; ++j) {
            x[j] = round % 5 == 0 ? edgesX[gen() % edgesX.size()] : pos(gen);
            y[j] = round % 7 == 0 ? edgesY[gen() % edgesY.size()] : pos(gen);
            s[j] = round % 11 == 0 ? 5.9996 + 0.0001 * static_cast<double>(j) : speed(gen);
            d[j] = round % 13 == 0 ? nan : dir(gen);
            // Positions and speeds come from floats in the game.
            x[j] = static_cast<double>(static_cast<float>(x[j]));
            y[j] = static_cast<double>(static_cast<float>(y[j]));
            s[j] = static_cast<double>(static_cast<float>(s[j]));
        }
        const Lanes lanes = RunFour(edges, x, y, s, d);
        for (std::size_t j = 0; j < 4; ++j) {
            const float nx = rules::Advance(x[j], s[j], d[j]);
            const float ns = rules::Accelerate(s[j]);
            ASSERT_EQ(lanes.inside[j], rules::InsideWalls(x[j], y[j])) << x[j] << "," << y[j];
            ASSERT_EQ(lanes.paddle[j], rules::TouchesPaddle(edges, x[j], y[j]))
                << x[j] << "," << y[j];
            ASSERT_EQ(std::bit_cast<std::uint32_t>(lanes.x[j]), std::bit_cast<std::uint32_t>(nx))
                << x[j] << " + " << s[j] << " * " << d[j];
            ASSERT_EQ(std::bit_cast<std::uint32_t>(lanes.speed[j]),
                      std::bit_cast<std::uint32_t>(ns))
                << s[j];
            ASSERT_EQ(lanes.lost[j], rules::IsLost(nx)) << nx;
        }
    }
#else
    GTEST_SKIP() << "no AVX2 loops on this architecture";
#endif
}

}  // namespace
}  // namespace game
