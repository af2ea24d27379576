#include "game/game.h"

#include <string>
#include <utility>

#include "shared/brick_drawing.h"
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
    PicDisp.Cls();
    UpdateBalls(Balls, World(PicDisp));
    DrawBalls(Balls, PicBall, PicBallMask, PicDisp);

    // The paddle covers the balls. Its corners are (PaddleX -/+ 40, PaddleY -/+ 7.5).
    PicDisp.Line(static_cast<float>(PaddleX - PaddleWidth / 2.0),
                 static_cast<float>(PaddleY - PaddleHeight / 2.0),
                 static_cast<float>(PaddleX + PaddleWidth / 2.0),
                 static_cast<float>(PaddleY + PaddleHeight / 2.0), core::kBlack,
                 core::BoxStyle::Filled);
    PicDisp.Refresh();

    FrameCount = FrameCount + 1;

    if (LastFpsTime + 1000 <= static_cast<double>(platform->TickCount())) {
        const auto t = static_cast<double>(platform->TickCount());
        const double rate = 1000 / ((t - LastFpsTime + 0.00001) / FrameCount);
        platform->SetCaption("Fps: " + std::to_string(core::RoundToInt32(rate)));
        FrameCount = 0;
        LastFpsTime = static_cast<double>(platform->TickCount());
    }
}

void Game::DoEvents() {
    while (std::optional<InputEvent> event = platform->PollEvent()) {
        Dispatch(*event);
    }
}

void Game::Dispatch(const InputEvent& event) {
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
    if (KeyCode != kKeyP) {
        return;
    }
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
    PaddleX = core::RoundToInt32(static_cast<double>(X));
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
        ReleaseBalls(Balls);
    } else if (Button == kRightButton) {
        for (int i = 0; i < 100; ++i) {
            AddBall(Balls, BallPaddle(), *random);
        }
    }
}

}  // namespace game
