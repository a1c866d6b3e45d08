// TDR Sweep sets the harmonic sweep through the sweep panel's own controls:
// the list it leaves is start = step, every point a whole multiple of it,
// and what the panel could not take changes nothing.
#include <string>
#include <vector>

#include "analysis/tdr.h"
#include "app/tdr_sweep.h"
#include "app/user_input.h"
#include "sim_window.h"

using namespace orbilan;

namespace {

class TdrSweep : public test::SimWindowTest {
protected:
    app::MainWindow& w = *window;

    std::vector<double> frequencies() const
    {
        std::vector<double> hz;
        for (int k = 1; k <= w.settings.SweepPoints; ++k)
            hz.push_back(w.sweep.FreqList[static_cast<std::size_t>(k)]);
        return hz;
    }
};

TEST_F(TdrSweep, SetsStartEqualToStepThroughThePanel)
{
    REQUIRE_SIMULATOR();
    const app::TdrSweepOutcome done = app::SetTdrSweep(w, 30000000, 200);
    ASSERT_TRUE(done.set) << done.text;
    EXPECT_EQ(done.text, "Sweep set: 0.149253 MHz to 29.999853 MHz in 200 steps of 149.253 kHz (start = step). "
                         "Choose Refl, calibrate and sweep.");
    EXPECT_TRUE(platform.dialogs().empty());
    ASSERT_EQ(w.settings.SweepPoints, 201);
    for (int k = 1; k <= 201; ++k)
        ASSERT_EQ(w.sweep.FreqList[static_cast<std::size_t>(k)], k * 149253) << "point " << k;
    EXPECT_TRUE(analysis::ExamineGrid(frequencies()).harmonic);
    // As the panel's OK leaves it: closed, the sweep defined, the fields shown.
    EXPECT_FALSE(w.controls().at("SetupSweep").visible());
    EXPECT_TRUE(w.sweep.SweepValid);
    EXPECT_TRUE(w.sweep.SweepDefined);
    EXPECT_EQ(w.sweep.SweepF1, 149253);
    EXPECT_EQ(w.sweep.SweepF2, 29999853);

    // In reflection, not calibrated over the new sweep.
    app::UserInput input(w);
    ASSERT_EQ(input.click("ModeButton(1)"), "");
    const app::TdrSweepOutcome next = app::SetTdrSweep(w, 60000000, 400);
    ASSERT_TRUE(next.set) << next.text;
    EXPECT_EQ(next.text.substr(next.text.size() - 30), "Calibrate over it, then sweep.");
    EXPECT_EQ(w.sweep.FreqList[1], 149625);
    EXPECT_EQ(w.sweep.FreqList[401], 401 * 149625);
}

TEST_F(TdrSweep, LeavesASingleFrequencyAndAPanelLeftOpen)
{
    REQUIRE_SIMULATOR();
    // A single frequency is offered once a mode is calibrated over a sweep.
    app::UserInput input(w);
    ASSERT_EQ(input.click("SetSweepButton"), "");
    ASSERT_EQ(input.click("ButtonSweepOK"), "");
    ASSERT_EQ(input.click("ModeButton(1)"), "");
    for (int i = 0; i < 3; ++i)
        platform.queue(ui::Answer::ok());
    platform.queue(ui::Answer::no());
    ASSERT_EQ(input.click("CalibrateButton"), "");
    ASSERT_TRUE(w.cal.ReflCalValid);
    ASSERT_EQ(input.click("SetSweepButton"), "");
    ASSERT_EQ(input.click("SingleFreqSweep"), "");
    ASSERT_EQ(input.type("F1text", "14.2M"), "");
    ASSERT_EQ(input.click("ButtonSweepOK"), "");
    ASSERT_TRUE(w.sweep.SingleFreqMode);

    // The user opens the panel and types, then asks for the TDR sweep.
    ASSERT_EQ(input.click("SetSweepButton"), "");
    ASSERT_EQ(input.type("F1text", "7M"), "");
    const app::TdrSweepOutcome done = app::SetTdrSweep(w, 10000000, 100);
    ASSERT_TRUE(done.set) << done.text;
    EXPECT_FALSE(w.sweep.SingleFreqMode);
    EXPECT_FALSE(w.controls().at("SetupSweep").visible());
    ASSERT_EQ(w.settings.SweepPoints, 101);
    EXPECT_EQ(w.sweep.FreqList[0], 1) << "a Start+End sweep";
    EXPECT_EQ(w.sweep.FreqList[1], 99009);
    EXPECT_EQ(w.sweep.FreqList[101], 101 * 99009);
    EXPECT_TRUE(analysis::ExamineGrid(frequencies()).harmonic);
}

TEST_F(TdrSweep, WhatTheInstrumentCannotSweepIsRefusedAndChangesNothing)
{
    REQUIRE_SIMULATOR();
    const auto before = w.sweep.FreqList;
    const int points = w.settings.SweepPoints;
    const struct {
        std::int32_t stop;
        int steps;
        std::string text;
    } cases[] = {
        {10000000, 400, "400 steps up to 10 MHz would start below 50 kHz, the instrument's lowest: take fewer steps "
                        "or a stop of at least 20.05 MHz."},
        {70000000, 100, "The stop frequency lies above 60 MHz, the instrument's highest."},
        {30000000, 0, "The steps are 1 to 400."},
        {30000000, 401, "The steps are 1 to 400."},
    };
    for (const auto& c : cases) {
        const app::TdrSweepOutcome outcome = app::SetTdrSweep(w, c.stop, c.steps);
        EXPECT_FALSE(outcome.set);
        EXPECT_EQ(outcome.text, c.text);
    }
    EXPECT_EQ(w.sweep.FreqList, before);
    EXPECT_EQ(w.settings.SweepPoints, points);
    EXPECT_FALSE(w.controls().at("SetupSweep").visible());
    EXPECT_TRUE(platform.dialogs().empty());
}

} // namespace
