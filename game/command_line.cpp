#include "game/command_line.h"

namespace game {

CommandLine ParseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine result;
    bool optionsEnded = false;
    for (const std::string_view argument : arguments) {
        if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            if (argument == "--") {
                optionsEnded = true;
                continue;
            }
            // Help and version win over anything else on the line, as users expect of them.
            if (argument == "--help" || argument == "-h") {
                return {CommandLine::Action::ShowHelp, std::nullopt, {}};
            }
            if (argument == "--version") {
                return {CommandLine::Action::ShowVersion, std::nullopt, {}};
            }
            if (result.action != CommandLine::Action::UsageError) {
                result.action = CommandLine::Action::UsageError;
                result.error = "unknown option '" + std::string(argument) + "'";
            }
            continue;
        }
        if (result.board && result.action != CommandLine::Action::UsageError) {
            result.action = CommandLine::Action::UsageError;
            result.error = "only one board can be played at a time";
        }
        result.board = std::filesystem::path(argument);
    }
    if (result.action == CommandLine::Action::UsageError) {
        result.board.reset();
    }
    return result;
}

std::string UsageText() {
    return "Usage: Vantor [BOARD.brd]\n";
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
           "  -h, --help     show this help and exit\n"
           "  --version      show the version and exit\n";
}

std::string VersionText(std::string_view version) {
    return "Vantor " + std::string(version) + "\n";
}

}  // namespace game
