// Drawing many balls last slot first, with AVX2 (compiled for AVX2; the idea is described in
// ball_draw.cpp).
//
// The bookkeeping here is laid out for the shape of a ball rather than for the picture's rows.
// The picture, with a margin of kPinMargin pixels on every side, is cut into bands of eight
// rows, and each bitmap holds one byte per column of a band, bit k for the band's row k. A
// ball's ten columns in a band are then ten consecutive bytes, fetched and updated with one
// 16-byte load and store, and a ball touches at most three bands: six loads and six stores in
// a few cache lines decide what is left of it, where a row-by-row bitmap needs twenty loads in
// twenty lines. The marks follow the same order (per band and column, eight bytes, one per
// row), so a ball's marks in a band are 80 consecutive bytes; the final pass turns each 8 x 8
// block back into rows. Balls that cross the picture's edge need no special case: their
// pixels outside the picture fall in the margin, which the final pass leaves out.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_kernels.h"

namespace game::detail {

namespace {

// std::min is shared inline code, which this file may not copy out (see ball_kernels.h).
int Least(int a, int b) {
    return a < b ? a : b;
}

constexpr int kSize = BallSize;
constexpr int kBand = 8;
static_assert(kPinMargin % kBand == 0, "the margin must be whole bands");
constexpr int kMarginBands = kPinMargin / kBand;
constexpr std::size_t kRowPad = kSpriteRowPad;
constexpr std::uint8_t kOpaque = kOpaquePixel;
constexpr std::uint8_t kTransparent = kTransparentPixel;
// Bytes after each plane that wide loads at its last columns may read.
constexpr std::size_t kSlack = 64;

// A ball's pixels in the bands it touches, for each of the eight rows within a band it can
// start at: per band (0 to 2) and column, which of the band's rows are opaque pixels of the
// ball and which transparent, and the marks of its pixels (column-major, eight per column).
struct BandShape {
    alignas(16) std::uint8_t opaque[kBand][3][16];
    alignas(16) std::uint8_t transparent[kBand][3][16];
    alignas(32) std::uint8_t mark[kBand][3][96];
};

BandShape BandShapeOf(const SpriteShape& shape) {
    BandShape b{};
    for (int s = 0; s < kBand; ++s) {
        for (int j = 0; j < 3; ++j) {
            for (int c = 0; c < kSize; ++c) {
                for (int k = 0; k < kBand; ++k) {
                    const int r = j * kBand + k - s;
                    if (r < 0 || r >= kSize) {
                        continue;
                    }
                    const std::size_t at =
                        static_cast<std::size_t>(r) * kRowPad + static_cast<std::size_t>(c);
                    const auto bit = static_cast<std::uint8_t>(1u << k);
                    if (shape.kind[at] == kOpaque) {
                        b.opaque[s][j][c] |= bit;
                    } else if (shape.kind[at] == kTransparent) {
                        b.transparent[s][j][c] |= bit;
                    }
                    b.mark[s][j][c * kBand + k] = shape.mark[at];
                }
            }
        }
    }
    return b;
}

// Per 16-bit lane w (a band's column in the low byte, the next band's in the high one): bit
// k set when rows k to k + 9 are all set, for k = 0 to 6; bit 7 when rows 7 to 15 are (row 16
// lies in a third band).
inline __m256i TenDown(__m256i w) {
    const __m256i r2 = _mm256_and_si256(w, _mm256_srli_epi16(w, 1));
    const __m256i r4 = _mm256_and_si256(r2, _mm256_srli_epi16(r2, 2));
    const __m256i r8 = _mm256_and_si256(r4, _mm256_srli_epi16(r4, 4));
    const __m256i r10 = _mm256_and_si256(r8, _mm256_srli_epi16(r2, 8));
    const __m256i r9 = _mm256_and_si256(r8, _mm256_srli_epi16(w, 8));
    return _mm256_or_si256(_mm256_and_si256(r10, _mm256_set1_epi16(0x7F)),
                           _mm256_and_si256(r9, _mm256_set1_epi16(0x80)));
}

// out[x] = in[x] & in[x + shift] for x in [0, count), count a multiple of 32.
inline void AndShifted(std::uint8_t* out, const std::uint8_t* in, std::size_t shift,
                       std::size_t count) {
    for (std::size_t x = 0; x < count; x += 32) {
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out + x),
            _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + x)),
                             _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + x + shift))));
    }
}

