// One frame of the game with many free balls over the default board (the background reset, the
// ball update with its collision rules, the ball drawing and the paddle, as the frame loop draws
// them), through the game's own ball code and through the plain rules of the test oracle. Every
// iteration starts from the same state, taken after a few frames of play, so each measures the
// same frame (and starts with caches emptied by the restore; a second set plays frames back to
// back, as the game does). After the benchmarks a summary table compares the two and finds the
// largest ball count whose frame fits in the game's 10 ms; it also gives the start-up time to
// the first frame and the frame time of the windowless replay with 100 000 balls.

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_kernels.h"
#include "game/game.h"
#include "game/random.h"
#include "game/replay.h"
#include "game/sdl/sdl_platform.h"
#include "shared/board_file.h"
#include "tests/game/oracle/oracle.h"

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
// for a few frames so that the bricks within the balls' first reach are gone. The oracle's side
// is a copy of it with the balls in the oracle's vector.
struct Scene {
    explicit Scene(std::int64_t count)
        : game(platform, random, [](core::Board& board) { board = BenchBoard(); }) {
        game.StartUp();
        game.PicDisp_MouseMove(0, 0, 300, 0);
        game.Balls.clear();
        game.Balls.reserve(static_cast<std::size_t>(count));
        game::SeededRandom place(static_cast<std::uint64_t>(count));
        for (std::int64_t i = 0; i < count; ++i) {
            game::BallState ball;
            ball.X = 10 + 580 * place.Rnd();
            ball.Y = 10 + 400 * place.Rnd();
            ball.Speed = 1.5f + 4.5f * place.Rnd();
            ball.Angle = static_cast<double>(place.Rnd()) * game::kTwoPi;
            game.Balls.push_back(ball);
        }
        for (int frame = 0; frame < 20; ++frame) {
            game.DrawFrame();
        }
        startBalls = game.Balls;
        startBoard = game.Board;
        startPicture = game.PicDisp;
        startPlain.assign(game.Balls.begin(), game.Balls.end());
        plain = std::make_unique<game::Game>(game);
        plainBalls = startPlain;
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    void RestoreGame() {
        game.Balls = startBalls;
        game.Board = startBoard;
        game.PicDisp = startPicture;
    }
    void RestorePlain() {
        plainBalls = startPlain;
        plain->Board = startBoard;
        plain->PicDisp = startPicture;
    }
    void GameFrame() { game.DrawFrame(); }
    void PlainFrame() { game::oracle::DrawFrame(*plain, plainBalls); }

    game::ReplayPlatform platform;
    game::SeededRandom random{1};
    game::Game game;
    std::unique_ptr<game::Game> plain;
    game::oracle::BallVector plainBalls;

    game::BallList startBalls;
    core::Board startBoard;
    core::PictureBox startPicture;
    game::oracle::BallVector startPlain;
};

// Scenes are built once per count and shared by the benchmarks and the summary.
Scene& SceneOf(std::int64_t count) {
    static std::map<std::int64_t, std::unique_ptr<Scene>> scenes;
    std::unique_ptr<Scene>& scene = scenes[count];
    if (!scene) {
        scene = std::make_unique<Scene>(count);
    }
    return *scene;
}

void PerBall(benchmark::State& state) {
    state.counters["per_ball"] =
        benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_GameFrame(benchmark::State& state) {
    Scene& scene = SceneOf(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        scene.RestoreGame();
        state.ResumeTiming();
        scene.GameFrame();
        benchmark::DoNotOptimize(scene.game.PicDisp.Image().data());
    }
    PerBall(state);
}

// Frames back to back, as the game plays them: the state is restored every ten frames
// (untimed), so the balls and the board stay close to the measured start.
void BM_GameFrameRun(benchmark::State& state) {
    Scene& scene = SceneOf(state.range(0));
    int frames = 0;
    for (auto _ : state) {
        if (frames++ % 10 == 0) {
            state.PauseTiming();
            scene.RestoreGame();
            scene.GameFrame();
            state.ResumeTiming();
        }
        scene.GameFrame();
        benchmark::DoNotOptimize(scene.game.PicDisp.Image().data());
    }
    PerBall(state);
}

void BM_OracleFrame(benchmark::State& state) {
    Scene& scene = SceneOf(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        scene.RestorePlain();
        state.ResumeTiming();
        scene.PlainFrame();
        benchmark::DoNotOptimize(scene.plain->PicDisp.Image().data());
    }
    PerBall(state);
}

void BM_GameUpdateBalls(benchmark::State& state) {
    Scene& scene = SceneOf(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        scene.RestoreGame();
        state.ResumeTiming();
        game::UpdateBalls(scene.game.Balls, scene.game.World(scene.game.PicDisp));
    }
    PerBall(state);
}

void BM_GameDrawBalls(benchmark::State& state) {
    Scene& scene = SceneOf(state.range(0));
    scene.RestoreGame();
    game::Game& g = scene.game;
    for (auto _ : state) {
        game::DrawBalls(g.Balls, g.PicBall, g.PicBallMask, g.PicDisp);
        benchmark::DoNotOptimize(g.PicDisp.Image().data());
    }
    PerBall(state);
}

// From nothing to the first frame on screen, as the program starts: SDL and the window (on
// SDL's dummy video driver, so no window appears), the game, the board read from disk and drawn,
// and the first frame presented.
void BM_StartUpToFirstFrame(benchmark::State& state) {
#ifdef VANTOR_DEFAULT_BOARD
    const std::filesystem::path boardPath = VANTOR_DEFAULT_BOARD;
#else
    const std::filesystem::path boardPath;
#endif
    for (auto _ : state) {
        auto platform = std::make_unique<game::SdlPlatform>();
        game::ClockRandom random;
        auto form = std::make_unique<game::Game>(*platform, random, [&](core::Board& board) {
            if (boardPath.empty()) {
                board = BenchBoard();
            } else {
                core::LoadBoard(boardPath, board);
            }
        });
        form->StartUp();
        form->DrawFrame();
        benchmark::DoNotOptimize(form->PicDisp.Image().data());
        state.PauseTiming();
        form.reset();
        platform.reset();
        state.ResumeTiming();
    }
}

// The windowless replay (what vantor-replay runs) with 100 000 balls: a thousand right clicks
// at the paddle, the release, twenty frames of flight, then one frame per iteration.
void BM_ReplayFrame(benchmark::State& state) {
    game::SeededRandom random(42);
    game::Replay replay(BenchBoard(), random);
    std::string script = "move 300\n";
    for (int i = 0; i < state.range(0) / 100; ++i) {
        script += "add\n";
    }
    script += "release\nframes 20\n";
    std::vector<game::ReplayCommand> commands = game::ParseReplayScript(script);
    std::ostringstream ignored;
    replay.Run(commands, ignored);
    const std::vector<game::ReplayCommand> oneFrame = game::ParseReplayScript("frames 1\n");
    for (auto _ : state) {
        replay.Run(oneFrame, ignored);
    }
    state.counters["balls"] = static_cast<double>(replay.game().Balls.size());
}

// The ball counts of the summary table.
constexpr std::int64_t kTableCounts[] = {1'000, 10'000, 100'000, 1'000'000};

void TableCounts(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : kTableCounts) {
        b->Arg(n);
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_OracleFrame)->Apply(TableCounts);
BENCHMARK(BM_GameFrame)->Apply(TableCounts);
BENCHMARK(BM_GameFrameRun)->Apply(TableCounts);
BENCHMARK(BM_GameUpdateBalls)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameDrawBalls)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpToFirstFrame)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayFrame)->Arg(100'000)->Iterations(100)->Unit(benchmark::kMillisecond);

// Keeps the console output and remembers every run's real and CPU time in milliseconds.
class Recorder : public benchmark::ConsoleReporter {
  public:
    struct Times {
        double real = 0;
        double cpu = 0;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions, the median of them stands for the benchmark: this kind of machine
        // shares its processor, and a single run can be half again as slow as the next.
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Iteration ? !medians.contains(name) : median) {
                const double toMs = ToMilliseconds(run.time_unit);
                times[name] =
                    Times{run.GetAdjustedRealTime() * toMs, run.GetAdjustedCPUTime() * toMs};
            }
            if (median) {
                medians.insert(name);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const Times* Find(const std::string& name) const {
        const auto it = times.find(name);
        return it == times.end() ? nullptr : &it->second;
    }

  private:
    static double ToMilliseconds(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kNanosecond:
                return 1e-6;
            case benchmark::kMicrosecond:
                return 1e-3;
            case benchmark::kMillisecond:
                return 1.0;
            case benchmark::kSecond:
                return 1e3;
        }
        return 1.0;
    }

    std::map<std::string, Times> times;
    std::set<std::string> medians;
};

// The median of `frames` frames played back to back from the scene's start, in milliseconds
// of wall time.
double MedianFrameMs(Scene& scene, bool plain, int frames) {
    if (plain) {
        scene.RestorePlain();
        scene.PlainFrame();
    } else {
        scene.RestoreGame();
        scene.GameFrame();
    }
    // Frames back to back after the untimed first one, as the game plays them.
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (plain) {
            scene.PlainFrame();
        } else {
            scene.GameFrame();
        }
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double FrameMsAt(std::int64_t count, bool plain, int frames) {
    Scene scene(count);
    return MedianFrameMs(scene, plain, frames);
}

// The largest count (to within about 2 %) whose frame takes at most `budget` ms, searching
// upward from `from` by doubling and then bisecting.
std::int64_t LargestWithin(double budget, std::int64_t from, bool plain, int frames) {
    std::int64_t fits = 0;
    std::int64_t fails = 0;
    std::int64_t n = from;
    while (fails == 0) {
        if (FrameMsAt(n, plain, frames) <= budget) {
            fits = n;
            n *= 2;
        } else {
            fails = n;
            if (fits == 0) {
                fits = n / 2;
                while (fits > 1 && FrameMsAt(fits, plain, frames) > budget) {
                    fails = fits;
                    fits /= 2;
                }
            }
        }
    }
    while (fails - fits > fits / 50 && fails - fits > 1) {
        const std::int64_t mid = fits + (fails - fits) / 2;
        if (FrameMsAt(mid, plain, frames) <= budget) {
            fits = mid;
        } else {
            fails = mid;
        }
    }
    return fits;
}

// One frame from the same start through both; true when every ball field and pixel agree.
bool SameFirstFrame(std::int64_t count) {
    Scene& scene = SceneOf(count);
    scene.RestoreGame();
    scene.RestorePlain();
    scene.GameFrame();
    scene.PlainFrame();
    if (scene.game.Balls.size() != scene.plainBalls.size()) {
        return false;
    }
    for (std::size_t i = 0; i < scene.plainBalls.size(); ++i) {
        const game::BallState a = scene.game.Balls[i];
        const game::BallState& b = scene.plainBalls[i];
        if (std::bit_cast<std::uint32_t>(a.X) != std::bit_cast<std::uint32_t>(b.X) ||
            std::bit_cast<std::uint32_t>(a.Y) != std::bit_cast<std::uint32_t>(b.Y) ||
            std::bit_cast<std::uint32_t>(a.Speed) != std::bit_cast<std::uint32_t>(b.Speed) ||
            std::bit_cast<std::uint64_t>(a.Angle) != std::bit_cast<std::uint64_t>(b.Angle) ||
            a.Stuck != b.Stuck) {
            return false;
        }
    }
    const auto fast = scene.game.PicDisp.Image();
    const auto slow = scene.plain->PicDisp.Image();
    return scene.game.Board == scene.plain->Board && fast.size() == slow.size() &&
           std::memcmp(fast.data(), slow.data(), fast.size_bytes()) == 0;
}

void PrintSummary(const Recorder& recorder) {
    std::printf(
        "\nOne frame (Cls, UpdateBalls, DrawBalls, paddle) with free balls over the "
        "default board, one core, %s loops.\n",
        game::detail::UsingAvx2() ? "AVX2" : "portable");
    std::printf(
        "Wall-clock ms per frame, the median of the repetitions (cpu in brackets). Oracle and "
        "game\nstart every frame from the same restored state, with caches cold after the "
        "restore; back to\nback: the median of 61 of the game's frames played in a row, as the "
        "game "
        "plays them.\n\n");
    std::printf("%10s  %22s  %22s  %8s  %14s  %s\n", "balls", "oracle ms", "game ms", "ratio",
                "back to back", "identical");
    for (const std::int64_t n : kTableCounts) {
        std::string oracleName = "BM_OracleFrame/";
        std::string gameName = "BM_GameFrame/";
        oracleName += std::to_string(n);
        gameName += std::to_string(n);
        const Recorder::Times* o = recorder.Find(oracleName);
        const Recorder::Times* g = recorder.Find(gameName);
        if (o == nullptr || g == nullptr) {
            continue;
        }
        char runText[32];
        std::snprintf(runText, sizeof runText, "%.3f", MedianFrameMs(SceneOf(n), false, 61));
        char oracleText[64];
        char gameText[64];
        std::snprintf(oracleText, sizeof oracleText, "%.3f (%.3f)", o->real, o->cpu);
        std::snprintf(gameText, sizeof gameText, "%.3f (%.3f)", g->real, g->cpu);
        std::printf("%10lld  %22s  %22s  %8.1f  %14s  %s\n", static_cast<long long>(n), oracleText,
                    gameText, o->real / g->real, runText, SameFirstFrame(n) ? "yes" : "NO");
    }
    std::fflush(stdout);

    const std::int64_t gameLargest = LargestWithin(10.0, 1'000'000, false, 7);
    const std::int64_t plainLargest = LargestWithin(10.0, 16'000, true, 3);
    std::printf(
        "\nLargest ball count whose frame (back to back) fits in 10 ms: game %lld, "
        "oracle %lld\n",
        static_cast<long long>(gameLargest), static_cast<long long>(plainLargest));
    if (const Recorder::Times* s = recorder.Find("BM_StartUpToFirstFrame/iterations:10")) {
        std::printf("Start-up to the first frame (SDL dummy video, board from disk): %.2f ms\n",
                    s->real);
    }
    if (const Recorder::Times* r = recorder.Find("BM_ReplayFrame/100000/iterations:100")) {
        std::printf("vantor-replay frame with 100 000 balls in flight: %.3f ms (cpu %.3f)\n",
                    r->real, r->cpu);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The start-up benchmark opens no real window.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    // The summary belongs to the whole set; a run of a few chosen benchmarks goes without it.
    const std::string filter = benchmark::GetBenchmarkFilter();
    if (filter.empty() || filter == "." || filter == "all") {
        PrintSummary(recorder);
    }
    benchmark::Shutdown();
    return 0;
}
