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
// drawing first slot first. A ball whose pixels are all decided is passed over after one bit
// test (see Coverage::done), which is how a million balls cost little more than the few
// thousand that show. Below some tens of thousands of balls the marks and the pass over the
// whole picture cost more than they save, so DrawBalls draws first slot first there.
//
// The same marks split the work between threads: the balls of each run of slots are marked
// into a cover of their own, and a pixel's marks combine from the latest run down (a decision
// of a later run stands; otherwise the earlier runs' decision, or an AND by any of them).
//
// This file holds the portable kernels and the parts the AVX2 ones share; ball_draw_avx2.cpp
// and ball_cover_avx2.cpp hold those.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_kernels.h"
#include "shared/rounding.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTOR_X86_KERNELS 1
#include <immintrin.h>

#include "game/balls/internal/ball_pack_avx2.h"
#endif

namespace game::detail {

namespace {

constexpr int kSize = BallSize;
constexpr double kHalf = BallSize / 2.0;
constexpr std::size_t kRowPad = kSpriteRowPad;
constexpr std::uint8_t kOpaque = kOpaquePixel;
constexpr std::uint8_t kTransparent = kTransparentPixel;

// What drawing last slot first knows about the picture. Per pixel, a mark: 0 untouched, 1 ANDed
// with the transparent mask, 2 + i decided, with palette colour i. The marks are only written
// while balls are taken (and read once at the end, to write the picture); the decisions are
// made on three bitmaps of one bit per pixel, small enough to stay in the processor's cache:
//   - decided: the pixel's final colour is known (a later ball covers it opaquely);
//   - anded: the pixel has been ANDed with the transparent mask (or is decided);
//   - done: for a position, a fully-inside ball there needs no drawing. Once one ball at a
//     position has been marked, every pixel under it is decided or ANDed, so any earlier ball
//     at the same position has nothing left to do; and whenever a run of balls turned out to
//     have nothing left to do, the positions whose whole 10 x 10 square is decided are found
//     from the decided bitmap, a few hundred thousand at a time with shifts and ANDs of 64-bit
//     words.
// Rows of the bitmaps are read and written 64 bits at a time at the byte holding a pixel, so
// each has a spare word at its end.
struct Coverage {
    Coverage(int widthIn, int heightIn, Cover cover)
        : width(widthIn),
          height(heightIn),
          stride(StrideOf(widthIn)),
          words(WordsOf(widthIn)),
          clippedWide(static_cast<std::size_t>(widthIn) + 2 * kPinMargin + 1) {
        const std::size_t plane = words * static_cast<std::size_t>(heightIn);
        marks = cover.marks;
        decided = cover.bits;
        anded = decided + plane;
        done = anded + plane;
        scratch = done + plane;
        clippedDone = scratch + kScratchRows * words;
    }

    static std::size_t StrideOf(int width) { return static_cast<std::size_t>(width) + 32; }
    static std::size_t WordsOf(int width) { return static_cast<std::size_t>(width + 63) / 64 + 1; }
    static CoverSize SizeOf(int width, int height) {
        const auto h = static_cast<std::size_t>(height);
        const std::size_t words = WordsOf(width);
        const std::size_t clippedWords =
            ((static_cast<std::size_t>(width) + 2 * kPinMargin + 1) * (h + 2 * kPinMargin + 1) +
             63) /
            64;
        return {StrideOf(width) * h, 3 * words * h + kScratchRows * words + clippedWords};
    }

    std::uint8_t* MarksAt(std::int32_t x, std::int32_t y) const {
        return marks + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x);
    }
    // The byte of row y of a bitmap that holds pixel x's bit (bit x % 8).
    std::uint8_t* BitsAt(std::uint64_t* plane, std::int32_t x, std::int32_t y) const {
        return reinterpret_cast<std::uint8_t*>(plane + static_cast<std::size_t>(y) * words) + x / 8;
    }
    static std::uint64_t Load(const std::uint8_t* at) {
        std::uint64_t v = 0;
        std::memcpy(&v, at, sizeof v);
        return v;
    }
    static void Store(std::uint8_t* at, std::uint64_t v) { std::memcpy(at, &v, sizeof v); }