struct BandCoverage {
    BandCoverage(int widthIn, int heightIn, Cover cover)
        : width(widthIn), height(heightIn), pitch(PitchOf(widthIn)), bands(BandsOf(heightIn)) {
        const std::size_t plane = bands * pitch + kSlack;
        decided = reinterpret_cast<std::uint8_t*>(cover.bits);
        anded = decided + plane;
        done = anded + plane;
        runs = done + plane;
        marks = cover.marks;
    }

    // Columns of ball corners run from 0 to width + 2 * margin; a ball reaches 9 further and a
    // load 15. Whole 32-byte chunks keep the hidden-position search simple.
    static std::size_t PitchOf(int width) {
        return (static_cast<std::size_t>(width) + 2 * kPinMargin + 16 + 31) / 32 * 32;
    }
    // Corner rows run to height + 2 * margin, and a ball reaches into two more bands.
    static std::size_t BandsOf(int height) {
        return static_cast<std::size_t>(height + 2 * kPinMargin) / kBand + 3;
    }
    static CoverSize SizeOf(int width, int height) {
        const std::size_t pitch = PitchOf(width);
        const std::size_t bands = BandsOf(height);
        const std::size_t bitBytes = 3 * (bands * pitch + kSlack) + 4 * (pitch + kSlack);
        return {bands * pitch * kBand + kSlack, (bitBytes + 7) / 8};
    }

    // Where a ball with its top-left pixel at (x, y) starts in the bitmaps, and its first row
    // within that band.
    std::size_t At(std::int32_t x, std::int32_t y, int& row) const {
        const auto yy = static_cast<std::size_t>(y + kPinMargin);
        row = static_cast<int>(yy % kBand);
        return yy / kBand * pitch + static_cast<std::size_t>(x + kPinMargin);
    }

    // Sets the done bit of every position whose 10 x 10 square is decided: per band, the
    // columns with ten decided rows from each of the band's rows (16-bit lanes over two bands,
    // with the third band's first row for the last start row), then the positions followed by
    // ten such columns.
    void FindHidden() {
        std::uint8_t* column = runs;
        std::uint8_t* two = column + pitch + kSlack;
        std::uint8_t* four = two + pitch + kSlack;
        std::uint8_t* eight = four + pitch + kSlack;
        const __m256i notTop = _mm256_set1_epi8(0x7F);
        const __m256i top = _mm256_set1_epi8(static_cast<char>(0x80));
        for (std::size_t g = 0; g + 2 < bands; ++g) {
            const std::uint8_t* d = decided + g * pitch;
            for (std::size_t x = 0; x < pitch; x += 32) {
                const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + x));
                const __m256i b =
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + pitch + x));
                const __m256i c =
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + 2 * pitch + x));
                const __m256i lo = TenDown(_mm256_unpacklo_epi8(a, b));
                const __m256i hi = TenDown(_mm256_unpackhi_epi8(a, b));
                const __m256i thirdFirst = _mm256_and_si256(_mm256_slli_epi16(c, 7), top);
                const __m256i runsDown = _mm256_and_si256(_mm256_packus_epi16(lo, hi),
                                                          _mm256_or_si256(notTop, thirdFirst));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(column + x), runsDown);
            }
            AndShifted(two, column, 1, pitch);
            AndShifted(four, two, 2, pitch);
            AndShifted(eight, four, 4, pitch);
            // Ten columns: eight, then two more.
            std::uint8_t* hidden = done + g * pitch;
            for (std::size_t x = 0; x < pitch; x += 32) {
                const __m256i ten = _mm256_and_si256(
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(eight + x)),
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(two + x + 8)));
                auto* h = reinterpret_cast<__m256i*>(hidden + x);
                _mm256_storeu_si256(h, _mm256_or_si256(_mm256_loadu_si256(h), ten));
            }
        }
    }

    int width;
    int height;
    std::size_t pitch;
    std::size_t bands;
    std::uint8_t* decided;
    std::uint8_t* anded;
    std::uint8_t* done;
    std::uint8_t* runs;  // four rows of scratch for FindHidden
    std::uint8_t* marks;
};

