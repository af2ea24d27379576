#pragma once

// The game window on SDL2: one resizable window whose 613 x 507 client picture holds the
// playfield at (8, 8), scaled by whole multiples; the playfield is uploaded to a streaming
// texture on every Refresh.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/game.h"
#include "game/window_layout.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;
struct _SDL_GameController;

namespace game {

// The desktop entry the window belongs to: its class on X11 and its application id on Wayland
// (the entry's StartupWMClass), so that docks show the menu entry's name and icon for it.
inline constexpr const char* kDesktopId = "io.github.vantor_game.Vantor";

// How long a message that no message box could show stays in the caption.
inline constexpr std::uint64_t kCaptionNoticeMs = 5000;

class SdlPlatform : public Platform {
  public:
    // Opens the (still hidden) window. Throws std::runtime_error when SDL cannot, and when there
    // is no display to show it on (unless a video driver was asked for by name, as tests do).
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

    // The window's icon from size x size pixels of red, green, blue and alpha bytes, row by row
    // (nothing when empty).
    void SetIcon(std::span<const std::byte> rgba, int size);
    // Shows text in a message box where one can be shown (kind: SDL_MESSAGEBOX_ERROR, ...).
    // Where none can (no display, or the box fails, as where SDL's box needs a helper program
    // that is missing), the caption reads text for a while instead (kCaptionNoticeMs unless
    // set otherwise); the game's own caption comes back after that. Returns whether the box
    // was shown.
    bool ShowMessage(std::uint32_t kind, std::string_view text);
    void SetNoticeDuration(std::uint64_t milliseconds) { noticeMs_ = milliseconds; }
    // The same for an error that ends the game; when the message went to the caption of a
    // window on a display, the window stays for the notice's time or until it is closed.
    void ShowFatalError(std::string_view text);

    // Called with the path of every file dropped onto the window, between frames like every
    // other handler.
    using DropHandler = std::function<void(const char* path)>;
    void OnFileDropped(DropHandler handler) { dropHandler_ = std::move(handler); }
    // F11: the window fills its display, or gets its previous size back.
    void ToggleFullscreen();

  private:
    // Window commands that never reach the game's handlers: dropped files and F11
    // (window_commands.cpp). True when the event was one of them.
    bool HandleWindowCommand(const SDL_Event& event);
    std::optional<InputEvent> Translate(const SDL_Event& event);
    // Redraws the window from the last uploaded playfield.
    void Render();
    WindowLayout CurrentLayout() const;
    // Window coordinates (what mouse events carry) to renderer pixels.
    int ToPixelsX(int x) const;
    int ToPixelsY(int y) const;
    bool OverPlayfield(int x, int y) const;
    std::int16_t ModifierState() const;
    // Gives the caption back to the game once a notice's time is over.
    void EndNoticeWhenDue();
    // Closes a pad that was pulled out and lets go of whatever it held.
    void ForgetPad(std::int32_t instanceId);

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

    // Gamepads, opened when they arrive (at start too) and closed when they go.
    std::vector<_SDL_GameController*> pads_;
    // Inputs made up by the adapter itself (a pad's held buttons let go when it is pulled out).
    std::deque<InputEvent> pending_;

    DropHandler dropHandler_;
    // The game's caption, and the tick until which a notice stands in for it (0: none).
    std::string caption_ = "Form1";
    std::uint64_t noticeUntil_ = 0;
    std::uint64_t noticeMs_ = kCaptionNoticeMs;
    // The window's size and state before it went full screen.
    int windowedWidth_ = 0;
    int windowedHeight_ = 0;
    bool windowedMaximized_ = false;
};

// Whether a message box can be shown: a real display, not a headless video driver.
bool HasDisplay();

// Plays every board dropped onto the platform's window in form; a file that is no board is
// reported (standard error, and a message box or the caption) and the game goes on as it was.
void AcceptDroppedBoards(SdlPlatform& platform, Game& form);

// Reports an error that ends the game before it has a window: on standard error and, where
// there is a display, in a message box.
void ReportFatal(std::string_view message);

// Shows, where there is a display, the boards of a set that were left out (their messages,
// already written on standard error); nothing when none was.
void ReportSkipped(SdlPlatform& platform, const std::vector<std::string>& messages);

}  // namespace game
