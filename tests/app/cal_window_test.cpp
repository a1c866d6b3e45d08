// The calibration area of the main window: which calibration applies to the
// present sweep and how the window shows it, the dialogue of both calibration
// procedures, the calibration file and the data export through the dialogs.
// State is set directly; what is measured comes from the simulator.
#include <cmath>
#include <filesystem>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_window.h"
#include "cal/cal_file.h"
#include "sim_window.h"
#include "support/test_platform.h"

using namespace orbilan;
using app::MainWindow;
using orbilan::test::readFile;
using orbilan::test::TempDir;
using ui::Answer;

namespace {

constexpr ui::Rgb Red = 0xFF0000, Green = 0x00FF00, Yellow = 0xFFFF00;

class CalWindow : public test::SimWindowTest {
protected:
    MainWindow& w = *window;

    // Controls of other areas may not exist yet: c() makes them on the spot.
    ui::Control& ctl(const std::string& name, int index = -1) { return w.c(name, index); }
    const std::string& caption(const std::string& name, int index = -1) { return ctl(name, index).caption(); }

    void defineSweep(const std::vector<std::int32_t>& freqs)
    {
        w.settings.SweepPoints = static_cast<std::int16_t>(freqs.size());
        w.sweep.FreqList = {};
        w.sweep.FreqList[0] = 1;
        for (std::size_t k = 0; k < freqs.size(); ++k)
            w.sweep.FreqList[k + 1] = freqs[k];
        w.sweep.SweepDefined = true;
    }

    // A calibration on freqs whose standard readings identify their point.
    void holdCalibration(const std::vector<std::int32_t>& freqs, std::int16_t modes)
    {
        w.cal.CalFreq = {};
        w.cal.CalFreq[0] = static_cast<std::int32_t>(freqs.size());
        for (std::size_t k = 0; k < freqs.size(); ++k) {
            const double v = static_cast<double>(k + 1);
            w.cal.CalFreq[k + 1] = freqs[k];
            w.cal.CalOpen[k + 1] = {v, -v};
            w.cal.CalShort[k + 1] = {-v, 0.5 * v};
            w.cal.CalLoad[k + 1] = {0.1 * v, 0.2};
            w.cal.CalThru[k + 1] = {2 * v, v};
            w.cal.CalIsol[k + 1] = {0.01 * v, 0};
            w.cal.CalLoadModel[k + 1] = {50 + v, 0};
        }
        w.cal.CalModes = modes;
    }

    void selectMode(int mode)
    {
        w.cal.MeasMode = static_cast<std::int16_t>(mode);
        ctl("ModeButton", mode).setValueQuietly(1);
    }

    std::vector<std::string> titles() const
    {
        std::vector<std::string> t;
        for (const auto& d : platform.dialogs())
            t.push_back(d.title);
        return t;
    }
};

const std::vector<std::int32_t> calSweep{1000000, 2000000, 3000000, 4000000, 5000000};

} // namespace

TEST_F(CalWindow, StartsUncalibrated)
{
    EXPECT_EQ(caption("ModeButton", 0), "Trans");
    EXPECT_EQ(caption("ModeButton", 1), "Refl");
    EXPECT_EQ(caption("ModeButton", 2), "GrpDel");
    EXPECT_EQ(ctl("ModeButton", 0).value(), 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ctl("ModeCalLED", i).backColour(), Red);
        EXPECT_EQ(ctl("ModeButton", i).toolTip(), "NOT CALIBRATED for this mode");
    }
    EXPECT_EQ(caption("CalLabel"), "Not Calibrated");
    EXPECT_EQ(caption("FileLabel"), "None");
    EXPECT_EQ(caption("GDstepLabel"), "GD Aperture       ---");
    EXPECT_FALSE(ctl("CalInfo").visible());
    EXPECT_EQ(ctl("CalInfoButton").toolTip(), "Show Setup/Calibration information");
    EXPECT_FALSE(ctl("SaveCalButton").enabled());
}

