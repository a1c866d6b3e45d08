// Choosing a display type, entering scale values and autoscale.
#include "display_window.h"

#include "display/scales.h"

namespace orbilan::test {
namespace {

class Scales : public DisplayWindow {
protected:
    void SetUp() override
    {
        sweepOf(11, 1000000, 11000000);
        chooseDisplay(0, "dB,deg");
    }
    // Types a value into a scale list and leaves it, as a user does.
    void enter(const std::string& list, const std::string& text)
    {
        auto& box = w.controls().at(list);
        box.setVisible(true);
        box.setText(text);
        w.controls().dispatch(list, -1, ui::Event::LostFocus);
    }
    int key(const std::string& list, char k)
    {
        ui::EventArgs args;
        args.key = k;
        w.controls().dispatch(list, -1, ui::Event::KeyPress, args);
        return args.key;
    }
    void fill(app::TraceArray& trace, double from, double to)
    {
        for (int k = 1; k <= w.settings.SweepPoints; ++k)
            trace[static_cast<std::size_t>(k)] = from + (to - from) * (k - 1) / (w.settings.SweepPoints - 1);
    }
};

TEST_F(Scales, ChoosingADisplayTypeSetsItsNamesDefaultsAndLists)
{
    EXPECT_EQ(w.disp.DisplayCode, 0);
    EXPECT_EQ(caption("DisplayLabel"), "dB,deg");
    EXPECT_EQ(caption("PlotOption", 0), "dB");
    EXPECT_EQ(caption("PlotOption", 1), "deg");
    EXPECT_EQ(caption("Y1Hi"), "40.0");
    EXPECT_EQ(caption("Y1Scale"), "20.0");
    EXPECT_EQ(caption("Y1Lo"), "-120");
    EXPECT_EQ(caption("Y2Lo"), "-180");
    EXPECT_EQ(caption("Y1div"), "dB  /div");
    EXPECT_EQ(caption("SingleY1Units"), "dB");
    EXPECT_EQ(caption("SingleY1Lo"), "-120");
    EXPECT_EQ(w.disp.Y1ClickHistory, 21);
    EXPECT_EQ(w.controls().at("Y1HiCombo").list().size(), 12u);
    EXPECT_FALSE(w.controls().at("displaycombo").visible());
    EXPECT_TRUE(w.controls().at("DisplayButton").visible());

    chooseDisplay(1, "rho,deg");
    EXPECT_EQ(w.disp.DisplayCode, 11);
    EXPECT_EQ(w.disp.Y1Top, 1);
    EXPECT_EQ(caption("Y1Hi"), "1.0");
    EXPECT_EQ(caption("Y1Scale"), "0.125");
    EXPECT_EQ(caption("Y1div"), "    /div");
    EXPECT_EQ(w.disp.PlotSelection, 3);
}

TEST_F(Scales, SwrShowsOnlyY1AndSmithNoScalesAtAll)
{
    chooseDisplay(1, "SWR,");
    EXPECT_EQ(w.disp.DisplayCode, 14);
    EXPECT_EQ(caption("DisplayLabel"), "SWR");
    EXPECT_EQ(w.disp.PlotSelection, 1);
    EXPECT_FALSE(w.controls().at("plotframe").visible());
    EXPECT_TRUE(w.controls().at("FreqUnits").visible());
    EXPECT_EQ(caption("Y1div"), "    /div");
    EXPECT_EQ(caption("SingleY1Units"), "");
    EXPECT_FALSE(w.controls().at("Y2Hi").visible());
    EXPECT_FALSE(w.controls().at("Ycolour", 2).visible());

    chooseDisplay(1, "Smith,");
    EXPECT_EQ(w.disp.DisplayCode, 16);
    EXPECT_EQ(caption("DisplayLabel"), "Smith");
    EXPECT_FALSE(w.controls().at("Y1Hi").visible());
    EXPECT_FALSE(w.controls().at("Y2Hi").visible());
    EXPECT_FALSE(w.controls().at("FreqUnits").visible());
    // The Smith chart's grid is on the plot, not the graticule.
    EXPECT_EQ(plot().pixel(40, 100), 0u);
}

TEST_F(Scales, SmithIsRefusedAtASingleFrequencyAndTheTypeStays)
{
    chooseDisplay(1, "rho,deg");
    w.sweep.SingleFreqMode = true;
    chooseDisplay(1, "Smith,");
    EXPECT_EQ(w.disp.DisplayCode, 11);
    EXPECT_EQ(caption("DisplayLabel"), "rho,deg");
    EXPECT_EQ(caption("Y1div"), "    /div");
    EXPECT_FALSE(w.controls().at("displaycombo").visible());
    EXPECT_TRUE(w.controls().at("DisplayButton").visible());
    EXPECT_TRUE(w.controls().at("DisplayButton").enabled());
}

TEST_F(Scales, TopThenAnIncompatibleBottomRestoresTheScale)
{
    enter("Y1HiCombo", "10");
    EXPECT_EQ(w.disp.Y1Top, 10);
    EXPECT_EQ(w.disp.Y1Bottom, -150);
    EXPECT_EQ(caption("Y1Hi"), "10");
    EXPECT_EQ(caption("Y1Lo"), "-150");

    platform.clearDialogs();
    enter("Y1LoCombo", "20");
    EXPECT_EQ(w.disp.Y1ClickHistory, 13);
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"Incompatible max-div-min values"}));
    EXPECT_EQ(w.disp.Y1Top, 10);
    EXPECT_EQ(w.disp.Y1Bottom, -150);
    EXPECT_EQ(caption("Y1Hi"), "10.0");
    EXPECT_EQ(caption("Y1Lo"), "-150");
    EXPECT_EQ(caption("Y1Scale"), "20.0");
    // The refused entry does not come back on the next refresh.
    platform.clearDialogs();
    enter("Y2HiCombo", "90");
    EXPECT_TRUE(platform.messageTexts().empty());
    EXPECT_EQ(w.disp.Y1Top, 10);
    EXPECT_EQ(w.disp.Y2Top, 90);
}

