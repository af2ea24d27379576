#include "game/sdl/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace game {

namespace {

// The window's own colour around the playfield, and the bars around a scaled picture.
constexpr Uint8 kFormGrey = 240;

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + SDL_GetError());
}

std::int16_t ButtonOf(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT:
            return kLeftButton;
        case SDL_BUTTON_RIGHT:
            return kRightButton;
        case SDL_BUTTON_MIDDLE:
            return kMiddleButton;
        default:
            return 0;
    }
}

std::int16_t ButtonsOf(Uint32 sdlState) {
    std::int16_t buttons = 0;
    if ((sdlState & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0) {
        buttons = static_cast<std::int16_t>(buttons | kLeftButton);
    }
    if ((sdlState & SDL_BUTTON(SDL_BUTTON_RIGHT)) != 0) {
        buttons = static_cast<std::int16_t>(buttons | kRightButton);
    }
    if ((sdlState & SDL_BUTTON(SDL_BUTTON_MIDDLE)) != 0) {
        buttons = static_cast<std::int16_t>(buttons | kMiddleButton);
    }
    return buttons;
}

// Virtual key codes of letters and digits are their upper-case characters; besides them the game
// listens to the arrows, Space and Enter.
std::optional<std::int16_t> KeyCodeOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return static_cast<std::int16_t>('A' + (key - SDLK_a));
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return static_cast<std::int16_t>('0' + (key - SDLK_0));
    }
    switch (key) {
        case SDLK_LEFT:
            return kKeyLeft;
        case SDLK_RIGHT:
            return kKeyRight;
        case SDLK_SPACE:
            return kKeySpace;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return kKeyReturn;
        default:
            return std::nullopt;
    }
}

// A gamepad's buttons as the game's keys.
std::optional<std::int16_t> PadKeyOf(Uint8 button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return kPadA;
        case SDL_CONTROLLER_BUTTON_X:
            return kPadX;
        case SDL_CONTROLLER_BUTTON_START:
            return kPadStart;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return kPadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return kPadRight;
        default:
            return std::nullopt;
    }
}

// Why no window can be shown, for a start without a display.
std::string NoDisplayReason() {
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if ((x11 == nullptr || *x11 == '\0') && (wayland == nullptr || *wayland == '\0')) {
        return "cannot open a window: there is no display (neither DISPLAY nor WAYLAND_DISPLAY "
               "is set)";
    }
    return std::string("cannot open a window: the display ") +
           (x11 != nullptr && *x11 != '\0' ? x11 : wayland) + " cannot be opened";
}

std::uint64_t Microseconds() {
    // The performance counter is the monotonic clock: it counts from system start.
    const Uint64 counter = SDL_GetPerformanceCounter();
    const Uint64 frequency = SDL_GetPerformanceFrequency();
    return counter / frequency * 1'000'000u + counter % frequency * 1'000'000u / frequency;
}

}  // namespace

SdlPlatform::SdlPlatform() {
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    // Every frame replaces the whole 600 x 480 picture, so there is nothing for a GPU to keep;
    // SDL's own software renderer puts it on screen with one shared-memory copy. Where OpenGL
    // is only emulated (a virtual display, a remote session) it costs a quarter of what the
    // OpenGL renderer does. The environment variables of the same names still choose otherwise.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The window's class (X11) and application id (Wayland), unless the user chose another.
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", kDesktopId, 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        Fail("cannot start SDL");
    }
    // Without a display SDL falls back on a driver that draws into memory, and the game would
    // run on where nobody sees it. Only a driver asked for by name may be one of those.
    if (!HasDisplay() && SDL_getenv("SDL_VIDEODRIVER") == nullptr) {
        SDL_Quit();
        throw std::runtime_error(NoDisplayReason());
    }
    // Gamepads are welcome, not needed: without the subsystem the game plays on without them.
    // Pads already plugged in arrive as "added" events like the ones plugged in later.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::cerr << "Vantor: no gamepads: " << SDL_GetError() << std::endl;
    }
    window_ =
        SDL_CreateWindow("Form1", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kClientWidth,
                         kClientHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (window_ == nullptr) {
        Fail("cannot open the window");
    }
    SDL_SetWindowMinimumSize(window_, kClientWidth, kClientHeight);
    // No vsync: the game's speed is per frame, so its own 10 ms pacing must hold on any display.
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ == nullptr) {
        Fail("cannot draw into the window");
    }
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 kPlayfieldWidth, kPlayfieldHeight);
    if (texture_ == nullptr) {
        Fail("cannot create the playfield texture");
    }
    const std::vector<Uint32> white(static_cast<std::size_t>(kPlayfieldWidth) * kPlayfieldHeight,
                                    0xFFFFFFu);
    SDL_UpdateTexture(texture_, nullptr, white.data(), kPlayfieldWidth * 4);
    // Keys only; no text input or input-method windows.
    SDL_StopTextInput();
}

