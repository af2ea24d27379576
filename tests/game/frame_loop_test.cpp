// The window: start-up, frame pacing, the frame-rate caption, pause, closing and the paddle.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/game.h"
#include "tests/game/game_fakes.h"

namespace game {
namespace {

using testing::FakePlatform;
using testing::FakeRandom;
using testing::LoaderOf;
using testing::MakeBoard;

struct LoopRun {
    FakePlatform platform;
    FakeRandom random;
    Game game{platform, random, LoaderOf(MakeBoard({{3, 2, 0}}))};

    // Presents of frames (the first present is start-up's).
    std::vector<std::uint64_t> FrameTicks() const {
        return {platform.presentTicks.begin() + 1, platform.presentTicks.end()};
    }
};

TEST(StartUp, SetsPaddleBallWindowAndBoardInOrder) {
    LoopRun run;
    run.platform.now = 7000;
    run.game.loadBoard = [&run](core::Board& board) {
        // The window is already visible and running when the board is read.
        EXPECT_TRUE(run.platform.shownAt.has_value());
        EXPECT_EQ(run.game.Running, core::kTrue);
        board = MakeBoard({{3, 2, 0}});
    };
    run.game.StartUp();

    EXPECT_EQ(run.game.PaddleX, 0);
    EXPECT_EQ(run.game.PaddleY, 440);
    EXPECT_EQ(run.game.PaddleWidth, 80);
    EXPECT_EQ(run.game.PaddleHeight, 15);
    ASSERT_EQ(run.game.Balls.size(), 1u);
    EXPECT_EQ(run.game.Balls[0].X, 0.0f);
    EXPECT_EQ(run.game.Balls[0].Y, 426.5f);
    EXPECT_EQ(run.game.Balls[0].Stuck, core::kTrue);
    EXPECT_EQ(run.game.PicDisp.Width(), 600);
    EXPECT_EQ(run.game.PicDisp.Height(), 480);
    // The drawn board is the background and has been shown once.
    EXPECT_TRUE(run.game.PicDisp.HasPicture());
    EXPECT_EQ(run.game.PicDisp.PixelAt(95, 35), 0xC81E1Eu);
    EXPECT_EQ(run.game.PicDisp.PixelAt(125, 35), 0xFFFFFFu);
    EXPECT_EQ(run.platform.presentTicks.size(), 1u);
    EXPECT_TRUE(run.platform.captions.empty());
}

TEST(FrameLoop, FirstFrameOnFirstPassAndItsCaption) {
    // The first frame's rate update divides by the whole tick count: 1000 / 2000 = 0.5 rounds
    // to the even 0, 1000 / 1999 rounds to 1, and below 1000 there is no update yet.
    const std::vector<std::pair<std::uint64_t, std::vector<std::string>>> cases = {
        {2000, {"Fps: 0"}}, {123456, {"Fps: 0"}}, {1999, {"Fps: 1"}}, {1000, {"Fps: 1"}}, {999, {}},
    };
    for (const auto& [start, captions] : cases) {
        LoopRun run;
        run.platform.now = start;
        run.platform.CloseAt(start);
        run.game.Form_Load();
        EXPECT_EQ(run.FrameTicks(), std::vector<std::uint64_t>{start}) << start;
        EXPECT_EQ(run.platform.captions, captions) << start;
        EXPECT_EQ(run.game.Running, core::kFalse);
    }
}

TEST(FrameLoop, FramesEveryTenMillisecondsAndTheRateNearOneHundred) {
    LoopRun run;
    run.platform.now = 50'000;
    run.platform.CloseAt(52'505);
    run.game.Form_Load();

    const std::vector<std::uint64_t> ticks = run.FrameTicks();
    ASSERT_EQ(ticks.size(), 251u);
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_EQ(ticks[i] - ticks[i - 1], 10u) << i;
    }
    // "Fps: 0" from the first frame, then one update a second: 100 frames in 1000 ms.
    EXPECT_EQ(run.platform.captions, (std::vector<std::string>{"Fps: 0", "Fps: 100", "Fps: 100"}));
    // The loop slept between frames instead of polling: a few waits per frame at most.
    EXPECT_LE(run.platform.waits, 3 * 251);
}

TEST(FrameLoop, LateFrameIsFollowedAtOnceAndMissedFramesAreNotMadeUp) {
    LoopRun run;
    run.platform.now = 10'000;
    int frame = 0;
    run.platform.onPresent = [&] {
        // Start-up's present is call 0; frame 3 takes 25 ms.
        if (frame++ == 3) {
            run.platform.now += 25;
        }
    };
    run.platform.CloseAt(10'075);
    run.game.Form_Load();
    EXPECT_EQ(run.FrameTicks(),
              (std::vector<std::uint64_t>{10'000, 10'010, 10'020, 10'045, 10'055, 10'065, 10'075}));
}

TEST(FrameLoop, TickCounterPastThirtyTwoBitsKeepsPacing) {
    for (const std::uint64_t start :
         {std::uint64_t{0x7FFFFFFF} - 15, std::uint64_t{0xFFFFFFFF} - 15}) {
        LoopRun run;
        run.platform.now = start;
        run.platform.CloseAt(start + 45);
        run.game.Form_Load();
        EXPECT_EQ(run.FrameTicks(), (std::vector<std::uint64_t>{start, start + 10, start + 20,
                                                                start + 30, start + 40}));
    }
}

TEST(FrameLoop, EventsAreHandledBetweenFramesOnly) {
    LoopRun run;
    run.platform.now = 5000;
    run.platform.MoveAt(5003, 300);
    run.platform.CloseAt(5025);
    std::vector<std::int32_t> paddleAtPresent;
    run.platform.onPresent = [&] { paddleAtPresent.push_back(run.game.PaddleX); };
    run.game.Form_Load();
    // Start-up, frames at 5000, 5010, 5020: the move at 5003 shows from the frame at 5010.
    EXPECT_EQ(paddleAtPresent, (std::vector<std::int32_t>{0, 0, 300, 300}));
}

TEST(Pause, TwoPressesBetweenPassesLeaveTheGameRunningWithCaptionPaused) {
    LoopRun run;
    run.platform.now = 5000;
    run.platform.KeyAt(5005, kKeyP);
    run.platform.KeyAt(5005, kKeyP);
    run.platform.CloseAt(5500);
    run.game.Form_Load();
    EXPECT_EQ(run.game.Paused, core::kFalse);
    EXPECT_EQ(run.FrameTicks().size(), 51u);
    // "Paused" stays until the next frame-rate update, a second after the first.
    EXPECT_EQ(run.platform.captions, (std::vector<std::string>{"Fps: 0", "Paused"}));
}

TEST(Pause, StopsFramesKeepsInputAndCountsTheRateAfreshAfterIt) {
    LoopRun run;
    run.platform.now = 5000;
    run.platform.KeyAt(5005, kKeyP);
    run.platform.MoveAt(5500, 200);
    run.platform.ButtonUpAt(5600, kRightButton);
    run.platform.KeyAt(7000, kKeyP);
    run.platform.CloseAt(8005);
    std::vector<std::size_t> ballsAtPresent;
    run.platform.onPresent = [&] { ballsAtPresent.push_back(run.game.Balls.size()); };
    run.game.Form_Load();

    const std::vector<std::uint64_t> ticks = run.FrameTicks();
    // The frame due at 5010 waits in the pause and is drawn when the pause ends at 7000; the
    // next one was due at 5020 and follows at once.
    ASSERT_GE(ticks.size(), 4u);
    EXPECT_EQ(ticks[0], 5000u);
    EXPECT_EQ(ticks[1], 7000u);
    EXPECT_EQ(ticks[2], 7000u);
    EXPECT_EQ(ticks[3], 7010u);
    EXPECT_EQ(ballsAtPresent[1], 1u);
    EXPECT_EQ(ballsAtPresent[2], 101u);
    EXPECT_EQ(run.game.PaddleX, 200);
    // The pause blocked on events instead of polling: one wait per event.
    EXPECT_EQ(run.platform.foreverWaits, 3);
    // "Paused" stays for a second after the pause; the first rate then counts only the frames
    // since it ended: 102 frames from 7000 to 8000 (the two due at 7000 included), not one
    // frame over the pause.
    EXPECT_EQ(run.platform.captions, (std::vector<std::string>{"Fps: 0", "Paused", "Fps: 102"}));
}

TEST(Pause, ClosingWhilePausedEndsAtOnceWithoutDrawing) {
    LoopRun run;
    run.platform.now = 5000;
    run.platform.KeyAt(5015, kKeyP);
    run.platform.CloseAt(9000);
    run.game.Form_Load();
    EXPECT_EQ(run.FrameTicks(), (std::vector<std::uint64_t>{5000, 5010}));
    EXPECT_EQ(run.platform.now, 9000u);
    EXPECT_EQ(run.game.Running, core::kFalse);
    EXPECT_EQ(run.game.Paused, core::kTrue);
}

TEST(Pause, OtherKeysAreIgnoredAndTheCaptionShowsOnlyOnEntering) {
    LoopRun run;
    run.game.StartUp();
    run.game.PicDisp_KeyDown(81, 0);
    run.game.PicDisp_KeyDown(112, 0);  // lower-case p is not the key code of P
    EXPECT_EQ(run.game.Paused, core::kFalse);
    run.game.PicDisp_KeyDown(kKeyP, kShiftMask | kCtrlMask);
    EXPECT_EQ(run.game.Paused, core::kTrue);
    run.game.PicDisp_KeyDown(kKeyP, 0);
    EXPECT_EQ(run.game.Paused, core::kFalse);
    EXPECT_EQ(run.platform.captions, std::vector<std::string>{"Paused"});
}

TEST(Paddle, FollowsTheMouseRoundedHalfToEvenAndClamped) {
    LoopRun run;
    run.game.StartUp();
    const std::vector<std::pair<float, std::int32_t>> cases = {
        {20, 40},   {600, 560}, {40.5f, 40},   {41.5f, 42},   {-50, 40},
        {700, 560}, {300, 300}, {559.5f, 560}, {560.5f, 560}, {39.5f, 40},
    };
    for (const auto& [x, expected] : cases) {
        run.game.PicDisp_MouseMove(kLeftButton, 0, x, 12345);
        EXPECT_EQ(run.game.PaddleX, expected) << x;
    }
}

TEST(Paddle, IsDrawnAfterTheBallsOverThem) {
    LoopRun run;
    run.game.StartUp();
    run.game.PicDisp_MouseMove(0, 0, 300, 0);
    run.game.Balls[0] = BallState{300, 440, 0, 1.0, core::kFalse};
    run.game.DrawFrame();
    const core::PictureBox& p = run.game.PicDisp;
    // Corners (260, 432.5) and (340, 447.5), filled black, over the ball at its centre.
    EXPECT_EQ(p.PixelAt(300, 440), 0u);
    EXPECT_EQ(p.PixelAt(260, 432), 0u);
    EXPECT_EQ(p.PixelAt(340, 448), 0u);
    EXPECT_EQ(p.PixelAt(259, 440), 0xFFFFFFu);
    EXPECT_EQ(p.PixelAt(341, 440), 0xFFFFFFu);
    EXPECT_EQ(p.PixelAt(300, 431), 0xFFFFFFu);
    EXPECT_EQ(p.PixelAt(300, 449), 0xFFFFFFu);
}

TEST(Paddle, BeforeAnyMovementItSitsCentredOnTheLeftEdge) {
    LoopRun run;
    run.game.StartUp();
    run.game.DrawFrame();
    EXPECT_EQ(run.game.PicDisp.PixelAt(0, 440), 0u);
    EXPECT_EQ(run.game.PicDisp.PixelAt(40, 440), 0u);
    EXPECT_EQ(run.game.PicDisp.PixelAt(41, 440), 0xFFFFFFu);
}

TEST(MouseButtons, ReleaseActsPressDoesNothing) {
    LoopRun run;
    run.game.StartUp();
    InputEvent press;
    press.kind = InputEvent::Kind::MouseDown;
    press.Button = kRightButton;
    run.game.Dispatch(press);
    EXPECT_EQ(run.game.Balls.size(), 1u);

    run.game.PicDisp_MouseUp(kMiddleButton, 0, 0, 0);
    run.game.PicDisp_MouseUp(kLeftButton | kRightButton, 0, 0, 0);
    EXPECT_EQ(run.game.Balls.size(), 1u);
    EXPECT_EQ(run.game.Balls[0].Stuck, core::kTrue);

    run.game.PicDisp_MouseUp(kRightButton, 0, 0, 0);
    run.game.PicDisp_MouseUp(kRightButton, 0, 0, 0);
    EXPECT_EQ(run.game.Balls.size(), 201u);
    run.game.PicDisp_MouseUp(kLeftButton, 0, 0, 0);
    for (const BallState& ball : run.game.Balls) {
        EXPECT_EQ(ball.Stuck, core::kFalse);
    }
}

TEST(KeysAndPad, SteerReleaseAddAndPauseAlongsideTheMouse) {
    LoopRun run;
    run.game.StartUp();
    run.game.PicDisp_MouseMove(0, 0, 300, 0);
    const auto input = [&run](InputEvent::Kind kind, std::int16_t code, float x = 0,
                              bool repeat = false) {
        InputEvent event;
        event.kind = kind;
        event.KeyCode = code;
        event.X = x;
        event.Repeat = repeat;
        run.game.Dispatch(event);
    };
    const auto frames = [&run](int n) {
        for (int i = 0; i < n; ++i) {
            run.game.DrawFrame();
        }
        return run.game.PaddleX;
    };
    using K = InputEvent::Kind;
    // A held arrow starts at 4 pixels a frame and gains one every 5 frames; the keyboard's
    // repeats change nothing, letting go stops at once.
    input(K::KeyDown, kKeyRight);
    EXPECT_EQ(frames(5), 320);
    input(K::KeyDown, kKeyRight, 0, true);
    EXPECT_EQ(frames(5), 345);
    input(K::KeyUp, kKeyRight);
    EXPECT_EQ(frames(1), 345);
    EXPECT_EQ(run.game.Balls[0].X, 345.0f);
    // The stick: half way past its dead zone is 6 pixels a frame; a tremor near the centre
    // nothing; full left runs into the wall; the d-pad steers like the arrows.
    input(K::PadStick, 0, 0.6f);
    EXPECT_EQ(frames(2), 357);
    input(K::PadStick, 0, 0.1f);
    EXPECT_EQ(frames(1), 357);
    input(K::PadStick, 0, -1.0f);
    EXPECT_EQ(frames(50), 40);
    input(K::PadStick, 0, 0);
    input(K::KeyDown, kPadRight);
    EXPECT_EQ(frames(1), 44);
    input(K::KeyUp, kPadRight);
    // Enter and X add a hundred each, Space and A release, Start pauses like P.
    input(K::KeyDown, kKeyReturn);
    input(K::KeyDown, kPadX);
    EXPECT_EQ(run.game.Balls.size(), 201u);
    input(K::KeyDown, kKeySpace);
    EXPECT_EQ(run.game.Balls[200].Stuck, core::kFalse);
    input(K::KeyDown, kPadX);
    input(K::KeyDown, kPadA);
    EXPECT_EQ(run.game.Balls[300].Stuck, core::kFalse);
    input(K::KeyDown, kPadStart);
    EXPECT_EQ(run.game.Paused, core::kTrue);
}

TEST(BoardSets, AClearedBoardSaysClearedForTwoSecondsThenTheNextStarts) {
    LoopRun run;
    const std::vector<core::Board> set = {MakeBoard({{5, 5, 0}}),
                                          MakeBoard({{1, 1, 0}, {2, 2, 2}})};
    run.game.Set = set;
    run.game.loadBoard = LoaderOf(set[0]);
    run.game.StartUp();
    run.game.PicDisp_MouseMove(0, 0, 300, 0);
    run.game.Balls[0] = BallState{165, 82, 1.5f, 2.0, core::kFalse};  // through cell (5, 5)
    run.game.DrawFrame();
    EXPECT_EQ(run.platform.captions.back(), "Cleared");
    for (int frame = 1; frame < kClearedFrames; ++frame) {
        run.game.DrawFrame();
    }
    EXPECT_EQ(run.game.SetIndex, 0u);
    run.game.DrawFrame();
    EXPECT_EQ(run.game.SetIndex, 1u);
    EXPECT_EQ(run.game.Board, set[1]);
    ASSERT_EQ(run.game.Balls.size(), 1u);
    EXPECT_EQ(run.game.Balls[0].Stuck, core::kTrue);
    EXPECT_EQ(run.platform.captions.back(), "Cleared");

    // N: the next board, after the last the first again; R: this board afresh.
    run.game.PicDisp_KeyDown(kKeyN, 0);
    EXPECT_EQ(run.game.SetIndex, 0u);
    run.game.Board.Cells(5, 5).Used = core::kFalse;
    run.game.PicDisp_KeyDown(kKeyR, 0);
    EXPECT_EQ(run.game.Board, set[0]);

    // One board alone has no end.
    LoopRun single;
    single.game.StartUp();
    single.game.Balls[0] = BallState{95, 37, 1.5f, 2.0, core::kFalse};  // through cell (3, 2)
    single.game.DrawFrame();
    EXPECT_EQ(single.game.Board.Cells(3, 2).Used, core::kFalse);
    EXPECT_EQ(single.game.ClearedFrames, 0);
    EXPECT_TRUE(single.platform.captions.empty());
}

TEST(Closing, QueryUnloadStopsTheLoopAndLeavesCancelAsPassed) {
    LoopRun run;
    run.game.StartUp();
    std::int16_t cancel = 0;
    run.game.Form_QueryUnload(cancel, 1);
    EXPECT_EQ(cancel, 0);
    EXPECT_EQ(run.game.Running, core::kFalse);
}

TEST(BoardErrors, ReachTheCallerOfFormLoadBeforeAnyFrame) {
    LoopRun run;
    run.game.loadBoard = [](core::Board&) { throw std::runtime_error("board.brd: damaged"); };
    EXPECT_THROW(run.game.Form_Load(), std::runtime_error);
    EXPECT_TRUE(run.platform.presentTicks.empty());
}

}  // namespace
}  // namespace game
