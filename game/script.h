#pragma once

// The replay script: the game's input as text, one command a line, '#' starting a comment. The
// windowless replay runs it (replay.h), the game writes it while it is played and plays it back
// in its window (recording.h).
//
//   seed N      the random generator's seed (before every input)
//   board DATA  a board file, base64: before every input, the boards played in turn; later, a
//               board dropped onto the window
//   move X      the mouse moves to playfield x = X (a real number), no button held
//   release     left-button release: the waiting balls are released
//   add         right-button release: 100 balls are added
//   key K       the key K is pressed: a letter or digit, or Left, Right, Space, Enter, PadA,
//               PadX, PadStart, PadLeft, PadRight (a gamepad's buttons)
//   keyup K     the key K is let go (only the steering keys act on it)
//   stick X     the gamepad's left stick moves to X, from -1 (left) to 1 (right)
//   frames N    N frames, the tick counter advancing 10 ms each; while paused only the clock moves
//   dump        prints the frame count, every ball and the board's cells

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "game/game.h"
#include "shared/board_model.h"

namespace game {

class ReplayError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ReplayCommand {
    enum class Kind { Move, Release, Add, Key, Frames, Dump, KeyUp, Stick, Seed, Board };
    Kind kind = Kind::Dump;
    double x = 0;              // move, stick
    std::uint64_t count = 0;   // frames, seed
    std::int16_t keyCode = 0;  // key, keyup
    int line = 0;              // 1-based line in the script
    std::shared_ptr<const core::Board> board;

    bool operator==(const ReplayCommand&) const = default;
};

// Throws ReplayError "line N: ..." for an unknown command, a bad argument, a damaged board, or a
// seed after the first input.
std::vector<ReplayCommand> ParseReplayScript(std::string_view text);

// The command's line in a script; ParseReplayScript reads it back to the same command.
std::string FormatReplayCommand(const ReplayCommand& command);

// The script command for an input the game acted on, if it is one a script holds (the sound
// switch and closing the window are not part of a game).
std::optional<ReplayCommand> CommandOf(const InputEvent& event);
// The input a command stands for; nothing for frames, dump, seed and board.
std::optional<InputEvent> EventOf(const ReplayCommand& command);

// What a script brings before its first input: a seed and the boards to play.
struct ScriptHead {
    std::optional<std::uint64_t> seed;
    std::vector<core::Board> boards;
};
ScriptHead HeadOf(const std::vector<ReplayCommand>& script);

}  // namespace game
