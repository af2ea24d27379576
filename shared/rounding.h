#pragma once

#include <cstdint>

#include "shared/vb_types.h"

namespace core {

// x rounded to a whole number with exact halves going to the even neighbour (2.5 -> 2,
// 3.5 -> 4): the conversion every real-to-integer assignment in both programs uses.
double RoundHalfEven(double x);

// RoundHalfEven converted to an integer type; std::overflow_error when the result (or a NaN)
// does not fit, never a clamp or a wrap.
std::int16_t RoundToInt16(double x);
std::int32_t RoundToInt32(double x);

// The whole number nearest to x, exact halves going up. Domain -32768.5 <= x < 32767.5;
// std::overflow_error outside it.
std::int16_t RoundHalfUp(double x);

// Floor of x when ceiling is 0, ceiling otherwise. The ceiling is formed first and the floor is
// derived from it, so the ceiling must fit in 16 bits too: floor mode accepts
// -32768 <= x <= 32767, ceiling mode -32768.5 <= x <= 32767; std::overflow_error outside.
std::int16_t FloorOrCeiling(double x, VbBool ceiling);

}  // namespace core
