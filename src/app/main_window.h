// The main window model: every control as data, every handler as a method,
// the program's state in plain structs. It knows no toolkit: a front end
// mirrors the controls (observer), delivers user events through deliver(),
// and provides the Platform.
//
// The methods are grouped by the file that implements them:
//   main_window.cpp          construction, event delivery, program end, shared helpers
//   main_window_startup.cpp  start-up, configuration, About, Exit, the instrument calls
//   main_window_sweep.cpp    sweep settings panel, sweep control, trace store, aperture
//   main_window_cal.cpp      calibration, correction loop, machine status, cal file, export
//   main_window_display.cpp  display types and scales, plot, markers, autoscale, bars
//   main_window_print.cpp    print and clipboard
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "cal/measured_sweep.h"
#include "app/settings.h"
#include "ui/control.h"
#include "ui/platform.h"
#include "ui/state_registry.h"

namespace orbilan::display {
class Canvas;
struct MarkerTrace;
}
namespace orbilan::instrument {
class Instrument;
struct LinkStatus;
struct PortAddress;
struct AdcFrameBytes;
}

namespace orbilan::app {

class ManualForm;
class TraceTools;

// Thrown when the program ends (Exit, the fatal USB error, Cancel in the
// not-responding dialog); it unwinds to the front end's deliver() and never
// leaves the window model.
struct ProgramEnded {};

struct ProgramOptions {
    std::string iniDir = ".";      // where vna.ini is read
    bool simulate = false;         // load the simulated port library and USB driver
    std::string libraryDir;        // where libinpout32.so / libbrindle.so are looked up ("" = loader's search path)
};

class MainWindow {
public:
    MainWindow(ui::Platform& platform, ProgramOptions options = {});
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // ---------------------------------------------------------------- front end
    ui::ControlSet& controls() { return ui_; }
    const ui::ControlSet& controls() const { return ui_; }
    ManualForm& manualForm() { return *manual_; }
    // Reference traces, trace math, limit lines and marker searches.
    TraceTools& traceTools() { return *traceTools_; }
    const TraceTools& traceTools() const { return *traceTools_; }
    const ui::StateRegistry& state() const { return registry_; }
    ui::Platform& platform() { return platform_; }
    // The user's decimal separator, as the window's captions write numbers.
    char decimalSeparator() const { return platform_.decimalSeparator(); }
    const ProgramOptions& options() const { return options_; }
    const display::Canvas& plotCanvas() const { return *screen_; }
    const display::Canvas& progressCanvas() const { return *sweepLine_; }
    const display::Canvas& barCanvas(int which) const { return which == 1 ? *barY1_ : *barY2_; }
    // The stored trace is drawn on the plot now.
    bool storedTraceOnPlot() const { return storedOnScreen_; }

    // Runs `action` (a user event, Form_Load ...) and stops the unwinding of a
    // program end there. Returns false once the program has ended; after that
    // nothing runs any more.
    bool deliver(const std::function<void()>& action);
    bool ended() const { return ended_; }
    // A continuous sweep (Clear and Re-start, Start/Resume) is running and
    // only a user's action will stop it: it has not been told to stop, no
    // single sweep is completing the pass, no calibration is measuring.
    bool sweepingUntilStopped() const
    {
        return continuousSweeps_ > 0 && !sweep.StopSweep && !sweep.SingleSweep && !calibrating_;
    }

    // Called once per measured point, just before the window system gets
    // control (scripts use it to act "during point 37").
    std::function<void()> onPointYield;
    // Called when a calibration procedure ends, completed or not (the
    // simulator's auto-follow reconnects the device under test).
    std::function<void()> onCalibrationFinished;
    // Called each time start-up has read vna.ini, before the instrument is
    // checked (the simulator becomes the instrument the file describes).
    std::function<void(const Settings&)> onConfigurationRead;

    // The last complete pass of a measurement, as measured; empty before the
    // first. Everything that only reads a sweep (files, analysis, views,
    // remote clients) takes it from here, not from the working arrays.
    const std::optional<cal::MeasuredSweep>& lastSweep() const { return lastSweep_; }
    // Called with that value after each complete pass, before the window
    // gets control again. Observers must not deliver user actions.
    void addSweepObserver(std::function<void(const cal::MeasuredSweep&)> observer);

