// Coverage feedback about what the picture decoders did with an input. Qt and the libraries
// behind it are not built with coverage instrumentation, so to the fuzzer every input that Qt
// rejects (or decodes) the same way inside looks alike. Each class of outcome takes a branch of
// its own here, which is all the fuzzer needs to keep inputs that reach new behaviour.

#include "fuzz/outcome_feedback.h"

#include <utility>

namespace fuzz {

namespace {

// One function per value: each entry is an edge the fuzzer counts.
template <int N>
[[gnu::noinline]] void Reached() {
    asm volatile("");
}

// Compiled without optimisation so that every comparison stays a branch of its own rather than
// becoming a table lookup.
#if defined(__clang__)
#define VANTOR_KEEP_BRANCHES [[clang::optnone]]
#else
#define VANTOR_KEEP_BRANCHES
#endif

template <int Base, int... Values>
VANTOR_KEEP_BRANCHES void Branch(int value, std::integer_sequence<int, Values...>) {
    ((value == Values ? Reached<Base + Values>() : void()), ...);
}

template <int Base, int Count>
void Feature(int value) {
    Branch<Base>(value, std::make_integer_sequence<int, Count>());
}

}  // namespace

void NoteOutcome(const Outcome& outcome) {
    Feature<0, kFormats>(outcome.format);
    Feature<100, kResults>(outcome.result);
    Feature<200, 33>(outcome.widthBits);
    Feature<300, 33>(outcome.heightBits);
    Feature<400, kFormats * kResults>(outcome.format * kResults + outcome.result);
}

}  // namespace fuzz
