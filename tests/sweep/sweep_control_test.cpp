// The sweep control: the four buttons, their lamps and status captions, and
// the display and data functions they switch.
#include "window_fixture.h"

namespace orbilan::test {
namespace {

constexpr ui::Rgb White = 0xFFFFFF;
constexpr ui::Rgb Grey = 0xC0C0C0;

class SweepControlTest : public SweepWindowTest {
protected:
    // Which buttons are enabled, and which lamp is white (-1 none, -2 several).
    std::string enabledButtons()
    {
        std::string s;
        for (int i = 0; i < 4; ++i)
            if (ctl("SweepButton", i).enabled())
                s += static_cast<char>('0' + i);
        return s;
    }
    int whiteLamp()
    {
        int lamp = -1;
        for (int i = 0; i < 4; ++i) {
            const ui::Rgb colour = ctl("SweepLED", i).backColour();
            EXPECT_TRUE(colour == White || colour == Grey);
            if (colour == White)
                lamp = lamp == -1 ? i : -2;
        }
        return lamp;
    }
};

TEST_F(SweepControlTest, InitialiseBringsTheReadyState)
{
    window.sweep.StopSweep = false;
    window.sweep.PassDone = true;
    window.sweep.PointIndex = 12;
    window.sweep.ResumeIndex = 12;
    window.deliver([&] { window.InitialiseSweep(); });

    EXPECT_TRUE(ctl("SweepFrame").visible());
    EXPECT_EQ(ctl("SweepStatus").caption(), "Ready");
    EXPECT_EQ(enabledButtons(), "013");
    EXPECT_EQ(whiteLamp(), 2);
    EXPECT_TRUE(window.sweep.StopSweep);
    EXPECT_FALSE(window.sweep.PassDone);
    EXPECT_EQ(window.sweep.PointIndex, 0);
    EXPECT_EQ(window.sweep.ResumeIndex, 0);
    EXPECT_EQ(ui().focused(), "SweepButton(1)");
}

TEST_F(SweepControlTest, StopAfterACompletePassTurnsTheDisplayFunctionsOn)
{
    window.deliver([&] { window.InitialiseSweep(); });
    window.sweep.PassDone = true;
    click("SweepButton", 2);
    EXPECT_EQ(ctl("SweepStatus").caption(), "Stopped");
    EXPECT_EQ(enabledButtons(), "013");
    EXPECT_EQ(whiteLamp(), 2);
    EXPECT_TRUE(ctl("TraceSave").enabled());
    EXPECT_TRUE(ctl("SaveDataButton").enabled());
    EXPECT_TRUE(ctl("MarkerOn").enabled());

    // Not after an incomplete one, and never at a single frequency.
    window.sweep.PassDone = false;
    click("SweepButton", 2);
    EXPECT_FALSE(ctl("TraceSave").enabled());
    EXPECT_TRUE(ctl("TraceSave").visible());
    window.sweep.PassDone = true;
    window.sweep.SingleFreqMode = true;
    click("SweepButton", 2);
    EXPECT_FALSE(ctl("TraceSave").enabled());
}

TEST_F(SweepControlTest, DisplayFunctionsFollowTheDisplayType)
{
    window.disp.DisplayCode = 0;
    window.deliver([&] { window.SweepFrameFunctionsOn(); });
    EXPECT_TRUE(ctl("plotframe").visible());
    EXPECT_TRUE(ctl("plotframe").enabled());
    EXPECT_TRUE(ctl("PlotOption", 2).enabled());
    EXPECT_TRUE(ctl("Y2Scale").enabled());
    EXPECT_TRUE(ctl("Markers").enabled());

    window.deliver([&] { window.SweepFrameFunctionsOff(); });
    EXPECT_TRUE(ctl("plotframe").visible());
    EXPECT_FALSE(ctl("plotframe").enabled());
    EXPECT_FALSE(ctl("Y1Hi").enabled());
    EXPECT_FALSE(ctl("ScaleControl").enabled());
    EXPECT_TRUE(ctl("ScaleControl").visible());

    // SWR and the Smith chart have no second quantity to choose.
    window.disp.DisplayCode = 16;
    window.deliver([&] { window.SweepFrameFunctionsOn(); });
    EXPECT_FALSE(ctl("plotframe").visible());
    EXPECT_TRUE(ctl("Y1Lo").enabled());
}

TEST_F(SweepControlTest, ABackgroundClickClosesTheScaleLists)
{
    for (const char* list : {"Y1HiCombo", "Y2LoCombo"})
        window.c(list).setVisible(true);
    click("MainWindow");
    EXPECT_FALSE(ctl("Y1HiCombo").visible());
    EXPECT_FALSE(ctl("Y2LoCombo").visible());
}

} // namespace
} // namespace orbilan::test
