#include "game/balls/internal/worker_pool.h"

namespace game::detail {

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
    {
        const std::lock_guard lock(mutex_);
        task_ = task;
        call_ = call;
        count_ = count;
        next_.store(0, std::memory_order_relaxed);
        busy_ = static_cast<unsigned>(workers_.size());
        failure_ = nullptr;
        ++job_;
    }
    wake_.notify_all();
    TakeTasks();
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return busy_ == 0; });
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

void WorkerPool::TakeTasks() {
    for (;;) {
        const std::size_t k = next_.fetch_add(1, std::memory_order_relaxed);
        if (k >= count_) {
            return;
        }
        try {
            call_(task_, k);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            if (!failure_) {
                failure_ = std::current_exception();
            }
        }
    }
}

void WorkerPool::Work() {
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return closing_ || job_ != seen; });
            if (closing_) {
                return;
            }
            seen = job_;
        }
        TakeTasks();
        bool last = false;
        {
            const std::lock_guard lock(mutex_);
            last = --busy_ == 0;
        }
        if (last) {
            done_.notify_one();
        }
    }
}

}  // namespace game::detail