    bool Done(std::int32_t x, std::int32_t y) const {
        return ((static_cast<unsigned>(*BitsAt(done, x, y)) >> (x % 8)) & 1u) != 0;
    }
    // The same for balls crossing an edge, at the pinned positions they are kept at. Returns
    // whether one was marked at the position before, and notes that one has been now.
    bool ClippedSeen(std::int32_t x, std::int32_t y) {
        const std::size_t bit = static_cast<std::size_t>(y + kPinMargin) * clippedWide +
                                static_cast<std::size_t>(x + kPinMargin);
        std::uint64_t& word = clippedDone[bit / 64];
        const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
        const bool seen = (word & mask) != 0;
        word |= mask;
        return seen;
    }

    void SetDone(std::int32_t x, std::int32_t y) {
        std::uint8_t* at = BitsAt(done, x, y);
        *at = static_cast<std::uint8_t>(*at | (1u << (x % 8)));
    }

    // Sets the done bit of every fully-inside position whose 10 x 10 square is decided:
    // first, per row, the positions followed by ten decided pixels (runs of 2, 4, 8, and 8 + 2
    // by shifting and ANDing whole rows); then, per position, ten such rows running down.
    void FindHidden() {
        const int lastX = width - BallSize;
        const int lastY = height - BallSize;
        const std::size_t used = words - 1;  // the last word of a row is the spare one
        std::uint64_t* two = scratch;
        std::uint64_t* four = two + words;
        two[used] = 0;
        four[used] = 0;
        // Positions of fully-inside balls in each word.
        std::uint64_t inside[kMostWords];
        for (std::size_t w = 0; w < used; ++w) {
            const int keep = lastX + 1 - static_cast<int>(w) * 64;
            inside[w] =
                keep <= 0 ? 0 : (keep >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << keep) - 1);
        }
        for (int y = 0; y < height; ++y) {
            const std::uint64_t* d = decided + static_cast<std::size_t>(y) * words;
            std::uint64_t* ten = RunsOf(y);
            for (std::size_t w = 0; w < used; ++w) {
                two[w] = d[w] & ((d[w] >> 1) | (d[w + 1] << 63));
            }
            for (std::size_t w = 0; w < used; ++w) {
                four[w] = two[w] & ((two[w] >> 2) | (two[w + 1] << 62));
            }
            for (std::size_t w = 0; w < used; ++w) {
                const std::uint64_t eight = four[w] & ((four[w] >> 4) | (four[w + 1] << 60));
                ten[w] = eight & ((two[w] >> 8) | (two[w + 1] << 56));
            }
            const int topRow = y - (BallSize - 1);
            if (topRow < 0 || topRow > lastY) {
                continue;
            }
            const std::uint64_t* rows[BallSize];
            for (int k = 0; k < BallSize; ++k) {
                rows[k] = RunsOf(topRow + k);
            }
            std::uint64_t* hidden = done + static_cast<std::size_t>(topRow) * words;
            for (std::size_t w = 0; w < used; ++w) {
                std::uint64_t all = inside[w];
                for (int k = 0; k < BallSize; ++k) {
                    all &= rows[k][w];
                }
                hidden[w] |= all;
            }
        }
    }

    std::uint64_t* RunsOf(int y) const {
        return scratch + static_cast<std::size_t>(2 + y % kRunRows) * words;
    }

    // Enough 64-bit words for a row of kMostPackedSize pixels.
    static constexpr std::size_t kMostWords = (kMostPackedSize + 63) / 64 + 1;
    static constexpr int kRunRows = 16;  // at least BallSize
    static constexpr int kScratchRows = kRunRows + 2;

    int width;
    int height;
    std::size_t stride;
    std::size_t words;
    std::uint8_t* marks;
    std::uint64_t* decided;
    std::uint64_t* anded;
    std::uint64_t* done;
    std::uint64_t* scratch;
    std::uint64_t* clippedDone;
    std::size_t clippedWide;
};

// The opaque and transparent pixels of each sprite row, bit c for column c.
struct RowBits {
    unsigned opaque[BallSize];
    unsigned transparent[BallSize];
};

