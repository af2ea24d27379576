#pragma once

// The game run windowless from a script (script.h): scripted input, frames on a fake clock, and
// dumps of the balls and the board. The vantor-replay tool and the tests drive it.

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "game/game.h"
#include "game/random.h"
#include "game/script.h"
#include "shared/board_model.h"

namespace game {

// A clock that moves only when told to; no window, no events.
class ReplayPlatform : public Platform {
  public:
    std::uint64_t TickCount() override { return tick; }
    std::optional<InputEvent> PollEvent() override { return std::nullopt; }
    void WaitEvent(std::optional<std::uint64_t>) override {}
    void Show() override {}
    void SetCaption(std::string_view text) override { caption = text; }
    void Present(const core::PictureBox&) override {}

    std::uint64_t tick = 0;
    std::string caption = "Form1";
};

// Prints the game's state: "frame K balls N", one line "ball I X Y SPEED ANGLE STUCK" per ball
// (every value with the digits that read back to the same bits), then "cells" and 20 lines of
// 20 digits, 1 for a used cell, row 0 first.
void DumpGame(const Game& game, std::ostream& out);

class Replay {
  public:
    // Starts the game on boards (played in turn; one board never ends) as the window's
    // start-up does, with the tick counter at 0. The balls' frames use `threads` threads (0:
    // one per core); every count gives the same run.
    Replay(std::vector<core::Board> boards, Random& random, unsigned threads = 0);
    Replay(const core::Board& board, Random& random)
        : Replay(std::vector<core::Board>{board}, random) {}
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    // The script's seed and its boards before the first input are taken when the replay is
    // made (SetUpReplay); here they are passed over. A later board is one dropped onto the
    // window.
    void Run(const std::vector<ReplayCommand>& script, std::ostream& out);
    void Execute(const ReplayCommand& command, std::ostream& out);
    void Dump(std::ostream& out) const { DumpGame(game_, out); }

    const Game& game() const { return game_; }
    std::uint64_t frames() const { return game_.FramesDrawn; }
    const ReplayPlatform& platform() const { return platform_; }

  private:
    ReplayPlatform platform_;
    Game game_;
    bool inputSeen_ = false;
};

// What a replay of script plays on and with: the boards the script brings, or else board; the
// script's seed, or else seed, or else the clock. Throws ReplayError when the script brings
// boards or a seed and the caller gives them too, or when nobody gives a board.
struct ReplaySetup {
    std::vector<core::Board> boards;
    std::unique_ptr<Random> random;
};
ReplaySetup SetUpReplay(const std::vector<ReplayCommand>& script, std::optional<core::Board> board,
                        std::optional<std::uint64_t> seed);

}  // namespace game
