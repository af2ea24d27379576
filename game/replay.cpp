#include "game/replay.h"

#include <cstdio>
#include <string>
#include <utility>

namespace game {

void DumpGame(const Game& game, std::ostream& out) {
    char line[160];
    std::snprintf(line, sizeof line, "frame %llu balls %zu\n",
                  static_cast<unsigned long long>(game.FramesDrawn), game.Balls.size());
    out << line;
    for (std::size_t i = 0; i < game.Balls.size(); ++i) {
        const BallState& b = game.Balls[i];
        std::snprintf(line, sizeof line, "ball %zu %.9g %.9g %.9g %.17g %d\n", i,
                      static_cast<double>(b.X), static_cast<double>(b.Y),
                      static_cast<double>(b.Speed), b.Angle, static_cast<int>(b.Stuck));
        out << line;
    }
    out << "cells\n";
    for (int row = 0; row < core::kRows; ++row) {
        std::string cells;
        for (int column = 0; column < core::kColumns; ++column) {
            cells += game.Board.Cells(column, row).Used == core::kTrue ? '1' : '0';
        }
        out << cells << '\n';
    }
}

Replay::Replay(std::vector<core::Board> boards, Random& random, unsigned threads)
    : game_(platform_, random, [first = boards.at(0)](core::Board& target) { target = first; }) {
    game_.Set = std::move(boards);
    game_.Balls.SetThreads(threads);
    game_.StartUp();
}

void Replay::Run(const std::vector<ReplayCommand>& script, std::ostream& out) {
    for (const ReplayCommand& command : script) {
        Execute(command, out);
    }
}

void Replay::Execute(const ReplayCommand& command, std::ostream& out) {
    using Kind = ReplayCommand::Kind;
    const bool head = command.kind == Kind::Seed || command.kind == Kind::Board;
    if (head && !inputSeen_) {
        return;
    }
    inputSeen_ = true;
    if (const std::optional<InputEvent> event = EventOf(command)) {
        game_.Dispatch(*event);
        return;
    }
    switch (command.kind) {
        case Kind::Board:
            game_.PlayBoard(*command.board);
            break;
        case Kind::Frames:
            for (std::uint64_t i = 0; i < command.count; ++i) {
                // A paused game sits in the pause wait: time passes, nothing is drawn.
                if (game_.Paused == core::kFalse) {
                    game_.DrawFrame();
                }
                platform_.tick += kFrameInterval;
            }
            break;
        case Kind::Dump:
            Dump(out);
            break;
        default:
            break;
    }
}

ReplaySetup SetUpReplay(const std::vector<ReplayCommand>& script, std::optional<core::Board> board,
                        std::optional<std::uint64_t> seed) {
    ScriptHead head = HeadOf(script);
    if (!head.boards.empty() && board) {
        throw ReplayError("the script brings its own boards; give the script alone");
    }
    if (head.seed && seed) {
        throw ReplayError("the script fixes its own seed; leave out --seed");
    }
    if (head.boards.empty() && !board) {
        throw ReplayError("the script brings no board; give BOARD.brd before it");
    }
    ReplaySetup setup;
    setup.boards =
        head.boards.empty() ? std::vector<core::Board>{std::move(*board)} : std::move(head.boards);
    if (head.seed || seed) {
        setup.random = std::make_unique<SeededRandom>(head.seed ? *head.seed : *seed);
    } else {
        setup.random = std::make_unique<ClockRandom>();
    }
    return setup;
}

}  // namespace game
