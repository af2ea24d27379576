#pragma once

// Vantor's command line: `Vantor [BOARD.brd]`, plus --help and --version. Parsed here, with no
// toolkit, so that the rules are tested without a window; the program only acts on the result.

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
    std::string error;
};

// The arguments after the program's name. "--" ends the options, so a board whose name starts
// with "-" can still be named; a lone "-" is a file name too.
CommandLine ParseCommandLine(std::span<const std::string_view> arguments);

// The one-line usage, the full help and the version line.
std::string UsageText();
std::string HelpText();
std::string VersionText(std::string_view version);

}  // namespace game
