// End to end on the simulated instrument: calibrate, measure a series R-L-C
// and show it in every display type. The pictures land in the test output
// folder; the numbers read off with the markers must be the device's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "app/user_input.h"
#include "display/canvas.h"
#include "display/png.h"
#include "sim/auto_follow_platform.h"
#include "sim/kesp_sim.h"
#include "support/test_platform.h"
#include "ui/number_text.h"

namespace orbilan::test {
namespace {

// 30 ohm, 1 uH, 100 pF in series: resonance at 15.915 MHz.
constexpr const char* Reflection = "refl:R=30,L=1u,C=100p,topology=series";
constexpr const char* Transmission = "trans:series:R=30,L=1u,C=100p,topology=series";
constexpr double ResonanceHz = 15915494.3;

class SimulatedSweep : public ::testing::Test {
protected:
    TestPlatform inner;
    sim::AutoFollowPlatform platform{inner};
    TempDir dir;
    std::unique_ptr<app::MainWindow> w;
    std::unique_ptr<app::UserInput> input;

    void SetUp() override
    {
        kesp_sim_reset();
        kesp_sim_set_timing(0);
        kesp_sim_set_seed(11);
        kesp_sim_set_auto_follow(1);
        dir.write("vna.ini", "npoints = 201\n");
        app::ProgramOptions options;
        options.iniDir = dir.str();
        options.simulate = true;
        options.libraryDir = ORBILAN_BIN_DIR;
        w = std::make_unique<app::MainWindow>(platform, options);
        w->onCalibrationFinished = [] { kesp_sim_calibration_done(); };
        w->onPointYield = [this] {
            // The raw readings of the last standard, as the calibration shows them.
            if (w->disp.DisplayCode == 30 && w->sweep.PointIndex == w->settings.SweepPoints)
                save("display_30_raw");
        };
        input = std::make_unique<app::UserInput>(*w);
        ASSERT_TRUE(w->deliver([this] { w->Form_Load(); }));
        inner.clearDialogs();

        act(input->click("SetSweepButton"));
        act(input->click("Start_End"));
        act(input->type("F1text", "1M"));
        act(input->type("F2text", "30M"));
        act(input->click("ButtonSweepOK"));
        ASSERT_TRUE(w->sweep.SweepValid);
        ASSERT_EQ(w->settings.SweepPoints, 201);
    }

    static void act(const std::string& refusal) { ASSERT_EQ(refusal, ""); }
    std::string caption(const std::string& name) { return w->controls().at(name).caption(); }

    void calibrate(int mode, int prompts, const char* device)
    {
        ASSERT_EQ(kesp_sim_set_dut(device), 1) << kesp_sim_last_error();
        act(input->click("ModeButton(" + std::to_string(mode) + ")"));
        for (int i = 0; i < prompts; ++i)
            inner.queue(ui::Answer::ok());
        inner.queue(ui::Answer::no()); // not saved to a file now
        act(input->click("CalibrateButton"));
        ASSERT_EQ(inner.pendingAnswers(), 0u);
        ASSERT_TRUE(mode == 1 ? w->cal.ReflCalValid : w->cal.TransCalValid);
    }

    // Chooses the display, sweeps once and fits the scales to the trace.
    void show(const std::string& entry)
    {
        act(input->click("DisplayButton"));
        act(input->choose("displaycombo", entry));
        act(input->click("SweepButton(3)"));
        ASSERT_EQ(caption("SweepStatus"), "Completed Sweep");
        if (w->disp.DisplayCode != 16) {
            if (caption("ScaleControl") == "Max Range")
                act(input->click("ScaleControl"));
            act(input->click("ScaleControl"));
            ASSERT_EQ(caption("ScaleControl"), "Max Range");
        }
        save("display_" + std::to_string(w->disp.DisplayCode));
    }

    void save(const std::string& name)
    {
        std::filesystem::create_directories(ORBILAN_TEST_OUTPUT_DIR);
        display::writePng(w->plotCanvas().image(), std::string(ORBILAN_TEST_OUTPUT_DIR) + "/" + name + ".png");
    }

