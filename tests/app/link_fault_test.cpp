// The instrument failing while the program works with it, on the simulated
// instrument through the real port and USB libraries: a USB transfer that
// fails at the first, a middle or the last point of a sweep or of a
// calibration ends the program with its one message and leaves the files on
// disk as they were; a result that never comes names the time limit; a
// result without words is a point that was not measured; an ADC that never ends its
// conversion stops the sweep before the point it could not measure; and an
// instrument that never answers at start-up lets Cancel end the program
// before anything is sent.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "cal/cal_file.h"
#include "instrument/instrument.h"
#include "sim_window.h"

using namespace orbilan;
using app::MainWindow;
using test::readFile;
using test::TempDir;
using ui::Answer;

#if ORBILAN_HAVE_SIM

namespace {

namespace fs = std::filesystem;

const std::string UsbFatalText = "USB Communication error with VNA: aborting program";
constexpr int Points = 5;

std::map<std::string, std::string> filesIn(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = readFile(e.path());
    return files;
}

class FaultWindow : public test::SimWindowTest {
protected:
    explicit FaultWindow(const std::string& ini) : SimWindowTest(ini)
    {
        kesp_sim_set_noise(0);
        kesp_sim_set_dut("thru");
        w.instrument().setTimeLimits({50, 50});
        w.onPointYield = [this] {
            plotted.push_back(w.sweep.PointIndex);
            if (atYield)
                atYield(static_cast<int>(plotted.size()));
        };
    }

    // Every answer the test scripted was asked for.
    void TearDown() override { EXPECT_EQ(platform.pendingAnswers(), 0u); }

    MainWindow& w = *window;

    void setSweep()
    {
        w.settings.SweepPoints = Points;
        w.sweep.FreqList = {};
        w.sweep.FreqList[0] = 1;
        for (int k = 1; k <= Points; ++k)
            w.sweep.FreqList[static_cast<std::size_t>(k)] = 1000000 * k;
        w.sweep.SweepDefined = true;
    }

    // A transmission calibration of the sweep, saved to bench.cal: the file a
    // later fault must leave alone.
    void calibrateAndSave()
    {
        setSweep();
        ASSERT_TRUE(w.deliver([&] { w.ModeButton_Click(0); }));
        platform.queue(Answer::ok()); // thru
        platform.queue(Answer::ok()); // isolation
        platform.queue(Answer::yes());
        platform.queue(Answer::file((files.path() / "bench.cal").string()));
        ASSERT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
        ASSERT_EQ(w.controls().at("CalLabel").caption(), "Calibrated");
        ASSERT_EQ(w.cal.CalUnsaved, 0);
        before = filesIn(files.path());
        ASSERT_EQ(before.size(), 1u);
        platform.clearDialogs();
        plotted.clear();
    }

    // A calibration of one kind (0 transmission, 1 reflection) whose save
    // question is answered No.
    void calibrateDecliningTheSave(int mode)
    {
        setSweep();
        ASSERT_TRUE(w.deliver([&] { w.ModeButton_Click(mode); }));
        for (int k = 0; k < (mode == 1 ? 3 : 2); ++k)
            platform.queue(Answer::ok());
        platform.queue(Answer::no());
        ASSERT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
        ASSERT_EQ(w.cal.CalUnsaved, -1);
        platform.clearDialogs();
        plotted.clear();
    }

    bool singleSweep()
    {
        return w.deliver([&] { w.controls().userClick("SweepButton", 3); });
    }

    // The sweep control shows what Pause would have left: Stopped, its lamp
    // lit, Pause itself disabled.
    void expectStopped()
    {
        const auto& c = w.controls();
        EXPECT_EQ(c.at("SweepStatus").caption(), "Stopped");
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(c.at("SweepButton", i).enabled(), i != 2);
            EXPECT_EQ(c.at("SweepLED", i).backColour() == w.controls().at("SweepLED", 2).backColour(), i == 2);
        }
    }

    TempDir files;
    std::map<std::string, std::string> before;
    std::vector<int> plotted;
    std::function<void(int yields)> atYield;
};

struct OverUsb : FaultWindow {
    OverUsb() : FaultWindow("usb = yes\n") {}
};

// A transfer fault and where it strikes: the point (1 = first, 3 = middle,
// 5 = last).
struct Strike {
    const char* fault;
    int point;
};

std::string expectedMessage(const char* fault)
{
    return std::string(fault) == "no-result" ? "No measurement result from VNA within 0.05 seconds\r" + UsbFatalText
                                             : UsbFatalText;
}

