// Drawing the balls, fast and exact.
//
// The rules draw every ball with two 10 x 10 blits: the mask ANDed in, then the sprite ORed in.
// Per pixel that is v = (v & m) | s, so a ball fully inside the picture is one pass over its
// square with m and s taken from the pictures once per call; a ball that crosses an edge goes
// through the picture's own clipped BitBlt.
//
// With many balls most of that work is overdrawn. When every pixel of the ball is opaque (mask
// 0: the result is s, whatever lies below) or transparent (sprite 0 and mask m, the same m
// everywhere, with no sprite bit outside m: the result is v & m), the final value of a pixel is
// decided by the last ball that covers it opaquely (s, since the later transparent ANDs leave s
// alone), or else by the background ANDed with m once (AND is idempotent). So the balls can be
// drawn from the last slot to the first over a map of the state of each pixel (0 untouched,
// 1 ANDed with m, 2 decided), touching only the pixels still open; a ball whose pixels are all
// decided costs ten small loads. The order of slots within the list is what makes "later" well
// defined, so the result is exactly that of drawing first slot first.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/ball.h"
#include "game/ball_kernels.h"
#include "game/game.h"
#include "shared/rounding.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTOR_X86_KERNELS 1
#include <immintrin.h>
#endif

namespace game::detail {

namespace {

constexpr int kSize = BallSize;
constexpr double kHalf = BallSize / 2.0;
constexpr std::size_t kRowPad = 16;  // entries per row in SpriteShape
constexpr std::uint8_t kOpaque = 2;
constexpr std::uint8_t kTransparent = 1;
// Positions are pinned to this far outside the picture.
constexpr int kMargin = 16;

// Row length of the pixel-state map: room for a 16-byte load at any fully-inside ball.
std::size_t StateStride(int width) {
    return static_cast<std::size_t>(width) + 32;
}

std::vector<std::uint8_t>& StateMap(int width, int height) {
    static thread_local std::vector<std::uint8_t> state;
    state.assign(StateStride(width) * static_cast<std::size_t>(height), 0);
    return state;
}

// The position of a ball's top-left pixel, rounded as RoundToInt32 does (halves to even);
// false when it does not fit in 32 bits (or is NaN).
bool RoundPosition(float v, std::int32_t& out) {
    const double r = core::RoundHalfEven(static_cast<double>(v) - kHalf);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
        return false;
    }
    out = static_cast<std::int32_t>(r);
    return true;
}

std::int32_t Pin(std::int32_t v, int size) {
    return v < -kMargin ? -kMargin : (v > size + kMargin ? size + kMargin : v);
}

PackedPosition Pack(std::int32_t x, std::int32_t y) {
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) |
           (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16);
}

std::int32_t UnpackX(PackedPosition p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p & 0xFFFFu));
}
std::int32_t UnpackY(PackedPosition p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p >> 16));
}

bool FullyInside(std::int32_t x, std::int32_t y, int width, int height) {
    return x >= 0 && y >= 0 && x <= width - kSize && y <= height - kSize;
}

// The two blits of one ball, by the picture's own clipped BitBlt.
void BlitPlain(std::int32_t x, std::int32_t y, const core::PictureBox& sprite,
               const core::PictureBox& mask, core::PictureBox& destination) {
    destination.BitBlt(x, y, BallSize, BallSize, mask, 0, 0, core::RasterOp::SrcAnd);
    destination.BitBlt(x, y, BallSize, BallSize, sprite, 0, 0, core::RasterOp::SrcPaint);
}