SdlPlatform::~SdlPlatform() {
    for (SDL_GameController* pad : pads_) {
        SDL_GameControllerClose(pad);
    }
    if (texture_ != nullptr) {
        SDL_DestroyTexture(texture_);
    }
    if (renderer_ != nullptr) {
        SDL_DestroyRenderer(renderer_);
    }
    if (window_ != nullptr) {
        SDL_DestroyWindow(window_);
    }
    SDL_Quit();
}

std::uint64_t SdlPlatform::TickCount() {
    return Microseconds() / 1000u;
}

std::optional<InputEvent> SdlPlatform::PollEvent() {
    EndNoticeWhenDue();
    SDL_Event event;
    while (pending_.empty() && SDL_PollEvent(&event) != 0) {
        if (std::optional<InputEvent> input = Translate(event)) {
            return input;
        }
    }
    if (pending_.empty()) {
        return std::nullopt;
    }
    const InputEvent input = pending_.front();
    pending_.pop_front();
    return input;
}

void SdlPlatform::WaitEvent(std::optional<std::uint64_t> untilTick) {
    if (!pending_.empty()) {
        return;
    }
    // A notice in the caption ends on time, also while the game waits for events alone.
    if (noticeUntil_ != 0 && (!untilTick || noticeUntil_ < *untilTick)) {
        untilTick = noticeUntil_;
    }
    if (!untilTick) {
        SDL_WaitEvent(nullptr);
        return;
    }
    const std::uint64_t now = Microseconds();
    const std::uint64_t until = *untilTick * 1000u;
    if (now >= until) {
        return;
    }
    const std::uint64_t remaining = until - now;
    if (remaining >= 1000u) {
        // Whole milliseconds, waking early for any event; the rest of the last millisecond is
        // slept on the next call.
        SDL_WaitEventTimeout(nullptr, static_cast<int>(remaining / 1000u));
    } else {
        std::this_thread::sleep_for(std::chrono::microseconds(remaining));
    }
}

void SdlPlatform::Show() {
    SDL_ShowWindow(window_);
    Render();
}

void SdlPlatform::SetCaption(std::string_view caption) {
    caption_ = caption;
    if (noticeUntil_ == 0) {
        SDL_SetWindowTitle(window_, caption_.c_str());
    }
}

void SdlPlatform::SetIcon(std::span<const std::byte> rgba, int size) {
    if (rgba.size() != static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4u) {
        return;
    }
    // SDL only reads the pixels, while the surface lives.
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::byte*>(rgba.data()), size, size, 32, size * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon != nullptr) {
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }
}

bool SdlPlatform::ShowMessage(std::uint32_t kind, std::string_view text) {
    const std::string message(text);
    if (HasDisplay() && SDL_ShowSimpleMessageBox(kind, "Vantor", message.c_str(), window_) == 0) {
        return true;
    }
    noticeUntil_ = std::max<std::uint64_t>(TickCount() + noticeMs_, 1);
    SDL_SetWindowTitle(window_, message.c_str());
    return false;
}

void SdlPlatform::ShowFatalError(std::string_view text) {
    if (ShowMessage(SDL_MESSAGEBOX_ERROR, text) || !HasDisplay() ||
        (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) == 0) {
        return;
    }
    while (noticeUntil_ != 0) {
        WaitEvent(noticeUntil_);
        while (std::optional<InputEvent> event = PollEvent()) {
            if (event->kind == InputEvent::Kind::QueryUnload) {
                return;
            }
        }
    }
}

void SdlPlatform::EndNoticeWhenDue() {
    if (noticeUntil_ != 0 && TickCount() >= noticeUntil_) {
        noticeUntil_ = 0;
        SDL_SetWindowTitle(window_, caption_.c_str());
    }
}

void SdlPlatform::Present(const core::PictureBox& playfield) {
    SDL_UpdateTexture(texture_, nullptr, playfield.Image().data(), playfield.Width() * 4);
    Render();
}

