// Time domain against the closed forms of lines, loads and windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "analysis/tdr.h"
#include "sweep/freq_list.h"

namespace orbilan::analysis {
namespace {

using Cx = std::complex<double>;
constexpr double Z0 = 50;
constexpr double Pi = std::numbers::pi;

// A reflection measured at f_k = first + k x df, k = 0 .. n-1.
TdrInput sweepOf(double first, double df, int n, const std::function<Cx(double)>& s11)
{
    TdrInput in;
    in.z0 = Z0;
    for (int k = 0; k < n; ++k) {
        const double f = first + k * df;
        in.hz.push_back(f);
        in.s11.push_back(s11(f));
    }
    return in;
}

// A harmonic sweep of n points, df to n x df.
TdrInput harmonic(double df, int n, const std::function<Cx(double)>& s11) { return sweepOf(df, df, n, s11); }

double rhoOf(double r) { return (r - Z0) / (r + Z0); }

// A lossless matched line of round-trip time tau in front of a load.
std::function<Cx(double)> delayed(double tau, std::function<Cx(double)> load)
{
    return [=](double f) { return load(f) * std::polar(1.0, -2 * Pi * f * tau); };
}
std::function<Cx(double)> constant(Cx rho)
{
    return [=](double) { return rho; };
}

TdrResult transformed(const TdrInput& in, TdrOptions options = {})
{
    TdrResult r;
    std::string error;
    EXPECT_TRUE(TimeDomain(in, options, r, error)) << error;
    return r;
}

std::size_t sampleAt(const TdrResult& r, double t) { return static_cast<std::size_t>(std::lround(t / r.timeStep)); }

std::size_t peakIndex(const std::vector<double>& v, bool absolute = true)
{
    std::size_t best = 0;
    for (std::size_t i = 0; i < v.size(); ++i)
        if ((absolute ? std::abs(v[i]) : v[i]) > (absolute ? std::abs(v[best]) : v[best]))
            best = i;
    return best;
}

// The first time the step crosses half way to `level`.
double halfCrossing(const TdrResult& r, double level)
{
    for (std::size_t i = 1; i < r.size(); ++i)
        if ((r.step[i] - level / 2) * (r.step[i - 1] - level / 2) <= 0)
            return r.time[i - 1] + r.timeStep * (level / 2 - r.step[i - 1]) / (r.step[i] - r.step[i - 1]);
    return -1;
}

TEST(TimeDomain, AMatchedLineEndingInAResistorStepsToItsReflectionAtTheRoundTrip)
{
    // 12 m of 0.66 cable, swept 100 kHz to 40 MHz.
    const double tau = TimeOfDistance(12, 0.66);
    for (double load : {100.0, 25.0, 50.0}) {
        const double rho = rhoOf(load);
        const TdrResult r = transformed(harmonic(100e3, 400, delayed(tau, constant(rho))));
        ASSERT_GT(r.size(), sampleAt(r, 4 * tau));
        EXPECT_NEAR(r.dc, rho, 1e-12);
        EXPECT_TRUE(r.dcExtrapolated);
        // The line itself: matched up to one resolution before the load.
        for (std::size_t i = 0; i <= sampleAt(r, tau - r.resolutionTime); ++i) {
            ASSERT_NEAR(r.step[i], 0, 0.002) << "load " << load << " at " << r.time[i];
            ASSERT_NEAR(r.impedance[i], Z0, 0.2) << "load " << load << " at " << r.time[i];
        }
        // The load from one resolution after it, to the end of the range.
        for (std::size_t i = sampleAt(r, tau + r.resolutionTime); i < r.size(); ++i) {
            ASSERT_NEAR(r.step[i], rho, 0.002) << "load " << load << " at " << r.time[i];
            ASSERT_NEAR(r.impedance[i], load, load * 0.01) << "load " << load << " at " << r.time[i];
        }
        if (load != 50.0) {
            EXPECT_NEAR(halfCrossing(r, rho), tau, r.resolutionTime / 20) << "load " << load;
            const std::size_t peak = peakIndex(r.impulse);
            EXPECT_NEAR(r.time[peak], tau, r.timeStep);
            EXPECT_NEAR(r.impulse[peak], rho, std::abs(rho) * 0.01);
        }
    }
}

TEST(TimeDomain, ALoadAtTheReferencePlaneReadsItsFullHeight)
{
    // Half of its impulse lies before time 0, at the end of the period: the
    // running sum starts there, so the step is half way up at 0 and whole
    // from one resolution on, to the last row.
    const double rho = rhoOf(75);
    const TdrResult r = transformed(harmonic(100e3, 400, constant(rho)));
    EXPECT_NEAR(r.step[0], rho / 2, 0.005);
    for (std::size_t i = sampleAt(r, r.resolutionTime); i < r.size(); ++i)
        ASSERT_NEAR(r.step[i], rho, 0.002) << "at " << r.time[i];
    EXPECT_LT(r.time.back(), r.aliasFreeTime);
    EXPECT_GT(r.time.back(), 0.98 * r.aliasFreeTime);
}

TEST(TimeDomain, AnOpenAndAShortAtAKnownLength)
{
    const double tau = TimeOfDistance(30, 0.82);
    for (double rho : {1.0, -1.0}) {
        const TdrResult r = transformed(harmonic(200e3, 250, delayed(tau, constant(rho))));
        const std::size_t peak = peakIndex(r.impulse);
        EXPECT_NEAR(DistanceOfTime(r.time[peak], 0.82), 30, DistanceOfTime(r.timeStep, 0.82));
        EXPECT_NEAR(r.impulse[peak], rho, 0.01);
        EXPECT_NEAR(halfCrossing(r, rho), tau, r.resolutionTime / 20);
        const std::size_t after = sampleAt(r, tau + r.resolutionTime);
        EXPECT_NEAR(r.step[after], rho, 0.002);
        if (rho > 0)
            EXPECT_GT(r.impedance[after], 1e4) << "an open reads as a very high impedance";
        else
            EXPECT_LT(r.impedance[after], 0.1) << "a short reads as nearly nothing";
    }
}

TEST(TimeDomain, AShuntCapacitorOnAMatchedLineIsADipOfAreaCZ0Over2)
{
    // A capacitance across the line reflects -jwCZ0 / (2 + jwCZ0); its step
    // response is -exp(-2t / (C Z0)), whose area the window cannot change
    // (taken over the dip: the window's far sidelobes add a little all
    // along the period).
    const double c = 100e-12;
    const double tau = TimeOfDistance(30, 0.66);
    const auto cap = [c](double f) {
        const Cx x(0, 2 * Pi * f * c * Z0);
        return -x / (2.0 + x);
    };
    const TdrResult r = transformed(harmonic(100e3, 400, delayed(tau, cap)));
    EXPECT_NEAR(r.dc, 0, 1e-6);
    const std::size_t lowest = std::min_element(r.impedance.begin(), r.impedance.end()) - r.impedance.begin();
    EXPECT_NEAR(r.time[lowest], tau, r.resolutionTime / 2);
    EXPECT_LT(r.impedance[lowest], 45);
    EXPECT_NEAR(r.impedance[sampleAt(r, tau + 3 * r.resolutionTime)], Z0, 0.2);
    double area = 0;
    for (std::size_t i = sampleAt(r, tau - 6 * r.resolutionTime); i <= sampleAt(r, tau + 6 * r.resolutionTime); ++i)
        area += r.step[i] * r.timeStep;
    EXPECT_NEAR(area, -c * Z0 / 2, c * Z0 / 2 * 0.02);
}

TEST(TimeDomain, TheRangeAndResolutionFollowTheStepAndTheBandwidth)
{
    // 100 kHz steps on 0.66 cable: c x 0.66 / (2 x 100 kHz).
    const TdrResult r = transformed(harmonic(100e3, 200, constant(0.5)));
    EXPECT_NEAR(DistanceOfTime(r.aliasFreeTime, 0.66), 989.3151, 1e-3);
    EXPECT_NEAR(DistanceOfTime(r.resolutionTime, 0.66), 989.3151 / 200, 1e-3);
    EXPECT_NEAR(DistanceOfTime(r.resolutionTime, 1.0) / MetresPerFoot, 24.5893, 1e-3);

    // A short beyond the range shows up one range earlier; two shorts a few
    // resolutions apart stay apart, half a resolution apart they merge.
    const TdrResult aliased = transformed(harmonic(100e3, 200, delayed(1.3 * r.aliasFreeTime, constant(-1))));
    EXPECT_NEAR(aliased.time[peakIndex(aliased.impulse)], 0.3 * r.aliasFreeTime, aliased.timeStep);

    auto twoShorts = [&](double apart) {
        const double t1 = 0.2 * r.aliasFreeTime;
        const TdrResult two = transformed(harmonic(100e3, 200, [=](double f) {
            return -0.5 * std::polar(1.0, -2 * Pi * f * t1) - 0.5 * std::polar(1.0, -2 * Pi * f * (t1 + apart));
        }));
        int peaks = 0;
        for (std::size_t i = 1; i + 1 < two.size(); ++i)
            if (two.impulse[i] < two.impulse[i - 1] && two.impulse[i] <= two.impulse[i + 1] && two.impulse[i] < -0.1)
                ++peaks;
        return peaks;
    };
    EXPECT_EQ(twoShorts(3 * r.resolutionTime), 2);
    EXPECT_EQ(twoShorts(0.5 * r.resolutionTime), 1);
}

TEST(TimeDomain, TheDcPointIsCarriedOnFromTheLowestTwo)
{
    // Exact for a delayed resistor, open or short, even when the phase turns
    // by more than half a circle between the two points.
    for (double rho : {1.0, -1.0, 0.2, -0.6})
        for (double turns : {0.0, 0.1, 0.45, 0.7, 0.95}) {
            const double df = 1e6;
            const auto s = delayed(turns / df, constant(rho));
            EXPECT_NEAR(ExtrapolateDc(s(df), s(2 * df)), rho, 1e-12) << rho << " " << turns;
        }
    // A magnitude that falls to zero at DC (a series capacitor's transmission
    // seen as a reflection) gives 0, not a negative magnitude.
    EXPECT_NEAR(ExtrapolateDc(Cx(0, 0.1), Cx(0, 0.25)), 0, 1e-15);
    // Nothing to take a phase from: the straight line through the values.
    EXPECT_NEAR(ExtrapolateDc(Cx(0, 0), Cx(0.3, 0)), -0.3, 1e-15);

    // A sweep that brings its own DC point keeps it.
    TdrInput withDc = sweepOf(0, 1e6, 31, constant(0.25));
    withDc.s11[0] = Cx(0.2, 0.05);
    const TdrResult r = transformed(withDc);
    EXPECT_FALSE(r.dcExtrapolated);
    EXPECT_EQ(r.dc, 0.2);
}

TEST(TimeDomain, WindowSidelobesAreTheTextbookLevels)
{
    // A reflection at the reference plane: the impulse is the window's own
    // transform. Highest sidelobe against the peak, in dB.
    struct Case {
        TdrWindow window;
        double sidelobeDb;
    };
    const Case cases[] = {
        {{WindowShape::None, 0}, -13.26},
        {{WindowShape::Hann, 0}, -31.47},
        {{WindowShape::Kaiser, 6}, -43.87},
        {{WindowShape::Kaiser, 0}, -13.26},
    };
    for (const Case& c : cases) {
        const TdrResult r = transformed(harmonic(1e6, 100, constant(1)), {TdrMode::LowPass, c.window});
        std::size_t i = 1;
        while (i < r.size() && std::abs(r.impulse[i]) < std::abs(r.impulse[i - 1]))
            ++i;
        double sidelobe = 0;
        for (; i < r.size() / 2; ++i)
            sidelobe = std::max(sidelobe, std::abs(r.impulse[i]));
        EXPECT_NEAR(20 * std::log10(sidelobe / r.impulse[0]), c.sidelobeDb, 0.3)
            << static_cast<int>(c.window.shape) << " beta " << c.window.beta;
        EXPECT_NEAR(r.impulse[0], 1, 1e-12);
    }
}

TEST(TimeDomain, BandPassGivesTheImpulseMagnitudeOfAnyEvenSweep)
{
    const double tau = TimeOfDistance(7, 1.0);
    const TdrInput in = sweepOf(10e6, 75e3, 401, delayed(tau, constant(rhoOf(10))));
    const TdrResult r = transformed(in, {TdrMode::BandPass, {}});
    EXPECT_TRUE(r.step.empty());
    EXPECT_TRUE(r.impedance.empty());
    EXPECT_NEAR(r.resolutionTime, 1 / 30e6, 1e-18);
    EXPECT_NEAR(r.aliasFreeTime, 1 / 75e3, 1e-15);
    const std::size_t peak = peakIndex(r.impulse);
    EXPECT_NEAR(r.time[peak], tau, r.timeStep);
    EXPECT_NEAR(r.impulse[peak], std::abs(rhoOf(10)), 0.01);
    for (double v : r.impulse)
        ASSERT_GE(v, 0);
}

TEST(TimeDomain, LowPassRefusesSweepsThatAreNotHarmonic)
{
    std::string error;
    TdrResult r;
    // Evenly spaced but offset: band-pass only.
    const TdrInput offset = sweepOf(1e6, 500e3, 59, constant(0.3));
    EXPECT_FALSE(TimeDomain(offset, {}, r, error));
    EXPECT_NE(error.find("low-pass needs a harmonic sweep"), std::string::npos) << error;
    EXPECT_NE(error.find("the sweep starts at 1000000 Hz, not at its step 500000 Hz"), std::string::npos) << error;
    EXPECT_TRUE(TimeDomain(offset, {TdrMode::BandPass, {}}, r, error)) << error;

    // Off by a hundredth of the step: the phase would be wrong by 3.6
    // degrees at the end of the range.
    EXPECT_FALSE(TimeDomain(sweepOf(101e3, 100e3, 50, constant(0.3)), {}, r, error));

    // Not even spaced at all: neither mode.
    TdrInput uneven = harmonic(1e6, 10, constant(0.3));
    uneven.hz[4] += 2e3;
    EXPECT_FALSE(TimeDomain(uneven, {}, r, error));
    EXPECT_FALSE(TimeDomain(uneven, {TdrMode::BandPass, {}}, r, error));
    EXPECT_NE(error.find("point 5 at 5002000 Hz lies off the even grid (5000000 Hz)"), std::string::npos) << error;

    EXPECT_FALSE(TimeDomain(harmonic(1e6, 1, constant(0.3)), {}, r, error));
    TdrInput broken = harmonic(1e6, 10, constant(0.3));
    broken.s11[3] = Cx(std::nan(""), 0);
    EXPECT_FALSE(TimeDomain(broken, {}, r, error));
    EXPECT_EQ(error, "point 4 has no finite value");
    EXPECT_FALSE(TimeDomain(harmonic(1e6, 10, constant(0.3)), {TdrMode::LowPass, {WindowShape::Kaiser, -1}}, r, error));
    // Finite in the file, but not once added up.
    EXPECT_FALSE(TimeDomain(harmonic(1e6, 10, constant(1e308)), {}, r, error));
    EXPECT_EQ(error, "the reflection values are too large to transform");
}

TEST(TimeDomain, AFinishedReflectionSweepIsItsOwnInput)
{
    // The window holds |Z| and its angle; 100 ohm against 50 is rho 1/3.
    cal::MeasuredSweep sweep;
    sweep.mode = 1;
    for (int k = 1; k <= 50; ++k) {
        sweep.hz.push_back(k * 200000);
        sweep.points.push_back({100, 0});
    }
    TdrInput in;
    std::string error;
    ASSERT_TRUE(InputOfSweep(sweep, in, error)) << error;
    EXPECT_EQ(in.hz[49], 10e6);
    EXPECT_EQ(in.z0, 50);
    const TdrResult r = transformed(in);
    EXPECT_NEAR(r.step[r.size() / 2], 1.0 / 3, 1e-3);
    EXPECT_NEAR(r.impedance[r.size() / 2], 100, 0.5);

    sweep.mode = 0;
    EXPECT_FALSE(InputOfSweep(sweep, in, error));
    EXPECT_EQ(error, "time domain needs a reflection sweep");
}

TEST(TimeDomain, TheSweepPanelsRoundingOfAHarmonicSweepIsAccepted)
{
    // Start = step = 49875 Hz to 20 MHz in 400 steps: the list's step is
    // 49875.3125 Hz and every point is rounded to whole hertz.
    sweep::FreqListArray list{};
    sweep::ListBounds bounds;
    ASSERT_TRUE(sweep::BuildSweptList(sweep::KindStartEnd, 49875, 20000000, 401, list, bounds));
    std::vector<double> hz(list.begin() + 1, list.begin() + 402);
    const FrequencyGrid grid = ExamineGrid(hz);
    EXPECT_TRUE(grid.harmonic) << grid.why;
    EXPECT_NEAR(grid.step, 49875.3125, 1e-9);
    EXPECT_NE(std::find_if(hz.begin(), hz.end(), [](double f) { return f != std::round(f / 49875.3125) * 49875.3125; }),
              hz.end());
}

} // namespace
} // namespace orbilan::analysis