// Per 32-bit lane, b where the lane's top bit is set, else a.
inline __m256i Select(__m256i a, __m256i b, __m256i top) {
    return _mm256_castps_si256(
        _mm256_blendv_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), _mm256_castsi256_ps(top)));
}

// Writes eight pixels from their marks: decided pixels take their palette colour, ANDed ones
// the transparent mask, the rest stay. Palettes of up to 32 colours are looked up with four
// permutes, larger ones with a gather.
struct Resolver {
    explicit Resolver(const SpriteShape& shape)
        : table(reinterpret_cast<const int*>(shape.palette)),
          permutes(shape.paletteSize <= 32),
          p0(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(table))),
          p1(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(table + 8))),
          p2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(table + 16))),
          p3(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(table + 24))),
          outsideMask(_mm256_set1_epi32(static_cast<int>(~shape.transparentMask))) {}

    void Eight(core::Rgb32* pixels, __m128i marks) const {
        if (_mm_testz_si128(marks, marks) != 0) {
            return;
        }
        const __m256i one = _mm256_set1_epi32(1);
        const __m256i m = _mm256_cvtepu8_epi32(marks);
        const __m256i decided = _mm256_cmpgt_epi32(m, one);
        const __m256i anded = _mm256_cmpeq_epi32(m, one);
        const __m256i index = _mm256_sub_epi32(m, _mm256_set1_epi32(2));
        auto* at = reinterpret_cast<__m256i*>(pixels);
        __m256i v;
        if (permutes) {
            // Bits 0-2 pick within eight colours, bits 3 and 4 pick the eight.
            const __m256i low =
                Select(_mm256_permutevar8x32_epi32(p0, index),
                       _mm256_permutevar8x32_epi32(p1, index), _mm256_slli_epi32(index, 28));
            const __m256i high =
                Select(_mm256_permutevar8x32_epi32(p2, index),
                       _mm256_permutevar8x32_epi32(p3, index), _mm256_slli_epi32(index, 28));
            const __m256i colour = Select(low, high, _mm256_slli_epi32(index, 27));
            if (_mm256_movemask_ps(_mm256_castsi256_ps(decided)) == 0xFF) {
                // All eight decided: what lies below does not matter, so it is not read.
                _mm256_storeu_si256(at, colour);
                return;
            }
            v = _mm256_blendv_epi8(_mm256_loadu_si256(at), colour, decided);
        } else {
            v = _mm256_loadu_si256(at);
            v = _mm256_mask_i32gather_epi32(v, table, index, decided, 4);
        }
        v = _mm256_andnot_si256(_mm256_and_si256(anded, outsideMask), v);
        _mm256_storeu_si256(at, v);
    }

    const int* table;
    bool permutes;
    __m256i p0;
    __m256i p1;
    __m256i p2;
    __m256i p3;
    __m256i outsideMask;
};

