// The program's link through the real libinpout32.so and libbrindle.so, with
// the simulated Kesp VNA behind them: start-up to ready, points that read
// what the bench predicts, the chips' state after the program's sequences,
// and the instrument's faults as the user meets them.
#include <cmath>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/manual_form.h"
#include "instrument/instrument.h"
#include "sim/configured_instrument.h"
#include "sim/kesp_sim.h"
#include "support/test_platform.h"

using namespace orbilan;
using app::MainWindow;
using ui::Answer;

namespace {

const std::string UsbFatalText = "USB Communication error with VNA: aborting program";

KespSimDdsState dds(int which)
{
    KespSimDdsState s{};
    kesp_sim_get_dds(which, &s);
    return s;
}

class SimLink : public ::testing::Test {
protected:
    SimLink()
    {
        setenv("XDG_STATE_HOME", state.str().c_str(), 1);
        kesp_sim_reset();
        kesp_sim_set_timing(0);
        kesp_sim_set_noise(0);
        kesp_sim_set_fault("none");
        kesp_sim_set_dut("refl:R=100");
    }
    void open(const std::string& ini)
    {
        dir.write("vna.ini", ini);
        app::ProgramOptions o;
        o.iniDir = dir.str();
        o.simulate = true; // the libraries beside the test program, on the simulator
        w = std::make_unique<MainWindow>(platform, o);
    }
    bool load() { return w->deliver([this] { w->Form_Load(); }); }
    bool run(const std::function<void()>& f) { return w->deliver(f); }
    bool ddsadc(std::int32_t hz)
    {
        w->sweep.FreqList[1] = hz;
        w->sweep.PointIndex = 1;
        bool measured = false;
        EXPECT_TRUE(run([&] { measured = w->DDSADC(); }));
        return measured;
    }

    test::TempDir state, dir;
    test::TestPlatform platform;
    std::unique_ptr<MainWindow> w;
};

} // namespace

TEST_F(SimLink, ParallelStartupReachesReady)
{
    open("adctype = 2440\nowner = Bench\n");
    ASSERT_TRUE(load());
    EXPECT_TRUE(platform.dialogs().empty());
    EXPECT_EQ(w->controls().at("TitleLabel").caption(), "Bench's Kesp VNA");
    for (int which : {0, 1}) {
        const auto s = dds(which);
        EXPECT_EQ(s.word, 0x01B9D35Eu);
        EXPECT_EQ(s.phase_code, 0);
        EXPECT_EQ(s.serial_mode, 1);
        EXPECT_EQ(s.powered_down, 0);
    }
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_GE(adc.conversions, 2u);
    EXPECT_TRUE(w->sweep.UiReady);
}

TEST_F(SimLink, UsbStartupReachesReady)
{
    open("usb = yes\n");
    ASSERT_TRUE(load());
    EXPECT_TRUE(platform.dialogs().empty());
    KespSimUsbState usb{};
    kesp_sim_get_usb(&usb);
    EXPECT_EQ(usb.writes, 4u); // status, powered down, running, measure at 1 MHz
    EXPECT_EQ(usb.ignored, 0u);
    EXPECT_EQ(dds(0).word, 0x01B9D35Eu);
    EXPECT_EQ(dds(1).powered_down, 0);
}

TEST_F(SimLink, PointsReadWhatTheBenchPredictsAndCdsCancelsTheOffset)
{
    for (bool usb : {false, true}) {
        for (bool cds : {false, true}) {
            SCOPED_TRACE(std::string(usb ? "USB" : "parallel") + (cds ? ", CDS" : ""));
            kesp_sim_reset();
            kesp_sim_set_timing(0);
            kesp_sim_set_noise(0);
            kesp_sim_set_dut("refl:R=100");
            open(usb ? "usb = yes\nadcavg = 3\n" : "adctype = 2440\nadcavg = 3\n");
            ASSERT_TRUE(load());
            w->sweep.CdsOn = cds;
            ASSERT_TRUE(ddsadc(7000000));
            double re = 0, im = 0;
            ASSERT_TRUE(kesp_sim_raw_reading(dds(0).hz, &re, &im));
            const double offset = cds ? 0.0 : kesp_sim_detector_offset();
            const app::Complex z = w->cal.RawPoints[1];
            EXPECT_NEAR(z.re, offset + re, 1e-6);
            EXPECT_NEAR(z.im, offset + im, 1e-6);
            EXPECT_EQ(dds(0).word, instrument::TuningWord(7000000, 148330000));
        }
    }
    EXPECT_GT(std::fabs(kesp_sim_detector_offset()), 1e-3); // so the CDS case proves something
}

