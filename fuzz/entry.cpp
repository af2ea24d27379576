// The libFuzzer entry point; VANTOR_FUZZ_TARGET names the function from targets.h it runs.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem = VANTOR_FUZZ_TARGET(std::span<const std::uint8_t>(data, size));
    if (!problem.empty()) {
        std::fprintf(stderr, "property violated: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
