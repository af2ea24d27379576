#pragma once

namespace game {

// The generator behind the ball angles. The game reseeds it from the clock before every spawned
// ball; tests and replays inject one that ignores the reseed, so a run can be repeated exactly.
class Random {
  public:
    virtual ~Random() = default;
    // Mixes the clock into the state. It perturbs rather than restarts the sequence, so balls
    // spawned within the same clock tick still get different values.
    virtual void Randomize() = 0;
    // The next value, uniform in [0, 1).
    virtual float Rnd() = 0;
};

}  // namespace game
