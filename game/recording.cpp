#include "game/recording.h"

#include <memory>
#include <utility>

namespace game {

void Recorder::Begin(std::uint64_t seed, const Game& game) {
    *out_ << "# A game of Vantor: vantor-replay FILE ends in its last state, Vantor --replay FILE "
             "shows it\n";
    ReplayCommand command;
    command.kind = ReplayCommand::Kind::Seed;
    command.count = seed;
    *out_ << FormatReplayCommand(command) << '\n';
    command.kind = ReplayCommand::Kind::Board;
    for (const core::Board& board : game.Set) {
        command.board = std::make_shared<const core::Board>(board);
        *out_ << FormatReplayCommand(command) << '\n';
    }
    frames_ = game.FramesDrawn;
}

void Recorder::Input(const Game& game, const InputEvent& event) {
    if (const std::optional<ReplayCommand> command = CommandOf(event)) {
        Write(game, *command);
    }
}

void Recorder::BoardDropped(const Game& game, const core::Board& board) {
    ReplayCommand command;
    command.kind = ReplayCommand::Kind::Board;
    command.board = std::make_shared<const core::Board>(board);
    Write(game, command);
}

void Recorder::Finish(const Game& game) {
    ReplayCommand dump;
    dump.kind = ReplayCommand::Kind::Dump;
    Write(game, dump);
    out_->flush();
}

void Recorder::Write(const Game& game, const ReplayCommand& command) {
    if (game.FramesDrawn > frames_) {
        ReplayCommand frames;
        frames.kind = ReplayCommand::Kind::Frames;
        frames.count = game.FramesDrawn - frames_;
        *out_ << FormatReplayCommand(frames) << '\n';
        frames_ = game.FramesDrawn;
    }
    *out_ << FormatReplayCommand(command) << '\n';
}

ScriptPlayer::ScriptPlayer(Platform& inner, std::vector<ReplayCommand> script, std::ostream& notes)
    : inner_(&inner), script_(std::move(script)), notes_(&notes) {
    while (next_ < script_.size() && (script_[next_].kind == ReplayCommand::Kind::Seed ||
                                      script_[next_].kind == ReplayCommand::Kind::Board)) {
        ++next_;
    }
}

std::optional<InputEvent> ScriptPlayer::PollEvent() {
    while (std::optional<InputEvent> event = inner_->PollEvent()) {
        const bool close = event->kind == InputEvent::Kind::QueryUnload;
        const bool soundSwitch =
            event->kind == InputEvent::Kind::KeyDown && event->KeyCode == kKeyM && !event->Repeat;
        if (close || soundSwitch) {
            return event;
        }
    }
    if (!ready_) {
        ready_ = Next();
    }
    return std::exchange(ready_, std::nullopt);
}

void ScriptPlayer::WaitEvent(std::optional<std::uint64_t> untilTick) {
    if (!ready_) {
        ready_ = Next();
    }
    if (!ready_) {
        inner_->WaitEvent(untilTick);
    }
}

void ScriptPlayer::SetCaption(std::string_view caption) {
    inner_->SetCaption(ended_ ? "Replay ended" : caption);
}

std::optional<InputEvent> ScriptPlayer::Next() {
    while (next_ < script_.size()) {
        const ReplayCommand& command = script_[next_];
        // A paused game only moves its clock through frames, as in the windowless replay.
        if (command.kind == ReplayCommand::Kind::Frames && game_->Paused == core::kFalse) {
            if (!counted_) {
                due_ += command.count;
                counted_ = true;
            }
            if (game_->FramesDrawn < due_) {
                return std::nullopt;
            }
        }
        counted_ = false;
        ++next_;
        if (command.kind == ReplayCommand::Kind::Board) {
            game_->PlayBoard(*command.board);
        } else if (std::optional<InputEvent> event = EventOf(command)) {
            return event;
        }
    }
    if (ended_) {
        return std::nullopt;
    }
    ended_ = true;
    *notes_ << "Vantor: the replay has ended; close the window to quit" << std::endl;
    inner_->SetCaption("Replay ended");
    if (game_->Paused != core::kFalse) {
        return std::nullopt;
    }
    InputEvent pause;
    pause.kind = InputEvent::Kind::KeyDown;
    pause.KeyCode = kKeyP;
    return pause;
}

}  // namespace game
