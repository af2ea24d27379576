// The SDL adapter's mouse capture, driven by SDL events pushed into its queue under the dummy
// video driver. The window is 613 x 507 at scale 1, so the playfield starts at (8, 8).

#include "game/sdl/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace game {
namespace {

void PushButton(bool down, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
}

void PushMotion(Uint32 held, int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.state = held;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

// What the playfield received, one event a line: "down 1 92,92", "move 1 -58,92" ...
std::string Received(SdlPlatform& platform) {
    std::string text;
    while (std::optional<InputEvent> e = platform.PollEvent()) {
        const char* kind = e->kind == InputEvent::Kind::MouseDown ? "down"
                           : e->kind == InputEvent::Kind::MouseUp ? "up"
                                                                  : "move";
        text += std::string(kind) + " " + std::to_string(e->Button) + " " +
                std::to_string(static_cast<int>(e->X)) + "," +
                std::to_string(static_cast<int>(e->Y)) + "\n";
    }
    return text;
}

TEST(SdlMouseCapture, APressOnThePlayfieldTakesEveryButtonAndAPressElsewhereGivesItNothing) {
    SdlPlatform platform;
    platform.Show();
    Received(platform);

    // Left pressed on the playfield: a right click outside the window, movements and the
    // final release anywhere all go to the playfield.
    PushButton(true, SDL_BUTTON_LEFT, 100, 100);
    PushButton(true, SDL_BUTTON_RIGHT, 700, 300);
    PushButton(false, SDL_BUTTON_RIGHT, 700, 300);
    PushMotion(SDL_BUTTON_LMASK, -50, 100);
    PushButton(false, SDL_BUTTON_LEFT, -50, 100);
    EXPECT_EQ(Received(platform),
              "down 1 92,92\ndown 2 692,292\nup 2 692,292\nmove 1 -58,92\nup 1 -58,92\n");

    // Left pressed in the margin: a drag over the playfield and a right click on it reach
    // nothing until the left button is up again.
    PushButton(true, SDL_BUTTON_LEFT, 2, 2);
    PushMotion(SDL_BUTTON_LMASK, 100, 100);
    PushButton(true, SDL_BUTTON_RIGHT, 100, 100);
    PushButton(false, SDL_BUTTON_RIGHT, 100, 100);
    PushButton(false, SDL_BUTTON_LEFT, 100, 100);
    PushMotion(0, 120, 100);
    EXPECT_EQ(Received(platform), "move 0 112,92\n");
}

}  // namespace
}  // namespace game
