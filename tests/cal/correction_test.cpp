// The corrections against closed forms: standards read back as their ideal
// values, a synthetic instrument with arbitrary error terms is removed
// exactly, and the sweep comparison and interpolation decide as specified.
#include <cmath>

#include <gtest/gtest.h>

#include "cal/correction.h"

using namespace orbilan::cal;

namespace {

Complex polarDeg(double mag, double deg) { return CFromPolar({mag, deg * DegToRad}); }

// A one-port instrument with directivity e00, source match e11 and
// reflection tracking e10e01: what its detector reads for a load of gamma.
Complex reading(Complex gamma)
{
    const Complex e00{0.12, -0.05}, e11{0.08, 0.11}, tracking{0.7, -0.3};
    return CAdd(e00, CDiv(CMul(tracking, gamma), CSub({1, 0}, CMul(e11, gamma))));
}

Complex gammaOf(Complex z, double z0 = 50) { return CDiv(CSub(z, {z0, 0}), CAdd(z, {z0, 0})); }

} // namespace

TEST(Correction, LoadStandardModel)
{
    // R alone: R + j0 at every frequency.
    for (double hz : {50e3, 1e6, 60e6}) {
        const Complex z = LoadStandardModel(hz, 50, 0, 0);
        EXPECT_NEAR(z.re, 50, 1e-12);
        EXPECT_NEAR(z.im, 0, 1e-12);
    }
    // R + jwL in parallel with C.
    const double hz = 30e6, w = 2 * Pi * hz, r = 51, l = 2e-9, cp = 1.5e-12;
    const double zre = r, zim = w * l;
    const double yre = zre / (zre * zre + zim * zim), yim = -zim / (zre * zre + zim * zim) + w * cp;
    const Complex z = LoadStandardModel(hz, r, 2, 1.5);
    EXPECT_NEAR(z.re, yre / (yre * yre + yim * yim), 1e-9);
    EXPECT_NEAR(z.im, -yim / (yre * yre + yim * yim), 1e-9);
}

TEST(Correction, OnePortStandardsReadAsTheirIdealValues)
{
    const Complex open{0.9, 0.2}, shortStd{-0.7, 0.1}, load{0.05, -0.02}, zl{50, 0};
    Complex p = OnePortImpedance(zl, open, shortStd, load, shortStd);
    EXPECT_DOUBLE_EQ(p.re, 0);
    EXPECT_NEAR(p.im, 45, 1e-12); // the phase of zero
    p = OnePortImpedance(zl, open, shortStd, load, load);
    EXPECT_NEAR(p.re, 50, 1e-9);
    EXPECT_NEAR(p.im, 0, 1e-9);
    // Exactly the open: the guarded division gives zero, not an error.
    p = OnePortImpedance(zl, open, shortStd, load, open);
    EXPECT_DOUBLE_EQ(p.re, 0);
    EXPECT_NEAR(p.im, 45, 1e-12);
    // Degenerate standards (load equal to short) give zero too.
    p = OnePortImpedance(zl, open, shortStd, shortStd, Complex{0.3, 0.3});
    EXPECT_DOUBLE_EQ(p.re, 0);
}

TEST(Correction, OnePortRemovesTheInstrument)
{
    const Complex zLoad{50, 0};
    const Complex open = reading({1, 0}), shortStd = reading({-1, 0}), load = reading(gammaOf(zLoad));
    for (Complex z : {Complex{100, 0}, Complex{10, 62.8}, Complex{0.5, -3}, Complex{2000, -150}}) {
        const Complex p = OnePortImpedance(zLoad, open, shortStd, load, reading(gammaOf(z)));
        const Complex back = CFromPolar({p.re, p.im * DegToRad});
        EXPECT_NEAR(back.re, z.re, 1e-9 * std::hypot(z.re, z.im));
        EXPECT_NEAR(back.im, z.im, 1e-9 * std::hypot(z.re, z.im));
    }
    // A load standard that is not 50 ohm is taken into account by its model.
    const Complex zLoad2 = LoadStandardModel(20e6, 49, 3, 0.5);
    const Complex load2 = reading(gammaOf(zLoad2));
    const Complex p = OnePortImpedance(zLoad2, open, shortStd, load2, reading(gammaOf({75, 20})));
    EXPECT_NEAR(p.re, std::hypot(75, 20), 1e-9);
    EXPECT_NEAR(p.im, std::atan2(20, 75) * RadToDeg, 1e-9);
}