TEST_F(Scales, RepeatingAnEntryOfTheSameKindKeepsTheHistory)
{
    enter("Y1ScaleCombo", "10");
    EXPECT_EQ(w.disp.Y1ClickHistory, 12);
    EXPECT_EQ(w.disp.Y1Bottom, -40);
    enter("Y1ScaleCombo", "5");
    EXPECT_EQ(w.disp.Y1ClickHistory, 12);
    EXPECT_EQ(w.disp.Y1Top, 40);
    EXPECT_EQ(w.disp.Y1Bottom, 0);
    EXPECT_EQ(w.controls().at("Temp1").text(), "12");
    enter("Y1LoCombo", "-20");
    EXPECT_EQ(w.disp.Y1ClickHistory, 23);
    EXPECT_EQ(w.disp.Y1Bottom, -20);
    EXPECT_EQ(w.disp.Y1Top, 20);
    EXPECT_EQ(caption("Y1Hi"), "20.0");
}

TEST_F(Scales, BadEntriesAreRefusedWithTheirMessages)
{
    platform.clearDialogs();
    enter("Y1ScaleCombo", "0");
    enter("Y2HiCombo", "1.2.3");
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{"Only +ve non-zero values allowed", "Error in scale entry"}));
    EXPECT_EQ(w.disp.Y1DivSet, 20);
    EXPECT_EQ(w.disp.Y2HiSet, 180);
    EXPECT_EQ(w.controls().at("Y1ScaleCombo").text(), "");
    EXPECT_FALSE(w.controls().at("Y2HiCombo").visible());
    // An empty entry just closes the list.
    platform.clearDialogs();
    enter("Y1LoCombo", " ");
    EXPECT_TRUE(platform.messageTexts().empty());
    EXPECT_FALSE(w.controls().at("Y1LoCombo").visible());

    // Minus cannot be typed into a per-division list; Enter applies.
    EXPECT_EQ(key("Y1ScaleCombo", '-'), 0);
    EXPECT_EQ(key("Y1ScaleCombo", '5'), '5');
    EXPECT_EQ(key("Y1ScaleCombo", 'e'), 0);
    EXPECT_EQ(key("Y1ScaleCombo", '\b'), 0);
    EXPECT_EQ(key("Y1HiCombo", '-'), '-');
    EXPECT_EQ(key("Y1HiCombo", '+'), '+');
    auto& box = w.controls().at("Y1HiCombo");
    box.setVisible(true);
    box.setText("30");
    EXPECT_EQ(key("Y1HiCombo", '\r'), 0);
    EXPECT_EQ(w.disp.Y1Top, 30);
    EXPECT_FALSE(box.visible());
}