TEST_F(SimLink, ModeAndPhaseBitsReachTheChips)
{
    open("adctype = 2440\nadcmode = 9\n");
    ASSERT_TRUE(load());
    auto& link = w->instrument();
    ASSERT_TRUE(link.DdsLoad({0x378, 0x379}, instrument::TuningWordHex(5000000, 148330000), 3).ok());
    EXPECT_EQ(dds(1).phase_code, 3);
    EXPECT_EQ(dds(0).phase_code, 0);
    EXPECT_NEAR(dds(1).hz, 5000000, 0.05);
    ASSERT_TRUE(link.AdcConvert({0x378, 0x379}, 9).ok());
    KespSimAdcState adc{};
    kesp_sim_get_adc(&adc);
    EXPECT_EQ(adc.mode, 9);
    EXPECT_NEAR(link.AdcVolts, adc.last_volts, 2e-8);
}

TEST_F(SimLink, RawSweepFillsTheTargetPointByPoint)
{
    open("usb = yes\n");
    ASSERT_TRUE(load());
    const std::int32_t f[3] = {1000000, 20000000, 55000000};
    for (int k = 1; k <= 3; ++k)
        w->sweep.FreqList[static_cast<std::size_t>(k)] = f[k - 1];
    w->settings.SweepPoints = 3;
    app::PointArray target{};
    bool complete = false;
    ASSERT_TRUE(run([&] { complete = w->CalAcquireSweep(target); }));
    EXPECT_TRUE(complete);
    for (int k = 1; k <= 3; ++k) {
        double re = 0, im = 0;
        const double hz = static_cast<double>(instrument::TuningWord(f[k - 1], 148330000)) * 148330000.0 / 4294967296.0;
        kesp_sim_raw_reading(hz, &re, &im);
        EXPECT_NEAR(target[static_cast<std::size_t>(k)].re, kesp_sim_detector_offset() + re, 1e-6);
        EXPECT_NEAR(target[static_cast<std::size_t>(k)].im, kesp_sim_detector_offset() + im, 1e-6);
    }
}

TEST_F(SimLink, TheSimulatedAdcIsTheConfiguredOneAndTakesTheTimeTheSweepPanelEstimates)
{
    const struct {
        const char* ini;
        int type;
        double conversionSeconds;
    } cases[] = {
        {"", 2410, 1 / 7.5},
        {"usb = yes\n", 2410, 1 / 7.5},
        {"adctype = 2440\nadcmode = 1\n", 2440, 1 / 3520.0},
        {"usb = yes\nadctype = 2440\nadcmode = 1\n", 2440, 1 / 3520.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        kesp_sim_reset();
        kesp_sim_set_timing(0);
        open(c.ini);
        // As every front end on the simulator does.
        w->onConfigurationRead = [](const app::Settings& s) { EXPECT_EQ(sim::configureSimulator(s), ""); };
        ASSERT_TRUE(load());
        KespSimAdcState adc{};
        kesp_sim_get_adc(&adc);
        EXPECT_EQ(adc.type, c.type);

        // Eleven points as the sweep panel estimates them, measured in
        // instant timing: the instrument's own time is counted all the same.
        w->settings.SweepPoints = 11;
        for (int k = 1; k <= 11; ++k)
            w->sweep.FreqList[static_cast<std::size_t>(k)] = k * 1000000;
        w->EstTime();
        const double estimate = std::stod(w->controls().at("TimeEstimate").caption());
        KespSimTiming before{}, after{};
        kesp_sim_get_timing(&before);
        app::PointArray target{};
        ASSERT_TRUE(run([&] { EXPECT_TRUE(w->CalAcquireSweep(target)); }));
        kesp_sim_get_timing(&after);
        const double conversions = after.conversions - before.conversions;
        const double converting = after.conversion_seconds - before.conversion_seconds;
        EXPECT_NEAR(converting, conversions * c.conversionSeconds, 1e-9);
        // Over the printer port the program makes the settling wait before
        // each reading itself; over USB the firmware does.
        const double settling = w->settings.UsbLink ? after.settle_seconds - before.settle_seconds
                                                    : conversions * w->settings.AdcWaitMs / 1000.0;
        if (c.type == 2410) {
            // 3.3 s over the printer port: 22 readings of 10 ms settling and
            // 133 ms converting, 3.15 s. (The 2440's fastest mode converts in
            // 0.3 ms, and the panel's allowance for the program's own work on
            // each reading decides its estimate.)
            EXPECT_NEAR((converting + settling) / estimate, 1.0, 0.1) << estimate;
        }
    }
}

TEST_F(SimLink, ResultWithoutWordsIsAFailedPoint)
{
    open("usb = yes\n");
    ASSERT_TRUE(load());
    ASSERT_TRUE(ddsadc(3000000));
    const app::Complex before = w->cal.RawPoints[1];
    kesp_sim_set_fault("empty-result");
    w->sweep.StopSweep = false;
    EXPECT_FALSE(ddsadc(9000000));
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"The measurement result from VNA holds no reading\r"
                                                                 "Check that VNA is connected and switched on."}));
    EXPECT_TRUE(w->sweep.StopSweep);
    EXPECT_FALSE(platform.ended());
    // The reading of the point before is not taken for this one's.
    EXPECT_EQ(w->cal.RawPoints[1].re, before.re);
    EXPECT_EQ(w->cal.RawPoints[1].im, before.im);
    kesp_sim_set_fault("none");
    EXPECT_TRUE(ddsadc(9000000));
}