    // Marker A to the smallest (or largest) value of the trace in view.
    void markerTo(int button)
    {
        if (!w->controls().at("Markers").visible())
            act(input->click("MarkerOn"));
        act(input->click("Option2(0)"));
        act(input->click("Marker(" + std::to_string(button) + ")"));
    }
    double markerHz() { return w->sweep.FreqList[static_cast<std::size_t>(w->disp.MarkerPos[0])]; }
    double leading(const std::string& name) { return ui::leadingNumber(caption(name)); }
};

TEST_F(SimulatedSweep, ReflectionInEveryDisplayType)
{
    calibrate(1, 3, Reflection);
    EXPECT_TRUE(std::filesystem::exists(std::string(ORBILAN_TEST_OUTPUT_DIR) + "/display_30_raw.png"));
    const double step = 29e6 / 200;

    show("|Z|,deg");
    markerTo(5);
    EXPECT_NEAR(markerHz(), ResonanceHz, step);
    EXPECT_NEAR(leading("MarkerY1"), 30, 0.6);
    EXPECT_NEAR(leading("MarkerY2"), 0, 8);
    // The fitted scale holds the trace: 30 ohm at the bottom, the top above
    // the 1.6 kilohm of the lowest frequency.
    EXPECT_LE(w->disp.Y1Bottom, 30);
    EXPECT_GT(w->disp.Y1Top, 1500);

    show("rho,deg");
    markerTo(5);
    EXPECT_NEAR(leading("MarkerY1"), 0.25, 0.01);

    show("Rs,Xs");
    markerTo(4);
    EXPECT_NEAR(leading("MarkerY1"), 30, 1.5); // Rs is 30 everywhere

    show("Rp,Xp");
    show("SWR,");
    markerTo(5);
    EXPECT_NEAR(leading("MarkerY1"), 50.0 / 30, 0.03);
    EXPECT_EQ(caption("MarkerY2"), "");

    show("RL,deg");
    markerTo(5);
    EXPECT_NEAR(leading("MarkerY1"), 20 * std::log10(0.25), 0.3);

    show("Smith,");
    markerTo(5); // smallest real part: the resonance, on the real axis
    EXPECT_NEAR(markerHz(), ResonanceHz, step);
    EXPECT_NEAR(leading("MarkerY1"), 0.25, 0.01);
    EXPECT_NEAR(std::fabs(leading("MarkerY2")), 180, 8);

    // Every control the display reached for exists.
    std::string implicit;
    for (const auto& name : w->implicitControls())
        implicit += name + " ";
    EXPECT_EQ(implicit, "");
}

TEST_F(SimulatedSweep, TransmissionAndGroupDelay)
{
    calibrate(0, 2, Transmission);
    const double step = 29e6 / 200;

    show("dB,deg");
    markerTo(4);
    EXPECT_NEAR(markerHz(), ResonanceHz, 3 * step);
    EXPECT_NEAR(leading("MarkerY1"), 20 * std::log10(100.0 / 130), 0.1);

    show("mag,deg");
    markerTo(4);
    EXPECT_NEAR(leading("MarkerY1"), std::pow(100.0 / 130, 2), 0.01);

    act(input->click("ModeButton(2)"));
    // An aperture of one step: the delay then stands well above the noise.
    act(input->click("GDwindowButton"));
    act(input->click("GDAselect(2)"));
    act(input->click("GDwindowOKbutton"));
    ASSERT_EQ(w->sweep.GdApertureHz, 145000);
    show("dB,\xC2\xB5s");
    act(input->click("PlotOption(1)")); // the marker search then reads the delay
    markerTo(4);
    // The delay over one aperture of the circuit itself, and where it peaks.
    auto delayUs = [](double hz) {
        auto phase = [](double f) {
            const double wr = 2 * 3.14159265358979323846 * f;
            return -std::atan((wr * 1e-6 - 1 / (wr * 100e-12)) / 130);
        };
        return (phase(hz) - phase(hz + 145000)) / (2 * 3.14159265358979323846 * 145000) * 1e6;
    };
    double peakHz = 0;
    for (int k = 1; k <= 201; ++k) {
        const double f = w->sweep.FreqList[static_cast<std::size_t>(k)];
        if (peakHz == 0 || delayUs(f) > delayUs(peakHz))
            peakHz = f;
    }
    EXPECT_NEAR(markerHz(), peakHz, 6 * step);
    // The largest reading carries the most noise; around it the trace follows
    // the circuit.
    const int at = w->disp.MarkerPos[0];
    double shown = 0, expected = 0;
    for (int k = std::max(1, at - 5); k <= std::min(201, at + 5); ++k) {
        shown += w->disp.Y2Trace[static_cast<std::size_t>(k)];
        expected += delayUs(w->sweep.FreqList[static_cast<std::size_t>(k)]);
    }
    EXPECT_EQ(caption("MarkerY2"),
              ui::formatGeneral(ui::roundDecimals(w->disp.Y2Trace[static_cast<std::size_t>(at)], 3))
                  + " \xC2\xB5s ");
    // The delay is taken with the calibration of the lower frequency for both
    // readings, so what the test set adds between them stays in: a thru
    // measured the same way shows that part.
    ASSERT_EQ(kesp_sim_set_dut("thru"), 1);
    act(input->click("SweepButton(3)"));
    double residual = 0;
    for (int k = std::max(1, at - 5); k <= std::min(201, at + 5); ++k)
        residual += w->disp.Y2Trace[static_cast<std::size_t>(k)];
    EXPECT_NEAR(shown - residual, expected, 0.1 * expected);
}

} // namespace
} // namespace orbilan::test
