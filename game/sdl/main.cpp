// Vantor: the brick-breaking game. `Vantor [--threads N] [BOARD.brd]` plays the board named, or
// the first board.brd found beside the program or in the data folders, or the built-in default
// board.

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/built_in_board.h"
#include "game/command_line.h"
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

int main(int argc, char** argv) {
    SDL_SetMainReady();
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const game::CommandLine commandLine = game::ParseCommandLine(arguments);
    switch (commandLine.action) {
        case game::CommandLine::Action::ShowHelp:
            std::cout << game::HelpText();
            return 0;
        case game::CommandLine::Action::ShowVersion:
            std::cout << game::VersionText(VANTOR_VERSION);
            return 0;
        case game::CommandLine::Action::UsageError:
            std::cerr << "Vantor: " << commandLine.error << "\n" << game::UsageText();
            return 2;
        case game::CommandLine::Action::Play:
            break;
    }

    std::unique_ptr<game::SdlPlatform> platform;
    try {
        platform = std::make_unique<game::SdlPlatform>();
    } catch (const std::exception& e) {
        game::ReportFatal(nullptr, e.what());
        return 1;
    }

    const std::vector<std::filesystem::path> searchPath =
        game::BoardSearchPath(ProgramDirectory(), game::ProcessDataEnvironment());
    game::ClockRandom random;
    game::Game form(*platform, random, [&commandLine, &searchPath](core::Board& board) {
        game::LoadStartBoard(commandLine.board, searchPath, game::BuiltInBoard(), board, std::cerr);
    });
    if (commandLine.threads) {
        form.Balls.SetThreads(*commandLine.threads);
    }
    game::AcceptDroppedBoards(*platform, form);
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
