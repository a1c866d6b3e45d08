// The single-frequency panel: bars and readouts instead of a plot.
#include "display_window.h"

#include "display/scales.h"

namespace orbilan::test {
namespace {

class SingleFrequency : public DisplayWindow {
protected:
    void SetUp() override
    {
        chooseDisplay(0, "dB,deg");
        w.sweep.SingleFreqMode = true;
        w.settings.SweepPoints = 1;
        w.sweep.FreqList[1] = 14250000;
        w.sweep.PointIndex = 1;
    }
    const display::Canvas& bar(int which) { return w.barCanvas(which); }
    // The column where the bar ends (-1: no bar).
    int barEnd(int which)
    {
        int end = -1;
        for (int x = 0; x < bar(which).width(); ++x)
            if (bar(which).pixel(x, bar(which).height() / 2) != 0)
                end = x;
        return end;
    }
};

TEST_F(SingleFrequency, ReadoutsAndFrequency)
{
    const auto plotBefore = pixels();
    w.PlotPoint({-3.14159, 45.26});
    EXPECT_EQ(caption("SingleAlabel"), "-3.14 dB  ");
    EXPECT_EQ(caption("SingleBlabel"), "45.3 deg ");
    EXPECT_EQ(caption("SingleFrequencyLabel"), "14.250000 MHz ");
    EXPECT_EQ(pixels(), plotBefore); // the plot is not drawn on
    // -3.14 on -120..40 ends at 73 % of the box; 45.26 on -180..180 at 63 %.
    EXPECT_NEAR(barEnd(1), 0.7304 * 399, 1.0);
    EXPECT_NEAR(barEnd(2), 0.6257 * 399, 1.0);
    EXPECT_EQ(bar(1).pixel(10, 5), display::Yellow);
    EXPECT_EQ(bar(2).pixel(10, 5), display::Cyan);
}

TEST_F(SingleFrequency, AFallingValueShowsAShorterBar)
{
    w.PlotPoint({-3, 0});
    const int high = barEnd(1);
    w.PlotPoint({-60, 0});
    const int low = barEnd(1);
    EXPECT_LT(low, high - 100);
    EXPECT_NEAR(low, 0.375 * 399, 1.0);
}

TEST_F(SingleFrequency, AMegohmAndMoreReadsAsSuchAndRunsOffTheBox)
{
    chooseDisplay(1, "|Z|,deg");
    w.PlotPoint({2.5e6, -10});
    EXPECT_EQ(caption("SingleAlabel"), ">1 Megohm");
    EXPECT_EQ(barEnd(1), 399);
    EXPECT_EQ(caption("SingleBlabel"), "-10.0 deg ");
    EXPECT_EQ(barEnd(2), static_cast<int>(std::floor(170.0 / 360 * 399 + 0.5)));
}

TEST_F(SingleFrequency, LosslessLoadReadsAsThePlotLimitOnTheSwrBar)
{
    chooseDisplay(1, "SWR,");
    w.PlotPoint({0, 0}); // a short: |rho| = 1
    EXPECT_EQ(caption("SingleAlabel"), ">1 Meg   ");
    EXPECT_EQ(barEnd(1), 399);
    w.PlotPoint({100, 0}); // 100 ohm on 50: SWR 2
    EXPECT_EQ(caption("SingleAlabel"), "2.00     ");
    EXPECT_NEAR(barEnd(1), 0.01 * 399, 1.0);
}

TEST_F(SingleFrequency, DeselectedQuantityLeavesItsBoxEmpty)
{
    w.PlotPoint({-3, 20});
    w.PlotOption_Click(0);
    EXPECT_EQ(w.disp.PlotSelection, 1);
    w.PlotPoint({-3, 20});
    EXPECT_EQ(caption("SingleBlabel"), "");
    EXPECT_EQ(barEnd(2), -1);
    EXPECT_NE(caption("SingleAlabel"), "");
    w.PlotOption_Click(1);
    w.PlotPoint({-3, 20});
    EXPECT_EQ(caption("SingleAlabel"), "");
    EXPECT_EQ(barEnd(1), -1);
}

TEST_F(SingleFrequency, ChangingTheDisplayTypeClearsBarsAndReadouts)
{
    w.PlotPoint({-3, 20});
    chooseDisplay(0, "mag,deg");
    EXPECT_EQ(caption("SingleAlabel"), "");
    EXPECT_EQ(caption("SingleBlabel"), "");
    EXPECT_EQ(barEnd(1), -1);
    EXPECT_EQ(barEnd(2), -1);
    EXPECT_EQ(caption("SingleY1Units"), "mag");
    EXPECT_EQ(caption("SingleY1Hi"), "10000");
}

} // namespace
} // namespace orbilan::test
