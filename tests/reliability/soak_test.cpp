// Long play, headless: a full board, the mouse moving at random every frame, balls added a
// hundred at a time up to a ceiling and released in waves. After every frame the ball list must
// hold its invariants, and the heap must stay within what the peak number of balls needs.
//
// The test build runs a reduced form; VANTOR_SOAK=full (what `make soak` sets, in a release
// build) runs 200 000 frames with up to 50 000 balls. VANTOR_SOAK_FRAMES and
// VANTOR_SOAK_BALLS override either number.

#include <gtest/gtest.h>
#include <malloc.h>

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <random>
#include <sstream>
#include <string>

#include "game/balls/balls.h"
#include "game/game.h"
#include "game/random.h"
#include "game/replay.h"
#include "shared/board_model.h"
#include "shared/colour.h"
#include "tests/reliability/ball_access.h"

// Every allocation through operator new is counted by its usable size, so the test can see how
// much heap the game holds at any moment, whatever container it keeps its balls in.
namespace {
std::atomic<std::int64_t> liveHeapBytes{0};

void* CountedOrNull(void* p) noexcept {
    if (p != nullptr) {
        liveHeapBytes += static_cast<std::int64_t>(malloc_usable_size(p));
    }
    return p;
}
void* Counted(void* p) {
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return CountedOrNull(p);
}
void Release(void* p) noexcept {
    if (p != nullptr) {
        liveHeapBytes -= static_cast<std::int64_t>(malloc_usable_size(p));
        std::free(p);
    }
}
std::size_t AtLeastOne(std::size_t n) {
    return n == 0 ? 1 : n;
}
void* Aligned(std::size_t n, std::align_val_t align) {
    const auto a = static_cast<std::size_t>(align);
    return Counted(std::aligned_alloc(a, (AtLeastOne(n) + a - 1) / a * a));
}
}  // namespace

void* operator new(std::size_t n) {
    return Counted(std::malloc(AtLeastOne(n)));
}
void* operator new[](std::size_t n) {
    return Counted(std::malloc(AtLeastOne(n)));
}
void* operator new(std::size_t n, std::align_val_t a) {
    return Aligned(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return Aligned(n, a);
}
// The standard library asks for temporary buffers with the nothrow forms (std::inplace_merge,
// std::stable_sort): they must come from the same heap the deletes above return memory to.
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return CountedOrNull(std::malloc(AtLeastOne(n)));
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return CountedOrNull(std::malloc(AtLeastOne(n)));
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    const auto size = static_cast<std::size_t>(a);
    return CountedOrNull(std::aligned_alloc(size, (AtLeastOne(n) + size - 1) / size * size));
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return operator new(n, a, std::nothrow);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    Release(p);
}

namespace reliability {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Heap a ball may cost at the peak: its state, room for a container that doubles as it grows,
// and caches a faster layout may keep beside it.
constexpr std::int64_t kBytesPerBall = 256;
// Heap that is not the balls' and may still come and go during play.
constexpr std::int64_t kHeapSlack = 1 << 20;

struct SoakSize {
    long frames;
    long maxBalls;
};

long FromEnvironment(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtol(text, nullptr, 10) : fallback;
}

SoakSize Size() {
    const char* mode = std::getenv("VANTOR_SOAK");
    const bool full = mode != nullptr && std::string(mode) == "full";
    return {FromEnvironment("VANTOR_SOAK_FRAMES", full ? 200'000 : 15'000),
            FromEnvironment("VANTOR_SOAK_BALLS", full ? 50'000 : 2'000)};
}

// Resident memory of the process, from /proc.
std::int64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Every cell used: breakable, explosive and unbreakable bricks, and bricks the table lacks.
core::Board FullBoard() {
    core::Board board;
    board.Bricks.resize(3);
    for (std::size_t i = 0; i < board.Bricks.size(); ++i) {
        core::BrickRecord& brick = board.Bricks[i];
        brick.Index = static_cast<std::int32_t>(i);
        for (std::size_t p = 0; p < brick.Pixels.size(); ++p) {
            brick.Pixels[p] = static_cast<std::uint8_t>(40 + 60 * i + p % 3 * 20);
        }
    }
    board.Bricks[1].Explosive = core::kTrue;
    board.Bricks[2].Unbreakable = core::kTrue;
    board.Header.LastBrickIndex = 2;
    constexpr std::int32_t kIndices[] = {0, 1, 0, 2, 0, -1, 0, 7};
    for (int row = 0; row < core::kRows; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            board.Cells(column, row) = {core::kTrue,
                                        kIndices[static_cast<std::size_t>(column + 3 * row) % 8]};
        }
    }
    return board;
}

std::string Describe(const game::BallState& ball) {
    std::ostringstream text;
    text.precision(17);
    text << "(" << ball.X << ", " << ball.Y << ") speed " << ball.Speed << " angle " << ball.Angle
         << " stuck " << ball.Stuck;
    return text.str();
}

