#pragma once

// Copies of one started game, played side by side: `fast` through the game's own frame (and
// more fast copies where a test asks for other thread counts), `plain` through the oracle's
// plain rules on its own ball vector. After every frame they must agree on every ball field
// (bit for bit), every cell, every pixel of the working image and of the background, the number
// of times the playfield was shown and the frame's events.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "game/balls/balls.h"
#include "game/game.h"
#include "game/random.h"
#include "shared/board_model.h"
#include "shared/picture_box.h"
#include "tests/game/game_fakes.h"
#include "tests/game/oracle/oracle.h"

namespace game::testing {

// A platform that only counts what is shown; the clock stands still.
class CountingPlatform : public Platform {
  public:
    std::uint64_t TickCount() override { return 0; }
    std::optional<InputEvent> PollEvent() override { return std::nullopt; }
    void WaitEvent(std::optional<std::uint64_t>) override {}
    void Show() override {}
    void SetCaption(std::string_view) override {}
    void Present(const core::PictureBox&) override { ++presents; }

    long presents = 0;
};

inline std::string Describe(const BallState& b) {
    std::ostringstream s;
    s.precision(17);
    s << "{X " << b.X << " Y " << b.Y << " Speed " << b.Speed << " Angle " << b.Angle << " Stuck "
      << b.Stuck << "}";
    return s.str();
}

inline bool SameBits(const BallState& a, const BallState& b) {
    return std::bit_cast<std::uint32_t>(a.X) == std::bit_cast<std::uint32_t>(b.X) &&
           std::bit_cast<std::uint32_t>(a.Y) == std::bit_cast<std::uint32_t>(b.Y) &&
           std::bit_cast<std::uint32_t>(a.Speed) == std::bit_cast<std::uint32_t>(b.Speed) &&
           std::bit_cast<std::uint64_t>(a.Angle) == std::bit_cast<std::uint64_t>(b.Angle) &&
           a.Stuck == b.Stuck;
}

// The first difference between two pictures, or an empty string.
inline std::string FirstPixelDifference(std::span<const core::Rgb32> a,
                                        std::span<const core::Rgb32> b, int width) {
    if (a.size() != b.size()) {
        return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    }
    if (a.empty() || std::memcmp(a.data(), b.data(), a.size_bytes()) == 0) {
        return {};
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            std::ostringstream s;
            s << std::hex << "pixel (" << std::dec << i % static_cast<std::size_t>(width) << ", "
              << i / static_cast<std::size_t>(width) << ") " << std::hex << a[i] << " vs " << b[i];
            return s.str();
        }
    }
    return {};
}

// The first difference between a ball list and the oracle's vector, or an empty string.
inline std::string FirstBallDifference(const BallList& fast, const oracle::BallVector& plain) {
    if (fast.size() != plain.size()) {
        return "ball counts " + std::to_string(fast.size()) + " and " +
               std::to_string(plain.size());
    }
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (!SameBits(fast[i], plain[i])) {
            return "slot " + std::to_string(i) + ": " + Describe(fast[i]) + " vs " +
                   Describe(plain[i]);
        }
    }
    return {};
}

class TwinGames {
  public:
    // One fast game for every thread setting given (0: the list's default, one per core),
    // each with the same input and compared with the plain game after every frame.
    explicit TwinGames(const core::Board& board, std::uint64_t seed = 7,
                       const std::vector<unsigned>& threads = {0})
        : plainRandom_(seed), plain_(plainPlatform_, plainRandom_, LoaderOf(board)) {
        for (const unsigned count : threads) {
            fast_.push_back(std::make_unique<Side>(board, seed));
            fast_.back()->game.Balls.SetThreads(count);
        }
        plain_.StartUp();
        plainBalls_ = {plain_.Balls[0]};
    }
    TwinGames(const TwinGames&) = delete;
    TwinGames& operator=(const TwinGames&) = delete;

