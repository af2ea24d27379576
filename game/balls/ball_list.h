#pragma once

// The ball list, kept as one array per field so that the frame's loops over hundreds of
// thousands of balls read only the fields they need, four or eight balls at a time.
//
// To everyone else it looks like an array of BallState: size(), iteration and const indexing
// give BallState values, and indexing a non-const list gives a BallRef, whose fields are
// references into the arrays, so `balls[i].X = 5` and `balls[i] = BallState{...}` work.
//
// Alongside the fields the list caches, per ball, cos and sin of (2 pi - Angle), computed with
// the same library calls as the rules use; a frame reuses them while the angle is unchanged.
// It also keeps where the last UpdateBalls put each ball for drawing (DrawBalls reads those
// instead of converting every position again), whether no ball can be stuck and whether every
// ball lies within the bounds where the collision rules cannot fail. Any write access (a
// BallRef, push_back, resize, assign, Raw) marks these stale, so a BallRef is a short-lived
// handle: like an iterator, it is not meant to be kept across ball operations.
//
// Its frames (UpdateBalls, DrawBalls) may spread over several threads (SetThreads), with the
// results of one to the last bit; the threads and the frames' scratch belong to the list.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "shared/vb_types.h"

namespace game {

namespace detail {

// Room for the arrays of a BallList. Arrays of a few megabytes and more (a hundred thousand balls
// and up) are placed on 2 MB boundaries and, on Linux, offered huge pages: the frame streams
// through all of them, and with small pages it would spend much of its time on address
// translation.
void* AllocateBallArray(std::size_t bytes);
void FreeBallArray(void* p, std::size_t bytes);

template <typename T>
struct BallArrayAllocator {
    using value_type = T;

    BallArrayAllocator() = default;
    template <typename U>
    BallArrayAllocator(const BallArrayAllocator<U>&) {}

    T* allocate(std::size_t n) { return static_cast<T*>(AllocateBallArray(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) { FreeBallArray(p, n * sizeof(T)); }

    template <typename U>
    bool operator==(const BallArrayAllocator<U>&) const {
        return true;
    }
};

template <typename T>
using BallArray = std::vector<T, BallArrayAllocator<T>>;

class BallFrame;

// Holds a list's frame object (threads and scratch, see ball_frame.h), made on first use.
// Copying a list copies its thread setting, never its threads or scratch.
class FrameHolder {
  public:
    FrameHolder();
    ~FrameHolder();
    FrameHolder(const FrameHolder& other);
    FrameHolder& operator=(const FrameHolder& other);
    FrameHolder(FrameHolder&& other) noexcept;
    FrameHolder& operator=(FrameHolder&& other) noexcept;

    void SetThreads(unsigned threads);
    unsigned Setting() const { return threads_; }
    // The frame object for threads_ threads, locked for the caller while `lock` holds.
    BallFrame& Acquire(std::unique_lock<std::mutex>& lock) const;

  private:
    unsigned threads_ = 0;
    mutable std::mutex mutex_;
    mutable std::unique_ptr<BallFrame> frame_;
};

}  // namespace detail

struct BallState {
    float X = 0;  // centre
    float Y = 0;
    float Speed = 0;                    // pixels per frame
    double Angle = 0;                   // radians; 0 to pi travels upward
    core::VbBool Stuck = core::kFalse;  // rides on the paddle

    bool operator==(const BallState&) const = default;
};

// One ball of a BallList, its fields as references into the list's arrays.
struct BallRef {
    float& X;
    float& Y;
    float& Speed;
    double& Angle;
    core::VbBool& Stuck;

    operator BallState() const { return BallState{X, Y, Speed, Angle, Stuck}; }
    // Assigning copies the values; a BallRef never rebinds.
    BallRef& operator=(const BallState& b) {
        X = b.X;
        Y = b.Y;
        Speed = b.Speed;
        Angle = b.Angle;
        Stuck = b.Stuck;
        return *this;
    }
    BallRef& operator=(const BallRef& b) { return *this = static_cast<BallState>(b); }
    bool operator==(const BallState& b) const { return static_cast<BallState>(*this) == b; }
};

class BallList {
  public:
    // The arrays themselves, for the frame's loops. Cos and Sin hold cos and sin of
    // (2 pi - Angle[i]), or NaN when they have not been computed for the current angle.
    struct Columns {
        float* X;
        float* Y;
        float* Speed;
        double* Angle;
        core::VbBool* Stuck;
        double* Cos;
        double* Sin;
        std::uint32_t* Packed;
    };

    struct ConstColumns {
        const float* X;
        const float* Y;
        const float* Speed;
        const double* Angle;
        const core::VbBool* Stuck;
        const double* Cos;
        const double* Sin;
        const std::uint32_t* Packed;
    };

    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = BallState;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = BallState;

