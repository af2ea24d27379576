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
// alone), or else by the background ANDed with m once (AND is idempotent), or it is left alone.
// So the balls are taken from the last slot to the first, and each marks, in a byte map, the
// pixels it decides (which of its sprite pixels goes there) and the ones only ANDed; a pixel
// already decided is never marked again. Then one pass over the picture writes the marked
// pixels. The order of slots is what makes "last" well defined, so the result is exactly that of
// drawing first slot first. A ball whose pixels are all decided is found so by a few bit tests
// in a map of 4 x 4 blocks, which is how a million balls cost little more than the few thousand
// that show.

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game/ball.h"
#include "game/ball_kernels.h"
#include "game/game.h"
#include "shared/rounding.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTOR_X86_KERNELS 1
#include <immintrin.h>

#include "game/ball_pack_avx2.h"
#endif

namespace game::detail {

namespace {

constexpr int kSize = BallSize;
constexpr double kHalf = BallSize / 2.0;
constexpr std::size_t kRowPad = 16;  // entries per row in SpriteShape
constexpr std::uint8_t kOpaque = 2;
constexpr std::uint8_t kTransparent = 1;
// Balls looked at together when drawing last slot first (see Coverage::Candidates).
constexpr std::size_t kChunk = 32;

// Spreads 13 bits (pixel columns 0-12 of a row, counted from a block boundary) over four
// 16-bit lanes, one per block of four columns: bit q goes to bit 16 (q / 4) + q % 4.
struct Spreader {
    std::array<std::uint64_t, 256> low{};
    std::array<std::uint64_t, 32> high{};

    Spreader() {
        for (unsigned v = 0; v < 256; ++v) {
            low[v] = (v & 0xFu) | (static_cast<std::uint64_t>(v >> 4) << 16);
        }
        for (unsigned v = 0; v < 32; ++v) {
            high[v] = (static_cast<std::uint64_t>(v & 0xFu) << 32) |
                      (static_cast<std::uint64_t>(v >> 4) << 48);
        }
    }
    std::uint64_t operator()(unsigned bits) const { return low[bits & 0xFFu] | high[bits >> 8]; }
};

const Spreader& Spread() {
    static const Spreader spreader;
    return spreader;
}

// What drawing last slot first knows about each pixel: its mark (0 untouched, 1 ANDed with
// the transparent mask, 2 + k decided by sprite pixel k), and, per block of 4 x 4 pixels, a
// 16-bit mask of its decided pixels (bit 4 row + column). A ball whose square lies in fully
// decided blocks only is hidden, which four loads tell, before any mark is looked at.
struct Coverage {
    static constexpr int kBlock = 4;

    Coverage(int widthIn, int heightIn)
        : width(widthIn),
          height(heightIn),
          blocksWide((widthIn + kBlock - 1) / kBlock),
          blocksHigh((heightIn + kBlock - 1) / kBlock),
          // Room for a 16-byte load at any fully-inside ball; for four blocks read from any
          // block of a row, and one spare row of blocks below the last.
          stride(static_cast<std::size_t>(widthIn) + 32),
          maskStride(static_cast<std::size_t>(blocksWide) + 4) {
        static thread_local std::vector<std::uint8_t> stateStore;
        static thread_local std::vector<std::uint16_t> maskStore;
        static thread_local std::vector<std::uint8_t> doneStore;
        stateStore.assign(stride * static_cast<std::size_t>(heightIn), 0);
        maskStore.assign(maskStride * static_cast<std::size_t>(blocksHigh + 1), 0);
        doneStore.assign(
            (static_cast<std::size_t>(widthIn) * static_cast<std::size_t>(heightIn) + 7) / 8, 0);
        state = stateStore.data();
        masks = maskStore.data();
        done = doneStore.data();
    }

    std::uint8_t* StateAt(std::int32_t x, std::int32_t y) const {
        return state + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x);
    }
    std::uint16_t* MasksAt(int bx, int by) const {
        return masks + static_cast<std::size_t>(by) * maskStride + static_cast<std::size_t>(bx);
    }

    // Once one fully-inside ball at a pixel index has been marked, every pixel under it is
    // decided or ANDed, so any earlier ball at the same index has nothing left to do. Returns
    // whether a ball at `index` was seen before, and notes that one has been now.
    bool SeenBefore(PackedPosition index) {
        std::uint8_t& byte = done[index / 8];
        const auto bit = static_cast<std::uint8_t>(1u << (index % 8));
        const bool seen = (byte & bit) != 0;
        byte = static_cast<std::uint8_t>(byte | bit);
        return seen;
    }