    // Every list becomes exactly these balls.
    void SetBalls(const std::vector<BallState>& balls) {
        for (auto& side : fast_) {
            side->game.Balls.assign(balls.begin(), balls.end());
        }
        plainBalls_ = balls;
    }
    void MoveMouse(float x) {
        for (auto& side : fast_) {
            side->game.PicDisp_MouseMove(0, 0, x, 0);
        }
        plain_.PicDisp_MouseMove(0, 0, x, 0);
    }
    void AddHundred() {
        for (auto& side : fast_) {
            side->game.PicDisp_MouseUp(kRightButton, 0, 0, 0);
        }
        for (int i = 0; i < 100; ++i) {
            oracle::AddBall(plain_, plainBalls_);
        }
    }
    void Release() {
        for (auto& side : fast_) {
            side->game.PicDisp_MouseUp(kLeftButton, 0, 0, 0);
        }
        oracle::ReleaseBalls(plainBalls_);
    }

    // One frame on every side, the fast games' as their loop draws it (the caption aside).
    // Balls, cells and the frame's events are compared always, pixels when asked.
    void Frame(bool comparePixels = true) {
        for (auto& side : fast_) {
            side->Frame();
        }
        plainEvents_ = oracle::DrawFrame(plain_, plainBalls_);
        totals_.WallBounces += plainEvents_.WallBounces;
        totals_.PaddleHits += plainEvents_.PaddleHits;
        totals_.BricksDestroyed += plainEvents_.BricksDestroyed;
        totals_.BallsLost += plainEvents_.BallsLost;
        ++frames_;
        Compare(comparePixels);
    }

    void Compare(bool comparePixels) {
        for (std::size_t k = 0; k < fast_.size(); ++k) {
            ASSERT_NO_FATAL_FAILURE(CompareSide(*fast_[k], comparePixels))
                << "game " << k << ", " << fast_[k]->game.Balls.Threads() << " threads";
        }
    }

    Game& fast() { return fast_[0]->game; }
    Game& plain() { return plain_; }
    oracle::BallVector& plainBalls() { return plainBalls_; }
    int frames() const { return frames_; }
    // The events of every frame so far, added up.
    const FrameEvents& totals() const { return totals_; }

  private:
    struct Side {
        Side(const core::Board& board, std::uint64_t seed)
            : random(seed), game(platform, random, LoaderOf(board)) {
            game.StartUp();
        }
        void Frame() {
            core::PictureBox& p = game.PicDisp;
            p.Cls();
            events = UpdateBalls(game.Balls, game.World(p));
            DrawBalls(game.Balls, game.PicBall, game.PicBallMask, p);
            oracle::DrawPaddle(game, p);
            p.Refresh();
        }

        CountingPlatform platform;
        SeededRandom random;
        Game game;
        FrameEvents events;
    };

    void CompareSide(Side& side, bool comparePixels) {
        const FrameEvents& e = side.events;
        const FrameEvents& p = plainEvents_;
        ASSERT_EQ(e, p) << "events, frame " << frames_ << ": bounces " << e.WallBounces << " and "
                        << p.WallBounces << ", paddle " << e.PaddleHits << " and " << p.PaddleHits
                        << ", bricks " << e.BricksDestroyed << " and " << p.BricksDestroyed
                        << ", lost " << e.BallsLost << " and " << p.BallsLost;
        const Game& fast = side.game;
        ASSERT_EQ(FirstBallDifference(fast.Balls, plainBalls_), "") << "frame " << frames_;
        ASSERT_TRUE(fast.Board == plain_.Board) << "cells differ, frame " << frames_;
        ASSERT_EQ(side.platform.presents, plainPlatform_.presents) << "frame " << frames_;
        if (comparePixels) {
            ASSERT_EQ(FirstPixelDifference(fast.PicDisp.Image(), plain_.PicDisp.Image(),
                                           fast.PicDisp.Width()),
                      "")
                << "working image, frame " << frames_;
            ASSERT_EQ(FirstPixelDifference(fast.PicDisp.Picture(), plain_.PicDisp.Picture(),
                                           fast.PicDisp.Width()),
                      "")
                << "background, frame " << frames_;
        }
    }

    std::vector<std::unique_ptr<Side>> fast_;
    CountingPlatform plainPlatform_;
    SeededRandom plainRandom_;
    Game plain_;
    oracle::BallVector plainBalls_;
    FrameEvents plainEvents_;
    FrameEvents totals_;
    int frames_ = 0;
};

}  // namespace game::testing