// The marks of eight columns of a band (column-major) as eight rows of eight.
inline void Transpose8x8(const std::uint8_t* in, __m128i rows[4]) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
    const __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 48));
    const __m128i t0 = _mm_unpacklo_epi8(v0, v1);  // columns 0 and 2
    const __m128i t1 = _mm_unpackhi_epi8(v0, v1);  // columns 1 and 3
    const __m128i t2 = _mm_unpacklo_epi8(v2, v3);
    const __m128i t3 = _mm_unpackhi_epi8(v2, v3);
    const __m128i u0 = _mm_unpacklo_epi8(t0, t1);  // rows 0-3 of columns 0-3
    const __m128i u1 = _mm_unpackhi_epi8(t0, t1);  // rows 4-7 of columns 0-3
    const __m128i u2 = _mm_unpacklo_epi8(t2, t3);
    const __m128i u3 = _mm_unpackhi_epi8(t2, t3);
    rows[0] = _mm_unpacklo_epi32(u0, u2);  // rows 0 and 1
    rows[1] = _mm_unpackhi_epi32(u0, u2);
    rows[2] = _mm_unpacklo_epi32(u1, u3);
    rows[3] = _mm_unpackhi_epi32(u1, u3);
}

// Replaces the marks of four columns (32 bytes) where `columns` (a byte per column, a bit per
// row) is set.
inline void BlendFour(std::uint8_t* marks, const std::uint8_t* values, int columns,
                      __m256i spreadFour, __m256i bitOfByte) {
    const __m256i mask = _mm256_cmpeq_epi8(
        _mm256_and_si256(_mm256_shuffle_epi8(_mm256_set1_epi32(columns), spreadFour), bitOfByte),
        bitOfByte);
    auto* to = reinterpret_cast<__m256i*>(marks);
    _mm256_storeu_si256(
        to, _mm256_blendv_epi8(_mm256_loadu_si256(to),
                               _mm256_load_si256(reinterpret_cast<const __m256i*>(values)), mask));
}

