#include "app/main_window.h"
#include "app/trace_tools.h"

#include <string>

#include "cal/cal_file.h"
#include "cal/correction.h"
#include "cal/data_export.h"
#include "cal/display_quantities.h"
#include "cal/text_file.h"

// Calibration, the per-point correction loop, the machine status that decides
// what the window offers, the calibration file and the data export.

namespace orbilan::app {

namespace {

constexpr ui::Rgb Red = 0xFF0000;
constexpr ui::Rgb Green = 0x00FF00;
constexpr ui::Rgb Yellow = 0xFFFF00;
constexpr ui::Rgb White = 0xFFFFFF;

constexpr const char* NotCalibratedTip = "NOT CALIBRATED for this mode";
constexpr const char* CalibratedTip = "CALIBRATED for this mode";
constexpr const char* CalFilter = "cal files|*.cal|All Files|*.*";
constexpr const char* NoCalibrationCaption = "Options: 1. 'Set Sweep', then 'Calibrate', or 2. 'Load Cal'";
constexpr const char* InvalidCalFile =
    "Not a valid Orbilan Cal file!\r(Files saved by v1.3a or earlier are\rNOT COMPATIBLE with this version.)";
// No calibration file comes near this; anything larger is not one.
constexpr std::size_t MaxCalFileBytes = 4u << 20;

// The first entry of each mode's display list and its two trace names.
struct ModeCaptions {
    const char* display;
    const char* y1;
    const char* y2;
};
constexpr ModeCaptions modeCaptions[3] = {
    {"dB,deg", "dB", "deg"},
    {"|Z|,deg", "|Z|", "deg"},
    {"dB,\xC2\xB5s", "dB", "\xC2\xB5s"},
};

const char* const scaleButtons[6] = {"Y1Hi", "Y1Scale", "Y1Lo", "Y2Hi", "Y2Scale", "Y2Lo"};

std::string num(long long v) { return std::to_string(v); }

// The sweep's point count as an index into the point arrays.
int pointCount(int sweepPoints) { return sweepPoints < 1 ? 1 : (sweepPoints > 401 ? 401 : sweepPoints); }

} // namespace

void MainWindow::setupCal()
{
    using K = ui::ControlKind;

    ui_.add("ModeFrame", K::Frame).setCaption("Mode");
    static const char* const modeNames[3] = {"Trans", "Refl", "GrpDel"};
    for (int i = 0; i < 3; ++i) {
        ui_.add("ModeButton", K::Option, i)
            .setParent("ModeFrame")
            .setGroup("Mode")
            .setCaption(modeNames[i])
            .setToolTip(NotCalibratedTip);
        ui_.add("ModeCalLED", K::Lamp, i).setParent("ModeFrame").setBackColour(Red);
    }
    ui_("ModeButton", 0).setValueQuietly(1);

    ui_.add("CalibrateButton", K::Button)
        .setCaption("Calibrate")
        .setToolTip("Calibrate the selected mode")
        .setEnabled(false);
    ui_.add("CalLoadButton", K::Button).setCaption("Load Cal").setToolTip("Load calibration data from a file");
    ui_.add("SaveCalButton", K::Button)
        .setCaption("Save Cal")
        .setToolTip("Save calibration data to a file")
        .setEnabled(false);
    ui_.add("CalInfoButton", K::Button)
        .setCaption("Cal Info")
        .setToolTip("Show Setup/Calibration information")
        .setEnabled(false);
    ui_.add("CalLabel", K::Label).setCaption("Not Calibrated").setBackColour(Red);

    // The calibration information panel: the calibration beside the present
    // set-up, one row per quantity.
    ui_.add("CalInfo", K::Frame).setCaption(NoCalibrationCaption).setVisible(false);
    auto inPanel = [this](const std::string& name, K kind, const std::string& caption, int index = -1) -> ui::Control& {
        return ui_.add(name, kind, index).setParent("CalInfo").setCaption(caption);
    };
    inPanel("CalInfoHeading", K::Label, "Calibration", 0);
    inPanel("CalInfoHeading", K::Label, "Present Setup", 1);
    static const char* const rows[5] = {"Start", "End", "Steps", "ADC Wait", "Averages"};
    for (int i = 0; i < 5; ++i)
        inPanel("CalInfoRow", K::Label, rows[i], i);
    inPanel("GDstepLabel", K::Label, "GD Aperture       ---");
    for (const char* name : {"CalStartC", "CalEndC", "CalStepsC", "ADCWC", "AvgC"})
        inPanel(name, K::Label, "None");
    for (const char* name : {"SetupStart", "SetupEnd", "SetupSteps", "SetupWait", "SetupAvg"})
        inPanel(name, K::Label, "None");
    inPanel("GDstep", K::TextBox, "").setText("None");
    inPanel("CalFileTitle", K::Label, "Cal File:");
    inPanel("FileLabel", K::Label, "None");
    inPanel("SweepTimeTitle", K::Label, "Sweep Time");
    inPanel("Calinfosweeptime", K::Label, "None");
    inPanel("ADCModeTitle", K::Label, "ADC Mode");
    inPanel("ADCMOdeLabel", K::Label, "None");
    inPanel("CDSTitle", K::Label, "CDS");
    inPanel("CDS_State", K::Label, "None");
    inPanel("CalInfoCloseButton", K::Button, "Close");

    ui_.add("SaveDataButton", K::Button)
        .setParent("SweepFrame")
        .setCaption("Save Data")
        .setToolTip("Save the sweep to a .csv file")
        .setEnabled(false);

    ui_.on("ModeButton", ui::Event::Click, [this](ui::EventArgs& a) { ModeButton_Click(a.index); });
    ui_.on("ModeFrame", ui::Event::Click, [this](ui::EventArgs&) { CloseOpenLists(); });
    ui_.on("CalibrateButton", ui::Event::Click, [this](ui::EventArgs&) { CalibrateButton_Click(); });
    ui_.on("CalLoadButton", ui::Event::Click, [this](ui::EventArgs&) { CalLoadButton_Click(); });
    ui_.on("SaveCalButton", ui::Event::Click, [this](ui::EventArgs&) { SaveCalButton_Click(); });
    ui_.on("CalInfoButton", ui::Event::Click, [this](ui::EventArgs&) { CalInfoButton_Click(); });
    ui_.on("CalInfoCloseButton", ui::Event::Click, [this](ui::EventArgs&) { CalInfoCloseButton_Click(); });
    ui_.on("SaveDataButton", ui::Event::Click, [this](ui::EventArgs&) { SaveDataButton_Click(); });

    using ui::StateValue;
    auto i64 = [](auto v) { return StateValue{static_cast<std::int64_t>(v)}; };
    registry_.add("CalAdcWaitMs", [this, i64] { return i64(cal.CalAdcWaitMs); });
    registry_.add("CalAdcAverages", [this, i64] { return i64(cal.CalAdcAverages); });
    registry_.add("CalCds", [this] { return StateValue{cal.CalCds}; });
    registry_.add("WorkPoints", [this, i64] { return i64(cal.WorkPoints); });
    registry_.addArray("WorkOpen", complexArrayState(cal.WorkOpen));
    registry_.addArray("WorkShort", complexArrayState(cal.WorkShort));
    registry_.addArray("WorkLoad", complexArrayState(cal.WorkLoad));
    registry_.addArray("WorkThru", complexArrayState(cal.WorkThru));
    registry_.addArray("WorkIsol", complexArrayState(cal.WorkIsol));
}

// ------------------------------------------------------------ machine status

int MainWindow::selectedMode()
{
    for (int i = 0; i < 3; ++i)
        if (c("ModeButton", i).value() != 0)
            return i;
    return cal.MeasMode;
}

void MainWindow::CheckMachineStatus()
{
    UpdateCalStatus();
    UpdateModeLEDs();
    const int mode = selectedMode();
    const bool groupDelay = mode == 2;
    const bool ready = ((mode == 0 || mode == 2) && cal.TransCalValid) || (mode == 1 && cal.ReflCalValid);

    if (ready) {
        if (cal.CalStatus == 2)
            ShowCalLabel("Calibrated");
        else if (cal.CalStatus == 3)
            ShowCalLabel("Interpolated");
        FillCalInfo();
        c("SweepFrame").setVisible(true);
        // A mode change disables the single-frequency option in group delay;
        // becoming ready must not undo that.
        c("SingleFreqSweep").setEnabled(!groupDelay);
        InitialiseSweep();
        c("DisplayLabel").setVisible(true);
        c("DisplayButton").setVisible(true).setEnabled(true);
        c("SaveCalButton").setEnabled(true);
        c("CalInfoButton").setEnabled(true);
        const int last = cal.WorkPoints >= 1 && cal.WorkPoints <= 401 ? cal.WorkPoints : 1;
        disp.XLeft = sweep.FreqList[1];
        disp.XRight = sweep.FreqList[static_cast<std::size_t>(last)];
        ui::Control& fixX0 = c("FixX0");
        if (fixX0.value() != 0 && fixX0.enabled())
            disp.XLeft = 0;
        c("GDwindowButton").setVisible(groupDelay);
        c("GDstepLabel").setVisible(groupDelay);
        c("GDstep").setVisible(groupDelay);
        ShowFreqAxis();
        ShowY1Axis();
        ShowY2Axis();
        if (disp.DisplayCode == cal::CodeSwr) {
            for (int i = 0; i < 3; ++i)
                c(scaleButtons[i]).setEnabled(true);
        } else if (disp.DisplayCode != cal::CodeSmith) {
            c("plotframe").setVisible(true).setEnabled(true);
            for (const char* name : scaleButtons)
                c(name).setEnabled(true);
        }
        RefreshScales();
        c("SaveCalButton").setEnabled(true);
        CheckUnsavedCal();
        return;
    }

    FillCalInfo();
    c("SingleFreqSweep").setEnabled(false);
    c("SweepFrame").setVisible(false);
    c("DisplayLabel").setVisible(false);
    c("DisplayButton").setVisible(false).setEnabled(false);
    c("CalInfo").setVisible(false);
    c("plotframe").setVisible(false).setEnabled(false);
    c("SaveCalButton").setEnabled(false);
    c("CalInfoButton").setEnabled(false);
    c("GDwindowButton").setVisible(false);
    c("GDstepLabel").setVisible(groupDelay);
    c("GDstep").setVisible(groupDelay);
    for (const char* name : scaleButtons)
        c(name).setEnabled(false);
    HideY1Axis();
    HideY2Axis();
    RefreshScales();
    // The mode in view cannot measure, but a calibration held for the other
    // kind (or for another sweep) is still unsaved: keep the reminder while
    // there is something to save.
    if (cal.CalModes % 10 == 0)
        cal.CalUnsaved = 0;
}

void MainWindow::ModeButton_Click(int index)
{
    if (index < 0 || index > 2)
        return;
    // The stored trace is of the mode being left.
    MemoryDisplayOff();
    cal.MeasMode = static_cast<std::int16_t>(index);
    c("ModeButton", index).setValueQuietly(1);
    c("PlotOption", 2).setValue(1);
    Grayall();
    c("displaycombo").setVisible(false);
    markeroff();
    c("MarkerOn").setVisible(false);
    c("SetupSweep").setVisible(false);
    sweep.StopSweep = true;
    disp.Y1ClickHistory = 0;
    disp.Y2ClickHistory = 0;

    disp.DisplayCode = static_cast<std::int16_t>(cal.MeasMode * 10);
    const ModeCaptions& captions = modeCaptions[index];
    c("DisplayLabel").setCaption(captions.display);
    c("Y1Label").setCaption(captions.y1);
    c("Y2Label").setCaption(captions.y2);
    c("SingleFreqSweep").setEnabled(index != 2);
    c("PlotOption", 0).setCaption(c("Y1Label").caption());
    c("PlotOption", 1).setCaption(c("Y2Label").caption());

    DisplaySet();
    DrawGraticule();
    c("plotframe").setVisible(false).setEnabled(false);
    CheckMachineStatus();
}

// ------------------------------------------------------- calibration state

void MainWindow::UpdateCalStatus()
{
    cal.CalStatus = 1;
    const auto& calFreq = cal.CalFreq;
    if (calFreq[0] == 0)
        return;
    const int r = cal::CompareSweeps(calFreq, sweep.FreqList);
    if (r == cal::SweepIdentical) {
        cal.WorkFreq = calFreq;
        cal.WorkOpen = cal.CalOpen;
        cal.WorkShort = cal.CalShort;
        cal.WorkLoad = cal.CalLoad;
        cal.WorkThru = cal.CalThru;
        cal.WorkIsol = cal.CalIsol;
        cal.LoadModel = cal.CalLoadModel;
        cal.WorkPoints = calFreq[0];
        cal.CalStatus = 2;
        c("SaveCalButton").setEnabled(true);
        return;
    }
    if (r == cal::SweepNotCovered)
        return;

    // Inside the calibration's range: every sweep point between its two
    // neighbouring calibration points. The search carries over from point to
    // point, since both lists ascend.
    const int n = pointCount(settings.SweepPoints);
    const int m = n == 1 ? 2 : n;
    int j = 1;
    for (int k = 1; k <= m; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        const std::int32_t f = sweep.FreqList[ku];
        while (j <= 401 && calFreq[static_cast<std::size_t>(j)] != f && calFreq[static_cast<std::size_t>(j)] <= f)
            ++j;
        if (j > 401) {
            cal.CalStatus = 1;
            return;
        }
        int lo = j;
        const int hi = j;
        if (calFreq[static_cast<std::size_t>(j)] == f) {
            if (sweep.SingleFreqMode)
                cal.CalStatus = 2;
        } else if (j > 1) {
            lo = j - 1;
        }
        const auto l = static_cast<std::size_t>(lo), h = static_cast<std::size_t>(hi);
        auto interpolate = [&](const PointArray& from) {
            return cal::InterpolatePoint(f, calFreq[l], calFreq[h], from[l], from[h]);
        };
        cal.WorkOpen[ku] = interpolate(cal.CalOpen);
        cal.WorkShort[ku] = interpolate(cal.CalShort);
        cal.WorkLoad[ku] = interpolate(cal.CalLoad);
        cal.WorkThru[ku] = interpolate(cal.CalThru);
        cal.WorkIsol[ku] = interpolate(cal.CalIsol);
    }
    cal.WorkFreq = {};
    cal.WorkFreq[0] = m;
    for (int k = 1; k <= m; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        cal.WorkFreq[ku] = sweep.FreqList[ku];
        cal.LoadModel[ku] = cal::LoadStandardModel(sweep.FreqList[ku], settings.LoadStdR, settings.LoadStdL,
                                                   settings.LoadStdC);
    }
    cal.WorkPoints = m;
    if (cal.CalStatus != 2)
        cal.CalStatus = 3;
    c("SaveCalButton").setEnabled(true);
}

void MainWindow::UpdateModeLEDs()
{
    ClearCals();
    cal.TransCalValid = false;
    cal.ReflCalValid = false;
    const bool cdsMatches = (cal.CalModes >= 11) == sweep.CdsOn;
    const int units = cal.CalModes % 10;
    cal.TransCalValid = cal.CalStatus >= 2 && (units == 2 || units == 3) && cdsMatches;
    if (cal.TransCalValid)
        SetCal02();
    cal.ReflCalValid = cal.CalStatus >= 2 && (units == 1 || units == 3) && cdsMatches;
    if (cal.ReflCalValid)
        SetCal1();
}

void MainWindow::ClearCals()
{
    for (int i = 0; i < 3; ++i) {
        c("ModeCalLED", i).setBackColour(Red);
        c("ModeButton", i).setToolTip(NotCalibratedTip);
    }
    ShowCalLabel("Not Calibrated");
}

void MainWindow::SetCal02()
{
    for (int i : {0, 2}) {
        c("ModeCalLED", i).setBackColour(Green);
        c("ModeButton", i).setToolTip(CalibratedTip);
    }
}

void MainWindow::SetCal1()
{
    c("ModeCalLED", 1).setBackColour(Green);
    c("ModeButton", 1).setToolTip(CalibratedTip);
}

void MainWindow::ShowCalLabel(const std::string& calNow)
{
    ui::Control& label = c("CalLabel");
    label.setCaption(calNow);
    if (calNow == "Calibrating") {
        label.setBackColour(White);
    } else if (calNow == "Calibrated") {
        label.setBackColour(Green);
    } else if (calNow == "Interpolated") {
        label.setBackColour(Yellow);
    } else {
        label.setBackColour(Red);
        DrawGraticule();
    }
}

void MainWindow::CheckUnsavedCal()
{
    if (cal.CalUnsaved != 1)
        return;
    if (msg(" Save calibration file now?", ui::MsgButtons::YesNo, ui::MsgIcon::None, "Unsaved Calibration File") ==
        ui::MsgResult::Yes)
        SaveCalFile();
    else
        cal.CalUnsaved = -1;
}

// -------------------------------------------------------------- calibration

void MainWindow::CalibrateButton_Click()
{
    sweep.StopSweep = true;
    c("SweepFrame").setVisible(false);
    c("displaycombo").setVisible(false);
    c("GDwindowFrame").setVisible(false);
    c("GDwindowButton").setVisible(false);
    markeroff();
    MemoryDisplayOff();
    if (cal.MeasMode == 1)
        ReflectionCalibration();
    else
        TransmissionCalibration();
    CheckMachineStatus();
}

bool MainWindow::beginCalibration()
{
    c("SetupSweep").setVisible(false);
    c("SaveCalButton").setEnabled(false);
    c("CalLoadButton").setEnabled(false);
    c("PlotOption", 2).setValue(1);
    c("plotframe").setVisible(false).setEnabled(false);
    if (!sweep.SweepDefined) {
        msg("Click Set Sweep, and make sure you exit via the OK button", ui::MsgButtons::Ok, ui::MsgIcon::None,
            "Error - no frequency sweep set");
        c("CalLoadButton").setEnabled(true);
        return false;
    }
    const int n = pointCount(settings.SweepPoints);
    disp.XLeft = sweep.FreqList[1];
    disp.XRight = sweep.FreqList[static_cast<std::size_t>(n)];
    disp.DisplayCode = cal::CodeRaw;
    ShowCalLabel("Calibrating");
    calibrating_ = true;
    ClearPlot();
    c("ScaleControl").setCaption("Max Range");
    ScaleControl_Click();
    return true;
}

bool MainWindow::otherKindOnOtherSweep(bool reflection) const
{
    const int units = cal.CalModes % 10;
    const bool otherHeld = reflection ? (units == 2 || units == 3) : (units == 1 || units == 3);
    if (!otherHeld || cal.CalFreq[0] == 0)
        return false;
    for (std::size_t k = 1; k < cal.CalFreq.size(); ++k)
        if (cal.CalFreq[k] != sweep.FreqList[k])
            return true;
    return false;
}

void MainWindow::recordCalibrationSweep(bool reflection)
{
    const int n = pointCount(settings.SweepPoints);
    cal.CalFreq = {};
    cal.CalFreq[0] = n;
    for (int k = 1; k <= n; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        cal.CalFreq[ku] = sweep.FreqList[ku];
        if (reflection)
            cal.CalLoadModel[ku] = cal::LoadStandardModel(sweep.FreqList[ku], settings.LoadStdR, settings.LoadStdL,
                                                          settings.LoadStdC);
    }
    cal.CalAdcWaitMs = settings.AdcWaitMs;
    cal.CalAdcAverages = settings.AdcAverages;
    c("ADCWC").setCaption(num(settings.AdcWaitMs));
    c("AvgC").setCaption(num(settings.AdcAverages));
}

void MainWindow::restoreAfterCalibration()
{
    calibrating_ = false;
    displaycombo_Click();
    // The display list may never have been opened, and then the raw display
    // would stay in force for the measurement: fall back to the mode's first
    // display type, the one the label names.
    if (disp.DisplayCode == cal::CodeRaw) {
        disp.DisplayCode = static_cast<std::int16_t>(cal.MeasMode * 10);
        DisplaySet();
    }
    // The calibration's raw display named its axes "Real" and "Imag"; the
    // names go back to the display type now in force.
    showDisplayNames();
    c("ScaleControl").setCaption("Max Range");
    ScaleControl_Click();
    c("CalLoadButton").setEnabled(true);
    c("plotframe").setVisible(false).setEnabled(false);
    DrawGraticule();
}

void MainWindow::markCalibrationEnded(bool reflection, bool complete, bool replacedSweep)
{
    std::int16_t modes = reflection ? cal::CalModesAfterReflection(cal.CalModes, complete, sweep.CdsOn)
                                    : cal::CalModesAfterTransmission(cal.CalModes, complete, sweep.CdsOn);
    if (replacedSweep) {
        // The other kind's readings belong to the frequencies the new sweep
        // has just replaced: they no longer describe any point of it.
        const int own = reflection ? 1 : 2;
        modes = static_cast<std::int16_t>(modes - modes % 10 + own);
    }
    cal.CalModes = modes;
    cal.CalCds = sweep.CdsOn;
    cal.CalUnsaved = 1;
    c("FileLabel").setCaption("Not saved");
}

void MainWindow::ReflectionCalibration()
{
    reflectionCalibrationSteps();
    if (onCalibrationFinished)
        onCalibrationFinished();
}

void MainWindow::reflectionCalibrationSteps()
{
    if (!beginCalibration())
        return;
    const auto ok = ui::MsgResult::Ok;
    if (msg("Connect open circuit reference, then click OK", ui::MsgButtons::OkCancel, ui::MsgIcon::None,
            "VNA Open Calibration") != ok) {
        restoreAfterCalibration();
        return;
    }
    bool complete = false;
    c("ModeCalLED", 1).setBackColour(Red);
    c("CalLoadButton").setEnabled(false);
    c("DisplayButton").setVisible(false).setEnabled(false);
    // A standard the instrument could not measure completely leaves the
    // calibration incomplete, as a cancel does; the link has said why.
    if (!CalAcquireSweep(cal.CalOpen)) {
        c("CalLoadButton").setEnabled(true);
    } else if (msg("Connect short circuit reference, then click OK", ui::MsgButtons::OkCancel, ui::MsgIcon::None,
                   "VNA Short Calibration") != ok) {
        c("CalLoadButton").setEnabled(true);
    } else if (CalAcquireSweep(cal.CalShort) &&
               msg("Connect reference load, then click OK", ui::MsgButtons::OkCancel, ui::MsgIcon::None,
                   "VNA Load Calibration") == ok) {
        complete = CalAcquireSweep(cal.CalLoad);
    }
    const bool replaced = complete && otherKindOnOtherSweep(true);
    if (complete)
        recordCalibrationSweep(true);
    restoreAfterCalibration();
    markCalibrationEnded(true, complete, replaced);
}

void MainWindow::TransmissionCalibration()
{
    transmissionCalibrationSteps();
    if (onCalibrationFinished)
        onCalibrationFinished();
}

void MainWindow::transmissionCalibrationSteps()
{
    if (!beginCalibration())
        return;
    const auto ok = ui::MsgResult::Ok;
    if (msg("Connect thru, then click OK", ui::MsgButtons::OkCancel, ui::MsgIcon::None, "VNA Thru Calibration") !=
        ok) {
        c("CalLoadButton").setEnabled(true);
        restoreAfterCalibration();
        return;
    }
    bool complete = false;
    c("ModeCalLED", 0).setBackColour(Red);
    c("ModeCalLED", 2).setBackColour(Red);
    c("CalLoadButton").setEnabled(false);
    c("DisplayButton").setVisible(false).setEnabled(false);
    if (!CalAcquireSweep(cal.CalThru)) {
        c("CalLoadButton").setEnabled(true);
    } else if (sweep.CdsOn) {
        // Correlated double sampling cancels the detector offset that the
        // isolation reading would otherwise remove.
        cal::ClearComplexArray(cal.CalIsol);
        complete = true;
    } else if (msg("Leave detector port open, then click OK", ui::MsgButtons::OkCancel, ui::MsgIcon::None,
                   "VNA Open Calibration") == ok) {
        complete = CalAcquireSweep(cal.CalIsol);
    } else {
        c("CalLoadButton").setEnabled(true);
    }
    const bool replaced = complete && otherKindOnOtherSweep(false);
    if (complete)
        recordCalibrationSweep(false);
    restoreAfterCalibration();
    markCalibrationEnded(false, complete, replaced);
}

// ------------------------------------------------------------------ measure

void MainWindow::measure()
{
    c("plotframe").setEnabled(false);
    platform_.sleepMs(1);

    auto markerOnPoint = [this](int i) {
        return c("Markers").visible() && (disp.MarkerPos[0] == i || disp.MarkerPos[1] == i);
    };
    // The end is fixed when the pass starts; a handler that changes the sweep
    // while the pass yields also stops it.
    const int last = settings.SweepPoints > 401 ? 401 : settings.SweepPoints;
    sweep.PassFailed = false;
    for (int i = sweep.ResumeIndex + 1; i <= last; ++i) {
        if (i < 1)
            continue;
        const auto iu = static_cast<std::size_t>(i);
        sweep.PointIndex = static_cast<std::int16_t>(i);
        if (markerOnPoint(i))
            UpdateMarkers();
        bool measured = false;
        switch (cal.MeasMode) {
        case 1:
            measured = DDSADC();
            if (measured)
                cal.PointData[iu] = cal::OnePortImpedance(cal.LoadModel[iu], cal.WorkOpen[iu], cal.WorkShort[iu],
                                                          cal.WorkLoad[iu], cal.RawPoints[iu]);
            break;
        case 2:
            measured = measureGroupDelayPoint(i);
            break;
        default:
            measured = DDSADC();
            if (measured)
                cal.PointData[iu] = cal::TransmissionRatio(cal.WorkIsol[iu], cal.WorkThru[iu], cal.RawPoints[iu]);
            break;
        }
        if (!measured) {
            // The link has reported the fault and asked for a stop; the point
            // was not measured, so a resume starts with it again (the sweep
            // buttons resume after PointIndex).
            sweep.StopSweep = true;
            sweep.PassFailed = true;
            sweep.PointIndex = static_cast<std::int16_t>(i - 1);
            sweep.ResumeIndex = static_cast<std::int16_t>(i - 1);
            return;
        }
        // With trace math on, the point is shown against the memory.
        PlotPoint(traceTools_->shownPoint(i, cal.PointData[iu]));
        if (markerOnPoint(i))
            UpdateMarkers();
        if (sweep.StopSweep) {
            sweep.ResumeIndex = static_cast<std::int16_t>(i);
            return;
        }
    }
    sweep.PassDone = true;
    recordFinishedSweep();
    if (disp.DisplayCode != cal::CodeSwr && disp.DisplayCode != cal::CodeSmith)
        c("plotframe").setVisible(true);
}

bool MainWindow::measureGroupDelayPoint(int i)
{
    const auto iu = static_cast<std::size_t>(i);
    const std::int32_t f = sweep.FreqList[iu];
    if (!DDSADC())
        return false;
    const Complex first = cal::TransmissionQuotient(cal.WorkIsol[iu], cal.WorkThru[iu], cal.RawPoints[iu]);
    const double firstDb = cal::TransmissionRatio(cal.WorkIsol[iu], cal.WorkThru[iu], cal.RawPoints[iu]).re;
    const std::int32_t second = cal::GroupDelaySecondFrequency(f, sweep.GdApertureHz);
    sweep.FreqList[iu] = second;
    const bool measured = DDSADC();
    sweep.FreqList[iu] = f;
    if (!measured)
        return false;
    // Each reading is corrected with the calibration of its own frequency:
    // the thru's phase slope over the aperture is the instrument's own path
    // delay, which a calibrated group delay must not contain.
    const Complex other =
        cal::TransmissionQuotient(cal::CalibrationValueAt(second, cal.CalFreq, cal.CalIsol),
                                  cal::CalibrationValueAt(second, cal.CalFreq, cal.CalThru), cal.RawPoints[iu]);
    cal.PointData[iu] = {firstDb, cal::GroupDelayMicroseconds(first, other, f, second, sweep.GdApertureHz)};
    return true;
}

// --------------------------------------------------------- calibration file

bool MainWindow::writeFileReporting(const std::string& path, const std::string& contents)
{
    if (const auto error = cal::ReplaceFileContents(path, contents)) {
        msg("Error " + num(error->number) + ": " + error->description + "\r" + path + "\rThe file was not saved.",
            ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, "File error");
        return false;
    }
    return true;
}

void MainWindow::SaveCalButton_Click()
{
    SaveCalFile();
    InitialiseSweep();
}

void MainWindow::SaveCalFile()
{
    // The CDS box must not react while a dialog is open or a file written.
    const bool uiWasReady = sweep.UiReady;
    sweep.UiReady = false;
    ui::FileDialogRequest request;
    request.save = true;
    request.title = "Save calibration data to file";
    request.filter = CalFilter;
    request.filterIndex = 1;
    const auto path = platform_.fileDialog(request);
    if (!path) {
        sweep.UiReady = uiWasReady;
        return;
    }

    cal::CalFileData data;
    data.AdcType = settings.AdcType;
    data.AdcMode = settings.AdcMode;
    data.AdcAverages = settings.AdcAverages;
    data.AdcWaitMs = settings.AdcWaitMs;
    data.Cds = cal.CalCds;
    data.Points = static_cast<std::int16_t>(cal.CalFreq[0]);
    data.Modes = static_cast<std::int16_t>(cal.CalModes % 10);
    data.Freq = cal.CalFreq;
    data.LoadModel = cal.CalLoadModel;
    data.Open = cal.CalOpen;
    data.Short = cal.CalShort;
    data.Load = cal.CalLoad;
    data.Isol = cal.CalIsol;
    data.Thru = cal.CalThru;
    const bool written = writeFileReporting(*path, cal::WriteCalFile(data));
    sweep.UiReady = uiWasReady;
    if (!written)
        return;
    cal.CalUnsaved = 0;
    c("FileLabel").setCaption(cal::FileNameOf(*path));
}

bool MainWindow::LoadCalFile()
{
    const bool uiWasReady = sweep.UiReady;
    sweep.UiReady = false;
    struct Resume {
        bool& flag;
        bool value;
        ~Resume() { flag = value; }
    } resume{sweep.UiReady, uiWasReady};

    ui::FileDialogRequest request;
    request.save = false;
    request.title = "Load calibration data";
    request.filter = CalFilter;
    request.filterIndex = 1;
    request.hideReadOnly = true;
    const auto path = platform_.fileDialog(request);
    if (!path)
        return false;

    // Everything is read and checked before anything changes: a file that
    // fails leaves the calibration, the sweep and the settings as they were.
    std::string text;
    if (const auto error = cal::ReadWholeFile(*path, text, MaxCalFileBytes)) {
        msg("Error " + num(error->number) + ": " + error->description + "\r" + *path, ui::MsgButtons::Ok,
            ui::MsgIcon::Exclamation, "File error");
        return false;
    }
    const auto data = cal::ReadCalFile(text);
    if (!data) {
        msg(InvalidCalFile);
        return false;
    }

    c("FileLabel").setCaption(cal::FileNameOf(*path));
    settings.AdcType = data->AdcType;
    settings.AdcMode = data->AdcMode;
    settings.AdcAverages = data->AdcAverages;
    settings.AdcWaitMs = data->AdcWaitMs;
    sweep.CdsOn = data->Cds;
    cal.CalCds = data->Cds;
    c("CDS_check").setValue(data->Cds ? 1 : 0);

    const int nc = data->Points;
    settings.SweepPoints = data->Points;
    // The sweep becomes the calibration's; points beyond it no longer exist.
    for (std::size_t k = 1; k < sweep.FreqList.size(); ++k)
        sweep.FreqList[k] = k <= static_cast<std::size_t>(nc) ? data->Freq[k] : 0;
    cal.CalFreq = data->Freq;
    cal.CalFreq[0] = nc;
    cal.CalLoadModel = data->LoadModel;
    cal.CalOpen = data->Open;
    cal.CalShort = data->Short;
    cal.CalLoad = data->Load;
    cal.CalIsol = data->Isol;
    cal.CalThru = data->Thru;
    disp.XLeft = sweep.FreqList[1];
    disp.XRight = sweep.FreqList[static_cast<std::size_t>(nc)];

    cal.CalAdcWaitMs = data->AdcWaitMs;
    cal.CalAdcAverages = data->AdcAverages;
    c("ADCWC").setCaption(num(data->AdcWaitMs));
    c("AvgC").setCaption(num(data->AdcAverages));
    cal.CalStatus = 2;
    cal.CalModes = static_cast<std::int16_t>(data->Modes + (data->Cds ? 10 : 0));
    cal.CalUnsaved = 0;
    return data->Modes > 0;
}

void MainWindow::CalLoadButton_Click()
{
    sweep.StopSweep = true;
    c("CalInfo").setVisible(false);
    c("SaveCalButton").setEnabled(false);
    c("displaycombo").setVisible(false);
    c("SweepFrame").setVisible(false);
    c("GDwindowFrame").setVisible(false);
    c("GDwindowButton").setVisible(false);
    markeroff();
    MemoryDisplayOff();
    c("plotframe").setVisible(false);
    c("SetupSweep").setVisible(false);

    const bool loaded = LoadCalFile();
    DrawGraticule();
    CheckMachineStatus();
    if (!loaded)
        return;

    const int nc = cal.CalFreq[0];
    sweep.SweepDefined = true;
    c("CalibrateButton").setEnabled(true);
    sweep.SweepStart = sweep.FreqList[1];
    sweep.SweepEnd = sweep.FreqList[static_cast<std::size_t>(nc)];
    // The sweep panel shows the loaded list as start and end.
    sweep.FreqList[0] = 1;
    sweep.SweepKind = 1;
    sweep.SweepF1 = sweep.SweepStart;
    sweep.SweepF2 = sweep.SweepEnd;
    c("Start_End").setValueQuietly(0);
    c("Centre_Span").setValueQuietly(0);
    sweep.SingleFreqMode = false;
    c("SingleDisplayFrame").setVisible(false);
    c("DisplayFrame").setVisible(true);
    ShowFreqAxis();
    RefreshScales();
}

void MainWindow::CalInfoButton_Click()
{
    EstTime();
    c("Calinfosweeptime").setCaption(c("TimeEstimate").caption() + " sec");
    c("ADCMOdeLabel").setCaption(num(settings.AdcMode));
    c("CDS_State").setCaption(sweep.CdsOn ? "Yes" : "No");
    markeroff();
    ui::Control& panel = c("CalInfo");
    panel.setVisible(!panel.visible());
}

void MainWindow::CalInfoCloseButton_Click() { c("CalInfo").setVisible(false); }

void MainWindow::FillCalInfo()
{
    const int nc = cal.CalFreq[0] >= 0 && cal.CalFreq[0] <= 401 ? cal.CalFreq[0] : 0;
    const std::string calStart = num(cal.CalFreq[1]);
    const std::string calEnd = num(cal.CalFreq[static_cast<std::size_t>(nc)]);
    const std::string calSteps = num(nc - 1);
    ui::Control& panel = c("CalInfo");

    if (cal.CalStatus == 3 || cal.CalStatus == 2) {
        c("CalStartC").setCaption(calStart);
        c("CalEndC").setCaption(calEnd);
        c("CalStepsC").setCaption(calSteps);
        const std::string wait = num(settings.AdcWaitMs);
        const std::string averages = num(settings.AdcAverages);
        if (cal.CalStatus == 3) {
            const int m = cal.WorkPoints >= 1 && cal.WorkPoints <= 401 ? cal.WorkPoints : 1;
            c("SetupStart").setCaption(num(sweep.FreqList[1]));
            c("SetupEnd").setCaption(num(sweep.FreqList[static_cast<std::size_t>(m)]));
            c("SetupSteps").setCaption(num(m - 1));
            c("SetupWait").setCaption(wait);
            c("SetupAvg").setCaption(averages);
            panel.setCaption("CAUTION: Calibration is Interpolated");
        } else {
            c("SetupStart").setCaption("Same");
            c("SetupEnd").setCaption("Same");
            c("SetupSteps").setCaption("Same");
            c("SetupWait").setCaption(wait == c("ADCWC").caption() ? "Same" : wait);
            c("SetupAvg").setCaption(averages == c("AvgC").caption() ? "Same" : averages);
            panel.setCaption("Calibration is Explicit");
        }
        c("GDstep").setText(num(sweep.GdApertureHz));
        return;
    }

    // A calibration that does not cover the present sweep still shows what
    // it covers; with none held there is nothing to show.
    if (!c("FileLabel").caption().empty() && nc > 0) {
        c("CalStartC").setCaption("(" + calStart + ")");
        c("CalEndC").setCaption("(" + calEnd + ")");
        c("CalStepsC").setCaption("(" + calSteps + ")");
    } else {
        for (const char* name : {"CalStartC", "CalEndC", "CalStepsC", "ADCWC", "AvgC"})
            c(name).setCaption("None");
    }
    for (const char* name : {"SetupStart", "SetupEnd", "SetupSteps", "SetupWait", "SetupAvg"})
        c(name).setCaption("None");
    // The aperture is a setting of its own, shown in group-delay mode whether
    // or not a calibration applies; the aperture window writes it here too.
    c("GDstep").setText(num(sweep.GdApertureHz));
    panel.setCaption(NoCalibrationCaption);
}

// -------------------------------------------------------------- data export

void MainWindow::SaveDataButton_Click()
{
    SaveDataFile();
    sweep.PointIndex = 0;
}

void MainWindow::SaveDataFile()
{
    const bool uiWasReady = sweep.UiReady;
    sweep.UiReady = false;
    EstTime();
    // A cancelled box gives an empty comment, as an empty answer does.
    const std::string comment =
        platform_
            .inputBox("Enter a line of test details, or a comment\r(This also becomes a template for the filename)",
                      "Orbilan", "")
            .value_or("");

    ui::FileDialogRequest request;
    request.save = true;
    request.title = "Save data to file";
    // Touchstone is offered beside CSV when the sweep on screen has a
    // Touchstone form; the name's extension decides what is written.
    request.filter = traceTools_->dataFileFilter();
    request.filterIndex = 1;
    request.fileName = comment;
    const auto path = platform_.fileDialog(request);
    const auto touchstone = path ? traceTools_->touchstoneFor(*path, comment) : TraceTools::TouchstoneSave{};
    if (touchstone.touchstone) {
        if (!touchstone.text.empty())
            writeFileReporting(*path, touchstone.text);
    } else if (path) {
        cal::DataExportHeader header;
        header.version = VersionText;
        const ui::DateTimeText now = platform_.now();
        header.date = now.date;
        header.time = now.time;
        header.owner = settings.OwnerName;
        header.comment = comment;
        header.averages = settings.AdcAverages;
        header.sweepTime = c("TimeEstimate").caption();
        header.adcType = settings.AdcType;
        header.adcMode = settings.AdcMode;
        header.measMode = cal.MeasMode;
        header.displayCode = disp.DisplayCode;
        writeFileReporting(*path, cal::DataExportText(header, sweep.FreqList, settings.SweepPoints, disp.Y1Trace,
                                                      disp.Y2Trace));
    }
    sweep.UiReady = uiWasReady;
}

} // namespace orbilan::app
