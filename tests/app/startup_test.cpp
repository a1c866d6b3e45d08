// Start-up to the ready state over both transports, the not-responding
// dialog with its retry, the fatal USB error, About and Exit, against the
// stand-in libraries and their small instruments.
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

const std::string LptNotResponding =
    "Check that VNA is connected to correct printer port and is switched on.\rOK to retry, Cancel to exit.";
const std::string UsbNotResponding =
    "Check that VNA is connected to USB port and switched on.\rOK to retry, Cancel to exit.";
const std::string UsbFatalText = "USB Communication error with VNA: aborting program";

struct Bench {
    test::TempDir dir;
    test::TestPlatform platform;
    std::unique_ptr<MainWindow> w;

    explicit Bench(const std::string& ini, std::string libraryDir = test::fakeLibraryDir())
    {
        dir.write("vna.ini", ini);
        app::ProgramOptions o;
        o.iniDir = dir.str();
        o.libraryDir = std::move(libraryDir);
        w = std::make_unique<MainWindow>(platform, o);
    }
    bool run(const std::function<void()>& f) { return w->deliver(f); }
    bool load() { return run([this] { w->Form_Load(); }); }
    std::vector<std::string> messages() const { return platform.messageTexts(); }
};

std::vector<int> bytes(const std::vector<std::uint8_t>& frame) { return {frame.begin(), frame.end()}; }

} // namespace

TEST(Startup, ParallelPortReachesReadyWithTheSequenceOfTheLink)
{
    FakeParallelInstrument vna;
    Bench b("owner = Lab1 bench\nadctype = 2410\n");
    ASSERT_TRUE(b.load());
    EXPECT_TRUE(b.platform.dialogs().empty());
    // Reset (90), wake (166), probe (57), load at 1 MHz (83), two conversions (66 each).
    EXPECT_EQ(vna.dataWrites().size(), 90u + 166u + 57u + 83u + 132u);
    EXPECT_EQ(vna.conversions, 3);
    EXPECT_EQ(vna.wordA, 0x01B9D35Eu);
    EXPECT_EQ(vna.controlB, 0x00);
    EXPECT_EQ(b.platform.sleptMs(), 10 + 10 + 250);
    EXPECT_EQ(b.w->controls().at("TitleLabel").caption(), "Lab1's Kesp VNA");
    EXPECT_EQ(std::get<std::string>(*b.w->state().get("Title")), "Lab1's Kesp VNA");
    EXPECT_TRUE(b.w->sweep.UiReady);
    EXPECT_EQ(b.w->settings.SweepPoints, 11);
    EXPECT_EQ(b.w->cal.CalStatus, 1);
    EXPECT_FALSE(b.w->controls().at("CalibrateButton").enabled());
    EXPECT_FALSE(b.w->controls().at("plotframe").visible());
    EXPECT_FALSE(b.w->controls().at("DisplayButton").visible());
    EXPECT_EQ(b.w->controls().at("FileLabel").caption(), "None");
    EXPECT_EQ(b.w->disp.Y1Trace[1], -999.0);
    EXPECT_EQ(b.w->disp.PrevY2Trace[401], -999.0);
    EXPECT_EQ(b.w->manualForm().controls().at("frequency").text(), "10000.000");
    // Every control the start-up touches belongs to some area of the window.
    EXPECT_EQ(b.w->implicitControls(), std::vector<std::string>{});
}

TEST(Startup, NotRespondingRetryReadsTheCorrectedIni)
{
    FakeParallelInstrument vna; // on 0x378; the first file names 0x278
    Bench b("port = &H278\nadctype = 2440\n");
    b.platform.queue(Answer::ok());
    b.platform.onDialog = [&](const ui::DialogRecord& d) {
        if (d.title == "VNA Not Responding")
            b.dir.write("vna.ini", "port = &H378\nadctype = 2440\nowner = Fixed\n");
    };
    ASSERT_TRUE(b.load());
    ASSERT_EQ(b.platform.dialogs().size(), 1u);
    EXPECT_EQ(b.platform.dialogs()[0].title, "VNA Not Responding");
    EXPECT_EQ(b.platform.dialogs()[0].text, LptNotResponding);
    EXPECT_EQ(b.platform.dialogs()[0].buttons, ui::MsgButtons::OkCancel);
    EXPECT_EQ(b.w->settings.DataPort, 0x378);
    EXPECT_EQ(b.w->controls().at("TitleLabel").caption(), "Fixed's Kesp VNA");
    EXPECT_EQ(vna.wordA, 0x01B9D35Eu);
}

