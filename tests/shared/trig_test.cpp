#include "shared/trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace core {
namespace {

// Correctly rounded results (checked with 160-bit arithmetic), among them values where the
// C library of the desktop build is one unit off; and the edges: signed zero, quadrant
// boundaries, the largest reduced argument, the library fallback beyond it.
TEST(Trig, CorrectlyRoundedAndEdges) {
    EXPECT_EQ(Cos(0x1.00779de345fe0p+1), -0x1.ad87ce1f26f59p-2);
    EXPECT_EQ(Cos(0x1.18e66cfe83f18p+2), -0x1.4558a320e51adp-2);
    EXPECT_EQ(Sin(0x1.148a0c61dafa5p+3), 0x1.6924866ad16fdp-1);
    EXPECT_EQ(Sin(0x1.21ed4939de893p+3), 0x1.6d18f1d6479c5p-2);

    EXPECT_EQ(Cos(0.0), 1.0);
    EXPECT_TRUE(std::signbit(Sin(-0.0)));
    EXPECT_EQ(Sin(1e-300), 1e-300);
    // The game's constant 2 pi minus a paddle angle of 90 degrees: three quarters of a turn.
    EXPECT_EQ(Sin(6.28318530717959 - 1.570796326794898), -1.0);
    EXPECT_NEAR(Cos(6.28318530717959 - 1.570796326794898),
                std::cos(6.28318530717959 - 1.570796326794898), 1e-30);
    for (const double x : {0.785398163397448, 2.35619449019345, -5.5, 799999.0}) {
        double s = 0;
        double c = 0;
        SinCos(x, s, c);
        EXPECT_EQ(s, Sin(x));
        EXPECT_EQ(c, Cos(x));
        EXPECT_NEAR(s, std::sin(x), 1e-15);
        EXPECT_NEAR(c, std::cos(x), 1e-15);
    }
    EXPECT_EQ(Sin(1e10), std::sin(1e10));
    EXPECT_TRUE(std::isnan(Cos(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(Sin(std::numeric_limits<double>::infinity())));
}

}  // namespace
}  // namespace core
