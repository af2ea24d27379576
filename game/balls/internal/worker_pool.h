#pragma once

// Threads that live as long as their pool and sleep between jobs: a job is a number of tasks,
// handed out one at a time to the workers and to the thread that runs it, which returns once
// every task is done. Waiting is done on a condition variable, so an idle pool takes no
// processor time.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace game::detail {

class WorkerPool {
  public:
    // A pool of `threads` in all: the caller of Run and threads - 1 workers.
    explicit WorkerPool(unsigned threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    unsigned Threads() const { return static_cast<unsigned>(workers_.size()) + 1; }

    // Calls task(k) for every k in [0, count), each once, on any of the threads, and returns
    // when all have returned. The first exception a task throws is thrown here, after the
    // others have finished.
    template <typename Task>
    void Run(std::size_t count, Task& task) {
        RunJob(count, &task, [](void* t, std::size_t k) { (*static_cast<Task*>(t))(k); });
    }

  private:
    using Call = void (*)(void*, std::size_t);

    void RunJob(std::size_t count, void* task, Call call);
    void Work();
    // Takes tasks until none is left.
    void TakeTasks();

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    // Guarded by mutex_: the job's number (a new job wakes the workers), how many workers are
    // still on it, whether the pool is closing, and the first failure.
    std::uint64_t job_ = 0;
    unsigned busy_ = 0;
    bool closing_ = false;
    std::exception_ptr failure_;
    // The job itself, set before it is announced under mutex_.
    void* task_ = nullptr;
    Call call_ = nullptr;
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};
};

}  // namespace game::detail
