// The trace tools on a simulated instrument, driven as a user drives them:
// Save Data as Touchstone read back by the one reader, a reference trace
// from a file shown as the stored trace, trace math on what the plot and the
// markers show, limit lines after each pass, and the marker searches.
#include <cmath>
#include <numbers>
#include <string>

#include "app/trace_tools.h"
#include "app/user_input.h"
#include "display/canvas.h"
#include "sim_window.h"
#include "touchstone/touchstone.h"
#include "ui/number_text.h"

using namespace orbilan;
using ui::Answer;

#if ORBILAN_HAVE_SIM

namespace {

class TraceToolsTest : public test::SimWindowTest {
protected:
    app::MainWindow& w = *window;
    app::TraceTools& tools = window->traceTools();
    app::UserInput input{*window};

    ui::Control& ctl(const std::string& name, int index = -1) { return w.controls().at(name, index); }
    ui::Control& tool(const std::string& name, int index = -1) { return tools.controls().at(name, index); }
    std::string state(const std::string& name) { return ui::stateValueText(*w.state().get(name)); }

    void act(const std::string& refusal) { ASSERT_EQ(refusal, "") << "refused"; }

    // The sweep panel as a user fills it in: frequencies in MHz.
    void setSweep(const std::string& startMHz, const std::string& stopMHz, int steps)
    {
        act(input.click("SetSweepButton"));
        act(input.click("Start_End"));
        act(input.type("F1text", startMHz + "m"));
        act(input.type("F2text", stopMHz + "m"));
        act(input.click("StepsButton"));
        act(input.type("NumberOfSteps", std::to_string(steps)));
        act(input.click("ButtonSweepOK"));
        ASSERT_TRUE(w.sweep.SweepValid);
    }

    void calibrate(int mode)
    {
        act(input.click("ModeButton(" + std::to_string(mode) + ")"));
        for (int i = 0; i < (mode == 1 ? 3 : 2); ++i)
            platform.queue(Answer::ok());
        platform.queue(Answer::no());
        act(input.click("CalibrateButton"));
        ASSERT_EQ(ctl("CalLabel").caption(), "Calibrated");
        platform.clearDialogs();
    }

    void singleSweep()
    {
        act(input.click("SweepButton(3)"));
        ASSERT_TRUE(w.sweep.PassDone);
    }

    void connect(const char* device) { ASSERT_EQ(kesp_sim_set_dut(device), 1) << device; }

    std::string path(const std::string& name) { return (dir.path() / name).string(); }

    // The last message box's text, "" when none was shown since the last look.
    std::string lastMessage()
    {
        const auto texts = platform.messageTexts();
        platform.clearDialogs();
        return texts.empty() ? "" : texts.back();
    }

