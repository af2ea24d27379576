// The frame's move of every ball, fast and exact.
//
// The rules, read ball by ball, spend most of their time on what changes nothing: the wall,
// paddle and brick tests of a ball in open space, the checked floor of its four probes, and cos
// and sin of an angle that has not changed since the last frame. Here a ball is "quiet" when
// these provably have no effect:
//   - no wall or paddle test fires, so CheckCollisions leaves X, Y and Angle as they are;
//   - its probes cannot clear a brick: no breakable brick is left, or none lies in the cells
//     its probes can reach (ColumnSpan, dangerColumns);
//   - its probes cannot fail: x lies within [5, 595] and y within [5, 10000], so every quotient
//     is far inside the floor helper's range;
//   - its cos and sin are cached for its current angle (they were computed by the same calls).
// A quiet ball only moves: X + Speed * cos, Y + Speed * sin and the acceleration, computed in
// the same double operations and roundings as the rules (no fused multiply-add anywhere: the
// build forbids contraction, and the AVX2 loop is compiled without FMA). Any other ball takes
// StepBall, which is the rules read straight. Balls are stepped in slot order, so bricks are
// destroyed, and the playfield refreshed, in the same order as ball by ball.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "game/balls/ball_kernels.h"
#include "game/balls/ball_rules.h"
#include "game/balls/balls.h"
#include "game/balls/collisions.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTOR_X86_KERNELS 1
#include <immintrin.h>

#include "game/balls/ball_pack_avx2.h"
#include "game/balls/ball_rules_avx2.h"
#endif

namespace game::detail {

namespace {

// Used by the AVX2 loops only; a build without them (the browser, other processors) has none.
[[maybe_unused]] constexpr double kHalf = rules::kHalf;

bool CpuHasAvx2() {
#ifdef VANTOR_X86_KERNELS
    static const bool has = __builtin_cpu_supports("avx2") != 0;
    return has;
#else
    return false;
#endif
}

}  // namespace

BallKernelOptions& Options() {
    static BallKernelOptions options;
    return options;
}

bool UsingAvx2() {
    return Options().kernels == Kernels::Auto && CpuHasAvx2();
}

MoveContext MakeMoveContext(const BallWorld& world) {
    MoveContext m{};
    m.collisions = CollisionWorld::For(world.paddle, world.board, world.playfield);
    m.stuckX = static_cast<float>(world.paddle.X);
    m.noneStuck = false;
    m.sawStuck = false;
    m.packed = nullptr;
    m.width = 0;
    m.height = 0;
    m.packedAll = true;
    m.lost = nullptr;
    return m;
}

bool StepBall(MoveContext& m, const BallList::Columns& b, std::size_t i) {
    if (b.Stuck[i] != core::kFalse) {
        // A stuck ball follows the paddle; nothing else.
        m.sawStuck = true;
        b.X[i] = m.stuckX;
        return rules::IsLost(b.Y[i]);
    }
    const double before = b.Angle[i];
    // Collisions are judged on the position the ball reached in the previous frame.
    CheckCollisions(m.collisions, b.X[i], b.Y[i], b.Angle[i]);
    if (std::isnan(b.Cos[i]) || !(b.Angle[i] == before)) {
        b.Cos[i] = rules::DirectionCos(b.Angle[i]);
        b.Sin[i] = rules::DirectionSin(b.Angle[i]);
    }
    const double speed = static_cast<double>(b.Speed[i]);
    b.X[i] = rules::Advance(static_cast<double>(b.X[i]), speed, b.Cos[i]);
    b.Y[i] = rules::Advance(static_cast<double>(b.Y[i]), speed, b.Sin[i]);
    b.Speed[i] = rules::Accelerate(speed);
    return rules::IsLost(b.Y[i]);
}

namespace {

// The quiet test of the header comment, on one ball. x and y are the ball's position, c its
// cached cos (NaN when unknown).
[[gnu::always_inline]] inline bool Quiet(const MoveContext& m, double x, double y, double c) {
    if (!rules::InsideWalls(x, y) || !(y <= kQuietLimit) || std::isnan(c)) {
        return false;
    }
    const CollisionWorld& w = m.collisions;
    return !rules::TouchesPaddle(w.edges, x, y) && !w.ProbesMayClear(x, y);
}

// One ball, quiet or not. Returns true when it ends below the playfield.
[[gnu::always_inline]] inline bool StepOne(MoveContext& m, const BallList::Columns& b,
                                           std::size_t i) {
    if (b.Stuck[i] == core::kFalse) {
        const double x = static_cast<double>(b.X[i]);
        const double y = static_cast<double>(b.Y[i]);
        if (Quiet(m, x, y, b.Cos[i])) {
            const double speed = static_cast<double>(b.Speed[i]);
            b.X[i] = rules::Advance(x, speed, b.Cos[i]);
            b.Y[i] = rules::Advance(y, speed, b.Sin[i]);
            b.Speed[i] = rules::Accelerate(speed);
            return rules::IsLost(b.Y[i]);
        }
    }
    return StepBall(m, b, i);
}

}  // namespace

namespace {

// Notes where ball i is drawn, and whether it is lost.
[[gnu::always_inline]] inline void NoteBall(MoveContext& m, const BallList::Columns& b,
                                            std::size_t i, bool lost) {
    if (lost) {
        m.lost->push_back(static_cast<std::uint32_t>(i));
    }
    if (m.packed != nullptr && !PackBall(b.X[i], b.Y[i], m.width, m.height, m.packed[i])) {
        m.packedAll = false;
    }
}

}  // namespace

void MoveBallsPortable(MoveContext& m, const BallList::Columns& b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        NoteBall(m, b, i, StepOne(m, b, i));
    }
}

