// The sound effects: what a frame's events play, how loud, and a mix that never clips.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/game.h"
#include "game/sound.h"
#include "tests/game/game_fakes.h"

namespace game {
namespace {

using testing::MakeBoard;
using testing::StartedGame;

EffectCounts Counts(std::uint32_t release, std::uint32_t paddle, std::uint32_t wall,
                    std::uint32_t brick, std::uint32_t lost, std::uint32_t added) {
    return EffectCounts{{release, paddle, wall, brick, lost, added}};
}

TEST(Sounds, AFrameAndTheButtonsPlayTheirEventsOnceEach) {
    StartedGame s(MakeBoard({{5, 5, 0}}));
    s.game.PicDisp_MouseMove(0, 0, 300, 0);
    // A wall bounce, a paddle hit, a brick destroyed and a ball lost, in one frame.
    s.game.Balls.clear();
    s.game.Balls.push_back(BallState{4.9f, 350, 1.5f, 2.0, core::kFalse});
    s.game.Balls.push_back(BallState{300, 430, 1.5f, 2.0, core::kFalse});
    s.game.Balls.push_back(BallState{165, 82, 1.5f, 2.0, core::kFalse});
    s.game.Balls.push_back(BallState{100, 479.5f, 1.5f, 4.71238898038469, core::kFalse});
    s.game.DrawFrame();
    ASSERT_EQ(s.sound.played.size(), 1u);
    EXPECT_EQ(s.sound.played[0], Counts(0, 1, 1, 1, 1, 0));

    // A frame without events plays nothing; the buttons play between frames.
    s.FreeBalls({{300, 200}});
    s.game.DrawFrame();
    s.platform.ButtonUpAt(s.platform.now, kRightButton);
    s.platform.ButtonUpAt(s.platform.now, kLeftButton);
    s.platform.ButtonUpAt(s.platform.now, kLeftButton);  // nothing left on the paddle
    s.game.DoEvents();
    ASSERT_EQ(s.sound.played.size(), 2u);
    EXPECT_EQ(s.sound.played[1], Counts(1, 0, 0, 0, 0, 1));

    // M switches the output; the game itself goes on the same.
    s.platform.KeyAt(s.platform.now, kKeyM);
    s.game.DoEvents();
    EXPECT_FALSE(s.sound.on);
}

TEST(Sounds, LouderWithMoreEventsOnAGentleCurveAndTheMixNeverClips) {
    EXPECT_EQ(Loudness(0), 0.0f);
    EXPECT_EQ(Loudness(1), 0.5f);
    EXPECT_EQ(Loudness(4), 0.75f);
    EXPECT_EQ(Loudness(16), 1.0f);
    EXPECT_EQ(Loudness(100'000), 1.0f);

    // Every effect at full loudness, asked for on every 10 ms frame for a second: one voice
    // each, restarted at most every 50 ms, and every sample strictly inside (-1, 1).
    Mixer mixer(48'000);
    std::vector<float> block(480);
    double energy = 0;
    for (int frame = 0; frame < 100; ++frame) {
        for (std::size_t e = 0; e < kEffectCount; ++e) {
            mixer.Trigger(static_cast<Effect>(e), 1.0f);
        }
        mixer.Render(block);
        for (const float sample : block) {
            ASSERT_TRUE(std::fabs(sample) < 1.0f) << frame;
            energy += static_cast<double>(sample) * static_cast<double>(sample);
        }
    }
    EXPECT_GT(energy, 1.0);
    EXPECT_EQ(mixer.Started(), 6u * 20u);
    mixer.StopAll();
    mixer.Render(block);
    EXPECT_EQ(block, std::vector<float>(480, 0.0f));
}

}  // namespace
}  // namespace game
