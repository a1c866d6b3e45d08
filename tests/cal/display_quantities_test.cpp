// Every display code's pair from a corrected point, with the edge values the
// guards produce (a perfect match, a short, a lossless load).
#include <cmath>

#include <gtest/gtest.h>

#include "cal/display_quantities.h"

using namespace orbilan::cal;

namespace {
const Complex Z0{50, Tiny};
Complex impedance(double re, double im) { return {std::hypot(re, im), std::atan2(im, re) * RadToDeg}; }
} // namespace

TEST(DisplayQuantities, PassThroughCodes)
{
    const Complex p{-12.5, 33};
    for (int code : {CodeTransDb, CodeImpedance, CodeGroupDelay, CodeRaw})
        EXPECT_EQ(ConvertPoint(p, code, Z0), p) << code;
    const Complex mag = ConvertPoint({-3, 20}, CodeTransMag, Z0);
    EXPECT_NEAR(mag.re, 0.501187, 1e-6);
    EXPECT_EQ(mag.im, 20);
}

TEST(DisplayQuantities, PerfectMatchAndShort)
{
    const Complex match = impedance(50, 0);
    EXPECT_NEAR(ConvertPoint(match, CodeRho, Z0).re, 1e-33, 1e-45);
    EXPECT_NEAR(ConvertPoint(match, CodeReturnLoss, Z0).re, -660, 1e-9);
    EXPECT_DOUBLE_EQ(ConvertPoint(match, CodeSwr, Z0).re, 1);
    EXPECT_EQ(ConvertPoint(match, CodeSwr, Z0).im, 0);

    const Complex shortCircuit{0, 0};
    const Complex rho = ConvertPoint(shortCircuit, CodeRho, Z0);
    EXPECT_NEAR(rho.re, 1, 1e-12);
    EXPECT_NEAR(std::fabs(rho.im), 180, 1e-9);
    EXPECT_NEAR(ConvertPoint(shortCircuit, CodeReturnLoss, Z0).re, 0, 1e-12);
    const Complex smith = ConvertPoint(shortCircuit, CodeSmith, Z0);
    EXPECT_NEAR(smith.re, -1, 1e-12);
    EXPECT_NEAR(smith.im, 0, 1e-12);
}

TEST(DisplayQuantities, ResistiveAndComplexLoads)
{
    const Complex r100 = impedance(100, 0);
    EXPECT_NEAR(ConvertPoint(r100, CodeRho, Z0).re, 1.0 / 3, 1e-12);
    EXPECT_NEAR(ConvertPoint(r100, CodeSwr, Z0).re, 2, 1e-12);
    EXPECT_NEAR(ConvertPoint(r100, CodeReturnLoss, Z0).re, -9.542425, 1e-6);

    const Complex z = impedance(50, 50);
    const Complex series = ConvertPoint(z, CodeSeries, Z0);
    EXPECT_NEAR(series.re, 50, 1e-9);
    EXPECT_NEAR(series.im, 50, 1e-9);
    const Complex parallel = ConvertPoint(z, CodeParallel, Z0);
    EXPECT_NEAR(parallel.re, 100, 1e-9);
    EXPECT_NEAR(parallel.im, 100, 1e-9);
    // A pure resistance has a parallel reactance far beyond any plot.
    EXPECT_GT(ConvertPoint(r100, CodeParallel, Z0).im, 1e30);

    const Complex smith = ConvertPoint(z, CodeSmith, Z0); // (50+j50-50)/(100+j50) = 0.2 + j0.4
    EXPECT_NEAR(smith.re, 0.2, 1e-12);
    EXPECT_NEAR(smith.im, 0.4, 1e-12);
}

TEST(DisplayQuantities, SwrOutsideThePassiveRange)
{
    // A negative resistance reflects more than it receives: SWR below zero,
    // shown as computed.
    EXPECT_LT(ConvertPoint(impedance(-10, 5), CodeSwr, Z0).re, 0);
    // A short reflects everything, |rho| = 1 exactly: the quotient has no
    // value, and the largest plotted value stands for it.
    EXPECT_EQ(ConvertPoint({0, 0}, CodeRho, Z0).re, 1);
    EXPECT_EQ(ConvertPoint({0, 0}, CodeSwr, Z0).re, SwrLimit);
    // Nearly lossless reactance: huge, but finite.
    const double swr = ConvertPoint(impedance(0, 50), CodeSwr, Z0).re;
    EXPECT_TRUE(std::isfinite(swr));
    EXPECT_GE(std::fabs(swr), 1e6);
}