TEST_F(CalWindow, IdenticalSweepIsCalibrated)
{
    holdCalibration(calSweep, 1);
    defineSweep(calSweep);
    selectMode(1);
    w.CheckMachineStatus();
    EXPECT_EQ(w.cal.CalStatus, 2);
    EXPECT_TRUE(w.cal.ReflCalValid);
    EXPECT_FALSE(w.cal.TransCalValid);
    EXPECT_EQ(caption("CalLabel"), "Calibrated");
    EXPECT_EQ(ctl("CalLabel").backColour(), Green);
    EXPECT_EQ(ctl("ModeCalLED", 1).backColour(), Green);
    EXPECT_EQ(ctl("ModeCalLED", 0).backColour(), Red);
    EXPECT_EQ(ctl("ModeButton", 1).toolTip(), "CALIBRATED for this mode");
    EXPECT_EQ(w.cal.WorkOpen, w.cal.CalOpen);
    EXPECT_EQ(w.cal.LoadModel, w.cal.CalLoadModel); // the calibration's own model
    EXPECT_TRUE(ctl("SaveCalButton").enabled());
    EXPECT_TRUE(ctl("SweepFrame").visible());
    EXPECT_EQ(w.disp.XLeft, 1000000);
    EXPECT_EQ(w.disp.XRight, 5000000);
    EXPECT_EQ(ctl("CalInfo").caption(), "Calibration is Explicit");
    EXPECT_EQ(caption("SetupStart"), "Same");
    EXPECT_FALSE(ctl("GDwindowButton").visible());

    // "Plot F=0" moves the left edge to 0 Hz.
    ctl("FixX0").setValueQuietly(1);
    w.CheckMachineStatus();
    EXPECT_EQ(w.disp.XLeft, 0);
}

TEST_F(CalWindow, SweepInsideTheCalibrationIsInterpolated)
{
    holdCalibration(calSweep, 3);
    defineSweep({1000000, 2500000, 4000000});
    selectMode(0);
    w.settings.LoadStdR = 75;
    w.CheckMachineStatus();
    EXPECT_EQ(w.cal.CalStatus, 3);
    EXPECT_TRUE(w.cal.TransCalValid);
    EXPECT_EQ(caption("CalLabel"), "Interpolated");
    EXPECT_EQ(ctl("CalLabel").backColour(), Yellow);
    // Points on calibration frequencies take its values unchanged.
    EXPECT_EQ(w.cal.WorkOpen[1], w.cal.CalOpen[1]);
    EXPECT_EQ(w.cal.WorkThru[3], w.cal.CalThru[4]);
    EXPECT_EQ(w.cal.WorkShort[2], (cal::Complex{-2.5, 1.25}));
    EXPECT_EQ(w.cal.WorkIsol[2], (cal::Complex{0.025, 0}));
    // Between calibration points the load model is recomputed from the settings.
    EXPECT_NEAR(w.cal.LoadModel[2].re, 75, 1e-9);
    EXPECT_EQ(w.disp.XRight, 4000000);
    EXPECT_EQ(ctl("CalInfo").caption(), "CAUTION: Calibration is Interpolated");
    EXPECT_EQ(caption("CalStartC"), "1000000");
    EXPECT_EQ(caption("SetupEnd"), "4000000");
    EXPECT_EQ(caption("SetupSteps"), "2");
    EXPECT_EQ(ctl("GDstep").text(), "1000");
}

