// What the window does by itself, without the game's handlers: boards dropped onto it and the
// full-screen toggle.

#include <SDL.h>

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "game/board_drop.h"
#include "game/sdl/sdl_platform.h"

namespace game {

bool SdlPlatform::HandleWindowCommand(const SDL_Event& event) {
    switch (event.type) {
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
            // SDL hands over the string; it is freed here whoever uses it.
            if (event.type == SDL_DROPFILE && event.drop.file != nullptr && dropHandler_) {
                dropHandler_(event.drop.file);
            }
            SDL_free(event.drop.file);
            return true;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym != SDLK_F11) {
                return false;
            }
            if (event.key.repeat == 0) {
                ToggleFullscreen();
            }
            return true;
        default:
            return false;
    }
}

void SdlPlatform::ToggleFullscreen() {
    const Uint32 flags = SDL_GetWindowFlags(window_);
    if ((flags & SDL_WINDOW_FULLSCREEN) == 0) {
        windowedMaximized_ = (flags & SDL_WINDOW_MAXIMIZED) != 0;
        SDL_GetWindowSize(window_, &windowedWidth_, &windowedHeight_);
        // The desktop's own mode: no mode switch, and the picture keeps its whole-multiple
        // scaling, centred, on whichever display the window is on.
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(window_, 0);
        if (windowedMaximized_) {
            SDL_MaximizeWindow(window_);
        } else if (windowedWidth_ > 0 && windowedHeight_ > 0) {
            SDL_SetWindowSize(window_, windowedWidth_, windowedHeight_);
        }
    }
    Render();
}

void AcceptDroppedBoards(SdlPlatform& platform, Game& form) {
    platform.OnFileDropped([&platform, &form](const char* path) {
        try {
            PlayDroppedBoard(form, std::filesystem::path(path), std::cerr);
        } catch (const std::exception& e) {
            std::cerr << "Vantor: " << e.what() << std::endl;
            platform.ShowMessage(SDL_MESSAGEBOX_WARNING, e.what());
        }
    });
}

}  // namespace game
