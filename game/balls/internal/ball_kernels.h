#pragma once

// Inside the ball code: the pieces the fast frame is made of, and the table of kernels (the
// portable loops, or the AVX2 ones where the processor has AVX2) chosen once per run.
//
// The AVX2 kernels live in files of their own compiled for AVX2 (the *_avx2.cpp files). They
// read and write raw arrays and call back into the portable files for anything that is not a
// plain loop, and they use only functions inlined into them: an out-of-line copy of a shared
// inline function made there (a vector's method, an array's accessor) could be the one the
// linker keeps for every caller, and then run on a processor without AVX2. The layers test
// checks their object files for such copies.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/balls/ball_list.h"
#include "game/balls/balls.h"
#include "game/balls/internal/collisions.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace game::detail {

// Where a ball is drawn, packed in 32 bits for a picture of at most kMostPackedSize pixels a
// side: for a ball fully inside, its top-left pixel as (y << ColumnBits(width)) | x; for any
// other, kClippedBall with x + 16 in bits 0-14 and y + 16 in bits 15-29, positions far outside
// being pinned to 16 pixels outside, which draws the same nothing.
using PackedPosition = std::uint32_t;
inline constexpr PackedPosition kClippedBall = 0x80000000u;
inline constexpr int kMostPackedSize = 16000;
inline constexpr int kPinMargin = 16;

// Bits that hold any column of a picture `width` pixels wide.
[[gnu::always_inline]] inline int ColumnBits(int width) {
    int bits = 0;
    while ((1 << bits) < width) {
        ++bits;
    }
    return bits;
}

[[gnu::always_inline]] inline bool FullyInside(std::int32_t x, std::int32_t y, int width,
                                               int height) {
    return x >= 0 && y >= 0 && x <= width - 10 && y <= height - 10;
}

[[gnu::always_inline]] inline std::int32_t Pin(std::int32_t v, int size) {
    return v < -kPinMargin ? -kPinMargin : (v > size + kPinMargin ? size + kPinMargin : v);
}

[[gnu::always_inline]] inline PackedPosition Pack(std::int32_t x, std::int32_t y, int width,
                                                  int height) {
    x = Pin(x, width);
    y = Pin(y, height);
    if (FullyInside(x, y, width, height)) {
        return static_cast<PackedPosition>((y << ColumnBits(width)) | x);
    }
    return kClippedBall | static_cast<PackedPosition>(x + kPinMargin) |
           (static_cast<PackedPosition>(y + kPinMargin) << 15);
}

[[gnu::always_inline]] inline std::int32_t ClippedX(PackedPosition p) {
    return static_cast<std::int32_t>(p & 0x7FFFu) - kPinMargin;
}
[[gnu::always_inline]] inline std::int32_t ClippedY(PackedPosition p) {
    return static_cast<std::int32_t>((p >> 15) & 0x7FFFu) - kPinMargin;
}

// The drawing position of a ball at (x, y): its centre less 5, rounded as RoundToInt32 does
// (halves to even). False when a coordinate does not fit in 32 bits (or is NaN).
bool PackBall(float x, float y, int width, int height, PackedPosition& out);

// The two blits of ball i by the picture's own clipped BitBlt, at its position rounded by
// RoundToInt32 (which raises the conversion error at this ball, as the rules do).
void DrawOnePlain(const BallList::ConstColumns& b, std::size_t i, const core::PictureBox& sprite,
                  const core::PictureBox& mask, core::PictureBox& destination);

// Which loops the frame uses. Auto takes the table chosen for this processor; Portable forces
// the plain C++ loops (what other processors always run), so tests can check both on one
// machine.
enum class Kernels { Auto, Portable };

