// A frame's work spread over threads, with the results of one thread to the last bit.
//
// The move. Balls meet only through bricks, and bricks never deflect a ball: its walls, paddle
// and move depend on nothing but itself and the paddle. What depends on the slot order is only
// which probe destroys a brick, and so the order of the destructions (each with its own
// refresh). The threads take runs of slots (blocks) as they come and move every ball; a probe
// in a cell that held a breakable brick at the start of the frame destroys nothing there but
// notes the cell, once per block (a brick only ever disappears, so no other cell can matter).
// Then the calling thread goes through the noted cells, block after block: a cell whose brick
// is still there is destroyed, which is what the first probe in it in slot order does. The lost
// slots, the events and the notes of the blocks are put together in slot order.
//
// A ball whose probes would fail must fail where the rules raise it, with every later ball not
// yet moved; the threads could not promise that, so they only take a list whose balls are all
// within bounds (BallList::Bounded, noted by the previous frame), which never holds such a ball.
//
// The drawing. Balls drawn last slot first decide each pixel by the latest ball covering it
// (see ball_draw.cpp). Each thread marks the balls of its own run of slots into a cover of its
// own; then the covers' marks are combined from the latest run down and written into the
// picture.

#include "game/balls/internal/ball_frame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#endif

#include "game/balls/internal/ball_kernels.h"
#include "game/balls/internal/collisions.h"

namespace game::detail {

namespace {

// Balls a thread takes at a time: large enough that taking one costs nothing, small enough
// that the threads finish together on a busy machine.
constexpr std::size_t kBlockBalls = 16384;

// Appends increasing lists to out as one increasing run.
void AppendMerged(std::vector<std::uint32_t>& out,
                  std::initializer_list<const std::vector<std::uint32_t>*> lists) {
    const auto from = static_cast<std::ptrdiff_t>(out.size());
    for (const std::vector<std::uint32_t>* list : lists) {
        const auto middle = static_cast<std::ptrdiff_t>(out.size());
        out.insert(out.end(), list->begin(), list->end());
        std::inplace_merge(out.begin() + from, out.begin() + middle, out.end());
    }
}

}  // namespace

unsigned ThreadsFor(unsigned setting) {
#if defined(__EMSCRIPTEN__)
    static_cast<void>(setting);
    return 1;
#else
    // Asked once: the mask does not change under a running game.
    static const unsigned cores = [] {
#if defined(__linux__)
        cpu_set_t set;
        CPU_ZERO(&set);
        if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) {
            return static_cast<unsigned>(CPU_COUNT(&set));
        }
#endif
        const unsigned count = std::thread::hardware_concurrency();
        return count > 0 ? count : 1u;
    }();
    return setting > 0 ? setting : cores;
#endif
}

BallFrame::BallFrame(unsigned threads) : threads_(threads > 0 ? threads : 1) {}

bool BallFrame::Spread(std::size_t n) const {
    return threads_ > 1 && n >= Options().threadsFrom;
}

WorkerPool& BallFrame::Pool() {
    if (!pool_) {
        pool_ = std::make_unique<WorkerPool>(threads_);
    }
    return *pool_;
}

void BallFrame::Move(MoveContext& m, const BallList::Columns& b, std::size_t n, bool bounded) {
    const BallKernels& kernels = ActiveKernels();
    lost_.clear();
    if (!Spread(n) || !bounded) {
        BlockResult& r = blocks_.empty() ? blocks_.emplace_back() : blocks_[0];
        r.lost.clear();
        r.lostLater.clear();
        m.lost = &r.lost;
        m.lostLater = &r.lostLater;
        m.brickHits = nullptr;
        kernels.move(m, b, 0, n);
        AppendMerged(lost_, {&r.lost, &r.lostLater});
        return;
    }

    const std::size_t count = (n + kBlockBalls - 1) / kBlockBalls;
    if (blocks_.size() < count) {
        blocks_.resize(count);
    }
    auto moveBlock = [&](std::size_t k) {
        BlockResult& r = blocks_[k];
        r.lost.clear();
        r.lostLater.clear();
        r.brickHits.clear();
        MoveContext c = m;
        c.lost = &r.lost;
        c.lostLater = &r.lostLater;
        c.brickHits = &r.brickHits;
        kernels.move(c, b, k * kBlockBalls, std::min(n, (k + 1) * kBlockBalls));
        r.events = c.collisions.events;
        r.sawStuck = c.sawStuck;
        r.packedAll = c.packedAll;
        r.bounded = c.bounded;
    };
    Pool().Run(count, moveBlock);

    // The bricks the probes found, in slot order.
    for (std::size_t k = 0; k < count; ++k) {
        const BlockResult& r = blocks_[k];
        m.collisions.events.WallBounces += r.events.WallBounces;
        m.collisions.events.PaddleHits += r.events.PaddleHits;
        m.sawStuck = m.sawStuck || r.sawStuck;
        m.packedAll = m.packedAll && r.packedAll;
        m.bounded = m.bounded && r.bounded;
        for (const std::uint16_t cell : r.brickHits) {
            DestroyIfBreakable(m.collisions, cell % core::kColumns, cell / core::kColumns);
        }
        AppendMerged(lost_, {&r.lost, &r.lostLater});
    }
}

void BallFrame::DrawBackToFront(const PackedPosition* positions, std::size_t n,
                                const SpriteShape& shape, core::PictureBox& destination) {
    const BallKernels& kernels = ActiveKernels();
    const Canvas canvas = CanvasOf(destination);
    const std::size_t runs = Spread(n) ? threads_ : 1;
    const CoverSize size = kernels.coverSize(canvas.width, canvas.height);
    covers_.resize(std::max(covers_.size(), runs));
    coverViews_.resize(runs);
    auto markRun = [&](std::size_t r) {
        CoverStore& store = covers_[r];
        store.marks.assign(size.markBytes, 0);
        store.bits.assign(size.bitWords, 0);
        coverViews_[r] = Cover{store.marks.data(), store.bits.data()};
        const std::size_t begin = n * r / runs;
        const std::size_t end = n * (r + 1) / runs;
        kernels.mark(positions + begin, end - begin, shape, canvas.width, canvas.height,
                     coverViews_[r]);
    };
    if (runs == 1) {
        markRun(0);
    } else {
        Pool().Run(runs, markRun);
    }
    // One pass over the picture, which takes a fraction of the marking.
    kernels.resolve(coverViews_.data(), runs, shape, canvas);
}

}  // namespace game::detail