// A ball crossing the picture's edge, last slot first: only its pixels inside the picture.
void BackToFrontClipped(std::int32_t x, std::int32_t y, const SpriteShape& shape,
                        core::PictureBox& destination, std::uint8_t* state, std::size_t stride) {
    const int width = destination.Width();
    const int height = destination.Height();
    core::Rgb32* pixels = destination.Image().data();
    for (int r = 0; r < kSize; ++r) {
        const int py = y + r;
        if (py < 0 || py >= height) {
            continue;
        }
        for (int c = 0; c < kSize; ++c) {
            const int px = x + c;
            if (px < 0 || px >= width) {
                continue;
            }
            const std::size_t k =
                static_cast<std::size_t>(r) * kRowPad + static_cast<std::size_t>(c);
            std::uint8_t& st =
                state[static_cast<std::size_t>(py) * stride + static_cast<std::size_t>(px)];
            const std::uint8_t kind = shape.kind[k];
            if (st >= kind) {
                continue;
            }
            core::Rgb32& v = pixels[static_cast<std::size_t>(py) * static_cast<std::size_t>(width) +
                                    static_cast<std::size_t>(px)];
            v = kind == kOpaque ? shape.orBits[k] : (v & shape.transparentMask);
            st = kind;
        }
    }
}

}  // namespace

SpriteShape ShapeOf(const core::PictureBox& sprite, const core::PictureBox& mask,
                    const core::PictureBox& destination) {
    SpriteShape shape;
    shape.blittable = sprite.Width() >= kSize && sprite.Height() >= kSize &&
                      mask.Width() >= kSize && mask.Height() >= kSize && &sprite != &destination &&
                      &mask != &destination;
    if (!shape.blittable) {
        return shape;
    }
    // The transparent value is that of the first pixel the mask does not blacken.
    bool haveTransparent = false;
    std::uint32_t m = 0xFFFFFFFFu;
    for (int r = 0; r < kSize && !haveTransparent; ++r) {
        for (int c = 0; c < kSize && !haveTransparent; ++c) {
            if (mask.PixelAt(c, r) != 0) {
                m = mask.PixelAt(c, r);
                haveTransparent = true;
            }
        }
    }
    shape.transparentMask = m;
    shape.twoKinds = true;
    for (int r = 0; r < kSize; ++r) {
        for (int c = 0; c < static_cast<int>(kRowPad); ++c) {
            const std::size_t k =
                static_cast<std::size_t>(r) * kRowPad + static_cast<std::size_t>(c);
            if (c >= kSize) {
                // Beyond the ball: the blit leaves these alone.
                shape.andBits[k] = 0xFFFFFFFFu;
                shape.orBits[k] = 0;
                shape.kind[k] = 0;
                continue;
            }
            const std::uint32_t mv = mask.PixelAt(c, r);
            const std::uint32_t sv = sprite.PixelAt(c, r);
            shape.andBits[k] = mv;
            shape.orBits[k] = sv;
            if (mv == 0 && (sv & ~m) == 0) {
                shape.kind[k] = kOpaque;
            } else if (mv == m && sv == 0) {
                shape.kind[k] = kTransparent;
            } else {
                shape.twoKinds = false;
            }
        }
    }
    return shape;
}

bool PositionsPortable(const BallList& balls, int width, int height, PackedPosition* out) {
    const BallList::ConstColumns b = balls.Raw();
    for (std::size_t i = 0; i < balls.size(); ++i) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!RoundPosition(b.X[i], x) || !RoundPosition(b.Y[i], y)) {
            return false;
        }
        out[i] = Pack(Pin(x, width), Pin(y, height));
    }
    return true;
}

void DrawForwardPortable(const BallList& balls, const SpriteShape& shape,
                         const core::PictureBox& sprite, const core::PictureBox& mask,
                         core::PictureBox& destination) {
    const BallList::ConstColumns b = balls.Raw();
    const int width = destination.Width();
    const int height = destination.Height();
    for (std::size_t i = 0; i < balls.size(); ++i) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!RoundPosition(b.X[i], x) || !RoundPosition(b.Y[i], y)) {
            // Raises the conversion error at this ball, as the rules do.
            x = core::RoundToInt32(static_cast<double>(b.X[i]) - kHalf);
            y = core::RoundToInt32(static_cast<double>(b.Y[i]) - kHalf);
        }
        if (!shape.blittable || !FullyInside(x, y, width, height)) {
            BlitPlain(x, y, sprite, mask, destination);
            continue;
        }
        core::Rgb32* row = destination.Image().data() +
                           static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x);
        for (std::size_t r = 0; r < kSize; ++r, row += width) {
            for (std::size_t c = 0; c < kSize; ++c) {
                row[c] = (row[c] & shape.andBits[r * kRowPad + c]) | shape.orBits[r * kRowPad + c];
            }
        }
    }
}

