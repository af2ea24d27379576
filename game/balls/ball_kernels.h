#pragma once

// Inside the ball code: the pieces the fast frame is made of, shared by the portable loops and
// the AVX2 ones. Not for use outside game/balls/ (tests excepted, which pin the choices below).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/balls/ball_list.h"
#include "game/balls/balls.h"
#include "game/balls/collisions.h"
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
inline int ColumnBits(int width) {
    int bits = 0;
    while ((1 << bits) < width) {
        ++bits;
    }
    return bits;
}

inline bool FullyInside(std::int32_t x, std::int32_t y, int width, int height) {
    return x >= 0 && y >= 0 && x <= width - 10 && y <= height - 10;
}

inline std::int32_t Pin(std::int32_t v, int size) {
    return v < -kPinMargin ? -kPinMargin : (v > size + kPinMargin ? size + kPinMargin : v);
}

inline PackedPosition Pack(std::int32_t x, std::int32_t y, int width, int height) {
    x = Pin(x, width);
    y = Pin(y, height);
    if (FullyInside(x, y, width, height)) {
        return static_cast<PackedPosition>((y << ColumnBits(width)) | x);
    }
    return kClippedBall | static_cast<PackedPosition>(x + kPinMargin) |
           (static_cast<PackedPosition>(y + kPinMargin) << 15);
}

inline std::int32_t ClippedX(PackedPosition p) {
    return static_cast<std::int32_t>(p & 0x7FFFu) - kPinMargin;
}
inline std::int32_t ClippedY(PackedPosition p) {
    return static_cast<std::int32_t>((p >> 15) & 0x7FFFu) - kPinMargin;
}

// The drawing position of a ball at (x, y): its centre less 5, rounded as RoundToInt32 does
// (halves to even). False when a coordinate does not fit in 32 bits (or is NaN).
bool PackBall(float x, float y, int width, int height, PackedPosition& out);

// Which loops the frame uses. Auto picks AVX2 when the processor has it; Portable forces the
// plain C++ loops (what other processors always run), so tests can check both on one machine.
enum class Kernels { Auto, Portable };

struct BallKernelOptions {
    Kernels kernels = Kernels::Auto;
    // From this many balls on, DrawBalls draws from the last slot to the first and skips the
    // pixels a later ball already covers.
    std::size_t backToFrontFrom = 24000;
    // Drawing last slot first looks for wholly covered positions again once this many balls
    // were looked at in vain (every pixel under them already decided or ANDed).
    std::size_t findHiddenAfter = 512;
};

BallKernelOptions& Options();
// True when the AVX2 loops will run.
bool UsingAvx2();

// What a frame's move needs besides the balls, computed once per UpdateBalls.
struct MoveContext {
    // The rules for the free balls, with the paddle, board and playfield.
    CollisionWorld collisions;
    float stuckX;  // PaddleX as a float: where stuck balls go
    // No ball is stuck: the loops need not look. Otherwise they note whether they saw one.
    bool noneStuck;
    bool sawStuck;
    // Where the moved balls' drawing positions go (for a picture the playfield's size), or
    // nullptr; packedAll turns false at a position that cannot be converted.
    PackedPosition* packed;
    int width;
    int height;
    bool packedAll;
    // The slots whose ball ends below the playfield, in increasing order.
    std::vector<std::uint32_t>* lost;
};

MoveContext MakeMoveContext(const BallWorld& world);

// One ball's whole step (stuck or free): the rules read straight, using the cached cos and sin
// only when nothing changed the angle. Returns true when the ball ends below the playfield.
bool StepBall(MoveContext& m, const BallList::Columns& b, std::size_t i);

// Moves balls [0, n) one frame, noting their drawing positions and the lost ones in m.
void MoveBallsPortable(MoveContext& m, const BallList::Columns& b, std::size_t n);
void MoveBallsAvx2(MoveContext& m, const BallList::Columns& b, std::size_t n);

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
    alignas(32) std::array<std::uint32_t, 10 * 16> andBits{};
    alignas(32) std::array<std::uint32_t, 10 * 16> orBits{};
    alignas(16) std::array<std::uint8_t, 10 * 16> kind{};
    // What drawing last slot first marks a pixel with: 2 + i for an opaque pixel whose colour
    // is palette[i], 1 for a transparent one, 0 beyond the row.
    alignas(16) std::array<std::uint8_t, 10 * 16> mark{};
    alignas(32) std::array<std::uint32_t, 100> palette{};
    int paletteSize = 0;
};

// Destination is where the balls go: a sprite or mask that is the destination itself changes
// under the blits, so it is drawn the plain way.
SpriteShape ShapeOf(const core::PictureBox& sprite, const core::PictureBox& mask,
                    const core::PictureBox& destination);

// Converts every ball's position. Returns false, leaving nothing drawn, when one cannot be
// converted to an integer (the plain path then raises the error at that ball).
bool PositionsPortable(const BallList& balls, int width, int height, PackedPosition* out);
bool PositionsAvx2(const BallList& balls, int width, int height, PackedPosition* out);

// Draws the balls first slot first, each blit exactly as BitBlt does it. Throws (after drawing
// the balls before it) at a ball whose position cannot be converted.
void DrawForwardPortable(const BallList& balls, const SpriteShape& shape,
                         const core::PictureBox& sprite, const core::PictureBox& mask,
                         core::PictureBox& destination);
void DrawForwardAvx2(const BallList& balls, const SpriteShape& shape,
                     const core::PictureBox& sprite, const core::PictureBox& mask,
                     core::PictureBox& destination);

// Draws the balls last slot first over a map of the pixels already decided; needs twoKinds.
void DrawBackToFrontPortable(const PackedPosition* positions, std::size_t n,
                             const SpriteShape& shape, core::PictureBox& destination);
void DrawBackToFrontAvx2(const PackedPosition* positions, std::size_t n, const SpriteShape& shape,
                         core::PictureBox& destination);

}  // namespace game::detail
