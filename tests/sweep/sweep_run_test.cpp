// Sweeps that run: pause and resume at the point after the stop, a single
// sweep that completes an interrupted pass, restarts, and buttons pressed
// while a pass is in progress (they run inside the pass's per-point yield).
#include <functional>

#include "display/canvas.h"
#include "window_fixture.h"

namespace orbilan::test {
namespace {

constexpr ui::Rgb White = 0xFFFFFF;

// What the sweep control showed while one point was being plotted.
struct PointSeen {
    int point;
    std::string status;
    std::string enabled;
    int whiteLamp;
};

class SweepRunTest : public SweepWindowTest {
protected:
    SweepRunTest()
    {
        window.onPointYield = [this] {
            seen.push_back({window.sweep.PointIndex, ctl("SweepStatus").caption(), enabledButtons(), whiteLamp()});
            // A copy: the action may replace itself while it runs.
            const auto action = atPoint;
            if (action)
                action(window.sweep.PointIndex, static_cast<int>(seen.size()));
        };
    }

    // A sweep of 1 to 2 MHz in `steps` steps, the sweep control ready.
    void readySweep(const std::string& steps)
    {
        openPanel();
        click("Start_End");
        typeFrequency("F1text", "1M");
        typeFrequency("F2text", "2M");
        enterInList("StepsButton", "NumberOfSteps", steps);
        click("ButtonSweepOK");
        ASSERT_TRUE(window.sweep.SweepValid);
        // The plot's axis, as a calibrated machine status sets it.
        window.disp.XLeft = window.sweep.SweepStart;
        window.disp.XRight = window.sweep.SweepEnd;
        window.deliver([&] { window.InitialiseSweep(); });
        seen.clear();
    }

    // Presses a sweep button once, when point `point` is plotted (the n-th
    // plotted point when `nth` is given).
    void pressAt(int button, int point, int nth = 0)
    {
        atPoint = [this, button, point, nth](int index, int count) {
            if (index == point && (nth == 0 || count == nth)) {
                atPoint = nullptr;
                click("SweepButton", button);
            }
        };
    }

    std::vector<int> points() const
    {
        std::vector<int> p;
        for (const auto& s : seen)
            p.push_back(s.point);
        return p;
    }
    static std::vector<int> range(int first, int last)
    {
        std::vector<int> r;
        for (int i = first; i <= last; ++i)
            r.push_back(i);
        return r;
    }
    static std::vector<int> join(std::vector<int> a, const std::vector<int>& b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

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
        for (int i = 0; i < 4; ++i)
            if (ctl("SweepLED", i).backColour() == White)
                lamp = lamp == -1 ? i : -2;
        return lamp;
    }
    void expectState(const std::string& status, const std::string& enabled, int lamp)
    {
        EXPECT_EQ(ctl("SweepStatus").caption(), status);
        EXPECT_EQ(enabledButtons(), enabled);
        EXPECT_EQ(whiteLamp(), lamp);
    }
    bool displayFunctionsOn() { return ctl("TraceSave").enabled() && ctl("SaveDataButton").enabled(); }