// Marks balls one at a time, last slot first, on a BandCoverage.
struct BandMarker {
    BandMarker(BandCoverage& coverageIn, const SpriteShape& shape, int width)
        : coverage(coverageIn),
          bands(BandShapeOf(shape)),
          findHiddenAfter(Options().findHiddenAfter > 0 ? Options().findHiddenAfter : 1),
          columnBits(ColumnBits(width)),
          columnMask((1u << columnBits) - 1),
          // Open bits to byte masks, eight bytes per column: 32 bytes take four columns (two
          // per 128-bit lane), 16 bytes two.
          spreadFour(_mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2,
                                      2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3)),
          bitOfByte(_mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1,
                                     2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128)),
          spreadTwo(_mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1)) {}

    void Mark(PackedPosition p) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if ((p & kClippedBall) != 0) {
            x = ClippedX(p);
            y = ClippedY(p);
        } else {
            x = static_cast<std::int32_t>(p & columnMask);
            y = static_cast<std::int32_t>(p >> columnBits);
        }
        int s = 0;
        const std::size_t at = coverage.At(x, y, s);
        std::uint8_t* done = coverage.done + at;
        if (((static_cast<unsigned>(*done) >> s) & 1u) != 0) {
            return;
        }
        const std::size_t pitch = coverage.pitch;
        __m128i open[3];
        for (int j = 0; j < 3; ++j) {
            const std::size_t k = at + static_cast<std::size_t>(j) * pitch;
            auto* dp = reinterpret_cast<__m128i*>(coverage.decided + k);
            auto* ap = reinterpret_cast<__m128i*>(coverage.anded + k);
            const __m128i d = _mm_loadu_si128(dp);
            const __m128i a = _mm_loadu_si128(ap);
            const __m128i opaque = _mm_andnot_si128(
                d, _mm_load_si128(reinterpret_cast<const __m128i*>(bands.opaque[s][j])));
            const __m128i transparent = _mm_andnot_si128(
                _mm_or_si128(d, a),
                _mm_load_si128(reinterpret_cast<const __m128i*>(bands.transparent[s][j])));
            _mm_storeu_si128(dp, _mm_or_si128(d, opaque));
            _mm_storeu_si128(ap, _mm_or_si128(a, transparent));
            open[j] = _mm_or_si128(opaque, transparent);
        }
        // Every pixel under this ball is now decided or ANDed: any earlier ball here has
        // nothing left to do.
        *done = static_cast<std::uint8_t>(*done | (1u << s));
        const __m128i any = _mm_or_si128(_mm_or_si128(open[0], open[1]), open[2]);
        if (_mm_testz_si128(any, any) != 0) {
            if (++wasted == findHiddenAfter) {
                coverage.FindHidden();
                wasted = 0;
            }
            return;
        }
        // The open pixels' marks replace the old ones: per band, columns 0-3, 4-7 and 8-9.
        const __m128i bitOfByte128 = _mm256_castsi256_si128(bitOfByte);
        for (int j = 0; j < 3; ++j) {
            const __m128i o = open[j];
            if (_mm_testz_si128(o, o) != 0) {
                continue;
            }
            std::uint8_t* m = coverage.marks + (at + static_cast<std::size_t>(j) * pitch) * kBand;
            const std::uint8_t* values = bands.mark[s][j];
            BlendFour(m, values, _mm_cvtsi128_si32(o), spreadFour, bitOfByte);
            BlendFour(m + 32, values + 32, _mm_extract_epi32(o, 1), spreadFour, bitOfByte);
            const __m128i mask = _mm_cmpeq_epi8(
                _mm_and_si128(
                    _mm_shuffle_epi8(_mm_set1_epi16(static_cast<short>(_mm_extract_epi16(o, 4))),
                                     spreadTwo),
                    bitOfByte128),
                bitOfByte128);
            auto* to = reinterpret_cast<__m128i*>(m + 64);
            _mm_storeu_si128(
                to, _mm_blendv_epi8(_mm_loadu_si128(to),
                                    _mm_load_si128(reinterpret_cast<const __m128i*>(values + 64)),
                                    mask));
        }
    }

    // Of eight balls, bit i set when the one at packed[i] is not known to be hidden: its done
    // bit, fetched for all eight at once. Most balls of a crowd are hidden, and testing them
    // one by one costs more than the marking of the few that show.
    int Open8(const PackedPosition* packed) const {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(packed));
        const __m256i margin = _mm256_set1_epi32(kPinMargin);
        const __m256i field = _mm256_set1_epi32(0x7FFF);
        const __m256i clipped = _mm256_srai_epi32(p, 31);
        const __m256i insideX =
            _mm256_and_si256(p, _mm256_set1_epi32(static_cast<int>(columnMask)));
        const __m256i insideY = _mm256_srl_epi32(p, _mm_cvtsi32_si128(columnBits));
        // Clipped positions are stored with the margin added, which is what the bitmaps want.
        const __m256i clippedX = _mm256_and_si256(p, field);
        const __m256i clippedY = _mm256_and_si256(_mm256_srli_epi32(p, 15), field);
        const __m256i x = _mm256_blendv_epi8(_mm256_add_epi32(insideX, margin), clippedX, clipped);
        const __m256i y = _mm256_blendv_epi8(_mm256_add_epi32(insideY, margin), clippedY, clipped);
        const __m256i index =
            _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(y, 3), pitch32), x);
        const __m256i bytes =
            _mm256_i32gather_epi32(reinterpret_cast<const int*>(coverage.done), index, 1);
        const __m256i bit =
            _mm256_and_si256(_mm256_srlv_epi32(bytes, _mm256_and_si256(y, _mm256_set1_epi32(7))),
                             _mm256_set1_epi32(1));
        return _mm256_movemask_ps(
            _mm256_castsi256_ps(_mm256_cmpeq_epi32(bit, _mm256_setzero_si256())));
    }

    BandCoverage& coverage;
    const BandShape bands;
    const std::size_t findHiddenAfter;
    const int columnBits;
    const PackedPosition columnMask;
    const __m256i spreadFour;
    const __m256i bitOfByte;
    const __m128i spreadTwo;
    __m256i pitch32 = _mm256_set1_epi32(static_cast<int>(coverage.pitch));
    std::size_t wasted = 0;
};

}  // namespace

CoverSize avx2::CoverSizeOf(int width, int height) {
    return BandCoverage::SizeOf(width, height);
}

