// Least SWR, resonance and the SWR <= S band of a one-port: the closed forms
// of a series RLC, the choice among several reactance zeros, the band that
// runs off the sweep, and the ideal open that has no finite SWR.
#include <gtest/gtest.h>

#include "analysis/reflection.h"
#include "circuits.h"

namespace orbilan::analysis {
namespace {

using testing::SeriesRlc;

TEST(Reflection, SeriesRlcMatchesTheClosedForms)
{
    // R = 40 against 50 ohm: SWR 1.25 at resonance. SWR <= 2 means
    // |rho| <= 1/3, which a series RLC keeps while |X| <= Xt with
    // Xt^2 = (rho^2 (R + Z0)^2 - (R - Z0)^2) / (1 - rho^2) = 900; the band
    // is Xt / (2 pi L) wide.
    const SeriesRlc rlc{40, 1e-6, 100e-12};
    const double f0 = rlc.resonanceHz();
    const Trace t = testing::OnePort(rlc, testing::linearHz(5e6, 30e6, 401));
    const double step = t.hz[1] - t.hz[0];

    const auto minimum = FindMinimumSwr(t);
    ASSERT_TRUE(minimum);
    EXPECT_NEAR(minimum->hz, f0, step / 2);
    EXPECT_NEAR(minimum->swr, 1.25, 1e-3);

    const auto res = FindResonance(t);
    ASSERT_TRUE(res);
    EXPECT_NEAR(res->hz, f0, f0 * 1e-4); // interpolated, far inside a step
    EXPECT_NEAR(res->resistance, 40, 0.01);

    const auto band = FindSwrBand(t, 2);
    ASSERT_TRUE(band && band->complete());
    const double bw = 30 / (2 * std::numbers::pi * rlc.l);
    EXPECT_NEAR(band->bandwidthHz(), bw, bw * 2e-3);
    // The band edges satisfy |X| = Xt.
    EXPECT_NEAR(rlc.impedance(*band->lowHz).imag(), -30, 0.3);
    EXPECT_NEAR(rlc.impedance(*band->highHz).imag(), 30, 0.3);
    // A looser S widens the band.
    EXPECT_GT(FindSwrBand(t, 3)->bandwidthHz(), band->bandwidthHz());
}

TEST(Reflection, TheResonanceNearestTheBestMatchIsTaken)
{
    // Im(rho) changes sign twice: near 2 Hz (|rho| 0.8 there) and near
    // 6 Hz (|rho| 0.1): the second is the one a user looks for.
    Trace t;
    t.reflection = true;
    t.hz = {1, 2, 3, 4, 5, 6, 7};
    t.s = {{0.8, 0.2}, {0.8, -0.2}, {0.5, -0.3}, {0.3, -0.3}, {0.2, -0.1}, {0.1, 0.1}, {0.3, 0.3}};
    const auto res = FindResonance(t);
    ASSERT_TRUE(res);
    EXPECT_DOUBLE_EQ(res->hz, 5.5);
    // rho there is (0.15, 0): Z = 50 * 1.15 / 0.85.
    EXPECT_NEAR(res->resistance, 50 * 1.15 / 0.85, 1e-9);

    // Points that read exactly resistive carry no sign: the crossing runs
    // between the signed neighbours.
    t.s[3] = {0.3, -0.1};
    t.s[4] = {0.2, 0};
    EXPECT_DOUBLE_EQ(FindResonance(t)->hz, 5);
}

TEST(Reflection, WhatCannotBeFoundIsMissing)
{
    const SeriesRlc rlc{40, 1e-6, 100e-12};
    // Below the resonance the circuit is capacitive everywhere.
    const Trace below = testing::OnePort(rlc, testing::linearHz(1e6, 10e6, 51));
    EXPECT_FALSE(FindResonance(below));

    // 200 ohm never comes down to SWR 2.
    const Trace high = testing::OnePort({200, 1e-6, 100e-12}, testing::linearHz(5e6, 30e6, 101));
    EXPECT_NEAR(FindMinimumSwr(high)->swr, 4, 1e-3);
    EXPECT_FALSE(FindSwrBand(high, 2));

    // A sweep inside the band: neither edge lies in it.
    const double f0 = rlc.resonanceHz();
    const Trace inside = testing::OnePort(rlc, testing::linearHz(f0 - 1e6, f0 + 1e6, 21));
    const auto band = FindSwrBand(inside, 2);
    ASSERT_TRUE(band);
    EXPECT_FALSE(band->lowHz);
    EXPECT_FALSE(band->highHz);

    // S must be above 1; an empty trace gives nothing.
    EXPECT_FALSE(FindSwrBand(inside, 1));
    EXPECT_FALSE(FindSwrBand(inside, NAN));
    EXPECT_FALSE(FindMinimumSwr(Trace{}));
    EXPECT_FALSE(FindResonance(Trace{}));
}

TEST(Reflection, AnIdealOpenHasNoFiniteSwrButAFiniteImpedance)
{
    EXPECT_TRUE(std::isinf(SwrOf({1, 0})));
    EXPECT_TRUE(std::isinf(SwrOf({0, 1.2})));
    EXPECT_DOUBLE_EQ(SwrOf({1.0 / 3, 0}), 2);
    const Cx open = ImpedanceOf({1, 0}, 50);
    EXPECT_TRUE(std::isfinite(open.real()));
    EXPECT_GT(open.real(), 1e15);
    EXPECT_NEAR(std::abs(ImpedanceOf({0, 0}, 75) - Cx(75, 0)), 0, 1e-12);
    EXPECT_NEAR(std::abs(ImpedanceOf({-1, 0}, 50)), 0, 1e-12);

    Trace opens;
    opens.reflection = true;
    opens.hz = {1, 2};
    opens.s = {{1, 0}, {1, 0}};
    EXPECT_TRUE(std::isinf(FindMinimumSwr(opens)->swr));
    EXPECT_FALSE(FindSwrBand(opens, 2));
}

} // namespace
} // namespace orbilan::analysis