    // ---------------------------------------------------------------- state
    Settings settings;
    SweepState sweep;
    CalState cal;
    DisplayState disp;
    std::string VersionText = ProgramVersion;
    std::string DateText = ProgramDate;

    // ------------------------------------------------- main_window.cpp (shared)
    // Ends the program: tells the platform, then unwinds (throws ProgramEnded).
    [[noreturn]] void EndProgram();
    // Lets pending window events run; afterPoint marks the per-point yield.
    void yieldToWindow(bool afterPoint = false);
    // Focus to a control only when it is reachable and enabled.
    void SafeSetFocus(const std::string& name, int index = -1);
    // `detail`: the cause behind the message (the desktop's details), if known.
    ui::MsgResult msg(const std::string& text, ui::MsgButtons buttons = ui::MsgButtons::Ok,
                      ui::MsgIcon icon = ui::MsgIcon::None, const std::string& title = "Orbilan",
                      const std::string& detail = {});
    // A control by name. One another area has not created yet is made on the
    // spot as a plain label and remembered, so that the areas can be built
    // apart; a complete program creates none (a test checks that).
    ui::Control& c(const std::string& name, int index = -1);
    const std::vector<std::string>& implicitControls() const { return implicitControls_; }

    // ----------------------------------------- main_window_startup.cpp (start-up)
    void Form_Load();
    void LoadCFG();
    void OrbilanButton_Click();
    void End_Button_Click();
    // "USB Communication error with VNA: aborting program" with brindle's
    // cause as its detail, then the program ends, after offering an unsaved
    // calibration for saving.
    [[noreturn]] void UsbFatal(const std::string& cause = {});
    // Measures point PointIndex at FreqList(PointIndex) into RawPoints(PointIndex).
    // False when the point could not be measured (the user was told and
    // StopSweep is set); RawPoints(PointIndex) is then left as it was.
    bool DDSADC();
    // Measures points 1..SweepPoints into target, plotting each as it comes.
    // False when it stopped short (the user was told, StopSweep is set): the
    // target is then incomplete and must not become a calibration.
    bool CalAcquireSweep(PointArray& target);
    instrument::Instrument& instrument() { return *instrument_; }

    // ---------------------------------------------- main_window_sweep.cpp (sweep)
    void SetSweepButton_Click();
    void NewSweep();
    void ShowF1Value();
    void ShowF2Value();
    void EstTime();
    void ButtonSweepOK_Click();
    void FreqCancel_Click();
    void CDS_check_Click();
    void InitialiseSweep();
    void SweepButton_Click(int index);
    void Grayall();
    void SweepFrameFunctionsOn();
    void SweepFrameFunctionsOff();
    void CloseOpenLists();
    void Tracesave_Click();
    void DisplayMemory_Click();
    void MemoryDisplayOff();
    void GDwindowButton_Click();
    void GDwindowOKbutton_Click();
    void GDwindowCancelbutton_Click();

    // ------------------------------------------------ main_window_cal.cpp (cal)
    void CheckMachineStatus();
    void ModeButton_Click(int index);
    void CalibrateButton_Click();
    void ReflectionCalibration();
    void TransmissionCalibration();
    void UpdateCalStatus();
    void UpdateModeLEDs();
    void ClearCals();
    void SetCal02();
    void SetCal1();
    void ShowCalLabel(const std::string& calNow);
    void CheckUnsavedCal();
    void measure();
    void SaveCalButton_Click();
    void SaveCalFile();
    void CalLoadButton_Click();
    // True when a calibration was loaded (its modes digit is above 0).
    bool LoadCalFile();
    void CalInfoButton_Click();
    void CalInfoCloseButton_Click();
    void FillCalInfo();
    void SaveDataButton_Click();
    void SaveDataFile();

