// One frame of the game with many free balls over the default board (the background reset, the
// ball update with its collision rules, the ball drawing and the paddle, as the frame loop draws
// them), through the game's own ball code (on one thread or two) and through the plain rules of
// the test oracle. Every iteration starts from the same state, taken after a few frames of play,
// so each measures the same frame (and starts with caches emptied by the restore; a second set
// plays frames back to back, as the game does). After the benchmarks a summary compares the game
// with the oracle on one thread, then one thread with two at up to 4 000 000 balls (the two
// taking turns, so that both meet the same load on a shared machine), finds the largest ball
// count whose frame fits in the game's 10 ms on each, and the count from which two threads
// pay; it also gives the start-up time to the first frame and the frame time of the windowless
// replay with 100 000 balls.

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

double LoadAverage() {
    double load = 0;
    return getloadavg(&load, 1) == 1 ? load : -1;
}

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
// is a copy of it with the balls in the oracle's vector, made when first asked for.
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
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // The start again, with the list on `threads` threads.
    void RestoreGame(unsigned threads) {
        game.Balls = startBalls;
        game.Balls.SetThreads(threads);
        game.Board = startBoard;
        game.PicDisp = startPicture;
    }
    void RestorePlain() {
        if (!plain) {
            plain = std::make_unique<game::Game>(game);
            startPlain.assign(startBalls.begin(), startBalls.end());
        }
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

// The thread count of a benchmark: its second argument.
unsigned ThreadsOf(const benchmark::State& state) {
    return static_cast<unsigned>(state.range(1));
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
        scene.RestoreGame(ThreadsOf(state));
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
            scene.RestoreGame(ThreadsOf(state));
            scene.GameFrame();
            state.ResumeTiming();
        }
        scene.GameFrame();
        benchmark::DoNotOptimize(scene.game.PicDisp.Image().data());
    }
    PerBall(state);
}

// The frame as the game drew it before anyone listened to it: the same steps as DrawFrame, with
// the events UpdateBalls counts left unused and without steering, sets or sounds. Beside
// BM_GameFrame (best run interleaved: --benchmark_enable_random_interleaving=true) it gives what
// the rest of the frame costs at each count.
void BM_FrameLeavingEventsUnused(benchmark::State& state) {
    Scene& scene = SceneOf(state.range(0));
    game::Game& g = scene.game;
    for (auto _ : state) {
        state.PauseTiming();
        scene.RestoreGame(ThreadsOf(state));
        state.ResumeTiming();
        g.PicDisp.Cls();
        benchmark::DoNotOptimize(game::UpdateBalls(g.Balls, g.World(g.PicDisp)));
        game::DrawBalls(g.Balls, g.PicBall, g.PicBallMask, g.PicDisp);
        g.PicDisp.Line(static_cast<float>(g.PaddleX - g.PaddleWidth / 2.0),
                       static_cast<float>(g.PaddleY - g.PaddleHeight / 2.0),
                       static_cast<float>(g.PaddleX + g.PaddleWidth / 2.0),
                       static_cast<float>(g.PaddleY + g.PaddleHeight / 2.0), core::kBlack,
                       core::BoxStyle::Filled);
        g.PicDisp.Refresh();
        benchmark::DoNotOptimize(g.PicDisp.Image().data());
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
        scene.RestoreGame(ThreadsOf(state));
        state.ResumeTiming();
        game::UpdateBalls(scene.game.Balls, scene.game.World(scene.game.PicDisp));
    }
    PerBall(state);
}

