#pragma once

#include <cstdint>

#include "game/balls/random.h"

namespace game {

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
