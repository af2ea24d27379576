// Vantor: the brick-breaking game. `Vantor [BOARD.brd | FOLDER]...` plays the boards named, in
// turn, or the first board.brd found beside the program or in the data folders, or the built-in
// default board. It can record the game as it is played and play a recording back.

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "game/board_set.h"
#include "game/built_in_board.h"
#include "game/command_line.h"
#include "game/game.h"
#include "game/random.h"
#include "game/recording.h"
#include "game/replay.h"
#include "game/script.h"
#include "game/sdl/sdl_platform.h"
#include "game/sdl/sdl_sound.h"
#include "game/sdl/window_icon.h"
#include "game/settings.h"
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

std::vector<game::ReplayCommand> ReadRecording(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(path.string() +
                                 ": cannot open the recording: " + std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return game::ParseReplayScript(text.str());
    } catch (const game::ReplayError& e) {
        throw std::runtime_error(path.string() + ": " + e.what());
    }
}

std::uint64_t ClockSeed() {
    return static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
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

    // A recording that cannot be read or written ends the game before a window opens.
    std::vector<game::ReplayCommand> script;
    std::ofstream recording;
    try {
        if (commandLine.replay) {
            script = ReadRecording(*commandLine.replay);
            if (!game::HeadOf(script).boards.empty() && !commandLine.boards.empty()) {
                throw std::runtime_error(commandLine.replay->string() +
                                         " brings its own boards; name no board with --replay");
            }
        }
        if (commandLine.record) {
            recording.open(*commandLine.record, std::ios::binary | std::ios::trunc);
            if (!recording) {
                throw std::runtime_error(commandLine.record->string() +
                                         ": cannot write the recording: " + std::strerror(errno));
            }
        }
    } catch (const std::exception& e) {
        game::ReportFatal(e.what());
        return 1;
    }
    const game::ScriptHead head = game::HeadOf(script);

    std::unique_ptr<game::SdlPlatform> platform;
    try {
        platform = std::make_unique<game::SdlPlatform>();
    } catch (const std::exception& e) {
        game::ReportFatal(e.what());
        return 1;
    }
    platform->SetIcon(game::WindowIconPixels(), game::kWindowIconSize);

    // M's choice is kept for the next game; --mute starts this one silent without changing it.
    const std::filesystem::path settings =
        game::SettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    const bool soundOn =
        !commandLine.mute && (settings.empty() || game::ReadSetting(settings, "sound") != "off");
    game::SdlSound sound(soundOn);
    sound.OnSwitched([&settings](bool on) {
        try {
            if (!settings.empty()) {
                game::WriteSetting(settings, "sound", on ? "on" : "off");
            }
        } catch (const std::exception& e) {
            std::cerr << "Vantor: " << e.what() << std::endl;
        }
    });

    // A recorded game draws every angle from one seed, so that its replay draws the same ones.
    const std::uint64_t seed = head.seed.value_or(ClockSeed());
    std::unique_ptr<game::Random> random;
    if (commandLine.record || commandLine.replay) {
        random = std::make_unique<game::SeededRandom>(seed);
    } else {
        random = std::make_unique<game::ClockRandom>();
    }

    std::optional<game::ScriptPlayer> player;
    if (commandLine.replay) {
        player.emplace(*platform, script, std::cerr);
    }
    const std::vector<std::filesystem::path> searchPath =
        game::BoardSearchPath(ProgramDirectory(), game::ProcessDataEnvironment());
    std::vector<std::string> skipped;
    game::Game form(player ? static_cast<game::Platform&>(*player) : *platform, *random, {});
    form.loadBoard = [&](core::Board& board) {
        form.Set = !head.boards.empty()
                       ? head.boards
                       : game::LoadStartBoards(commandLine.boards, searchPath, game::BuiltInBoard(),
                                               std::cerr, skipped);
        board = form.Set.front();
    };
    form.sound = &sound;
    if (commandLine.threads) {
        form.Balls.SetThreads(*commandLine.threads);
    }
    if (player) {
        player->Attach(form);
    } else {
        game::AcceptDroppedBoards(*platform, form);
    }
    game::Recorder recorder(recording);
    try {
        form.StartUp();
        game::ReportSkipped(*platform, skipped);
        if (commandLine.record) {
            recorder.Begin(seed, form);
            form.observer = &recorder;
        }
        if (player) {
            // A script's inputs before its first frame act before the loop draws one, as in
            // vantor-replay. (A recording's first input always follows a frame.)
            form.DoEvents();
        }
        form.GameLoop();
    } catch (const std::exception& e) {
        // A board that cannot be played, or anything else that stops the game: say so and end
        // with a failure status rather than a crash.
        std::cerr << "Vantor: " << e.what() << std::endl;
        platform->ShowFatalError(e.what());
        return 1;
    }
    if (commandLine.record) {
        recorder.Finish(form);
        if (!recording) {
            std::cerr << "Vantor: " << commandLine.record->string()
                      << ": the recording could not be written completely" << std::endl;
            return 1;
        }
    }
    if (commandLine.dump) {
        game::DumpGame(form, std::cout);
    }
    return 0;
}
