#include "game/web/web_sound.h"

#include <emscripten.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// clang-format off
EM_JS(int, vantor_sound_setting, (), {
    return Module.vantorSoundSetting();
});
EM_JS(void, vantor_sound_switched, (int on), {
    Module.vantorSoundSwitched(on !== 0);
});
EM_JS(void, vantor_play_effect, (int effect, float gain), {
    Module.vantorPlayEffect(effect, gain);
});
// clang-format on

namespace game {

WebSound::WebSound() : on_(vantor_sound_setting() != 0) {}

void WebSound::Play(const EffectCounts& events) {
    if (!on_) {
        return;
    }
    for (std::size_t e = 0; e < kEffectCount; ++e) {
        if (events.count[e] != 0) {
            vantor_play_effect(static_cast<int>(e), Loudness(events.count[e]));
        }
    }
}

void WebSound::SetOn(bool on) {
    on_ = on;
    vantor_sound_switched(on ? 1 : 0);
}

}  // namespace game

extern "C" {

// The samples of effect at rate, for the page's audio buffers; they live until the next call
// for the same effect.
EMSCRIPTEN_KEEPALIVE const float* vantor_effect_samples(int effect, int rate, int* length) {
    static std::array<std::vector<float>, game::kEffectCount> samples;
    if (effect < 0 || effect >= static_cast<int>(game::kEffectCount)) {
        *length = 0;
        return nullptr;
    }
    std::vector<float>& kept = samples[static_cast<std::size_t>(effect)];
    kept = game::SynthesiseEffect(static_cast<game::Effect>(effect), rate);
    *length = static_cast<int>(kept.size());
    return kept.data();
}

}  // extern "C"
