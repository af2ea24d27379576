#pragma once

// The rules of ball_rules.h for four balls at once, in AVX2, for the fast loop of the ball
// update. Each function gives, lane by lane, exactly what its scalar twin gives (the same IEEE
// operations in the same order, no fused multiply-add); the rules test checks them against each
// other on random and edge inputs. Masks are all ones in a lane where the scalar function
// returns true. Included only by files compiled for AVX2; everything here is inlined into them.

#include <immintrin.h>

#include <cstdint>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_rules.h"

namespace game::rules {

// The constants of the four-lane rules, set once per frame.
struct Rules4 {
    __m256d half;
    __m256d zero;
    __m256d width;
    __m256d left;
    __m256d right;
    __m256d top;
    __m256d centreY;
    __m256d acceleration;
    __m256d quietLimit;
    __m256d lastColumn;
    __m256d lastRow;
    __m128 maxSpeed;
    __m128 lostBelow;
    __m128 quietLimitFloat;
    __m256d reachLeft;
    __m256d reachRight;
    __m256d reachTop;
    __m256d reachBottom;
    const std::int32_t* columnSpan;
    const std::int32_t* dangerColumns;
};

[[gnu::always_inline]] inline Rules4 MakeRules4(const PaddleEdges& paddle,
                                                const BrickReach& reach) {
    Rules4 r;
    r.half = _mm256_set1_pd(kHalf);
    r.zero = _mm256_setzero_pd();
    r.width = _mm256_set1_pd(kPlayfieldWidth);
    r.left = _mm256_set1_pd(paddle.left);
    r.right = _mm256_set1_pd(paddle.right);
    r.top = _mm256_set1_pd(paddle.top);
    r.centreY = _mm256_set1_pd(paddle.centreY);
    r.acceleration = _mm256_set1_pd(kAcceleration);
    r.quietLimit = _mm256_set1_pd(kQuietLimit);
    r.lastColumn = _mm256_set1_pd(kSpanWidth - 1);
    r.lastRow = _mm256_set1_pd(kDangerRows - 1);
    r.maxSpeed = _mm_set1_ps(kMaxSpeed);
    r.lostBelow = _mm_set1_ps(kLostBelow);
    r.quietLimitFloat = _mm_set1_ps(static_cast<float>(kQuietLimit));
    r.reachLeft = _mm256_set1_pd(reach.left);
    r.reachRight = _mm256_set1_pd(reach.right);
    r.reachTop = _mm256_set1_pd(reach.top);
    r.reachBottom = _mm256_set1_pd(reach.bottom);
    r.columnSpan = reach.columnSpan;
    r.dangerColumns = reach.dangerColumns;
    return r;
}

// InsideWalls.
[[gnu::always_inline]] inline __m256d InsideWalls4(const Rules4& r, __m256d x, __m256d y) {
    const __m256d sides =
        _mm256_and_pd(_mm256_cmp_pd(_mm256_sub_pd(x, r.half), r.zero, _CMP_GE_OQ),
                      _mm256_cmp_pd(_mm256_add_pd(x, r.half), r.width, _CMP_LE_OQ));
    return _mm256_and_pd(sides, _mm256_cmp_pd(_mm256_sub_pd(y, r.half), r.zero, _CMP_GE_OQ));
}

// TouchesPaddle.
[[gnu::always_inline]] inline __m256d TouchesPaddle4(const Rules4& r, __m256d x, __m256d y) {
    const __m256d across =
        _mm256_and_pd(_mm256_cmp_pd(_mm256_add_pd(x, r.half), r.left, _CMP_GE_OQ),
                      _mm256_cmp_pd(_mm256_sub_pd(x, r.half), r.right, _CMP_LE_OQ));
    const __m256d down =
        _mm256_and_pd(_mm256_cmp_pd(_mm256_add_pd(y, r.half), r.top, _CMP_GE_OQ),
                      _mm256_cmp_pd(_mm256_sub_pd(y, r.half), r.centreY, _CMP_LE_OQ));
    return _mm256_and_pd(across, down);
}

// ProbesMayClear, for the lanes where it applies (x in [5, 595], y in [5, kQuietLimit]). The
// tables are looked up (two gathers) only when a lane lies where they can say yes; their
// indexes are pinned into them in every lane (a NaN becomes 0), so no lane reads outside them,
// and within its domain a lane is never pinned.
[[gnu::always_inline]] inline __m256d ProbesMayClear4(const Rules4& r, __m256d x, __m256d y) {
    const __m256d inBox = _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(x, r.reachLeft, _CMP_GE_OQ),
                                                      _mm256_cmp_pd(x, r.reachRight, _CMP_LT_OQ)),
                                        _mm256_and_pd(_mm256_cmp_pd(y, r.reachTop, _CMP_GE_OQ),
                                                      _mm256_cmp_pd(y, r.reachBottom, _CMP_LT_OQ)));
    if (_mm256_movemask_pd(inBox) == 0) {
        return inBox;
    }
    const __m128i column =
        _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(x, r.zero), r.lastColumn));
    const __m128i row = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(y, r.zero), r.lastRow));
    const __m128i reach = _mm_and_si128(_mm_i32gather_epi32(r.columnSpan, column, 4),
                                        _mm_i32gather_epi32(r.dangerColumns, row, 4));
    const __m128i clear = _mm_cmpeq_epi32(reach, _mm_setzero_si128());
    return _mm256_andnot_pd(_mm256_castsi256_pd(_mm256_cvtepi32_epi64(clear)), inBox);
}