TEST(Startup, CancelInTheNotRespondingDialogEndsWithoutTouchingTheInstrument)
{
    FakeParallelInstrument vna;
    vna.fixedBit7 = 0; // nothing connected
    Bench b("adctype = 2440\n");
    b.platform.queue(Answer::cancel());
    std::size_t writesAtDialog = 0;
    b.platform.onDialog = [&](const ui::DialogRecord&) { writesAtDialog = vna.accesses.size(); };
    EXPECT_FALSE(b.load());
    EXPECT_TRUE(b.platform.ended());
    EXPECT_EQ(vna.accesses.size(), writesAtDialog);
    EXPECT_FALSE(b.w->sweep.UiReady);
}

TEST(Startup, UsbReachesReadyWithTheStartupFrames)
{
    FakeUsbInstrument vna;
    Bench b("usb = yes\nadcdel = 20\nadcavg = 4\nadctype = 2440\nadcmode = 3\n");
    ASSERT_TRUE(b.load());
    EXPECT_TRUE(b.platform.dialogs().empty());
    ASSERT_EQ(vna.frames.size(), 4u);
    EXPECT_EQ(bytes(vna.frames[0]), (std::vector<int>{0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(vna.frames[1][1], 0xC0);
    EXPECT_EQ(vna.frames[2][1], 0x40);
    EXPECT_EQ(bytes(vna.frames[3]), (std::vector<int>{0x55, 0x50, 20, 4, 3, 0x00, 0x01, 0xB9, 0xD3, 0x5E, 0x00, 0x01, 0xB9, 0xD3, 0x5E}));
    // Three probe replies, the extra one, then a dropped one and the result.
    EXPECT_EQ(vna.reads, 6);
    EXPECT_NEAR(b.w->instrument().AdcVolts, 0.5, 1e-8);
    EXPECT_TRUE(b.w->sweep.UiReady);
}

TEST(Startup, UsbNotReadyOrAFailedExtraReadOffersTheRetry)
{
    {
        FakeUsbInstrument vna;
        vna.notReady = true;
        Bench b("usb = yes\n");
        b.platform.queue(Answer::cancel());
        EXPECT_FALSE(b.load());
        ASSERT_EQ(b.platform.dialogs().size(), 1u);
        EXPECT_EQ(b.platform.dialogs()[0].text, UsbNotResponding);
        EXPECT_EQ(vna.frames.size(), 1u);
    }
    {
        FakeUsbInstrument vna;
        vna.failReadFrom = 3; // the fourth read, after the probe's three
        Bench b("usb = yes\n");
        b.platform.queue(Answer::ok());
        b.platform.onDialog = [&](const ui::DialogRecord&) { vna.failReadFrom = -1; };
        ASSERT_TRUE(b.load());
        ASSERT_EQ(b.platform.dialogs().size(), 1u);
        EXPECT_EQ(b.platform.dialogs()[0].text, UsbNotResponding);
        EXPECT_EQ(vna.frames[1][0], 0x55); // the retry starts with the status frame again
        EXPECT_EQ(vna.frames[1][1], 0x00);
    }
}

TEST(Startup, FailedUsbTransferIsFatal)
{
    FakeUsbInstrument vna;
    vna.failReadFrom = 1;
    Bench b("usb = yes\n");
    b.platform.queue(Answer::ok());
    EXPECT_FALSE(b.load());
    EXPECT_EQ(b.messages(), (std::vector<std::string>{UsbFatalText}));
    EXPECT_EQ(b.platform.dialogs()[0].detail, "");
    EXPECT_TRUE(b.platform.ended());
}

TEST(Startup, TheLinksCauseIsTheMessagesDetail)
{
    const std::string cause = "USB device 0547:2131 (bus 001 address 002) was disconnected";
    {
        FakeUsbInstrument vna;
        vna.failReadFrom = 1;
        vna.setCause(cause);
        Bench b("usb = yes\n");
        EXPECT_FALSE(b.load());
        ASSERT_EQ(b.platform.dialogs().size(), 1u);
        EXPECT_EQ(b.platform.dialogs()[0].text, UsbFatalText); // the program's message stays as it is
        EXPECT_EQ(b.platform.dialogs()[0].detail, cause);
    }
    {
        // The retry dialog after a failed extra read says why, once.
        FakeUsbInstrument vna;
        vna.failReadFrom = 3;
        vna.setCause(cause);
        Bench b("usb = yes\n");
        b.platform.queue(Answer::ok());
        b.platform.onDialog = [&](const ui::DialogRecord&) {
            vna.failReadFrom = -1;
            vna.setCause("");
        };
        ASSERT_TRUE(b.load());
        ASSERT_EQ(b.platform.dialogs().size(), 1u);
        EXPECT_EQ(b.platform.dialogs()[0].text, UsbNotResponding);
        EXPECT_EQ(b.platform.dialogs()[0].detail, cause);
    }
}

TEST(Startup, MissingLibraryIsNamedAndEndsTheProgram)
{
    Bench b("adctype = 2440\n", test::emptyLibraryDir());
    b.platform.queue(Answer::ok());
    EXPECT_FALSE(b.load());
    ASSERT_EQ(b.messages().size(), 1u);
    EXPECT_EQ(b.messages()[0].rfind("Cannot load libinpout32.so\r", 0), 0u) << b.messages()[0];

    Bench usb("usb = yes\n", test::brokenLibraryDir());
    usb.platform.queue(Answer::ok());
    EXPECT_FALSE(usb.load());
    EXPECT_EQ(usb.messages()[0].rfind("Cannot load libbrindle.so\r", 0), 0u);

    Bench half("adctype = 2440\n", test::brokenLibraryDir());
    half.platform.queue(Answer::ok());
    EXPECT_FALSE(half.load());
    EXPECT_EQ(half.messages(), (std::vector<std::string>{"Function Inp32 not found in libinpout32.so"}));
}

TEST(Exit, PowersTheSynthesisersDownOverEitherTransport)
{
    {
        FakeParallelInstrument vna;
        Bench b("adctype = 2440\n");
        ASSERT_TRUE(b.load());
        b.w->cal.CalUnsaved = -1;
        b.platform.queue(Answer::no());
        vna.clear();
        EXPECT_FALSE(b.run([&] { b.w->controls().userClick("End_Button"); }));
        EXPECT_TRUE(b.platform.ended());
        // Asked again about the unsaved calibration before leaving.
        EXPECT_EQ(b.messages(), (std::vector<std::string>{" Save calibration file now?"}));
        EXPECT_EQ(vna.dataWrites().size(), 83u);
        EXPECT_EQ(vna.controlA, 0x04);
        EXPECT_EQ(vna.wordA, 29u);
    }
    {
        FakeUsbInstrument vna;
        Bench b("usb = yes\n");
        ASSERT_TRUE(b.load());
        vna.clear();
        EXPECT_FALSE(b.run([&] { b.w->End_Button_Click(); }));
        ASSERT_EQ(vna.frames.size(), 1u);
        EXPECT_EQ(bytes(vna.frames[0]), (std::vector<int>{0x55, 0xC0, 0, 0, 0, 0x04, 0x01, 0xB9, 0xCC, 0x48, 0x04, 0x01, 0xB9, 0xCC, 0x48}));
    }
}

TEST(About, ShowsTitleVersionAndDate)
{
    Bench b("");
    const auto& exit = b.w->controls().at("End_Button");
    EXPECT_EQ(exit.caption(), "OFF");
    EXPECT_EQ(exit.toolTip(), "Exit Orbilan");
    EXPECT_EQ(b.w->controls().at("OrbilanButton").toolTip(), "About Orbilan");
    EXPECT_EQ(b.w->controls().at("TitleLabel").caption(), "Orbilan for Kesp VNA");
    b.platform.queue(Answer::ok());
    ASSERT_TRUE(b.run([&] { b.w->controls().userClick("OrbilanButton"); }));
    ASSERT_EQ(b.platform.dialogs().size(), 1u);
    EXPECT_EQ(b.platform.dialogs()[0].title, "About Orbilan");
    EXPECT_EQ(b.platform.dialogs()[0].buttons, ui::MsgButtons::Ok);
    EXPECT_EQ(b.platform.dialogs()[0].text.rfind("Orbilan for Kesp VNA\rVersion 1.3D, 01 Sep 2008\r", 0), 0u);
}