TEST_F(CalWindow, SweepBeyondTheCalibrationIsNotCovered)
{
    holdCalibration(calSweep, 3);
    defineSweep({1000000, 3000000, 5000001});
    selectMode(1);
    w.cal.CalUnsaved = 1;
    w.CheckMachineStatus();
    EXPECT_EQ(w.cal.CalStatus, 1);
    EXPECT_FALSE(w.cal.ReflCalValid);
    EXPECT_EQ(caption("CalLabel"), "Not Calibrated");
    EXPECT_EQ(ctl("CalLabel").backColour(), Red);
    EXPECT_FALSE(ctl("SweepFrame").visible());
    EXPECT_FALSE(ctl("SaveCalButton").enabled());
    // The calibration is still held and unsaved: the reminder stays.
    EXPECT_EQ(w.cal.CalUnsaved, 1);
    EXPECT_EQ(ctl("CalInfo").caption(), "Options: 1. 'Set Sweep', then 'Calibrate', or 2. 'Load Cal'");
    EXPECT_EQ(caption("CalStartC"), "(1000000)");
    EXPECT_EQ(caption("CalStepsC"), "(4)");
    EXPECT_EQ(caption("SetupStart"), "None");

    // Nothing held at all: nothing to remind of.
    w.cal.CalModes = 0;
    w.CheckMachineStatus();
    EXPECT_EQ(w.cal.CalUnsaved, 0);

    // Below the first calibration frequency.
    holdCalibration(calSweep, 3);
    defineSweep({999999, 3000000});
    w.CheckMachineStatus();
    EXPECT_EQ(w.cal.CalStatus, 1);
}

TEST_F(CalWindow, CalibrationMadeWithOtherCdsStateDoesNotApply)
{
    holdCalibration(calSweep, 13);
    defineSweep(calSweep);
    selectMode(0);
    w.CheckMachineStatus();
    EXPECT_FALSE(w.cal.TransCalValid);
    w.sweep.CdsOn = true;
    w.CheckMachineStatus();
    EXPECT_TRUE(w.cal.TransCalValid);
    EXPECT_TRUE(w.cal.ReflCalValid);
    EXPECT_EQ(ctl("ModeCalLED", 2).backColour(), Green);
}

TEST_F(CalWindow, GroupDelayModeShowsItsApertureOnly)
{
    holdCalibration(calSweep, 2);
    defineSweep(calSweep);
    w.ModeButton_Click(2);
    EXPECT_EQ(w.cal.MeasMode, 2);
    EXPECT_EQ(w.disp.DisplayCode, 20);
    EXPECT_EQ(caption("DisplayLabel"), "dB,\xC2\xB5s");
    EXPECT_EQ(caption("Y2Label"), "\xC2\xB5s");
    EXPECT_EQ(caption("PlotOption", 1), "\xC2\xB5s");
    EXPECT_TRUE(w.sweep.StopSweep);
    EXPECT_TRUE(ctl("GDwindowButton").visible());
    EXPECT_TRUE(ctl("GDstep").visible());
    EXPECT_FALSE(ctl("SingleFreqSweep").enabled());

    w.ModeButton_Click(1); // not calibrated for reflection
    EXPECT_EQ(w.disp.DisplayCode, 10);
    EXPECT_EQ(caption("DisplayLabel"), "|Z|,deg");
    EXPECT_EQ(ctl("ModeButton", 1).value(), 1);
    EXPECT_EQ(ctl("ModeButton", 2).value(), 0);
    EXPECT_FALSE(ctl("GDwindowButton").visible());
    EXPECT_FALSE(ctl("GDstep").visible());
    EXPECT_FALSE(ctl("SweepFrame").visible());
}

TEST_F(CalWindow, ReflectionCalibrationDialogue)
{
    REQUIRE_SIMULATOR();
    int finished = 0;
    w.onCalibrationFinished = [&finished] { ++finished; };
    defineSweep(calSweep);
    selectMode(1);
    platform.queue(Answer::ok());
    platform.queue(Answer::ok());
    platform.queue(Answer::ok());
    platform.queue(Answer::no()); // the save question that follows
    w.CalibrateButton_Click();

    EXPECT_EQ(titles(), (std::vector<std::string>{"VNA Open Calibration", "VNA Short Calibration",
                                                  "VNA Load Calibration", "Unsaved Calibration File"}));
    EXPECT_EQ(platform.dialogs()[0].text, "Connect open circuit reference, then click OK");
    EXPECT_EQ(platform.dialogs()[1].text, "Connect short circuit reference, then click OK");
    EXPECT_EQ(platform.dialogs()[2].text, "Connect reference load, then click OK");
    EXPECT_EQ(platform.dialogs()[3].text, " Save calibration file now?");
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(w.cal.CalModes, 1);
    EXPECT_EQ(w.cal.CalFreq[0], 5);
    EXPECT_EQ(w.cal.CalFreq[5], 5000000);
    EXPECT_NEAR(w.cal.CalLoadModel[3].re, 50, 1e-9);
    EXPECT_EQ(w.cal.CalUnsaved, -1); // declined
    EXPECT_EQ(caption("FileLabel"), "Not saved");
    EXPECT_EQ(caption("CalLabel"), "Calibrated");
    EXPECT_EQ(caption("ADCWC"), "10");
    EXPECT_EQ(caption("AvgC"), "1");
    EXPECT_TRUE(ctl("CalLoadButton").enabled());
    EXPECT_NE(w.disp.DisplayCode, 30); // the raw display does not outlive the calibration
}