void DrawBackToFrontPortable(const PackedPosition* positions, std::size_t n,
                             const SpriteShape& shape, core::PictureBox& destination) {
    const int width = destination.Width();
    const int height = destination.Height();
    const std::size_t stride = StateStride(width);
    std::uint8_t* state = StateMap(width, height).data();
    core::Rgb32* pixels = destination.Image().data();
    for (std::size_t i = n; i-- > 0;) {
        const std::int32_t x = UnpackX(positions[i]);
        const std::int32_t y = UnpackY(positions[i]);
        if (!FullyInside(x, y, width, height)) {
            BackToFrontClipped(x, y, shape, destination, state, stride);
            continue;
        }
        for (std::size_t r = 0; r < kSize; ++r) {
            std::uint8_t* st =
                state + (static_cast<std::size_t>(y) + r) * stride + static_cast<std::size_t>(x);
            core::Rgb32* v = pixels +
                             (static_cast<std::size_t>(y) + r) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(x);
            const std::uint8_t* kind = shape.kind.data() + r * kRowPad;
            for (std::size_t c = 0; c < kSize; ++c) {
                if (st[c] >= kind[c]) {
                    continue;
                }
                v[c] = kind[c] == kOpaque ? shape.orBits[r * kRowPad + c]
                                          : (v[c] & shape.transparentMask);
                st[c] = kind[c];
            }
        }
    }
}

#ifdef VANTOR_X86_KERNELS

namespace {

__attribute__((target("avx2"))) inline bool RoundPositionAvx2(float v, std::int32_t& out) {
    // Rounding in the current direction is what nearbyint, and so RoundToInt32, does.
    const __m128d d = _mm_sub_sd(_mm_set_sd(static_cast<double>(v)), _mm_set_sd(kHalf));
    const double r =
        _mm_cvtsd_f64(_mm_round_sd(d, d, _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC));
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
        return false;
    }
    out = static_cast<std::int32_t>(r);
    return true;
}

}  // namespace

__attribute__((target("avx2"))) bool PositionsAvx2(const BallList& balls, int width, int height,
                                                   PackedPosition* out) {
    const BallList::ConstColumns b = balls.Raw();
    const std::size_t n = balls.size();
    const __m256d half = _mm256_set1_pd(kHalf);
    const __m256d lowest = _mm256_set1_pd(-2147483648.0);
    const __m256d highest = _mm256_set1_pd(2147483647.0);
    const __m256d pinLow = _mm256_set1_pd(-kMargin);
    const __m256d pinRight = _mm256_set1_pd(width + kMargin);
    const __m256d pinBottom = _mm256_set1_pd(height + kMargin);
    const __m128i low16 = _mm_set1_epi32(0xFFFF);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d x =
            _mm256_round_pd(_mm256_sub_pd(_mm256_cvtps_pd(_mm_loadu_ps(b.X + i)), half),
                            _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC);
        const __m256d y =
            _mm256_round_pd(_mm256_sub_pd(_mm256_cvtps_pd(_mm_loadu_ps(b.Y + i)), half),
                            _MM_FROUND_CUR_DIRECTION | _MM_FROUND_NO_EXC);
        const __m256d ok = _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(x, lowest, _CMP_GE_OQ),
                                                       _mm256_cmp_pd(x, highest, _CMP_LE_OQ)),
                                         _mm256_and_pd(_mm256_cmp_pd(y, lowest, _CMP_GE_OQ),
                                                       _mm256_cmp_pd(y, highest, _CMP_LE_OQ)));
        if (_mm256_movemask_pd(ok) != 0xF) {
            return false;
        }
        const __m128i px = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(x, pinLow), pinRight));
        const __m128i py = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(y, pinLow), pinBottom));
        const __m128i packed = _mm_or_si128(_mm_and_si128(px, low16), _mm_slli_epi32(py, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
    }
    for (; i < n; ++i) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!RoundPositionAvx2(b.X[i], x) || !RoundPositionAvx2(b.Y[i], y)) {
            return false;
        }
        out[i] = Pack(Pin(x, width), Pin(y, height));
    }
    return true;
}

