#pragma once

// Inside the ball code: the pieces the fast frame is made of, shared by the portable loops and
// the AVX2 ones. Not for use outside game/ (tests excepted, which pin the choices below).

#include <array>
#include <cstddef>
#include <cstdint>

#include "game/ball_list.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace game {

struct Game;

namespace detail {

// Which loops the frame uses. Auto picks AVX2 when the processor has it; Portable forces the
// plain C++ loops (what other processors always run), so tests can check both on one machine.
enum class Kernels { Auto, Portable };

struct BallKernelOptions {
    Kernels kernels = Kernels::Auto;
    // From this many balls on, DrawBalls draws from the last slot to the first and skips the
    // pixels a later ball already covers.
    std::size_t backToFrontFrom = 6000;
};

BallKernelOptions& Options();
// True when the AVX2 loops will run.
bool UsingAvx2();

// The floor of q, as core::FloorOrCeiling(q, false) gives it (and failing as it does).
std::int32_t FloorOf(double q);

// The cells a probe can clear: bit c of rows[r] is set when cell (c, r) is used (exactly -1)
// and refers to a brick of the table that is not unbreakable.
struct BreakableCells {
    std::array<std::uint32_t, core::kRows> rows{};
    int count = 0;

    static BreakableCells Of(const core::Board& board);
    bool Has(std::int32_t column, std::int32_t row) const {
        return ((rows[static_cast<std::size_t>(row)] >> column) & 1u) != 0;
    }
    void Clear(std::int32_t column, std::int32_t row) {
        rows[static_cast<std::size_t>(row)] &= ~(1u << column);
        --count;
    }
};

// What a frame's move needs besides the balls, computed once per UpdateBalls.
struct MoveContext {
    Game* game;
    core::PictureBox* playfield;
    BreakableCells cells;
    float stuckX;  // PaddleX as a float: where stuck balls go
    double paddleLeft;
    double paddleRight;
    double paddleTop;
    double paddleY;
};

MoveContext MakeMoveContext(Game& game, core::PictureBox& playfield);

// Walls, top, paddle and bricks for one free ball, exactly as the rules read; may destroy
// bricks. Changes x, y and angle.
void Collide(MoveContext& m, float& x, float& y, double& angle);

// One ball's whole step (stuck or free): the rules read straight, using the cached cos and sin
// only when nothing changed the angle. Returns true when the ball ends below the playfield.
bool StepBall(MoveContext& m, const BallList::Columns& b, std::size_t i);

// Moves balls [0, n) one frame. Returns the first index whose ball ends below the playfield,
// or n when none does.
std::size_t MoveBallsPortable(MoveContext& m, const BallList::Columns& b, std::size_t n);
std::size_t MoveBallsAvx2(MoveContext& m, const BallList::Columns& b, std::size_t n);

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
    // kind of each pixel (2 opaque, 1 transparent, 0 beyond the row).
    alignas(32) std::array<std::uint32_t, 10 * 16> andBits{};
    alignas(32) std::array<std::uint32_t, 10 * 16> orBits{};
    alignas(16) std::array<std::uint8_t, 10 * 16> kind{};
};

// Destination is where the balls go: a sprite or mask that is the destination itself changes
// under the blits, so it is drawn the plain way.
SpriteShape ShapeOf(const core::PictureBox& sprite, const core::PictureBox& mask,
                    const core::PictureBox& destination);

// A ball's top-left pixel, packed as two 16-bit values (x low, y high). Positions far outside
// the picture are pinned just outside it, which draws the same nothing.
using PackedPosition = std::uint32_t;

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

}  // namespace detail
}  // namespace game