TEST_F(Scales, PickingAListEntryAppliesIt)
{
    auto& box = w.controls().at("Y2ScaleCombo");
    box.setVisible(true);
    box.setListIndex(1); // 22.5
    w.controls().dispatch("Y2ScaleCombo", -1, ui::Event::Click);
    EXPECT_FLOAT_EQ(w.disp.Y2DivSet, 22.5f);
    EXPECT_EQ(w.disp.Y2Bottom, 0);
    EXPECT_EQ(caption("Y2Scale"), "22.5");
}

TEST_F(Scales, DecimalCommaLocaleListsAndEntries)
{
    platform.setDecimalSeparator(',');
    chooseDisplay(0, "dB,deg");
    const auto& list = w.controls().at("Y1ScaleCombo").list();
    EXPECT_EQ(list, (std::vector<std::string>{"20", "10", "5", "2", "1", "0,5", "0,2", "0,1"}));
    EXPECT_EQ(w.controls().at("Y2ScaleCombo").list()[1], "22,5");
    enter("Y1ScaleCombo", "2,5");
    EXPECT_FLOAT_EQ(w.disp.Y1DivSet, 2.5f);
    EXPECT_EQ(w.disp.Y1Bottom, 20);
    EXPECT_EQ(caption("Y1Lo"), "20,0");
}

TEST_F(Scales, ScaleButtonsOpenTheirListOnlyWhenReadyAndStopped)
{
    w.cal.MeasMode = 0;
    w.cal.TransCalValid = false;
    w.sweep.StopSweep = true;
    w.controls().userClick("Y1Hi");
    EXPECT_FALSE(w.controls().at("Y1HiCombo").visible());
    w.cal.TransCalValid = true;
    w.sweep.StopSweep = false;
    w.controls().userClick("Y1Hi");
    EXPECT_FALSE(w.controls().at("Y1HiCombo").visible());
    w.sweep.StopSweep = true;
    w.controls().userClick("Y1Hi");
    EXPECT_TRUE(w.controls().at("Y1HiCombo").visible());
}

TEST_F(Scales, AutoscaleFitsThenFullRangeAndTheCaptionAlternates)
{
    fill(w.disp.Y1Trace, -3, -50);
    fill(w.disp.Y2Trace, -170, 175);
    w.controls().userClick("ScaleControl");
    EXPECT_EQ(caption("ScaleControl"), "Max Range");
    EXPECT_FLOAT_EQ(w.disp.Y1Top, -2.85f);
    EXPECT_FLOAT_EQ(w.disp.Y1Bottom, -52.5f);
    EXPECT_EQ(caption("Y1Hi"), "-2.85");
    EXPECT_EQ(caption("Y1Scale"), "6.206");
    EXPECT_EQ(caption("Y1Lo"), "-52.5");
    EXPECT_EQ(w.disp.Y2Top, 180);
    EXPECT_EQ(w.disp.Y2Bottom, -180);
    EXPECT_FLOAT_EQ(w.disp.Y1HiSet, -2.85f);
    EXPECT_EQ(w.disp.Y1ClickHistory, 21);

    w.controls().userClick("ScaleControl");
    EXPECT_EQ(caption("ScaleControl"), "Autoscale");
    EXPECT_EQ(w.disp.Y1Top, 40);
    EXPECT_EQ(w.disp.Y1Bottom, -120);
}