TEST_F(CalWindow, CalibratingWithoutASweep)
{
    int finished = 0;
    w.onCalibrationFinished = [&finished] { ++finished; };
    selectMode(0);
    w.CalibrateButton_Click();
    ASSERT_EQ(platform.dialogs().size(), 1u);
    EXPECT_EQ(platform.dialogs()[0].title, "Error - no frequency sweep set");
    EXPECT_EQ(platform.dialogs()[0].text, "Click Set Sweep, and make sure you exit via the OK button");
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(w.cal.CalModes, 0);
    EXPECT_TRUE(ctl("CalLoadButton").enabled());
}

TEST_F(CalWindow, CancellingTheShortLeavesTransmissionOnly)
{
    REQUIRE_SIMULATOR();
    holdCalibration(calSweep, 3);
    defineSweep(calSweep);
    selectMode(1);
    platform.queue(Answer::ok());
    platform.queue(Answer::cancel());
    w.CalibrateButton_Click();
    EXPECT_EQ(titles(), (std::vector<std::string>{"VNA Open Calibration", "VNA Short Calibration"}));
    EXPECT_EQ(w.cal.CalModes, 2);
    EXPECT_FALSE(w.cal.ReflCalValid);
    EXPECT_TRUE(w.cal.TransCalValid);
    EXPECT_TRUE(ctl("CalLoadButton").enabled());
    EXPECT_EQ(w.cal.CalUnsaved, 1); // the open readings changed: worth saving

    // Cancelled at the first question: nothing changes at all.
    platform.clearDialogs();
    w.cal.CalUnsaved = 0;
    ctl("FileLabel").setCaption("a.cal");
    platform.queue(Answer::cancel());
    w.CalibrateButton_Click();
    EXPECT_EQ(w.cal.CalModes, 2);
    EXPECT_EQ(w.cal.CalUnsaved, 0);
    EXPECT_EQ(caption("FileLabel"), "a.cal");
}

TEST_F(CalWindow, TransmissionWithCdsAsksNoIsolation)
{
    REQUIRE_SIMULATOR();
    defineSweep(calSweep);
    selectMode(0);
    w.sweep.CdsOn = true;
    w.cal.CalIsol[2] = {0.3, 0.3};
    platform.queue(Answer::ok());
    platform.queue(Answer::yes()); // save now: then the file dialog
    platform.queue(Answer::cancel());
    w.CalibrateButton_Click();
    ASSERT_GE(platform.dialogs().size(), 2u);
    EXPECT_EQ(platform.dialogs()[0].title, "VNA Thru Calibration");
    EXPECT_EQ(platform.dialogs()[0].text, "Connect thru, then click OK");
    EXPECT_EQ(platform.dialogs()[1].title, "Unsaved Calibration File");
    EXPECT_EQ(w.cal.CalIsol[2], (cal::Complex{0, 0}));
    EXPECT_EQ(w.cal.CalModes, 12);
    EXPECT_TRUE(w.cal.CalCds);
    EXPECT_EQ(w.cal.CalUnsaved, 1); // the save was cancelled: still unsaved

    // Without CDS the isolation is asked for, titled as the open.
    platform.clearDialogs();
    w.sweep.CdsOn = false;
    platform.queue(Answer::ok());
    platform.queue(Answer::ok());
    platform.queue(Answer::no());
    w.CalibrateButton_Click();
    EXPECT_EQ(platform.dialogs()[1].title, "VNA Open Calibration");
    EXPECT_EQ(platform.dialogs()[1].text, "Leave detector port open, then click OK");
    EXPECT_EQ(w.cal.CalModes, 2);
}

