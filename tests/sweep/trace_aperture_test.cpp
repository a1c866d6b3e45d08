// The trace store and the group-delay aperture window.
#include "window_fixture.h"

namespace orbilan::test {
namespace {

class ApertureTest : public SweepWindowTest {
protected:
    ApertureTest()
    {
        // A sweep of 1 to 2 MHz in 100 steps on the plot's axis.
        window.settings.SweepPoints = 101;
        window.disp.XLeft = 1000000;
        window.disp.XRight = 2000000;
    }
    void choose(int option, const std::string& hz = {})
    {
        click("GDwindowButton");
        click("GDAselect", option);
        if (option == 0)
            ctl("GDAHzBox").setText(hz);
        click("GDwindowOKbutton");
    }
    void expectRefused(const std::string& currently)
    {
        ASSERT_FALSE(platform.dialogs().empty());
        const auto& d = platform.dialogs().back();
        EXPECT_EQ(d.title, "Aperture range: 1Hz - 10% of sweep");
        EXPECT_EQ(d.text, "Currently " + currently + "Hz. Please re-enter");
        EXPECT_TRUE(ctl("GDwindowFrame").visible());
    }
};

TEST_F(ApertureTest, OpeningShowsTheCurrentAperture)
{
    ctl("SweepFrame").setVisible(true);
    click("GDwindowButton");
    EXPECT_FALSE(ctl("SweepFrame").visible());
    EXPECT_FALSE(ctl("GDwindowButton").visible());
    EXPECT_TRUE(ctl("GDwindowFrame").visible());
    EXPECT_EQ(ctl("GDAHzBox").text(), "1000");
    EXPECT_EQ(ctl("GDAselect", 2).value(), 1);
}

TEST_F(ApertureTest, OneStepAndHalfAPercentOfTheSpan)
{
    choose(2);
    EXPECT_EQ(window.sweep.GdApertureHz, 10000);
    EXPECT_FALSE(ctl("GDwindowFrame").visible());
    choose(1);
    EXPECT_EQ(window.sweep.GdApertureHz, 5000);
    EXPECT_TRUE(platform.dialogs().empty());
}

TEST_F(ApertureTest, TypedApertureBetweenOneHertzAndATenthOfTheSpan)
{
    choose(0, "150000");
    expectRefused("150000");
    EXPECT_EQ(window.sweep.GdApertureHz, 1000);
    choose(0, "100000");
    EXPECT_EQ(window.sweep.GdApertureHz, 100000);
    choose(0, "0.4");
    expectRefused("0");
    choose(0, "0.6");
    EXPECT_EQ(window.sweep.GdApertureHz, 1);
    EXPECT_EQ(platform.dialogs().size(), 2u);
}

TEST_F(ApertureTest, WhatCannotBeComputedIsRefused)
{
    choose(0, "abc");
    expectRefused("0");
    choose(0, "1e40");
    expectRefused("1E+40");
    window.settings.SweepPoints = 1; // one step of a single frequency
    choose(2);
    expectRefused("0");
    EXPECT_EQ(window.sweep.GdApertureHz, 1000);
}

TEST_F(ApertureTest, CancelKeepsTheAperture)
{
    click("GDwindowButton");
    click("GDAselect", 1);
    click("GDwindowCancelbutton");
    EXPECT_FALSE(ctl("GDwindowFrame").visible());
    EXPECT_EQ(window.sweep.GdApertureHz, 1000);
}

TEST_F(SweepWindowTest, StoreCopiesTheTracesAndAStepChangeEmptiesIt)
{
    window.settings.SweepPoints = 3;
    for (int i = 1; i <= 3; ++i) {
        window.disp.Y1Trace[static_cast<std::size_t>(i)] = -10.0 * i;
        window.disp.Y2Trace[static_cast<std::size_t>(i)] = 45.0 * i;
    }
    window.disp.Y1Trace[4] = 99;
    EXPECT_EQ(ctl("TraceStatusLabel").caption(), "(none)");
    EXPECT_FALSE(ctl("DisplayMemory").visible());

    click("TraceSave");
    EXPECT_EQ(window.disp.StoredY1[2], -20.0);
    EXPECT_EQ(window.disp.StoredY2[3], 135.0);
    EXPECT_EQ(window.disp.StoredY1[4], 0.0); // only the points of the sweep
    EXPECT_EQ(ctl("TraceStatusLabel").caption(), "Stored");
    EXPECT_EQ(ctl("TraceStatusLED").backColour(), 0x00FF00u);
    EXPECT_TRUE(ctl("DisplayMemory").visible());

    click("DisplayMemory");
    EXPECT_EQ(ctl("DisplayMemory").caption(), "Hide");
    // Opening the sweep panel takes the overlay off.
    openPanel();
    EXPECT_EQ(ctl("DisplayMemory").caption(), "Show");

    enterInList("StepsButton", "NumberOfSteps", "20");
    EXPECT_EQ(ctl("TraceStatusLabel").caption(), "(none)");
    EXPECT_EQ(ctl("TraceStatusLED").backColour(), 0xC0C0C0u);
    EXPECT_FALSE(ctl("DisplayMemory").visible());
    EXPECT_FALSE(ctl("TraceSave").enabled());
    EXPECT_EQ(ctl("MarkerOn").caption(), "Markers On");
}

} // namespace
} // namespace orbilan::test
