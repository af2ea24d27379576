// The tables of kernels, and the one this run uses: chosen once, from what the processor can do.

#include "game/balls/internal/ball_kernels.h"

namespace game::detail {

namespace {

constexpr BallKernels kPortable = {
    portable::Move,        portable::Positions, portable::DrawForward,
    portable::CoverSizeOf, portable::Mark,      portable::Resolve,
};

#ifdef VANTOR_AVX2_KERNELS
constexpr BallKernels kAvx2 = {
    avx2::Move, avx2::Positions, avx2::DrawForward, avx2::CoverSizeOf, avx2::Mark, avx2::Resolve,
};
#endif

const BallKernels& BestKernels() {
#ifdef VANTOR_AVX2_KERNELS
    static const BallKernels& best = __builtin_cpu_supports("avx2") != 0 ? kAvx2 : kPortable;
    return best;
#else
    return kPortable;
#endif
}

}  // namespace

BallKernelOptions& Options() {
    static BallKernelOptions options;
    return options;
}

const BallKernels& ActiveKernels() {
    return Options().kernels == Kernels::Portable ? kPortable : BestKernels();
}

bool UsingAvx2() {
#ifdef VANTOR_AVX2_KERNELS
    return &ActiveKernels() == &kAvx2;
#else
    return false;
#endif
}

Canvas CanvasOf(core::PictureBox& picture) {
    return {picture.Image().data(), picture.Width(), picture.Height()};
}

}  // namespace game::detail