// "usb-read-fail:1" fails the next read; "no-result" holds every result back.
std::string armed(const char* fault, int transfer)
{
    return std::string(fault) == "no-result" ? "no-result" : std::string(fault) + ":" + std::to_string(transfer);
}

class SweepStrike : public OverUsb, public ::testing::WithParamInterface<Strike> {};
class CalibrationStrike : public OverUsb, public ::testing::WithParamInterface<Strike> {};

const Strike strikes[] = {
    {"usb-write-fail", 1}, {"usb-write-fail", 3}, {"usb-write-fail", Points},
    {"usb-read-fail", 1},  {"usb-read-fail", 3},  {"usb-read-fail", Points},
    {"no-result", 1},      {"no-result", 3},
};

std::string strikeName(const ::testing::TestParamInfo<Strike>& info)
{
    std::string name = info.param.fault;
    name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
    return name + "AtPoint" + std::to_string(info.param.point);
}

} // namespace

TEST_P(SweepStrike, EndsTheProgramAtThatPointAndLeavesTheFilesAlone)
{
    calibrateAndSave();
    const Strike s = GetParam();
    // Armed once the point before has been plotted, so that it strikes the
    // first transfer of the point itself.
    if (s.point == 1)
        ASSERT_EQ(kesp_sim_set_fault(armed(s.fault, 1).c_str()), 1);
    else
        atYield = [&](int) {
            if (w.sweep.PointIndex == s.point - 1)
                kesp_sim_set_fault(armed(s.fault, 1).c_str());
        };
    EXPECT_FALSE(singleSweep());
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{expectedMessage(s.fault)});
    std::vector<int> expected;
    for (int k = 1; k < s.point; ++k)
        expected.push_back(k);
    EXPECT_EQ(plotted, expected);
    EXPECT_EQ(filesIn(files.path()), before);
}

TEST_P(CalibrationStrike, EndsTheProgramWithoutASaveQuestionAndLeavesTheFilesAlone)
{
    calibrateAndSave();
    const Strike s = GetParam();
    // The fault strikes while the isolation, the second standard, is
    // measured. Its sweep starts with a warm-up exchange (one write, one
    // read) before the first point.
    platform.onDialog = [&](const ui::DialogRecord& d) {
        if (d.title == "VNA Open Calibration" && s.point == 1)
            kesp_sim_set_fault(armed(s.fault, 2).c_str());
    };
    atYield = [&](int yields) {
        if (s.point > 1 && yields == Points + s.point - 1)
            kesp_sim_set_fault(armed(s.fault, 1).c_str());
    };
    platform.queue(Answer::ok());
    platform.queue(Answer::ok());
    EXPECT_FALSE(w.deliver([&] { w.CalibrateButton_Click(); }));
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"Connect thru, then click OK",
                                                                 "Leave detector port open, then click OK",
                                                                 expectedMessage(s.fault)}));
    EXPECT_EQ(static_cast<int>(plotted.size()), Points + s.point - 1);
    EXPECT_EQ(filesIn(files.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Usb, SweepStrike, ::testing::ValuesIn(strikes), strikeName);
INSTANTIATE_TEST_SUITE_P(Usb, CalibrationStrike, ::testing::ValuesIn(strikes), strikeName);

const std::string EmptyResultText =
    "The measurement result from VNA holds no reading\rCheck that VNA is connected and switched on.";

TEST_F(OverUsb, AResultWithoutWordsStopsTheSweepBeforeThatPoint)
{
    calibrateAndSave();
    atYield = [&](int) {
        if (w.sweep.PointIndex == 2)
            kesp_sim_set_fault("empty-result");
    };
    const app::Complex earlier = w.cal.RawPoints[3];
    EXPECT_TRUE(singleSweep());
    EXPECT_FALSE(platform.ended());
    EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{EmptyResultText});
    EXPECT_EQ(plotted, (std::vector<int>{1, 2}));
    EXPECT_FALSE(w.sweep.PassDone);
    EXPECT_EQ(w.cal.RawPoints[3], earlier);
    expectStopped();

    // Resumed once the instrument reads again, the pass measures point 3.
    kesp_sim_set_fault("none");
    atYield = nullptr;
    EXPECT_TRUE(singleSweep());
    EXPECT_TRUE(w.sweep.PassDone);
    EXPECT_EQ(plotted, (std::vector<int>{1, 2, 3, 4, 5}));
    double re = 0, im = 0;
    ASSERT_EQ(kesp_sim_raw_reading(3000000, &re, &im), 1);
    EXPECT_NEAR(w.cal.RawPoints[3].re - kesp_sim_detector_offset(), re, 2e-3);
}

