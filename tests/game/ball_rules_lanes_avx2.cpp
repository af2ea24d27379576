#include "game/balls/internal/ball_rules_avx2.h"
#include "tests/game/ball_rules_lanes.h"

namespace game::testing {

Lanes RunFour(const rules::PaddleEdges& edges, const rules::BrickReach& reach, bool bricksLeft,
              const FourBalls& balls) {
    const rules::Rules4 r = rules::MakeRules4(edges, reach);
    const __m256d x = _mm256_loadu_pd(balls.x);
    const __m256d y = _mm256_loadu_pd(balls.y);
    const __m256d speed = _mm256_loadu_pd(balls.speed);
    const __m256d direction = _mm256_loadu_pd(balls.direction);
    const int inside = _mm256_movemask_pd(rules::InsideWalls4(r, x, y));
    const int paddle = _mm256_movemask_pd(rules::TouchesPaddle4(r, x, y));
    const int mayClear = _mm256_movemask_pd(rules::ProbesMayClear4(r, x, y));
    const int quiet = _mm256_movemask_pd(rules::Quiet4(r, bricksLeft, x, y, direction));
    const __m128 nx = rules::Advance4(x, speed, direction);
    const int lost = rules::IsLost4(r, nx);
    const int bounded = rules::WithinBounds4(r, nx, _mm256_cvtpd_ps(y));
    Lanes out{};
    _mm_storeu_ps(out.x, nx);
    _mm_storeu_ps(out.speed, rules::Accelerate4(r, speed));
    for (int j = 0; j < 4; ++j) {
        out.inside[j] = ((inside >> j) & 1) != 0;
        out.paddle[j] = ((paddle >> j) & 1) != 0;
        out.mayClear[j] = ((mayClear >> j) & 1) != 0;
        out.quiet[j] = ((quiet >> j) & 1) != 0;
        out.lost[j] = ((lost >> j) & 1) != 0;
        out.bounded[j] = ((bounded >> j) & 1) != 0;
    }
    return out;
}

}  // namespace game::testing
