#pragma once

// The balls, as the rest of the game sees them: spawning balls on the paddle, releasing them,
// moving every ball once a frame (with the collision rules for the free ones), dropping the lost
// ones and drawing them all through their mask.
//
// The ball code sees only what it uses: the paddle, the board, the playfield picture and the
// random generator, never the window. UpdateBalls and DrawBalls give exactly the results of
// applying the rules ball by ball, to the last bit of every field and every pixel, but reach
// them through loops over the list's arrays that skip what provably changes nothing (see
// ball_update.cpp and ball_draw.cpp).

#include <cstdint>

#include "game/balls/ball_list.h"
#include "game/balls/random.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"

namespace game {

// The playfield the balls fly in, in pixels: walls on the left, the right and the top.
inline constexpr int kPlayfieldWidth = 600;
inline constexpr int kPlayfieldHeight = 480;

// A ball is a square of BallSize pixels; its position is the centre. Its half size is always
// BallSize / 2 as a floating division.
inline constexpr std::int32_t BallSize = 10;

// The angle constants, with exactly these digits: they are what every run of the game has used,
// and the full-precision values would move every ball by a few ulps.
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 6.28318530717959;
inline constexpr double kAngleRange = 2.79252680319093;  // 160 degrees
inline constexpr double kMinAngle = 0.174532925199433;   // 10 degrees

inline constexpr float kStartSpeed = 1.5f;
inline constexpr double kAcceleration = 0.0004;
inline constexpr float kMaxSpeed = 6.0f;

// Balls whose centre is below this line are lost.
inline constexpr float kLostBelow = 480.0f;

// The paddle, in playfield pixels; X and Y are its centre.
struct Paddle {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// What one frame's move did, as counts (the game's sound is made from them).
struct FrameEvents {
    std::uint32_t WallBounces = 0;      // each reflection at a side wall or the top
    std::uint32_t PaddleHits = 0;       // each ball the paddle caught
    std::uint32_t BricksDestroyed = 0;  // each brick erased
    std::uint32_t BallsLost = 0;        // each ball removed below the playfield

    bool operator==(const FrameEvents&) const = default;
};

// Everything a frame's move reads or changes besides the balls.
struct BallWorld {
    Paddle paddle;
    core::Board& board;
    core::PictureBox& playfield;  // destroyed bricks are erased here
    Random& random;               // for the ball spawned when the last one is lost
};

// The list becomes exactly one new ball, stuck to the paddle.
void ResetBalls(BallList& balls, const Paddle& paddle, Random& random);
// One new stuck ball is appended.
void AddBall(BallList& balls, const Paddle& paddle, Random& random);
// Every ball becomes free.
void ReleaseBalls(BallList& balls);
// The last ball takes the slot of the ball at index; losing the only ball spawns a new one.
void RemoveBall(BallList& balls, std::int32_t index, const Paddle& paddle, Random& random);
// Moves every ball one frame, with the collision rules for the free ones, then removes the balls
// that fell below the playfield. Returns what happened: a ball reflected at a side and at the
// top counts two bounces, and the only ball, lost and replaced by a new one, counts as lost.
FrameEvents UpdateBalls(BallList& balls, const BallWorld& world);
// Draws every ball into destination: the mask cuts the disc out, the sprite fills it in.
void DrawBalls(const BallList& balls, const core::PictureBox& sprite, const core::PictureBox& mask,
               core::PictureBox& destination);

// The two 10 x 10 ball pictures, as the window holds them.
core::PictureBox MakeBallSprite();
core::PictureBox MakeBallMask();

}  // namespace game
