// vantor-replay for node: [BOARD.brd] SCRIPT [--seed N]. The same runner as the desktop tool,
// without Qt (no --png), so that the WebAssembly build's rules can be compared with the native
// ones dump for dump.

#include <cstdint>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "game/random.h"
#include "game/replay.h"
#include "shared/board_file.h"

namespace {

int UsageError(const std::string& what) {
    std::cerr << "vantor-replay: " << what
              << "\nUsage: vantor-replay [BOARD.brd] SCRIPT [--seed N]\n";
    return 2;
}

std::string ReadScript(const std::string& path) {
    std::ostringstream text;
    if (path == "-") {
        text << std::cin.rdbuf();
        return text.str();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error(path + ": cannot open the script");
    }
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> positional;
    std::optional<std::uint64_t> seed;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed") {
            if (i + 1 == argc) {
                return UsageError("--seed needs a value");
            }
            const std::string value = argv[++i];
            std::size_t used = 0;
            std::uint64_t number = 0;
            try {
                number = std::stoull(value, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used == 0 || used != value.size() || value[0] == '-') {
                return UsageError("--seed needs a whole number, got '" + value + "'");
            }
            seed = number;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 1 && positional.size() != 2) {
        return UsageError("expected [BOARD.brd] SCRIPT, got " + std::to_string(positional.size()) +
                          " arguments");
    }
    try {
        std::optional<core::Board> board;
        if (positional.size() == 2) {
            board.emplace();
            core::LoadBoard(positional[0], *board);
        }
        std::vector<game::ReplayCommand> script;
        game::ReplaySetup setup;
        try {
            script = game::ParseReplayScript(ReadScript(positional.back()));
            setup = game::SetUpReplay(script, std::move(board), seed);
        } catch (const game::ReplayError& e) {
            throw std::runtime_error(positional.back() + ": " + e.what());
        }
        game::Replay replay(std::move(setup.boards), *setup.random);
        replay.Run(script, std::cout);
        std::cout.flush();
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "vantor-replay: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
