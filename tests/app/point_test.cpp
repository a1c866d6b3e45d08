// One point and one raw sweep, as the sweep and the calibration call them:
// the phase order, CDS, the values a USB frame byte cannot carry, a clock too
// slow for the frequency, and an instrument that stops answering.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "fake_link.h"
#include "instrument/instrument.h"
#include "support/test_platform.h"

using namespace orbilan;
using app::MainWindow;
using test::FakeParallelInstrument;
using test::FakeUsbInstrument;
using ui::Answer;

namespace {

// V0, V90, V180, V270 of both fakes.
constexpr double V0 = 0.5, V90 = -0.25, V180 = -0.4, V270 = 0.35;
constexpr double Lsb = 2e-8;

struct Bench {
    test::TempDir dir;
    test::TestPlatform platform;
    std::unique_ptr<MainWindow> w;

    explicit Bench(const std::string& ini)
    {
        dir.write("vna.ini", ini);
        app::ProgramOptions o;
        o.iniDir = dir.str();
        o.libraryDir = test::fakeLibraryDir();
        w = std::make_unique<MainWindow>(platform, o);
        EXPECT_TRUE(w->deliver([this] { w->Form_Load(); }));
        platform.clearDialogs();
    }
    bool run(const std::function<void()>& f) { return w->deliver(f); }
    void sweepOf(std::initializer_list<std::int32_t> hz)
    {
        int k = 0;
        for (auto f : hz)
            w->sweep.FreqList[static_cast<std::size_t>(++k)] = f;
        w->settings.SweepPoints = static_cast<std::int16_t>(k);
    }
    bool ddsadc(int k)
    {
        bool measured = false;
        w->sweep.PointIndex = static_cast<std::int16_t>(k);
        EXPECT_TRUE(run([&] { measured = w->DDSADC(); }));
        return measured;
    }
};

} // namespace

TEST(Point, ParallelWithAndWithoutCds)
{
    FakeParallelInstrument vna;
    Bench b("adctype = 2440\nadcdel = 15\nadcavg = 2\n");
    b.sweepOf({1000000, 5000000});
    vna.clear();
    const long long slept = b.platform.sleptMs();
    ASSERT_TRUE(b.ddsadc(2));
    EXPECT_EQ(vna.updates, 2);                 // two DDS loads
    EXPECT_EQ(b.platform.sleptMs() - slept, 30); // two settling waits
    EXPECT_EQ(vna.conversionPhases, (std::vector<int>{0, 0, 1, 1}));
    EXPECT_EQ(vna.wordB, instrument::TuningWord(5000000, 148330000));
    EXPECT_NEAR(b.w->cal.RawPoints[2].re, V0, Lsb);
    EXPECT_NEAR(b.w->cal.RawPoints[2].im, V90, Lsb);

    b.w->sweep.CdsOn = true;
    vna.clear();
    ASSERT_TRUE(b.ddsadc(1));
    EXPECT_EQ(vna.updates, 4);
    EXPECT_EQ(vna.conversionPhases, (std::vector<int>{0, 0, 2, 2, 1, 1, 3, 3}));
    EXPECT_NEAR(b.w->cal.RawPoints[1].re, (V0 - V180) / 2, Lsb);
    EXPECT_NEAR(b.w->cal.RawPoints[1].im, (V90 - V270) / 2, Lsb);
}

TEST(Point, UsbWithAndWithoutCds)
{
    FakeUsbInstrument vna;
    Bench b("usb = yes\nadcdel = 15\nadcavg = 2\n");
    b.sweepOf({1000000});
    vna.clear();
    ASSERT_TRUE(b.ddsadc(1));
    ASSERT_EQ(vna.frames.size(), 2u);
    EXPECT_EQ(vna.frames[0][1], 0x58);
    EXPECT_EQ(vna.frames[0][5], 0x00);
    EXPECT_EQ(vna.frames[1][1], 0x50);
    EXPECT_EQ(vna.frames[1][5], 0x40);
    EXPECT_EQ(vna.frames[1][2], 15);
    EXPECT_EQ(vna.frames[1][3], 2);
    EXPECT_NEAR(b.w->cal.RawPoints[1].re, V0, Lsb);
    EXPECT_NEAR(b.w->cal.RawPoints[1].im, V90, Lsb);

    b.w->sweep.CdsOn = true;
    vna.clear();
    ASSERT_TRUE(b.ddsadc(1));
    ASSERT_EQ(vna.frames.size(), 4u);
    std::vector<int> order;
    for (const auto& f : vna.frames)
        order.push_back(f[1] * 256 + f[5]);
    EXPECT_EQ(order, (std::vector<int>{0x5800, 0x5080, 0x5840, 0x50C0}));
    EXPECT_NEAR(b.w->cal.RawPoints[1].re, (V0 - V180) / 2, Lsb);
    EXPECT_NEAR(b.w->cal.RawPoints[1].im, (V90 - V270) / 2, Lsb);
}

TEST(Point, IniValuesAFrameByteCannotCarryAreLimitedAndToldOnce)
{
    FakeUsbInstrument vna;
    test::TempDir dir;
    dir.write("vna.ini", "usb = yes\nadcavg = 300\nadcdel = -5\n");
    test::TestPlatform platform;
    app::ProgramOptions o{dir.str(), false, test::fakeLibraryDir()};
    MainWindow w(platform, o);
    platform.queue(Answer::ok());
    platform.queue(Answer::ok());
    ASSERT_TRUE(w.deliver([&] { w.Form_Load(); })); // the warm-up measurement is the first frame
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{"VNA.INI  adcdel entry out of range (-5)\rsent to VNA as 0",
                                        "VNA.INI  adcavg entry out of range (300)\rsent to VNA as 255"}));
    w.sweep.FreqList[1] = 2000000;
    w.sweep.PointIndex = 1;
    ASSERT_TRUE(w.deliver([&] { w.DDSADC(); }));
    EXPECT_EQ(platform.messageTexts().size(), 2u); // not again
    EXPECT_EQ(vna.frames.back()[2], 0);
    EXPECT_EQ(vna.frames.back()[3], 255);
}

