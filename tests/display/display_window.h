// A main window with a sweep set up directly, for the display tests: no
// instrument, no calibration, just the state the plot reads.
#pragma once

#include <complex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "display/canvas.h"
#include "support/test_platform.h"

namespace orbilan::test {

// A swept list of `points` frequencies from start to end, as the sweep
// panel builds it, with the plot's frequency axis set to it.
void SweepOf(app::MainWindow& w, int points, std::int32_t start, std::int32_t end);
// One measured pass: PlotPoint for points 1..N, as the point loop does.
void PlotPass(app::MainWindow& w, const std::vector<cal::Complex>& pairs);
// The pairs of the test device at every point of the sweep.
std::vector<cal::Complex> DevicePass(const app::MainWindow& w, int measMode);

class DisplayWindow : public ::testing::Test {
protected:
    TestPlatform platform;
    app::MainWindow w{platform};

    void sweepOf(int points, std::int32_t start, std::int32_t end) { SweepOf(w, points, start, end); }
    void plotPass(const std::vector<cal::Complex>& pairs) { PlotPass(w, pairs); }
    // Chooses a display type through the chooser, as a user does.
    void chooseDisplay(int measMode, const std::string& entry);

    const display::Canvas& plot() const { return w.plotCanvas(); }
    std::vector<std::uint32_t> pixels() const { return w.plotCanvas().pixels(); }
    std::string caption(const std::string& name, int index = -1) { return w.controls().at(name, index).caption(); }
    // Writes the plot to the test output folder for a person to look at.
    void savePlot(const std::string& name) const;
};

// Reference images under the test's data folder. Set ORBILAN_UPDATE_REFERENCE=1
// to write them afresh (and look at them before committing).
::testing::AssertionResult MatchesReference(const display::Canvas& canvas, const std::string& name);

// The device the pictures are drawn of: a series R-L-C (30 ohm, 1 uH,
// 100 pF) between the ports or at the reflection port.
std::complex<double> SeriesRlc(double hz);
// The measured pair per mode: (dB, deg) in transmission, (|Z|, deg) in
// reflection, (dB, us) in group delay.
cal::Complex MeasuredPair(int measMode, double hz);
// Reflection coefficient of an impedance against 50 ohm.
std::complex<double> Gamma(std::complex<double> z);

} // namespace orbilan::test