TEST_F(OverUsb, AResultWithoutWordsMakesNoCalibration)
{
    calibrateAndSave();
    atYield = [&](int yields) {
        if (yields == 3)
            kesp_sim_set_fault("empty-result");
    };
    platform.queue(Answer::ok()); // thru
    EXPECT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{"Connect thru, then click OK", EmptyResultText}));
    // Left incomplete, as a cancel leaves it; the file of the calibration
    // before stays as it was.
    EXPECT_FALSE(w.cal.TransCalValid);
    EXPECT_NE(w.controls().at("CalLabel").caption(), "Calibrated");
    EXPECT_EQ(filesIn(files.path()), before);
}

// A calibration made, and not saved, before the link failed: the fatal end
// offers it, since saving needs only the disk.
class FatalFaultWithUnsavedCalibration : public OverUsb, public ::testing::WithParamInterface<const char*> {};

TEST_P(FatalFaultWithUnsavedCalibration, OffersItBeforeTheProgramEnds)
{
    const char* fault = GetParam();
    calibrateDecliningTheSave(0);
    atYield = [&](int) {
        if (w.sweep.PointIndex == 2)
            kesp_sim_set_fault(armed(fault, 1).c_str());
    };
    const auto kept = files.path() / "kept.cal";
    platform.queue(Answer::yes());
    platform.queue(Answer::file(kept.string()));
    EXPECT_FALSE(singleSweep());
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{expectedMessage(fault), " Save calibration file now?"}));
    const auto saved = cal::ReadCalFile(readFile(kept));
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->Points, Points);
    EXPECT_EQ(saved->Modes, 2); // transmission
    EXPECT_NEAR(saved->Thru[3].re, w.cal.CalThru[3].re, 1e-5);
}

INSTANTIATE_TEST_SUITE_P(Usb, FatalFaultWithUnsavedCalibration, ::testing::Values("usb-read-fail", "no-result"),
                         [](const auto& info) { return std::string(info.param) == "no-result" ? "NoResult" : "ReadFail"; });

TEST_F(OverUsb, AFatalFaultAfterExitDeclinedOrDuringACalibrationAsksNothing)
{
    // Exit has just asked and been told No; powering down then fails.
    calibrateDecliningTheSave(0);
    ASSERT_EQ(kesp_sim_set_fault("usb-write-fail:1"), 1);
    platform.queue(Answer::no());
    EXPECT_FALSE(w.deliver([&] { w.End_Button_Click(); }));
    EXPECT_EQ(platform.messageTexts(), (std::vector<std::string>{" Save calibration file now?", UsbFatalText}));
    EXPECT_TRUE(filesIn(files.path()).empty());
}

TEST_F(OverUsb, AFatalFaultDuringACalibrationOffersNothingHalfMade)
{
    // The transmission calibration is whole; the reflection one is being made
    // when the link fails, its open readings already replaced.
    calibrateDecliningTheSave(0);
    ASSERT_TRUE(w.deliver([&] { w.ModeButton_Click(1); }));
    platform.clearDialogs();
    atYield = [&](int yields) {
        if (yields == 3)
            kesp_sim_set_fault("usb-read-fail:1");
    };
    platform.queue(Answer::ok()); // open
    EXPECT_FALSE(w.deliver([&] { w.CalibrateButton_Click(); }));
    EXPECT_TRUE(platform.ended());
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{"Connect open circuit reference, then click OK", UsbFatalText}));
    EXPECT_TRUE(filesIn(files.path()).empty());
}

struct OverParallel : FaultWindow {
    OverParallel() : FaultWindow("adctype = 2440\n") {}
};

TEST_F(OverParallel, StuckAdcStopsTheSweepBeforeThePointItCouldNotMeasure)
{
    calibrateAndSave();
    const app::Complex stale{0.25, -0.25};
    w.cal.RawPoints[3] = stale;
    w.cal.PointData[3] = stale;
    atYield = [&](int) {
        if (w.sweep.PointIndex == 2)
            kesp_sim_set_fault("adc-stuck");
    };
    EXPECT_TRUE(singleSweep());
    EXPECT_FALSE(platform.ended());
    EXPECT_EQ(platform.messageTexts(),
              std::vector<std::string>{"No reading from the ADC within 0.05 seconds\rCheck that VNA is connected and switched on."});
    // Nothing shown for point 3: it was not measured.
    EXPECT_EQ(plotted, (std::vector<int>{1, 2}));
    EXPECT_EQ(w.cal.PointData[3].re, stale.re);
    EXPECT_TRUE(w.sweep.StopSweep);
    expectStopped();

    // Once the ADC answers again, the sweep resumes at the point it missed.
    kesp_sim_set_fault("none");
    atYield = nullptr;
    plotted.clear();
    EXPECT_TRUE(singleSweep());
    EXPECT_EQ(plotted, (std::vector<int>{3, 4, 5}));
    EXPECT_NE(w.cal.RawPoints[3].re, stale.re);
    EXPECT_EQ(platform.dialogs().size(), 1u);
}

