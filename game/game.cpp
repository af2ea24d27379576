#include "game/game.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "shared/brick_drawing.h"
#include "shared/bricks_to_clear.h"
#include "shared/colour.h"
#include "shared/rounding.h"

namespace game {

Game::Game(Platform& platformIn, Random& randomIn, BoardLoader loadBoardIn)
    : PicBall(MakeBallSprite()),
      PicBallMask(MakeBallMask()),
      platform(&platformIn),
      random(&randomIn),
      loadBoard(std::move(loadBoardIn)) {
    // The playfield's background colour is the window colour, white.
    PicDisp.SetBackColor(core::kWhite);
}

void Game::Form_Load() {
    StartUp();
    GameLoop();
}

void Game::StartUp() {
    // The playfield is 600 x 480 device pixels whatever the screen's resolution.
    PicDisp.Resize(kPlayfieldWidth, kPlayfieldHeight);
    PicDisp.SetPresenter([p = platform](const core::PictureBox& picture) { p->Present(picture); });

    PaddleY = core::RoundToInt32(static_cast<double>(PicDisp.ScaleHeight()) - 40);
    PaddleWidth = 80;
    PaddleHeight = 15;

    // The first ball takes the current PaddleX, which is still 0.
    ResetBalls(Balls, BallPaddle(), *random);

    // The window is visible before the board is read.
    platform->Show();
    Running = core::kTrue;

    loadBoard(Board);
    if (Set.empty()) {
        Set.push_back(Board);
    }
    BoardHasBreakable = core::CountBricksToClear(Board) > 0;
    core::DrawBoard(PicDisp, Board);
    PicDisp.InstallImageAsPicture();
    PicDisp.Refresh();
}

void Game::GameLoop() {
    std::uint64_t NextFrameTime = 0;
    while (Running != core::kFalse) {
        if (!(NextFrameTime > platform->TickCount())) {
            NextFrameTime = platform->TickCount() + kFrameInterval;

            // The pause wait sits inside a due frame; input is still handled. Closing the window
            // ends the game from here at once, without drawing.
            while (Paused != core::kFalse) {
                platform->WaitEvent(std::nullopt);
                DoEvents();
                if (Running == core::kFalse) {
                    return;
                }
            }

            DrawFrame();
        }

        DoEvents();

        // Nothing to do until the next frame is due or an event arrives: sleep instead of
        // polling the clock.
        if (Running != core::kFalse && NextFrameTime > platform->TickCount()) {
            platform->WaitEvent(NextFrameTime);
        }
    }
}

void Game::DrawFrame() {
    SteerPaddle();
    AdvanceSet();
    PicDisp.Cls();
    const FrameEvents events = UpdateBalls(Balls, World(PicDisp));
    Sounds.Add(Effect::WallBounce, events.WallBounces);
    Sounds.Add(Effect::PaddleHit, events.PaddleHits);
    Sounds.Add(Effect::BrickDestroyed, events.BricksDestroyed);
    Sounds.Add(Effect::BallLost, events.BallsLost);
    DrawBalls(Balls, PicBall, PicBallMask, PicDisp);

    // The paddle covers the balls. Its corners are (PaddleX -/+ 40, PaddleY -/+ 7.5).
    PicDisp.Line(static_cast<float>(PaddleX - PaddleWidth / 2.0),
                 static_cast<float>(PaddleY - PaddleHeight / 2.0),
                 static_cast<float>(PaddleX + PaddleWidth / 2.0),
                 static_cast<float>(PaddleY + PaddleHeight / 2.0), core::kBlack,
                 core::BoxStyle::Filled);
    PicDisp.Refresh();

    FrameCount = FrameCount + 1;
    ++FramesDrawn;
    if (events.BricksDestroyed != 0) {
        NoticeCleared();
    }

    if (LastFpsTime + 1000 <= static_cast<double>(platform->TickCount())) {
        const auto t = static_cast<double>(platform->TickCount());
        const double rate = 1000 / ((t - LastFpsTime + 0.00001) / FrameCount);
        RateCaption = "Fps: " + std::to_string(core::RoundToInt32(rate));
        // "Cleared" stays up for its two seconds.
        if (ClearedFrames == 0) {
            platform->SetCaption(RateCaption);
        }
        FrameCount = 0;
        LastFpsTime = static_cast<double>(platform->TickCount());
    }
    PlaySounds();
}

void Game::DoEvents() {
    while (std::optional<InputEvent> event = platform->PollEvent()) {
        Dispatch(*event);
    }
    PlaySounds();
}

bool Game::Ignored(const InputEvent& event) const {
    switch (event.kind) {
        case InputEvent::Kind::MouseDown:
            return true;
        case InputEvent::Kind::MouseUp:
            return event.Button != kLeftButton && event.Button != kRightButton;
        case InputEvent::Kind::KeyDown:
            // A held key repeats; only P acts on every repeat, as it always has.
            return event.Repeat && event.KeyCode != kKeyP;
        case InputEvent::Kind::KeyUp:
            return SteeringKey(event.KeyCode) == 0;
        case InputEvent::Kind::PadStick:
            // The stick reports every tremor; only a change of speed matters.
            return StickStep(event.X) == steering.stick;
        case InputEvent::Kind::MouseMove:
        case InputEvent::Kind::QueryUnload:
            return false;
    }
    return false;
}

void Game::Dispatch(const InputEvent& event) {
    if (Ignored(event)) {
        return;
    }
    if (observer != nullptr) {
        observer->Input(*this, event);
    }
    switch (event.kind) {
        case InputEvent::Kind::MouseMove:
            PicDisp_MouseMove(event.Button, event.Shift, event.X, event.Y);
            break;
        case InputEvent::Kind::MouseDown:
            // Pressing a button does nothing; only the release acts.
            break;
        case InputEvent::Kind::MouseUp:
            PicDisp_MouseUp(event.Button, event.Shift, event.X, event.Y);
            break;
        case InputEvent::Kind::KeyDown:
            PicDisp_KeyDown(event.KeyCode, event.Shift);
            break;
        case InputEvent::Kind::KeyUp:
            PicDisp_KeyUp(event.KeyCode, event.Shift);
            break;
        case InputEvent::Kind::PadStick:
            Gamepad_Stick(event.X);
            break;
        case InputEvent::Kind::QueryUnload: {
            std::int16_t cancel = 0;
            Form_QueryUnload(cancel, 0);
            break;
        }
    }
}

void Game::Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) {
    // Cancel is left as passed, so the window closes.
    static_cast<void>(Cancel);
    static_cast<void>(UnloadMode);
    Running = core::kFalse;
}