    // Point i's frequency.
    std::int32_t hz(int i) { return w.sweep.FreqList[static_cast<std::size_t>(i)]; }
};

TEST_F(TraceToolsTest, SaveDataWritesTouchstoneThatTheReaderReadsBack)
{
    REQUIRE_SIMULATOR();
    setSweep("1", "21", 20);
    calibrate(1);
    connect("refl:R=100");

    // Before a complete pass only CSV is offered, and a Touchstone name is refused.
    platform.queue(Answer::typed(""));
    platform.queue(Answer::file(path("early.s1p")));
    w.SaveDataFile();
    EXPECT_EQ(platform.dialogs()[1].filter, "csv (.csv)|*.csv|All Files|*.*");
    EXPECT_EQ(lastMessage(), "A Touchstone file holds a complete sweep: let the sweep run to its last point first.");
    EXPECT_FALSE(std::filesystem::exists(path("early.s1p")));

    singleSweep();
    platform.queue(Answer::typed("lot 7, antenna A"));
    platform.queue(Answer::file(path("dut.s1p")));
    act(input.click("SaveDataButton"));
    ASSERT_EQ(platform.dialogs().size(), 2u);
    EXPECT_EQ(platform.dialogs()[1].filter, "csv (.csv)|*.csv|Touchstone (.s1p)|*.s1p|All Files|*.*");
    platform.clearDialogs();

    touchstone::Data data;
    std::string error;
    ASSERT_TRUE(touchstone::ReadFile(path("dut.s1p"), 1, data, error)) << error;
    ASSERT_EQ(data.hz.size(), 21u);
    EXPECT_EQ(data.z0, 50);
    for (int i = 1; i <= 21; ++i) {
        EXPECT_EQ(data.hz[static_cast<std::size_t>(i - 1)], hz(i));
        // 100 ohm against 50: rho = 1/3, to within the simulator's noise.
        EXPECT_NEAR(std::abs(data.s[static_cast<std::size_t>(i - 1)][touchstone::S11] - 1.0 / 3), 0, 2e-3);
    }
    const std::string text = test::readFile(path("dut.s1p"));
    EXPECT_EQ(text.rfind("! Orbilan software for Kesp VNA version 1.3D (Orbilan)\r\n! lot 7, antenna A\r\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("(Calibrated)\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n# HZ S RI R 50\r\n"), std::string::npos);

    // The name decides: .s2p is not a reflection's file, .csv stays the export.
    platform.queue(Answer::typed(""));
    platform.queue(Answer::file(path("dut.s2p")));
    w.SaveDataFile();
    EXPECT_EQ(lastMessage(), "A reflection sweep is saved as .s1p (S11) or .csv.");
    EXPECT_FALSE(std::filesystem::exists(path("dut.s2p")));
    platform.queue(Answer::typed(""));
    platform.queue(Answer::file(path("dut.csv")));
    w.SaveDataFile();
    EXPECT_EQ(test::readFile(path("dut.csv")).rfind("\"Orbilan software for Kesp VNA", 0), 0u);
}

TEST_F(TraceToolsTest, TransmissionSavesS21AndGroupDelayHasNoTouchstoneForm)
{
    REQUIRE_SIMULATOR();
    setSweep("1", "11", 10);
    calibrate(0);
    connect("trans:series:R=100");
    singleSweep();
    platform.queue(Answer::typed(""));
    platform.queue(Answer::file(path("pad.S2P")));
    w.SaveDataFile();
    touchstone::Data data;
    std::string error;
    ASSERT_TRUE(touchstone::ReadFile(path("pad.S2P"), 2, data, error)) << error;
    ASSERT_EQ(data.hz.size(), 11u);
    // 100 ohm in series between 50-ohm ports: S21 = 0.5; what was not measured is 0.
    EXPECT_NEAR(std::abs(data.s[4][touchstone::S21] - 0.5), 0, 2e-3);
    EXPECT_EQ(data.s[4][touchstone::S11], touchstone::Cx(0, 0));
    platform.clearDialogs();

    platform.queue(Answer::typed(""));
    platform.queue(Answer::file(path("pad.s1p")));
    w.SaveDataFile();
    EXPECT_EQ(lastMessage(), "A transmission sweep is saved as .s2p (S21) or .csv.");

    act(input.click("ModeButton(2)"));
    platform.clearDialogs();
    platform.queue(Answer::typed(""));
    platform.queue(Answer::file(path("gd.s2p")));
    w.SaveDataFile();
    EXPECT_EQ(platform.dialogs()[1].filter, "csv (.csv)|*.csv|All Files|*.*");
    EXPECT_EQ(lastMessage(), "Group delay has no Touchstone form: save it as .csv.");
    EXPECT_FALSE(std::filesystem::exists(path("gd.s2p")));
}

TEST_F(TraceToolsTest, AReferenceFileBecomesTheStoredTraceWhereItCoversTheSweep)
{
    REQUIRE_SIMULATOR();
    setSweep("1", "21", 20);
    calibrate(1);
    connect("refl:R=50");
    singleSweep();
    const ui::Image before = w.plotCanvas().image();

    // 50 ohm at 5 MHz, 100 ohm at 15 MHz; nothing outside.
    dir.write("ref.s1p", "! from another tool\n# MHz S RI R 50\n5 0 0\n15 0.333333333333333 0\n");
    platform.queue(Answer::file(path("ref.s1p")));
    act(input.click("TraceTools.LoadReference"));
    EXPECT_EQ(lastMessage(), "");
    EXPECT_EQ(state("ReferenceFile"), "ref.s1p");
    EXPECT_EQ(ctl("TraceStatusLabel").caption(), "ref.s1p");
    EXPECT_TRUE(ctl("DisplayMemory").visible());
    EXPECT_EQ(ctl("DisplayMemory").caption(), "Hide");
    EXPECT_EQ(w.disp.StoredFirst, 5);
    EXPECT_EQ(w.disp.StoredLast, 15);
    // |Z| at 10 MHz: rho halfway, 1/6, is 70 ohm (not the 75 of a straight
    // line between the impedances).
    EXPECT_NEAR(w.disp.StoredY1[10], 70, 1e-9);
    EXPECT_NEAR(w.disp.StoredY1[5], 50, 1e-9);
    EXPECT_NE(w.plotCanvas().image().pixels, before.pixels);
    // Hidden, it leaves the plot exactly as it was.
    act(input.click("DisplayMemory"));
    EXPECT_EQ(w.plotCanvas().image().pixels, before.pixels);
    act(input.click("DisplayMemory"));

    // Another display type takes the overlay off; after the next pass the
    // reference can be shown in it.
    act(input.click("DisplayButton"));
    act(input.choose("displaycombo", "rho,deg"));
    EXPECT_FALSE(ctl("DisplayMemory").visible());
    singleSweep();
    EXPECT_TRUE(ctl("DisplayMemory").visible());
    EXPECT_NEAR(w.disp.StoredY1[10], 1.0 / 6, 1e-9);
    EXPECT_FALSE(w.storedTraceOnPlot());
    act(input.click("DisplayMemory"));
    EXPECT_TRUE(w.storedTraceOnPlot());

    // Another sweep (the sweep panel takes the overlay off): converted onto
    // its points, and shown and hidden without a trace left behind.
    setSweep("1", "11", 20);
    singleSweep();
    EXPECT_FALSE(w.storedTraceOnPlot());
    EXPECT_EQ(w.disp.StoredFirst, 9); // 5 MHz in 0.5 MHz steps from 1 MHz
    const ui::Image plain = w.plotCanvas().image();
    act(input.click("DisplayMemory"));
    EXPECT_NE(w.plotCanvas().image().pixels, plain.pixels);
    act(input.click("DisplayMemory"));
    EXPECT_EQ(w.plotCanvas().image().pixels, plain.pixels);

    // Store replaces it with the sweep.
    act(input.click("TraceSave"));
    EXPECT_EQ(ctl("TraceStatusLabel").caption(), "Stored");
    EXPECT_EQ(state("ReferenceFile"), "");
    EXPECT_EQ(w.disp.StoredFirst, 1);
}

TEST_F(TraceToolsTest, ATwoPortReferenceServesBothModes)
{
    REQUIRE_SIMULATOR();
    setSweep("1", "21", 20);
    calibrate(1);
    calibrate(0);
    singleSweep();
    // S11 = 1/3 (100 ohm), S21 = 0.5 (-6.02 dB at 90 degrees).
    dir.write("pad.s2p", "# MHz S RI R 50\n1 0.333333333333333 0 0 0.5 0 0 0 0\n"
                         "21 0.333333333333333 0 0 0.5 0 0 0 0\n");
    platform.queue(Answer::file(path("pad.s2p")));
    act(input.click("TraceTools.LoadReference"));
    EXPECT_NEAR(w.disp.StoredY1[10], 20 * std::log10(0.5), 1e-9);
    EXPECT_NEAR(w.disp.StoredY2[10], 90, 1e-9);

    act(input.click("ModeButton(1)"));
    platform.clearDialogs();
    singleSweep();
    EXPECT_EQ(ctl("TraceStatusLabel").caption(), "pad.s2p");
    EXPECT_NEAR(w.disp.StoredY1[10], 100, 1e-9);
    EXPECT_EQ(tools.memory().mode, 1);
    EXPECT_TRUE(tool("TraceMath", 1).enabled());
}

TEST_F(TraceToolsTest, AReferenceThatCannotServeIsRefusedAndChangesNothing)
{
    REQUIRE_SIMULATOR();
    setSweep("1", "21", 20);
    calibrate(1);
    singleSweep();
    struct {
        const char* name;
        const char* contents;
        std::string says;
    } cases[] = {
        {"ref.txt", "# MHz S RI R 50\n5 0 0\n",
         "A reference trace is read from a Touchstone file: its name ends in .s1p or .s2p."},
        {"far.s1p", "# MHz S RI R 50\n100 0 0\n200 0 0\n",
         "far.s1p covers 100.000000 MHz to 200.000000 MHz, outside the sweep."},
        {"bad.s1p", "# MHz S RI R 50\n5 0 x\n", ": line 2: \"x\" is not a number"},
    };
    for (const auto& c : cases) {
        dir.write(c.name, c.contents);
        platform.queue(Answer::file(path(c.name)));
        act(input.click("TraceTools.LoadReference"));
        const std::string said = lastMessage();
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
        EXPECT_EQ(state("ReferenceFile"), "");
        EXPECT_EQ(ctl("TraceStatusLabel").caption(), "(none)");
    }
    // In transmission a one-port file has nothing to offer.
    setSweep("1", "21", 20);
    calibrate(0);
    singleSweep();
    dir.write("one.s1p", "# MHz S RI R 50\n5 0 0\n15 0 0\n");
    platform.queue(Answer::file(path("one.s1p")));
    act(input.click("TraceTools.LoadReference"));
    EXPECT_EQ(lastMessage(), "a one-port file holds a reflection; transmission needs a two-port (.s2p) file");
}

TEST_F(TraceToolsTest, TraceMathShowsDataAgainstMemoryAndMarkersReadIt)
{
    REQUIRE_SIMULATOR();
    setSweep("1", "41", 20);
    calibrate(1);
    setSweep("1", "21", 20); // inside the calibration: interpolated
    connect("refl:R=100");
    singleSweep();
    EXPECT_EQ(input.click("TraceTools.TraceMath(1)"), "TraceTools.TraceMath(1) is disabled");
    act(input.click("TraceSave"));
    EXPECT_TRUE(tool("TraceMath", 1).enabled());

    // 100 ohm against itself: rho 0, which the |Z| display shows as 50 ohm.
    act(input.click("TraceTools.TraceMath(1)"));
    EXPECT_EQ(state("TraceMath"), "1");
    EXPECT_EQ(tool("TraceMathStatus").caption(), "Data - Memory");
    EXPECT_NEAR(w.disp.Y1Trace[10], 50, 1);
    EXPECT_NEAR(w.cal.PointData[10].re, 100, 1) << "the measured points stay as measured";

    // 25 ohm (rho -1/3) less 100 ohm (rho 1/3): rho -2/3, 10 ohm.
    connect("refl:R=25");
    singleSweep();
    EXPECT_NEAR(w.disp.Y1Trace[10], 10, 0.3);
    act(input.click("MarkerOn"));
    EXPECT_NEAR(ui::leadingNumber(ctl("MarkerY1").caption()), w.disp.Y1Trace[1], 1e-3);
    EXPECT_NEAR(ui::leadingNumber(ctl("MarkerY1").caption()), 10, 0.3);

    // Ratio: rho -1, a short; back to the data: 25 ohm.
    act(input.click("TraceTools.TraceMath(2)"));
    EXPECT_NEAR(w.disp.Y1Trace[10], 0, 0.3);
    act(input.click("TraceTools.TraceMath(0)"));
    EXPECT_NEAR(w.disp.Y1Trace[10], 25, 0.3);

    // Another grid inside the memory: interpolated, the same device reads a match.
    act(input.click("TraceTools.TraceMath(1)"));
    setSweep("1.5", "20.5", 20);
    connect("refl:R=100");
    singleSweep();
    EXPECT_EQ(state("TraceMath"), "1");
    for (int i = 1; i <= 21; ++i)
        EXPECT_NEAR(w.disp.Y1Trace[static_cast<std::size_t>(i)], 50, 1) << "point " << i;

    // A sweep beyond the memory: the pass shows the data and says why.
    setSweep("1", "41", 20);
    singleSweep();
    EXPECT_EQ(state("TraceMath"), "0");
    EXPECT_EQ(tool("TraceMathStatus").caption(),
              "Trace math off: the memory covers 1.000000 MHz to 21.000000 MHz only");
    EXPECT_NEAR(w.disp.Y1Trace[20], 100, 1);
    act(input.click("TraceTools.TraceMath(1)"));
    EXPECT_EQ(lastMessage(), "The memory covers 1.000000 MHz to 21.000000 MHz; trace math needs it over the whole sweep.");
    EXPECT_EQ(state("TraceMath"), "0");
    EXPECT_EQ(tool("TraceMath", 0).value(), 1);
}

TEST_F(TraceToolsTest, LimitLinesAreCheckedAfterEachPassAndABadTableChangesNothing)
{
    REQUIRE_SIMULATOR();
    setSweep("1", "21", 20);
    calibrate(1);
    connect("refl:R=100"); // SWR 2 everywhere
    EXPECT_EQ(tool("LimitLabel").caption(), "No limits");

    act(input.type("TraceTools.LimitText", "upper SWR 1M 30M 2.5\nlower SWR 10m 12m 1.5"));
    act(input.click("TraceTools.ApplyLimits"));
    EXPECT_EQ(state("LimitCount"), "2");
    EXPECT_EQ(tool("LimitLabel").caption(), "Not checked yet");
    singleSweep();
    EXPECT_EQ(state("LimitStatus"), "pass");
    EXPECT_EQ(tool("LimitLED").backColour(), 0x00FF00u);
    EXPECT_EQ(tool("LimitLabel").caption(), "Pass");

    act(input.type("TraceTools.LimitText", "upper SWR 1M 30M 2.5\nupper SWR 10m 12m 1.8"));
    act(input.click("TraceTools.ApplyLimits"));
    // Applying checks the pass on screen at once.
    EXPECT_EQ(state("LimitStatus"), "fail");
    EXPECT_EQ(state("LimitFailures"), "3");
    EXPECT_EQ(state("LimitFailHz"), "10000000");
    EXPECT_EQ(tool("LimitLED").backColour(), 0xFF0000u);
    EXPECT_EQ(tool("LimitLabel").caption().rfind("Fail at 10.000000 MHz: SWR ", 0), 0u) << tool("LimitLabel").caption();
    EXPECT_NE(tool("LimitLabel").caption().find(" above 1.8"), std::string::npos);

    // A bad line is named and the limits stay as they were.
    act(input.type("TraceTools.LimitText", "upper SWR 1M 30M 1.1\nupper swr 10m"));
    act(input.click("TraceTools.ApplyLimits"));
    EXPECT_EQ(lastMessage(), "line 2: expected upper or lower, a quantity, two frequencies and one or two values");
    EXPECT_EQ(state("Limits"), "upper SWR 1000000 30000000 2.5\nupper SWR 10000000 12000000 1.8\n");

    // Saved, cleared and loaded again.
    platform.queue(Answer::file(path("mask.lim")));
    act(input.click("TraceTools.SaveLimits"));
    act(input.click("TraceTools.ClearLimits"));
    EXPECT_EQ(state("LimitCount"), "0");
    EXPECT_EQ(state("LimitStatus"), "none");
    EXPECT_EQ(tool("LimitLED").backColour(), 0xC0C0C0u);
    platform.queue(Answer::file(path("mask.lim")));
    act(input.click("TraceTools.LoadLimits"));
    EXPECT_EQ(state("LimitCount"), "2");
    EXPECT_EQ(state("LimitStatus"), "fail");
    EXPECT_EQ(tool("LimitText").text(), "upper SWR 1000000 30000000 2.5\nupper SWR 10000000 12000000 1.8\n");
    // What the plot of the SWR display draws.
    EXPECT_EQ(tools.limitsShownOn(14, 1).size(), 2u);
    EXPECT_TRUE(tools.limitsShownOn(10, 1).empty());

    dir.write("bad.lim", "upper SWR 1M 30M 1.1\nupper SWR 30M 1M 2\n");
    platform.queue(Answer::file(path("bad.lim")));
    act(input.click("TraceTools.LoadLimits"));
    EXPECT_EQ(lastMessage(), "bad.lim: line 2: the segment must end above the frequency it starts at");
    EXPECT_EQ(state("LimitCount"), "2");
}

TEST_F(TraceToolsTest, ResonanceAndSwrBandPutTheMarkersOnTheirPoints)
{
    REQUIRE_SIMULATOR();
    setSweep("5", "30", 100);
    calibrate(1);
    connect("refl:R=40,L=1u,C=100p");
    singleSweep();
    const double f0 = 1 / (2 * std::numbers::pi * std::sqrt(1e-6 * 100e-12));

    act(input.click("TraceTools.SearchResonance"));
    const std::string res = state("SearchResult");
    EXPECT_EQ(res.rfind("min_swr_hz=", 0), 0u) << res;
    EXPECT_EQ(res.find("swr_low_hz"), std::string::npos) << "only what the search is about";
    const auto resonance = res.find("resonance_hz=");
    ASSERT_NE(resonance, std::string::npos);
    EXPECT_NEAR(std::stod(res.substr(resonance + 13)), f0, 30e3);
    EXPECT_TRUE(ctl("Markers").visible()) << "the markers come on to show it";
    EXPECT_NEAR(hz(w.disp.MarkerPos[0]), f0, 125e3); // the nearest point, 250 kHz apart
    EXPECT_EQ(tool("SearchResult").caption().rfind("Resonance: best match ", 0), 0u) << tool("SearchResult").caption();

    // SWR <= 2 spans Xt / (2 pi L) with Xt = 30 ohm: 4.77 MHz.
    act(input.type("TraceTools.SearchSwr", "2"));
    act(input.click("TraceTools.SearchSwrBand"));
    const std::string band = state("SearchResult");
    const auto width = band.find("swr_bw_hz=");
    ASSERT_NE(width, std::string::npos) << band;
    EXPECT_NEAR(std::stod(band.substr(width + 10)), 30 / (2 * std::numbers::pi * 1e-6), 50e3);
    const auto low = std::stod(band.substr(band.find("swr_low_hz=") + 11));
    EXPECT_NEAR(hz(w.disp.MarkerPos[0]), low, 125e3);
    EXPECT_GT(w.disp.MarkerPos[1], w.disp.MarkerPos[0]);
    EXPECT_TRUE(ctl("MarkerF2").visible()) << "B's readouts are shown";
    EXPECT_EQ(w.disp.MarkerSel, 0);

    // A bad S is refused before anything moves; the bandwidth belongs to transmission.
    act(input.type("TraceTools.SearchSwr", "0.5"));
    act(input.click("TraceTools.SearchSwrBand"));
    EXPECT_EQ(lastMessage(), "Enter the SWR that bounds the band, a number above 1.");
    EXPECT_FALSE(tool("SearchBandwidth").enabled());
}

TEST_F(TraceToolsTest, TheBandwidthOfATransmissionResonance)
{
    REQUIRE_SIMULATOR();
    setSweep("10", "22", 120);
    calibrate(0);
    connect("trans:series:R=10,L=10u,C=10p");
    singleSweep();
    EXPECT_FALSE(tool("SearchResonance").enabled());
    act(input.type("TraceTools.SearchDrop", "3"));
    act(input.click("TraceTools.SearchBandwidth"));
    const std::string r = state("SearchResult");
    const auto at = [&r](const std::string& name) {
        const auto p = r.find(name + "=");
        return p == std::string::npos ? NAN : std::stod(r.substr(p + name.size() + 1));
    };
    // |X| = (R + 2 Z0) sqrt(10^0.3 - 1) at the edges.
    const double bw = 110 / (2 * std::numbers::pi * 10e-6) * std::sqrt(std::pow(10, 0.3) - 1);
    EXPECT_NEAR(at("bw_hz"), bw, 0.01 * bw) << r;
    EXPECT_NEAR(at("centre_hz"), 1 / (2 * std::numbers::pi * std::sqrt(10e-6 * 10e-12)), 0.01 * bw);
    EXPECT_NEAR(hz(w.disp.MarkerPos[0]), at("bw_low_hz"), 50e3);
    EXPECT_NEAR(hz(w.disp.MarkerPos[1]), at("bw_high_hz"), 50e3);
    EXPECT_EQ(tool("SearchResult").caption().rfind("-3 dB: peak ", 0), 0u) << tool("SearchResult").caption();
    EXPECT_NE(tool("SearchResult").caption().find(", Q "), std::string::npos);

    // Too deep a drop: the markers go to the peak and the label says why.
    act(input.type("TraceTools.SearchDrop", "60"));
    act(input.click("TraceTools.SearchBandwidth"));
    EXPECT_EQ(state("SearchResult").find("bw_hz"), std::string::npos);
    EXPECT_NE(tool("SearchResult").caption().find("bw_low_hz: the trace does not fall 60 dB"), std::string::npos);
    EXPECT_EQ(w.disp.MarkerPos[0], w.disp.MarkerPos[1]);
}

} // namespace

#endif