    std::vector<PointSeen> seen;
    std::function<void(int point, int count)> atPoint;
};

TEST_F(SweepRunTest, StopDuringAPointThenResumeAtTheNextWithoutClearing)
{
    readySweep("200");
    pressAt(2, 37);
    click("SweepButton", 1);
    EXPECT_EQ(points(), range(1, 37));
    EXPECT_EQ(seen.front().status, "Continuous Sweep");
    EXPECT_EQ(seen.front().enabled, "023");
    EXPECT_EQ(seen.front().whiteLamp, 1);
    expectState("Stopped", "013", 2);
    EXPECT_TRUE(window.sweep.StopSweep);
    EXPECT_EQ(window.sweep.ResumeIndex, 37);
    EXPECT_NE(window.cal.RawPoints[37], (cal::Complex{})); // measured on the simulated instrument
    EXPECT_FALSE(displayFunctionsOn()); // the pass was not complete
    EXPECT_EQ(ui().focused(), "SweepButton(1)");

    // The plot keeps the first 37 points: nothing clears it on a resume.
    window.disp.Y1Fresh = false;
    seen.clear();
    pressAt(2, 40);
    click("SweepButton", 1);
    EXPECT_EQ(points(), range(38, 40));
    EXPECT_FALSE(window.disp.Y1Fresh);
    expectState("Stopped", "013", 2);
}

TEST_F(SweepRunTest, SingleSweepAfterAStopCompletesThePassAndEnablesTheDisplayFunctions)
{
    readySweep("200");
    pressAt(2, 37);
    click("SweepButton", 1);
    seen.clear();

    click("SweepButton", 3);
    EXPECT_EQ(points(), range(38, 201));
    EXPECT_EQ(seen.front().status, "Single Sweep, then Stop");
    EXPECT_EQ(seen.front().enabled, "012");
    EXPECT_EQ(seen.front().whiteLamp, 3);
    expectState("Completed Sweep", "013", 2);
    EXPECT_TRUE(window.sweep.StopSweep);
    EXPECT_TRUE(window.sweep.PassDone);
    EXPECT_EQ(window.sweep.PointIndex, 0);
    EXPECT_TRUE(displayFunctionsOn());
}

TEST_F(SweepRunTest, RestartClearsThenRunsContinuously)
{
    readySweep("10");
    window.disp.Y1Fresh = false;
    pressAt(2, 3, 14); // point 3 of the second pass
    click("SweepButton", 0);
    EXPECT_EQ(points(), join(range(1, 11), range(1, 3)));
    EXPECT_EQ(seen[0].status, "New Sweep");
    EXPECT_EQ(seen[0].enabled, "023");
    EXPECT_EQ(seen[0].whiteLamp, 0);
    EXPECT_EQ(seen[11].status, "Continuous Sweep");
    EXPECT_EQ(seen[11].whiteLamp, 1);
    expectState("Stopped", "013", 2);
    EXPECT_FALSE(displayFunctionsOn());
}

TEST_F(SweepRunTest, StopInTheFirstPassOfARestartLeavesTheDisplayFunctionsOff)
{
    readySweep("10");
    click("SweepButton", 3);
    ASSERT_TRUE(displayFunctionsOn());

    seen.clear();
    pressAt(2, 5);
    click("SweepButton", 0);
    EXPECT_EQ(points(), range(1, 5));
    expectState("Stopped", "013", 2);
    EXPECT_FALSE(displayFunctionsOn());
    EXPECT_EQ(window.sweep.ResumeIndex, 5);
}

TEST_F(SweepRunTest, RestartDrawsTheShownStoredTraceOnTheClearedPlot)
{
    readySweep("10");
    click("SweepButton", 3);
    click("TraceSave");
    // Off the graticule's lines, so that the overlay shows in its own red.
    for (int i = 1; i <= 11; ++i)
        window.disp.StoredY1[static_cast<std::size_t>(i)] = -10;
    const auto redPixels = [this] {
        int n = 0;
        for (std::uint32_t p : window.plotCanvas().pixels())
            n += p == 0xFF0000 ? 1 : 0;
        return n;
    };
    int redAtFirstPoint = -1;
    const auto stopAtFirstPoint = [&](int index, int) {
        if (index == 1) {
            atPoint = nullptr;
            redAtFirstPoint = redPixels();
            click("SweepButton", 2);
        }
    };

    click("DisplayMemory");
    ASSERT_EQ(ctl("DisplayMemory").caption(), "Hide");
    ASSERT_GT(redPixels(), 0);
    atPoint = stopAtFirstPoint;
    click("SweepButton", 0);
    EXPECT_GT(redAtFirstPoint, 0);

    click("DisplayMemory"); // hidden again
    EXPECT_EQ(redPixels(), 0);
    atPoint = stopAtFirstPoint;
    click("SweepButton", 0);
    EXPECT_EQ(redAtFirstPoint, 0);
}

TEST_F(SweepRunTest, SingleSweepPressedDuringAContinuousSweepFinishesThatPass)
{
    readySweep("20");
    pressAt(3, 10);
    click("SweepButton", 1);
    // The single sweep takes over at the point after the press; the
    // continuous loop that was running ends with it.
    EXPECT_EQ(points(), range(1, 21));
    expectState("Completed Sweep", "013", 2);
    EXPECT_TRUE(displayFunctionsOn());
}

TEST_F(SweepRunTest, RestartPressedDuringASingleSweepBeginsAgainAtPointOne)
{
    readySweep("20");
    atPoint = [this](int index, int count) {
        if (index == 10 && count == 10)
            click("SweepButton", 0);
        else if (index == 4 && count == 14)
            click("SweepButton", 2);
    };
    click("SweepButton", 3);
    EXPECT_EQ(points(), join(range(1, 10), range(1, 4)));
    expectState("Stopped", "013", 2);
    EXPECT_FALSE(window.sweep.SingleSweep);
}

TEST_F(SweepRunTest, OpeningThePanelHaltsTheSweepAfterTheCurrentPoint)
{
    readySweep("20");
    atPoint = [this](int index, int) {
        if (index == 7) {
            atPoint = nullptr;
            openPanel();
        }
    };
    click("SweepButton", 1);
    EXPECT_EQ(points(), range(1, 7));
    EXPECT_TRUE(window.sweep.StopSweep);
    EXPECT_EQ(window.sweep.ResumeIndex, 7);
    EXPECT_TRUE(ctl("SetupSweep").visible());
    EXPECT_FALSE(ctl("SweepFrame").visible());
    // The captions are left as they were.
    EXPECT_EQ(ctl("SweepStatus").caption(), "Continuous Sweep");
}

TEST_F(SweepRunTest, ASingleFrequencyIsMeasuredOverAndOver)
{
    openPanel();
    click("SingleFreqSweep");
    typeFrequency("F1text", "10M");
    click("ButtonSweepOK");
    ASSERT_EQ(window.settings.SweepPoints, 1);
    window.deliver([&] { window.InitialiseSweep(); });
    seen.clear();

    pressAt(2, 1, 5);
    click("SweepButton", 1);
    EXPECT_EQ(points(), std::vector<int>(5, 1));
    expectState("Stopped", "013", 2);
    // At a single frequency the display functions stay off.
    EXPECT_FALSE(displayFunctionsOn());
}

} // namespace
} // namespace orbilan::test