void Game::PicDisp_KeyDown(std::int16_t KeyCode, std::int16_t Shift) {
    static_cast<void>(Shift);
    switch (KeyCode) {
        case kKeyP:
        case kPadStart:
            TogglePause();
            break;
        case kKeySpace:
        case kPadA:
            ReleaseAll();
            break;
        case kKeyReturn:
        case kPadX:
            AddHundred();
            break;
        case kKeyLeft:
        case kKeyRight:
        case kPadLeft:
        case kPadRight:
            Hold(SteeringKey(KeyCode), true);
            break;
        case kKeyR:
            StartBoard(SetIndex);
            break;
        case kKeyN:
            StartBoard(Set.empty() ? 0 : (SetIndex + 1) % Set.size());
            break;
        case kKeyM:
            if (sound != nullptr) {
                sound->SetOn(!sound->On());
            }
            break;
        default:
            break;
    }
}

void Game::PicDisp_KeyUp(std::int16_t KeyCode, std::int16_t Shift) {
    static_cast<void>(Shift);
    Hold(SteeringKey(KeyCode), false);
}

std::uint8_t Game::SteeringKey(std::int16_t KeyCode) {
    switch (KeyCode) {
        case kKeyLeft:
            return Steering::kKeyLeft;
        case kKeyRight:
            return Steering::kKeyRight;
        case kPadLeft:
            return Steering::kPadLeft;
        case kPadRight:
            return Steering::kPadRight;
        default:
            return 0;
    }
}

void Game::TogglePause() {
    Paused = Paused != core::kFalse ? core::kFalse : core::kTrue;
    // Leaving the pause keeps the caption until the next frame-rate update.
    if (Paused != core::kFalse) {
        platform->SetCaption("Paused");
    } else {
        // The rate counts afresh from here: measured over the pause, the first rate after it
        // would be a fraction of the real one ("Fps: 16" after four seconds).
        FrameCount = 0;
        LastFpsTime = static_cast<double>(platform->TickCount());
    }
}

void Game::PicDisp_MouseMove(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    static_cast<void>(Button);
    static_cast<void>(Shift);
    static_cast<void>(Y);
    SetPaddleX(core::RoundToInt32(static_cast<double>(X)));
}

void Game::SetPaddleX(std::int32_t x) {
    PaddleX = x;
    if (PaddleX - PaddleWidth / 2.0 < 0) {
        PaddleX = core::RoundToInt32(PaddleWidth / 2.0);
    }
    if (PaddleX + PaddleWidth / 2.0 > kPlayfieldWidth) {
        PaddleX = core::RoundToInt32(kPlayfieldWidth - PaddleWidth / 2.0);
    }
}

