#pragma once

// The rules of ball_rules.h for four balls at once, in AVX2, for the fast loop of the ball
// update. Each function gives, lane by lane, exactly what its scalar twin gives (the same IEEE
// operations in the same order, no fused multiply-add); the rules test checks them against each
// other on random and edge inputs. Masks are all ones in a lane where the scalar function
// returns true. Included only where the AVX2 loops are compiled.

#include <immintrin.h>

#include "game/balls/ball_rules.h"
#include "game/balls/balls.h"

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
    __m128 maxSpeed;
    __m128 lostBelow;
};

__attribute__((target("avx2"))) inline Rules4 MakeRules4(const PaddleEdges& paddle) {
    Rules4 r;
    r.half = _mm256_set1_pd(kHalf);
    r.zero = _mm256_setzero_pd();
    r.width = _mm256_set1_pd(kPlayfieldWidth);
    r.left = _mm256_set1_pd(paddle.left);
    r.right = _mm256_set1_pd(paddle.right);
    r.top = _mm256_set1_pd(paddle.top);
    r.centreY = _mm256_set1_pd(paddle.centreY);
    r.acceleration = _mm256_set1_pd(kAcceleration);
    r.maxSpeed = _mm_set1_ps(kMaxSpeed);
    r.lostBelow = _mm_set1_ps(kLostBelow);
    return r;
}

// InsideWalls.
__attribute__((target("avx2"))) inline __m256d InsideWalls4(const Rules4& r, __m256d x, __m256d y) {
    const __m256d sides =
        _mm256_and_pd(_mm256_cmp_pd(_mm256_sub_pd(x, r.half), r.zero, _CMP_GE_OQ),
                      _mm256_cmp_pd(_mm256_add_pd(x, r.half), r.width, _CMP_LE_OQ));
    return _mm256_and_pd(sides, _mm256_cmp_pd(_mm256_sub_pd(y, r.half), r.zero, _CMP_GE_OQ));
}

// TouchesPaddle.
__attribute__((target("avx2"))) inline __m256d TouchesPaddle4(const Rules4& r, __m256d x,
                                                              __m256d y) {
    const __m256d across =
        _mm256_and_pd(_mm256_cmp_pd(_mm256_add_pd(x, r.half), r.left, _CMP_GE_OQ),
                      _mm256_cmp_pd(_mm256_sub_pd(x, r.half), r.right, _CMP_LE_OQ));
    const __m256d down =
        _mm256_and_pd(_mm256_cmp_pd(_mm256_add_pd(y, r.half), r.top, _CMP_GE_OQ),
                      _mm256_cmp_pd(_mm256_sub_pd(y, r.half), r.centreY, _CMP_LE_OQ));
    return _mm256_and_pd(across, down);
}

// Advance.
__attribute__((target("avx2"))) inline __m128 Advance4(__m256d position, __m256d speed,
                                                       __m256d direction) {
    return _mm256_cvtpd_ps(_mm256_add_pd(position, _mm256_mul_pd(speed, direction)));
}

// Accelerate: min(6, v) is v unless 6 < v, which is "above 6 becomes 6" (a NaN stays).
__attribute__((target("avx2"))) inline __m128 Accelerate4(const Rules4& r, __m256d speed) {
    return _mm_min_ps(r.maxSpeed, _mm256_cvtpd_ps(_mm256_add_pd(speed, r.acceleration)));
}

// IsLost, as a movemask: bit j set when lane j is lost.
__attribute__((target("avx2"))) inline int IsLost4(const Rules4& r, __m128 y) {
    return _mm_movemask_ps(_mm_cmpgt_ps(y, r.lostBelow));
}

}  // namespace game::rules
