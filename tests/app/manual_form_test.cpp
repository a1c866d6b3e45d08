// The manual control window: the frequency check and its rounding, the phase
// options, one conversion on the parallel port, one measure frame over USB.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/manual_form.h"
#include "fake_link.h"
#include "instrument/instrument.h"
#include "support/test_platform.h"

using namespace orbilan;
using app::MainWindow;
using test::FakeParallelInstrument;
using test::FakeUsbInstrument;
using ui::Answer;

namespace {

struct Bench {
    test::TempDir dir;
    test::TestPlatform platform;
    std::unique_ptr<MainWindow> w;

    explicit Bench(const std::string& ini)
    {
        dir.write("vna.ini", ini);
        w = std::make_unique<MainWindow>(platform, app::ProgramOptions{dir.str(), false, test::fakeLibraryDir()});
        EXPECT_TRUE(w->deliver([this] { w->Form_Load(); }));
        platform.clearDialogs();
    }
    ui::ControlSet& form() { return w->manualForm().controls(); }
    void set(const std::string& text)
    {
        form().at("frequency").setText(text);
        EXPECT_TRUE(w->deliver([this] { form().userClick("Command1"); }));
    }
};

constexpr std::int32_t Clock = 148330000;

} // namespace

TEST(ManualForm, ControlsAsTheWindowShowsThem)
{
    FakeParallelInstrument vna;
    Bench b("adctype = 2440\n");
    auto& f = b.form();
    EXPECT_EQ(f.at("ManualForm").caption(), " Test Mode");
    EXPECT_FALSE(f.at("ManualForm").visible());
    EXPECT_EQ(f.at("frequency").text(), "10000.000");
    EXPECT_EQ(f.at("Command1").caption(), "Set DDS ");
    EXPECT_EQ(f.at("Phset", 2).caption(), "180°");
    EXPECT_EQ(f.at("Phset", 1).toolTip(), "LO-RF phase difference");
    EXPECT_EQ(f.at("Phset", 3).toolTip(), "LO - RF  phase difference ");
    EXPECT_EQ(f.at("Phset", 0).value(), 1);
    b.w->manualForm().Show();
    EXPECT_TRUE(f.at("Command1").reachable());
}

TEST(ManualForm, RoundsToWholeKilohertzAndChecksTheRange)
{
    FakeParallelInstrument vna;
    Bench b("adctype = 2440\n");
    b.set("49.6");
    EXPECT_EQ(vna.wordA, instrument::TuningWord(50000, Clock));
    b.set("60000.4");
    EXPECT_EQ(vna.wordA, instrument::TuningWord(60000000, Clock));
    b.set("1000.5"); // half to even
    EXPECT_EQ(vna.wordA, instrument::TuningWord(1000000, Clock));
    EXPECT_TRUE(b.platform.dialogs().empty());

    vna.clear();
    b.platform.queue(Answer::ok());
    b.set("60000.6");
    EXPECT_EQ(b.platform.messageTexts(), (std::vector<std::string>{"Frequency must be between 50 kHz and 60000 kHz"}));
    EXPECT_EQ(b.form().at("frequency").text(), "60000.6");
    EXPECT_TRUE(vna.accesses.empty());

    b.platform.clearDialogs();
    b.platform.queue(Answer::ok());
    b.set("12k");
    EXPECT_EQ(b.platform.messageTexts(), (std::vector<std::string>{"Error in frequency entry"}));
    EXPECT_EQ(b.form().at("frequency").text(), "");
}

TEST(ManualForm, ParallelPortTakesOneConversionAtTheChosenPhase)
{
    FakeParallelInstrument vna;
    vna.volts = {0.5, 0.25, -1.125, 0};
    Bench b("adctype = 2440\nadcavg = 5\nadcdel = 40\n");
    b.form().userClick("Phset", 2);
    vna.clear();
    const long long slept = b.platform.sleptMs();
    b.set("2000");
    const auto w = vna.dataWrites();
    ASSERT_GE(w.size(), 83u);
    EXPECT_EQ(std::vector<int>(w.begin() + 76, w.begin() + 83), (std::vector<int>{0x00, 0x04, 0x02, 0x06, 0x00, 0x08, 0x00}));
    EXPECT_EQ(vna.controlB, 0x80);
    EXPECT_EQ(vna.conversions, 1);
    EXPECT_EQ(b.platform.sleptMs(), slept);
    EXPECT_EQ(b.w->manualForm().ManualPhase(), 2);
    EXPECT_EQ(b.form().at("adcvolts").caption(), "-1.125");
}

TEST(ManualForm, UsbSendsOneMeasureFrameWithTheAdcSettings)
{
    FakeUsbInstrument vna;
    vna.volts = {0, 0.5, 0, 0};
    Bench b("usb = yes\nadcavg = 5\nadcdel = 40\n");
    b.form().userClick("Phset", 1);
    vna.clear();
    b.set("1000");
    ASSERT_EQ(vna.frames.size(), 1u);
    EXPECT_EQ(std::vector<int>(vna.frames[0].begin(), vna.frames[0].end()),
              (std::vector<int>{0x55, 0x50, 40, 5, 0, 0x40, 0x01, 0xB9, 0xD3, 0x5E, 0x00, 0x01, 0xB9, 0xD3, 0x5E}));
    EXPECT_EQ(b.form().at("adcvolts").caption(), ".5");
}

TEST(ManualForm, CloseReturnsToTheStartEndSweep)
{
    FakeParallelInstrument vna;
    Bench b("adctype = 2440\n");
    b.w->manualForm().Show();
    ASSERT_TRUE(b.w->deliver([&] { b.form().userClick("CloseButton"); }));
    EXPECT_FALSE(b.form().at("ManualForm").visible());
    EXPECT_EQ(b.w->controls().at("Start_End").value(), 1);
}
