#pragma once

#include <cstdint>

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

// A small, well-mixed generator (SplitMix64). Rnd takes the top 24 bits, so every value is an
// exact single and 1 is never reached.
class SplitMixRandom : public Random {
  public:
    explicit SplitMixRandom(std::uint64_t seed) : state_(seed) {}
    void Randomize() override {}
    float Rnd() override;

  protected:
    std::uint64_t Next();
    std::uint64_t state_;
};

// The game's generator: reseeded from the clock.
class ClockRandom : public SplitMixRandom {
  public:
    ClockRandom();
    void Randomize() override;
};

// A fixed seed and no reseeding: the same seed gives the same angles on every run.
class SeededRandom : public SplitMixRandom {
  public:
    explicit SeededRandom(std::uint64_t seed) : SplitMixRandom(seed) {}
};

}  // namespace game
