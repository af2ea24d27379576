#include "game/replay.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace game {

namespace {

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i > start) {
            tokens.push_back(line.substr(start, i - start));
        }
    }
    return tokens;
}

[[noreturn]] void Fail(int line, const std::string& what) {
    throw ReplayError("line " + std::to_string(line) + ": " + what);
}

// Mouse positions far outside any screen would overflow the paddle's 32-bit position.
constexpr double kLargestMove = 1.0e9;
constexpr std::uint64_t kMostFrames = 1'000'000'000'000ull;

// A decimal number as std::from_chars reads one (no space, no '+', no hex), through strtod
// because not every C++ library the game is built with has from_chars for doubles. The program
// never changes the C locale, so the decimal point is always '.'.
bool ParseDecimal(std::string_view token, double& out) {
    if (token.empty() || token.front() == '+' ||
        token.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
        return false;
    }
    const std::string text(token);
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size();
}

double ParseX(std::string_view token, int line) {
    double x = 0;
    if (!ParseDecimal(token, x) || !std::isfinite(x)) {
        Fail(line, "move needs a number, got '" + std::string(token) + "'");
    }
    if (std::fabs(x) > kLargestMove) {
        Fail(line, "move position " + std::string(token) + " is out of range");
    }
    return x;
}

std::uint64_t ParseCount(std::string_view token, int line) {
    std::uint64_t n = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), n);
    if (error != std::errc() || end != token.data() + token.size() || n > kMostFrames) {
        Fail(line, "frames needs a whole number from 0 to " + std::to_string(kMostFrames) +
                       ", got '" + std::string(token) + "'");
    }
    return n;
}

std::int16_t ParseKey(std::string_view token, int line) {
    if (token.size() != 1 || !std::isalnum(static_cast<unsigned char>(token[0]))) {
        Fail(line, "key needs one letter or digit, got '" + std::string(token) + "'");
    }
    // Virtual key codes of letters and digits are their upper-case characters.
    return static_cast<std::int16_t>(std::toupper(static_cast<unsigned char>(token[0])));
}

}  // namespace

std::vector<ReplayCommand> ParseReplayScript(std::string_view text) {
    std::vector<ReplayCommand> script;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        const std::vector<std::string_view> tokens = Tokens(line);
        if (tokens.empty()) {
            continue;
        }
        const std::string_view name = tokens[0];
        const std::size_t wanted = (name == "move" || name == "key" || name == "frames") ? 2 : 1;
        ReplayCommand command;
        command.line = lineNumber;
        if (name == "move") {
            command.kind = ReplayCommand::Kind::Move;
        } else if (name == "release") {
            command.kind = ReplayCommand::Kind::Release;
        } else if (name == "add") {
            command.kind = ReplayCommand::Kind::Add;
        } else if (name == "key") {
            command.kind = ReplayCommand::Kind::Key;
        } else if (name == "frames") {
            command.kind = ReplayCommand::Kind::Frames;
        } else if (name == "dump") {
            command.kind = ReplayCommand::Kind::Dump;
        } else {
            Fail(lineNumber, "unknown command '" + std::string(name) + "'");
        }
        if (tokens.size() != wanted) {
            Fail(lineNumber, std::string(name) + (wanted == 1 ? " takes no argument"
                                                              : " takes exactly one argument"));
        }
        if (command.kind == ReplayCommand::Kind::Move) {
            command.x = ParseX(tokens[1], lineNumber);
        } else if (command.kind == ReplayCommand::Kind::Key) {
            command.keyCode = ParseKey(tokens[1], lineNumber);
        } else if (command.kind == ReplayCommand::Kind::Frames) {
            command.count = ParseCount(tokens[1], lineNumber);
        }
        script.push_back(command);
    }
    return script;
}

Replay::Replay(const core::Board& board, Random& random, unsigned threads)
    : game_(platform_, random, [board](core::Board& target) { target = board; }) {
    game_.Balls.SetThreads(threads);
    game_.StartUp();
}

void Replay::Run(const std::vector<ReplayCommand>& script, std::ostream& out) {
    for (const ReplayCommand& command : script) {
        Execute(command, out);
    }
}

void Replay::Execute(const ReplayCommand& command, std::ostream& out) {
    switch (command.kind) {
        case ReplayCommand::Kind::Move:
            game_.PicDisp_MouseMove(0, 0, static_cast<float>(command.x), 0);
            break;
        case ReplayCommand::Kind::Release:
            game_.PicDisp_MouseUp(kLeftButton, 0, 0, 0);
            break;
        case ReplayCommand::Kind::Add:
            game_.PicDisp_MouseUp(kRightButton, 0, 0, 0);
            break;
        case ReplayCommand::Kind::Key:
            game_.PicDisp_KeyDown(command.keyCode, 0);
            break;
        case ReplayCommand::Kind::Frames:
            for (std::uint64_t i = 0; i < command.count; ++i) {
                // A paused game sits in the pause wait: time passes, nothing is drawn.
                if (game_.Paused == core::kFalse) {
                    game_.DrawFrame();
                    ++frames_;
                }
                platform_.tick += kFrameInterval;
            }
            break;
        case ReplayCommand::Kind::Dump:
            Dump(out);
            break;
    }
}

void Replay::Dump(std::ostream& out) const {
    char line[160];
    std::snprintf(line, sizeof line, "frame %llu balls %zu\n",
                  static_cast<unsigned long long>(frames_), game_.Balls.size());
    out << line;
    for (std::size_t i = 0; i < game_.Balls.size(); ++i) {
        const BallState& b = game_.Balls[i];
        std::snprintf(line, sizeof line, "ball %zu %.9g %.9g %.9g %.17g %d\n", i,
                      static_cast<double>(b.X), static_cast<double>(b.Y),
                      static_cast<double>(b.Speed), b.Angle, static_cast<int>(b.Stuck));
        out << line;
    }
    out << "cells\n";
    for (int row = 0; row < core::kRows; ++row) {
        std::string cells;
        for (int column = 0; column < core::kColumns; ++column) {
            cells += game_.Board.Cells(column, row).Used == core::kTrue ? '1' : '0';
        }
        out << cells << '\n';
    }
}

}  // namespace game