void SdlPlatform::Render() {
    const WindowLayout layout = CurrentLayout();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const SDL_Rect client{layout.offsetX, layout.offsetY, kClientWidth * layout.scale,
                          kClientHeight * layout.scale};
    SDL_SetRenderDrawColor(renderer_, kFormGrey, kFormGrey, kFormGrey, 255);
    SDL_RenderFillRect(renderer_, &client);
    const SDL_Rect playfield{layout.PlayfieldLeft(), layout.PlayfieldTop(), layout.PlayfieldWidth(),
                             layout.PlayfieldHeight()};
    SDL_RenderCopy(renderer_, texture_, nullptr, &playfield);
    SDL_RenderPresent(renderer_);
}

WindowLayout SdlPlatform::CurrentLayout() const {
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(renderer_, &width, &height);
    return ComputeLayout(width, height);
}

int SdlPlatform::ToPixelsX(int x) const {
    int windowWidth = 0;
    int pixelWidth = 0;
    SDL_GetWindowSize(window_, &windowWidth, nullptr);
    SDL_GetRendererOutputSize(renderer_, &pixelWidth, nullptr);
    return windowWidth > 0 ? static_cast<int>(std::int64_t{x} * pixelWidth / windowWidth) : x;
}

int SdlPlatform::ToPixelsY(int y) const {
    int windowHeight = 0;
    int pixelHeight = 0;
    SDL_GetWindowSize(window_, nullptr, &windowHeight);
    SDL_GetRendererOutputSize(renderer_, nullptr, &pixelHeight);
    return windowHeight > 0 ? static_cast<int>(std::int64_t{y} * pixelHeight / windowHeight) : y;
}

bool SdlPlatform::OverPlayfield(int x, int y) const {
    const WindowLayout layout = CurrentLayout();
    const float px = layout.ToPlayfieldX(ToPixelsX(x));
    const float py = layout.ToPlayfieldY(ToPixelsY(y));
    return px >= 0 && py >= 0 && px < static_cast<float>(kPlayfieldWidth) &&
           py < static_cast<float>(kPlayfieldHeight);
}

std::int16_t SdlPlatform::ModifierState() const {
    const SDL_Keymod mod = SDL_GetModState();
    std::int16_t shift = 0;
    if ((mod & KMOD_SHIFT) != 0) {
        shift = static_cast<std::int16_t>(shift | kShiftMask);
    }
    if ((mod & KMOD_CTRL) != 0) {
        shift = static_cast<std::int16_t>(shift | kCtrlMask);
    }
    if ((mod & KMOD_ALT) != 0) {
        shift = static_cast<std::int16_t>(shift | kAltMask);
    }
    return shift;
}

