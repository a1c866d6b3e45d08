// The plot engine: a sweep replaces the previous one segment by segment, a
// scale change moves the whole trace, and nothing is ever left behind.
#include "display_window.h"

#include <cmath>
#include <set>

#include "display/scales.h"
#include "display/smith_chart.h"

namespace orbilan::test {
namespace {

using display::Canvas;

// A second window drawing the expected picture from scratch.
struct FreshWindow {
    TestPlatform platform;
    app::MainWindow w{platform};
};

std::vector<cal::Complex> shifted(std::vector<cal::Complex> pairs, double dB, double deg)
{
    for (auto& p : pairs) {
        p.re += dB;
        p.im += deg;
    }
    return pairs;
}

TEST_F(DisplayWindow, ClearPlotDrawsTheGraticuleInsideTheEdgesWithXorCrossings)
{
    w.disp.Y1Fresh = w.disp.Y2Fresh = false;
    w.ClearPlot();
    EXPECT_TRUE(w.disp.Y1Fresh);
    EXPECT_TRUE(w.disp.Y2Fresh);
    // x = 1 of 10 divisions lands on column 40, y = 1 of 8 on row 40.
    EXPECT_EQ(plot().pixel(40, 100), 0x404040u);
    EXPECT_EQ(plot().pixel(100, 40), 0x404040u);
    EXPECT_EQ(plot().pixel(40, 40), 0u); // two grid lines cancel where they cross
    EXPECT_EQ(plot().pixel(0, 100), 0u);   // no line on the edges
    EXPECT_EQ(plot().pixel(100, 319), 0u);

    // A trace crossing a grid line shows the mixture of both colours.
    sweepOf(11, 1000000, 11000000);
    w.disp.Y1Top = 40;
    w.disp.Y1Bottom = -120;
    w.PlotY1Point(1, 1000000, -10);
    w.PlotY1Point(2, 2000000, -10);
    const int row = static_cast<int>(std::floor((-10.0 - 40) / -160 * 319 + 0.5));
    EXPECT_EQ(plot().pixel(40, row), 0xFFFF00u ^ 0x404040u);
    EXPECT_EQ(plot().pixel(20, row), 0xFFFF00u);
}

TEST_F(DisplayWindow, EachSweepReplacesThePreviousOneWithoutRemnants)
{
    sweepOf(101, 1000000, 30000000);
    w.ClearPlot();
    const auto first = DevicePass(w, 0);
    plotPass(first);
    const auto afterOne = pixels();
    // The same sweep again: every segment erased and drawn again in place.
    plotPass(first);
    EXPECT_EQ(pixels(), afterOne);

    plotPass(shifted(first, -17, 35));
    FreshWindow fresh;
    SweepOf(fresh.w, 101, 1000000, 30000000);
    fresh.w.ClearPlot();
    PlotPass(fresh.w, shifted(first, -17, 35));
    EXPECT_EQ(pixels(), fresh.w.plotCanvas().pixels());
}

TEST_F(DisplayWindow, ScaleChangeAndRedrawMoveTheWholeTrace)
{
    sweepOf(201, 1000000, 30000000);
    w.ClearPlot();
    plotPass(DevicePass(w, 0));
    plotPass(shifted(DevicePass(w, 0), 3, -20)); // a previous sweep on screen too

    w.disp.Y1Top = 0;
    w.disp.Y1Bottom = -50;
    w.disp.Y2Top = 90;
    w.disp.Y2Bottom = -90;
    w.RedrawTraces();
    EXPECT_EQ(w.sweep.PointIndex, 0);

    FreshWindow fresh;
    SweepOf(fresh.w, 201, 1000000, 30000000);
    fresh.w.disp.Y1Top = 0;
    fresh.w.disp.Y1Bottom = -50;
    fresh.w.disp.Y2Top = 90;
    fresh.w.disp.Y2Bottom = -90;
    fresh.w.ClearPlot();
    PlotPass(fresh.w, shifted(DevicePass(fresh.w, 0), 3, -20));
    EXPECT_EQ(pixels(), fresh.w.plotCanvas().pixels());
}

TEST_F(DisplayWindow, PlotPointYieldsToTheWindowOncePerPoint)
{
    sweepOf(21, 1000000, 2000000);
    w.ClearPlot();
    int hooks = 0;
    w.onPointYield = [&hooks] { ++hooks; };
    const int before = platform.processEventsCalls();
    plotPass(DevicePass(w, 0));
    EXPECT_EQ(hooks, 21);
    EXPECT_EQ(platform.processEventsCalls() - before, 21);
    EXPECT_EQ(w.controls().at("Ycolour", 1).backColour(), display::Yellow);
    EXPECT_EQ(w.controls().at("Ycolour", 2).backColour(), display::Cyan);
    // The progress bar is cleared at the last point.
    for (std::uint32_t p : w.progressCanvas().pixels())
        ASSERT_EQ(p, 0xFFFFFFu);
}

TEST_F(DisplayWindow, PlottedValuesAreLimitedAndTheLimitsStoredInTheTrace)
{
    sweepOf(4, 1000000, 4000000);
    w.ClearPlot();
    plotPass({{0, 0}, {3e-9, 0}, {-5e7, 0}, {INFINITY, 0}});
    EXPECT_EQ(w.disp.Y1Trace[1], 0.0);
    EXPECT_EQ(w.disp.Y1Trace[2], 1e-6);
    EXPECT_EQ(w.disp.Y1Trace[3], -1e6);
    // An infinite value (the standing-wave ratio of a lossless load) is held
    // as the limit, as the plot draws it.
    EXPECT_EQ(w.disp.Y1Trace[4], 1e6);
    EXPECT_EQ(w.disp.PrevY1Trace[4], 1e6);
}

TEST_F(DisplayWindow, SwrOfALosslessLoadIsPlottedAtTheLimit)
{
    sweepOf(3, 1000000, 3000000);
    w.disp.DisplayCode = 14;
    w.disp.PlotSelection = 1;
    w.ClearPlot();
    plotPass({{100, 0}, {0, 0}, {50, 0}}); // SWR 2, a short, a match
    EXPECT_DOUBLE_EQ(w.disp.Y1Trace[1], 2.0);
    EXPECT_EQ(w.disp.Y1Trace[2], 1e6);
    EXPECT_DOUBLE_EQ(w.disp.Y1Trace[3], 1.0);
}

TEST_F(DisplayWindow, PlotSelectionY1NeitherDrawsNorErasesY2)
{
    sweepOf(51, 1000000, 30000000);
    w.ClearPlot();
    plotPass(DevicePass(w, 0));
    w.PlotOption_Click(0);
    EXPECT_EQ(w.disp.PlotSelection, 1);
    EXPECT_FALSE(w.controls().at("Ycolour", 2).visible());
    EXPECT_TRUE(w.controls().at("Ycolour", 1).visible());
    plotPass(shifted(DevicePass(w, 0), -5, 40));
    const auto now = pixels();
    const std::set<std::uint32_t> colours(now.begin(), now.end());
    EXPECT_TRUE(colours.count(0xFFFF00));
    EXPECT_FALSE(colours.count(0x00FFFF));
    EXPECT_EQ(w.disp.Y2Trace[10], w.disp.PrevY2Trace[10]); // untouched since the Y1-only choice
}

TEST_F(DisplayWindow, PlotFromZeroShowsZeroWithoutChangingTheSweep)
{
    sweepOf(11, 10000000, 60000000);
    w.controls().at("FixX0").setValueQuietly(1);
    w.RefreshScales();
    w.RefreshScales();
    EXPECT_EQ(caption("FreqLeft"), "0");
    EXPECT_EQ(caption("FreqRight"), "60");
    EXPECT_EQ(caption("FreqUnits"), "6 MHz/div");
    // The step is the sweep's own, on every refresh.
    EXPECT_EQ(caption("TellSteps"), " 10 x 5MHz steps");
    EXPECT_EQ(w.sweep.SweepStart, 10000000);

    w.controls().at("FixX0").setEnabled(false);
    w.RefreshScales();
    EXPECT_EQ(caption("FreqLeft"), "10");
    EXPECT_EQ(caption("FreqUnits"), "5 MHz/div");
}

TEST_F(DisplayWindow, FrequencyAxisShowsTheCentreOnlyForCentreAndSpan)
{
    w.sweep.SweepKind = 2;
    w.ShowFreqAxis();
    EXPECT_TRUE(w.controls().at("FreqMid").visible());
    EXPECT_TRUE(w.controls().at("FreqMid").bold());
    EXPECT_FALSE(w.controls().at("FreqLeft").bold());
    w.sweep.SweepKind = 1;
    w.ShowFreqAxis();
    EXPECT_FALSE(w.controls().at("FreqMid").visible());
    EXPECT_TRUE(w.controls().at("FreqRight").bold());
    w.HideFreqAxis();
    EXPECT_FALSE(w.controls().at("TellSteps").visible());
}

TEST_F(DisplayWindow, StoredTraceDrawnTwiceIsGone)
{
    sweepOf(101, 1000000, 30000000);
    w.ClearPlot();
    plotPass(DevicePass(w, 0));
    for (int k = 1; k <= 101; ++k) {
        w.disp.StoredY1[static_cast<std::size_t>(k)] = w.disp.Y1Trace[static_cast<std::size_t>(k)] - 6;
        w.disp.StoredY2[static_cast<std::size_t>(k)] = w.disp.Y2Trace[static_cast<std::size_t>(k)] + 30;
    }
    const auto before = pixels();
    w.DrawStoredTrace();
    const auto now = pixels();
    const std::set<std::uint32_t> colours(now.begin(), now.end());
    EXPECT_TRUE(colours.count(display::Red));
    EXPECT_TRUE(colours.count(display::Green));
    w.DrawStoredTrace();
    EXPECT_EQ(pixels(), before);
}

TEST(SmithGrid, DrawnTwiceVanishes)
{
    Canvas c(400, 320);
    display::DrawSmithGridLines(c, 0x404040);
    int drawn = 0;
    for (std::uint32_t p : c.pixels())
        drawn += p != 0;
    EXPECT_GT(drawn, 2000);
    // The unit circle (pen width 2) touches the top and bottom of the area.
    EXPECT_NE(c.pixel(200, 0) | c.pixel(199, 0), 0u);
    EXPECT_NE(c.pixel(200, 319) | c.pixel(199, 319), 0u);
    display::DrawSmithGridLines(c, 0x404040);
    for (std::uint32_t p : c.pixels())
        ASSERT_EQ(p, 0u);
}

TEST_F(DisplayWindow, SmithSweepReplacesThePreviousOneWithoutRemnants)
{
    sweepOf(101, 1000000, 30000000);
    w.disp.DisplayCode = display::CodeSmith;
    auto pass = [this](double scale) {
        for (int i = 1; i <= 101; ++i) {
            const auto g = Gamma(SeriesRlc(w.sweep.FreqList[static_cast<std::size_t>(i)]) * scale);
            w.PlotSmithPoint(i, g.real(), g.imag());
        }
    };
    w.ClearPlot();
    const auto grid = pixels();
    pass(1.0);
    pass(2.0);
    pass(2.0);
    FreshWindow fresh;
    SweepOf(fresh.w, 101, 1000000, 30000000);
    fresh.w.disp.DisplayCode = display::CodeSmith;
    fresh.w.ClearPlot();
    EXPECT_EQ(fresh.w.plotCanvas().pixels(), grid);
    for (int i = 1; i <= 101; ++i) {
        const auto g = Gamma(SeriesRlc(fresh.w.sweep.FreqList[static_cast<std::size_t>(i)]) * 2.0);
        fresh.w.PlotSmithPoint(i, g.real(), g.imag());
    }
    EXPECT_EQ(pixels(), fresh.w.plotCanvas().pixels());
    EXPECT_EQ(w.controls().at("Ycolour", 1).backColour(), display::Green);
}

// Whole plots compared with reference images, pixel for pixel.
TEST_F(DisplayWindow, TransmissionSweepMatchesItsReferenceImage)
{
    sweepOf(201, 1000000, 30000000);
    w.ClearPlot();
    plotPass(DevicePass(w, 0));
    savePlot("reference_db_phase");
    EXPECT_TRUE(MatchesReference(plot(), "db_phase_sweep"));
}

TEST_F(DisplayWindow, SmithChartWithMarkersMatchesItsReferenceImage)
{
    sweepOf(201, 1000000, 30000000);
    w.disp.DisplayCode = display::CodeSmith;
    w.ClearPlot();
    for (int i = 1; i <= 201; ++i) {
        const auto g = Gamma(SeriesRlc(w.sweep.FreqList[static_cast<std::size_t>(i)]));
        w.PlotSmithPoint(i, g.real(), g.imag());
    }
    w.MarkerOn_Click();
    for (int k = 0; k < 4; ++k)
        w.Marker_click(3); // A ten points right, four times
    w.controls().userClick("Option2", 1);
    w.Marker_click(5); // B to the smallest real part
    EXPECT_EQ(w.disp.MarkerPos[0], 41);
    savePlot("reference_smith_markers");
    EXPECT_TRUE(MatchesReference(plot(), "smith_markers"));
}

} // namespace
} // namespace orbilan::test
