#include "game/command_line.h"

#include <charconv>
#include <string>
#include <utility>

namespace game {

namespace {

void UsageError(CommandLine& result, std::string error) {
    if (result.action != CommandLine::Action::UsageError) {
        result.action = CommandLine::Action::UsageError;
        result.error = std::move(error);
    }
}

}  // namespace

std::optional<unsigned> ParseThreadCount(std::string_view text) {
    unsigned n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size() || n < 1 || n > kMostThreads) {
        return std::nullopt;
    }
    return n;
}

std::string ThreadCountError(std::string_view text) {
    return "--threads needs a whole number from 1 to " + std::to_string(kMostThreads) + ", got '" +
           std::string(text) + "'";
}

CommandLine ParseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine result;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            if (argument == "--") {
                optionsEnded = true;
                continue;
            }
            // Help and version win over anything else on the line, as users expect of them.
            if (argument == "--help" || argument == "-h") {
                return {CommandLine::Action::ShowHelp, std::nullopt, std::nullopt, {}};
            }
            if (argument == "--version") {
                return {CommandLine::Action::ShowVersion, std::nullopt, std::nullopt, {}};
            }
            if (argument == "--threads" || argument.starts_with("--threads=")) {
                const bool joined = argument != "--threads";
                if (!joined && i + 1 == arguments.size()) {
                    UsageError(result, "--threads needs a number");
                    continue;
                }
                const std::string_view value =
                    joined ? argument.substr(argument.find('=') + 1) : arguments[++i];
                result.threads = ParseThreadCount(value);
                if (!result.threads) {
                    UsageError(result, ThreadCountError(value));
                }
                continue;
            }
            UsageError(result, "unknown option '" + std::string(argument) + "'");
            continue;
        }
        if (result.board) {
            UsageError(result, "only one board can be played at a time");
        }
        result.board = std::filesystem::path(argument);
    }
    if (result.action == CommandLine::Action::UsageError) {
        result.board.reset();
        result.threads.reset();
    }
    return result;
}

std::string UsageText() {
    return "Usage: Vantor [--threads N] [BOARD.brd]\n";
}

std::string HelpText() {
    return UsageText() +
           "\n"
           "Vantor, the brick-breaking game. Plays BOARD.brd when it is given; otherwise the\n"
           "first board.brd found in the program's own folder, in $XDG_DATA_HOME/vantor\n"
           "(~/.local/share/vantor) and in vantor/ below each folder of $XDG_DATA_DIRS, or\n"
           "the board built into the game. A .brd file dropped onto the window is played\n"
           "from the start.\n"
           "\n"
           "Mouse: steer the paddle; left button: release the balls; right button: 100 more\n"
           "balls. P: pause. F11: full screen.\n"
           "\n"
           "Options:\n"
           "  --threads N    move and draw the balls on N threads (1 to 256; by default one\n"
           "                 for each core the game may run on)\n"
           "  -h, --help     show this help and exit\n"
           "  --version      show the version and exit\n";
}

std::string VersionText(std::string_view version) {
    return "Vantor " + std::string(version) + "\n";
}

}  // namespace game
