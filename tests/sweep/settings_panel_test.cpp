// The sweep settings panel: opening, frequency fields and their units, the
// sweep kinds, the value lists, the estimate, OK with its checks, Cancel.
#include "window_fixture.h"

namespace orbilan::test {
namespace {

using ui::MsgIcon;

TEST_F(SweepWindowTest, OpeningThePanelStopsTheSweepAndShowsTheSettings)
{
    window.sweep.StopSweep = false;
    ctl("SweepFrame").setVisible(true);
    openPanel();

    EXPECT_TRUE(window.sweep.StopSweep);
    EXPECT_TRUE(ctl("SetupSweep").visible());
    EXPECT_FALSE(ctl("SweepFrame").visible());
    EXPECT_FALSE(ctl("SweepStatus").visible());
    EXPECT_EQ(ctl("Start_End").value(), 1); // list code 0 reads as Start+End
    EXPECT_EQ(window.sweep.SweepKind, 1);
    EXPECT_EQ(ctl("F1text").text(), "10000000");
    EXPECT_EQ(ctl("F2text").text(), "60000000");
    EXPECT_EQ(ctl("StepsButton").caption(), "10");
    EXPECT_EQ(ctl("WaitButton").caption(), "10");
    EXPECT_EQ(ctl("AvgButton").caption(), "1");
    EXPECT_EQ(ctl("TimeEstimate").caption(), "3.3");
    EXPECT_FALSE(ctl("ADCModebutton").visible()); // a 2410 has no modes
    EXPECT_FALSE(window.sweep.SweepValid);
}

TEST_F(SweepWindowTest, UnitsFollowTheLockAcrossBothFields)
{
    openPanel();
    EXPECT_EQ(ctl("FreqUnitsLock").toolTip(),
              "Selection of Hz/kHz/MHz units will apply to both frequencies. Click to allow independent selection.");

    // Locked: choosing kHz in the start field shows the end field in kHz.
    ASSERT_TRUE(typeFrequency("F1text", "5k"));
    EXPECT_EQ(window.sweep.SweepF1, 5000);
    EXPECT_EQ(window.sweep.LockedUnits, "kHz");
    EXPECT_EQ(ctl("F1text").text(), "5");
    EXPECT_EQ(ctl("F2units").caption(), "kHz");
    EXPECT_EQ(ctl("F2text").text(), "60000");

    // Unlocked: each field keeps its own unit.
    click("FreqUnitsLabel");
    EXPECT_FALSE(window.sweep.FreqUnitsLocked);
    EXPECT_EQ(ctl("FreqUnitsLock").toolTip(),
              "Click to apply future selection of Hz/kHz/MHz units to both frequencies.");
    ASSERT_TRUE(typeFrequency("F2text", "3000m"));
    EXPECT_EQ(window.sweep.SweepF2, 3000);
    EXPECT_EQ(ctl("F2units").caption(), "MHz");
    EXPECT_EQ(ctl("F2text").text(), "0.003");
    EXPECT_EQ(ctl("F1units").caption(), "kHz");
    EXPECT_EQ(ui().focused(), "ButtonSweepOK");

    // A plain number too large for MHz is hertz, and the label says so.
    ASSERT_TRUE(typeFrequency("F2text", "3000"));
    EXPECT_EQ(window.sweep.SweepF2, 3000);
    EXPECT_EQ(ctl("F2units").caption(), "Hz");
}

TEST_F(SweepWindowTest, TextThatIsNoNumberKeepsTheFieldsValue)
{
    openPanel();
    EXPECT_FALSE(typeFrequency("F1text", "12x4"));
    ASSERT_EQ(platform.dialogs().size(), 1u);
    const auto& d = platform.dialogs()[0];
    EXPECT_EQ(d.title, "Not numeric");
    EXPECT_EQ(d.text, "Please re-enter (last character may optionally be m, k or h)");
    EXPECT_EQ(d.icon, MsgIcon::None);
    EXPECT_EQ(ctl("F1text").text(), "12X4");
    EXPECT_EQ(ctl("F1text").selLength(), 15);
    EXPECT_EQ(window.sweep.SweepF1, 10000000);
    // Going back into the field shows the value kept.
    window.deliver([&] { ui().dispatch("F1text", -1, ui::Event::GotFocus); });
    EXPECT_EQ(ctl("F1text").text(), "10000000");
}

TEST_F(SweepWindowTest, KindsConvertBetweenStartEndAndCentreSpan)
{
    openPanel();
    typeFrequency("F1text", "1M");
    typeFrequency("F2text", "3M");
    click("Centre_Span");
    EXPECT_EQ(window.sweep.SweepF1, 2000000);
    EXPECT_EQ(window.sweep.SweepF2, 2000000);
    EXPECT_EQ(ctl("Flabel1").caption(), " Centre");
    EXPECT_EQ(ctl("Flabel2").caption(), " Span");
    EXPECT_FALSE(ctl("FixX0").enabled());
    EXPECT_EQ(ctl("F1text").text(), "2");

    click("Start_End");
    EXPECT_EQ(window.sweep.SweepF1, 1000000);
    EXPECT_EQ(window.sweep.SweepF2, 3000000);
    EXPECT_EQ(ctl("Flabel1").caption(), " Start");
    EXPECT_TRUE(ctl("FixX0").enabled());

    click("Max_Sweep");
    EXPECT_EQ(window.sweep.SweepKind, 1);
    EXPECT_EQ(window.sweep.SweepF1, 50000);
    EXPECT_EQ(window.sweep.SweepF2, 60000000);
    EXPECT_EQ(ui().focused(), "ButtonSweepOK");
}

TEST_F(SweepWindowTest, StepsListAcceptsDigitsOnlyAndOneToFourHundred)
{
    openPanel();
    click("StepsButton");
    EXPECT_TRUE(ctl("NumberOfSteps").visible());
    EXPECT_FALSE(ctl("StepsButton").visible());
    EXPECT_EQ(pressKey("NumberOfSteps", '7'), '7');
    EXPECT_EQ(pressKey("NumberOfSteps", 'a'), 0);
    EXPECT_EQ(pressKey("NumberOfSteps", '-'), 0);
    EXPECT_EQ(pressKey("NumberOfSteps", 8), 0); // Backspace too

    for (const char* refused : {"0", "401"}) {
        enterInList("StepsButton", "NumberOfSteps", refused);
        EXPECT_EQ(window.settings.SweepPoints, 11) << refused;
        EXPECT_TRUE(ctl("NumberOfSteps").visible()) << refused;
    }
    EXPECT_EQ(platform.messageTexts(), std::vector<std::string>(2, "Number of steps must be between 1 and 400"));

    enterInList("StepsButton", "NumberOfSteps", "400");
    EXPECT_EQ(window.settings.SweepPoints, 401);
    EXPECT_EQ(ctl("StepsButton").caption(), "400");
    EXPECT_FALSE(ctl("NumberOfSteps").visible());

    typeFrequency("F1text", "1M");
    typeFrequency("F2text", "2M");
    click("ButtonSweepOK");
    EXPECT_FALSE(ctl("SetupSweep").visible());
    EXPECT_EQ(window.sweep.FreqList[401], window.sweep.SweepEnd);
    EXPECT_EQ(window.sweep.FreqList[401], 2000000);
    EXPECT_EQ(window.sweep.FreqList[201], 1500000);
}

TEST_F(SweepWindowTest, ChoosingAListEntryAppliesIt)
{
    openPanel();
    click("StepsButton");
    window.deliver([&] {
        ctl("NumberOfSteps").setListIndex(0); // " 10"
        ui().dispatch("NumberOfSteps", -1, ui::Event::Click);
    });
    EXPECT_EQ(window.settings.SweepPoints, 11);
    EXPECT_EQ(ctl("StepsButton").caption(), "10");
    EXPECT_TRUE(ctl("StepsButton").visible());

    // Leaving a list with an empty text changes nothing.
    click("WaitButton");
    window.deliver([&] {
        ctl("ADCwaits").setText("");
        ui().dispatch("ADCwaits", -1, ui::Event::LostFocus);
    });
    EXPECT_EQ(window.settings.AdcWaitMs, 10);
    EXPECT_TRUE(platform.dialogs().empty());
}

TEST_F(SweepWindowTest, WaitAveragesAndAdcModeLists)
{
    openPanel();
    enterInList("WaitButton", "ADCwaits", "251");
    enterInList("AvgButton", "ADCaverages", "0");
    enterInList("AvgButton", "ADCaverages", "101");
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{"ADC delay must be between 0 and 250 ms",
                                        "# of averages must be between 1 and 100",
                                        "# of averages must be between 1 and 100"}));
    EXPECT_EQ(window.settings.AdcWaitMs, 10);
    EXPECT_EQ(window.settings.AdcAverages, 1);

