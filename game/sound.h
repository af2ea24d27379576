#pragma once

// The game's sound effects, without any audio device: the six effects (synthesised here, so the
// game ships no sound files), how loud the events of one frame make them, and the mixer that
// plays them. The SDL adapter feeds the mixer's output to the sound card; the browser plays the
// same samples through Web Audio.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace game {

enum class Effect : std::uint8_t {
    Release,         // balls leave the paddle
    PaddleHit,       // a ball bounces off the paddle
    WallBounce,      // a ball bounces off a wall
    BrickDestroyed,  // a brick is cleared
    BallLost,        // a ball falls out of the playfield
    BallsAdded,      // a hundred balls wait on the paddle
};
inline constexpr std::size_t kEffectCount = 6;

// How many events of each effect happened together: in one frame, or in one input handler.
struct EffectCounts {
    std::array<std::uint32_t, kEffectCount> count{};

    void Add(Effect effect, std::uint32_t n);
    std::uint32_t operator[](Effect effect) const {
        return count[static_cast<std::size_t>(effect)];
    }
    bool Any() const;
    bool operator==(const EffectCounts&) const = default;
};

// The gain an effect sounds with when n of its events happen together: 0 for none, 0.5 for one,
// an eighth more for every doubling, and 1 from 16 events on. A frame with a hundred thousand
// bounces is louder than one with a single bounce, but only a little.
float Loudness(std::uint32_t n);

// The effect's samples, mono, at sampleRate samples a second. Each effect peaks at its own
// level below 1; a mix of all six still stays inside (-1, 1) through the mixer's limiter.
std::vector<float> SynthesiseEffect(Effect effect, int sampleRate);

// Plays the effects: one voice per effect, so an effect never piles up on itself however many
// frames ask for it, mixed through a soft limiter. Not thread-safe: the audio adapter keeps the
// device's callback and the game's triggers apart.
class Mixer {
  public:
    explicit Mixer(int sampleRate);

    // Starts the effect at gain (0 to 1). An effect that started less than kRetriggerSeconds
    // ago keeps playing and only takes the larger gain; every frame restarting a bounce would
    // turn it into a buzz.
    void Trigger(Effect effect, float gain);
    // Silences every voice at once (sound switched off).
    void StopAll();
    // Mixes the sounding voices into out, mono; every sample lies strictly inside (-1, 1).
    void Render(std::span<float> out);

    // Effects started since the mixer was made: what tests count.
    std::uint64_t Started() const { return started_; }
    int SampleRate() const { return sampleRate_; }

    static constexpr double kRetriggerSeconds = 0.05;

  private:
    struct Voice {
        std::size_t position = 0;
        float gain = 0;
        bool playing = false;
    };
    int sampleRate_;
    std::size_t retriggerSamples_;
    std::array<std::vector<float>, kEffectCount> samples_;
    std::array<Voice, kEffectCount> voices_{};
    std::uint64_t started_ = 0;
};

// Keeps a mix strictly inside (-1, 1): unchanged up to 0.6, then bent smoothly towards 1.
float SoftLimit(float x);

}  // namespace game
