#pragma once

// The frame object of a ball list: what its frames need besides the balls, kept from frame to
// frame so that a frame allocates nothing: the threads that share the work, and the scratch
// they fill. Every BallList owns one, made on its first frame; nothing in it is shared with
// another list or kept per thread, and a list's frames take it one at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/balls/ball_list.h"
#include "game/balls/balls.h"
#include "game/balls/internal/ball_kernels.h"
#include "game/balls/internal/worker_pool.h"

namespace game::detail {

// One pass of the frame over a run of slots, as a thread leaves it for the merge.
struct BlockResult {
    std::vector<std::uint32_t> lost;
    std::vector<std::uint32_t> lostLater;
    std::vector<std::uint16_t> brickHits;
    FrameEvents events;
    bool sawStuck = false;
    bool packedAll = true;
    bool bounded = true;
};

// Room for the marks of one run of slots drawn last slot first.
struct CoverStore {
    std::vector<std::uint8_t> marks;
    std::vector<std::uint64_t> bits;
};

class BallFrame {
  public:
    // `threads` in all, the calling thread included.
    explicit BallFrame(unsigned threads);

    unsigned Threads() const { return threads_; }

    // Moves balls [0, n) one frame with m (see MoveContext), on one thread or on all of them:
    // the same balls, bricks destroyed (in the same order), events, notes and lost slots
    // either way. `bounded`: every ball lies within rules::WithinBounds, which the threads
    // need (a ball that may fail must fail where the rules raise it, with the balls after it
    // not yet moved). Leaves the lost slots in increasing order in Lost().
    void Move(MoveContext& m, const BallList::Columns& b, std::size_t n, bool bounded);
    const std::vector<std::uint32_t>& Lost() const { return lost_; }

    // Draws balls [0, n) at their packed positions last slot first (see ball_draw.cpp).
    void DrawBackToFront(const PackedPosition* positions, std::size_t n, const SpriteShape& shape,
                         core::PictureBox& destination);

    // Room for converted positions when the list holds no notes of them.
    std::vector<PackedPosition>& Positions() { return positions_; }

  private:
    // The threads for a frame of n balls: all of them from Options().threadsFrom on.
    bool Spread(std::size_t n) const;
    WorkerPool& Pool();

    unsigned threads_;
    std::unique_ptr<WorkerPool> pool_;
    std::vector<std::uint32_t> lost_;
    std::vector<BlockResult> blocks_;
    std::vector<PackedPosition> positions_;
    std::vector<CoverStore> covers_;
    std::vector<Cover> coverViews_;
};

// The threads a list set to `setting` uses: the setting, or for 0 the cores this process may
// run on (its affinity mask, not the machine's count). Always 1 where the build has no threads
// (the browser's).
unsigned ThreadsFor(unsigned setting);

}  // namespace game::detail
