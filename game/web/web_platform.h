#pragma once

// The game's window in a web page: a 600 x 480 canvas, the page title as the caption, and input
// that the page's script hands over. The frame loop runs unchanged; when it waits, the WebAssembly
// stack is unwound (Asyncify) so that the browser can run its own event loop, and it comes back
// when the page queues an event or the next frame is due.

#include <cstdint>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

#include "game/game.h"

namespace game {

class WebPlatform : public Platform {
  public:
    std::uint64_t TickCount() override;
    std::optional<InputEvent> PollEvent() override;
    void WaitEvent(std::optional<std::uint64_t> untilTick) override;
    void Show() override;
    void SetCaption(std::string_view caption) override;
    void Present(const core::PictureBox& playfield) override;

    // Called from the page's script, also while the loop waits: queue an event and wake the
    // loop.
    void Queue(const InputEvent& event);

  private:
    std::deque<InputEvent> events_;
    std::vector<std::uint32_t> rgba_;  // the playfield in the canvas's byte order
};

}  // namespace game
