#pragma once

// Fakes that run the game windowless: a clock that moves only when the loop waits or a test says
// so, events scheduled on that clock, a random generator with fixed values, and small boards.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/game.h"
#include "game/random.h"
#include "shared/board_model.h"

namespace game::testing {

class FakePlatform : public Platform {
  public:
    std::uint64_t TickCount() override {
        if (++tickReads > kMostTickReads) {
            throw std::runtime_error("the loop reads the clock without ever waiting");
        }
        return now;
    }

    std::optional<InputEvent> PollEvent() override {
        if (!events.empty() && events.front().at <= now) {
            InputEvent e = events.front().event;
            events.pop_front();
            return e;
        }
        return std::nullopt;
    }

    void WaitEvent(std::optional<std::uint64_t> untilTick) override {
        ++waits;
        const std::uint64_t next =
            events.empty() ? std::numeric_limits<std::uint64_t>::max() : events.front().at;
        if (next <= now) {
            return;
        }
        if (!untilTick) {
            ++foreverWaits;
            if (events.empty()) {
                throw std::runtime_error("waiting for an event that will never come");
            }
            now = next;
            return;
        }
        if (*untilTick > now) {
            now = std::min(*untilTick, next);
        }
    }

    void Show() override { shownAt = now; }
    void SetCaption(std::string_view text) override { captions.emplace_back(text); }
    void Present(const core::PictureBox& picture) override {
        presentTicks.push_back(now);
        lastPresented = std::vector<core::Rgb32>(picture.Image().begin(), picture.Image().end());
        if (onPresent) {
            onPresent();
        }
    }

    // Schedules an event; events at the same tick keep their order.
    void At(std::uint64_t tick, InputEvent event) {
        auto it = events.begin();
        while (it != events.end() && it->at <= tick) {
            ++it;
        }
        events.insert(it, Timed{tick, event});
    }
    void KeyAt(std::uint64_t tick, std::int16_t code, bool down = true) {
        InputEvent e;
        e.kind = down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
        e.KeyCode = code;
        At(tick, e);
    }
    void CloseAt(std::uint64_t tick) {
        InputEvent e;
        e.kind = InputEvent::Kind::QueryUnload;
        At(tick, e);
    }
    void MoveAt(std::uint64_t tick, float x) {
        InputEvent e;
        e.kind = InputEvent::Kind::MouseMove;
        e.X = x;
        At(tick, e);
    }
    void ButtonUpAt(std::uint64_t tick, std::int16_t button) {
        InputEvent e;
        e.kind = InputEvent::Kind::MouseUp;
        e.Button = button;
        At(tick, e);
    }

    struct Timed {
        std::uint64_t at;
        InputEvent event;
    };

    static constexpr long kMostTickReads = 10'000'000;

    std::uint64_t now = 0;
    std::deque<Timed> events;
    std::vector<std::string> captions;
    std::vector<std::uint64_t> presentTicks;
    std::vector<core::Rgb32> lastPresented;
    std::function<void()> onPresent;
    std::optional<std::uint64_t> shownAt;
    long tickReads = 0;
    long waits = 0;
    long foreverWaits = 0;
};

// Hands out the given values in turn (then repeats the last) and counts the reseeds.
class FakeRandom : public Random {
  public:
    explicit FakeRandom(std::vector<float> valuesIn = {0.5f}) : values(std::move(valuesIn)) {}
    void Randomize() override { ++reseeds; }
    float Rnd() override {
        const float v = values[next < values.size() ? next : values.size() - 1];
        ++next;
        return v;
    }

    std::vector<float> values;
    std::size_t next = 0;
    int reseeds = 0;
};

// Keeps every batch of events the game plays.
class FakeSound : public SoundOutput {
  public:
    void Play(const EffectCounts& events) override { played.push_back(events); }
    bool On() const override { return on; }
    void SetOn(bool value) override { on = value; }

    std::vector<EffectCounts> played;
    bool on = true;
};

// A brick of one colour.
inline core::BrickRecord SolidBrick(std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                    core::VbBool explosive = core::kFalse,
                                    core::VbBool unbreakable = core::kFalse) {
    core::BrickRecord brick;
    for (std::size_t i = 0; i < brick.Pixels.size(); i += 3) {
        brick.Pixels[i] = r;
        brick.Pixels[i + 1] = g;
        brick.Pixels[i + 2] = b;
    }
    brick.Explosive = explosive;
    brick.Unbreakable = unbreakable;
    return brick;
}

struct PlacedCell {
    int column;
    int row;
    std::int32_t brick;
};

// Three bricks: 0 red, 1 green and explosive, 2 blue and unbreakable.
inline core::Board MakeBoard(const std::vector<PlacedCell>& cells) {
    core::Board board;
    board.Bricks = {SolidBrick(200, 30, 30), SolidBrick(30, 160, 60, core::kTrue),
                    SolidBrick(40, 60, 200, core::kFalse, core::kTrue)};
    for (std::size_t i = 0; i < board.Bricks.size(); ++i) {
        board.Bricks[i].Index = static_cast<std::int32_t>(i);
    }
    board.Header.LastBrickIndex = static_cast<std::int32_t>(board.Bricks.size()) - 1;
    for (const PlacedCell& c : cells) {
        board.Cells(c.column, c.row).Used = core::kTrue;
        board.Cells(c.column, c.row).BrickIndex = c.brick;
    }
    return board;
}

inline BoardLoader LoaderOf(core::Board board) {
    return [board](core::Board& target) { target = board; };
}

// A started game (everything before the frame loop) on board, with the clock at start.
struct StartedGame {
    explicit StartedGame(core::Board board = MakeBoard({}), std::uint64_t start = 100'000)
        : game(platform, random, LoaderOf(std::move(board))) {
        platform.now = start;
        game.sound = &sound;
        game.StartUp();
    }
    StartedGame(const StartedGame&) = delete;
    StartedGame& operator=(const StartedGame&) = delete;

    // Replaces the ball list: free balls, one per position, with the given angle and speed.
    void FreeBalls(const std::vector<std::pair<float, float>>& positions, double angle = 1.0,
                   float speed = 1.5f) {
        game.Balls.clear();
        for (const auto& [x, y] : positions) {
            game.Balls.push_back(BallState{x, y, speed, angle, core::kFalse});
        }
    }

    FakePlatform platform;
    FakeRandom random;
    FakeSound sound;
    Game game;
};

}  // namespace game::testing
