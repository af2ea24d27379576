#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace editor {

// What `Brickwright [options] [FILE]` asks for.
struct CommandLine {
    // Set when the program ends at once: 0 after --help or --version, 2 for a wrong command line.
    std::optional<int> ExitCode;
    // The file to open, as the bytes given (a name that is not valid UTF-8 stays intact); empty
    // when none was given.
    std::string File;
};

// Reads the arguments without a window system, so --help works without a display. Help and
// version go to out, usage errors to err.
CommandLine ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                             std::ostream& err);

}  // namespace editor
