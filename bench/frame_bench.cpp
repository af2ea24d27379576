// One frame of the game with many free balls over the default board: the background reset, the
// ball update with its collision rules, the ball drawing and the paddle, as the frame loop draws
// them. Every iteration starts from the same state, taken after a few frames of play, so each
// measures the same frame.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "game/ball.h"
#include "game/game.h"
#include "game/random.h"
#include "game/replay.h"
#include "shared/board_file.h"

namespace {

core::Board BenchBoard() {
#ifdef VANTOR_DEFAULT_BOARD
    if (std::filesystem::exists(VANTOR_DEFAULT_BOARD)) {
        core::Board board;
        core::LoadBoard(VANTOR_DEFAULT_BOARD, board);
        return board;
    }
#endif
    // Without the default board: the upper half of the grid full of breakable bricks, a row of
    // unbreakable ones below them.
    core::Board board;
    board.Bricks.resize(2);
    board.Bricks[1].Unbreakable = core::kTrue;
    board.Header.LastBrickIndex = 1;
    for (int row = 0; row < 11; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            board.Cells(column, row).Used = core::kTrue;
            board.Cells(column, row).BrickIndex = row == 10 ? 1 : 0;
        }
    }
    return board;
}

// A started game with `count` free balls spread over the playfield in every direction, played
// for a few frames so that the bricks within the balls' first reach are gone.
struct Scene {
    explicit Scene(std::int64_t count)
        : game(platform, random, [](core::Board& board) { board = BenchBoard(); }) {
        game::Game& g = game;
        g.StartUp();
        g.PicDisp_MouseMove(0, 0, 300, 0);
        g.Balls.clear();
        game::SeededRandom place(static_cast<std::uint64_t>(count));
        for (std::int64_t i = 0; i < count; ++i) {
            game::BallState ball;
            ball.X = 10 + 580 * place.Rnd();
            ball.Y = 10 + 400 * place.Rnd();
            ball.Speed = 1.5f + 4.5f * place.Rnd();
            ball.Angle = static_cast<double>(place.Rnd()) * game::kTwoPi;
            g.Balls.push_back(ball);
        }
        for (int frame = 0; frame < 20; ++frame) {
            g.DrawFrame();
        }
        start = std::make_unique<game::Game>(g);
    }

    // Back to the state after the warm-up, outside the timing.
    void Restore(benchmark::State& state) {
        state.PauseTiming();
        game::Game& g = game;
        g.Balls = start->Balls;
        g.Board = start->Board;
        g.PicDisp = start->PicDisp;
        state.ResumeTiming();
    }

    game::ReplayPlatform platform;
    game::SeededRandom random{1};
    game::Game game;
    std::unique_ptr<game::Game> start;
};

void BM_Frame(benchmark::State& state) {
    Scene scene(state.range(0));
    game::Game& g = scene.game;
    for (auto _ : state) {
        scene.Restore(state);
        g.PicDisp.Cls();
        game::UpdateBalls(g, g.PicDisp);
        game::DrawBalls(g, g.PicBall, g.PicBallMask, g.PicDisp);
        g.PicDisp.Line(static_cast<float>(g.PaddleX - 40), static_cast<float>(g.PaddleY - 7.5),
                       static_cast<float>(g.PaddleX + 40), static_cast<float>(g.PaddleY + 7.5),
                       core::kBlack, core::BoxStyle::Filled);
        benchmark::DoNotOptimize(g.PicDisp.Image().data());
    }
    state.counters["balls"] = static_cast<double>(g.Balls.size());
    state.counters["per_ball"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_UpdateBalls(benchmark::State& state) {
    Scene scene(state.range(0));
    game::Game& g = scene.game;
    for (auto _ : state) {
        scene.Restore(state);
        game::UpdateBalls(g, g.PicDisp);
    }
    state.counters["per_ball"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DrawBalls(benchmark::State& state) {
    Scene scene(state.range(0));
    game::Game& g = scene.game;
    for (auto _ : state) {
        game::DrawBalls(g, g.PicBall, g.PicBallMask, g.PicDisp);
        benchmark::DoNotOptimize(g.PicDisp.Image().data());
    }
    state.counters["per_ball"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_Frame)->Arg(1)->Arg(100)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UpdateBalls)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawBalls)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
