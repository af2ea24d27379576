#include "game/balls/internal/worker_pool.h"

#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace game::detail {

namespace {

// Looks at done() for a few microseconds before the caller goes to sleep on it.
template <typename Done>
bool SoonTrue(Done done) {
    constexpr auto kLook = std::chrono::microseconds(30);
    const auto until = std::chrono::steady_clock::now() + kLook;
    for (int i = 1;; ++i) {
        if (done()) {
            return true;
        }
#if defined(__x86_64__) || defined(__i386__)
        _mm_pause();
#endif
        if (i % 64 == 0 && std::chrono::steady_clock::now() > until) {
            return false;
        }
    }
}

}  // namespace

WorkerPool::WorkerPool(unsigned threads) {
    const unsigned workers = threads > 1 ? threads - 1 : 0;
    workers_.reserve(workers);
    for (unsigned w = 0; w < workers; ++w) {
        workers_.emplace_back([this] { Work(); });
    }
}

WorkerPool::~WorkerPool() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

void WorkerPool::RunJob(std::size_t count, void* task, Call call) {
    Job job{};
    {
        const std::lock_guard lock(mutex_);
        job = Job{job_.number + 1, task, call, count};
        job_ = job;
        failure_ = nullptr;
        done_.store(0, std::memory_order_relaxed);
        next_.store(static_cast<std::uint64_t>(job.number) << 32, std::memory_order_release);
    }
    wake_.notify_all();
    TakeTasks(job);
    const auto allDone = [&] { return done_.load(std::memory_order_acquire) == count; };
    SoonTrue(allDone);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, allDone);
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

void WorkerPool::TakeTasks(const Job& job) {
    const std::uint64_t first = static_cast<std::uint64_t>(job.number) << 32;
    std::uint64_t next = next_.load(std::memory_order_acquire);
    for (;;) {
        if ((next & ~std::uint64_t{0xFFFFFFFF}) != first || next - first >= job.count) {
            return;
        }
        if (!next_.compare_exchange_weak(next, next + 1, std::memory_order_acq_rel)) {
            continue;
        }
        try {
            job.call(job.task, static_cast<std::size_t>(next - first));
        } catch (...) {
            const std::lock_guard lock(mutex_);
            if (!failure_) {
                failure_ = std::current_exception();
            }
        }
        if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == job.count) {
            // Through the mutex, so that the caller is either still to look or already waiting.
            { const std::lock_guard lock(mutex_); }
            finished_.notify_one();
        }
        next = next_.load(std::memory_order_acquire);
    }
}

void WorkerPool::Work() {
    std::uint32_t seen = 0;
    for (;;) {
        SoonTrue([&] { return (next_.load(std::memory_order_acquire) >> 32) != seen; });
        Job job{};
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return closing_ || job_.number != seen; });
            if (closing_) {
                return;
            }
            job = job_;
            seen = job.number;
        }
        TakeTasks(job);
    }
}

}  // namespace game::detail
