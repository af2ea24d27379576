// Vantor: the brick-breaking game. Plays board.brd from the program's directory, or the built-in
// default board when there is none.

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "game/built_in_board.h"
#include "game/game.h"
#include "game/random.h"
#include "game/sdl/sdl_platform.h"
#include "game/start_board.h"

namespace {

std::filesystem::path ProgramDirectory() {
    char* base = SDL_GetBasePath();
    if (base == nullptr) {
        return std::filesystem::current_path();
    }
    std::filesystem::path directory(base);
    SDL_free(base);
    return directory;
}

}  // namespace

int main() {
    SDL_SetMainReady();
    std::unique_ptr<game::SdlPlatform> platform;
    try {
        platform = std::make_unique<game::SdlPlatform>();
    } catch (const std::exception& e) {
        game::ReportFatal(nullptr, e.what());
        return 1;
    }

    const std::filesystem::path boardPath = game::BoardPathIn(ProgramDirectory());
    game::ClockRandom random;
    game::Game form(*platform, random, [&boardPath](core::Board& board) {
        game::LoadStartBoard(boardPath, game::BuiltInBoard(), board, std::cerr);
    });
    try {
        form.Form_Load();
    } catch (const std::exception& e) {
        // A board that cannot be played, or anything else that stops the game: say so and end
        // with a failure status rather than a crash.
        game::ReportFatal(platform->Window(), e.what());
        return 1;
    }
    return 0;
}
