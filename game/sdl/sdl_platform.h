#pragma once

// The game window on SDL2: one resizable window whose 613 x 507 client picture holds the
// playfield at (8, 8), scaled by whole multiples; the playfield is uploaded to a streaming
// texture on every Refresh.

#include <cstdint>
#include <optional>
#include <string_view>

#include "game/game.h"
#include "game/window_layout.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

namespace game {

class SdlPlatform : public Platform {
  public:
    // Opens the (still hidden) window. Throws std::runtime_error when SDL cannot.
    SdlPlatform();
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    std::uint64_t TickCount() override;
    std::optional<InputEvent> PollEvent() override;
    void WaitEvent(std::optional<std::uint64_t> untilTick) override;
    void Show() override;
    void SetCaption(std::string_view caption) override;
    void Present(const core::PictureBox& playfield) override;

    SDL_Window* Window() const { return window_; }

  private:
    std::optional<InputEvent> Translate(const SDL_Event& event);
    // Redraws the window from the last uploaded playfield.
    void Render();
    WindowLayout CurrentLayout() const;
    // Window coordinates (what mouse events carry) to renderer pixels.
    int ToPixelsX(int x) const;
    int ToPixelsY(int y) const;
    bool OverPlayfield(int x, int y) const;
    std::int16_t ModifierState() const;

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    // The mouse is captured from the first press until every button is up again, by whatever
    // lay under that first press. While the playfield holds it, every movement, press and
    // release goes to the playfield, wherever the mouse is; while the rest of the window holds
    // it, the playfield gets nothing.
    enum class MouseOwner { None, Playfield, Elsewhere };
    // Forgets the capture (the buttons are up, or another window took the mouse).
    void ReleaseCapture();
    MouseOwner mouseOwner_ = MouseOwner::None;
    std::int16_t heldButtons_ = 0;
};

// Whether a message box can be shown: a real display, not a headless video driver.
bool HasDisplay();

// Reports a fatal start-up error on standard error and, where there is a display, in a message
// box (window may be null).
void ReportFatal(SDL_Window* window, std::string_view message);

}  // namespace game