#ifdef VANTOR_X86_KERNELS

namespace {

// Free balls that need the rules (a wall, the paddle, an angle not cached) but can neither
// clear a brick (none is left) nor fail (both coordinates within the quiet limit) change
// nothing but themselves, so when they are stepped does not matter. Their angle, which the
// vector loop does not read, is fetched from memory while they wait here, a few dozen at a
// time, instead of stalling the loop one ball after another. Anything that may touch a brick or
// fail steps every waiting ball first, so a failure leaves the same balls stepped as ball by
// ball would.
class Deferred {
  public:
    Deferred(MoveContext& m, const BallList::Columns& b) : m_(m), b_(b) {}
    Deferred(const Deferred&) = delete;
    Deferred& operator=(const Deferred&) = delete;

    void Add(std::size_t i) {
        __builtin_prefetch(b_.Angle + i);
        waiting_[count_++] = static_cast<std::uint32_t>(i);
        if (count_ == kDepth) {
            Step(kDepth / 2);
        }
    }
    void StepAll() { Step(count_); }

    // The lost balls among them join the frame's list, which stays in increasing order.
    void MergeLost() {
        std::vector<std::uint32_t>& lost = *m_.lost;
        const auto middle = static_cast<std::ptrdiff_t>(lost.size());
        lost.insert(lost.end(), lost_.begin(), lost_.end());
        std::inplace_merge(lost.begin(), lost.begin() + middle, lost.end());
    }

  private:
    static constexpr std::size_t kDepth = 32;

    // Steps the oldest `count` waiting balls.
    void Step(std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t i = waiting_[k];
            if (StepBall(m_, b_, i)) {
                lost_.push_back(static_cast<std::uint32_t>(i));
            }
            if (m_.packed != nullptr &&
                !PackBall(b_.X[i], b_.Y[i], m_.width, m_.height, m_.packed[i])) {
                m_.packedAll = false;
            }
        }
        std::copy(waiting_ + count, waiting_ + count_, waiting_);
        count_ -= count;
    }

    MoveContext& m_;
    const BallList::Columns& b_;
    std::uint32_t waiting_[kDepth];
    std::size_t count_ = 0;
    std::vector<std::uint32_t> lost_;
};

}  // namespace