std::optional<InputEvent> SdlPlatform::Translate(const SDL_Event& event) {
    if (HandleWindowCommand(event)) {
        return std::nullopt;
    }
    InputEvent input;
    switch (event.type) {
        case SDL_QUIT:  // also what SIGINT and SIGTERM arrive as
            input.kind = InputEvent::Kind::QueryUnload;
            return input;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                input.kind = InputEvent::Kind::QueryUnload;
                return input;
            }
            switch (event.window.event) {
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_MAXIMIZED:
                case SDL_WINDOWEVENT_RESTORED:
                    // Paint the last frame again, at the window's new size.
                    Render();
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    // A release the window will never see (another window took the mouse)
                    // must not leave the pointer captured.
                    ReleaseCapture();
                    break;
                default:
                    break;
            }
            return std::nullopt;
        case SDL_MOUSEMOTION: {
            // The playfield sees movements over it, and every movement while a button pressed
            // on it is held, even outside the window.
            if (mouseOwner_ == MouseOwner::Elsewhere ||
                (mouseOwner_ == MouseOwner::None &&
                 !OverPlayfield(event.motion.x, event.motion.y))) {
                return std::nullopt;
            }
            const WindowLayout layout = CurrentLayout();
            input.kind = InputEvent::Kind::MouseMove;
            input.Button = ButtonsOf(event.motion.state);
            input.Shift = ModifierState();
            input.X = layout.ToPlayfieldX(ToPixelsX(event.motion.x));
            input.Y = layout.ToPlayfieldY(ToPixelsY(event.motion.y));
            return input;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const std::int16_t button = ButtonOf(event.button.button);
            if (button == 0) {
                return std::nullopt;
            }
            const bool down = event.type == SDL_MOUSEBUTTONDOWN;
            if (down) {
                if (heldButtons_ == 0) {
                    // The first press decides who holds the mouse until every button is up.
                    mouseOwner_ = OverPlayfield(event.button.x, event.button.y)
                                      ? MouseOwner::Playfield
                                      : MouseOwner::Elsewhere;
                    if (mouseOwner_ == MouseOwner::Playfield) {
                        SDL_CaptureMouse(SDL_TRUE);
                    }
                }
                heldButtons_ = static_cast<std::int16_t>(heldButtons_ | button);
                if (mouseOwner_ != MouseOwner::Playfield) {
                    return std::nullopt;
                }
            } else {
                // A release whose press this window never saw belongs to nobody here.
                if ((heldButtons_ & button) == 0) {
                    return std::nullopt;
                }
                const bool toPlayfield = mouseOwner_ == MouseOwner::Playfield;
                heldButtons_ = static_cast<std::int16_t>(heldButtons_ & ~button);
                if (heldButtons_ == 0) {
                    ReleaseCapture();
                }
                if (!toPlayfield) {
                    return std::nullopt;
                }
            }
            const WindowLayout layout = CurrentLayout();
            input.kind = down ? InputEvent::Kind::MouseDown : InputEvent::Kind::MouseUp;
            input.Button = button;
            input.Shift = ModifierState();
            input.X = layout.ToPlayfieldX(ToPixelsX(event.button.x));
            input.Y = layout.ToPlayfieldY(ToPixelsY(event.button.y));
            return input;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const std::optional<std::int16_t> code = KeyCodeOf(event.key.keysym.sym);
            if (!code) {
                return std::nullopt;
            }
            input.kind =
                event.type == SDL_KEYDOWN ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
            input.KeyCode = *code;
            input.Shift = ModifierState();
            input.Repeat = event.key.repeat != 0;
            return input;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            const std::optional<std::int16_t> code = PadKeyOf(event.cbutton.button);
            if (!code) {
                return std::nullopt;
            }
            input.kind = event.type == SDL_CONTROLLERBUTTONDOWN ? InputEvent::Kind::KeyDown
                                                                : InputEvent::Kind::KeyUp;
            input.KeyCode = *code;
            return input;
        }
        case SDL_CONTROLLERDEVICEADDED:
            if (SDL_GameController* pad = SDL_GameControllerOpen(event.cdevice.which)) {
                pads_.push_back(pad);
            }
            return std::nullopt;
        case SDL_CONTROLLERDEVICEREMOVED:
            ForgetPad(event.cdevice.which);
            return std::nullopt;
        case SDL_CONTROLLERAXISMOTION:
            if (event.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX) {
                return std::nullopt;
            }
            input.kind = InputEvent::Kind::PadStick;
            input.X = std::max(-1.0f, static_cast<float>(event.caxis.value) / 32767.0f);
            return input;
        default:
            return std::nullopt;
    }
}

void SdlPlatform::ForgetPad(std::int32_t id) {
    SDL_GameController* pad = SDL_GameControllerFromInstanceID(id);
    const auto it = std::find(pads_.begin(), pads_.end(), pad);
    if (pad == nullptr || it == pads_.end()) {
        return;
    }
    pads_.erase(it);
    SDL_GameControllerClose(pad);
    // A pad pulled out while steering must not leave the paddle running.
    for (const std::int16_t key : {kPadLeft, kPadRight}) {
        InputEvent up;
        up.kind = InputEvent::Kind::KeyUp;
        up.KeyCode = key;
        pending_.push_back(up);
    }
    InputEvent centre;
    centre.kind = InputEvent::Kind::PadStick;
    pending_.push_back(centre);
}

void SdlPlatform::ReleaseCapture() {
    if (mouseOwner_ == MouseOwner::Playfield) {
        SDL_CaptureMouse(SDL_FALSE);
    }
    mouseOwner_ = MouseOwner::None;
    heldButtons_ = 0;
}

bool HasDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr) {
        return std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
    }
    // SDL is not running (it failed to start): only try where a display server is named.
    const char* hint = SDL_getenv("SDL_VIDEODRIVER");
    if (hint != nullptr &&
        (std::strcmp(hint, "dummy") == 0 || std::strcmp(hint, "offscreen") == 0)) {
        return false;
    }
    return SDL_getenv("DISPLAY") != nullptr || SDL_getenv("WAYLAND_DISPLAY") != nullptr;
}

void ReportFatal(std::string_view message) {
    const std::string text(message);
    std::cerr << "Vantor: " << text << std::endl;
    if (HasDisplay()) {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Vantor", text.c_str(), nullptr);
    }
}

void ReportSkipped(SdlPlatform& platform, const std::vector<std::string>& messages) {
    if (messages.empty() || !HasDisplay()) {
        return;
    }
    std::string text = "These boards cannot be played and are left out:";
    for (const std::string& message : messages) {
        text += "\n\n" + message;
    }
    platform.ShowMessage(SDL_MESSAGEBOX_WARNING, text);
}

}  // namespace game
