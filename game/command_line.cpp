#include "game/command_line.h"

#include <charconv>
#include <string>

namespace game {

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
    const auto fail = [&result](const std::string& error) {
        if (result.action != CommandLine::Action::UsageError) {
            result.action = CommandLine::Action::UsageError;
            result.error = error;
        }
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument.front() != '-') {
            result.boards.emplace_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        // Help and version win over anything else on the line, as users expect of them.
        if (argument == "--help" || argument == "-h") {
            return {CommandLine::Action::ShowHelp, {}, {}, {}, false, false, {}, {}};
        }
        if (argument == "--version") {
            return {CommandLine::Action::ShowVersion, {}, {}, {}, false, false, {}, {}};
        }
        const std::string_view name = argument.substr(0, argument.find('='));
        const bool hasValue = name.size() < argument.size();
        if (name == "--record" || name == "--replay") {
            std::optional<std::filesystem::path>& file =
                name == "--record" ? result.record : result.replay;
            if (hasValue) {
                file = std::filesystem::path(argument.substr(name.size() + 1));
            } else if (i + 1 < arguments.size()) {
                file = std::filesystem::path(arguments[++i]);
            } else {
                fail(std::string(name) + " needs a FILE");
            }
            if (file && file->empty()) {
                fail(std::string(name) + " needs a FILE");
            }
        } else if (name == "--threads") {
            if (!hasValue && i + 1 == arguments.size()) {
                fail("--threads needs a number");
                continue;
            }
            const std::string_view value =
                hasValue ? argument.substr(name.size() + 1) : arguments[++i];
            result.threads = ParseThreadCount(value);
            if (!result.threads) {
                fail(ThreadCountError(value));
            }
        } else if (argument == "--dump") {
            result.dump = true;
        } else if (argument == "--mute") {
            result.mute = true;
        } else {
            fail("unknown option '" + std::string(argument) + "'");
        }
    }
    if (result.record && result.replay) {
        fail("--record and --replay cannot be used together");
    }
    if (result.action == CommandLine::Action::UsageError) {
        const std::string error = result.error;
        result = CommandLine{};
        result.action = CommandLine::Action::UsageError;
        result.error = error;
    }
    return result;
}

std::string UsageText() {
    return "Usage: Vantor [BOARD.brd]... [FOLDER] [--mute] [--record FILE | --replay FILE] "
           "[--dump] [--threads N]\n";
}

std::string HelpText() {
    return UsageText() +
           "\n"
           "Vantor, the brick-breaking game. Plays BOARD.brd when it is given; otherwise the\n"
           "first board.brd found in the program's own folder, in $XDG_DATA_HOME/vantor\n"
           "(~/.local/share/vantor) and in vantor/ below each folder of $XDG_DATA_DIRS, or\n"
           "the board built into the game. Several boards, or a FOLDER (its .brd files in\n"
           "name order), are played in turn: when a board is cleared, the next one starts. A\n"
           ".brd file dropped onto the window is played from the start.\n"
           "\n"
           "Mouse: steer the paddle; left button: release the balls; right button: 100 more\n"
           "balls. Keyboard: Left and Right steer (hold to go faster), Space releases, Enter\n"
           "adds 100 balls. Gamepad: left stick or d-pad steer, A releases, X adds 100 balls,\n"
           "Start pauses. P: pause. R: restart the board. N: next board. M: sound off and on.\n"
           "F11: full screen.\n"
           "\n"
           "Options:\n"
           "  --mute           start with the sound off (M switches it; the game remembers M)\n"
           "  --record FILE    write the game as it is played to FILE, a replay script\n"
           "  --replay FILE    play a recorded game back in the window\n"
           "  --dump           print the balls and cells at exit, as vantor-replay's dump does\n"
           "  --threads N      move and draw the balls on N threads (1 to 256; by default one\n"
           "                   for each core the game may run on)\n"
           "  -h, --help       show this help and exit\n"
           "  --version        show the version and exit\n";
}

std::string VersionText(std::string_view version) {
    return "Vantor " + std::string(version) + "\n";
}

}  // namespace game
