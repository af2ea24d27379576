#include "shared/rounding.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace core {

namespace {

template <typename Int>
Int ConvertWhole(double whole) {
    // whole is already a whole number (or not finite); anything outside the type overflows.
    if (!(whole >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          whole <= static_cast<double>(std::numeric_limits<Int>::max()))) {
        throw std::overflow_error("overflow converting " + std::to_string(whole) + " to a " +
                                  std::to_string(8 * sizeof(Int)) + "-bit integer");
    }
    return static_cast<Int>(whole);
}

std::int16_t CheckedAdd16(std::int16_t a, int delta) {
    return ConvertWhole<std::int16_t>(static_cast<double>(a) + delta);
}

void RequireFinite(double x) {
    if (!std::isfinite(x)) {
        throw std::overflow_error("overflow: " + std::to_string(x) + " is not a finite number");
    }
}

}  // namespace

double RoundHalfEven(double x) {
    // nearbyint follows the current rounding mode, which nothing in this program changes from
    // the default round-to-nearest-even.
    return std::nearbyint(x);
}

std::int16_t RoundToInt16(double x) {
    return ConvertWhole<std::int16_t>(RoundHalfEven(x));
}

std::int32_t RoundToInt32(double x) {
    return ConvertWhole<std::int32_t>(RoundHalfEven(x));
}

std::int16_t RoundHalfUp(double x) {
    RequireFinite(x);
    const double r = RoundHalfEven(x);
    // x - r lies in [-0.5, 0.5]; it reaches +0.5 only for an exact half that the even rounding
    // sent down. Adding 0.5 and flooring would not do: it rounds the largest double below 0.5
    // up to 1.
    if (x - r >= 0.5) {
        return ConvertWhole<std::int16_t>(r + 1);
    }
    return ConvertWhole<std::int16_t>(r);
}

std::int16_t FloorOrCeiling(double x, VbBool ceiling) {
    RequireFinite(x);
    std::int16_t c = RoundHalfUp(x);
    if (x == static_cast<double>(c)) {
        return c;
    }
    // The ceiling is formed first and the floor derived from it, so both must fit.
    if (x - c > 0) {
        c = CheckedAdd16(c, 1);
    }
    if (ceiling != 0) {
        return c;
    }
    return CheckedAdd16(c, -1);
}

}  // namespace core
