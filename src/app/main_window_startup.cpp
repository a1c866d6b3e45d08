#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "app/main_window.h"
#include "app/manual_form.h"
#include "instrument/instrument.h"
#include "ui/number_text.h"

// Start-up, the configuration, About and Exit, and the window model's side of
// the instrument link: settings become link parameters, faults become messages.

namespace orbilan::app {

using instrument::LinkFault;
using instrument::LinkStatus;

namespace {

constexpr const char* UsbFatalText = "USB Communication error with VNA: aborting program";
constexpr const char* NotRespondingTitle = "VNA Not Responding";
constexpr const char* NotRespondingLpt = "Check that VNA is connected to correct printer port and is switched on.";
constexpr const char* NotRespondingUsb = "Check that VNA is connected to USB port and switched on.";
constexpr const char* RetryText = "OK to retry, Cancel to exit.";
// The frequency the start-up loads and measures at.
constexpr std::int32_t WarmUpHz = 1000000;
constexpr double NoValue = -999.0;

std::string seconds(int ms)
{
    return ui::formatGeneral(static_cast<double>(ms) / 1000.0);
}

} // namespace

void MainWindow::setupStartup()
{
    // The simulated port library and brindle's simulated driver look at this
    // when they are loaded, which happens at the first instrument call.
    if (options_.simulate)
        setenv("ORBILAN_SIMULATE", "1", 1);
    instrument_->setLibraryDir(options_.libraryDir);
    instrument_->setSleep([this](int ms) { platform_.sleepMs(ms); });

    ui_.add("TitleLabel", ui::ControlKind::Label).setCaption(InitialTitle);
    ui_.add("OrbilanButton", ui::ControlKind::Button).setCaption("Orbilan").setToolTip("About Orbilan");
    ui_.add("End_Button", ui::ControlKind::Button).setCaption("OFF").setToolTip("Exit Orbilan");
    ui_.on("OrbilanButton", ui::Event::Click, [this](ui::EventArgs&) { OrbilanButton_Click(); });
    ui_.on("End_Button", ui::Event::Click, [this](ui::EventArgs&) { End_Button_Click(); });

    registry_.add("AdcVolts", [this] { return ui::StateValue{instrument_->AdcVolts}; });
    registry_.add("AdcVoltsFirst", [this] { return ui::StateValue{instrument_->AdcVoltsFirst}; });
}

// ------------------------------------------------------------------ start-up

void MainWindow::Form_Load()
{
    sweep.UiReady = false;

    // 1. The values the rest of the program starts from.
    VersionText = ProgramVersion;
    DateText = ProgramDate;
    disp.PlotSelection = 3;
    for (int i = 1; i <= 401; ++i) {
        const auto k = static_cast<std::size_t>(i);
        disp.Y1Trace[k] = disp.Y2Trace[k] = disp.PrevY1Trace[k] = disp.PrevY2Trace[k] = NoValue;
    }
    disp.Y1Top = 40;
    disp.Y1Bottom = -120;
    disp.Y2Top = 180;
    disp.Y2Bottom = -180;
    sweep.SweepF1 = sweep.snapshot.SweepF1 = 10000000;
    sweep.SweepF2 = sweep.snapshot.SweepF2 = 60000000;
    sweep.FreqList.fill(0);
    sweep.snapshot.FreqList.fill(0);
    disp.PlotX.fill(0);
    cal.WorkFreq.fill(0);
    sweep.GdApertureHz = 1000;
    settings.SweepPoints = 21;
    c("DisplayLabel").setCaption("dB,deg");
    c("Y1Label").setCaption("dB");
    c("Y2Label").setCaption("deg");
    c("PlotOption", 0).setCaption("dB");
    c("PlotOption", 1).setCaption("deg");
    c("DisplayButton").setVisible(false).setEnabled(false);

    // 2. and 3.
    DisplaySet();
    manual_->controls().at("frequency").setText(ui::formatPattern(10000, "#####.000", platform_.decimalSeparator()));
    c("FileLabel").setCaption("None");

    // 4. to 7., again from the configuration for as long as the user retries.
    for (;;) {
        LoadCFG();
        cal.RefImpedance = Complex{settings.Z0, cal::Tiny};
        if (StartTransport())
            break;
        const std::string text = std::string(settings.UsbLink ? NotRespondingUsb : NotRespondingLpt) + "\r" + RetryText;
        if (msg(text, ui::MsgButtons::OkCancel, ui::MsgIcon::None, NotRespondingTitle, std::exchange(linkCause_, {}))
            != ui::MsgResult::Ok)
            EndProgram();
    }

    // 8. to 10.
    cal.CalStatus = 1;
    ClearCals();
    c("CalibrateButton").setEnabled(false);
    DrawGraticule();
    RefreshScales();
    HideY1Axis();
    HideY2Axis();
    c("plotframe").setEnabled(false).setVisible(false);

    sweep.UiReady = true;
}

bool MainWindow::StartTransport()
{
    auto& link = *instrument_;
    if (!settings.UsbLink) {
        linkOk(link.DdsResetSerial(ports()));
        linkOk(link.DdsWake(ports(), settings.ClockHz));
        platform_.sleepMs(10);
        bool answers = false;
        linkOk(link.ParallelProbe(ports(), settings.AdcType, answers));
        if (!answers)
            return false;
        if (!frequencyAllowed(WarmUpHz))
            return true;
        linkOk(link.DdsLoad(ports(), instrument::TuningWordHex(WarmUpHz, settings.ClockHz), 0));
        // An ADC that answered the probe but never ends a conversion is as
        // good as absent: the retry dialog says what to check.
        for (int i = 0; i < 2; ++i) {
            const LinkStatus s = link.AdcConvert(ports(), settings.AdcMode);
            if (s.fault == LinkFault::NoEndOfConversion)
                return false;
            linkOk(s);
        }
        return true;
    }

    instrument::Instrument::UseUsbId(settings.UsbId);
    linkOk(link.UsbProbe());
    if (link.UsbNotReady())
        return false;
    const LinkStatus extra = link.UsbReadReply();
    if (extra.fault == LinkFault::TransferFailed) {
        linkCause_ = extra.detail;
        return false;
    }
    linkOk(extra);
    linkOk(link.UsbDdsInit());
    if (frequencyAllowed(WarmUpHz))
        linkOkUnlessUnused(link.UsbMeasure(instrument::TuningWord(WarmUpHz, settings.ClockHz), 0, true, usbAdcBytes()));
    return true;
}

void MainWindow::LoadCFG()
{
    ui::Control& title = ui_.at("TitleLabel");
    const ConfigOutcome out = LoadConfigFile(options_.iniDir, settings, title.caption());

    sweep.FreqUnitsLocked = true;
    sweep.LockedUnits = c("F1units").caption();

    for (const std::string& text : out.messages)
        msg(text);
    title.setCaption(out.title);
    ui_.at("MainWindow").setCaption(out.title);
    if (out.adcModeButtonVisible >= 0)
        c("ADCModebutton").setVisible(out.adcModeButtonVisible == 1);
    if (out.adcModeCaptionSet)
        c("ADCModebutton").setCaption(AdcModeCaption(settings.AdcMode));
    if (onConfigurationRead)
        onConfigurationRead(settings);
}

// ------------------------------------------------------------ About and Exit

void MainWindow::OrbilanButton_Click()
{
    msg(std::string(InitialTitle) + "\rVersion " + VersionText + ", " + DateText
            + "\r\rMeasures and calibrates with the Kesp VNA,"
              "\ra home-built vector network analyser."
              "\r\rThanks to the radio amateurs who built, measured and reported.",
        ui::MsgButtons::Ok, ui::MsgIcon::None, "About Orbilan");
}

void MainWindow::End_Button_Click()
{
    // Offered once more if the user declined before (-1), and offered at all
    // if the window was never ready to ask (1): a calibration whose kind is
    // not the one in view, or one left incomplete, still holds the other's.
    // Not while a calibration is being made: its readings are then part old,
    // part new, and a file would call the mix valid.
    if (cal.CalUnsaved != 0 && !calibrating_) {
        cal.CalUnsaved = 1;
        CheckUnsavedCal();
    }
    exiting_ = true;
    if (settings.UsbLink)
        linkOk(instrument_->UsbDdsSleep());
    else
        linkOk(instrument_->DdsSleep(ports(), settings.ClockHz));
    EndProgram();
}

void MainWindow::UsbFatal(const std::string& cause)
{
    msg(UsbFatalText, ui::MsgButtons::Ok, ui::MsgIcon::None, "Orbilan", cause);
    offerCalibrationBeforeFatalEnd();
    EndProgram();
}

void MainWindow::offerCalibrationBeforeFatalEnd()
{
    if (calibrating_ || exiting_ || cal.CalUnsaved == 0)
        return;
    cal.CalUnsaved = 1;
    CheckUnsavedCal();
}

// ------------------------------------------------------- the instrument link

instrument::PortAddress MainWindow::ports() const
{
    return {static_cast<std::uint16_t>(settings.DataPort), static_cast<std::uint16_t>(settings.StatusPort)};
}

instrument::AdcFrameBytes MainWindow::usbAdcBytes()
{
    struct Key {
        const char* name;
        int value;
    };
    const Key keys[3] = {{"adcdel", settings.AdcWaitMs}, {"adcavg", settings.AdcAverages}, {"adcmode", settings.AdcMode}};
    std::uint8_t bytes[3];
    for (unsigned i = 0; i < 3; ++i) {
        bool limited = false;
        bytes[i] = instrument::FrameByte(keys[i].value, &limited);
        if (limited && !(limitedKeysTold_ & (1u << i))) {
            limitedKeysTold_ |= 1u << i;
            msg(std::string("VNA.INI  ") + keys[i].name + " entry out of range (" + std::to_string(keys[i].value)
                + ")\rsent to VNA as " + std::to_string(bytes[i]));
        }
    }
    return {bytes[0], bytes[1], bytes[2]};
}

bool MainWindow::linkOk(const LinkStatus& s)
{
    switch (s.fault) {
    case LinkFault::None:
        return true;
    case LinkFault::LibraryMissing:
        msg("Cannot load " + s.library + "\r" + s.detail);
        EndProgram();
    case LinkFault::FunctionMissing:
        msg("Function " + s.function + " not found in " + s.library);
        EndProgram();
    case LinkFault::TransferFailed:
        UsbFatal(s.detail);
    case LinkFault::NoResult:
        // A result that may still come would be taken for the next one's:
        // the link cannot be trusted any more.
        msg("No measurement result from VNA within " + seconds(s.limitMs) + " seconds\r" + UsbFatalText);
        offerCalibrationBeforeFatalEnd();
        EndProgram();
    case LinkFault::NoEndOfConversion:
        msg("No reading from the ADC within " + seconds(s.limitMs)
            + " seconds\rCheck that VNA is connected and switched on.");
        sweep.StopSweep = true;
        return false;
    case LinkFault::EmptyResult:
        // The exchange ended in step, so the link goes on; but the point has
        // no reading, and an earlier one must not stand in for it.
        msg("The measurement result from VNA holds no reading\rCheck that VNA is connected and switched on.");
        sweep.StopSweep = true;
        return false;
    }
    return false;
}

void MainWindow::linkOkUnlessUnused(const LinkStatus& s)
{
    if (s.fault != LinkFault::EmptyResult)
        linkOk(s);
}

bool MainWindow::frequencyAllowed(std::int32_t hz)
{
    if (instrument::FrequencyInRange(hz, settings.ClockHz))
        return true;
    msg(std::to_string(hz) + " Hz is not below half the DDS clock (" + std::to_string(settings.ClockHz)
        + " Hz)\rCheck clk in vna.ini");
    sweep.StopSweep = true;
    return false;
}

bool MainWindow::measurePoint(std::int32_t hz, Complex& reading)
{
    if (!frequencyAllowed(hz))
        return false;
    auto& link = *instrument_;

    if (!settings.UsbLink) {
        const std::string hex = instrument::TuningWordHex(hz, settings.ClockHz);
        auto volts = [&](int phase, double& v) {
            if (!linkOk(link.DdsLoad(ports(), hex, phase)))
                return false;
            if (!linkOk(link.AdcReadAveraged(ports(), settings.AdcWaitMs, settings.AdcAverages, settings.AdcMode)))
                return false;
            v = link.AdcVolts;
            return true;
        };
        if (!sweep.CdsOn) {
            double v0 = 0, v90 = 0;
            if (!volts(0, v0) || !volts(1, v90))
                return false;
            reading = Complex{v0, v90};
        } else {
            // Each opposite phase directly after its partner: the instrument
            // relies on that order.
            double v0 = 0, v180 = 0, v90 = 0, v270 = 0;
            if (!volts(0, v0) || !volts(2, v180) || !volts(1, v90) || !volts(3, v270))
                return false;
            reading = Complex{(v0 - v180) / 2, (v90 - v270) / 2};
        }
        return true;
    }

    const std::uint32_t word = instrument::TuningWord(hz, settings.ClockHz);
    const instrument::AdcFrameBytes adc = usbAdcBytes();
    if (!sweep.CdsOn) {
        if (!linkOk(link.UsbMeasurePair(word, 0, 1, adc)))
            return false;
        reading = Complex{link.AdcVoltsFirst, link.AdcVolts};
    } else {
        if (!linkOk(link.UsbMeasurePair(word, 0, 2, adc)))
            return false;
        const double re = (link.AdcVoltsFirst - link.AdcVolts) / 2;
        if (!linkOk(link.UsbMeasurePair(word, 1, 3, adc)))
            return false;
        reading = Complex{re, (link.AdcVoltsFirst - link.AdcVolts) / 2};
    }
    return true;
}

bool MainWindow::DDSADC()
{
    const int k = sweep.PointIndex;
    if (k < 0 || k >= static_cast<int>(cal::PointArraySize))
        return false;
    Complex reading;
    if (!measurePoint(sweep.FreqList[static_cast<std::size_t>(k)], reading))
        return false;
    cal.RawPoints[static_cast<std::size_t>(k)] = reading;
    return true;
}

bool MainWindow::CalAcquireSweep(PointArray& target)
{
    int points = settings.SweepPoints;
    if (points > 401)
        points = 401;
    // Refused before anything is measured, so no half-measured standard results.
    for (int k = 1; k <= points; ++k)
        if (!frequencyAllowed(sweep.FreqList[static_cast<std::size_t>(k)]))
            return false;

    if (settings.UsbLink && frequencyAllowed(sweep.FreqList[1]))
        linkOkUnlessUnused(instrument_->UsbMeasure(instrument::TuningWord(sweep.FreqList[1], settings.ClockHz), 0,
                                                   true, usbAdcBytes()));
    disp.PlotSelection = 3;
    sweep.PointIndex = 1;
    for (int k = 1; k <= points; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (!measurePoint(sweep.FreqList[i], target[i]))
            return false;
        PlotPoint(target[i]);
        PlotProgress(k);
        yieldToWindow();
        sweep.PointIndex = static_cast<std::int16_t>(k + 1);
    }
    return true;
}

} // namespace orbilan::app