    enterInList("WaitButton", "ADCwaits", "0");
    EXPECT_EQ(window.settings.AdcWaitMs, 0);
    EXPECT_EQ(ctl("WaitButton").caption(), "0");
    enterInList("AvgButton", "ADCaverages", "2");
    EXPECT_EQ(window.settings.AdcAverages, 2);
    // 2 x (0 + 130 + 10) x 2 ms a point, 11 points.
    EXPECT_EQ(ctl("TimeEstimate").caption(), "6.16");

    window.settings.AdcType = 2440;
    openPanel();
    EXPECT_TRUE(ctl("ADCModebutton").visible());
    click("ADCModebutton");
    window.deliver([&] {
        ctl("ADCModeList").setListIndex(10); // "15 (6.875 Hz)"
        ui().dispatch("ADCModeList", -1, ui::Event::Click);
    });
    EXPECT_EQ(window.settings.AdcMode, 15);
    EXPECT_EQ(ctl("ADCModebutton").caption(), "ADC Mode\r 15");
    EXPECT_FALSE(ctl("ADCModeList").visible());
    EXPECT_EQ(window.settings.AdcConvMs, 1000.0f / 6.875f);
}

TEST_F(SweepWindowTest, CdsDoublesTheEstimateAndWarnsOfALostCalibration)
{
    openPanel();
    click("CDS_check");
    EXPECT_TRUE(window.sweep.CdsOn);
    EXPECT_EQ(ctl("TimeEstimate").caption(), "6.6");
    click("CDS_check");
    EXPECT_EQ(ctl("TimeEstimate").caption(), "3.3");
    EXPECT_TRUE(platform.dialogs().empty()); // no calibration held

    window.cal.TransCalValid = true;
    window.cal.CalModes = 2;
    window.cal.CalUnsaved = -1;
    platform.queue(ui::Answer::cancel());
    click("CDS_check");
    ASSERT_EQ(platform.dialogs().size(), 1u);
    EXPECT_EQ(platform.dialogs()[0].title, "Warning - CDS change");
    EXPECT_EQ(platform.dialogs()[0].text, "If you OK this CDS change, the VNA will be\rUN-CALIBRATED IN ALL MODES!");
    EXPECT_EQ(platform.dialogs()[0].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(window.sweep.CdsOn);
    EXPECT_EQ(ctl("CDS_check").value(), 0);
    EXPECT_TRUE(window.cal.TransCalValid);

    platform.queue(ui::Answer::ok());
    platform.queue(ui::Answer::no()); // the offer to save the calibration first
    click("CDS_check");
    EXPECT_TRUE(window.sweep.CdsOn);
    EXPECT_FALSE(window.cal.TransCalValid);
    EXPECT_EQ(window.cal.CalModes, 10);
    EXPECT_EQ(window.cal.CalUnsaved, 0);
}

TEST_F(SweepWindowTest, CdsBoxIsIgnoredWhileTheProgramSetsControls)
{
    window.sweep.UiReady = false;
    click("CDS_check");
    EXPECT_FALSE(window.sweep.CdsOn);
}

TEST_F(SweepWindowTest, OkRefusesCloseFrequenciesAndBuildsTheList)
{
    setStartEnd("50000", "50009");
    ASSERT_EQ(platform.dialogs().size(), 1u);
    EXPECT_EQ(platform.dialogs()[0].title, "End frequency too close to Start frequency");
    EXPECT_EQ(platform.dialogs()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(ctl("SetupSweep").visible());
    EXPECT_FALSE(window.sweep.SweepValid);
    EXPECT_FALSE(window.sweep.SweepDefined);

    typeFrequency("F2text", "50010");
    click("ButtonSweepOK");
    EXPECT_EQ(platform.dialogs().size(), 1u);
    EXPECT_TRUE(window.sweep.SweepValid);
    EXPECT_TRUE(window.sweep.SweepDefined);
    EXPECT_FALSE(ctl("SetupSweep").visible());
    EXPECT_EQ(window.sweep.FreqList[0], 1);
    EXPECT_EQ(window.sweep.FreqList[1], 50000);
    EXPECT_EQ(window.sweep.FreqList[2], 50001);
    EXPECT_EQ(window.sweep.FreqList[11], 50010);
    EXPECT_EQ(window.sweep.FreqList[12], 0);
}

TEST_F(SweepWindowTest, ClampedStartStaysAndASecondOkPasses)
{
    setStartEnd("10k", "1M");
    EXPECT_EQ(messageTitles(), std::vector<std::string>{"Start frequency below minimum 50 kHz"});
    EXPECT_EQ(platform.dialogs()[0].text, "Sweep will start at 50 kHz");
    EXPECT_EQ(window.sweep.SweepF1, 50000);
    EXPECT_EQ(ctl("F1text").text(), "0.05"); // in the MHz the end field chose
    click("ButtonSweepOK");
    EXPECT_TRUE(window.sweep.SweepValid);
    EXPECT_EQ(window.sweep.SweepStart, 50000);
}

TEST_F(SweepWindowTest, CentreAndSpanRoundTheEndsToEven)
{
    openPanel();
    click("Centre_Span");
    typeFrequency("F1text", "1000000h");
    typeFrequency("F2text", "9h");
    click("ButtonSweepOK");
    EXPECT_EQ(messageTitles(), std::vector<std::string>{"Span less than minimum of 20 Hz"});

    typeFrequency("F2text", "11h");
    click("ButtonSweepOK");
    EXPECT_TRUE(window.sweep.SweepValid);
    EXPECT_EQ(window.sweep.SweepStart, 999994);
    EXPECT_EQ(window.sweep.SweepEnd, 1000006);
    EXPECT_EQ(window.sweep.FreqList[0], 2);
    EXPECT_EQ(window.sweep.FreqList[11], 1000006);
}

TEST_F(SweepWindowTest, SingleFrequencyIsTakenWithoutARangeCheck)
{
    openPanel();
    click("SingleFreqSweep");
    EXPECT_TRUE(window.sweep.SingleFreqMode);
    EXPECT_EQ(window.sweep.SavedPoints, 11);
    EXPECT_EQ(ctl("StepsButton").caption(), "0");
    EXPECT_FALSE(ctl("StepsButton").enabled());
    EXPECT_FALSE(ctl("FreqPanel2").visible());
    EXPECT_EQ(ctl("Flabel1").caption(), " Freq");

    typeFrequency("F1text", "100M");
    click("ButtonSweepOK");
    EXPECT_TRUE(platform.dialogs().empty());
    EXPECT_TRUE(window.sweep.SweepValid);
    EXPECT_EQ(window.settings.SweepPoints, 1);
    EXPECT_EQ(window.sweep.FreqList[0], 4);
    EXPECT_EQ(window.sweep.FreqList[1], 100000000);
    EXPECT_EQ(window.sweep.FreqList[2], 0);
    EXPECT_EQ(ctl("SingleFrequencyLabel").caption(), "100.000000 MHz ");

    // A swept kind brings the count back, and the estimate with it.
    openPanel();
    click("Start_End");
    EXPECT_FALSE(window.sweep.SingleFreqMode);
    EXPECT_EQ(window.settings.SweepPoints, 11);
    EXPECT_EQ(ctl("StepsButton").caption(), "10");
    EXPECT_EQ(ctl("TimeEstimate").caption(), "3.3");
}

TEST_F(SweepWindowTest, SweptKindWithoutAStepCountIsRefusedNotDividedByZero)
{
    openPanel();
    click("SingleFreqSweep");
    typeFrequency("F1text", "10M");
    click("ButtonSweepOK");
    ASSERT_EQ(window.settings.SweepPoints, 1);

    // Single Freq chosen again remembers the single point as the count.
    openPanel();
    window.deliver([&] { ui().dispatch("SingleFreqSweep", -1, ui::Event::Click); });
    click("Start_End");
    ASSERT_EQ(window.settings.SweepPoints, 1);
    typeFrequency("F1text", "1M");
    typeFrequency("F2text", "2M");
    ctl("NumberOfSteps").setText("");
    click("ButtonSweepOK");
    ASSERT_EQ(platform.dialogs().size(), 1u);
    EXPECT_EQ(platform.dialogs()[0].title, "Number of steps not set");
    EXPECT_EQ(platform.dialogs()[0].text, "Number of steps must be between 1 and 400");
    EXPECT_FALSE(window.sweep.SweepValid);
    EXPECT_TRUE(ctl("SetupSweep").visible());
    EXPECT_EQ(window.sweep.FreqList[0], 4); // the single-frequency list is kept

    // With a count in the steps list the OK takes it.
    ctl("NumberOfSteps").setText("20");
    click("ButtonSweepOK");
    EXPECT_TRUE(window.sweep.SweepValid);
    EXPECT_EQ(window.settings.SweepPoints, 21);
    EXPECT_EQ(window.sweep.FreqList[21], 2000000);
    EXPECT_FALSE(ctl("SetupSweep").visible());
}

TEST_F(SweepWindowTest, CancelRestoresEverythingThePanelChanged)
{
    setStartEnd("1M", "2M");
    const auto list = window.sweep.FreqList;
    window.sweep.UiReady = true;

    openPanel();
    typeFrequency("F1text", "5M");
    typeFrequency("F2text", "7M");
    enterInList("StepsButton", "NumberOfSteps", "50");
    enterInList("WaitButton", "ADCwaits", "100");
    enterInList("AvgButton", "ADCaverages", "16");
    click("CDS_check");
    ASSERT_TRUE(window.sweep.CdsOn);
    window.sweep.SweepDefined = false;

    click("FreqCancel");
    EXPECT_FALSE(ctl("SetupSweep").visible());
    EXPECT_EQ(window.sweep.SweepF1, 1000000);
    EXPECT_EQ(window.sweep.SweepF2, 2000000);
    EXPECT_EQ(window.settings.SweepPoints, 11);
    EXPECT_EQ(window.sweep.FreqList, list);
    EXPECT_EQ(window.settings.AdcWaitMs, 10);
    EXPECT_EQ(window.settings.AdcAverages, 1);
    EXPECT_FALSE(window.sweep.CdsOn);
    EXPECT_EQ(ctl("CDS_check").value(), 0);
    EXPECT_TRUE(window.sweep.SweepDefined);
    EXPECT_EQ(ctl("TimeEstimate").caption(), "3.3");
}

} // namespace
} // namespace orbilan::test