    // Pixel (x, y) has just become decided.
    void Decided(std::int32_t x, std::int32_t y) {
        std::uint16_t& m = *MasksAt(x / kBlock, y / kBlock);
        m = static_cast<std::uint16_t>(m | (1u << (kBlock * (y % kBlock) + x % kBlock)));
    }

    // ORs four blocks' worth of decided bits (one 16-bit lane each) into blocks bx .. bx + 3
    // of block row by.
    void AddMasks(int bx, int by, std::uint64_t lanes) {
        std::uint16_t* at = MasksAt(bx, by);
        std::uint64_t word = 0;
        std::memcpy(&word, at, sizeof word);
        word |= lanes;
        std::memcpy(at, &word, sizeof word);
    }

    // True when every block under the 10 x 10 square at (x, y), fully inside, is decided.
    bool Hidden(std::int32_t x, std::int32_t y) const {
        const int bx0 = x / kBlock;
        const int by0 = y / kBlock;
        const bool fourColumns = (x + BallSize - 1) / kBlock - bx0 == 3;
        const bool fourRows = (y + BallSize - 1) / kBlock - by0 == 3;
        const std::uint16_t* at = MasksAt(bx0, by0);
        std::uint64_t w0 = 0;
        std::uint64_t w1 = 0;
        std::uint64_t w2 = 0;
        std::uint64_t w3 = 0;
        std::memcpy(&w0, at, sizeof w0);
        std::memcpy(&w1, at + maskStride, sizeof w1);
        std::memcpy(&w2, at + 2 * maskStride, sizeof w2);
        std::memcpy(&w3, at + 3 * maskStride, sizeof w3);
        const std::uint64_t unused =
            fourColumns ? 0 : std::uint64_t{0xFFFF} << 48;  // a fourth block not under it
        const std::uint64_t all = w0 & w1 & w2 & (fourRows ? w3 : ~std::uint64_t{0});
        return (all | unused) == ~std::uint64_t{0};
    }

    // Of the balls at positions[lo] to positions[hi - 1], last slot first, writes to `out` those
    // that may still change a pixel (a fully-inside ball not seen at its position before and
    // not hidden, or a clipped ball), and fetches the marks of the fully-inside ones ahead of
    // use. Returns how many. A ball passed over here would be passed over when its turn comes
    // as well: marking the balls before it only decides more pixels.
    std::size_t Candidates(const PackedPosition* positions, std::size_t lo, std::size_t hi,
                           PackedPosition* out) {
        std::size_t count = 0;
        for (std::size_t i = hi; i-- > lo;) {
            const PackedPosition p = positions[i];
            if ((p & kClippedBall) == 0) {
                if (SeenBefore(p)) {
                    continue;
                }
                const auto y = static_cast<std::int32_t>(p / static_cast<PackedPosition>(width));
                const std::int32_t x = static_cast<std::int32_t>(p) - y * width;
                if (Hidden(x, y)) {
                    continue;
                }
                const std::uint8_t* st = StateAt(x, y);
                for (int r = 0; r < BallSize; ++r, st += stride) {
                    __builtin_prefetch(st, 1);
                }
            }
            out[count++] = p;
        }
        return count;
    }

    int width;
    int height;
    int blocksWide;
    int blocksHigh;
    std::size_t stride;
    std::size_t maskStride;
    std::uint8_t* state;
    std::uint16_t* masks;
    std::uint8_t* done;
};

// Gathers the pixels one fully-inside ball decides, row by row, and ORs them into the block
// masks once per row of blocks.
class BallBlocks {
  public:
    BallBlocks(Coverage& coverage, std::int32_t x, std::int32_t y)
        : coverage_(coverage),
          bx_(x / Coverage::kBlock),
          shift_(x % Coverage::kBlock),
          by_(y / Coverage::kBlock),
          row_(y % Coverage::kBlock) {}
    ~BallBlocks() { Flush(); }
    BallBlocks(const BallBlocks&) = delete;
    BallBlocks& operator=(const BallBlocks&) = delete;

    // The next pixel row of the ball: bit c for its column c decided.
    void Row(unsigned decided) {
        lanes_ |= Spread()(decided << shift_) << (Coverage::kBlock * row_);
        if (++row_ == Coverage::kBlock) {
            Flush();
            row_ = 0;
            ++by_;
        }
    }

  private:
    void Flush() {
        if (lanes_ != 0) {
            coverage_.AddMasks(bx_, by_, lanes_);
            lanes_ = 0;
        }
    }