void Game::PicDisp_MouseUp(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    static_cast<void>(Shift);
    static_cast<void>(X);
    static_cast<void>(Y);
    if (Button == kLeftButton) {
        ReleaseAll();
    } else if (Button == kRightButton) {
        AddHundred();
    }
}

void Game::ReleaseAll() {
    // Only balls that were waiting make the release sound.
    bool anyStuck = false;
    if (!Balls.NoneStuck()) {
        const BallList::ConstColumns columns = std::as_const(Balls).Raw();
        anyStuck = std::any_of(columns.Stuck, columns.Stuck + Balls.size(),
                               [](core::VbBool stuck) { return stuck != core::kFalse; });
    }
    ReleaseBalls(Balls);
    if (anyStuck) {
        Sounds.Add(Effect::Release, 1);
    }
}

void Game::AddHundred() {
    for (int i = 0; i < 100; ++i) {
        AddBall(Balls, BallPaddle(), *random);
    }
    Sounds.Add(Effect::BallsAdded, 1);
}

void Game::Gamepad_Stick(float X) {
    steering.stick = StickStep(X);
}

std::int32_t Game::StickStep(float x) {
    const float size = std::fabs(x);
    if (!(size > kStickDeadZone)) {  // NaN steers nowhere
        return 0;
    }
    const float share = std::min(1.0f, (size - kStickDeadZone) / (1 - kStickDeadZone));
    const auto step = static_cast<std::int32_t>(std::lround(share * kSteerFastest));
    return x < 0 ? -step : step;
}

void Game::Hold(std::uint8_t key, bool down) {
    const std::uint8_t held = down ? static_cast<std::uint8_t>(steering.held | key)
                                   : static_cast<std::uint8_t>(steering.held & ~key);
    if (held != steering.held) {
        steering.held = held;
        steering.heldFrames = 0;
    }
}

void Game::SteerPaddle() {
    const bool left = (steering.held & (Steering::kKeyLeft | Steering::kPadLeft)) != 0;
    const bool right = (steering.held & (Steering::kKeyRight | Steering::kPadRight)) != 0;
    std::int32_t step = steering.stick;
    if (left != right) {
        const std::int32_t speed =
            std::min(kSteerSlowest + steering.heldFrames / kSteerRampFrames, kSteerFastest);
        step += right ? speed : -speed;
        steering.heldFrames = std::min(steering.heldFrames + 1, kSteerFastest * kSteerRampFrames);
    }
    if (step != 0) {
        SetPaddleX(PaddleX + step);
    }
}

void Game::StartBoard(std::size_t index) {
    if (index >= Set.size()) {
        return;
    }
    SetIndex = index;
    Board = Set[index];
    ResetBalls(Balls, BallPaddle(), *random);
    // Resizing drops the old background with every brick the balls cleared from it.
    PicDisp.Resize(kPlayfieldWidth, kPlayfieldHeight);
    core::DrawBoard(PicDisp, Board);
    PicDisp.InstallImageAsPicture();
    PicDisp.Refresh();
    BoardHasBreakable = core::CountBricksToClear(Board) > 0;
    if (ClearedFrames != 0) {
        ClearedFrames = 0;
        if (!RateCaption.empty()) {
            platform->SetCaption(RateCaption);
        }
    }
}

void Game::PlayBoard(core::Board board) {
    if (observer != nullptr) {
        observer->BoardDropped(*this, board);
    }
    if (Set.empty()) {
        Set.push_back(std::move(board));
    } else {
        Set[SetIndex] = std::move(board);
    }
    StartBoard(SetIndex);
}

void Game::AdvanceSet() {
    if (ClearedFrames == 1) {
        // Ends "Cleared" and puts the frame rate back in the caption.
        StartBoard((SetIndex + 1) % Set.size());
    } else if (ClearedFrames > 1) {
        --ClearedFrames;
    }
}

void Game::NoticeCleared() {
    // A set only: a single board has no end. Counting the 400 cells is done only on frames
    // that destroyed a brick.
    if (Set.size() < 2 || !BoardHasBreakable || ClearedFrames != 0 ||
        core::CountBricksToClear(Board) > 0) {
        return;
    }
    BoardHasBreakable = false;
    ClearedFrames = kClearedFrames;
    platform->SetCaption("Cleared");
}

void Game::PlaySounds() {
    if (Sounds.Any()) {
        if (sound != nullptr) {
            sound->Play(Sounds);
        }
        Sounds = EffectCounts{};
    }
}

}  // namespace game