TEST_F(OverParallel, StuckAdcEndsAContinuousSweepShowingStopped)
{
    calibrateAndSave();
    atYield = [&](int yields) {
        if (yields == Points + 2) // the second pass's second point
            kesp_sim_set_fault("adc-stuck");
    };
    EXPECT_TRUE(w.deliver([&] { w.controls().userClick("SweepButton", 1); }));
    kesp_sim_set_fault("none");
    EXPECT_EQ(platform.messageTexts().size(), 1u);
    EXPECT_EQ(plotted.size(), static_cast<std::size_t>(Points + 2));
    EXPECT_TRUE(w.sweep.StopSweep);
    expectStopped();
    // Saving data and the trace tools stay off: the trace on screen is half old, half new.
    EXPECT_FALSE(w.controls().at("SaveDataButton").enabled());
}

TEST_F(OverParallel, StuckAdcDuringACalibrationLeavesTheKindUncalibrated)
{
    calibrateAndSave();
    atYield = [&](int yields) {
        if (yields == Points + 2) // the isolation's second point
            kesp_sim_set_fault("adc-stuck");
    };
    platform.queue(Answer::ok()); // thru
    platform.queue(Answer::ok()); // isolation
    EXPECT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
    kesp_sim_set_fault("none");
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{"Connect thru, then click OK", "Leave detector port open, then click OK",
                                        "No reading from the ADC within 0.05 seconds\rCheck that VNA is connected "
                                        "and switched on."}));
    EXPECT_EQ(plotted.size(), static_cast<std::size_t>(Points + 2));
    // Half an isolation is no calibration (and nothing is left to save).
    EXPECT_EQ(w.cal.CalModes % 10, 0);
    EXPECT_FALSE(w.cal.TransCalValid);
    EXPECT_EQ(w.controls().at("CalLabel").caption(), "Not Calibrated");
    EXPECT_EQ(filesIn(files.path()), before);
}

// No instrument at all: the retry dialog of either transport, and Cancel ends
// the program at once (over USB, nothing follows the status frame).
TEST(StartupWithoutAnInstrument, CancelEndsTheProgram)
{
    for (const bool usb : {false, true}) {
        SCOPED_TRACE(usb ? "USB" : "parallel");
        TempDir dir;
        dir.write("vna.ini", usb ? "usb = yes\n" : "adctype = 2440\n");
        kesp_sim_reset();
        kesp_sim_set_timing(0);
        ASSERT_EQ(kesp_sim_set_fault("no-instrument"), 1);
        test::TestPlatform platform;
        app::ProgramOptions o;
        o.iniDir = dir.str();
        o.simulate = true;
        o.libraryDir = ORBILAN_BIN_DIR;
        MainWindow w(platform, o);
        w.instrument().setTimeLimits({50, 50});
        platform.queue(Answer::cancel());
        EXPECT_FALSE(w.deliver([&] { w.Form_Load(); }));
        EXPECT_TRUE(platform.ended());
        ASSERT_EQ(platform.dialogs().size(), 1u);
        EXPECT_EQ(platform.dialogs()[0].title, "VNA Not Responding");
        EXPECT_EQ(platform.dialogs()[0].buttons, ui::MsgButtons::OkCancel);
        EXPECT_EQ(platform.dialogs()[0].text,
                  usb ? "Check that VNA is connected to USB port and switched on.\rOK to retry, Cancel to exit."
                      : "Check that VNA is connected to correct printer port and is switched on.\rOK to retry, "
                        "Cancel to exit.");
        KespSimUsbState usbState{};
        kesp_sim_get_usb(&usbState);
        if (usb) {
            EXPECT_EQ(usbState.writes, 1u); // the status frame, and no DDS frame after it
        }
        EXPECT_FALSE(w.sweep.UiReady);
        kesp_sim_set_fault("none");
    }
    kesp_sim_reset();
}

#else

TEST(LinkFaults, NeedTheSimulator) { GTEST_SKIP() << "the simulator (libkespsim) is not part of this build"; }

#endif
