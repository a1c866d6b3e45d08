// Markers: stepping within the sweep, finding extremes, the readouts of both
// kinds of display, and dots that come and go without a trace.
#include "display_window.h"

#include "display/scales.h"

namespace orbilan::test {
namespace {

class Markers : public DisplayWindow {
protected:
    void SetUp() override
    {
        sweepOf(11, 10000000, 15000000); // 0.5 MHz apart
        w.ClearPlot();
        w.RefreshScales(); // the units labels of the dB display
        plotPass(DevicePass(w, 0));
        w.MarkerOn_Click();
    }
    std::int16_t& a() { return w.disp.MarkerPos[0]; }
    std::int16_t& b() { return w.disp.MarkerPos[1]; }
};

TEST_F(Markers, SwitchingOnPutsBothOnPointOneWithASelectedAndBReadoutsHidden)
{
    EXPECT_TRUE(w.controls().at("Markers").visible());
    EXPECT_EQ(caption("MarkerOn"), "Mkr Off");
    EXPECT_EQ(a(), 1);
    EXPECT_EQ(b(), 1);
    EXPECT_EQ(w.disp.MarkerSel, 0);
    EXPECT_EQ(w.controls().at("Option2", 0).value(), 1);
    EXPECT_FALSE(w.controls().at("markery3").visible());
    EXPECT_FALSE(w.controls().at("MarkerF3").visible());
    w.controls().userClick("Option2", 1);
    EXPECT_EQ(w.disp.MarkerSel, 1);
    EXPECT_TRUE(w.controls().at("markery3").visible());
    EXPECT_TRUE(w.controls().at("MarkerF3").visible());
    w.controls().userClick("Option2", 0);
    EXPECT_TRUE(w.controls().at("MarkerF3").visible()); // A again leaves them shown
}

TEST_F(Markers, StepsStayWithinTheSweep)
{
    a() = 3;
    w.Marker_click(1);
    EXPECT_EQ(a(), 1);
    w.Marker_click(0);
    EXPECT_EQ(a(), 1);
    a() = 9; // N - 2
    w.Marker_click(3);
    EXPECT_EQ(a(), 11);
    w.Marker_click(2);
    EXPECT_EQ(a(), 11);
    w.controls().userClick("Option2", 1);
    w.Marker_click(2);
    EXPECT_EQ(b(), 2);
    EXPECT_EQ(a(), 11);
}

TEST_F(Markers, ExtremesPickTheFirstOfEqualValuesAndIgnoreOutOfRangeTraces)
{
    w.UpdateMarkers(); // dots off while the trace is rewritten
    for (int k = 1; k <= 11; ++k)
        w.disp.Y1Trace[static_cast<std::size_t>(k)] = -20;
    w.disp.Y1Trace[4] = -3;
    w.disp.Y1Trace[7] = -3;
    w.disp.Y1Trace[9] = -40;
    w.disp.Y1Trace[10] = -40;
    w.UpdateMarkers();
    w.Marker_click(4);
    EXPECT_EQ(a(), 4);
    w.Marker_click(5);
    EXPECT_EQ(a(), 9);

    // Plot selection Y2 searches the Y2 trace.
    w.disp.PlotSelection = 2;
    w.disp.Y2Trace[6] = 170;
    w.Marker_click(4);
    EXPECT_EQ(a(), 6);

    // Nothing above -1000: the marker stays.
    w.disp.PlotSelection = 3;
    w.UpdateMarkers();
    for (int k = 1; k <= 11; ++k)
        w.disp.Y1Trace[static_cast<std::size_t>(k)] = -5000;
    w.UpdateMarkers();
    w.Marker_click(4);
    EXPECT_EQ(a(), 6);
}

TEST_F(Markers, RectangularReadouts)
{
    w.UpdateMarkers();
    w.disp.Y1Trace[1] = -3.0123;
    w.disp.Y2Trace[1] = 45.678;
    w.disp.Y1Trace[6] = -1.5;
    w.disp.Y2Trace[6] = 40;
    b() = 6;
    w.UpdateMarkers();
    EXPECT_EQ(caption("MarkerY1"), "-3.012 dB ");
    EXPECT_EQ(caption("MarkerY2"), "45.68 deg");
    EXPECT_EQ(caption("markery3"), "-1.5 dB ");
    EXPECT_EQ(caption("MarkerFreq"), "10.000000 MHz");
    EXPECT_EQ(caption("MarkerF2"), "12.500000 MHz");
    EXPECT_EQ(caption("MarkerF3"), "2.500000 MHz");
    EXPECT_EQ(caption("MarkerY5"), "1.51 dB ");
    EXPECT_EQ(caption("MarkerY6"), "-5.68 deg");
    EXPECT_EQ(caption("Markerlabel"), "");
}

TEST_F(Markers, DrawnTwiceTheDotsLeaveThePlotAsItWas)
{
    b() = 8;
    w.UpdateMarkers(); // the dots of SetUp moved to the new place
    w.UpdateMarkers();
    const auto withDots = pixels();
    w.UpdateMarkers();
    const auto without = pixels();
    EXPECT_NE(withDots, without);
    w.UpdateMarkers();
    w.UpdateMarkers();
    EXPECT_EQ(pixels(), without);
    // Switching the panel off takes the dots away.
    w.UpdateMarkers();
    EXPECT_EQ(pixels(), withDots);
    w.MarkerOn_Click();
    EXPECT_EQ(pixels(), without);
    EXPECT_EQ(caption("MarkerOn"), "Marker On");
    EXPECT_FALSE(w.controls().at("Markers").visible());
}

TEST_F(Markers, StandingWaveRatioHasNoSecondQuantity)
{
    w.MarkerOn_Click();
    w.disp.DisplayCode = display::CodeSwr;
    w.RefreshScales();
    const auto before = pixels();
    w.MarkerOn_Click();
    int changed = 0;
    const auto after = pixels();
    for (std::size_t i = 0; i < after.size(); ++i)
        changed += after[i] != before[i];
    EXPECT_EQ(changed, 4); // both markers on point 1 of Y1: one dot of 2 x 2
    EXPECT_EQ(caption("MarkerY2"), "");
    EXPECT_EQ(caption("markery4"), "");
    EXPECT_EQ(caption("MarkerY6"), "");
}

TEST_F(DisplayWindow, SmithReadoutsArePolarAndTheDifferenceTakesTheRealPartsMagnitude)
{
    sweepOf(2, 10000000, 12000000);
    w.disp.DisplayCode = display::CodeSmith;
    w.ClearPlot();
    w.PlotSmithPoint(1, 0.5, 0);
    w.PlotSmithPoint(2, -0.5, 0);
    w.MarkerOn_Click();
    w.controls().userClick("Option2", 1);
    w.Marker_click(2);
    EXPECT_EQ(caption("MarkerY1"), "0.5 ");
    EXPECT_EQ(caption("MarkerY2"), "0 deg");
    EXPECT_EQ(caption("markery3"), "0.5 ");
    EXPECT_EQ(caption("markery4"), "180 deg");
    EXPECT_EQ(caption("MarkerY5"), "1 ");
    EXPECT_EQ(caption("MarkerY6"), "0 deg");
    EXPECT_EQ(caption("MarkerF3"), "2.000000 MHz");
    w.MarkerOn_Click();
    EXPECT_FALSE(w.controls().at("markery3").visible());
}

TEST_F(DisplayWindow, StandingWaveRatioOfALosslessLoadReadsAsThePlotLimit)
{
    sweepOf(3, 1000000, 3000000);
    w.disp.DisplayCode = display::CodeSwr;
    w.disp.PlotSelection = 1;
    w.ClearPlot();
    w.RefreshScales();
    w.PlotY1Point(1, 1000000, 1.5);
    w.PlotY1Point(2, 2000000, INFINITY);
    w.PlotY1Point(3, 3000000, 2);
    w.MarkerOn_Click();
    w.Marker_click(2);
    EXPECT_EQ(caption("MarkerY1"), "1000000    ");
}

TEST_F(Markers, MarkerToCentreCentresTheSweepOnTheMarkerWithAtMostATenthSpan)
{
    w.controls().userClick("Option2", 1);
    w.Marker_click(3); // B on point 11, 15 MHz
    w.sweep.SweepF2 = 60000000;
    w.MkrCF_Click();
    EXPECT_EQ(w.sweep.SweepF1, 15000000);
    EXPECT_EQ(w.sweep.SweepF2, 1500000);
}

} // namespace
} // namespace orbilan::test
