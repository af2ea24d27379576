#pragma once

// Threads that live as long as their pool and sleep between jobs: a job is a number of tasks,
// handed out one at a time to the workers and to the thread that runs it, which returns once
// every task is done. Waiting is done on condition variables, so an idle pool takes no
// processor time. Only within a frame's few jobs does a thread look again for some
// microseconds before it sleeps: the next job, or the last task's end, usually comes sooner
// than a sleeping thread wakes.
//
// The caller waits only for tasks a worker has taken, never for a worker to wake up: on a
// machine busy with other work, a worker that gets no processor in time takes no task, and the
// caller does them all. A late worker cannot take a task of a later job by mistake: each task
// is claimed together with its job's number.

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

    // One job as a thread sees it.
    struct Job {
        std::uint32_t number;
        void* task;
        Call call;
        std::size_t count;
    };

    void RunJob(std::size_t count, void* task, Call call);
    void Work();
    // Takes the job's tasks until none is left (or another job has begun).
    void TakeTasks(const Job& job);

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    // Guarded by mutex_: the current job, whether the pool is closing, and the first failure.
    Job job_{0, nullptr, nullptr, 0};
    bool closing_ = false;
    std::exception_ptr failure_;
    // The job's number in the high 32 bits and the next task in the low ones: a task is
    // claimed with one compare-and-swap, which fails once another job has begun.
    std::atomic<std::uint64_t> next_{0};
    // The tasks of the current job that have returned.
    std::atomic<std::size_t> done_{0};
};

}  // namespace game::detail