void avx2::Mark(const PackedPosition* positions, std::size_t n, const SpriteShape& shape, int width,
                int height, Cover cover) {
    BandCoverage coverage(width, height, cover);
    BandMarker marker(coverage, shape, width);
    // Eight balls at a time, last first; within the eight, last first too. The next eight
    // are tested before these are marked, so that the test's fetches overlap the marking; a
    // ball marked meanwhile may hide one tested already, so Mark tests again before marking.
    std::size_t i = n;
    unsigned open = i >= 8 ? static_cast<unsigned>(marker.Open8(positions + i - 8)) : 0u;
    for (; i >= 8; i -= 8) {
        const unsigned next =
            i >= 16 ? static_cast<unsigned>(marker.Open8(positions + i - 16)) : 0u;
        while (open != 0) {
            const int lane = 31 - __builtin_clz(open);
            open &= ~(1u << lane);
            marker.Mark(positions[i - 8 + static_cast<std::size_t>(lane)]);
        }
        open = next;
    }
    while (i-- > 0) {
        marker.Mark(positions[i]);
    }
}

void avx2::Resolve(Cover* covers, std::size_t count, const SpriteShape& shape, Canvas canvas) {
    // Only the bands' layout is needed here, not their bitmaps.
    const BandCoverage coverage(canvas.width, canvas.height, covers[count - 1]);
    const Resolver resolve(shape);
    const auto w = static_cast<std::size_t>(canvas.width);
    const int wide = canvas.width - canvas.width % 8;
    const std::size_t bandBytes = coverage.pitch * kBand;
    const __m256i one = _mm256_set1_epi8(1);
    // The picture, band by band, eight columns at a time; the margin is left out.
    for (int top = 0; top < canvas.height; top += kBand) {
        const std::size_t band =
            static_cast<std::size_t>(top / kBand + kMarginBands) * coverage.pitch;
        // The marks of earlier runs of slots count where the later ones decided nothing: a
        // decided mark (2 and up) stands, otherwise the larger of the two.
        std::uint8_t* merged = coverage.marks + band * kBand;
        for (std::size_t k = count - 1; k-- > 0;) {
            const std::uint8_t* below = covers[k].marks + band * kBand;
            for (std::size_t at = 0; at < bandBytes; at += 32) {
                auto* to = reinterpret_cast<__m256i*>(merged + at);
                const __m256i a = _mm256_loadu_si256(to);
                const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(below + at));
                _mm256_storeu_si256(
                    to, _mm256_blendv_epi8(_mm256_max_epu8(a, b), a, _mm256_cmpgt_epi8(a, one)));
            }
        }
        const int rows = Least(kBand, canvas.height - top);
        core::Rgb32* first = canvas.pixels + static_cast<std::size_t>(top) * w;
        for (int x = 0; x < wide; x += 8) {
            const std::uint8_t* in =
                coverage.marks + (band + static_cast<std::size_t>(x + kPinMargin)) * kBand;
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32));
            const __m256i both = _mm256_or_si256(a, b);
            if (_mm256_testz_si256(both, both) != 0) {
                continue;
            }
            __m128i pairs[4];
            Transpose8x8(in, pairs);
            for (int r = 0; r < rows; ++r) {
                const __m128i pair = pairs[r / 2];
                resolve.Eight(first + static_cast<std::size_t>(r) * w + static_cast<std::size_t>(x),
                              (r % 2) == 0 ? pair : _mm_srli_si128(pair, 8));
            }
        }
        for (int x = wide; x < canvas.width; ++x) {
            const std::uint8_t* in =
                coverage.marks + (band + static_cast<std::size_t>(x + kPinMargin)) * kBand;
            for (int r = 0; r < rows; ++r) {
                const std::uint8_t mark = in[r];
                core::Rgb32& v =
                    first[static_cast<std::size_t>(r) * w + static_cast<std::size_t>(x)];
                if (mark >= 2) {
                    v = shape.palette[mark - 2u];
                } else if (mark == 1) {
                    v &= shape.transparentMask;
                }
            }
        }
    }
}

}  // namespace game::detail
