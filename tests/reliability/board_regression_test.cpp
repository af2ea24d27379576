// The board fuzz target's seeds and findings, run in the normal test build.

#include <gtest/gtest.h>

#include "fuzz/targets.h"
#include "tests/reliability/fuzz_inputs.h"

namespace reliability {
namespace {

TEST(BoardFuzzInputs, EverySeedAndEveryFindingPasses) {
    const std::vector<FuzzInput> inputs = FuzzInputs("board");
    ASSERT_GE(inputs.size(), 5u) << "the seed corpus is missing";
    for (const FuzzInput& input : inputs) {
        EXPECT_EQ(fuzz::CheckBoardInput(input.bytes), "") << input.name;
    }
}

// The shortest inputs of each kind, which no seed needs to cover.
TEST(BoardFuzzInputs, TinyInputs) {
    EXPECT_EQ(fuzz::CheckBoardInput({}), "");
    const std::vector<std::uint8_t> header(14, 0);  // one brick announced, none there
    EXPECT_EQ(fuzz::CheckBoardInput(header), "");
    std::vector<std::uint8_t> oneBrick(2414 + 1358, 0);  // all zero: one black brick, no cells
    EXPECT_EQ(fuzz::CheckBoardInput(oneBrick), "");
    oneBrick.pop_back();
    EXPECT_EQ(fuzz::CheckBoardInput(oneBrick), "");
}

}  // namespace
}  // namespace reliability