// The first broken invariant of the ball list after a frame, or an empty string.
std::string BrokenInvariant(const game::Game& g, long maxBalls) {
    const std::size_t count = BallCount(g);
    if (count == 0) {
        return "the ball list is empty";
    }
    if (static_cast<long>(count) > maxBalls) {
        return std::to_string(count) + " balls, more than were ever added";
    }
    const float stuckX = static_cast<float>(g.PaddleX);
    const float stuckY =
        static_cast<float>(g.PaddleY - g.PaddleHeight / 2.0 - game::BallSize / 2.0 - 1);
    std::string broken;
    ForEachBall(g, [&](const game::BallState& ball) {
        if (!broken.empty()) {
            return;
        }
        if (ball.Stuck != core::kFalse && (ball.X != stuckX || ball.Y != stuckY)) {
            broken = "a stuck ball is not on the paddle: ";
        } else if (!(ball.Speed >= game::kStartSpeed && ball.Speed <= game::kMaxSpeed)) {
            broken = "speed outside [1.5, 6]: ";
        } else if (!(ball.Angle > -game::kPi && ball.Angle < game::kTwoPi)) {
            broken = "angle outside (-pi, 2pi): ";
        } else if (!(ball.X >= -1.5f && ball.X <= 601.5f && ball.Y >= -1.5f &&
                     ball.Y <= game::kLostBelow)) {
            // Walls put a ball back inside, and a ball below the playfield is gone by the end
            // of the frame.
            broken = "a ball outside the playfield survived the frame: ";
        }
        if (!broken.empty()) {
            broken += Describe(ball);
        }
    });
    return broken;
}

TEST(Soak, LongPlayKeepsTheBallListSoundAndTheHeapBounded) {
    const SoakSize size = Size();
    ASSERT_GE(size.maxBalls, 101);
    const core::Board board = FullBoard();

    game::ReplayPlatform platform;
    game::SeededRandom random(20261207);
    game::Game g(platform, random, [&board](core::Board& target) { target = board; });
    g.StartUp();
    std::mt19937_64 player(7);  // the hand on the mouse
    std::uniform_real_distribution<float> anywhere(-120.0f, 720.0f);
    std::uniform_int_distribution<int> percent(0, 99);

    const std::int64_t heapAtStart = liveHeapBytes.load();
    const std::int64_t residentAtStart = ResidentBytes();
    std::size_t peakBalls = BallCount(g);
    std::int64_t peakHeap = 0;
    long waves = 0;
    bool pumping = true;
    long playedSince = 0;
    constexpr long kLongestPlay = 1000;
    const auto started = std::chrono::steady_clock::now();

    for (long frame = 0; frame < size.frames; ++frame) {
        // The player: the mouse moves every frame, sometimes twice.
        g.PicDisp_MouseMove(0, 0, anywhere(player), 0);
        if (percent(player) < 30) {
            g.PicDisp_MouseMove(0, 0, anywhere(player), 0);
        }
        // Waves: right clicks until the ceiling, then a release, then play until most balls are
        // lost or a while has passed, with stray clicks of either button in between.
        const long count = static_cast<long>(BallCount(g));
        if (pumping) {
            if (count + 100 <= size.maxBalls) {
                g.PicDisp_MouseUp(game::kRightButton, 0, 0, 0);
            } else {
                g.PicDisp_MouseUp(game::kLeftButton, 0, 0, 0);
                pumping = false;
                playedSince = frame;
                ++waves;
            }
        } else if (count < size.maxBalls / 20 || frame - playedSince > kLongestPlay) {
            pumping = true;
        } else {
            const int roll = percent(player);
            if (roll == 0 && count + 100 <= size.maxBalls) {
                g.PicDisp_MouseUp(game::kRightButton, 0, 0, 0);
            } else if (roll == 1) {
                g.PicDisp_MouseUp(game::kLeftButton, 0, 0, 0);
            }
        }
        peakBalls = std::max(peakBalls, BallCount(g));

        g.DrawFrame();
        platform.tick += game::kFrameInterval;

        const std::string broken = BrokenInvariant(g, size.maxBalls);
        ASSERT_EQ(broken, "") << "frame " << frame;
        const std::int64_t heap = liveHeapBytes.load() - heapAtStart;
        peakHeap = std::max(peakHeap, heap);
        ASSERT_LE(heap, static_cast<std::int64_t>(peakBalls) * kBytesPerBall + kHeapSlack)
            << "frame " << frame << ", peak " << peakBalls << " balls";
    }

    // Bricks the table lacks and unbreakable ones are still there after all that.
    for (int row = 0; row < core::kRows; ++row) {
        for (int column = 0; column < core::kColumns; ++column) {
            const core::BoardCell& cell = g.Board.Cells(column, row);
            const core::BrickRecord* brick = g.Board.FindBrick(cell.BrickIndex);
            if (brick == nullptr || brick->Unbreakable != core::kFalse) {
                EXPECT_EQ(cell.Used, core::kTrue) << column << "," << row;
            }
        }
    }
    // A wave takes the clicks up to the ceiling and at most kLongestPlay frames of play.
    EXPECT_GE(waves, size.frames / (size.maxBalls / 100 + kLongestPlay) / 2)
        << "the ceiling was reached too rarely";
    EXPECT_GT(static_cast<long>(peakBalls), size.maxBalls - 200);

    const std::int64_t residentGrowth = ResidentBytes() - residentAtStart;
    if (!kSanitized) {
        // Without the sanitizers' quarantine and shadow memory the process's own size is
        // meaningful too.
        EXPECT_LE(residentGrowth,
                  static_cast<std::int64_t>(peakBalls) * kBytesPerBall + (32 << 20));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "soak: %ld frames, %ld waves, peak %zu balls, peak heap growth %lld bytes, "
        "resident growth %lld bytes, %.1f s\n",
        size.frames, waves, peakBalls, static_cast<long long>(peakHeap),
        static_cast<long long>(residentGrowth), seconds);
}

}  // namespace
}  // namespace reliability
