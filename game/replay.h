#pragma once

// The game run windowless from a script: scripted input, frames on a fake clock, and dumps of
// the balls and the board. The vantor-replay tool and the tests drive it.
//
// Script: one command a line, '#' starts a comment.
//   move X     the mouse moves to playfield x = X (a real number), no button held
//   release    left-button release: the waiting balls are released
//   add        right-button release: 100 balls are added
//   key K      the key K (a letter or digit) is pressed; P pauses
//   frames N   N frames, the tick counter advancing 10 ms each; while paused only the clock moves
//   dump       prints the frame count, every ball and the board's cells

#include <cstdint>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "game/game.h"
#include "game/random.h"
#include "shared/board_model.h"

namespace game {

class ReplayError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ReplayCommand {
    enum class Kind { Move, Release, Add, Key, Frames, Dump };
    Kind kind = Kind::Dump;
    double x = 0;              // move
    std::uint64_t count = 0;   // frames
    std::int16_t keyCode = 0;  // key
    int line = 0;              // 1-based line in the script

    bool operator==(const ReplayCommand&) const = default;
};

// Throws ReplayError "line N: ..." for an unknown command or a bad argument.
std::vector<ReplayCommand> ParseReplayScript(std::string_view text);

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

class Replay {
  public:
    // Starts the game on board as the window's start-up does, with the tick counter at 0. The
    // balls' frames use `threads` threads (0: one per core); every count gives the same run.
    Replay(const core::Board& board, Random& random, unsigned threads = 0);
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    void Run(const std::vector<ReplayCommand>& script, std::ostream& out);
    void Execute(const ReplayCommand& command, std::ostream& out);
    void Dump(std::ostream& out) const;

    const Game& game() const { return game_; }
    std::uint64_t frames() const { return frames_; }
    const ReplayPlatform& platform() const { return platform_; }

  private:
    ReplayPlatform platform_;
    Game game_;
    std::uint64_t frames_ = 0;
};

}  // namespace game
