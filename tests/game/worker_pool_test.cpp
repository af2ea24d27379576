// The frame's worker pool: every task of every job runs exactly once, at any thread count and
// over many short jobs in a row (a worker that wakes late must not take a task of the next
// job); the first failure reaches the caller after the other tasks finished, and the pool goes
// on working.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "game/balls/internal/worker_pool.h"

namespace game {
namespace {

TEST(WorkerPool, EveryTaskOnceAndTheFirstFailureReachesTheCaller) {
    for (const unsigned threads : {1u, 2u, 3u, 8u}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        detail::WorkerPool pool(threads);
        std::vector<std::atomic<int>> runs(900);
        for (int job = 0; job < 300; ++job) {
            const std::size_t count = static_cast<std::size_t>(job % 7) * 150;
            for (std::atomic<int>& r : runs) {
                r.store(0);
            }
            // Some tasks sleep a little, so that the workers take part.
            auto task = [&](std::size_t k) {
                if (k % 64 == 0) {
                    std::this_thread::sleep_for(std::chrono::microseconds(50));
                }
                runs[k].fetch_add(1);
            };
            pool.Run(count, task);
            for (std::size_t k = 0; k < runs.size(); ++k) {
                ASSERT_EQ(runs[k].load(), k < count ? 1 : 0) << "job " << job << ", task " << k;
            }
        }
        std::atomic<int> finished{0};
        auto failing = [&](std::size_t k) {
            if (k == 5 || k == 50) {
                throw std::runtime_error("task failed");
            }
            finished.fetch_add(1);
        };
        EXPECT_THROW(pool.Run(100, failing), std::runtime_error);
        EXPECT_EQ(finished.load(), 98);
        auto count = [&](std::size_t) { finished.fetch_add(1); };
        pool.Run(10, count);
        EXPECT_EQ(finished.load(), 108);
    }
}

}  // namespace
}  // namespace game