    // ----------------------------------------- main_window_display.cpp (display)
    void DisplayButton_Click();
    void displaycombo_Click();
    void DisplaySet();
    void Y1Update(int last);
    void Y2Update(int last);
    void RefreshScales();
    void DrawGraticule();
    void DrawSmithGrid();
    void ClearPlot();
    void PlotPoint(Complex pair);
    void PlotY1Point(int i, std::int32_t x, double y);
    void PlotY2Point(int i, std::int32_t x, double y);
    void PlotSmithPoint(int i, double re, double im);
    void PlotProgress(int i);
    void RedrawTraces();
    void DrawStoredTrace();
    void ShowFreqAxis();
    void HideFreqAxis();
    void ShowY1Axis();
    void HideY1Axis();
    void ShowY2Axis();
    void HideY2Axis();
    void PlotOption_Click(int index);
    void ClearButton_Click();
    void MarkerOn_Click();
    void markeroff();
    void Marker_click(int index);
    void Option2_Click(int index);
    void MkrCF_Click();
    void UpdateMarkers();
    void ScaleControl_Click();

    // -------------------------------------------- main_window_print.cpp (print)
    void SendToClipboard_Click();
    void PrintMe_Click();

private:
    // Each area creates its controls, registers its handlers and names its state.
    void setupStartup();
    void setupSweep();
    void setupCal();
    void setupDisplay();
    void setupPrint();
    void setupSharedState();
    // Keeps the pass just completed as lastSweep() and tells the observers.
    void recordFinishedSweep();
    // A point array as named state: "re,im" by index, nothing outside it.
    static ui::StateRegistry::Indexed complexArrayState(const PointArray& a);

    // ------------------------------------------- private helpers of main_window_startup.cpp
    // (startup area)
    friend class ManualForm;
    // Steps 6 and 7 of the start-up: true when the instrument answered.
    bool StartTransport();
    instrument::PortAddress ports() const;
    // The ADC settings as measure-frame bytes; a vna.ini value a byte cannot
    // carry is limited, and the user is told once per key.
    instrument::AdcFrameBytes usbAdcBytes();
    // Turns a link fault into what the user sees. A missing library and a
    // failed or silent USB transfer end the program; a stuck parallel ADC or
    // a USB result without a reading is reported, stops the sweep and gives
    // false. True when all went well.
    bool linkOk(const instrument::LinkStatus& status);
    // The same for a measurement whose result is thrown away (the warm-up
    // readings): a result without a reading is then no fault.
    void linkOkUnlessUnused(const instrument::LinkStatus& status);
    // Before a fatal link fault ends the program: a calibration made before
    // the link failed is sound and needs no instrument to be saved, so it is
    // offered as Exit offers it. Not while a calibration is being made (its
    // readings are part old, part new), nor when Exit has just asked.
    void offerCalibrationBeforeFatalEnd();
    // False, after a message and with the sweep stopped, for a frequency the
    // synthesisers cannot make on the configured clock.
    bool frequencyAllowed(std::int32_t hz);
    // One point at hz the way DDSADC measures it.
    bool measurePoint(std::int32_t hz, Complex& reading);
    unsigned limitedKeysTold_ = 0; // bit per vna.ini key already reported as limited
    std::string linkCause_;        // why the start-up's extra USB read failed, for the retry dialog

    // ------------------------------------------- private helpers of main_window_sweep.cpp
    // (sweep area)
    // Frequency fields: 1 the start (centre, single) field, 2 the end (span) field.
    bool validateFrequency(int field);
    void frequencyGotFocus(int field);
    void frequencyLostFocus(int field);
    void toggleUnitsLock();
    void showUnitsLock();
    // The sweep-kind options.
    void prepareSweptEntry(bool startEnd);
    void chooseSweptKind(int kind);
    void chooseMaxSweep();
    void chooseSingleFreq();
    // The value buttons and their lists.
    void openValueList(const std::string& button, const std::string& list);
    void closeValueList(const std::string& button, const std::string& list);
    void applyStepsList();
    void applyWaitList();
    void applyAveragesList();
    void applyAdcModeList();
    void discardStoredTrace();
    // Puts the stored-trace overlay on the plot or takes it off, whatever
    // is there now.
    void showStoredTrace(bool on);
    // Sweep control: one lamp white, the buttons in `enabled` enabled, the rest disabled.
    void showSweepState(const std::string& status, int whiteLamp, std::initializer_list<int> enabled);
    void switchSweepFrameFunctions(bool on);
    // The stopped state Pause shows; also where a pass the link broke off ends.
    void showStopped();