__attribute__((target("avx2"))) void DrawForwardAvx2(const BallList& balls,
                                                     const SpriteShape& shape,
                                                     const core::PictureBox& sprite,
                                                     const core::PictureBox& mask,
                                                     core::PictureBox& destination) {
    if (!shape.blittable) {
        DrawForwardPortable(balls, shape, sprite, mask, destination);
        return;
    }
    const BallList::ConstColumns b = balls.Raw();
    const int width = destination.Width();
    const int height = destination.Height();
    core::Rgb32* pixels = destination.Image().data();
    // Each row of ten pixels is two overlapping runs of eight, 0-7 and 2-9. Doing the middle
    // six twice changes nothing: ((v & m) | s) & m | s is (v & m) | s.
    __m256i andA[kSize];
    __m256i orA[kSize];
    __m256i andB[kSize];
    __m256i orB[kSize];
    for (std::size_t r = 0; r < kSize; ++r) {
        andA[r] =
            _mm256_load_si256(reinterpret_cast<const __m256i*>(shape.andBits.data() + r * kRowPad));
        orA[r] =
            _mm256_load_si256(reinterpret_cast<const __m256i*>(shape.orBits.data() + r * kRowPad));
        andB[r] = _mm256_loadu_si256(
            reinterpret_cast<const __m256i*>(shape.andBits.data() + r * kRowPad + 2));
        orB[r] = _mm256_loadu_si256(
            reinterpret_cast<const __m256i*>(shape.orBits.data() + r * kRowPad + 2));
    }
    for (std::size_t i = 0; i < balls.size(); ++i) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!RoundPositionAvx2(b.X[i], x) || !RoundPositionAvx2(b.Y[i], y)) {
            x = core::RoundToInt32(static_cast<double>(b.X[i]) - kHalf);
            y = core::RoundToInt32(static_cast<double>(b.Y[i]) - kHalf);
        }
        if (!FullyInside(x, y, width, height)) {
            BlitPlain(x, y, sprite, mask, destination);
            continue;
        }
        core::Rgb32* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x);
        for (std::size_t r = 0; r < kSize; ++r, row += width) {
            __m256i* a = reinterpret_cast<__m256i*>(row);
            _mm256_storeu_si256(
                a, _mm256_or_si256(_mm256_and_si256(_mm256_loadu_si256(a), andA[r]), orA[r]));
            __m256i* c = reinterpret_cast<__m256i*>(row + 2);
            _mm256_storeu_si256(
                c, _mm256_or_si256(_mm256_and_si256(_mm256_loadu_si256(c), andB[r]), orB[r]));
        }
    }
}