TEST_F(CalWindow, CalibratingOneKindOnAnotherSweepDropsTheOther)
{
    REQUIRE_SIMULATOR();
    holdCalibration(calSweep, 1); // reflection on calSweep
    defineSweep({1000000, 2000000, 3000000});
    selectMode(0);
    platform.queue(Answer::ok());
    platform.queue(Answer::ok());
    platform.queue(Answer::no());
    w.CalibrateButton_Click();
    EXPECT_EQ(w.cal.CalModes, 2);
    EXPECT_FALSE(w.cal.ReflCalValid);

    // On the same sweep both stay.
    platform.clearDialogs();
    selectMode(1);
    platform.queue(Answer::ok());
    platform.queue(Answer::ok());
    platform.queue(Answer::ok());
    platform.queue(Answer::no());
    w.CalibrateButton_Click();
    EXPECT_EQ(w.cal.CalModes, 3);
    EXPECT_TRUE(w.cal.TransCalValid);
    EXPECT_TRUE(w.cal.ReflCalValid);
}

TEST_F(CalWindow, MeasureCorrectsEachPointAndStopsWhenAsked)
{
    REQUIRE_SIMULATOR();
    defineSweep(calSweep);
    selectMode(1);
    for (int i = 0; i < 3; ++i)
        platform.queue(Answer::ok());
    platform.queue(Answer::no());
    ASSERT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
    ASSERT_TRUE(w.cal.ReflCalValid);
    ASSERT_EQ(kesp_sim_set_dut("refl:R=100"), 1);

    w.sweep.ResumeIndex = 2;
    w.sweep.StopSweep = true;
    ASSERT_TRUE(w.deliver([&] { w.measure(); }));
    EXPECT_EQ(w.sweep.PointIndex, 3);
    EXPECT_EQ(w.sweep.ResumeIndex, 3);
    EXPECT_FALSE(w.sweep.PassDone);
    EXPECT_NEAR(w.cal.PointData[3].re, 100, 0.5);
    EXPECT_EQ(w.cal.PointData[4].re, 0);

    w.sweep.StopSweep = false;
    ASSERT_TRUE(w.deliver([&] { w.measure(); }));
    EXPECT_TRUE(w.sweep.PassDone);
    EXPECT_EQ(w.sweep.PointIndex, 5);
    EXPECT_NEAR(w.cal.PointData[5].re, 100, 0.5);
    EXPECT_NEAR(w.cal.PointData[5].im, 0, 0.5);
    EXPECT_EQ(w.cal.PointData[1].re, 0); // before the resume point: untouched
}

TEST_F(CalWindow, AnInstrumentThatStopsAnsweringIsNeverACalibration)
{
    REQUIRE_SIMULATOR();
    defineSweep(calSweep);
    selectMode(1);
    platform.queue(Answer::ok());
    ASSERT_EQ(kesp_sim_set_fault("adc-stuck"), 1);
    ASSERT_TRUE(w.deliver([&] { w.CalibrateButton_Click(); }));
    ASSERT_EQ(platform.messageTexts().size(), 2u); // the prompt, then the link's report
    EXPECT_EQ(platform.messageTexts()[1].rfind("No reading from the ADC", 0), 0u);
    EXPECT_EQ(w.cal.CalModes, 0);
    EXPECT_EQ(w.cal.CalFreq[0], 0);
    EXPECT_EQ(caption("CalLabel"), "Not Calibrated");

    // Measuring: the point that failed is measured again on resume.
    kesp_sim_set_fault("none");
    holdCalibration(calSweep, 1);
    w.CheckMachineStatus();
    platform.clearDialogs();
    w.sweep.ResumeIndex = 0;
    w.sweep.StopSweep = false;
    kesp_sim_set_fault("adc-stuck");
    ASSERT_TRUE(w.deliver([&] { w.measure(); }));
    EXPECT_TRUE(w.sweep.StopSweep);
    EXPECT_FALSE(w.sweep.PassDone);
    EXPECT_EQ(w.sweep.ResumeIndex, 0);
    EXPECT_EQ(w.cal.PointData[1].re, 0);
}

