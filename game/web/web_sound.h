#pragma once

// The game's sounds in a web page: the same effects as on the desktop (game/sound.h), played by
// the page through Web Audio (sound.js). The page starts its audio after the first click or key,
// as browsers require, and keeps the sound switch in the browser's local storage.

#include "game/game.h"
#include "game/sound.h"

namespace game {

class WebSound : public SoundOutput {
  public:
    WebSound();
    void Play(const EffectCounts& events) override;
    bool On() const override { return on_; }
    void SetOn(bool on) override;

  private:
    bool on_;
};

}  // namespace game
