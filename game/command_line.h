#pragma once

// Vantor's command line: `Vantor [BOARD.brd | FOLDER]... [--mute] [--record FILE | --replay
// FILE] [--dump] [--threads N]`, plus --help and --version. Parsed here, with no toolkit, so that
// the rules are tested without a window; the program only acts on the result.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace game {

struct CommandLine {
    enum class Action {
        Play,         // start the game, on boards when some were named
        ShowHelp,     // print the help on standard output, exit 0
        ShowVersion,  // print the version on standard output, exit 0
        UsageError,   // print error and the usage on standard error, exit 2
    };
    Action action = Action::Play;
    // Boards and folders of boards, played in turn; none: the board the game finds itself.
    std::vector<std::filesystem::path> boards;
    std::optional<std::filesystem::path> record;  // write the game as a replay script
    std::optional<std::filesystem::path> replay;  // play a replay script back in the window
    bool dump = false;                            // print the game's state at exit
    bool mute = false;                            // start with the sound off
    std::optional<unsigned> threads;  // the threads the balls' frames may use (unset: all cores)
    std::string error;
};

// The value of --threads, here and in vantor-replay: a whole number from 1 to kMostThreads.
inline constexpr unsigned kMostThreads = 256;
std::optional<unsigned> ParseThreadCount(std::string_view text);
std::string ThreadCountError(std::string_view text);

// The arguments after the program's name. "--" ends the options, so a board whose name starts
// with "-" can still be named; a lone "-" is a file name too. --record, --replay and --threads
// take the next argument, or the value after "=".
CommandLine ParseCommandLine(std::span<const std::string_view> arguments);

// The one-line usage, the full help and the version line.
std::string UsageText();
std::string HelpText();
std::string VersionText(std::string_view version);

}  // namespace game
