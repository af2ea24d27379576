#pragma once

// The one place where the reliability tests and the fuzz targets look into the game's ball
// storage: reading the balls, and replacing the list to put free balls where a test needs them.
// Everything else goes through the window's handlers and the ball operations, so a new storage
// layout needs only this file adapted.

#include <cstddef>
#include <span>

#include "game/balls/balls.h"
#include "game/game.h"

namespace reliability {

inline std::size_t BallCount(const game::Game& game) {
    return game.Balls.size();
}

// Calls visit(const game::BallState&) for every ball, first slot first.
template <typename Visit>
void ForEachBall(const game::Game& game, Visit&& visit) {
    for (const game::BallState& ball : game.Balls) {
        visit(ball);
    }
}

// The list becomes exactly these balls.
inline void ReplaceBalls(game::Game& game, std::span<const game::BallState> balls) {
    game.Balls.assign(balls.begin(), balls.end());
}

}  // namespace reliability
