#pragma once

// The game's sounds on SDL2's own audio: one mono float stream at the device's rate, filled by
// the mixer (game/sound.h) on SDL's audio thread. No SDL_mixer: six fixed voices and a limiter
// are a few lines, and the game keeps its one dependency. Without a sound device (no sound card
// or server, a build machine) the game plays silently: nothing is reported and M still switches
// and remembers the setting.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/game.h"
#include "game/sound.h"

namespace game {

class SdlSound : public SoundOutput {
  public:
    // Opens the default audio device, or none.
    explicit SdlSound(bool on);
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    void Play(const EffectCounts& events) override;
    bool On() const override { return on_; }
    void SetOn(bool on) override;

    // Called after M switched the sound, to remember the choice.
    void OnSwitched(std::function<void(bool on)> handler) { switched_ = std::move(handler); }

    // Whether a device plays the sounds, and why not when none does.
    bool HasDevice() const { return device_ != 0; }
    const std::string& Problem() const { return problem_; }
    // Effects the mixer has started: what tests count.
    std::uint64_t Started() const;

  private:
    static void Fill(void* self, std::uint8_t* stream, int bytes);

    bool on_;
    std::uint32_t device_ = 0;
    std::unique_ptr<Mixer> mixer_;
    std::vector<float> buffer_;  // the mix, before it is copied to SDL's byte stream
    std::function<void(bool)> switched_;
    std::string problem_;
};

}  // namespace game