TEST_F(CalWindow, SaveAndLoadRestoreEveryField)
{
    TempDir dir;
    holdCalibration(calSweep, 3);
    w.cal.CalOpen[2] = {1.0 / 3, -2.0 / 7};
    w.cal.CalCds = true;
    w.cal.CalUnsaved = 1;
    w.settings.AdcWaitMs = 20;
    w.settings.AdcAverages = 4;
    const auto path = (dir.path() / "bench.cal").string();
    platform.queue(Answer::file(path));
    w.SaveCalFile();
    ASSERT_EQ(platform.dialogs().size(), 1u);
    EXPECT_EQ(platform.dialogs()[0].kind, ui::DialogRecord::Kind::SaveFile);
    EXPECT_EQ(platform.dialogs()[0].title, "Save calibration data to file");
    EXPECT_EQ(platform.dialogs()[0].filter, "cal files|*.cal|All Files|*.*");
    EXPECT_EQ(w.cal.CalUnsaved, 0);
    EXPECT_EQ(caption("FileLabel"), "bench.cal");
    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(0, 28), "2440,0\r\n4,20\r\n#TRUE#\r\n5\r\n3\r\n");

    const app::CalState saved = w.cal;
    MainWindow other{platform};
    other.sweep.UiReady = true;
    other.settings.SweepPoints = 201;
    other.sweep.FreqList.fill(7);
    platform.clearDialogs();
    platform.queue(Answer::file(path));
    other.CalLoadButton_Click();
    ASSERT_EQ(platform.dialogs().size(), 1u); // no CDS warning, no message
    EXPECT_EQ(platform.dialogs()[0].title, "Load calibration data");
    EXPECT_EQ(other.cal.CalFreq, saved.CalFreq);
    // Fifteen significant digits: equal to within the last of them.
    auto near = [](const app::PointArray& a, const app::PointArray& b) {
        for (std::size_t k = 0; k < a.size(); ++k)
            if (std::abs(a[k].re - b[k].re) > 1e-14 * std::abs(b[k].re) ||
                std::abs(a[k].im - b[k].im) > 1e-14 * std::abs(b[k].im))
                return false;
        return true;
    };
    EXPECT_TRUE(near(other.cal.CalOpen, saved.CalOpen));
    EXPECT_TRUE(near(other.cal.CalShort, saved.CalShort));
    EXPECT_TRUE(near(other.cal.CalLoad, saved.CalLoad));
    EXPECT_TRUE(near(other.cal.CalThru, saved.CalThru));
    EXPECT_TRUE(near(other.cal.CalIsol, saved.CalIsol));
    EXPECT_TRUE(near(other.cal.CalLoadModel, saved.CalLoadModel));
    for (std::size_t k = 1; k <= 5; ++k)
        EXPECT_EQ(other.sweep.FreqList[k], saved.CalFreq[k]);
    EXPECT_EQ(other.sweep.FreqList[6], 0); // the old sweep's tail is gone
    EXPECT_EQ(other.settings.SweepPoints, 5);
    EXPECT_EQ(other.settings.AdcWaitMs, 20);
    EXPECT_EQ(other.settings.AdcAverages, 4);
    EXPECT_TRUE(other.sweep.CdsOn);
    EXPECT_EQ(other.controls().at("CDS_check").value(), 1);
    EXPECT_TRUE(other.sweep.UiReady);
    EXPECT_EQ(other.cal.CalModes, 13);
    EXPECT_EQ(other.cal.CalUnsaved, 0);
    EXPECT_EQ(other.cal.CalStatus, 2);
    EXPECT_TRUE(other.sweep.SweepDefined);
    EXPECT_EQ(other.sweep.SweepStart, 1000000);
    EXPECT_EQ(other.sweep.SweepEnd, 5000000);
    EXPECT_EQ(other.controls().at("FileLabel").caption(), "bench.cal");
    EXPECT_EQ(other.controls().at("ADCWC").caption(), "20");
    EXPECT_EQ(other.controls().at("CalLabel").caption(), "Calibrated");
    EXPECT_TRUE(other.controls().at("CalibrateButton").enabled());
}

