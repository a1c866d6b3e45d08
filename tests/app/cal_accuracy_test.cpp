// End to end on the simulated instrument: calibrate as a user does (the
// prompts connect the standards), connect a device, sweep, and compare the
// corrected points with the device's true value. The simulator's error terms,
// detector offset and noise are what the calibration has to remove.
#include <algorithm>
#include <cmath>
#include <complex>
#include <iostream>
#include <string>
#include <vector>

#include "sim_window.h"

using namespace orbilan;
using app::MainWindow;
using ui::Answer;

#if ORBILAN_HAVE_SIM

namespace {

using Z = std::complex<double>;

class CalAccuracy : public test::SimWindowTest {
protected:
    CalAccuracy() : SimWindowTest("adctype = 2440\nadcavg = 4\n") {}

    MainWindow& w = *window;

    void setSweep(std::int32_t start, std::int32_t end, int points)
    {
        w.settings.SweepPoints = static_cast<std::int16_t>(points);
        w.sweep.FreqList = {};
        w.sweep.FreqList[0] = 1;
        for (int k = 1; k <= points; ++k)
            w.sweep.FreqList[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(
                std::nearbyint(start + (k - 1) * (static_cast<double>(end) - start) / (points - 1)));
        w.sweep.SweepDefined = true;
    }

    // Answers every prompt with OK and declines the save question after.
    void calibrate(int mode, int prompts)
    {
        ASSERT_TRUE(w.deliver([&] { w.ModeButton_Click(mode); }));
        for (int i = 0; i < prompts; ++i)
            platform.queue(Answer::ok());
        platform.queue(Answer::no());
        ASSERT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
        ASSERT_EQ(platform.pendingAnswers(), 0u);
        ASSERT_EQ(w.controls().at("CalLabel").caption(), "Calibrated");
    }

    void sweepOnce()
    {
        w.sweep.ResumeIndex = 0;
        w.sweep.StopSweep = false;
        w.sweep.PassDone = false;
        ASSERT_TRUE(w.deliver([&] { w.measure(); }));
        ASSERT_TRUE(w.sweep.PassDone);
    }

    std::int32_t hz(int k) const { return w.sweep.FreqList[static_cast<std::size_t>(k)]; }
    Z point(int k) const
    {
        const auto p = w.cal.PointData[static_cast<std::size_t>(k)];
        return std::polar(p.re, p.im * 3.14159265358979323846 / 180);
    }
    static Z trueImpedance(double f)
    {
        double re = 0, im = 0;
        EXPECT_EQ(kesp_sim_true_gamma(f, &re, &im), 1);
        const Z g{re, im};
        return 50.0 * (1.0 + g) / (1.0 - g);
    }
    static Z trueS21(double f)
    {
        double re = 0, im = 0;
        EXPECT_EQ(kesp_sim_true_s21(f, &re, &im), 1);
        return {re, im};
    }

    // The worst relative impedance error across the sweep.
    double worstImpedanceError(const char* dut)
    {
        EXPECT_EQ(kesp_sim_set_dut(dut), 1) << kesp_sim_last_error();
        sweepOnce();
        double worst = 0;
        for (int k = 1; k <= w.settings.SweepPoints; ++k) {
            const Z truth = trueImpedance(hz(k));
            worst = std::max(worst, std::abs(point(k) - truth) / std::abs(truth));
        }
        std::cout << "[ figures  ] " << dut << ": worst |Z| error " << worst * 100 << " %\n";
        return worst;
    }
};

} // namespace

TEST_F(CalAccuracy, ReflectionReadsTheTrueImpedance)
{
    setSweep(1000000, 60000000, 101);
    calibrate(1, 3);
    EXPECT_LT(worstImpedanceError("refl:R=100"), 0.005);
    EXPECT_LT(worstImpedanceError("refl:R=10,L=1u,topology=series"), 0.005);
    EXPECT_LT(worstImpedanceError("refl:C=1n"), 0.005);

    // A sweep inside the calibration's range, by interpolation.
    setSweep(2000000, 50000000, 37);
    ASSERT_TRUE(w.deliver([&] { w.CheckMachineStatus(); }));
    ASSERT_EQ(w.cal.CalStatus, 3);
    const double interpolated = worstImpedanceError("refl:R=100");
    EXPECT_LT(interpolated, 0.01);
}

TEST_F(CalAccuracy, TransmissionReadsTheTrueRatio)
{
    setSweep(1000000, 60000000, 101);
    calibrate(0, 2);
    // An attenuator, and a network with a phase of its own.
    for (const char* dut : {"trans:series:R=100", "trans:series:R=100,C=470p"}) {
        ASSERT_EQ(kesp_sim_set_dut(dut), 1) << kesp_sim_last_error();
        sweepOnce();
        double worstDb = 0, worstDeg = 0;
        for (int k = 1; k <= w.settings.SweepPoints; ++k) {
            const Z s21 = trueS21(hz(k));
            const auto p = w.cal.PointData[static_cast<std::size_t>(k)];
            worstDb = std::max(worstDb, std::fabs(p.re - 20 * std::log10(std::abs(s21))));
            worstDeg = std::max(worstDeg, std::fabs(p.im - std::arg(s21) * 180 / 3.14159265358979323846));
        }
        std::cout << "[ figures  ] " << dut << ": worst " << worstDb << " dB, " << worstDeg << " deg\n";
        EXPECT_LT(worstDb, 0.05) << dut;
        EXPECT_LT(worstDeg, 0.5) << dut;
    }
}

// Each reading of a point is corrected with the calibration of its own
// frequency, so the instrument's own path delay between the two frequencies
// is gone: without noise the reading is the device's delay, also at the top,
// where the second reading lies below f.
TEST_F(CalAccuracy, GroupDelayIsPositiveAndFoldsAtTheTop)
{
    kesp_sim_set_noise(0);
    setSweep(1000000, 60000000, 60);
    calibrate(2, 2);
    w.sweep.GdApertureHz = 100000;
    ASSERT_EQ(kesp_sim_set_dut("trans:series:L=10u"), 1) << kesp_sim_last_error();
    sweepOnce();
    std::vector<double> offsets;
    for (int k = 1; k <= w.settings.SweepPoints; ++k) {
        const double f = hz(k);
        // The same two frequencies the measurement used: below f at the top.
        const double second = f + 100000 > 60000000 ? f - 100000 : f + 100000;
        const double dphi = std::arg(trueS21(second) / trueS21(f));
        const double truthNs = std::fabs(dphi / (2 * 3.14159265358979323846 * (second - f))) * 1e9;
        const double ns = w.cal.PointData[static_cast<std::size_t>(k)].im * 1000;
        EXPECT_GT(ns, 0) << f;
        offsets.push_back(ns - truthNs);
    }
    const auto [lo, hi] = std::minmax_element(offsets.begin(), offsets.end());
    std::cout << "[ figures  ] trans:series:L=10u: group delay reads the true delay + " << *lo << " .. " << *hi
              << " ns\n";
    EXPECT_LT(*hi, 0.05);
    EXPECT_GT(*lo, -0.05);
    EXPECT_EQ(hz(60), 60000000); // the list is as it was after the second readings
}

#else

TEST(CalAccuracy, NeedsTheSimulator) { GTEST_SKIP() << "the simulator (libkespsim) is not part of this build"; }

#endif
