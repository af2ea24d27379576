#pragma once

// The four-lane rules run on four balls at once, for the rules test. RunFour lives in a file
// compiled for AVX2; call it only where the processor has AVX2.

#include "game/balls/internal/ball_rules.h"

namespace game::testing {

struct FourBalls {
    double x[4];
    double y[4];
    double speed[4];
    double direction[4];  // the cached cos: NaN when unknown
};

// What each lane of the four-lane rules gave.
struct Lanes {
    bool inside[4];
    bool paddle[4];
    bool mayClear[4];
    bool quiet[4];
    float x[4];
    float speed[4];
    bool lost[4];
    bool bounded[4];
};

Lanes RunFour(const rules::PaddleEdges& edges, const rules::BrickReach& reach, bool bricksLeft,
              const FourBalls& balls);

}  // namespace game::testing
