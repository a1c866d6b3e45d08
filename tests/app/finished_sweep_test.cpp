// The value a complete pass hands out: it is there only after a pass ran to
// its end, holds that pass's points, and stays as it was while the window
// goes on (another display, a stopped pass).
#include <string>
#include <vector>

#include "sim_window.h"

using namespace orbilan;
using ui::Answer;

#if ORBILAN_HAVE_SIM

namespace {

class FinishedSweep : public test::SimWindowTest {
protected:
    app::MainWindow& w = *window;

    void calibrateReflection()
    {
        // 21 points from 1 to 21 MHz, as the panel's OK would build them.
        w.settings.SweepPoints = 21;
        w.sweep.FreqList = {};
        w.sweep.FreqList[0] = 1;
        for (int k = 1; k <= 21; ++k)
            w.sweep.FreqList[static_cast<std::size_t>(k)] = k * 1000000;
        w.sweep.SweepDefined = true;
        ASSERT_TRUE(w.deliver([&] { w.ModeButton_Click(1); }));
        for (int i = 0; i < 3; ++i)
            platform.queue(Answer::ok());
        platform.queue(Answer::no());
        ASSERT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
        ASSERT_EQ(w.controls().at("CalLabel").caption(), "Calibrated");
    }
};

TEST_F(FinishedSweep, OnlyACompletePassIsHandedOutAndItKeepsItsOwnPoints)
{
    calibrateReflection();
    ASSERT_EQ(kesp_sim_set_dut("refl:R=100"), 1);
    std::vector<cal::MeasuredSweep> seen;
    w.addSweepObserver([&](const cal::MeasuredSweep& s) { seen.push_back(s); });
    EXPECT_FALSE(w.lastSweep()) << "no pass has been measured yet";

    // Stopped during point 5: not a complete pass.
    w.onPointYield = [&] {
        if (w.sweep.PointIndex == 5)
            w.sweep.StopSweep = true;
    };
    ASSERT_TRUE(w.deliver([&] { w.SweepButton_Click(1); }));
    EXPECT_FALSE(w.lastSweep());
    EXPECT_TRUE(seen.empty());

    w.onPointYield = nullptr;
    ASSERT_TRUE(w.deliver([&] { w.SweepButton_Click(3); }));
    ASSERT_TRUE(w.sweep.PassDone);
    ASSERT_TRUE(w.lastSweep());
    ASSERT_EQ(seen.size(), 1u);
    const cal::MeasuredSweep& s = *w.lastSweep();
    const int n = w.settings.SweepPoints;
    ASSERT_EQ(static_cast<int>(s.size()), n);
    ASSERT_EQ(s.hz.size(), s.points.size());
    EXPECT_EQ(s.mode, 1);
    EXPECT_EQ(s.calStatus, 2);
    EXPECT_EQ(s.calStatusText, "Calibrated");
    EXPECT_EQ(s.z0(), 50);
    EXPECT_EQ(s.hz.front(), w.sweep.FreqList[1]);
    EXPECT_EQ(s.hz.back(), w.sweep.FreqList[static_cast<std::size_t>(n)]);
    EXPECT_EQ(s.points[2], w.cal.PointData[3]);
    // 100 ohm reflects a third, to within the simulator's noise.
    EXPECT_NEAR(cal::SParameterOf(s, 0).re, 1.0 / 3, 1e-3);
    EXPECT_EQ(seen[0].points, s.points);

    // Another device and a stopped pass leave the last complete one alone.
    ASSERT_EQ(kesp_sim_set_dut("refl:R=25"), 1);
    w.onPointYield = [&] {
        if (w.sweep.PointIndex == 3)
            w.sweep.StopSweep = true;
    };
    ASSERT_TRUE(w.deliver([&] { w.SweepButton_Click(1); }));
    EXPECT_EQ(w.lastSweep()->points, seen[0].points);
    EXPECT_EQ(seen.size(), 1u);
}

} // namespace

#endif
