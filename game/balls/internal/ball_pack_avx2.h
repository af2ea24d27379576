#pragma once

// Four drawing positions at a time (see detail::PackedPosition), for the AVX2 loops of the
// ball update and the ball drawing. Included only by files compiled for AVX2; everything here
// is inlined into them.

#include <immintrin.h>

#include "game/balls/internal/ball_kernels.h"

namespace game::detail {

struct PackFour {
    __m256d half;
    __m256d lowest;
    __m256d highest;
    __m256d pinLow;
    __m256d pinRight;
    __m256d pinBottom;
    __m128i allOnes;
    __m128i lastX;
    __m128i lastY;
    __m128i columnBits;
    __m128i margin;
    __m128i clippedFlag;
};

[[gnu::always_inline]] inline void MakePackFour(PackFour& k, int width, int height) {
    k.half = _mm256_set1_pd(5.0);
    k.lowest = _mm256_set1_pd(-2147483648.0);
    k.highest = _mm256_set1_pd(2147483647.0);
    k.pinLow = _mm256_set1_pd(-kPinMargin);
    k.pinRight = _mm256_set1_pd(width + kPinMargin);
    k.pinBottom = _mm256_set1_pd(height + kPinMargin);
    k.allOnes = _mm_set1_epi32(-1);
    k.lastX = _mm_set1_epi32(width - 10);
    k.lastY = _mm_set1_epi32(height - 10);
    k.columnBits = _mm_cvtsi32_si128(ColumnBits(width));
    k.margin = _mm_set1_epi32(kPinMargin);
    k.clippedFlag = _mm_set1_epi32(static_cast<int>(kClippedBall));
}

// The packed positions of four balls centred at (xf, yf). Rounding in the current direction is
// what nearbyint, and so RoundToInt32, does. okMask gets a bit for each lane whose position
// converts.
[[gnu::always_inline]] inline __m128i PackFourBalls(const PackFour& k, __m128 xf, __m128 yf,
                                                    int& okMask) {
    const __m256d x = _mm256_round_pd(_mm256_sub_pd(_mm256_cvtps_pd(xf), k.half),
                                      _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC);
    const __m256d y = _mm256_round_pd(_mm256_sub_pd(_mm256_cvtps_pd(yf), k.half),
                                      _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC);
    const __m256d ok = _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(x, k.lowest, _CMP_GE_OQ),
                                                   _mm256_cmp_pd(x, k.highest, _CMP_LE_OQ)),
                                     _mm256_and_pd(_mm256_cmp_pd(y, k.lowest, _CMP_GE_OQ),
                                                   _mm256_cmp_pd(y, k.highest, _CMP_LE_OQ)));
    okMask = _mm256_movemask_pd(ok);
    // max(v, low) gives low for a NaN; such lanes are not ok anyway.
    const __m128i px = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(x, k.pinLow), k.pinRight));
    const __m128i py = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(y, k.pinLow), k.pinBottom));
    const __m128i zero = _mm_setzero_si128();
    // Fully inside: 0 <= x <= width - 10 and 0 <= y <= height - 10.
    const __m128i outside =
        _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi32(zero, px), _mm_cmpgt_epi32(px, k.lastX)),
                     _mm_or_si128(_mm_cmpgt_epi32(zero, py), _mm_cmpgt_epi32(py, k.lastY)));
    const __m128i index = _mm_or_si128(_mm_sll_epi32(py, k.columnBits), px);
    const __m128i clipped = _mm_or_si128(_mm_or_si128(k.clippedFlag, _mm_add_epi32(px, k.margin)),
                                         _mm_slli_epi32(_mm_add_epi32(py, k.margin), 15));
    return _mm_blendv_epi8(index, clipped, outside);
}

}  // namespace game::detail