void BM_GameDrawBalls(benchmark::State& state) {
    Scene& scene = SceneOf(state.range(0));
    scene.RestoreGame(ThreadsOf(state));
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

// The ball counts of the summary's tables: the game against the oracle on one thread, and one
// thread against two.
constexpr std::int64_t kTableCounts[] = {1'000, 10'000, 100'000, 1'000'000};
constexpr std::int64_t kThreadCounts[] = {100'000, 1'000'000, 2'000'000, 4'000'000};

void TableCounts(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : kTableCounts) {
        b->Arg(n);
    }
    b->Unit(benchmark::kMillisecond);
}

void OneThread(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : kTableCounts) {
        b->Args({n, 1});
    }
    b->Unit(benchmark::kMillisecond);
}

// The one-thread counts below the two-thread table's, then both at each of those.
void OneAndTwoThreads(benchmark::internal::Benchmark* b) {
    for (const std::int64_t n : kTableCounts) {
        if (n < kThreadCounts[0]) {
            b->Args({n, 1});
        }
    }
    for (const std::int64_t n : kThreadCounts) {
        b->Args({n, 1});
        b->Args({n, 2});
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_OracleFrame)->Apply(TableCounts);
BENCHMARK(BM_GameFrame)->Apply(OneThread);
BENCHMARK(BM_GameFrameRun)->Apply(OneAndTwoThreads);
BENCHMARK(BM_FrameLeavingEventsUnused)->Args({1'000'000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameUpdateBalls)
    ->Args({100'000, 1})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameDrawBalls)
    ->Args({100'000, 1})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMillisecond);
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

// Who plays a frame: the oracle, or the game on this many threads.
constexpr unsigned kOracle = 0;

// Frames played back to back from the scene's start after an untimed first one, as the game
// plays them: their wall times in milliseconds, appended to times.
void PlayFrames(Scene& scene, unsigned threads, int frames, std::vector<double>& times) {
    if (threads == kOracle) {
        scene.RestorePlain();
        scene.PlainFrame();
    } else {
        scene.RestoreGame(threads);
        scene.GameFrame();
    }
    for (int i = 0; i < frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (threads == kOracle) {
            scene.PlainFrame();
        } else {
            scene.GameFrame();
        }
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median frame of each thread count, the counts taking turns a few frames at a time so
// that a busy neighbour slows them alike.
std::vector<double> TakingTurns(Scene& scene, const std::vector<unsigned>& threads, int turns,
                                int framesPerTurn) {
    std::vector<std::vector<double>> times(threads.size());
    for (int turn = 0; turn < turns; ++turn) {
        for (std::size_t k = 0; k < threads.size(); ++k) {
            PlayFrames(scene, threads[k], framesPerTurn, times[k]);
        }
    }
    std::vector<double> medians;
    for (const std::vector<double>& t : times) {
        medians.push_back(Median(t));
    }
    return medians;
}

double FrameMsAt(std::int64_t count, unsigned threads, int frames) {
    Scene scene(count);
    std::vector<double> times;
    PlayFrames(scene, threads, frames, times);
    return Median(times);
}

// The largest count (to within about 2 %) whose frame takes at most `budget` ms, searching
// upward from `from` by doubling and then bisecting.
std::int64_t LargestWithin(double budget, std::int64_t from, unsigned threads, int frames) {
    std::int64_t fits = 0;
    std::int64_t fails = 0;
    std::int64_t n = from;
    while (fails == 0) {
        if (FrameMsAt(n, threads, frames) <= budget) {
            fits = n;
            n *= 2;
        } else {
            fails = n;
            if (fits == 0) {
                fits = n / 2;
                while (fits > 1 && FrameMsAt(fits, threads, frames) > budget) {
                    fails = fits;
                    fits /= 2;
                }
            }
        }
    }
    while (fails - fits > fits / 50 && fails - fits > 1) {
        const std::int64_t mid = fits + (fails - fits) / 2;
        if (FrameMsAt(mid, threads, frames) <= budget) {
            fits = mid;
        } else {
            fails = mid;
        }
    }
    return fits;
}

// One frame from the same start through the oracle and the game on `threads` threads; true
// when every ball field and pixel agree.
bool SameFirstFrame(std::int64_t count, unsigned threads) {
    Scene& scene = SceneOf(count);
    scene.RestoreGame(threads);
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

void PrintOneCore(const Recorder& recorder) {
    std::printf(
        "\nOne frame (Cls, UpdateBalls, DrawBalls, paddle) with free balls over the "
        "default board, one thread, %s loops.\n",
        game::detail::UsingAvx2() ? "AVX2" : "portable");
    std::printf(
        "Wall-clock ms per frame, the median of the repetitions (cpu in brackets). Oracle and "
        "game\nstart every frame from the same restored state, with caches cold after the "
        "restore; back to\nback: the median of 61 of the game's frames played in a row, as the "
        "game plays them.\n\n");
    std::printf("%10s  %22s  %22s  %8s  %14s  %s\n", "balls", "oracle ms", "game ms", "ratio",
                "back to back", "identical");
    for (const std::int64_t n : kTableCounts) {
        const std::string count = std::to_string(n);
        const Recorder::Times* o = recorder.Find("BM_OracleFrame/" + count);
        const Recorder::Times* g = recorder.Find("BM_GameFrame/" + count + "/1");
        if (o == nullptr || g == nullptr) {
            continue;
        }
        std::vector<double> run;
        PlayFrames(SceneOf(n), 1, 61, run);
        char oracleText[64];
        char gameText[64];
        std::snprintf(oracleText, sizeof oracleText, "%.3f (%.3f)", o->real, o->cpu);
        std::snprintf(gameText, sizeof gameText, "%.3f (%.3f)", g->real, g->cpu);
        std::printf("%10lld  %22s  %22s  %8.1f  %14.3f  %s\n", static_cast<long long>(n),
                    oracleText, gameText, o->real / g->real, Median(run),
                    SameFirstFrame(n, 1) ? "yes" : "NO");
    }
    std::fflush(stdout);
}

void PrintThreads() {
    std::printf(
        "\nOne thread and two: wall-clock ms per frame played back to back, the median of 60 "
        "frames each,\nthe two taking turns four frames at a time (load average %.2f at the "
        "start).\n\n",
        LoadAverage());
    std::printf("%10s  %12s  %12s  %8s  %s\n", "balls", "1 thread", "2 threads", "ratio",
                "identical");
    for (const std::int64_t n : kThreadCounts) {
        const std::vector<double> ms = TakingTurns(SceneOf(n), {1, 2}, 15, 4);
        std::printf("%10lld  %12.3f  %12.3f  %8.2f  %s\n", static_cast<long long>(n), ms[0], ms[1],
                    ms[0] / ms[1], SameFirstFrame(n, 2) ? "yes" : "NO");
        std::fflush(stdout);
    }

    // Where a second thread starts to pay: the same comparison with the threads forced on
    // for any count.
    const std::size_t threadsFrom = game::detail::Options().threadsFrom;
    game::detail::Options().threadsFrom = 0;
    std::printf("\nTwo threads against one, forced on below the game's threshold (%zu balls):",
                threadsFrom);
    for (const std::int64_t n : {5'000, 10'000, 20'000, 40'000, 80'000}) {
        Scene scene(n);
        const std::vector<double> ms = TakingTurns(scene, {1, 2}, 25, 4);
        std::printf(" %lld: %.2fx", static_cast<long long>(n), ms[0] / ms[1]);
        std::fflush(stdout);
    }
    game::detail::Options().threadsFrom = threadsFrom;
    std::printf("\n");

    const std::int64_t one = LargestWithin(10.0, 1'000'000, 1, 7);
    const std::int64_t two = LargestWithin(10.0, 2'000'000, 2, 7);
    std::printf(
        "\nLargest ball count whose frame (back to back) fits in 10 ms: one thread %lld, "
        "two threads %lld\n",
        static_cast<long long>(one), static_cast<long long>(two));
}

void PrintSummary(const Recorder& recorder) {
    PrintOneCore(recorder);
    const std::int64_t plainLargest = LargestWithin(10.0, 16'000, kOracle, 3);
    std::printf("Largest ball count whose frame fits in 10 ms through the oracle: %lld\n",
                static_cast<long long>(plainLargest));
    PrintThreads();
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
    // --summary prints the summary after a run of chosen benchmarks too (which goes without it
    // otherwise: it belongs to the whole set).
    bool summary = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--summary") == 0) {
            summary = true;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    const std::string filter = benchmark::GetBenchmarkFilter();
    if (summary || filter.empty() || filter == "." || filter == "all") {
        PrintSummary(recorder);
    }
    benchmark::Shutdown();
    return 0;
}