TEST_F(SimLink, DroppedUsbTransferEndsTheProgram)
{
    open("usb = yes\n");
    ASSERT_TRUE(load());
    kesp_sim_set_fault("usb-read-fail:1");
    platform.queue(Answer::ok());
    w->sweep.FreqList[1] = 2000000;
    w->sweep.PointIndex = 1;
    EXPECT_FALSE(run([&] { w->DDSADC(); }));
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{UsbFatalText}));
    EXPECT_TRUE(platform.ended());
}

TEST_F(SimLink, SilentInstrumentEndsTheProgramAfterTheLimit)
{
    open("usb = yes\n");
    ASSERT_TRUE(load());
    w->instrument().setTimeLimits({50, 50});
    kesp_sim_set_fault("no-result");
    platform.queue(Answer::ok());
    w->sweep.FreqList[1] = 2000000;
    w->sweep.PointIndex = 1;
    EXPECT_FALSE(run([&] { w->DDSADC(); }));
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{"No measurement result from VNA within 0.05 seconds\r" + UsbFatalText}));
}

TEST_F(SimLink, StuckAdcStopsTheSweepAndTheProgramGoesOn)
{
    open("adctype = 2440\n");
    ASSERT_TRUE(load());
    w->instrument().setTimeLimits({50, 50});
    w->sweep.StopSweep = false;
    kesp_sim_set_fault("adc-stuck");
    platform.queue(Answer::ok());
    EXPECT_FALSE(ddsadc(2000000));
    EXPECT_TRUE(w->sweep.StopSweep);
    EXPECT_FALSE(w->ended());
    kesp_sim_set_fault("none");
    EXPECT_TRUE(ddsadc(2000000));
}

TEST_F(SimLink, NotReadyThenRetryWithTheCorrectedIni)
{
    open("usb = yes\nowner = Old\n");
    kesp_sim_set_fault("not-ready");
    platform.queue(Answer::ok());
    platform.onDialog = [&](const ui::DialogRecord&) {
        kesp_sim_set_fault("none");
        dir.write("vna.ini", "usb = yes\nowner = New\n");
    };
    ASSERT_TRUE(load());
    ASSERT_EQ(platform.dialogs().size(), 1u);
    EXPECT_EQ(platform.dialogs()[0].text,
              "Check that VNA is connected to USB port and switched on.\rOK to retry, Cancel to exit.");
    EXPECT_EQ(w->controls().at("TitleLabel").caption(), "New's Kesp VNA");
}

TEST_F(SimLink, WrongPrinterPortThenRetryWithTheCorrectedIni)
{
    open("adctype = 2440\nport = &H278\n");
    w->instrument().setTimeLimits({50, 50});
    platform.queue(Answer::ok());
    platform.onDialog = [&](const ui::DialogRecord&) { dir.write("vna.ini", "adctype = 2440\nport = &H378\n"); };
    ASSERT_TRUE(load());
    ASSERT_EQ(platform.dialogs().size(), 1u);
    EXPECT_EQ(platform.dialogs()[0].title, "VNA Not Responding");
    EXPECT_EQ(dds(0).word, 0x01B9D35Eu);
}

TEST_F(SimLink, ManualWindowRoundsToWholeKilohertz)
{
    open("adctype = 2440\n");
    ASSERT_TRUE(load());
    auto& form = w->manualForm().controls();
    auto set = [&](const std::string& text) {
        form.at("frequency").setText(text);
        EXPECT_TRUE(run([&] { form.userClick("Command1"); }));
    };
    set("49.6");
    EXPECT_EQ(dds(0).word, instrument::TuningWord(50000, 148330000));
    set("1000.5");
    EXPECT_EQ(dds(0).word, instrument::TuningWord(1000000, 148330000));
    platform.queue(Answer::ok());
    set("60000.6");
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"Frequency must be between 50 kHz and 60000 kHz"}));
    EXPECT_EQ(dds(0).word, instrument::TuningWord(1000000, 148330000));
    EXPECT_NE(form.at("adcvolts").caption(), "ADC Result");
}
