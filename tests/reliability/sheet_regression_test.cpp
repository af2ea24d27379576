// The sheet fuzz target's seeds and findings, run in the normal test build.

#include <gtest/gtest.h>

#include "fuzz/targets.h"
#include "tests/reliability/fuzz_inputs.h"

namespace reliability {
namespace {

TEST(SheetFuzzInputs, EverySeedAndEveryFindingPasses) {
    const std::vector<FuzzInput> inputs = FuzzInputs("sheet");
    ASSERT_GE(inputs.size(), 5u) << "the seed corpus is missing";
    for (const FuzzInput& input : inputs) {
        EXPECT_EQ(fuzz::CheckSheetInput(input.bytes), "") << input.name;
    }
}

TEST(SheetFuzzInputs, TinyInputs) {
    EXPECT_EQ(fuzz::CheckSheetInput({}), "");
    const std::vector<std::uint8_t> magic = {'B', 'M'};
    EXPECT_EQ(fuzz::CheckSheetInput(magic), "");
}

}  // namespace
}  // namespace reliability
