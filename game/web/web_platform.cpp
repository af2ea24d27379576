#include "game/web/web_platform.h"

#include <emscripten.h>

#include <span>
#include <string>

#include "shared/colour.h"

// The page's side of the platform, in page.js: vantorWait resolves when an event is queued or
// the tick counter reaches the given tick; the others draw, set the caption and end a wait.
// clang-format off
EM_ASYNC_JS(void, vantor_wait, (double untilTick), {
    await Module.vantorWait(untilTick);
});
EM_JS(void, vantor_present, (const void* rgba, int width, int height), {
    Module.vantorPresent(rgba, width, height);
});
EM_JS(void, vantor_set_caption, (const char* text), {
    Module.vantorSetCaption(UTF8ToString(text));
});
EM_JS(void, vantor_wake, (), {
    Module.vantorWake();
});
// clang-format on

namespace game {

std::uint64_t WebPlatform::TickCount() {
    // Milliseconds since the page started, like the system's tick counter since boot.
    return static_cast<std::uint64_t>(emscripten_get_now());
}

std::optional<InputEvent> WebPlatform::PollEvent() {
    if (events_.empty()) {
        return std::nullopt;
    }
    const InputEvent event = events_.front();
    events_.pop_front();
    return event;
}

void WebPlatform::WaitEvent(std::optional<std::uint64_t> untilTick) {
    if (!events_.empty()) {
        return;
    }
    // The page times the wait to the tick itself, to the fraction of a millisecond: a wait in
    // whole milliseconds from a truncated tick would start most frames late. Negative: wait
    // for an event alone, so no timer runs while the game is paused.
    vantor_wait(untilTick ? static_cast<double>(*untilTick) : -1.0);
}

void WebPlatform::Show() {}

void WebPlatform::SetCaption(std::string_view caption) {
    vantor_set_caption(std::string(caption).c_str());
}

void WebPlatform::Present(const core::PictureBox& playfield) {
    const std::span<const core::Rgb32> image = playfield.Image();
    rgba_.resize(image.size());
    for (std::size_t i = 0; i < image.size(); ++i) {
        // 0x00RRGGBB to the bytes R, G, B, A of a canvas pixel (WebAssembly is little-endian).
        const core::Rgb32 p = image[i];
        rgba_[i] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
    }
    vantor_present(rgba_.data(), playfield.Width(), playfield.Height());
}

void WebPlatform::Queue(const InputEvent& event) {
    events_.push_back(event);
    vantor_wake();
}

}  // namespace game