TEST_F(Scales, AutoscaleWithY2SelectedLeavesY1)
{
    fill(w.disp.Y1Trace, -3, -50);
    fill(w.disp.Y2Trace, 10, 20);
    w.PlotOption_Click(1);
    w.ScaleControl_Click();
    EXPECT_EQ(w.disp.Y1Top, 40);
    EXPECT_FLOAT_EQ(w.disp.Y2Top, 21);
    EXPECT_FLOAT_EQ(w.disp.Y2Bottom, 9.5f);
}

TEST_F(Scales, ImpedanceAboveTenThousandKeepsTheStartMinimum)
{
    chooseDisplay(1, "|Z|,deg");
    fill(w.disp.Y1Trace, 12000, 20000);
    w.ScaleControl_Click();
    EXPECT_FLOAT_EQ(w.disp.Y1Top, 21000);
    EXPECT_FLOAT_EQ(w.disp.Y1Bottom, 9500);
    w.ScaleControl_Click();
    EXPECT_EQ(w.disp.Y1Top, 10000); // the full range, not the 8000 default
}

TEST_F(Scales, AFlatTraceFitsToNothingAndTheNextEntryRecoversTheFullRange)
{
    fill(w.disp.Y1Trace, 0, 0);
    fill(w.disp.Y2Trace, 0, 0);
    w.ScaleControl_Click();
    EXPECT_EQ(w.disp.Y1Top, 0);
    EXPECT_EQ(w.disp.Y1Bottom, 0);
    platform.clearDialogs();
    enter("Y1HiCombo", "10");
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"Incompatible max-div-min values"}));
    EXPECT_EQ(caption("ScaleControl"), "Autoscale");
    EXPECT_EQ(w.disp.Y1Top, 40);
    EXPECT_EQ(w.disp.Y1Bottom, -120);
    EXPECT_EQ(caption("Y1Hi"), "40.0");
}

TEST_F(Scales, AutoscaleRedrawsWithoutRemnantsAndKeepsMarkersAndStoredTrace)
{
    sweepOf(101, 1000000, 30000000);
    w.ClearPlot();
    plotPass(DevicePass(w, 0));
    for (std::size_t k = 1; k <= 101; ++k) {
        w.disp.StoredY1[k] = w.disp.Y1Trace[k] - 2;
        w.disp.StoredY2[k] = w.disp.Y2Trace[k] - 10;
    }
    w.controls().at("DisplayMemory").setCaption("Hide");
    w.DrawStoredTrace();
    w.MarkerOn_Click();
    w.Marker_click(3);
    w.ScaleControl_Click();

    // The same picture drawn from scratch at the fitted scale.
    TestPlatform freshPlatform;
    app::MainWindow fresh{freshPlatform};
    SweepOf(fresh, 101, 1000000, 30000000);
    fresh.disp.Y1Top = w.disp.Y1Top;
    fresh.disp.Y1Bottom = w.disp.Y1Bottom;
    fresh.disp.Y2Top = w.disp.Y2Top;
    fresh.disp.Y2Bottom = w.disp.Y2Bottom;
    fresh.ClearPlot();
    fresh.controls().at("Y1div").setCaption("dB  /div");
    PlotPass(fresh, DevicePass(fresh, 0));
    fresh.disp.StoredY1 = w.disp.StoredY1;
    fresh.disp.StoredY2 = w.disp.StoredY2;
    fresh.DrawStoredTrace();
    fresh.disp.MarkerPos = w.disp.MarkerPos;
    fresh.controls().at("Markers").setVisible(true);
    fresh.UpdateMarkers();
    EXPECT_EQ(pixels(), fresh.plotCanvas().pixels());
}

} // namespace
} // namespace orbilan::test