struct BallKernelOptions {
    Kernels kernels = Kernels::Auto;
    // From this many balls on, DrawBalls draws from the last slot to the first and skips the
    // pixels a later ball already covers.
    std::size_t backToFrontFrom = 24000;
    // Drawing last slot first looks for wholly covered positions again once this many balls
    // were looked at in vain (every pixel under them already decided or ANDed).
    std::size_t findHiddenAfter = 512;
    // From this many balls on, a list set to more than one thread spreads its frames over
    // them; below it the threads cost more than they save: a frame of this many balls takes
    // a few tenths of a millisecond, against some tens of microseconds for handing work to a
    // thread and back. make bench prints where a second thread starts to pay.
    std::size_t threadsFrom = 40000;
};

BallKernelOptions& Options();

// What a frame's move needs besides the balls, computed once per UpdateBalls (and copied for
// every block of balls a thread moves).
struct MoveContext {
    // The rules for the free balls, with the paddle, board and playfield.
    CollisionWorld collisions;
    rules::BrickReach reach;
    float stuckX;  // PaddleX as a float: where stuck balls go
    // No ball is stuck: the loops need not look. Otherwise they note whether they saw one.
    bool noneStuck;
    bool sawStuck;
    // Unset, the balls' probes destroy bricks at once, in slot order (CheckCollisions). Set,
    // the frame's balls are moved in any order (on several threads): their probes destroy
    // nothing but append the cells of collisions.cells they lie in, each cell once, for the
    // caller to destroy afterwards in slot order. A ball's move never depends on bricks, so
    // only the order of the destructions needs the slot order. No ball may be able to fail
    // then (see BallList::Bounded).
    std::vector<std::uint16_t>* brickHits;
    // Where the moved balls' drawing positions go (for a picture the playfield's size), or
    // nullptr; packedAll turns false at a position that cannot be converted.
    PackedPosition* packed;
    int width;
    int height;
    bool packedAll;
    // Every ball stepped ended within rules::WithinBounds.
    bool bounded;
    // The slots whose ball ends below the playfield, in increasing order; lostLater holds
    // those of balls stepped out of slot order (increasing too), for the caller to merge in.
    std::vector<std::uint32_t>* lost;
    std::vector<std::uint32_t>* lostLater;
};

MoveContext MakeMoveContext(const BallWorld& world);

// The loops call these for the balls they do not move themselves: the rules read straight (with
// m.brickHits, the probes noted rather than run), using the cached cos and sin only when nothing
// changed the angle; then the ball is noted.
// A ball that is not quiet, in slot order.
void StepNotQuiet(MoveContext& m, const BallList::Columns& b, std::size_t i);
// A free ball that can neither clear a brick nor fail, stepped out of slot order.
void StepSoon(MoveContext& m, const BallList::Columns& b, std::size_t i);
// Ball i, moved by the loop, ended below the playfield.
void NoteLost(MoveContext& m, std::size_t i);

// Entries per row in SpriteShape's tables, and the kinds of pixel it records.
inline constexpr std::size_t kSpriteRowPad = 16;
inline constexpr std::uint8_t kOpaquePixel = 2;
inline constexpr std::uint8_t kTransparentPixel = 1;

// The ball picture, taken apart once per DrawBalls.
struct SpriteShape {
    // Both pictures hold the full 10 x 10 block the blits read.
    bool blittable = false;
    // Every pixel is either opaque (mask 0: the result is the sprite pixel) or transparent
    // (sprite 0 and the mask the same value m everywhere, with no sprite bit outside m: the
    // result is the pixel underneath AND m). Then the last ball covering a pixel opaquely
    // decides it alone, which is what drawing from the last slot to the first relies on.
    bool twoKinds = false;
    std::uint32_t transparentMask = 0;
    // Row-major 10 x 10, each row padded to 16 entries: and/or values of the blit, and the
    // kind of each pixel (kOpaquePixel, kTransparentPixel, 0 beyond the row).
    alignas(32) std::uint32_t andBits[10 * 16] = {};
    alignas(32) std::uint32_t orBits[10 * 16] = {};
    alignas(16) std::uint8_t kind[10 * 16] = {};
    // What drawing last slot first marks a pixel with: 2 + i for an opaque pixel whose colour
    // is palette[i], 1 for a transparent one, 0 beyond the row.
    alignas(16) std::uint8_t mark[10 * 16] = {};
    alignas(32) std::uint32_t palette[100] = {};
    int paletteSize = 0;
};