RowBits RowBitsOf(const SpriteShape& shape) {
    RowBits bits{};
    for (std::size_t r = 0; r < kSize; ++r) {
        for (std::size_t c = 0; c < kSize; ++c) {
            const std::uint8_t kind = shape.kind[r * kRowPad + c];
            bits.opaque[r] |= kind == kOpaque ? 1u << c : 0u;
            bits.transparent[r] |= kind == kTransparent ? 1u << c : 0u;
        }
    }
    return bits;
}

// Marks one ball crossing the picture's edge, last slot first: its rows inside the picture,
// cut to the columns inside it.
void MarkClipped(std::int32_t x, std::int32_t y, const SpriteShape& shape, const RowBits& bits,
                 Coverage& coverage) {
    if (coverage.ClippedSeen(x, y)) {
        return;
    }
    const int first = std::max(0, -x);                     // first column inside
    const int last = std::min(kSize, coverage.width - x);  // one past the last
    if (first >= last) {
        return;
    }
    const unsigned columns = ((1u << last) - 1) & ~((1u << first) - 1);
    const std::int32_t px = x + first;
    const int shift = px % 8;
    for (int r = std::max(0, -y); r < std::min(kSize, coverage.height - y); ++r) {
        std::uint8_t* d = coverage.BitsAt(coverage.decided, px, y + r);
        std::uint8_t* a = coverage.BitsAt(coverage.anded, px, y + r);
        const std::uint64_t dw = Coverage::Load(d);
        const std::uint64_t aw = Coverage::Load(a);
        const auto known = static_cast<unsigned>(dw >> shift);
        const auto was = static_cast<unsigned>(aw >> shift);
        const unsigned opaque = ((bits.opaque[r] & columns) >> first) & ~known;
        const unsigned transparent = ((bits.transparent[r] & columns) >> first) & ~(known | was);
        Coverage::Store(d, dw | (static_cast<std::uint64_t>(opaque) << shift));
        Coverage::Store(a, aw | (static_cast<std::uint64_t>(transparent) << shift));
        std::uint8_t* m = coverage.MarksAt(px, y + r);
        const std::uint8_t* mark = shape.mark + static_cast<std::size_t>(r) * kRowPad + first;
        for (unsigned open = opaque | transparent; open != 0; open &= open - 1) {
            const int c = std::countr_zero(open);
            m[c] = mark[c];
        }
    }
}

// Marks one fully-inside ball, last slot first. Rows with nothing open are left alone: most
// rows of a ball that shows at all are covered already. Returns whether any row was open.
bool MarkInside(std::int32_t x, std::int32_t y, const SpriteShape& shape, const RowBits& bits,
                Coverage& coverage) {
    const int shift = x % 8;
    bool any = false;
    for (int r = 0; r < kSize; ++r) {
        std::uint8_t* d = coverage.BitsAt(coverage.decided, x, y + r);
        std::uint8_t* a = coverage.BitsAt(coverage.anded, x, y + r);
        const std::uint64_t dw = Coverage::Load(d);
        const std::uint64_t aw = Coverage::Load(a);
        const auto known = static_cast<unsigned>(dw >> shift);
        const unsigned opaque = bits.opaque[r] & ~known;
        const unsigned transparent =
            bits.transparent[r] & ~(known | static_cast<unsigned>(aw >> shift));
        const unsigned open = opaque | transparent;
        if (open == 0) {
            continue;
        }
        any = true;
        Coverage::Store(d, dw | (static_cast<std::uint64_t>(opaque) << shift));
        Coverage::Store(a, aw | (static_cast<std::uint64_t>(transparent) << shift));
        std::uint8_t* m = coverage.MarksAt(x, y + r);
        const std::uint8_t* mark = shape.mark + static_cast<std::size_t>(r) * kRowPad;
        for (unsigned left = open; left != 0; left &= left - 1) {
            const int c = std::countr_zero(left);
            m[c] = mark[c];
        }
    }
    coverage.SetDone(x, y);
    return any;
}

