#include "game/balls/ball_list.h"

#include "game/balls/internal/ball_frame.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace game {

namespace detail {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

void* AllocateBallArray(std::size_t bytes) {
    if (bytes < kHugePage) {
        return ::operator new(bytes);
    }
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
#if defined(__linux__)
    // Mapped directly rather than from the heap: an array a growing list leaves behind goes
    // back to the system at once, where the heap would keep it (a list of four million balls
    // leaves arrays of tens of megabytes behind on its way).
    void* mapped = mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        throw std::bad_alloc();
    }
    // Aligned to a huge page, the rest given back.
    auto* base = static_cast<char*>(mapped);
    const std::size_t head =
        (kHugePage - reinterpret_cast<std::uintptr_t>(base) % kHugePage) % kHugePage;
    if (head > 0) {
        munmap(base, head);
    }
    munmap(base + head + rounded, kHugePage - head);
    void* p = base + head;
#if defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the arrays work the same, a little slower.
    static_cast<void>(madvise(p, rounded, MADV_HUGEPAGE));
#endif
    return p;
#else
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
#endif
}

void FreeBallArray(void* p, std::size_t bytes) {
    if (bytes < kHugePage) {
        ::operator delete(p);
        return;
    }
#if defined(__linux__)
    munmap(p, (bytes + kHugePage - 1) / kHugePage * kHugePage);
#else
    std::free(p);
#endif
}

FrameHolder::FrameHolder() = default;
FrameHolder::~FrameHolder() = default;

FrameHolder::FrameHolder(const FrameHolder& other) : threads_(other.threads_) {}

FrameHolder& FrameHolder::operator=(const FrameHolder& other) {
    threads_ = other.threads_;
    return *this;
}

FrameHolder::FrameHolder(FrameHolder&& other) noexcept : threads_(other.threads_) {
    const std::lock_guard lock(other.mutex_);
    frame_ = std::move(other.frame_);
}

FrameHolder& FrameHolder::operator=(FrameHolder&& other) noexcept {
    if (this != &other) {
        const std::scoped_lock lock(mutex_, other.mutex_);
        threads_ = other.threads_;
        frame_ = std::move(other.frame_);
    }
    return *this;
}

void FrameHolder::SetThreads(unsigned threads) {
    const std::lock_guard lock(mutex_);
    threads_ = threads;
}

BallFrame& FrameHolder::Acquire(std::unique_lock<std::mutex>& lock) const {
    lock = std::unique_lock(mutex_);
    const unsigned threads = ThreadsFor(threads_);
    if (!frame_ || frame_->Threads() != threads) {
        frame_ = std::make_unique<BallFrame>(threads);
    }
    return *frame_;
}

}  // namespace detail

unsigned BallList::Threads() const {
    return detail::ThreadsFor(frame_.Setting());
}

void BallList::reserve(std::size_t n) {
    x_.reserve(n);
    y_.reserve(n);
    speed_.reserve(n);
    angle_.reserve(n);
    stuck_.reserve(n);
    cos_.reserve(n);
    sin_.reserve(n);
    packed_.reserve(n);
}

void BallList::resize(std::size_t n) {
    Touch();
    x_.resize(n, 0.0f);
    y_.resize(n, 0.0f);
    speed_.resize(n, 0.0f);
    angle_.resize(n, 0.0);
    stuck_.resize(n, core::kFalse);
    cos_.resize(n, kUnknown);
    sin_.resize(n, kUnknown);
    packed_.resize(n, 0);
}

void BallList::push_back(const BallState& ball) {
    Touch();
    x_.push_back(ball.X);
    y_.push_back(ball.Y);
    speed_.push_back(ball.Speed);
    angle_.push_back(ball.Angle);
    stuck_.push_back(ball.Stuck);
    cos_.push_back(kUnknown);
    sin_.push_back(kUnknown);
    packed_.push_back(0);
}

void BallList::CopySlot(std::size_t index, std::size_t from) {
    x_[index] = x_[from];
    y_[index] = y_[from];
    speed_[index] = speed_[from];
    angle_[index] = angle_[from];
    stuck_[index] = stuck_[from];
    cos_[index] = cos_[from];
    sin_[index] = sin_[from];
    packed_[index] = packed_[from];
}

void BallList::PopBack() {
    x_.pop_back();
    y_.pop_back();
    speed_.pop_back();
    angle_.pop_back();
    stuck_.pop_back();
    cos_.pop_back();
    sin_.pop_back();
    packed_.pop_back();
}

void BallList::Check(std::size_t i) const {
    if (i >= size()) {
        throw std::out_of_range("ball index " + std::to_string(i) + " outside a list of " +
                                std::to_string(size()) + " balls");
    }
}

}  // namespace game