    Coverage& coverage_;
    int bx_;
    int shift_;
    int by_;
    int row_;
    std::uint64_t lanes_ = 0;
};

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

// The two blits of one ball, by the picture's own clipped BitBlt.
void BlitPlain(std::int32_t x, std::int32_t y, const core::PictureBox& sprite,
               const core::PictureBox& mask, core::PictureBox& destination) {
    destination.BitBlt(x, y, BallSize, BallSize, mask, 0, 0, core::RasterOp::SrcAnd);
    destination.BitBlt(x, y, BallSize, BallSize, sprite, 0, 0, core::RasterOp::SrcPaint);
}

// Marks one ball, last slot first, pixel by pixel: for balls crossing the picture's edge.
void MarkClipped(std::int32_t x, std::int32_t y, const SpriteShape& shape, Coverage& coverage) {
    for (int r = 0; r < kSize; ++r) {
        const int py = y + r;
        if (py < 0 || py >= coverage.height) {
            continue;
        }
        for (int c = 0; c < kSize; ++c) {
            const int px = x + c;
            if (px < 0 || px >= coverage.width) {
                continue;
            }
            const std::size_t k =
                static_cast<std::size_t>(r) * kRowPad + static_cast<std::size_t>(c);
            std::uint8_t& st = *coverage.StateAt(px, py);
            if (st >= shape.kind[k]) {
                continue;
            }
            st = shape.mark[k];
            if (shape.kind[k] == kOpaque) {
                coverage.Decided(px, py);
            }
        }
    }
}

// Writes the marked pixels into the picture, from column `from` of every row on.
void ResolveFrom(int from, const SpriteShape& shape, const Coverage& coverage,
                 core::PictureBox& destination) {
    core::Rgb32* pixels = destination.Image().data();
    for (int y = 0; y < coverage.height; ++y) {
        const std::uint8_t* st = coverage.StateAt(0, y);
        core::Rgb32* v =
            pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(coverage.width);
        for (int x = from; x < coverage.width; ++x) {
            const std::uint8_t mark = st[x];
            if (mark >= 2) {
                v[x] = shape.spriteByIndex[mark - 2u];
            } else if (mark == 1) {
                v[x] &= shape.transparentMask;
            }
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
                shape.mark[k] = 0;
                continue;
            }
            const std::uint32_t mv = mask.PixelAt(c, r);
            const std::uint32_t sv = sprite.PixelAt(c, r);
            shape.andBits[k] = mv;
            shape.orBits[k] = sv;
            if (mv == 0 && (sv & ~m) == 0) {
                shape.kind[k] = kOpaque;
                shape.mark[k] = static_cast<std::uint8_t>(2 + kSize * r + c);
                shape.spriteByIndex[static_cast<std::size_t>(kSize * r + c)] = sv;
            } else if (mv == m && sv == 0) {
                shape.kind[k] = kTransparent;
                shape.mark[k] = 1;
            } else {
                shape.twoKinds = false;
            }
        }
    }
    return shape;
}

bool PackBall(float x, float y, int width, int height, PackedPosition& out) {
    std::int32_t px = 0;
    std::int32_t py = 0;
    if (!RoundPosition(x, px) || !RoundPosition(y, py)) {
        return false;
    }
    out = Pack(px, py, width, height);
    return true;
}