// Marks every ball, last slot first, the portable way.
void MarkAll(const PackedPosition* positions, std::size_t n, const SpriteShape& shape,
             Coverage& coverage) {
    const RowBits bits = RowBitsOf(shape);
    const std::size_t findHiddenAfter = std::max<std::size_t>(Options().findHiddenAfter, 1);
    const int columnBits = ColumnBits(coverage.width);
    const PackedPosition columnMask = (1u << columnBits) - 1;
    std::size_t wasted = 0;
    for (std::size_t i = n; i-- > 0;) {
        const PackedPosition p = positions[i];
        if ((p & kClippedBall) != 0) {
            MarkClipped(ClippedX(p), ClippedY(p), shape, bits, coverage);
            continue;
        }
        const auto x = static_cast<std::int32_t>(p & columnMask);
        const auto y = static_cast<std::int32_t>(p >> columnBits);
        if (coverage.Done(x, y)) {
            continue;
        }
        if (!MarkInside(x, y, shape, bits, coverage) && ++wasted == findHiddenAfter) {
            coverage.FindHidden();
            wasted = 0;
        }
    }
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

// The index of colour v in the shape's palette, which it joins if new.
int PaletteIndex(SpriteShape& shape, std::uint32_t v) {
    for (int i = 0; i < shape.paletteSize; ++i) {
        if (shape.palette[static_cast<std::size_t>(i)] == v) {
            return i;
        }
    }
    shape.palette[static_cast<std::size_t>(shape.paletteSize)] = v;
    return shape.paletteSize++;
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
                shape.mark[k] = static_cast<std::uint8_t>(2 + PaletteIndex(shape, sv));
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

void DrawOnePlain(const BallList::ConstColumns& b, std::size_t i, const core::PictureBox& sprite,
                  const core::PictureBox& mask, core::PictureBox& destination) {
    // RoundToInt32 raises the conversion error at this ball, as the rules do.
    const std::int32_t x = core::RoundToInt32(static_cast<double>(b.X[i]) - kHalf);
    const std::int32_t y = core::RoundToInt32(static_cast<double>(b.Y[i]) - kHalf);
    destination.BitBlt(x, y, BallSize, BallSize, mask, 0, 0, core::RasterOp::SrcAnd);
    destination.BitBlt(x, y, BallSize, BallSize, sprite, 0, 0, core::RasterOp::SrcPaint);
}

bool portable::Positions(const BallList::ConstColumns& b, std::size_t n, int width, int height,
                         PackedPosition* out) {
    for (std::size_t i = 0; i < n; ++i) {
        if (!PackBall(b.X[i], b.Y[i], width, height, out[i])) {
            return false;
        }
    }
    return true;
}

void portable::DrawForward(const BallList::ConstColumns& b, std::size_t n, const SpriteShape& shape,
                           const core::PictureBox& sprite, const core::PictureBox& mask,
                           core::PictureBox& destination) {
    const int width = destination.Width();
    const int height = destination.Height();
    for (std::size_t i = 0; i < n; ++i) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!shape.blittable || !RoundPosition(b.X[i], x) || !RoundPosition(b.Y[i], y) ||
            !FullyInside(x, y, width, height)) {
            DrawOnePlain(b, i, sprite, mask, destination);
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

CoverSize portable::CoverSizeOf(int width, int height) {
    return Coverage::SizeOf(width, height);
}

void portable::Mark(const PackedPosition* positions, std::size_t n, const SpriteShape& shape,
                    int width, int height, Cover cover) {
    Coverage coverage(width, height, cover);
    MarkAll(positions, n, shape, coverage);
}

void portable::Resolve(Cover* covers, std::size_t count, const SpriteShape& shape, Canvas canvas) {
    const std::size_t stride = Coverage::StrideOf(canvas.width);
    for (int y = 0; y < canvas.height; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * stride;
        std::uint8_t* top = covers[count - 1].marks + at;
        // The marks of earlier runs of slots count where the later ones decided nothing.
        for (std::size_t k = count - 1; k-- > 0;) {
            const std::uint8_t* below = covers[k].marks + at;
            for (int x = 0; x < canvas.width; ++x) {
                if (top[x] < 2) {
                    top[x] = std::max(top[x], below[x]);
                }
            }
        }
        core::Rgb32* v =
            canvas.pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.width);
        for (int x = 0; x < canvas.width; ++x) {
            const std::uint8_t mark = top[x];
            if (mark >= 2) {
                v[x] = shape.palette[mark - 2u];
            } else if (mark == 1) {
                v[x] &= shape.transparentMask;
            }
        }
    }
}

}  // namespace game::detail
