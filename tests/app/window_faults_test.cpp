// Faults a new user met in the window, each replayed through UserInput as he
// met it: what the window showed afterwards must agree with what it does.
#include <gtest/gtest.h>

#include "app/user_input.h"
#include "display/canvas.h"
#include "sim_window.h"

using namespace orbilan;

namespace {

class WindowFaults : public test::SimWindowTest {
protected:
    app::MainWindow& w = *window;
    app::UserInput in{w};

    void act(const std::string& refused) { ASSERT_EQ(refused, ""); }
    const std::string& caption(const std::string& name) { return w.controls().at(name).caption(); }

    void setSweep(const std::string& start, const std::string& end, const std::string& steps)
    {
        act(in.click("SetSweepButton"));
        act(in.type("F1text", start));
        act(in.type("F2text", end));
        act(in.click("StepsButton"));
        act(in.type("NumberOfSteps", steps));
        act(in.click("ButtonSweepOK"));
    }
    void calibrate(int mode)
    {
        act(in.click("ModeButton(" + std::to_string(mode) + ")"));
        for (int i = 0; i < (mode == 1 ? 3 : 2); ++i)
            platform.queue(ui::Answer::ok());
        platform.queue(ui::Answer::no()); // not saved now
        act(in.click("CalibrateButton"));
    }
    void display(const std::string& entry)
    {
        act(in.click("DisplayButton"));
        act(in.choose("displaycombo", entry));
    }
    // Pixels in the stored trace's colours, alone or crossing the grid.
    int storedColoured() const
    {
        const std::uint32_t grid = w.settings.GraticuleColour;
        int n = 0;
        for (std::uint32_t p : w.plotCanvas().pixels())
            for (std::uint32_t stored : {0xFF0000u, 0x00FF00u})
                n += p == stored || p == (stored ^ grid);
        return n;
    }
};

TEST_F(WindowFaults, AStoredTraceOfAnotherDisplayLeavesNothingBehindAutoscale)
{
    REQUIRE_SIMULATOR();
    setSweep("1M", "30M", "100");
    calibrate(1);
    for (const char* other : {"|Z|,deg", "SWR,"}) {
        display("Smith,");
        act(in.click("SweepButton(3)"));
        act(in.click("TraceSave"));
        act(in.click("DisplayMemory"));
        ASSERT_TRUE(w.storedTraceOnPlot());

        // The stored reflection coefficients mean nothing on another display.
        display(other);
        EXPECT_FALSE(w.storedTraceOnPlot());
        EXPECT_EQ(caption("DisplayMemory"), "Show");
        act(in.click("SweepButton(3)"));
        act(in.click("ScaleControl"));
        EXPECT_FALSE(w.storedTraceOnPlot()) << other;
        EXPECT_EQ(storedColoured(), 0) << other;
    }
}

TEST_F(WindowFaults, TheOverlayFollowsItsButtonWhateverClearedThePlot)
{
    REQUIRE_SIMULATOR();
    setSweep("1M", "30M", "50");
    calibrate(1);
    act(in.click("SweepButton(3)"));
    act(in.click("TraceSave"));
    act(in.click("DisplayMemory"));
    ASSERT_TRUE(w.storedTraceOnPlot());
    // A new plot selection clears the plot; the overlay the button calls shown comes back.
    act(in.click("PlotOption(0)"));
    EXPECT_TRUE(w.storedTraceOnPlot());
    EXPECT_GT(storedColoured(), 50);
    // The aperture-free mode change clears it for good: its button reads Show.
    act(in.click("ModeButton(0)"));
    EXPECT_FALSE(w.storedTraceOnPlot());
    EXPECT_EQ(caption("DisplayMemory"), "Show");
}

TEST_F(WindowFaults, AfterACalibrationTheAxesAreNamedByTheDisplayInForce)
{
    REQUIRE_SIMULATOR();
    setSweep("1M", "10M", "20");
    calibrate(1);
    EXPECT_EQ(w.disp.DisplayCode, 10);
    EXPECT_EQ(caption("DisplayLabel"), "|Z|,deg");
    EXPECT_EQ(caption("Y1Label"), "|Z|");
    EXPECT_EQ(caption("Y2Label"), "deg");
    EXPECT_EQ(w.controls().at("PlotOption", 0).caption(), "|Z|");

    // The chooser's last choice comes back after a calibration: the label says which.
    display("Rs,Xs");
    calibrate(1);
    EXPECT_EQ(w.disp.DisplayCode, 12);
    EXPECT_EQ(caption("DisplayLabel"), "Rs,Xs");
    EXPECT_EQ(caption("Y1Label"), "Rs");
    EXPECT_EQ(caption("Y2Label"), "Xs");

    calibrate(0);
    EXPECT_EQ(w.disp.DisplayCode, 0);
    EXPECT_EQ(caption("Y1Label"), "dB");
    EXPECT_EQ(caption("Y2Label"), "deg");
}

TEST_F(WindowFaults, ACancelledKindOfSweepLeavesTheSweepAsItWas)
{
    REQUIRE_SIMULATOR();
    setSweep("1M", "30M", "10");
    calibrate(1);
    ASSERT_FALSE(w.controls().at("FreqMid").visible());

    // Centre+Span chosen and cancelled: no centre caption showing the start.
    act(in.click("SetSweepButton"));
    act(in.click("Centre_Span"));
    act(in.click("FreqCancel"));
    EXPECT_EQ(w.sweep.SweepKind, 1);
    EXPECT_EQ(w.sweep.SweepF1, 1000000);
    EXPECT_FALSE(w.controls().at("FreqMid").visible());
    EXPECT_TRUE(w.controls().at("FixX0").enabled());

    // Single Freq chosen and cancelled: the swept display stays, and a sweep
    // measures the list, not single-frequency bars over it.
    act(in.click("SetSweepButton"));
    act(in.click("SingleFreqSweep"));
    act(in.click("FreqCancel"));
    EXPECT_FALSE(w.sweep.SingleFreqMode);
    EXPECT_FALSE(w.controls().at("SingleDisplayFrame").visible());
    EXPECT_EQ(w.settings.SweepPoints, 11);
    act(in.click("SweepButton(3)"));
    EXPECT_EQ(caption("SweepStatus"), "Completed Sweep");
    EXPECT_TRUE(w.controls().at("ScaleControl").enabled()); // the display functions of a swept pass
    EXPECT_EQ(w.disp.Y1Drawn, 11);
}

} // namespace
