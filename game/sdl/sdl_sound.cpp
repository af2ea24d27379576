#include "game/sdl/sdl_sound.h"

#include <SDL.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace game {

namespace {

// About 11 ms at 48 kHz: a sound starts within a frame or two of its event.
constexpr Uint16 kBufferSamples = 512;

// Holds SDL's audio lock, which its audio thread holds while it calls Fill.
class AudioLock {
  public:
    explicit AudioLock(SDL_AudioDeviceID device) : device_(device) {
        if (device_ != 0) {
            SDL_LockAudioDevice(device_);
        }
    }
    ~AudioLock() {
        if (device_ != 0) {
            SDL_UnlockAudioDevice(device_);
        }
    }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

  private:
    SDL_AudioDeviceID device_;
};

// Keeps standard error quiet while it lives. ALSA writes a page of "cannot find card" lines
// there when a machine has no sound card, although SDL then only reports that it found no
// device, which the game takes as "play silently".
class QuietStandardError {
  public:
    QuietStandardError() {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) {
            ::dup2(null, STDERR_FILENO);
        }
        if (null >= 0) {
            ::close(null);
        }
    }
    ~QuietStandardError() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

  private:
    int saved_ = -1;
};

}  // namespace

SdlSound::SdlSound(bool on) : on_(on) {
    const QuietStandardError quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        problem_ = SDL_GetError();
        return;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = 48000;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 1;
    wanted.samples = kBufferSamples;
    wanted.callback = &SdlSound::Fill;
    wanted.userdata = this;
    SDL_AudioSpec got{};
    // SDL converts to whatever the device takes, except the rate: the effects are made at the
    // device's own rate instead of being resampled.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) {
        problem_ = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    mixer_ = std::make_unique<Mixer>(got.freq);
    buffer_.resize(got.samples);
    SDL_PauseAudioDevice(device_, 0);
}

SdlSound::~SdlSound() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

void SdlSound::Play(const EffectCounts& events) {
    if (!on_ || !mixer_) {
        return;
    }
    const AudioLock lock(device_);
    for (std::size_t e = 0; e < kEffectCount; ++e) {
        if (events.count[e] != 0) {
            mixer_->Trigger(static_cast<Effect>(e), Loudness(events.count[e]));
        }
    }
}

void SdlSound::SetOn(bool on) {
    if (on_ != on && !on && mixer_) {
        const AudioLock lock(device_);
        mixer_->StopAll();
    }
    on_ = on;
    if (switched_) {
        switched_(on);
    }
}

std::uint64_t SdlSound::Started() const {
    const AudioLock lock(device_);
    return mixer_ ? mixer_->Started() : 0;
}

void SdlSound::Fill(void* self, std::uint8_t* stream, int bytes) {
    auto* sound = static_cast<SdlSound*>(self);
    std::vector<float>& buffer = sound->buffer_;
    buffer.resize(static_cast<std::size_t>(bytes) / sizeof(float));
    sound->mixer_->Render(buffer);
    std::memcpy(stream, buffer.data(), buffer.size() * sizeof(float));
}

}  // namespace game