bool PositionsPortable(const BallList& balls, int width, int height, PackedPosition* out) {
    const BallList::ConstColumns b = balls.Raw();
    for (std::size_t i = 0; i < balls.size(); ++i) {
        if (!PackBall(b.X[i], b.Y[i], width, height, out[i])) {
            return false;
        }
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
    Coverage coverage(width, height);
    PackedPosition candidates[kChunk];
    for (std::size_t hi = n; hi > 0;) {
        const std::size_t lo = hi > kChunk ? hi - kChunk : 0;
        const std::size_t count = coverage.Candidates(positions, lo, hi, candidates);
        hi = lo;
        for (std::size_t k = 0; k < count; ++k) {
            const PackedPosition p = candidates[k];
            if ((p & kClippedBall) != 0) {
                MarkClipped(ClippedX(p), ClippedY(p), shape, coverage);
                continue;
            }
            const auto y = static_cast<std::int32_t>(p / static_cast<PackedPosition>(width));
            const std::int32_t x = static_cast<std::int32_t>(p) - y * width;
            BallBlocks blocks(coverage, x, y);
            for (std::size_t r = 0; r < kSize; ++r) {
                const std::int32_t py = y + static_cast<std::int32_t>(r);
                std::uint8_t* st = coverage.StateAt(x, py);
                const std::uint8_t* kind = shape.kind.data() + r * kRowPad;
                const std::uint8_t* mark = shape.mark.data() + r * kRowPad;
                unsigned decided = 0;
                for (std::size_t c = 0; c < kSize; ++c) {
                    if (st[c] < kind[c]) {
                        st[c] = mark[c];
                        decided |= kind[c] == kOpaque ? 1u << c : 0u;
                    }
                }
                blocks.Row(decided);
            }
        }
    }
    ResolveFrom(0, shape, coverage, destination);
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

__attribute__((target("avx2"))) void DrawBackToFrontAvx2(const PackedPosition* positions,
                                                         std::size_t n, const SpriteShape& shape,
                                                         core::PictureBox& destination) {
    const int width = destination.Width();
    const int height = destination.Height();
    Coverage coverage(width, height);
    const __m128i zero = _mm_setzero_si128();
    __m128i kind[kSize];
    __m128i mark[kSize];
    __m128i opaque[kSize];
    for (std::size_t r = 0; r < kSize; ++r) {
        kind[r] = _mm_load_si128(reinterpret_cast<const __m128i*>(shape.kind.data() + r * kRowPad));
        mark[r] = _mm_load_si128(reinterpret_cast<const __m128i*>(shape.mark.data() + r * kRowPad));
        opaque[r] = _mm_cmpeq_epi8(kind[r], _mm_set1_epi8(static_cast<char>(kOpaque)));
    }
    PackedPosition candidates[kChunk];
    for (std::size_t hi = n; hi > 0;) {
        const std::size_t lo = hi > kChunk ? hi - kChunk : 0;
        const std::size_t count = coverage.Candidates(positions, lo, hi, candidates);
        hi = lo;
        for (std::size_t k = 0; k < count; ++k) {
            const PackedPosition p = candidates[k];
            if ((p & kClippedBall) != 0) {
                MarkClipped(ClippedX(p), ClippedY(p), shape, coverage);
                continue;
            }
            const auto y = static_cast<std::int32_t>(p / static_cast<PackedPosition>(width));
            const std::int32_t x = static_cast<std::int32_t>(p) - y * width;
            // Every row is marked whether or not it has anything open: storing the marks back
            // unchanged costs less than a branch that cannot be foreseen.
            std::uint8_t* st = coverage.StateAt(x, y);
            BallBlocks blocks(coverage, x, y);
            for (std::size_t r = 0; r < kSize; ++r, st += coverage.stride) {
                __m128i* at = reinterpret_cast<__m128i*>(st);
                const __m128i was = _mm_loadu_si128(at);
                // Open pixels are those whose mark is below their kind: a saturating
                // kind - mark.
                const __m128i closed = _mm_cmpeq_epi8(_mm_subs_epu8(kind[r], was), zero);
                _mm_storeu_si128(at, _mm_blendv_epi8(mark[r], was, closed));
                blocks.Row(
                    static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(closed, opaque[r]))));
            }
        }
    }

    // The picture, eight pixels at a time: decided pixels take their sprite pixel, ANDed ones
    // the transparent mask, the rest stay.
    core::Rgb32* pixels = destination.Image().data();
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i two = _mm256_set1_epi32(2);
    const __m256i outsideMask = _mm256_set1_epi32(static_cast<int>(~shape.transparentMask));
    const auto* table = reinterpret_cast<const int*>(shape.spriteByIndex.data());
    const int wide = width - width % 8;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* st = coverage.StateAt(0, y);
        core::Rgb32* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (int x = 0; x < wide; x += 8) {
            const __m128i marks = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(st + x));
            if (_mm_testz_si128(marks, marks) != 0) {
                continue;
            }
            const __m256i m = _mm256_cvtepu8_epi32(marks);
            const __m256i decided = _mm256_cmpgt_epi32(m, one);
            const __m256i anded = _mm256_cmpeq_epi32(m, one);
            __m256i* at = reinterpret_cast<__m256i*>(row + x);
            __m256i v = _mm256_loadu_si256(at);
            v = _mm256_mask_i32gather_epi32(v, table, _mm256_sub_epi32(m, two), decided, 4);
            v = _mm256_andnot_si256(_mm256_and_si256(anded, outsideMask), v);
            _mm256_storeu_si256(at, v);
        }
    }
    if (wide < width) {
        ResolveFrom(wide, shape, coverage, destination);
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
