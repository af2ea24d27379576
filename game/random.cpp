#include "game/random.h"

#include <chrono>

namespace game {

namespace {

std::uint64_t ClockNanoseconds() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

}  // namespace

std::uint64_t SplitMixRandom::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float SplitMixRandom::Rnd() {
    // 24 bits fill a single's significand exactly: the largest value is 1 - 2^-24.
    return static_cast<float>(Next() >> 40) * 0x1p-24f;
}

ClockRandom::ClockRandom() : SplitMixRandom(ClockNanoseconds()) {}

void ClockRandom::Randomize() {
    // Mixed into the running state, never replacing it: two reseeds within one clock tick
    // still leave different states behind.
    state_ ^= ClockNanoseconds() * 0xD6E8FEB86659FD93ull;
    Next();
}

}  // namespace game