TEST(Correction, TransmissionRatio)
{
    const Complex isol{0.01, -0.02}, thru{0.8, 0.4};
    Complex p = TransmissionRatio(isol, thru, thru);
    EXPECT_NEAR(p.re, 0, 1e-12);
    EXPECT_NEAR(p.im, 0, 1e-9);
    p = TransmissionRatio(isol, thru, isol); // a zero ratio reads 0 dB at the phase of zero
    EXPECT_DOUBLE_EQ(p.re, 0);
    EXPECT_NEAR(p.im, 45, 1e-12);
    const Complex s21 = polarDeg(0.5, -60);
    p = TransmissionRatio(isol, thru, CAdd(isol, CMul(CSub(thru, isol), s21)));
    EXPECT_NEAR(p.re, 20 * std::log10(0.5), 1e-9);
    EXPECT_NEAR(p.im, -60, 1e-9);
}

TEST(Correction, CompareSweeps)
{
    FrequencyArray cal{}, sweep{};
    cal[0] = 11;
    for (int k = 1; k <= 11; ++k)
        cal[k] = 1000000 + (k - 1) * 100000; // 1 MHz .. 2 MHz
    sweep = cal;
    sweep[0] = 1; // element 0 carries a code, not compared
    EXPECT_EQ(CompareSweeps(cal, sweep), SweepIdentical);

    FrequencyArray fewer{};
    for (int k = 1; k <= 5; ++k)
        fewer[k] = 1000000 + (k - 1) * 250000;
    EXPECT_EQ(CompareSweeps(cal, fewer), SweepInterpolable);

    fewer[5] = 2000001; // 1 Hz beyond the last calibration frequency
    EXPECT_EQ(CompareSweeps(cal, fewer), SweepNotCovered);

    FrequencyArray below{};
    below[1] = 999999;
    below[2] = 1500000;
    EXPECT_EQ(CompareSweeps(cal, below), SweepNotCovered);

    FrequencyArray single{};
    single[1] = 1234567;
    EXPECT_EQ(CompareSweeps(cal, single), SweepInterpolable);
}

TEST(Correction, InterpolatePoint)
{
    const Complex a{1, -2}, b{3, 6};
    EXPECT_EQ(InterpolatePoint(100, 100, 200, a, b), a);
    EXPECT_EQ(InterpolatePoint(200, 100, 200, a, b), b);
    EXPECT_EQ(InterpolatePoint(150, 100, 100, a, b), a);
    const Complex q = InterpolatePoint(125, 100, 200, a, b);
    EXPECT_DOUBLE_EQ(q.re, 1.5);
    EXPECT_DOUBLE_EQ(q.im, 0);
    // Far apart frequencies must not overflow the difference.
    const Complex w = InterpolatePoint(0, -2000000000, 2000000000, a, b);
    EXPECT_DOUBLE_EQ(w.re, 2);
}

TEST(Correction, CalibrationValueAtAnyFrequencyContinuesPastEitherEnd)
{
    // Three calibration points, 1, 2 and 4 MHz; values linear in frequency
    // between them but with a kink at 2 MHz, so that the pair used shows.
    FrequencyArray freq{};
    freq[0] = 3;
    freq[1] = 1000000;
    freq[2] = 2000000;
    freq[3] = 4000000;
    PointArray values{};
    values[1] = {1, 10};
    values[2] = {2, 20};
    values[3] = {6, 0};
    // Stale data above the count must never be reached.
    freq[4] = 5000000;
    values[4] = {1e9, 1e9};

    EXPECT_EQ(CalibrationValueAt(1000000, freq, values), values[1]);
    EXPECT_EQ(CalibrationValueAt(2000000, freq, values), values[2]);
    EXPECT_EQ(CalibrationValueAt(4000000, freq, values), values[3]);
    auto near = [&](std::int32_t f, Complex expected) {
        const Complex v = CalibrationValueAt(f, freq, values);
        EXPECT_NEAR(v.re, expected.re, 1e-12) << f;
        EXPECT_NEAR(v.im, expected.im, 1e-12) << f;
    };
    near(1500000, {1.5, 15});
    near(3000000, {4, 10});
    // Beyond the top: the line through the last two points goes on.
    near(4100000, {6.2, -1});
    near(5000000, {8, -10});
    // Below the bottom: the line through the first two points.
    near(900000, {0.9, 9});

    // One calibration point holds everywhere.
    freq[0] = 1;
    EXPECT_EQ(CalibrationValueAt(3000000, freq, values), values[1]);
}