        const_iterator() = default;
        const_iterator(const BallList* list, std::size_t i) : list_(list), i_(i) {}
        BallState operator*() const { return (*list_)[i_]; }
        BallState operator[](difference_type n) const {
            return (*list_)[static_cast<std::size_t>(static_cast<difference_type>(i_) + n)];
        }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++i_;
            return old;
        }
        const_iterator& operator--() {
            --i_;
            return *this;
        }
        const_iterator operator--(int) {
            const_iterator old = *this;
            --i_;
            return old;
        }
        const_iterator& operator+=(difference_type n) {
            i_ = static_cast<std::size_t>(static_cast<difference_type>(i_) + n);
            return *this;
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.i_) - static_cast<difference_type>(b.i_);
        }
        bool operator==(const const_iterator& o) const { return i_ == o.i_; }
        auto operator<=>(const const_iterator& o) const { return i_ <=> o.i_; }

      private:
        const BallList* list_ = nullptr;
        std::size_t i_ = 0;
    };

    BallList() = default;
    BallList(std::initializer_list<BallState> balls) { assign(balls.begin(), balls.end()); }

    std::size_t size() const { return x_.size(); }
    bool empty() const { return x_.empty(); }

    BallState operator[](std::size_t i) const {
        return BallState{x_[i], y_[i], speed_[i], angle_[i], stuck_[i]};
    }
    BallRef operator[](std::size_t i) {
        Forget(i);
        Touch();
        return BallRef{x_[i], y_[i], speed_[i], angle_[i], stuck_[i]};
    }
    // As operator[], but std::out_of_range for an index outside the list.
    BallState at(std::size_t i) const {
        Check(i);
        return (*this)[i];
    }
    BallRef at(std::size_t i) {
        Check(i);
        return (*this)[i];
    }
    BallState back() const { return (*this)[size() - 1]; }
    BallRef back() { return (*this)[size() - 1]; }

    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    void clear() { resize(0); }
    void reserve(std::size_t n);
    // New slots hold BallState{}; existing ones keep their contents.
    void resize(std::size_t n);
    void push_back(const BallState& ball);
    template <typename It>
    void assign(It first, It last) {
        clear();
        for (; first != last; ++first) {
            push_back(static_cast<BallState>(*first));
        }
    }

    // The slot at index takes every field (and the cached values) of the slot at from.
    void CopySlot(std::size_t index, std::size_t from);
    // Drops the last slot; what is cached about the others stays good.
    void PopBack();
    // The cached cos and sin of ball i no longer hold.
    void Forget(std::size_t i) { cos_[i] = kUnknown; }

    // The arrays for the frame's loops. Marks the drawing positions and the stuck note stale;
    // the loops that fill them in again say so with SetPacked and SetNoneStuck.
    Columns Raw() {
        Touch();
        return Columns{x_.data(),     y_.data(),   speed_.data(), angle_.data(),
                       stuck_.data(), cos_.data(), sin_.data(),   packed_.data()};
    }
    ConstColumns Raw() const {
        return ConstColumns{x_.data(),     y_.data(),   speed_.data(), angle_.data(),
                            stuck_.data(), cos_.data(), sin_.data(),   packed_.data()};
    }

    // Counts the changes that make the cached notes stale.
    std::uint64_t Touches() const { return touches_; }
    // Packed holds every ball's drawing position in a width x height picture (see
    // detail::PackedPosition), or the list says it does not.
    void SetPacked(int width, int height) {
        packedWidth_ = width;
        packedHeight_ = height;
    }
    bool PackedFor(int width, int height) const {
        return packedWidth_ == width && packedHeight_ == height && packedWidth_ > 0;
    }
    // No ball is stuck (until the next write access).
    void SetNoneStuck() { noneStuck_ = true; }
    bool NoneStuck() const { return noneStuck_; }
    // Every ball lies within rules::WithinBounds (until the next write access).
    void SetBounded() { bounded_ = true; }
    bool Bounded() const { return bounded_; }

    // The threads its frames may use: 0, the default, is one for each core the process may run
    // on; 1 is the plain single-threaded frame. A frame of few balls takes one thread whatever
    // the setting, and so does one after a change that may have put a ball out of bounds.
    void SetThreads(unsigned threads) { frame_.SetThreads(threads); }
    // The count in effect, the default worked out.
    unsigned Threads() const;
    // The frame object, locked for the caller while `lock` holds.
    detail::BallFrame& Frame(std::unique_lock<std::mutex>& lock) const {
        return frame_.Acquire(lock);
    }

    bool operator==(const BallList& o) const {
        return x_ == o.x_ && y_ == o.y_ && speed_ == o.speed_ && angle_ == o.angle_ &&
               stuck_ == o.stuck_;
    }

    static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

  private:
    void Check(std::size_t i) const;
    void Touch() {
        ++touches_;
        packedWidth_ = 0;
        packedHeight_ = 0;
        noneStuck_ = false;
        bounded_ = false;
    }

    detail::BallArray<float> x_;
    detail::BallArray<float> y_;
    detail::BallArray<float> speed_;
    detail::BallArray<double> angle_;
    detail::BallArray<core::VbBool> stuck_;
    detail::BallArray<double> cos_;
    detail::BallArray<double> sin_;
    detail::BallArray<std::uint32_t> packed_;
    std::uint64_t touches_ = 0;
    int packedWidth_ = 0;
    int packedHeight_ = 0;
    bool noneStuck_ = false;
    bool bounded_ = false;
    detail::FrameHolder frame_;
};

}  // namespace game