TEST_F(CalWindow, AFileWithMissingPointsLeavesEverythingAsItWas)
{
    TempDir dir;
    holdCalibration(calSweep, 1);
    defineSweep(calSweep);
    selectMode(1);
    w.CheckMachineStatus();
    ctl("FileLabel").setCaption("good.cal");
    const auto path = dir.write("short.cal", "2440,5\r\n9,99\r\n#TRUE#\r\n3\r\n3\r\n"
                                             "100000,50,0,1,1,1,1,1,1,1,1,1,1\r\n"
                                             "200000,50,0,1,1,1,1,1,1,1,1,1,1\r\n");
    const app::CalState calBefore = w.cal;
    const app::SweepState sweepBefore = w.sweep;
    const app::Settings settingsBefore = w.settings;
    platform.queue(Answer::file(path.string()));
    w.CalLoadButton_Click();
    ASSERT_EQ(platform.messageTexts().size(), 1u);
    EXPECT_EQ(platform.messageTexts()[0],
              "Not a valid Orbilan Cal file!\r(Files saved by v1.3a or earlier are\rNOT COMPATIBLE with this version.)");
    EXPECT_EQ(w.cal.CalFreq, calBefore.CalFreq);
    EXPECT_EQ(w.cal.CalOpen, calBefore.CalOpen);
    EXPECT_EQ(w.cal.CalModes, calBefore.CalModes);
    EXPECT_EQ(w.sweep.FreqList, sweepBefore.FreqList);
    EXPECT_EQ(w.sweep.CdsOn, sweepBefore.CdsOn);
    EXPECT_EQ(w.settings.SweepPoints, settingsBefore.SweepPoints);
    EXPECT_EQ(w.settings.AdcType, settingsBefore.AdcType);
    EXPECT_EQ(w.settings.AdcWaitMs, settingsBefore.AdcWaitMs);
    EXPECT_EQ(caption("FileLabel"), "good.cal");
    EXPECT_EQ(caption("CalLabel"), "Calibrated"); // the window is usable again

    // Cancelling the dialog: no message, no change.
    platform.clearDialogs();
    platform.queue(Answer::cancel());
    EXPECT_FALSE(w.LoadCalFile());
    EXPECT_EQ(platform.messageTexts().size(), 0u);
    EXPECT_EQ(w.cal.CalFreq, calBefore.CalFreq);
}

TEST_F(CalWindow, AFailedSaveIsReportedAndNotShownAsSaved)
{
    TempDir dir;
    dir.write("plain", "x");
    holdCalibration(calSweep, 1);
    w.cal.CalUnsaved = 1;
    ctl("FileLabel").setCaption("Not saved");
    // A folder that cannot exist (its parent is a file), which stops even
    // the super-user.
    platform.queue(Answer::file((dir.path() / "plain" / "x.cal").string()));
    w.SaveCalFile();
    ASSERT_EQ(platform.messageTexts().size(), 1u);
    EXPECT_EQ(platform.messageTexts()[0].rfind("Error 76: Path not found\r", 0), 0u);
    EXPECT_EQ(w.cal.CalUnsaved, 1);
    EXPECT_EQ(caption("FileLabel"), "Not saved");
}

