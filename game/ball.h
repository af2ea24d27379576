#pragma once

// The ball list: spawning balls on the paddle, releasing them, moving every free ball once a
// frame, dropping the lost ones and drawing them all through their mask.
//
// UpdateBalls and DrawBalls give exactly the results of applying the rules ball by ball, to the
// last bit of every field and every pixel, but reach them through loops over the list's arrays
// that skip what provably changes nothing (see ball_update.cpp and ball_draw.cpp).

#include <cstdint>

#include "game/ball_list.h"
#include "game/random.h"
#include "shared/picture_box.h"
#include "shared/vb_types.h"

namespace game {

struct Game;

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

// The list becomes exactly one new ball, stuck to the paddle.
void ResetBalls(Game& game);
// One new stuck ball is appended.
void AddBall(Game& game);
// Every ball becomes free.
void ReleaseBalls(Game& game);
// The last ball takes the slot of the ball at index; losing the only ball spawns a new one.
void RemoveBall(Game& game, std::int32_t index);
// Moves every ball one frame, with the collision rules for the free ones, then removes the balls
// that fell below the playfield.
void UpdateBalls(Game& game, core::PictureBox& playfield);
// Draws every ball into destination: the mask cuts the disc out, the sprite fills it in.
void DrawBalls(const Game& game, const core::PictureBox& sprite, const core::PictureBox& mask,
               core::PictureBox& destination);

// The two 10 x 10 ball pictures, as the window holds them.
core::PictureBox MakeBallSprite();
core::PictureBox MakeBallMask();

}  // namespace game