__attribute__((target("avx2"))) void DrawBackToFrontAvx2(const PackedPosition* positions,
                                                         std::size_t n, const SpriteShape& shape,
                                                         core::PictureBox& destination) {
    const int width = destination.Width();
    const int height = destination.Height();
    const std::size_t stride = StateStride(width);
    std::uint8_t* state = StateMap(width, height).data();
    core::Rgb32* pixels = destination.Image().data();
    const __m128i zero = _mm_setzero_si128();
    const __m256i keepOutsideMask = _mm256_set1_epi32(static_cast<int>(~shape.transparentMask));
    __m128i kind[kSize];
    __m128i opaque[kSize];
    __m128i transparent[kSize];
    __m256i spriteA[kSize];
    __m256i spriteB[kSize];
    for (std::size_t r = 0; r < kSize; ++r) {
        kind[r] = _mm_load_si128(reinterpret_cast<const __m128i*>(shape.kind.data() + r * kRowPad));
        opaque[r] = _mm_cmpeq_epi8(kind[r], _mm_set1_epi8(static_cast<char>(kOpaque)));
        transparent[r] = _mm_cmpeq_epi8(kind[r], _mm_set1_epi8(static_cast<char>(kTransparent)));
        spriteA[r] =
            _mm256_load_si256(reinterpret_cast<const __m256i*>(shape.orBits.data() + r * kRowPad));
        spriteB[r] = _mm256_loadu_si256(
            reinterpret_cast<const __m256i*>(shape.orBits.data() + r * kRowPad + 2));
    }
    for (std::size_t i = n; i-- > 0;) {
        const std::int32_t x = UnpackX(positions[i]);
        const std::int32_t y = UnpackY(positions[i]);
        if (!FullyInside(x, y, width, height)) {
            BackToFrontClipped(x, y, shape, destination, state, stride);
            continue;
        }
        std::uint8_t* st =
            state + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x);
        // Open pixels are those whose state is below their kind: a saturating kind - state.
        __m128i open = zero;
        for (std::size_t r = 0; r < kSize; ++r) {
            open = _mm_or_si128(
                open,
                _mm_subs_epu8(kind[r],
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(st + r * stride))));
        }
        if (_mm_testz_si128(open, open) != 0) {
            continue;  // every pixel of this ball is already decided
        }
        core::Rgb32* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                           static_cast<std::size_t>(x);
        for (std::size_t r = 0; r < kSize; ++r, row += width) {
            __m128i* s = reinterpret_cast<__m128i*>(st + r * stride);
            const __m128i was = _mm_loadu_si128(s);
            const __m128i closed = _mm_cmpeq_epi8(_mm_subs_epu8(kind[r], was), zero);
            if (_mm_movemask_epi8(closed) == 0xFFFF) {
                continue;
            }
            const __m128i om = _mm_andnot_si128(closed, opaque[r]);
            const __m128i tm = _mm_andnot_si128(closed, transparent[r]);
            __m256i* a = reinterpret_cast<__m256i*>(row);
            __m256i va = _mm256_loadu_si256(a);
            va = _mm256_andnot_si256(_mm256_and_si256(_mm256_cvtepi8_epi32(tm), keepOutsideMask),
                                     va);
            va = _mm256_blendv_epi8(va, spriteA[r], _mm256_cvtepi8_epi32(om));
            _mm256_storeu_si256(a, va);
            __m256i* c = reinterpret_cast<__m256i*>(row + 2);
            __m256i vc = _mm256_loadu_si256(c);
            vc = _mm256_andnot_si256(
                _mm256_and_si256(_mm256_cvtepi8_epi32(_mm_srli_si128(tm, 2)), keepOutsideMask), vc);
            vc = _mm256_blendv_epi8(vc, spriteB[r], _mm256_cvtepi8_epi32(_mm_srli_si128(om, 2)));
            _mm256_storeu_si256(c, vc);
            _mm_storeu_si128(s, _mm_max_epu8(was, kind[r]));
        }
    }
}

#else

bool PositionsAvx2(const BallList& balls, int width, int height, PackedPosition* out) {
    return PositionsPortable(balls, width, height, out);
}

void DrawForwardAvx2(const BallList& balls, const SpriteShape& shape,
                     const core::PictureBox& sprite, const core::PictureBox& mask,
                     core::PictureBox& destination) {
    DrawForwardPortable(balls, shape, sprite, mask, destination);
}

void DrawBackToFrontAvx2(const PackedPosition* positions, std::size_t n, const SpriteShape& shape,
                         core::PictureBox& destination) {
    DrawBackToFrontPortable(positions, n, shape, destination);
}

#endif

}  // namespace game::detail