TEST_F(CalWindow, InfoPanel)
{
    holdCalibration(calSweep, 1);
    defineSweep(calSweep);
    selectMode(1);
    w.CheckMachineStatus();
    ctl("ADCWC").setCaption("10");
    ctl("AvgC").setCaption("4");
    w.FillCalInfo();
    EXPECT_EQ(caption("SetupWait"), "Same");
    EXPECT_EQ(caption("SetupAvg"), "1");
    EXPECT_EQ(caption("CalEndC"), "5000000");
    EXPECT_EQ(caption("CalStepsC"), "4");

    w.sweep.CdsOn = true;
    w.CalInfoButton_Click();
    EXPECT_TRUE(ctl("CalInfo").visible());
    EXPECT_EQ(caption("Calinfosweeptime"), caption("TimeEstimate") + " sec");
    EXPECT_EQ(caption("CDS_State"), "Yes");
    EXPECT_EQ(caption("ADCMOdeLabel"), "0");
    w.CalInfoButton_Click();
    EXPECT_FALSE(ctl("CalInfo").visible());
    w.CalInfoButton_Click();
    w.controls().userClick("CalInfoCloseButton");
    EXPECT_FALSE(ctl("CalInfo").visible());

    // No calibration at all: every field says so.
    w.cal.CalFreq = {};
    w.cal.CalStatus = 1;
    w.FillCalInfo();
    for (const char* name : {"CalStartC", "CalEndC", "CalStepsC", "ADCWC", "AvgC", "SetupStart", "SetupAvg"})
        EXPECT_EQ(caption(name), "None") << name;
    EXPECT_EQ(ctl("GDstep").text(), "1000"); // the aperture stays in view
}

TEST_F(CalWindow, DataExportThroughTheDialogs)
{
    TempDir dir;
    defineSweep({1000000, 2000000});
    w.settings.OwnerName = "Lab1";
    w.disp.DisplayCode = 14;
    w.cal.MeasMode = 1;
    w.disp.Y1Trace[1] = 1.5;
    w.disp.Y1Trace[2] = -999;
    w.sweep.UiReady = true;
    w.sweep.PointIndex = 9;
    const std::string comment(61, 'c');
    platform.queue(Answer::typed(comment));
    const auto path = (dir.path() / "dut.csv").string();
    platform.queue(Answer::file(path));
    w.controls().userClick("SaveDataButton");
    ASSERT_EQ(platform.dialogs().size(), 2u);
    EXPECT_EQ(platform.dialogs()[0].text,
              "Enter a line of test details, or a comment\r(This also becomes a template for the filename)");
    EXPECT_EQ(platform.dialogs()[1].title, "Save data to file");
    EXPECT_EQ(platform.dialogs()[1].filter, "csv (.csv)|*.csv|All Files|*.*");
    EXPECT_EQ(platform.dialogs()[1].defaultText, comment);
    EXPECT_EQ(w.sweep.PointIndex, 0);
    EXPECT_TRUE(w.sweep.UiReady);
    const std::string text = readFile(path);
    EXPECT_EQ(text,
              "\"Orbilan software for Kesp VNA version 1.3D, exported by Orbilan\"\r\n\r\n"
              "\"Data collected on 07/12/2026 at 13:00\"\r\n"
              "\"using Lab1's VNA\"\r\n\r\n\"" +
                  std::string(60, 'c') + "\rc\"\r\n\r\n"
                  "\"# averages per point =  1   Sweeptime " + caption("TimeEstimate") + " s\"\r\n"
                  "\" ADC Type:  2440  Mode:  0\"\r\n\r\n"
                  "\"Reflection mode\"\r\n\r\n"
                  "\"Frequency Hz \",\"SWR\"\r\n"
                  "1000000,1.5\r\n"
                  "2000000,-999\r\n");

    // Cancelling the file dialog writes nothing.
    platform.clearDialogs();
    platform.queue(Answer::typed("x"));
    platform.queue(Answer::cancel());
    w.SaveDataFile();
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "x"));
    EXPECT_TRUE(platform.messageTexts().empty());
}
