// The guarded complex arithmetic: zero divisors, the phase function's quadrant
// logic and its 1/1000 near-axis shortcut, the parallel equivalent.
#include <cmath>

#include <gtest/gtest.h>

#include "cal/complex.h"

using namespace orbilan::cal;

TEST(Complex, DivisionByZeroGivesZeroNotAnError)
{
    EXPECT_EQ(CDiv({1, 0}, {0, 0}), (Complex{0, 0}));
    EXPECT_EQ(CInv({0, 0}), (Complex{0, 0}));
    const Complex q = CDiv({3, 4}, {1, 2}); // (3+4j)/(1+2j) = 2.2 - 0.4j
    EXPECT_NEAR(q.re, 2.2, 1e-15);
    EXPECT_NEAR(q.im, -0.4, 1e-15);
    // A very small divisor gives a very large, finite quotient: the guard only
    // matters where |b|^2 is comparable with 1e-31.
    const Complex huge = CDiv({1, 0}, {1e-10, 0});
    EXPECT_TRUE(std::isfinite(huge.re));
    EXPECT_NEAR(huge.re, 1e10, 1);
    EXPECT_NEAR(CDiv({1, 0}, {1e-20, 0}).re, 1e-20 / (1e-40 + Tiny), 1);
}

TEST(Complex, PolarOfZeroIsAtFortyFiveDegrees)
{
    const Complex p = CToPolar({0, 0});
    EXPECT_EQ(p.re, 0);
    EXPECT_DOUBLE_EQ(p.im, Pi / 4);
    const Complex z = CFromPolar({2, Pi / 2});
    EXPECT_NEAR(z.re, 0, 1e-15);
    EXPECT_DOUBLE_EQ(z.im, 2);
}

TEST(Complex, PhaseAngleNearTheRealAxis)
{
    EXPECT_DOUBLE_EQ(PhaseAngle(0, -1), Pi - Tiny);
    EXPECT_NEAR(PhaseAngle(0, -1) * RadToDeg, 180, 1e-12);
    // Within 1/1000 of the negative real axis: taken as lying on it.
    EXPECT_DOUBLE_EQ(PhaseAngle(-0.0005, -1), -(Pi - Tiny));
    EXPECT_DOUBLE_EQ(PhaseAngle(-0.002, -1), -(Pi - std::atan(0.002)));
    // The ratio is compared strictly: exactly 1/1000 is not within the shortcut.
    EXPECT_DOUBLE_EQ(PhaseAngle(0.001, 1), std::atan(0.001));
    EXPECT_DOUBLE_EQ(PhaseAngle(0.000999, 1), Tiny);
}

TEST(Complex, PhaseAngleNearTheImaginaryAxis)
{
    EXPECT_DOUBLE_EQ(PhaseAngle(-1, 0), -Pi / 2);
    EXPECT_DOUBLE_EQ(PhaseAngle(1, 0.0009), Pi / 2);
    EXPECT_DOUBLE_EQ(PhaseAngle(1, 0.0011), Pi / 2 - std::atan(0.0011));
    EXPECT_DOUBLE_EQ(PhaseAngle(1, -0.0009), Pi - Pi / 2);
}

TEST(Complex, PhaseAngleAllQuadrants)
{
    for (double deg : {10.0, 80.0, 100.0, 170.0, -10.0, -80.0, -100.0, -170.0}) {
        const double r = deg * DegToRad;
        EXPECT_NEAR(PhaseAngle(std::sin(r), std::cos(r)) * RadToDeg, deg, 1e-9) << deg;
    }
}

TEST(Complex, SeriesToParallel)
{
    const Complex p = SeriesToParallel({50, 50});
    EXPECT_DOUBLE_EQ(p.re, 100);
    EXPECT_DOUBLE_EQ(p.im, 100);
    // A pure resistance has an enormous, finite parallel reactance.
    const Complex r = SeriesToParallel({50, 0});
    EXPECT_DOUBLE_EQ(r.re, 50);
    EXPECT_NEAR(r.im, 2500 / Tiny, 1e20);
    EXPECT_TRUE(std::isfinite(SeriesToParallel({0, 0}).re));
}

TEST(Complex, Log10SafeAndHelpers)
{
    EXPECT_EQ(Log10Safe(0), 0);
    EXPECT_EQ(Log10Safe(1), 0);
    EXPECT_NEAR(Log10Safe(100), 2, 1e-15);
    EXPECT_EQ(CMul({1, 2}, {3, 4}), (Complex{-5, 10}));
    EXPECT_EQ(CScale({1, -2}, 3), (Complex{3, -6}));
    EXPECT_EQ(CConj({1, 2}), (Complex{1, -2}));
    EXPECT_EQ(CSub(CAdd({1, 2}, {3, 4}), {1, 1}), (Complex{3, 5}));
    PointArray a;
    a.fill({1, 1});
    ClearComplexArray(a);
    EXPECT_EQ(a[0], (Complex{}));
    EXPECT_EQ(a[401], (Complex{}));
}
