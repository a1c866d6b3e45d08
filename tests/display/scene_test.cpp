// The plot as a scene: what the window's raster shows, told as traces with
// their scales, stored trace and markers, so that a view can draw it whole;
// and the readouts a view adds (the point under the mouse, R + jX and the
// equivalent L or C on the Smith chart).
#include "display_window.h"

#include "app/plot_scene.h"
#include "display/recording_surface.h"
#include "display/scales.h"

namespace orbilan::test {
namespace {

using display::DrawnItem;
using Kind = display::DrawnItem::Kind;

class Scene : public DisplayWindow {
protected:
    display::PlotScene scene() { return app::PlotSceneOf(w); }
    // The scene drawn on a raster of the window's size, without captions.
    std::vector<std::uint32_t> sceneOnRaster()
    {
        display::Canvas c(plot().width(), plot().height());
        display::DrawPlotScene(c, scene(), {.captions = false});
        return c.pixels();
    }
};

TEST_F(Scene, DrawnOnARasterItIsTheWindowsOwnPlot)
{
    sweepOf(101, 1000000, 30000000);
    w.ClearPlot();
    w.RefreshScales();
    plotPass(DevicePass(w, 0));
    for (std::size_t k = 1; k <= 101; ++k) {
        w.disp.StoredY1[k] = w.disp.Y1Trace[k] - 6;
        w.disp.StoredY2[k] = w.disp.Y2Trace[k] + 20;
    }
    w.controls().at("DisplayMemory").setCaption("Show");
    w.DisplayMemory_Click();
    w.MarkerOn_Click();
    w.Marker_click(3);
    EXPECT_EQ(sceneOnRaster(), pixels());

    // A new scale moves everything; the scene follows.
    w.ScaleControl_Click();
    EXPECT_EQ(sceneOnRaster(), pixels());

    chooseDisplay(1, "Smith,");
    plotPass(DevicePass(w, 1));
    w.MarkerOn_Click();
    w.Marker_click(3);
    w.Marker_click(3);
    EXPECT_EQ(sceneOnRaster(), pixels());
}

TEST_F(Scene, APassUnderWayShowsThePreviousPassAheadOfItInItsOwnScale)
{
    sweepOf(101, 1000000, 30000000);
    w.ClearPlot();
    plotPass(DevicePass(w, 0));
    w.disp.Y1Top = 0;
    w.disp.Y1Bottom = -80;
    auto pass = DevicePass(w, 0);
    pass.resize(40);
    plotPass(pass);

    const display::PlotScene s = scene();
    ASSERT_EQ(s.traces.size(), 4u);
    // Y1: the previous pass from point 40 on, in the scale it was drawn in ...
    EXPECT_EQ(s.traces[0].first, 40);
    EXPECT_EQ(s.traces[0].last, 101);
    EXPECT_EQ(s.traces[0].scale.top, 40);
    EXPECT_EQ(s.traces[0].colour, display::Yellow);
    // ... and the present pass up to its point 40 in the new one.
    EXPECT_EQ(s.traces[1].first, 1);
    EXPECT_EQ(s.traces[1].last, 40);
    EXPECT_EQ(s.traces[1].scale.top, 0);
    EXPECT_EQ(s.traces[3].colour, display::Cyan);

    display::RecordingSurface recording;
    display::DrawPlotScene(recording, s, {.captions = false});
    const auto lines = recording.of(Kind::Polyline, display::DrawRole::Trace);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].points.size(), 40u);
    EXPECT_EQ(lines[1].points.back().x, w.sweep.FreqList[40]);
    EXPECT_FLOAT_EQ(static_cast<float>(lines[1].points.back().y), static_cast<float>(w.disp.Y1Trace[40]));
    EXPECT_EQ(lines[0].points.size(), 62u);

    // After a clear nothing is on the plot, and the mouse reads nothing.
    w.ClearPlot();
    EXPECT_TRUE(scene().traces.empty());
    EXPECT_EQ(display::NearestPoint(scene(), 5e6, 0), 0);
}