TEST(Correction, GroupDelayFoldsBelowTheTopAndIsAlwaysPositive)
{
    EXPECT_EQ(GroupDelaySecondFrequency(10000000, 1000), 10001000);
    EXPECT_EQ(GroupDelaySecondFrequency(59999000, 1000), 60000000); // exactly at the top: still above
    EXPECT_EQ(GroupDelaySecondFrequency(59999500, 1000), 59998500);
    EXPECT_EQ(GroupDelaySecondFrequency(60000000, 1000), 59999000);

    // A delay of 2 us: the phase falls by 360 * f * tau degrees.
    const double tau = 2e-6;
    auto at = [tau](double hz, double sign = 1) { return polarDeg(0.7, -sign * 360.0 * hz * tau); };
    const std::int32_t f = 10000000, ap = 1000;
    EXPECT_NEAR(GroupDelayMicroseconds(at(f), at(f + ap), f, f + ap, ap), 2.0, 1e-9);
    EXPECT_NEAR(GroupDelayMicroseconds(at(f), at(f - ap), f, f - ap, ap), 2.0, 1e-9);
    // A rising phase (a negative delay) is shown positive.
    EXPECT_NEAR(GroupDelayMicroseconds(at(f, -1), at(f + ap, -1), f, f + ap, ap), 2.0, 1e-9);

    // A step across the edge of the phase is still the small step, whichever
    // way the second frequency lies.
    EXPECT_NEAR(GroupDelayMicroseconds(polarDeg(1, -179.64), polarDeg(1, 179.64), f, f + ap, ap), 2.0, 1e-9);
    EXPECT_NEAR(GroupDelayMicroseconds(polarDeg(1, 179.64), polarDeg(1, -179.64), f, f - ap, ap), 2.0, 1e-9);
    EXPECT_NEAR(GroupDelayMicroseconds(polarDeg(1, 179.64), polarDeg(1, -179.64), f, f + ap, ap), 2.0, 1e-9);
    EXPECT_NEAR(GroupDelayMicroseconds(polarDeg(1, 180.0), polarDeg(1, -180.0), f, f + ap, ap), 0.0, 1e-9);
    // Nothing measured (a reading equal to the isolation) has no delay.
    EXPECT_EQ(GroupDelayMicroseconds({0, 0}, {0, 0}, f, f + ap, ap), 0.0);
}

TEST(Correction, GroupDelayIsNotMovedByThePhaseDisplaysAxisRule)
{
    // A 50 ns line over a 1 kHz aperture turns by 0.018 degrees. Where its
    // phase passes 0 both readings lie within 1/1000 of the axis, and the
    // displayed phases both read 0; the delay is still 50 ns.
    const Complex isol{0, 0}, thru{0.8, 0};
    const Complex atF = CMul(thru, polarDeg(1, 0.03)), atSecond = CMul(thru, polarDeg(1, 0.012));
    EXPECT_NEAR(TransmissionRatio(isol, thru, atF).im, 0.0, 1e-20);
    EXPECT_NEAR(TransmissionRatio(isol, thru, atSecond).im, 0.0, 1e-20);
    const std::int32_t f = 20000000, ap = 1000;
    EXPECT_NEAR(GroupDelayMicroseconds(TransmissionQuotient(isol, thru, atF),
                                       TransmissionQuotient(isol, thru, atSecond), f, f + ap, ap),
                0.05, 1e-9);
}

TEST(Correction, CalModesRules)
{
    struct Case { std::int16_t before; bool complete; bool cds; std::int16_t refl, trans; } cases[] = {
        {0, true, false, 1, 2},   {2, true, false, 3, 2},   {1, true, false, 1, 3},
        {3, true, false, 3, 3},   {1, false, false, 0, 1},  {3, false, false, 2, 1},
        {2, false, false, 2, 0},  {0, false, false, 0, 0},  {0, true, true, 11, 12},
        {12, true, true, 13, 12}, {13, false, true, 12, 11}, {11, true, false, 1, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CalModesAfterReflection(c.before, c.complete, c.cds), c.refl) << c.before;
        EXPECT_EQ(CalModesAfterTransmission(c.before, c.complete, c.cds), c.trans) << c.before;
    }
}
