// Drawing the balls first slot first, and converting their positions, with AVX2 (compiled for
// AVX2; the plain forms and what they must give are in ball_draw.cpp).

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_kernels.h"
#include "game/balls/internal/ball_pack_avx2.h"

namespace game::detail {

namespace {

constexpr std::size_t kSize = BallSize;
constexpr std::size_t kRowPad = kSpriteRowPad;

// The position of a ball's top-left pixel, rounded as RoundToInt32 does; false when it does not
// fit in 32 bits (or is NaN). Rounding in the current direction is what nearbyint, and so
// RoundToInt32, does.
bool RoundPosition(float v, std::int32_t& out) {
    const __m128d d = _mm_sub_sd(_mm_set_sd(static_cast<double>(v)), _mm_set_sd(BallSize / 2.0));
    const double r =
        _mm_cvtsd_f64(_mm_round_sd(d, d, _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC));
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
        return false;
    }
    out = static_cast<std::int32_t>(r);
    return true;
}

}  // namespace

bool avx2::Positions(const BallList::ConstColumns& b, std::size_t n, int width, int height,
                     PackedPosition* out) {
    PackFour k;
    MakePackFour(k, width, height);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        int ok = 0;
        const __m128i packed = PackFourBalls(k, _mm_loadu_ps(b.X + i), _mm_loadu_ps(b.Y + i), ok);
        if (ok != 0xF) {
            return false;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
    }
    for (; i < n; ++i) {
        if (!PackBall(b.X[i], b.Y[i], width, height, out[i])) {
            return false;
        }
    }
    return true;
}

void avx2::DrawForward(const BallList::ConstColumns& b, std::size_t n, const SpriteShape& shape,
                       const core::PictureBox& sprite, const core::PictureBox& mask,
                       core::PictureBox& destination) {
    if (!shape.blittable) {
        portable::DrawForward(b, n, shape, sprite, mask, destination);
        return;
    }
    const Canvas canvas = CanvasOf(destination);
    // Each row of ten pixels is two overlapping runs of eight, 0-7 and 2-9, both computed from
    // the pixels as they were, so the middle six get the same values from either.
    __m256i andA[kSize];
    __m256i orA[kSize];
    __m256i andB[kSize];
    __m256i orB[kSize];
    for (std::size_t r = 0; r < kSize; ++r) {
        andA[r] = _mm256_load_si256(reinterpret_cast<const __m256i*>(shape.andBits + r * kRowPad));
        orA[r] = _mm256_load_si256(reinterpret_cast<const __m256i*>(shape.orBits + r * kRowPad));
        andB[r] =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(shape.andBits + r * kRowPad + 2));
        orB[r] =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(shape.orBits + r * kRowPad + 2));
    }
    for (std::size_t i = 0; i < n; ++i) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!RoundPosition(b.X[i], x) || !RoundPosition(b.Y[i], y) ||
            !FullyInside(x, y, canvas.width, canvas.height)) {
            DrawOnePlain(b, i, sprite, mask, destination);
            continue;
        }
        core::Rgb32* row = canvas.pixels +
                           static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.width) +
                           static_cast<std::size_t>(x);
        for (std::size_t r = 0; r < kSize; ++r, row += canvas.width) {
            // Both runs are loaded before either is stored: a load that half overlaps a store
            // just made waits for it to reach the cache.
            auto* a = reinterpret_cast<__m256i*>(row);
            auto* c = reinterpret_cast<__m256i*>(row + 2);
            const __m256i va = _mm256_loadu_si256(a);
            const __m256i vc = _mm256_loadu_si256(c);
            _mm256_storeu_si256(a, _mm256_or_si256(_mm256_and_si256(va, andA[r]), orA[r]));
            _mm256_storeu_si256(c, _mm256_or_si256(_mm256_and_si256(vc, andB[r]), orB[r]));
        }
    }
}

}  // namespace game::detail