TEST_F(Scene, MarkersAAndBAreBothOnTheSmithChartAtTheirOwnPoints)
{
    sweepOf(51, 1000000, 30000000);
    chooseDisplay(1, "Smith,");
    plotPass(DevicePass(w, 1));
    w.MarkerOn_Click();
    for (int i = 0; i < 2; ++i)
        w.Marker_click(3); // A to point 21
    w.controls().userClick("Option2", 1);
    for (int i = 0; i < 4; ++i)
        w.Marker_click(3); // B to point 41
    ASSERT_EQ(w.disp.MarkerPos[0], 21);
    ASSERT_EQ(w.disp.MarkerPos[1], 41);

    display::RecordingSurface recording;
    display::DrawPlotScene(recording, scene());
    const auto markers = recording.of(Kind::Marker);
    ASSERT_EQ(markers.size(), 2u);
    for (const DrawnItem& m : markers) {
        const auto k = static_cast<std::size_t>(m.label == 'A' ? 21 : 41);
        EXPECT_DOUBLE_EQ(m.points[0].x, w.disp.Y1Trace[k]) << m.label;
        EXPECT_FLOAT_EQ(static_cast<float>(m.points[0].y), static_cast<float>(w.disp.Y2Trace[k])) << m.label;
        EXPECT_EQ(m.traceColour, display::Green);
        EXPECT_EQ(m.scale.top, 1);
    }
    EXPECT_EQ(markers[0].label, 'A');
    EXPECT_EQ(markers[1].label, 'B');
    EXPECT_NE(markers[0].points[0].x, markers[1].points[0].x);

    // The readout box: the polar readouts, then R + jX and L or C, per marker.
    const display::PlotScene s = scene();
    ASSERT_EQ(s.readout.size(), 5u);
    EXPECT_EQ(s.readout[0].text.rfind("A  " + caption("MarkerFreq") + "   " + caption("MarkerY1"), 0), 0u);
    const std::complex<double> z = SeriesRlc(w.sweep.FreqList[21]);
    const std::string expected = display::SeriesEquivalentText(
        {true, z.real(), z.imag(), z.imag() > 0 ? z.imag() / (2 * 3.14159265358979 * w.sweep.FreqList[21]) : 0,
         z.imag() < 0 ? -1 / (2 * 3.14159265358979 * w.sweep.FreqList[21] * z.imag()) : 0});
    EXPECT_EQ(s.readout[1].text, "    Z " + expected);
    EXPECT_NE(s.readout[1].text.find(z.imag() > 0 ? "L " : "C "), std::string::npos);
}

TEST_F(Scene, TheMouseReadsTheNearestPointOnThePlot)
{
    sweepOf(11, 10000000, 20000000);
    w.ClearPlot();
    w.CheckMachineStatus(); // axes shown, names and units in place
    auto pass = DevicePass(w, 1);
    w.cal.MeasMode = 1;
    w.disp.DisplayCode = 10;
    w.RefreshScales();
    pass.resize(6); // points 1..6 measured so far
    plotPass(pass);

    display::PlotScene s = scene();
    EXPECT_EQ(display::NearestPoint(s, 13.4e6, 0), 4);
    EXPECT_EQ(display::NearestPoint(s, 19e6, 0), 6); // beyond the present point nothing is shown
    const std::string text = display::PointText(s, 4);
    EXPECT_EQ(text.rfind("13.000000 MHz   ", 0), 0u) << text;
    EXPECT_NE(text.find(w.controls().at("Y1Label").caption() + " "), std::string::npos) << text;
    EXPECT_NE(text.find(" ohm"), std::string::npos) << text;
    EXPECT_EQ(display::PointText(s, 8), "");

    chooseDisplay(1, "Smith,");
    plotPass(DevicePass(w, 1));
    s = scene();
    const auto g = Gamma(SeriesRlc(w.sweep.FreqList[7]));
    EXPECT_EQ(display::NearestPoint(s, g.real() + 0.001, g.imag() - 0.001), 7);
    EXPECT_NE(display::PointText(s, 7).find("   Z "), std::string::npos);
}

TEST(SeriesEquivalent, ResistanceReactanceAndTheInductanceOrCapacitance)
{
    auto gamma = [](std::complex<double> z) { return (z - 50.0) / (z + 50.0); };
    const double f = 10e6, omega = 2 * 3.14159265358979323846 * f;

    display::SeriesEquivalent z = display::SeriesEquivalentOf(0, 0, 50, f);
    EXPECT_NEAR(z.r, 50, 1e-9);
    EXPECT_NEAR(z.x, 0, 1e-9);
    EXPECT_EQ(display::SeriesEquivalentText(z), "50.0 + j0.0 ohm");

    const auto inductive = gamma({20, omega * 1e-6});
    z = display::SeriesEquivalentOf(inductive.real(), inductive.imag(), 50, f);
    EXPECT_NEAR(z.henry, 1e-6, 1e-15);
    EXPECT_EQ(z.farad, 0);
    EXPECT_EQ(display::SeriesEquivalentText(z), "20.0 + j62.8 ohm   L 1.00 \xC2\xB5H");

    const auto capacitive = gamma({75, -1 / (omega * 470e-12)});
    z = display::SeriesEquivalentOf(capacitive.real(), capacitive.imag(), 50, f);
    EXPECT_NEAR(z.farad, 470e-12, 1e-20);
    EXPECT_EQ(display::SeriesEquivalentText(z, ','), "75,0 - j33,9 ohm   C 470 pF");

    EXPECT_FALSE(display::SeriesEquivalentOf(1, 0, 50, f).finite);
    EXPECT_EQ(display::SeriesEquivalentText(display::SeriesEquivalentOf(1, 0, 50, f)), "open circuit");

    EXPECT_EQ(display::EngineeringText(1.2345e-6, "H"), "1.23 \xC2\xB5H");
    EXPECT_EQ(display::EngineeringText(999.7, "F"), "1.00 kF");
    EXPECT_EQ(display::EngineeringText(0.0156, "s", ','), "15,6 ms");
}

} // namespace
} // namespace orbilan::test
