#include "game/sound.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace game {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// One tone of an effect: its pitch glides from startHz to endHz (exponentially, as the ear
// hears pitch), its loudness rises over attack seconds and then decays with the time constant
// decay; overtone adds that much of the third harmonic, for a hollow, square-ish colour.
struct Tone {
    double seconds;
    double startHz;
    double endHz;
    double attack;
    double decay;
    double overtone = 0;
    double delay = 0;  // seconds of silence before the tone
};

void AddTone(std::vector<double>& out, int rate, const Tone& tone) {
    const auto first = static_cast<std::size_t>(tone.delay * rate);
    const auto count = static_cast<std::size_t>(tone.seconds * rate);
    if (out.size() < first + count) {
        out.resize(first + count, 0.0);
    }
    double phase = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double hz = tone.startHz * std::pow(tone.endHz / tone.startHz, t / tone.seconds);
        phase += kTwoPi * hz / rate;
        const double rise = t < tone.attack ? t / tone.attack : 1.0;
        // The last 5 ms fade to nothing, so no effect ends in a click.
        const double tail = std::min(1.0, (tone.seconds - t) / 0.005);
        const double envelope = rise * std::exp(-t / tone.decay) * tail;
        out[first + i] += envelope * (std::sin(phase) + tone.overtone * std::sin(3 * phase));
    }
}

// A burst of noise from a fixed generator, so every run makes the same samples.
void AddNoise(std::vector<double>& out, int rate, double seconds, double decay, double level) {
    const auto count = static_cast<std::size_t>(seconds * rate);
    if (out.size() < count) {
        out.resize(count, 0.0);
    }
    std::uint32_t state = 0x12345678u;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        const double white = static_cast<double>(state >> 8) / (1u << 23) - 1.0;
        out[i] += level * white * std::exp(-static_cast<double>(i) / rate / decay);
    }
}

// Scales the effect so that its loudest sample is peak.
std::vector<float> Normalised(const std::vector<double>& samples, double peak) {
    double loudest = 0;
    for (const double s : samples) {
        loudest = std::max(loudest, std::fabs(s));
    }
    std::vector<float> out(samples.size());
    const double scale = loudest > 0 ? peak / loudest : 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        out[i] = static_cast<float>(samples[i] * scale);
    }
    return out;
}

}  // namespace

void EffectCounts::Add(Effect effect, std::uint32_t n) {
    std::uint32_t& c = count[static_cast<std::size_t>(effect)];
    c = n > std::numeric_limits<std::uint32_t>::max() - c
            ? std::numeric_limits<std::uint32_t>::max()
            : c + n;
}

bool EffectCounts::Any() const {
    return std::any_of(count.begin(), count.end(), [](std::uint32_t c) { return c != 0; });
}

float Loudness(std::uint32_t n) {
    if (n == 0) {
        return 0;
    }
    return std::min(1.0f, 0.5f + 0.125f * std::log2(static_cast<float>(n)));
}

std::vector<float> SynthesiseEffect(Effect effect, int rate) {
    std::vector<double> s;
    switch (effect) {
        case Effect::Release:  // a quick upward chirp
            AddTone(s, rate, {0.09, 320, 960, 0.004, 0.05, 0.3});
            return Normalised(s, 0.40);
        case Effect::PaddleHit:  // a round, low knock
            AddTone(s, rate, {0.12, 210, 180, 0.002, 0.035});
            AddTone(s, rate, {0.06, 420, 360, 0.002, 0.015});
            return Normalised(s, 0.45);
        case Effect::WallBounce:  // a short, high tick
            AddTone(s, rate, {0.045, 1500, 1300, 0.001, 0.010});
            AddNoise(s, rate, 0.010, 0.002, 0.3);
            return Normalised(s, 0.30);
        case Effect::BrickDestroyed:  // a bright ping, a fifth over a crack of noise
            AddTone(s, rate, {0.16, 660, 660, 0.002, 0.05});
            AddTone(s, rate, {0.16, 990, 990, 0.002, 0.04});
            AddNoise(s, rate, 0.02, 0.005, 0.8);
            return Normalised(s, 0.40);
        case Effect::BallLost:  // a falling, fading moan
            AddTone(s, rate, {0.35, 440, 110, 0.01, 0.15, 0.2});
            return Normalised(s, 0.45);
        case Effect::BallsAdded:  // three rising notes, a major chord one after another
            AddTone(s, rate, {0.07, 523.25, 523.25, 0.003, 0.04, 0.15});
            AddTone(s, rate, {0.07, 659.25, 659.25, 0.003, 0.04, 0.15, 0.06});
            AddTone(s, rate, {0.10, 783.99, 783.99, 0.003, 0.05, 0.15, 0.12});
            return Normalised(s, 0.40);
    }
    return {};
}

float SoftLimit(float x) {
    constexpr float kKnee = 0.6f;
    const float size = std::fabs(x);
    if (size <= kKnee) {
        return x;
    }
    // tanh never reaches 1, and the float result stays below 1 for every finite mix of the six
    // voices (at most about 2.5).
    const float bent = kKnee + (1 - kKnee) * std::tanh((size - kKnee) / (1 - kKnee));
    const float limited = std::min(bent, 0.9999f);
    return x < 0 ? -limited : limited;
}

Mixer::Mixer(int sampleRate)
    : sampleRate_(sampleRate),
      retriggerSamples_(static_cast<std::size_t>(kRetriggerSeconds * sampleRate)) {
    for (std::size_t e = 0; e < kEffectCount; ++e) {
        samples_[e] = SynthesiseEffect(static_cast<Effect>(e), sampleRate);
    }
}

void Mixer::Trigger(Effect effect, float gain) {
    const auto e = static_cast<std::size_t>(effect);
    if (samples_[e].empty()) {
        return;
    }
    Voice& voice = voices_[e];
    gain = std::clamp(gain, 0.0f, 1.0f);
    if (voice.playing && voice.position < retriggerSamples_) {
        voice.gain = std::max(voice.gain, gain);
        return;
    }
    voice = Voice{0, gain, true};
    ++started_;
}

void Mixer::StopAll() {
    for (Voice& voice : voices_) {
        voice.playing = false;
    }
}

void Mixer::Render(std::span<float> out) {
    std::fill(out.begin(), out.end(), 0.0f);
    for (std::size_t e = 0; e < kEffectCount; ++e) {
        Voice& voice = voices_[e];
        const std::vector<float>& samples = samples_[e];
        for (std::size_t i = 0; voice.playing && i < out.size(); ++i) {
            out[i] += voice.gain * samples[voice.position];
            if (++voice.position == samples.size()) {
                voice.playing = false;
            }
        }
    }
    for (float& sample : out) {
        sample = SoftLimit(sample);
    }
}

}  // namespace game