    // ------------------------------------------- private helpers of main_window_cal.cpp
    // (cal area)
    // The mode whose option button is selected (MeasMode when none is).
    int selectedMode();
    // The shared opening of both calibrations; false when there is no sweep.
    bool beginCalibration();
    void reflectionCalibrationSteps();
    void transmissionCalibrationSteps();
    // Takes the present sweep as the calibration sweep; the load model only
    // for a reflection calibration.
    void recordCalibrationSweep(bool reflection);
    void restoreAfterCalibration();
    void markCalibrationEnded(bool reflection, bool complete, bool replacedSweep);
    // True when a calibration of the other kind is held on a sweep other
    // than the present one.
    bool otherKindOnOtherSweep(bool reflection) const;
    // False when the instrument could not measure one of its two readings.
    bool measureGroupDelayPoint(int i);
    // Writes a file of ours; reports a failure and returns false.
    bool writeFileReporting(const std::string& path, const std::string& contents);

    // ------------------------------------------- private helpers of main_window_display.cpp
    // (display area)
    // The display label, the axis names and the plot options name the
    // display type in force.
    void showDisplayNames();
    // The converted pair of a point for the present display code.
    Complex plottedPair(Complex pair);
    // One point of trace 1 or 2: erases the previous sweep's segment, draws
    // the new one, and at the last point keeps the trace and its scale for
    // the next sweep to erase.
    void plotTracePoint(int axis, int i, std::int32_t x, double y);
    // Limits point i of a trace and its predecessor in place, as drawing them
    // as one step needs.
    static void limitStep(TraceArray& values, int i);
    // The traces the marker dots sit on, with their scales.
    std::vector<display::MarkerTrace> markerTraces();
    bool markersShown();
    // Removes the dots and closes the marker panel.
    void closeMarkerPanel();
    // A valid calibration for the present mode.
    bool instrumentReady() const;
    // Box 0..5: Y1 top, per division, bottom, then Y2 likewise.
    void scaleButtonClick(int box);
    void scaleBoxKeyPress(int box, ui::EventArgs& args);
    void applyScaleEntry(int box, bool fromList);
    // Reconciles the entered values of one axis (1 or 2) into its scale;
    // false when they were incompatible and the refresh must stop there.
    bool reconcileAxis(int axis, bool markersOn);
    void showBars(double y1, double y2);
    void drawBar(display::Canvas& bar, float bottom, float top, double value, ui::Rgb colour);
    std::string numberText(double v);
    std::string frequencyText(std::int32_t hz);
    // The display code in force when the chooser opened.
    std::int16_t codeBeforeChooser_ = 0;
    // The grid is drawn with the XOR pen: drawing it while it is on screen
    // would erase it. Every caller wants it shown, so a redraw of a grid that
    // is already there does nothing; clearing the plot takes it away.
    bool graticuleShown_ = false;
    // The stored-trace overlay is on the plot. Clearing the plot takes it
    // away while its button may still read "Hide".
    bool storedOnScreen_ = false;

    // ------------------------------------------- private helpers of main_window_print.cpp
    // (print area)

    ui::Platform& platform_;
    ProgramOptions options_;
    ui::ControlSet ui_{"MainWindow"};
    ui::StateRegistry registry_;
    std::unique_ptr<ManualForm> manual_;
    std::unique_ptr<instrument::Instrument> instrument_;
    std::unique_ptr<display::Canvas> screen_;    // Screen1, the plot area
    std::unique_ptr<display::Canvas> sweepLine_; // SweepLine, the progress bar
    std::unique_ptr<display::Canvas> barY1_;     // BargraphY1
    std::unique_ptr<display::Canvas> barY2_;     // BarGraphY2
    // After the controls and the state it adds to, so that it goes first.
    std::unique_ptr<TraceTools> traceTools_;
    std::vector<std::string> implicitControls_;
    std::optional<cal::MeasuredSweep> lastSweep_;
    std::vector<std::function<void(const cal::MeasuredSweep&)>> sweepObservers_;
    bool ended_ = false;
    bool calibrating_ = false; // a calibration has begun and not yet ended
    bool exiting_ = false;     // Exit has offered the calibration and is powering down
    int continuousSweeps_ = 0; // continuous sweep loops running, one inside another
    int deliverDepth_ = 0;
};

} // namespace orbilan::app
