#include "app/main_window.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "app/manual_form.h"
#include "app/trace_tools.h"
#include "display/scales.h"
#include "sweep/freq_list.h"
#include "sweep/frequency.h"
#include "sweep/sweep_time.h"
#include "ui/number_text.h"

// The sweep settings panel, the sweep control with its four buttons, the
// trace store and the group-delay aperture window.

namespace orbilan::app {

namespace {

using ui::ControlKind;

constexpr ui::Rgb Grey = 0xC0C0C0;
constexpr ui::Rgb White = 0xFFFFFF;
constexpr ui::Rgb Green = 0x00FF00;

constexpr const char* FreqTip = "Add 'm' to change to MHz input, 'k' for kHz or 'h' for Hz.";
constexpr const char* LockedSymbol = "\xF0\x9F\x94\x92";   // closed padlock
constexpr const char* UnlockedSymbol = "\xF0\x9F\x94\x93"; // open padlock
constexpr const char* LockedTip = "Selection of Hz/kHz/MHz units will apply to both frequencies. "
                                  "Click to allow independent selection.";
constexpr const char* UnlockedTip = "Click to apply future selection of Hz/kHz/MHz units to both frequencies.";

constexpr const char* StatusReady = "Ready";
constexpr const char* StatusNew = "New Sweep";
constexpr const char* StatusContinuous = "Continuous Sweep";
constexpr const char* StatusSingle = "Single Sweep, then Stop";
constexpr const char* StatusStopped = "Stopped";
constexpr const char* StatusCompleted = "Completed Sweep";

constexpr int DisplaySwr = 14;
constexpr int DisplaySmith = 16;

const char* fieldBox(int field) { return field == 1 ? "F1text" : "F2text"; }
const char* fieldUnits(int field) { return field == 1 ? "F1units" : "F2units"; }

// The value lists take digits only: a value is picked or typed, never edited
// character by character (Backspace is discarded too).
bool valueListTakesKey(int key) { return key >= '0' && key <= '9'; }

} // namespace

// ================================================================ controls

void MainWindow::setupSweep()
{
    auto& u = ui_;
    const auto inPanel = [&u](const std::string& name, ControlKind kind) -> ui::Control& {
        return u.add(name, kind).setParent("SetupSweep");
    };

    // ------------------------------------------------ sweep settings panel
    u.add("SetSweepButton", ControlKind::Button).setCaption("Set  Sweep").setToolTip("Set Frequencies");
    u.add("SetupSweep", ControlKind::Frame).setCaption("Set Frequency Sweep").setVisible(false);

    const auto kindOption = [&inPanel](const std::string& name, const std::string& caption) -> ui::Control& {
        return inPanel(name, ControlKind::Option).setCaption(caption).setGroup("SweepKind");
    };
    kindOption("Start_End", "Start+End");
    kindOption("Centre_Span", "Centre+Span");
    kindOption("Max_Sweep", "Max Sweep");
    kindOption("SingleFreqSweep", "Single Freq").setToolTip("Fixed frequency mode");
    kindOption("ManualOption", "VNA Test").setToolTip("Manual DDS/ADC control");

    inPanel("Flabel1", ControlKind::Label).setCaption(" Start");
    inPanel("F1text", ControlKind::TextBox).setText("00000000").setToolTip(FreqTip);
    inPanel("F1units", ControlKind::Label).setCaption(sweep::UnitHz);
    inPanel("FreqPanel2", ControlKind::Frame);
    u.add("Flabel2", ControlKind::Label).setParent("FreqPanel2").setCaption(" End");
    u.add("F2text", ControlKind::TextBox).setParent("FreqPanel2").setText("00000000").setToolTip(FreqTip);
    u.add("F2units", ControlKind::Label).setParent("FreqPanel2").setCaption(sweep::UnitHz);
    inPanel("FreqUnitsLock", ControlKind::Label);
    inPanel("FreqUnitsLabel", ControlKind::Label).setCaption("Units");
    showUnitsLock();

    const auto valueList = [&inPanel](const std::string& button, const std::string& caption,
                                      const std::string& list, ControlKind listKind,
                                      std::initializer_list<const char*> entries, const std::string& tip) {
        inPanel(button, ControlKind::Button).setCaption(caption).setToolTip(tip);
        ui::Control& l = inPanel(list, listKind).setToolTip(tip).setVisible(false).setTabStop(false);
        for (const char* entry : entries)
            l.addItem(entry);
        return &l;
    };
    valueList("StepsButton", "steps", "NumberOfSteps", ControlKind::EditableList,
              {" 10", " 20", " 50", "100", "200", "400"}, "Number of frequency steps in a sweep")
        ->setText("200");
    valueList("WaitButton", "Wait", "ADCwaits", ControlKind::EditableList,
              {"0", "1", "2", "5", "10", "20", "50", "100", "200"}, "ADC settling time")
        ->setText("10");
    valueList("AvgButton", "Avg", "ADCaverages", ControlKind::EditableList,
              {"  1", "  2", "  4", "  5", "10", "16"}, "Number of readings per measurement point")
        ->setText("10");
    valueList("ADCModebutton", AdcModeCaption(settings.AdcMode), "ADCModeList", ControlKind::ListBox,
              {"0  (880 Hz)", "1  (3.52kHz)", "2  (1.76 kHz)", "3  (880 Hz)", "4  (440 Hz)", "5  (220 Hz)",
               "6  (110 Hz)", "7  (55 Hz)", "8  (27.5 Hz)", "9  (13.75 Hz)", "15 (6.875 Hz)"},
              "select ADC mode");
    u.at("ADCModebutton").setVisible(settings.AdcType == 2440);

    inPanel("CDS_check", ControlKind::CheckBox)
        .setCaption("CDS")
        .setToolTip("Correlated Double Sampling (higher accuracy, but doubles sweep time)");
    inPanel("SwpLabel4", ControlKind::Label).setCaption("Sweep Time Estimate (s)");
    inPanel("TimeEstimate", ControlKind::Label);
    inPanel("ButtonSweepOK", ControlKind::Button).setCaption("OK").setToolTip("Check sweep setup is valid");
    inPanel("FreqCancel", ControlKind::Button).setCaption("Cancel");

    // ------------------------------------------------ sweep control
    u.add("SweepFrame", ControlKind::Frame).setVisible(false);
    u.add("SweepButtons", ControlKind::Frame).setParent("SweepFrame").setCaption("Sweep Control");
    const char* glyphs[4] = {"|\xE2\x96\xB6", "\xE2\x96\xB6", "\xE2\x96\xA0", "\xE2\x96\xB6|"}; // |> > [] >|
    const char* tips[4] = {"Clear and Re-start", "Start / Resume", "Pause/Stop sweep",
                           "Single Sweep, then Stop to save data"};
    for (int i = 0; i < 4; ++i) {
        u.add("SweepButton", ControlKind::Button, i)
            .setParent("SweepButtons")
            .setCaption(glyphs[i])
            .setToolTip(tips[i])
            .setEnabled(false);
        u.add("SweepLED", ControlKind::Lamp, i).setParent("SweepButtons").setBackColour(Grey);
    }
    u.add("SweepStatus", ControlKind::Label).setParent("SweepButtons");

    // ------------------------------------------------ trace store
    u.add("TraceFrame", ControlKind::Frame).setParent("SweepFrame").setCaption("Trace Store");
    u.add("TraceSave", ControlKind::Button)
        .setParent("TraceFrame")
        .setCaption("Store")
        .setToolTip("Store trace as displayed above")
        .setEnabled(false);
    u.add("DisplayMemory", ControlKind::Button)
        .setParent("TraceFrame")
        .setCaption("Show")
        .setToolTip("Show/hide stored trace")
        .setVisible(false);
    u.add("TraceStatusLED", ControlKind::Lamp).setParent("TraceFrame").setBackColour(Grey);
    u.add("TraceStatusLabel", ControlKind::Label).setParent("TraceFrame").setCaption("(none)");

    // ------------------------------------------------ group-delay aperture
    u.add("GDwindowButton", ControlKind::Button).setCaption("GrpDel Aperture").setVisible(false);
    u.add("GDwindowFrame", ControlKind::Frame).setCaption("Group Delay Aperture").setVisible(false);
    const char* apertureCaptions[3] = {"", "0.5% Span", "1 Step"};
    for (int i = 0; i < 3; ++i)
        u.add("GDAselect", ControlKind::Option, i)
            .setParent("GDwindowFrame")
            .setGroup("GDAselect")
            .setCaption(apertureCaptions[i]);
    u.at("GDAselect", 2).setValueQuietly(1);
    u.add("GDAHzBox", ControlKind::TextBox).setParent("GDwindowFrame").setToolTip("Current setting");
    u.add("GDAHzLabel", ControlKind::Label).setParent("GDwindowFrame").setCaption("Hz");
    u.add("GDwindowOKbutton", ControlKind::Button).setParent("GDwindowFrame").setCaption("OK");
    u.add("GDwindowCancelbutton", ControlKind::Button).setParent("GDwindowFrame").setCaption("Cancel");

    // ------------------------------------------------ handlers
    using ui::Event;
    using Args = ui::EventArgs;
    u.on("SetSweepButton", Event::Click, [this](Args&) { SetSweepButton_Click(); });
    u.on("Start_End", Event::Click, [this](Args&) { chooseSweptKind(sweep::KindStartEnd); });
    u.on("Centre_Span", Event::Click, [this](Args&) { chooseSweptKind(sweep::KindCentreSpan); });
    u.on("Max_Sweep", Event::Click, [this](Args&) { chooseMaxSweep(); });
    u.on("SingleFreqSweep", Event::Click, [this](Args&) { chooseSingleFreq(); });
    u.on("ManualOption", Event::Click, [this](Args&) {
        // Not modal: the main window stays usable beside it.
        manualForm().controls().at("ManualForm").setVisible(true);
    });
    for (int field = 1; field <= 2; ++field) {
        u.on(fieldBox(field), Event::GotFocus, [this, field](Args&) { frequencyGotFocus(field); });
        u.on(fieldBox(field), Event::Validate, [this, field](Args& a) {
            if (!validateFrequency(field))
                a.cancel = true;
        });
        u.on(fieldBox(field), Event::LostFocus, [this, field](Args&) { frequencyLostFocus(field); });
    }
    u.on("FreqUnitsLock", Event::Click, [this](Args&) { toggleUnitsLock(); });
    u.on("FreqUnitsLabel", Event::Click, [this](Args&) { toggleUnitsLock(); });

    const struct {
        const char* button;
        const char* list;
        void (MainWindow::*apply)();
    } lists[] = {
        {"StepsButton", "NumberOfSteps", &MainWindow::applyStepsList},
        {"WaitButton", "ADCwaits", &MainWindow::applyWaitList},
        {"AvgButton", "ADCaverages", &MainWindow::applyAveragesList},
        {"ADCModebutton", "ADCModeList", &MainWindow::applyAdcModeList},
    };
    for (const auto& l : lists) {
        const std::string button = l.button;
        const std::string list = l.list;
        const auto apply = l.apply;
        u.on(button, Event::Click, [this, button, list](Args&) { openValueList(button, list); });
        u.on(list, Event::Click, [this, apply](Args&) { (this->*apply)(); });
        // Leaving a list applies it; once applied it is hidden and a late
        // focus report changes nothing.
        u.on(list, Event::LostFocus, [this, list, apply](Args&) {
            if (ui_.at(list).visible())
                (this->*apply)();
        });
        if (list != "ADCModeList")
            u.on(list, Event::KeyPress, [this, apply](Args& a) {
                if (a.key == 13) { // Enter chooses
                    a.key = 0;
                    (this->*apply)();
                } else if (!valueListTakesKey(a.key)) {
                    a.key = 0;
                }
            });
    }

    u.on("CDS_check", Event::Click, [this](Args&) { CDS_check_Click(); });
    u.on("ButtonSweepOK", Event::Click, [this](Args&) { ButtonSweepOK_Click(); });
    u.on("FreqCancel", Event::Click, [this](Args&) { FreqCancel_Click(); });

    u.on("SweepButton", Event::Click, [this](Args& a) { SweepButton_Click(a.index); });
    // Clicks on the background close whatever list is open.
    for (const char* background :
         {"MainWindow", "Frame2", "Markers", "ModeFrame", "Screen1", "SetupFrame", "DisplayFrame"})
        u.on(background, Event::Click, [this](Args&) { CloseOpenLists(); });

    u.on("TraceSave", Event::Click, [this](Args&) { Tracesave_Click(); });
    u.on("DisplayMemory", Event::Click, [this](Args&) { DisplayMemory_Click(); });
    u.on("GDwindowButton", Event::Click, [this](Args&) { GDwindowButton_Click(); });
    u.on("GDwindowOKbutton", Event::Click, [this](Args&) { GDwindowOKbutton_Click(); });
    u.on("GDwindowCancelbutton", Event::Click, [this](Args&) { GDwindowCancelbutton_Click(); });
}

// ================================================================ settings panel

void MainWindow::SetSweepButton_Click()
{
    sweep.StopSweep = true; // a running sweep halts after its current point
    c("CalInfo").setVisible(false);
    c("SweepFrame").setVisible(false);
    c("GDwindowFrame").setVisible(false);
    c("GDwindowButton").setVisible(false);
    c("CalLoadButton").setEnabled(false);
    c("SaveCalButton").setEnabled(false);
    c("CalibrateButton").setEnabled(false);
    markeroff();
    if (settings.AdcType == 2440)
        c("ADCModebutton").setVisible(true);
    c("ADCModebutton").setCaption(AdcModeCaption(settings.AdcMode));
    NewSweep();
}

void MainWindow::NewSweep()
{
    MemoryDisplayOff();

    auto& snap = sweep.snapshot;
    snap.SweepF1 = sweep.SweepF1;
    snap.SweepF2 = sweep.SweepF2;
    snap.SweepPoints = settings.SweepPoints;
    snap.FreqList = sweep.FreqList;
    snap.AdcWaitMs = settings.AdcWaitMs;
    snap.AdcAverages = settings.AdcAverages;
    snap.CdsOn = sweep.CdsOn;
    snap.SweepDefined = sweep.SweepDefined;
    snap.SweepKind = sweep.SweepKind;
    snap.SingleFreqMode = sweep.SingleFreqMode;
    snap.SavedPoints = sweep.SavedPoints;

    c("SweepStatus").setVisible(false);
    sweep.SweepKind = sweep.FreqList[0];
    // Selecting an option runs its handler; with SweepKind already taken from
    // the list, the handler converts nothing.
    c("Start_End").setValue(0);
    c("Centre_Span").setValue(0);
    if (sweep.SweepKind == 0 || sweep.SweepKind == sweep::KindStartEnd)
        c("Start_End").setValue(1);
    else if (sweep.SweepKind == sweep::KindCentreSpan)
        c("Centre_Span").setValue(1);
    ShowF1Value();
    ShowF2Value();
    c("StepsButton").setCaption(std::to_string(settings.SweepPoints - 1));
    c("WaitButton").setCaption(std::to_string(settings.AdcWaitMs));
    c("AvgButton").setCaption(std::to_string(settings.AdcAverages));
    EstTime();
    sweep.SweepValid = false;
    c("NumberOfSteps").setVisible(false);
    c("StepsButton").setVisible(true);
    c("CalibrateButton").setEnabled(true);
    c("SetupSweep").setVisible(true);
}

void MainWindow::ShowF1Value()
{
    ui::Control& units = c("F1units");
    if (sweep.FreqUnitsLocked)
        units.setCaption(sweep.LockedUnits);
    c("F1text").setText(sweep::FrequencyFieldText(sweep.SweepF1, units.caption(), platform_.decimalSeparator()));
}

void MainWindow::ShowF2Value()
{
    ui::Control& units = c("F2units");
    if (sweep.FreqUnitsLocked)
        units.setCaption(sweep.LockedUnits);
    c("F2text").setText(sweep::FrequencyFieldText(sweep.SweepF2, units.caption(), platform_.decimalSeparator()));
}

bool MainWindow::validateFrequency(int field)
{
    ui::Control& box = c(fieldBox(field));
    ui::Control& units = c(fieldUnits(field));
    const sweep::FrequencyEntry entry =
        sweep::ParseFrequencyText(box.text(), units.caption(), platform_.decimalSeparator());
    box.setText(entry.text);
    if (entry.numeric) {
        (field == 1 ? sweep.SweepF1 : sweep.SweepF2) = entry.hz;
        units.setCaption(entry.unit);
        if (sweep.FreqUnitsLocked)
            sweep.LockedUnits = entry.unit;
    } else {
        msg("Please re-enter (last character may optionally be m, k or h)", ui::MsgButtons::Ok, ui::MsgIcon::None,
            "Not numeric");
        box.setSelection(0, 15);
        if (field == 1)
            SafeSetFocus("F1text");
    }
    if (field == 2)
        SafeSetFocus("ButtonSweepOK");
    return entry.numeric;
}

void MainWindow::frequencyGotFocus(int field)
{
    if (field == 1)
        ShowF1Value();
    else
        ShowF2Value();
    c(fieldBox(field)).setSelection(0, 15);
}

void MainWindow::frequencyLostFocus(int field)
{
    validateFrequency(field);
    // Redrawing the other field too gives it the unit just chosen.
    if (field == 1 || sweep.FreqUnitsLocked)
        ShowF1Value();
    if (field == 2 || sweep.FreqUnitsLocked)
        ShowF2Value();
    if (field == 2)
        SafeSetFocus("ButtonSweepOK");
}

void MainWindow::showUnitsLock()
{
    c("FreqUnitsLock")
        .setCaption(sweep.FreqUnitsLocked ? LockedSymbol : UnlockedSymbol)
        .setToolTip(sweep.FreqUnitsLocked ? LockedTip : UnlockedTip);
}

void MainWindow::toggleUnitsLock()
{
    sweep.FreqUnitsLocked = !sweep.FreqUnitsLocked;
    showUnitsLock();
}

// ---------------------------------------------------------------- sweep kinds

void MainWindow::prepareSweptEntry(bool startEnd)
{
    c("SetupSweep").setVisible(true);
    if (sweep.SingleFreqMode)
        settings.SweepPoints = sweep.SavedPoints;
    sweep.SingleFreqMode = false;
    c("SingleDisplayFrame").setVisible(false);
    c("DisplayFrame").setVisible(true);
    c("FreqPanel2").setVisible(true);
    c("FreqUnitsLock").setVisible(true);
    c("FreqUnitsLabel").setVisible(true);
    c("StepsButton").setEnabled(true).setCaption(std::to_string(settings.SweepPoints - 1));
    c("SwpLabel4").setVisible(true);
    c("TimeEstimate").setVisible(true);
    c("FixX0").setEnabled(startEnd);
    c("Flabel1").setCaption(startEnd ? " Start" : " Centre");
    c("Flabel2").setCaption(startEnd ? " End" : " Span");
    // The estimate last shown may be for the single point; the count may
    // have just come back.
    EstTime();
}

void MainWindow::chooseSweptKind(int kind)
{
    const bool startEnd = kind == sweep::KindStartEnd;
    prepareSweptEntry(startEnd);
    if (startEnd && sweep.SweepKind == sweep::KindCentreSpan) {
        const auto p = sweep::StartEndFromCentreSpan(sweep.SweepF1, sweep.SweepF2);
        sweep.SweepF1 = p.f1;
        sweep.SweepF2 = p.f2;
    } else if (!startEnd && sweep.SweepKind == sweep::KindStartEnd) {
        const auto p = sweep::CentreSpanFromStartEnd(sweep.SweepF1, sweep.SweepF2);
        sweep.SweepF1 = p.f1;
        sweep.SweepF2 = p.f2;
    }
    sweep.SweepKind = kind;
    ShowF1Value();
    ShowF2Value();
    SafeSetFocus("F1text");
}

void MainWindow::chooseMaxSweep()
{
    prepareSweptEntry(true);
    sweep.SweepKind = sweep::KindStartEnd;
    sweep.SweepF1 = sweep::MinFreqHz;
    sweep.SweepF2 = sweep::MaxFreqHz;
    ShowF1Value();
    ShowF2Value();
    SafeSetFocus("ButtonSweepOK");
}

void MainWindow::chooseSingleFreq()
{
    c("SetupSweep").setVisible(true);
    sweep.SingleFreqMode = true;
    c("SingleDisplayFrame").setVisible(true);
    c("StepsButton").setCaption("0").setEnabled(false);
    sweep.SweepKind = sweep::KindSingle;
    sweep.SavedPoints = settings.SweepPoints;
    c("Flabel1").setCaption(" Freq");
    c("Flabel2").setCaption("");
    c("FreqPanel2").setVisible(false);
    c("FreqUnitsLock").setVisible(false);
    c("FreqUnitsLabel").setVisible(false);
    c("SwpLabel4").setVisible(false);
    c("TimeEstimate").setVisible(false);
    c("CalibrateButton").setEnabled(false);
    ShowF1Value();
    SafeSetFocus("F1text");
}

// ---------------------------------------------------------------- value lists

void MainWindow::openValueList(const std::string& button, const std::string& list)
{
    c(button).setVisible(false);
    c(list).setVisible(true).setTabStop(true);
    SafeSetFocus(list);
}

void MainWindow::closeValueList(const std::string& button, const std::string& list)
{
    c(list).setVisible(false);
    c(button).setVisible(true);
}

namespace {

// The text a list applies: a chosen entry, else what was typed. Blank when
// there is nothing to apply.
std::string listValueText(ui::Control& list)
{
    if (list.listIndex() >= 0 && list.listIndex() < static_cast<int>(list.list().size())) {
        list.setText(list.list()[static_cast<std::size_t>(list.listIndex())]);
        list.setListIndex(-1);
    }
    return ui::trimBlanks(list.text());
}

} // namespace

void MainWindow::applyStepsList()
{
    ui::Control& list = c("NumberOfSteps");
    list.setTabStop(false);
    if (sweep.SingleFreqMode)
        return;
    const std::string text = listValueText(list);
    if (text.empty())
        return;
    const double x = ui::leadingNumber(text);
    if (x < 1 || x > 400) {
        msg("Number of steps must be between 1 and 400");
        return;
    }
    const auto steps = static_cast<std::int16_t>(ui::roundHalfEven(x));
    if (steps + 1 != settings.SweepPoints)
        discardStoredTrace();
    settings.SweepPoints = static_cast<std::int16_t>(steps + 1);
    list.setVisible(false);
    c("StepsButton").setCaption(std::to_string(steps)).setVisible(true);
    closeValueList("WaitButton", "ADCwaits");
    EstTime();
    c("SetupSweep").setVisible(true);
    SafeSetFocus("ButtonSweepOK");
}

void MainWindow::applyWaitList()
{
    ui::Control& list = c("ADCwaits");
    list.setTabStop(false);
    const std::string text = listValueText(list);
    if (text.empty())
        return;
    const double x = ui::leadingNumber(text);
    if (x < 0 || x > 250) {
        msg("ADC delay must be between 0 and 250 ms");
        return;
    }
    settings.AdcWaitMs = static_cast<std::int16_t>(ui::roundHalfEven(x));
    list.setVisible(false);
    c("WaitButton").setCaption(std::to_string(settings.AdcWaitMs)).setVisible(true);
    closeValueList("AvgButton", "ADCaverages");
    SafeSetFocus("ButtonSweepOK");
    EstTime();
}

void MainWindow::applyAveragesList()
{
    ui::Control& list = c("ADCaverages");
    list.setTabStop(false);
    const std::string text = listValueText(list);
    if (text.empty())
        return;
    const double x = ui::leadingNumber(text);
    if (x < 1 || x > 100) {
        msg("# of averages must be between 1 and 100");
        return;
    }
    settings.AdcAverages = static_cast<std::int16_t>(ui::roundHalfEven(x));
    list.setVisible(false);
    c("AvgButton").setCaption(std::to_string(settings.AdcAverages)).setVisible(true);
    closeValueList("StepsButton", "NumberOfSteps");
    SafeSetFocus("ButtonSweepOK");
    EstTime();
}

void MainWindow::applyAdcModeList()
{
    ui::Control& list = c("ADCModeList");
    list.setTabStop(false);
    const int chosen = list.listIndex();
    if (chosen < 0 || chosen >= static_cast<int>(list.list().size()))
        return;
    settings.AdcMode = static_cast<std::int16_t>(ui::leadingNumber(list.list()[static_cast<std::size_t>(chosen)]));
    list.setVisible(false);
    c("ADCModebutton").setCaption(AdcModeCaption(settings.AdcMode)).setVisible(true);
    EstTime();
    SafeSetFocus("ButtonSweepOK");
}

void MainWindow::discardStoredTrace()
{
    // A stored trace of another point count cannot be overlaid.
    c("DisplayMemory").setVisible(false);
    c("TraceSave").setEnabled(false);
    c("TraceStatusLabel").setCaption("(none)");
    c("TraceStatusLED").setBackColour(Grey);
    c("Markers").setVisible(false);
    c("MarkerOn").setEnabled(false).setCaption("Markers On");
    ClearPlot();
}

void MainWindow::EstTime()
{
    settings.AdcConvMs = sweep::AdcConversionMs(settings.AdcType, settings.AdcMode, settings.AdcConvMs);
    sweep.PointTimeS =
        sweep::PointTimeS(settings.AdcWaitMs, settings.AdcConvMs, settings.ReadOverheadMs, settings.AdcAverages);
    const float seconds = sweep::SweepTimeS(settings.SweepPoints, sweep.PointTimeS, sweep.CdsOn);
    c("TimeEstimate").setCaption(display::FormatScaleValue(seconds, platform_.decimalSeparator()));
}

void MainWindow::CDS_check_Click()
{
    if (!sweep.UiReady)
        return;
    ui::Control& box = c("CDS_check");
    sweep.CdsOn = box.value() != 0;
    const bool calibrationHeld = cal.ReflCalValid || cal.TransCalValid;
    const bool calibratedWithCds = cal.CalModes > 10;
    if (calibrationHeld && calibratedWithCds != sweep.CdsOn) {
        const auto answer = msg("If you OK this CDS change, the VNA will be\rUN-CALIBRATED IN ALL MODES!",
                                ui::MsgButtons::OkCancel, ui::MsgIcon::Exclamation, "Warning - CDS change");
        if (answer == ui::MsgResult::Ok) {
            // A calibration whose saving was declined is offered once more.
            cal.CalUnsaved = static_cast<std::int16_t>(std::abs(cal.CalUnsaved));
            CheckUnsavedCal();
            cal.CalUnsaved = 0;
            cal.ReflCalValid = false;
            cal.TransCalValid = false;
            cal.CalModes = sweep.CdsOn ? 10 : 0;
            UpdateModeLEDs();
        } else {
            sweep.CdsOn = !sweep.CdsOn;
            box.setValue(sweep.CdsOn ? 1 : 0);
        }
    }
    EstTime();
}

void MainWindow::ButtonSweepOK_Click()
{
    c("displaycombo").setVisible(false);
    yieldToWindow();

    bool valid = false;
    const int kind = sweep.SweepKind;
    if (kind == sweep::KindStartEnd || kind == sweep::KindCentreSpan) {
        const sweep::SweepCheck* failed = sweep::FirstFailingCheck(kind, sweep.SweepF1, sweep.SweepF2);
        if (failed) {
            if (failed->outcome == sweep::CheckOutcome::ClampStart)
                sweep.SweepF1 = sweep::MinFreqHz;
            else if (failed->outcome == sweep::CheckOutcome::ClampEnd)
                sweep.SweepF2 = sweep::MaxFreqHz;
            sweep.SweepValid = false;
            msg(failed->text, ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, failed->title);
            if (failed->outcome == sweep::CheckOutcome::EndImmediately)
                return;
        } else {
            valid = true;
        }
    } else if (kind == sweep::KindSingle) {
        valid = true;
        c("TellSteps").setVisible(false);
        c("SingleAlabel").setCaption("");
        c("SingleBlabel").setCaption("");
        SweepFrameFunctionsOff();
        c("DisplayFrame").setVisible(true);
    }
    sweep.SweepValid = valid;
    ShowF1Value();
    ShowF2Value();
    if (!valid) {
        CheckMachineStatus();
        return;
    }

    const bool swept = kind != sweep::KindSingle;
    if (swept && settings.SweepPoints < 2) {
        // Back from a single frequency without a count to restore: the steps
        // list gives it. When the list holds no usable count the OK is
        // refused; a swept list needs two points at least.
        const std::string steps = listValueText(c("NumberOfSteps"));
        const double x = ui::leadingNumber(steps);
        if (!steps.empty() && x >= 1 && x <= 400)
            applyStepsList();
        if (settings.SweepPoints < 2) {
            sweep.SweepValid = false;
            msg("Number of steps must be between 1 and 400", ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                "Number of steps not set");
            CheckMachineStatus();
            return;
        }
    }
    c("SetupSweep").setVisible(false);

    if (swept) {
        sweep::ListBounds bounds{sweep.SweepStart, sweep.SweepEnd};
        sweep::BuildSweptList(kind, sweep.SweepF1, sweep.SweepF2, settings.SweepPoints, sweep.FreqList, bounds);
        sweep.SweepStart = bounds.start;
        sweep.SweepEnd = bounds.end;
    } else {
        sweep::BuildSingleList(sweep.SweepF1, sweep.FreqList);
        sweep.SweepStart = sweep.SweepF1;
        const char sep = platform_.decimalSeparator();
        c("SingleFrequencyLabel")
            .setCaption(ui::formatPattern(ui::roundDecimals(sweep.SweepF1 / 1e6, 6), "#0.000000", sep) + " MHz ");
        settings.SweepPoints = 1;
    }

    sweep.SweepDefined = true;
    c("CalLoadButton").setEnabled(true);
    CheckMachineStatus();
    ShowFreqAxis();
    if (sweep.SweepF1 == sweep.snapshot.SweepF1 && sweep.SweepF2 == sweep.snapshot.SweepF2)
        return;
    // The display and data functions wait for a complete sweep over the new list.
    SweepFrameFunctionsOff();
}

void MainWindow::FreqCancel_Click()
{
    c("displaycombo").setVisible(false);
    c("SetupSweep").setVisible(false);
    c("SetSweepButton").setEnabled(true);
    c("CalLoadButton").setEnabled(true);
    c("CalibrateButton").setEnabled(true);

    const auto& snap = sweep.snapshot;
    sweep.SweepF1 = snap.SweepF1;
    sweep.SweepF2 = snap.SweepF2;
    settings.SweepPoints = snap.SweepPoints;
    const int last = std::clamp<int>(snap.SweepPoints, 0, sweep::MaxPoints);
    for (int k = 0; k <= last; ++k)
        sweep.FreqList[static_cast<std::size_t>(k)] = snap.FreqList[static_cast<std::size_t>(k)];
    settings.AdcWaitMs = snap.AdcWaitMs;
    settings.AdcAverages = snap.AdcAverages;
    sweep.CdsOn = snap.CdsOn;
    sweep.SweepDefined = snap.SweepDefined;
    // A kind chosen and cancelled leaves nothing behind: the frequency axis
    // names the fields as the restored values mean them, the single-frequency
    // display goes as it came, and "Plot F=0" applies as the list allows.
    sweep.SweepKind = snap.SweepKind;
    sweep.SingleFreqMode = snap.SingleFreqMode;
    sweep.SavedPoints = snap.SavedPoints;
    c("SingleDisplayFrame").setVisible(sweep.SingleFreqMode);
    c("DisplayFrame").setVisible(true);
    c("FixX0").setEnabled(sweep.FreqList[0] != sweep::KindCentreSpan);
    // Runs the box's handler when it differs, as the user's click would.
    c("CDS_check").setValue(sweep.CdsOn ? 1 : 0);
    CheckMachineStatus();
}

// ================================================================ sweep control

void MainWindow::showSweepState(const std::string& status, int whiteLamp, std::initializer_list<int> enabled)
{
    for (int i = 0; i < 4; ++i) {
        bool on = false;
        for (int e : enabled)
            on = on || e == i;
        c("SweepButton", i).setEnabled(on);
        c("SweepLED", i).setBackColour(i == whiteLamp ? White : Grey);
    }
    c("SweepStatus").setCaption(status);
}

void MainWindow::InitialiseSweep()
{
    c("SweepFrame").setVisible(true);
    if (!sweep.SingleFreqMode) {
        c("SingleDisplayFrame").setVisible(false);
        c("DisplayFrame").setVisible(true);
    } else {
        c("SingleDisplayFrame").setVisible(true);
    }
    Grayall();
    showSweepState(StatusReady, 2, {0, 1, 3});
    sweep.ResumeIndex = 0;
    sweep.PointIndex = 0;
    ClearPlot();
    sweep.StopSweep = true;
    sweep.PassDone = false;
    SafeSetFocus("SweepButton", 1);
}

void MainWindow::Grayall()
{
    for (int i = 0; i < 4; ++i) {
        c("SweepButton", i).setEnabled(false);
        c("SweepLED", i).setBackColour(Grey);
    }
}

void MainWindow::SweepButton_Click(int index)
{
    Grayall();
    CloseOpenLists();
    sweep.ResumeIndex = sweep.PointIndex;
    // Counts the continuous loops below while they run, also when the
    // program ends inside one.
    struct ContinuousLoop {
        int& count;
        explicit ContinuousLoop(int& c) : count(++c) {}
        ~ContinuousLoop() { --count; }
    };

    switch (index) {
    case 0: // Clear and Re-start
        yieldToWindow();
        ClearPlot();
        SweepFrameFunctionsOff();
        sweep.ResumeIndex = 0;
        sweep.SingleSweep = false;
        showSweepState(StatusNew, 0, {0, 2, 3});
        SafeSetFocus("SweepButton", 2);
        if (c("DisplayMemory").caption() == "Hide")
            showStoredTrace(true);
        {
            const ContinuousLoop running(continuousSweeps_);
            do {
                sweep.StopSweep = false;
                sweep.PassDone = false;
                measure();
                if (sweep.PassDone && !sweep.SingleSweep) {
                    sweep.ResumeIndex = 0;
                    sweep.PassDone = false;
                    c("SweepLED", 0).setBackColour(Grey);
                    c("SweepLED", 1).setBackColour(White);
                    c("SweepStatus").setCaption(StatusContinuous);
                }
            } while (!sweep.StopSweep);
        }
        if (sweep.PassFailed)
            showStopped();
        break;

    case 1: // Start / Resume: continues after the point where it stopped
        yieldToWindow();
        SweepFrameFunctionsOff();
        sweep.SingleSweep = false;
        showSweepState(StatusContinuous, 1, {0, 2, 3});
        SafeSetFocus("SweepButton", 2);
        {
            const ContinuousLoop running(continuousSweeps_);
            do {
                sweep.StopSweep = false;
                sweep.PassDone = false;
                measure();
                if (sweep.PassDone)
                    sweep.ResumeIndex = 0;
            } while (!sweep.StopSweep);
        }
        if (sweep.PassFailed)
            showStopped();
        break;

    case 2: // Pause/Stop: normally runs inside a pass, which sees the flag after its point
        yieldToWindow();
        sweep.StopSweep = true;
        showStopped();
        break;

    case 3: // Single Sweep, then Stop: completes the pass in progress, if any
        yieldToWindow();
        SweepFrameFunctionsOff();
        sweep.SingleSweep = true;
        showSweepState(StatusSingle, 3, {0, 1, 2});
        SafeSetFocus("SweepButton", 2);
        do {
            sweep.StopSweep = false;
            sweep.PassDone = false;
            measure();
        } while (!sweep.StopSweep && !sweep.PassDone);
        if (sweep.PassDone) {
            sweep.StopSweep = true;
            sweep.PointIndex = 0;
            Grayall();
            showSweepState(StatusCompleted, 2, {0, 1, 3});
            SafeSetFocus("SweepButton", 1);
            SweepFrameFunctionsOn();
        } else if (sweep.PassFailed) {
            showStopped();
        }
        break;

    default:
        break;
    }
}

void MainWindow::showStopped()
{
    sweep.SingleSweep = false;
    SweepFrameFunctionsOff();
    Grayall();
    showSweepState(StatusStopped, 2, {0, 1, 3});
    SafeSetFocus("SweepButton", 1);
    if (!sweep.SingleFreqMode && sweep.PassDone)
        SweepFrameFunctionsOn();
}

void MainWindow::SweepFrameFunctionsOn()
{
    if (sweep.SingleFreqMode)
        return;
    switchSweepFrameFunctions(true);
}

void MainWindow::SweepFrameFunctionsOff() { switchSweepFrameFunctions(false); }

void MainWindow::switchSweepFrameFunctions(bool on)
{
    for (const char* name :
         {"ScaleControl", "SendToClipboard", "PrintMe", "ClearButton", "TraceSave", "SaveDataButton", "MarkerOn"})
        c(name).setVisible(true).setEnabled(on);
    c("Markers").setEnabled(on);

    if (disp.DisplayCode != DisplaySmith)
        ShowY1Axis();
    for (const char* name : {"Y1Hi", "Y1Scale", "Y1Lo"})
        c(name).setEnabled(on);

    if (disp.DisplayCode != DisplaySwr && disp.DisplayCode != DisplaySmith) {
        c("plotframe").setVisible(true).setEnabled(on);
        for (int i = 0; i < 3; ++i)
            c("PlotOption", i).setEnabled(on);
        ShowY2Axis();
        for (const char* name : {"Y2Hi", "Y2Scale", "Y2Lo"})
            c(name).setEnabled(on);
    } else {
        HideY2Axis();
        c("plotframe").setVisible(false);
    }
}

void MainWindow::CloseOpenLists()
{
    for (const char* name : {"Y1HiCombo", "Y1ScaleCombo", "Y1LoCombo", "Y2HiCombo", "Y2ScaleCombo", "Y2LoCombo"})
        c(name).setVisible(false);
    if (c("displaycombo").visible())
        displaycombo_Click();
    c("displaycombo").setVisible(false);
}

// ================================================================ trace store

void MainWindow::Tracesave_Click()
{
    for (int i = 1; i <= settings.SweepPoints && i < sweep::ListSize; ++i) {
        const auto k = static_cast<std::size_t>(i);
        disp.StoredY1[k] = disp.Y1Trace[k];
        disp.StoredY2[k] = disp.Y2Trace[k];
    }
    disp.StoredFirst = 1;
    disp.StoredLast = sweep::ListSize - 1;
    c("TraceStatusLabel").setCaption("Stored");
    c("TraceStatusLED").setBackColour(Green);
    c("DisplayMemory").setVisible(true);
    traceTools_->traceStored();
}

void MainWindow::DisplayMemory_Click()
{
    // The overlay is drawn with the exclusive-or pen: the same drawing both
    // shows and removes it.
    ui::Control& button = c("DisplayMemory");
    if (button.caption() == "Show") {
        traceTools_->storedTraceAboutToShow();
        showStoredTrace(true);
        button.setCaption("Hide");
    } else {
        button.setCaption("Show");
        showStoredTrace(false);
    }
}

void MainWindow::MemoryDisplayOff()
{
    ui::Control& button = c("DisplayMemory");
    if (button.caption() == "Hide") {
        button.setCaption("Show");
        showStoredTrace(false);
    }
}

void MainWindow::showStoredTrace(bool on)
{
    // A cleared plot has taken the overlay away with everything else; drawing
    // it "off" again would put it back where nobody asked for it.
    if (storedOnScreen_ != on)
        DrawStoredTrace();
}

// ================================================================ group-delay aperture

void MainWindow::GDwindowButton_Click()
{
    c("SweepFrame").setVisible(false);
    c("GDAHzBox").setText(ui::trimBlanks(ui::formatGeneral(static_cast<double>(sweep.GdApertureHz), 15,
                                                           platform_.decimalSeparator())));
    c("GDwindowButton").setVisible(false);
    c("GDwindowFrame").setVisible(true);
}

void MainWindow::GDwindowOKbutton_Click()
{
    int selected = -1;
    for (int i = 0; i < 3; ++i)
        if (c("GDAselect", i).value() != 0)
            selected = i;
    if (selected < 0)
        return;

    const double span = static_cast<double>(disp.XRight) - static_cast<double>(disp.XLeft);
    // A candidate that cannot be computed (text that is no number, one step
    // of a one-point list) is refused as 0 Hz.
    double candidate = 0;
    if (selected == 0) {
        if (const auto typed = ui::parseNumber(c("GDAHzBox").text(), platform_.decimalSeparator())) {
            // Read in single precision; a number beyond it is refused as it stands.
            const double v = std::fabs(*typed) <= FLT_MAX ? static_cast<double>(static_cast<float>(*typed)) : *typed;
            candidate = ui::roundHalfEven(v);
        }
    } else if (selected == 1) {
        candidate = ui::roundHalfEven(span * 0.005);
    } else if (settings.SweepPoints > 1) {
        candidate = ui::roundHalfEven(span / (settings.SweepPoints - 1));
    }

    if (candidate >= 1 && candidate <= span / 10) {
        sweep.GdApertureHz = static_cast<std::int32_t>(candidate);
        c("GDstep").setText(std::to_string(sweep.GdApertureHz));
        c("GDwindowFrame").setVisible(false);
        CheckMachineStatus();
        return;
    }
    msg("Currently " + ui::formatGeneral(candidate, 15, platform_.decimalSeparator()) + "Hz. Please re-enter",
        ui::MsgButtons::Ok, ui::MsgIcon::None, "Aperture range: 1Hz - 10% of sweep");
}

void MainWindow::GDwindowCancelbutton_Click()
{
    c("GDwindowFrame").setVisible(false);
    CheckMachineStatus();
}

} // namespace orbilan::app