TEST(Point, SlowClockRefusesTheFrequencyAndStopsTheSweep)
{
    FakeParallelInstrument vna;
    Bench b("adctype = 2440\nclk = 100 MHz\n");
    b.sweepOf({40000000, 60000000});
    b.w->sweep.StopSweep = false;
    b.w->cal.RawPoints[2] = {7, 7};
    vna.clear();
    b.platform.queue(Answer::ok());
    EXPECT_FALSE(b.ddsadc(2));
    EXPECT_EQ(b.platform.messageTexts(),
              (std::vector<std::string>{"60000000 Hz is not below half the DDS clock (100000000 Hz)\rCheck clk in vna.ini"}));
    EXPECT_TRUE(b.w->sweep.StopSweep);
    EXPECT_TRUE(vna.accesses.empty()); // no wrong word was sent
    EXPECT_EQ(b.w->cal.RawPoints[2].re, 7);
    // 40 MHz is fine on that clock.
    EXPECT_TRUE(b.ddsadc(1));
}

TEST(Point, StuckParallelAdcIsReportedAndTheProgramStaysUsable)
{
    FakeParallelInstrument vna;
    Bench b("adctype = 2440\n");
    b.sweepOf({1000000});
    b.w->instrument().setTimeLimits({20, 20});
    b.w->sweep.StopSweep = false;
    vna.stuck = true;
    b.platform.queue(Answer::ok());
    EXPECT_FALSE(b.ddsadc(1));
    EXPECT_EQ(b.platform.messageTexts(),
              (std::vector<std::string>{"No reading from the ADC within 0.02 seconds\rCheck that VNA is connected and switched on."}));
    EXPECT_TRUE(b.w->sweep.StopSweep);
    EXPECT_FALSE(b.w->ended());
    vna.stuck = false;
    EXPECT_TRUE(b.ddsadc(1));
}

TEST(Point, SilentOrFailingUsbEndsTheProgram)
{
    {
        FakeUsbInstrument vna;
        Bench b("usb = yes\n");
        b.sweepOf({1000000});
        b.w->instrument().setTimeLimits({20, 20});
        vna.silent = true;
        b.platform.queue(Answer::ok());
        b.w->sweep.PointIndex = 1;
        EXPECT_FALSE(b.run([&] { b.w->DDSADC(); }));
        EXPECT_EQ(b.platform.messageTexts(),
                  (std::vector<std::string>{"No measurement result from VNA within 0.02 seconds\rUSB Communication error with VNA: aborting program"}));
        EXPECT_TRUE(b.platform.ended());
    }
    {
        FakeUsbInstrument vna;
        Bench b("usb = yes\n");
        b.sweepOf({1000000});
        vna.failReadFrom = vna.reads + 1;
        b.platform.queue(Answer::ok());
        b.w->sweep.PointIndex = 1;
        EXPECT_FALSE(b.run([&] { b.w->DDSADC(); }));
        EXPECT_EQ(b.platform.messageTexts(), (std::vector<std::string>{"USB Communication error with VNA: aborting program"}));
    }
}

TEST(RawSweep, MeasuresEveryPointIntoTheTarget)
{
    FakeUsbInstrument vna;
    Bench b("usb = yes\n");
    b.sweepOf({1000000, 2000000, 3000000});
    b.w->disp.PlotSelection = 1;
    vna.clear();
    app::PointArray target{};
    bool complete = false;
    ASSERT_TRUE(b.run([&] { complete = b.w->CalAcquireSweep(target); }));
    EXPECT_TRUE(complete);
    // The warm-up at the first frequency, then a pair per point.
    ASSERT_EQ(vna.frames.size(), 1u + 6u);
    EXPECT_EQ(vna.frames[0][1], 0x50);
    EXPECT_EQ(vna.frames[0][9], vna.frames[1][9]);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_NEAR(target[static_cast<std::size_t>(k)].re, V0, Lsb);
        EXPECT_NEAR(target[static_cast<std::size_t>(k)].im, V90, Lsb);
    }
    EXPECT_EQ(target[4].re, 0.0);
    EXPECT_EQ(b.w->sweep.PointIndex, 4);
    EXPECT_EQ(b.w->disp.PlotSelection, 3);
    EXPECT_GE(b.platform.processEventsCalls(), 3);
}

TEST(RawSweep, StopsShortWhenThePointCannotBeMeasured)
{
    FakeParallelInstrument vna;
    Bench b("adctype = 2440\n");
    b.sweepOf({1000000, 2000000, 3000000});
    b.w->instrument().setTimeLimits({20, 20});
    app::PointArray target{};
    int plotted = 0;
    b.w->onPointYield = [&] { ++plotted; };
    vna.stuck = true;
    b.platform.queue(Answer::ok());
    bool complete = true;
    ASSERT_TRUE(b.run([&] { complete = b.w->CalAcquireSweep(target); }));
    EXPECT_FALSE(complete);
    EXPECT_EQ(b.platform.messageTexts().size(), 1u); // one message, not one per point
    EXPECT_EQ(b.w->sweep.PointIndex, 1);
}
