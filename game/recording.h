#pragma once

// A game recorded as it is played (`Vantor --record FILE`) and played back in the window
// (`Vantor --replay FILE`). The recording is a replay script (script.h): the seed and the boards,
// then every input with the frames drawn before it, then a dump; vantor-replay runs it to the
// state the game ended in.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "game/game.h"
#include "game/script.h"

namespace game {

class Recorder : public GameObserver {
  public:
    explicit Recorder(std::ostream& out) : out_(&out) {}

    // The head of the script: the seed the game's generator started from and its boards.
    void Begin(std::uint64_t seed, const Game& game);
    void Input(const Game& game, const InputEvent& event) override;
    void BoardDropped(const Game& game, const core::Board& board) override;
    // The frames since the last input, and the dump that ends the script.
    void Finish(const Game& game);

  private:
    void Write(const Game& game, const ReplayCommand& command);

    std::ostream* out_;
    std::uint64_t frames_ = 0;  // frames drawn when the last line was written
};

// Plays a script into a running game in the player's place: each input once the frames before
// it have been drawn, at the game's own pace. The player's own input is ignored, except closing
// the window and the sound switch. When the script is over, the game pauses and the caption says
// "Replay ended" until the window is closed. Between start-up and the loop, one DoEvents lets
// the inputs a script gives before its first frame act before the loop draws one.
class ScriptPlayer : public Platform {
  public:
    // The script's head (seed, boards) is for whoever starts the game; it is passed over here.
    ScriptPlayer(Platform& inner, std::vector<ReplayCommand> script, std::ostream& notes);
    void Attach(Game& game) { game_ = &game; }

    std::uint64_t TickCount() override { return inner_->TickCount(); }
    std::optional<InputEvent> PollEvent() override;
    void WaitEvent(std::optional<std::uint64_t> untilTick) override;
    void Show() override { inner_->Show(); }
    void SetCaption(std::string_view caption) override;
    void Present(const core::PictureBox& playfield) override { inner_->Present(playfield); }

    bool Ended() const { return ended_; }

  private:
    // The next scripted input that is due, acting on dropped boards on the way.
    std::optional<InputEvent> Next();

    Platform* inner_;
    Game* game_ = nullptr;
    std::vector<ReplayCommand> script_;
    std::size_t next_ = 0;
    // Frames the script has asked for so far, counted from start-up; the next input waits until
    // the game has drawn them.
    std::uint64_t due_ = 0;
    bool counted_ = false;  // the current "frames" command is in due_
    std::optional<InputEvent> ready_;
    std::ostream* notes_;
    bool ended_ = false;
};

}  // namespace game