// Quiet: inside the walls, within the quiet limit, cos cached, clear of the paddle and, with
// bricks left, unable to reach one.
[[gnu::always_inline]] inline __m256d Quiet4(const Rules4& r, bool bricksLeft, __m256d x, __m256d y,
                                             __m256d cachedCos) {
    __m256d quiet = InsideWalls4(r, x, y);
    quiet = _mm256_and_pd(quiet, _mm256_cmp_pd(y, r.quietLimit, _CMP_LE_OQ));
    quiet = _mm256_and_pd(quiet, _mm256_cmp_pd(cachedCos, cachedCos, _CMP_ORD_Q));
    quiet = _mm256_andnot_pd(TouchesPaddle4(r, x, y), quiet);
    if (bricksLeft) {
        quiet = _mm256_andnot_pd(ProbesMayClear4(r, x, y), quiet);
    }
    return quiet;
}

// Advance.
[[gnu::always_inline]] inline __m128 Advance4(__m256d position, __m256d speed, __m256d direction) {
    return _mm256_cvtpd_ps(_mm256_add_pd(position, _mm256_mul_pd(speed, direction)));
}

// Accelerate: min(6, v) is v unless 6 < v, which is "above 6 becomes 6" (a NaN stays).
[[gnu::always_inline]] inline __m128 Accelerate4(const Rules4& r, __m256d speed) {
    return _mm_min_ps(r.maxSpeed, _mm256_cvtpd_ps(_mm256_add_pd(speed, r.acceleration)));
}

// IsLost, as a movemask: bit j set when lane j is lost.
[[gnu::always_inline]] inline int IsLost4(const Rules4& r, __m128 y) {
    return _mm_movemask_ps(_mm_cmpgt_ps(y, r.lostBelow));
}

// WithinBounds, as a movemask. The float compare is the double one: the limit is a float and
// widening a float is exact.
[[gnu::always_inline]] inline int WithinBounds4(const Rules4& r, __m128 x, __m128 y) {
    return _mm_movemask_ps(
        _mm_and_ps(_mm_cmpord_ps(x, x), _mm_cmp_ps(y, r.quietLimitFloat, _CMP_LE_OQ)));
}

}  // namespace game::rules
