// The frame's move of every ball with AVX2, four balls at a time in double precision (compiled
// for AVX2; see ball_update.cpp for what makes a ball quiet). A group of four quiet, free balls
// is moved with vector arithmetic (the same IEEE operations and roundings as the scalar code);
// the balls of any other group go ball by ball, in slot order, the quiet ones taking the vector
// results (nothing another ball does in between can change them) and the others the rules,
// through StepNotQuiet.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "game/balls/balls.h"
#include "game/balls/internal/ball_kernels.h"
#include "game/balls/internal/ball_pack_avx2.h"
#include "game/balls/internal/ball_rules.h"
#include "game/balls/internal/ball_rules_avx2.h"

namespace game::detail {

namespace {

// Free balls that need the rules (a wall, the paddle, an angle not cached) but can neither
// clear a brick (none is left) nor fail (both coordinates within the quiet limit) change
// nothing but themselves, so when they are stepped does not matter. Their angle, which the
// vector loop does not read, is fetched from memory while they wait here, a few dozen at a
// time, instead of stalling the loop one ball after another. Anything that may touch a brick or
// fail steps every waiting ball first, so a failure leaves the same balls stepped as ball by
// ball would.
class Waiting {
  public:
    Waiting(MoveContext& m, const BallList::Columns& b) : m_(m), b_(b) {}
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

    void Add(std::size_t i) {
        __builtin_prefetch(b_.Angle + i);
        slots_[count_++] = i;
        if (count_ == kDepth) {
            Step(kDepth / 2);
        }
    }
    void StepAll() { Step(count_); }

  private:
    static constexpr std::size_t kDepth = 32;

    // Steps the oldest `count` waiting balls.
    void Step(std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) {
            StepSoon(m_, b_, slots_[k]);
        }
        for (std::size_t k = count; k < count_; ++k) {
            slots_[k - count] = slots_[k];
        }
        count_ -= count;
    }

    MoveContext& m_;
    const BallList::Columns& b_;
    std::size_t slots_[kDepth];
    std::size_t count_ = 0;
};

// Notes where a group's balls are drawn and whether they stay within bounds.
[[gnu::always_inline]] inline void NoteFour(std::size_t i, const rules::Rules4& r,
                                            const PackFour& pack, PackedPosition* packed, __m128 x,
                                            __m128 y, int& packedOk, int& bounded) {
    if (packed != nullptr) {
        int ok = 0;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(packed + i), PackFourBalls(pack, x, y, ok));
        packedOk &= ok;
    }
    bounded &= rules::WithinBounds4(r, x, y);
}

}  // namespace

void avx2::Move(MoveContext& m, const BallList::Columns& b, std::size_t begin, std::size_t end) {
    const rules::Rules4 rules4 = rules::MakeRules4(m.collisions.edges, m.reach);
    const __m256d limit = rules4.quietLimit;
    const __m256d negativeLimit = _mm256_set1_pd(-rules::kQuietLimit);
    const __m128i zero16 = _mm_setzero_si128();

    // The arrays and the brick count in locals: the vector stores below may alias anything, so
    // the compiler would otherwise fetch them again from memory after every store.
    float* const xs = b.X;
    float* const ys = b.Y;
    float* const speeds = b.Speed;
    const core::VbBool* const stuckFlags = b.Stuck;
    const double* const coss = b.Cos;
    const double* const sins = b.Sin;
    bool bricks = m.collisions.cells.count > 0;
    PackedPosition* const packed = m.packed;
    PackFour pack;
    MakePackFour(pack, m.width, m.height);
    Waiting waiting(m, b);
    // Whether every group's positions converted and stayed within bounds, noted once at the
    // end: m is behind a reference the stores below may alias.
    int packedOk = 0xF;
    int bounded = 0xF;

    std::size_t i = begin;
    for (; i + 4 <= end; i += 4) {
        const __m256d x = _mm256_cvtps_pd(_mm_loadu_ps(xs + i));
        const __m256d y = _mm256_cvtps_pd(_mm_loadu_ps(ys + i));
        const __m256d c = _mm256_loadu_pd(coss + i);
        const __m256d quiet = rules::Quiet4(rules4, bricks, x, y, c);
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
            NoteFour(i, rules4, pack, packed, nx, ny, packedOk, bounded);
            const int lost = rules::IsLost4(rules4, ny);
            if (lost != 0) {
                for (int j = 0; j < 4; ++j) {
                    if (((lost >> j) & 1) != 0) {
                        NoteLost(m, i + static_cast<std::size_t>(j));
                    }
                }
            }
            continue;
        }
        // Some lanes need the rules: all four in slot order, the quiet ones taking the results
        // above. A ball that cannot clear a brick or fail waits instead (see Waiting).
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
            if (((quietLanes >> j) & 1) != 0) {
                xs[i + j] = tx[j];
                ys[i + j] = ty[j];
                speeds[i + j] = ts[j];
                if (rules::IsLost(ty[j])) {
                    NoteLost(m, i + j);
                }
            } else if (((deferrable >> j) & 1) != 0) {
                waiting.Add(i + j);
            } else {
                waiting.StepAll();
                StepNotQuiet(m, b, i + j);
            }
        }
        // The group as it stands: balls stepped later note their own positions again.
        NoteFour(i, rules4, pack, packed, _mm_loadu_ps(xs + i), _mm_loadu_ps(ys + i), packedOk,
                 bounded);
        bricks = m.collisions.cells.count > 0;
    }
    m.packedAll = m.packedAll && packedOk == 0xF;
    m.bounded = m.bounded && bounded == 0xF;
    waiting.StepAll();
    // The last few balls one by one, as in the groups.
    for (; i < end; ++i) {
        const double x = static_cast<double>(xs[i]);
        const double y = static_cast<double>(ys[i]);
        if (stuckFlags[i] != core::kFalse ||
            !rules::Quiet(m.collisions.edges, m.reach, m.collisions.cells.count > 0, x, y,
                          coss[i])) {
            StepNotQuiet(m, b, i);
            continue;
        }
        const double speed = static_cast<double>(speeds[i]);
        xs[i] = rules::Advance(x, speed, coss[i]);
        ys[i] = rules::Advance(y, speed, sins[i]);
        speeds[i] = rules::Accelerate(speed);
        if (rules::IsLost(ys[i])) {
            NoteLost(m, i);
        }
        if (packed != nullptr && !PackBall(xs[i], ys[i], m.width, m.height, packed[i])) {
            m.packedAll = false;
        }
        if (!rules::WithinBounds(xs[i], ys[i])) {
            m.bounded = false;
        }
    }
}

}  // namespace game::detail
