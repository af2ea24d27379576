#include "shared/rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace core {
namespace {

struct Worked {
    double x;
    double halfEven;
    int halfUp;
    int floor;
    int ceiling;
};

// The worked values every caller relies on, including the negative halves and the largest
// double below 0.5, which naive "add 0.5 and floor" gets wrong.
TEST(Rounding, WorkedValues) {
    const Worked table[] = {
        {2.5, 2, 3, 2, 3},
        {3.5, 4, 4, 3, 4},
        {2.4, 2, 2, 2, 3},
        {2.6, 3, 3, 2, 3},
        {3, 3, 3, 3, 3},
        {0.5, 0, 1, 0, 1},
        {-0.5, 0, 0, -1, 0},
        {-2.5, -2, -2, -3, -2},
        {-3.5, -4, -3, -4, -3},
        {-2.7, -3, -3, -3, -2},
        {0.49999999999999994, 0, 0, 0, 1},
        {599.0 / 30, 20, 20, 19, 20},
    };
    for (const Worked& w : table) {
        SCOPED_TRACE(w.x);
        EXPECT_EQ(RoundHalfEven(w.x), w.halfEven);
        EXPECT_EQ(RoundHalfUp(w.x), w.halfUp);
        EXPECT_EQ(FloorOrCeiling(w.x, kFalse), w.floor);
        EXPECT_EQ(FloorOrCeiling(w.x, kTrue), w.ceiling);
    }
}

TEST(Rounding, AnyNonzeroFlagMeansCeiling) {
    EXPECT_EQ(FloorOrCeiling(2.4, 1), 3);
    EXPECT_EQ(FloorOrCeiling(2.4, 7), 3);
}

TEST(Rounding, EveryWholeNumberComesBackUnchanged) {
    for (int n = -32768; n <= 32767; ++n) {
        const double x = n;
        ASSERT_EQ(RoundHalfUp(x), n);
        ASSERT_EQ(FloorOrCeiling(x, kFalse), n);
        ASSERT_EQ(FloorOrCeiling(x, kTrue), n);
    }
}

TEST(Rounding, EveryExactHalfRoundsUp) {
    for (int n = -32769; n <= 32766; ++n) {
        ASSERT_EQ(RoundHalfUp(n + 0.5), n + 1) << n;
    }
}

TEST(Rounding, FloorOfPixelPositionsGivesCells) {
    EXPECT_EQ(FloorOrCeiling(0.0 / 30, kFalse), 0);
    EXPECT_EQ(FloorOrCeiling(29.0 / 30, kFalse), 0);
    EXPECT_EQ(FloorOrCeiling(30.0 / 30, kFalse), 1);
    EXPECT_EQ(FloorOrCeiling(599.0 / 30, kFalse), 19);
    EXPECT_EQ(FloorOrCeiling(14.0 / 15, kFalse), 0);
    EXPECT_EQ(FloorOrCeiling(15.0 / 15, kFalse), 1);
    EXPECT_EQ(FloorOrCeiling(299.0 / 15, kFalse), 19);
    EXPECT_EQ(FloorOrCeiling(-1.0 / 30, kFalse), -1);
    EXPECT_EQ(FloorOrCeiling(-30.0 / 30, kFalse), -1);
    EXPECT_EQ(FloorOrCeiling(-31.0 / 30, kFalse), -2);
}

TEST(Rounding, OverflowEdges) {
    // RoundHalfUp: -32768.5 <= x < 32767.5.
    EXPECT_EQ(RoundHalfUp(-32768.5), -32768);
    EXPECT_EQ(RoundHalfUp(32767.3), 32767);
    EXPECT_THROW(RoundHalfUp(32767.5), std::overflow_error);
    EXPECT_THROW(RoundHalfUp(-32768.500000001), std::overflow_error);

    // Floor mode: -32768 <= x <= 32767, since the ceiling is formed first.
    EXPECT_EQ(FloorOrCeiling(-32768.0, kFalse), -32768);
    EXPECT_THROW(FloorOrCeiling(-32768.5, kFalse), std::overflow_error);
    EXPECT_THROW(FloorOrCeiling(32767.3, kFalse), std::overflow_error);

    // Ceiling mode: -32768.5 <= x <= 32767.
    EXPECT_EQ(FloorOrCeiling(-32768.5, kTrue), -32768);
    EXPECT_THROW(FloorOrCeiling(32767.3, kTrue), std::overflow_error);
    EXPECT_THROW(FloorOrCeiling(-32769.0, kTrue), std::overflow_error);
}

TEST(Rounding, NonFiniteValuesOverflowInsteadOfReturningGarbage) {
    EXPECT_THROW(RoundHalfUp(std::nan("")), std::overflow_error);
    EXPECT_THROW(RoundHalfUp(INFINITY), std::overflow_error);
    EXPECT_THROW(FloorOrCeiling(-INFINITY, kFalse), std::overflow_error);
    EXPECT_THROW(RoundToInt32(std::nan("")), std::overflow_error);
}

TEST(Rounding, IntegerConversionsRoundHalvesToEvenAndCheckRange) {
    EXPECT_EQ(RoundToInt32(421.5), 422);
    EXPECT_EQ(RoundToInt32(12.5), 12);
    EXPECT_EQ(RoundToInt32(-40.5), -40);
    EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
    EXPECT_THROW(RoundToInt32(2147483647.5), std::overflow_error);
    EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483648);
    EXPECT_THROW(RoundToInt32(-2147483649.0), std::overflow_error);
    EXPECT_EQ(RoundToInt16(32767.4), 32767);
    EXPECT_THROW(RoundToInt16(32767.5), std::overflow_error);
    EXPECT_EQ(RoundToInt16(-32768.5), -32768);
}

}  // namespace
}  // namespace core