// Destination is where the balls go: a sprite or mask that is the destination itself changes
// under the blits, so it is drawn the plain way.
SpriteShape ShapeOf(const core::PictureBox& sprite, const core::PictureBox& mask,
                    const core::PictureBox& destination);

// A picture's pixels as the drawing kernels see them.
struct Canvas {
    core::Rgb32* pixels;
    int width;
    int height;
};
Canvas CanvasOf(core::PictureBox& picture);

// What drawing last slot first knows about the picture while it takes the balls (see
// ball_draw.cpp): per pixel a mark (0 untouched, 1 ANDed with the transparent mask, 2 + i
// decided, palette colour i) and the bitmaps behind the decisions. Each kernel lays these out
// its own way; Cover says how much room its layout needs, the frame provides it zeroed.
struct CoverSize {
    std::size_t markBytes;
    std::size_t bitWords;  // 64-bit words
};
struct Cover {
    std::uint8_t* marks;
    std::uint64_t* bits;
};

// The kernels of one instruction set.
struct BallKernels {
    // Moves balls [begin, end) one frame, noting their drawing positions and the lost ones.
    void (*move)(MoveContext& m, const BallList::Columns& b, std::size_t begin, std::size_t end);
    // Converts the positions of balls [0, n). False, at the first one that cannot be converted
    // to an integer (the plain path then raises the error at that ball).
    bool (*positions)(const BallList::ConstColumns& b, std::size_t n, int width, int height,
                      PackedPosition* out);
    // Draws balls [0, n) first slot first, each blit exactly as BitBlt does it. Throws (after
    // drawing the balls before it) at a ball whose position cannot be converted.
    void (*drawForward)(const BallList::ConstColumns& b, std::size_t n, const SpriteShape& shape,
                        const core::PictureBox& sprite, const core::PictureBox& mask,
                        core::PictureBox& destination);
    // Drawing last slot first (needs twoKinds): the room a cover of a width x height picture
    // takes; marking balls [0, n) into a zeroed cover, last first; and writing the picture from
    // covers[0..count), the balls of covers[k] coming after those of covers[k - 1] in slot
    // order (resolving merges their marks into the last cover).
    CoverSize (*coverSize)(int width, int height);
    void (*mark)(const PackedPosition* positions, std::size_t n, const SpriteShape& shape,
                 int width, int height, Cover cover);
    void (*resolve)(Cover* covers, std::size_t count, const SpriteShape& shape, Canvas canvas);
};

// The table this run uses: the best one for the processor, chosen once, or the portable one
// while Options().kernels asks for it.
const BallKernels& ActiveKernels();
// True when the AVX2 loops will run.
bool UsingAvx2();

// The members of each table, as BallKernels describes them (ball_kernels.cpp puts them
// together): the portable ones, and the AVX2 ones in the *_avx2.cpp files.
// clang-format off
#define VANTOR_KERNEL_SET                                                                       \
    void Move(MoveContext& m, const BallList::Columns& b, std::size_t begin, std::size_t end);  \
    bool Positions(const BallList::ConstColumns& b, std::size_t n, int width, int height,       \
                   PackedPosition* out);                                                        \
    void DrawForward(const BallList::ConstColumns& b, std::size_t n, const SpriteShape& shape,  \
                     const core::PictureBox& sprite, const core::PictureBox& mask,              \
                     core::PictureBox& destination);                                            \
    CoverSize CoverSizeOf(int width, int height);                                               \
    void Mark(const PackedPosition* positions, std::size_t n, const SpriteShape& shape,         \
              int width, int height, Cover cover);                                              \
    void Resolve(Cover* covers, std::size_t count, const SpriteShape& shape, Canvas canvas);
// clang-format on
namespace portable {
VANTOR_KERNEL_SET
}  // namespace portable
namespace avx2 {
VANTOR_KERNEL_SET
}  // namespace avx2
#undef VANTOR_KERNEL_SET

}  // namespace game::detail
