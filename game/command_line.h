#pragma once

// Vantor's command line: `Vantor [--threads N] [BOARD.brd]`, plus --help and --version. Parsed
// here, with no toolkit, so that the rules are tested without a window; the program only acts on
// the result.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace game {

struct CommandLine {
    enum class Action {
        Play,         // start the game, on board when one was named
        ShowHelp,     // print the help on standard output, exit 0
        ShowVersion,  // print the version on standard output, exit 0
        UsageError,   // print error and the usage on standard error, exit 2
    };
    Action action = Action::Play;
    std::optional<std::filesystem::path> board;
    // --threads N: the threads the balls' frames may use (unset: one per core).
    std::optional<unsigned> threads;
    std::string error;
};

// The value of --threads, here and in vantor-replay: a whole number from 1 to kMostThreads.
inline constexpr unsigned kMostThreads = 256;
std::optional<unsigned> ParseThreadCount(std::string_view text);
std::string ThreadCountError(std::string_view text);

// The arguments after the program's name. "--" ends the options, so a board whose name starts
// with "-" can still be named; a lone "-" is a file name too. --threads takes its number as the
// next argument or after '='.
CommandLine ParseCommandLine(std::span<const std::string_view> arguments);

// The one-line usage, the full help and the version line.
std::string UsageText();
std::string HelpText();
std::string VersionText(std::string_view version);

}  // namespace game