// Four balls at a time in double precision. A group of four quiet, free balls is moved with
// vector arithmetic (the same IEEE operations and roundings as the scalar code); any other
// group goes ball by ball through StepOne, in slot order.
__attribute__((target("avx2"))) void MoveBallsAvx2(MoveContext& m, const BallList::Columns& b,
                                                   std::size_t n) {
    const rules::Rules4 rules4 = rules::MakeRules4(m.collisions.edges);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d limit = _mm256_set1_pd(kQuietLimit);
    const __m256d negativeLimit = _mm256_set1_pd(-kQuietLimit);

    const __m256d lastColumn = _mm256_set1_pd(kSpanWidth - 1);
    const __m256d lastRow = _mm256_set1_pd(kDangerRows - 1);
    const std::int32_t* columnSpan = ColumnSpan().data();
    const __m128i zero16 = _mm_setzero_si128();

    // The arrays and the brick count in locals: the vector stores below may alias anything, so
    // the compiler would otherwise fetch them again from memory after every store.
    float* const xs = b.X;
    float* const ys = b.Y;
    float* const speeds = b.Speed;
    const core::VbBool* const stuckFlags = b.Stuck;
    const double* const coss = b.Cos;
    const double* const sins = b.Sin;
    const std::int32_t* const danger = m.collisions.dangerColumns.data();
    bool bricks = m.collisions.cells.count > 0;
    PackedPosition* const packed = m.packed;
    PackFour pack;
    MakePackFour(pack, m.width, m.height);
    Deferred deferred(m, b);
    // Whether every group's positions converted, noted once at the end: m is behind a
    // reference the stores below may alias.
    int packedOk = 0xF;

    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d x = _mm256_cvtps_pd(_mm_loadu_ps(xs + i));
        const __m256d y = _mm256_cvtps_pd(_mm_loadu_ps(ys + i));
        const __m256d c = _mm256_loadu_pd(coss + i);
        // Quiet lanes, as in Quiet().
        __m256d quiet = rules::InsideWalls4(rules4, x, y);
        quiet = _mm256_and_pd(quiet, _mm256_cmp_pd(y, limit, _CMP_LE_OQ));
        quiet = _mm256_and_pd(quiet, _mm256_cmp_pd(c, c, _CMP_ORD_Q));
        quiet = _mm256_andnot_pd(rules::TouchesPaddle4(rules4, x, y), quiet);
        if (bricks) {
            // Table indexes, pinned into the tables for every lane (a NaN becomes 0); only
            // the quiet lanes' results count, and for them no pinning happens.
            const __m128i column =
                _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(x, zero), lastColumn));
            const __m128i row = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(y, zero), lastRow));
            const __m128i reach = _mm_and_si128(_mm_i32gather_epi32(columnSpan, column, 4),
                                                _mm_i32gather_epi32(danger, row, 4));
            const __m128i clear = _mm_cmpeq_epi32(reach, zero16);
            quiet = _mm256_and_pd(quiet, _mm256_castsi256_pd(_mm256_cvtepi32_epi64(clear)));
        }
        // Stuck lanes, unless the list is known to hold none.
        int freeLanes = 0xF;
        if (!m.noneStuck) {
            const __m128i stuck = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(stuckFlags + i));
            freeLanes = _mm_movemask_ps(
                _mm_castsi128_ps(_mm_cvtepi16_epi32(_mm_cmpeq_epi16(stuck, zero16))));
        }
        const int quietLanes = _mm256_movemask_pd(quiet) & freeLanes;

        const __m256d speed = _mm256_cvtps_pd(_mm_loadu_ps(speeds + i));
        const __m256d s = _mm256_loadu_pd(sins + i);
        const __m128 nx = rules::Advance4(x, speed, c);
        const __m128 ny = rules::Advance4(y, speed, s);
        const __m128 ns = rules::Accelerate4(rules4, speed);
        if (quietLanes == 0xF) {
            _mm_storeu_ps(xs + i, nx);
            _mm_storeu_ps(ys + i, ny);
            _mm_storeu_ps(speeds + i, ns);
            if (packed != nullptr) {
                int ok = 0;
                _mm_storeu_si128(reinterpret_cast<__m128i*>(packed + i),
                                 PackFourBalls(pack, nx, ny, ok));
                packedOk &= ok;
            }
            const int lost = rules::IsLost4(rules4, ny);
            if (lost != 0) {
                for (int j = 0; j < 4; ++j) {
                    if (((lost >> j) & 1) != 0) {
                        m.lost->push_back(static_cast<std::uint32_t>(i) +
                                          static_cast<std::uint32_t>(j));
                    }
                }
            }
            continue;
        }
        // Some lanes need the rules: all four in slot order, the quiet ones taking the results
        // above (nothing another ball does in between can change them). A ball that cannot
        // clear a brick or fail waits in the queue instead (see Deferred).
        alignas(16) float tx[4];
        alignas(16) float ty[4];
        alignas(16) float ts[4];
        _mm_store_ps(tx, nx);
        _mm_store_ps(ty, ny);
        _mm_store_ps(ts, ns);
        int deferrable = 0;
        if (!bricks) {
            const __m256d inRange =
                _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(x, negativeLimit, _CMP_GE_OQ),
                                            _mm256_cmp_pd(x, limit, _CMP_LE_OQ)),
                              _mm256_and_pd(_mm256_cmp_pd(y, negativeLimit, _CMP_GE_OQ),
                                            _mm256_cmp_pd(y, limit, _CMP_LE_OQ)));
            deferrable = _mm256_movemask_pd(inRange) & freeLanes;
        }
        for (std::size_t j = 0; j < 4; ++j) {
            bool lost = false;
            if (((quietLanes >> j) & 1) != 0) {
                xs[i + j] = tx[j];
                ys[i + j] = ty[j];
                speeds[i + j] = ts[j];
                lost = rules::IsLost(ty[j]);
            } else if (((deferrable >> j) & 1) != 0) {
                deferred.Add(i + j);
                continue;
            } else {
                deferred.StepAll();
                lost = StepBall(m, b, i + j);
            }
            if (lost) {
                m.lost->push_back(static_cast<std::uint32_t>(i + j));
            }
        }
        if (packed != nullptr) {
            int ok = 0;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(packed + i),
                             PackFourBalls(pack, _mm_loadu_ps(xs + i), _mm_loadu_ps(ys + i), ok));
            packedOk &= ok;
        }
        bricks = m.collisions.cells.count > 0;
    }
    m.packedAll = m.packedAll && packedOk == 0xF;
    deferred.StepAll();
    deferred.MergeLost();
    for (; i < n; ++i) {
        NoteBall(m, b, i, StepOne(m, b, i));
    }
}

#else

void MoveBallsAvx2(MoveContext& m, const BallList::Columns& b, std::size_t n) {
    MoveBallsPortable(m, b, n);
}

#endif

}  // namespace game::detail
