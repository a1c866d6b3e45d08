#include "app/main_window.h"

#include "app/manual_form.h"
#include "app/trace_tools.h"
#include "display/canvas.h"
#include "instrument/instrument.h"

namespace orbilan::app {

namespace {
// The plot area is 6000 x 4800 twips, 400 x 320 pixels at 15 twips a pixel.
constexpr int PlotWidth = 400;
constexpr int PlotHeight = 320;
} // namespace

MainWindow::MainWindow(ui::Platform& platform, ProgramOptions options)
    : platform_(platform), options_(std::move(options)),
      instrument_(std::make_unique<instrument::Instrument>()),
      screen_(std::make_unique<display::Canvas>(PlotWidth, PlotHeight, 0x000000)),
      sweepLine_(std::make_unique<display::Canvas>(PlotWidth, 3, 0xFFFFFF)),
      barY1_(std::make_unique<display::Canvas>(PlotWidth, 40, 0x000000)),
      barY2_(std::make_unique<display::Canvas>(PlotWidth, 40, 0x000000))
{
    ui_.add("MainWindow", ui::ControlKind::Window).setCaption(InitialTitle);
    manual_ = std::make_unique<ManualForm>(*this);
    setupStartup();
    setupSweep();
    setupCal();
    setupDisplay();
    setupPrint();
    setupSharedState();
    traceTools_ = std::make_unique<TraceTools>(*this, registry_);
}

MainWindow::~MainWindow() = default;

bool MainWindow::deliver(const std::function<void()>& action)
{
    if (ended_)
        return false;
    ++deliverDepth_;
    try {
        action();
    } catch (const ProgramEnded&) {
        // Unwound to the front end. An outer handler still running (a sweep
        // whose window yield delivered this event) sees ended() at its next
        // yield and unwinds in turn.
    }
    --deliverDepth_;
    return !ended_;
}

void MainWindow::EndProgram()
{
    if (!ended_) {
        ended_ = true;
        platform_.endProgram();
    }
    throw ProgramEnded{};
}

void MainWindow::yieldToWindow(bool afterPoint)
{
    if (ended_)
        throw ProgramEnded{};
    if (afterPoint && onPointYield)
        onPointYield();
    if (ended_)
        throw ProgramEnded{};
    platform_.processEvents();
    if (ended_)
        throw ProgramEnded{};
}

void MainWindow::SafeSetFocus(const std::string& name, int index)
{
    ui::Control* control = ui_.find(name, index);
    if (control && control->reachable() && control->enabled())
        ui_.setFocus(control->key());
}

ui::Control& MainWindow::c(const std::string& name, int index)
{
    if (ui::Control* control = ui_.find(name, index))
        return *control;
    implicitControls_.push_back(ui::controlKey(name, index));
    return ui_.add(name, ui::ControlKind::Label, index);
}

ui::MsgResult MainWindow::msg(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                              const std::string& title, const std::string& detail)
{
    if (!detail.empty())
        return platform_.detailedMessageBox(text, detail, buttons, icon, title);
    return platform_.messageBox(text, buttons, icon, title);
}

void MainWindow::addSweepObserver(std::function<void(const cal::MeasuredSweep&)> observer)
{
    sweepObservers_.push_back(std::move(observer));
}

void MainWindow::recordFinishedSweep()
{
    cal::MeasuredSweep s;
    s.mode = cal.MeasMode;
    s.refImpedance = cal.RefImpedance;
    const int n = settings.SweepPoints < 0 ? 0 : settings.SweepPoints > 401 ? 401 : settings.SweepPoints;
    s.hz.assign(sweep.FreqList.begin() + 1, sweep.FreqList.begin() + 1 + n);
    s.points.assign(cal.PointData.begin() + 1, cal.PointData.begin() + 1 + n);
    s.displayCode = disp.DisplayCode;
    s.calStatus = cal.CalStatus;
    s.calStatusText = c("CalLabel").caption();
    s.calFile = c("FileLabel").caption();
    s.averages = settings.AdcAverages;
    s.adcWaitMs = settings.AdcWaitMs;
    s.adcType = settings.AdcType;
    s.adcMode = settings.AdcMode;
    s.cds = sweep.CdsOn;
    s.version = VersionText;
    const ui::DateTimeText now = platform_.now();
    s.date = now.date;
    s.time = now.time;
    lastSweep_ = std::move(s);
    for (const auto& observer : sweepObservers_)
        observer(*lastSweep_);
}

ui::StateRegistry::Indexed MainWindow::complexArrayState(const PointArray& a)
{
    return [&a](int i) -> std::optional<ui::StateValue> {
        if (i < 0 || i >= static_cast<int>(a.size()))
            return std::nullopt;
        const Complex& z = a[static_cast<std::size_t>(i)];
        return ui::StateValue{ui::ComplexValue{z.re, z.im}};
    };
}

void MainWindow::setupSharedState()
{
    using ui::StateValue;
    auto& r = registry_;
    auto i64 = [](auto v) { return StateValue{static_cast<std::int64_t>(v)}; };

    // Settings.
    r.add("Title", [this] { return StateValue{ui_.at("MainWindow").caption()}; });
    r.add("OwnerName", [this] { return StateValue{settings.OwnerName}; });
    r.add("ClockMHz", [this] { return StateValue{settings.ClockMHz}; });
    r.add("ClockHz", [this, i64] { return i64(settings.ClockHz); });
    r.add("DataPort", [this, i64] { return i64(settings.DataPort); });
    r.add("StatusPort", [this, i64] { return i64(settings.StatusPort); });
    r.add("UsbLink", [this] { return StateValue{settings.UsbLink}; });
    r.add("ReadOverheadMs", [this] { return StateValue{settings.ReadOverheadMs}; });
    r.add("AdcWaitMs", [this, i64] { return i64(settings.AdcWaitMs); });
    r.add("GraticuleColour", [this, i64] { return i64(settings.GraticuleColour); });
    r.add("Z0", [this] { return StateValue{settings.Z0}; });
    r.add("LoadStdR", [this] { return StateValue{settings.LoadStdR}; });
    r.add("LoadStdC", [this] { return StateValue{settings.LoadStdC}; });
    r.add("LoadStdL", [this] { return StateValue{settings.LoadStdL}; });
    r.add("AdcMode", [this, i64] { return i64(settings.AdcMode); });
    r.add("AdcType", [this, i64] { return i64(settings.AdcType); });
    r.add("AdcAverages", [this, i64] { return i64(settings.AdcAverages); });
    r.add("SweepPoints", [this, i64] { return i64(settings.SweepPoints); });
    r.add("AdcConvMs", [this] { return StateValue{settings.AdcConvMs}; });
    r.add("VersionText", [this] { return StateValue{VersionText}; });

    // Sweep.
    r.add("SweepF1", [this, i64] { return i64(sweep.SweepF1); });
    r.add("SweepF2", [this, i64] { return i64(sweep.SweepF2); });
    r.add("SweepKind", [this, i64] { return i64(sweep.SweepKind); });
    r.add("SavedPoints", [this, i64] { return i64(sweep.SavedPoints); });
    r.add("SingleFreqMode", [this] { return StateValue{sweep.SingleFreqMode}; });
    r.add("SweepStart", [this, i64] { return i64(sweep.SweepStart); });
    r.add("SweepEnd", [this, i64] { return i64(sweep.SweepEnd); });
    r.add("PointTimeS", [this] { return StateValue{sweep.PointTimeS}; });
    r.add("CdsOn", [this] { return StateValue{sweep.CdsOn}; });
    r.add("FreqUnitsLocked", [this] { return StateValue{sweep.FreqUnitsLocked}; });
    r.add("LockedUnits", [this] { return StateValue{sweep.LockedUnits}; });
    r.add("SweepValid", [this] { return StateValue{sweep.SweepValid}; });
    r.add("SweepDefined", [this] { return StateValue{sweep.SweepDefined}; });
    r.add("UiReady", [this] { return StateValue{sweep.UiReady}; });
    r.add("StopSweep", [this] { return StateValue{sweep.StopSweep}; });
    r.add("PassDone", [this] { return StateValue{sweep.PassDone}; });
    r.add("SingleSweep", [this] { return StateValue{sweep.SingleSweep}; });
    r.add("PointIndex", [this, i64] { return i64(sweep.PointIndex); });
    r.add("ResumeIndex", [this, i64] { return i64(sweep.ResumeIndex); });
    r.add("GdApertureHz", [this, i64] { return i64(sweep.GdApertureHz); });

    // Calibration.
    r.add("MeasMode", [this, i64] { return i64(cal.MeasMode); });
    r.add("CalModes", [this, i64] { return i64(cal.CalModes); });
    r.add("CalUnsaved", [this, i64] { return i64(cal.CalUnsaved); });
    r.add("CalStatus", [this, i64] { return i64(cal.CalStatus); });
    r.add("TransCalValid", [this] { return StateValue{cal.TransCalValid}; });
    r.add("ReflCalValid", [this] { return StateValue{cal.ReflCalValid}; });
    r.add("RefImpedance", [this] { return StateValue{ui::ComplexValue{cal.RefImpedance.re, cal.RefImpedance.im}}; });

    // Display.
    r.add("DisplayCode", [this, i64] { return i64(disp.DisplayCode); });
    r.add("PlotSelection", [this, i64] { return i64(disp.PlotSelection); });
    r.add("Y1Top", [this] { return StateValue{disp.Y1Top}; });
    r.add("Y1Bottom", [this] { return StateValue{disp.Y1Bottom}; });
    r.add("Y2Top", [this] { return StateValue{disp.Y2Top}; });
    r.add("Y2Bottom", [this] { return StateValue{disp.Y2Bottom}; });
    r.add("Y1HiSet", [this] { return StateValue{disp.Y1HiSet}; });
    r.add("Y1LoSet", [this] { return StateValue{disp.Y1LoSet}; });
    r.add("Y1DivSet", [this] { return StateValue{disp.Y1DivSet}; });
    r.add("Y2HiSet", [this] { return StateValue{disp.Y2HiSet}; });
    r.add("Y2LoSet", [this] { return StateValue{disp.Y2LoSet}; });
    r.add("Y2DivSet", [this] { return StateValue{disp.Y2DivSet}; });
    r.add("Y1ClickHistory", [this, i64] { return i64(disp.Y1ClickHistory); });
    r.add("Y2ClickHistory", [this, i64] { return i64(disp.Y2ClickHistory); });
    r.add("XLeft", [this, i64] { return i64(disp.XLeft); });
    r.add("XRight", [this, i64] { return i64(disp.XRight); });
    r.add("Y1Fresh", [this] { return StateValue{disp.Y1Fresh}; });
    r.add("Y2Fresh", [this] { return StateValue{disp.Y2Fresh}; });
    r.add("MarkerSel", [this, i64] { return i64(disp.MarkerSel); });

    // Arrays: points 0..401, markers 0..1.
    auto ints = [](const FreqArray& a) {
        return [&a](int i) -> std::optional<StateValue> {
            if (i < 0 || i >= static_cast<int>(a.size()))
                return std::nullopt;
            return StateValue{static_cast<std::int64_t>(a[static_cast<std::size_t>(i)])};
        };
    };
    auto reals = [](const TraceArray& a) {
        return [&a](int i) -> std::optional<StateValue> {
            if (i < 0 || i >= static_cast<int>(a.size()))
                return std::nullopt;
            return StateValue{a[static_cast<std::size_t>(i)]};
        };
    };
    r.addArray("FreqList", ints(sweep.FreqList));
    r.addArray("CalFreq", ints(cal.CalFreq));
    r.addArray("WorkFreq", ints(cal.WorkFreq));
    r.addArray("PlotX", ints(disp.PlotX));
    r.addArray("CalOpen", complexArrayState(cal.CalOpen));
    r.addArray("CalShort", complexArrayState(cal.CalShort));
    r.addArray("CalLoad", complexArrayState(cal.CalLoad));
    r.addArray("CalThru", complexArrayState(cal.CalThru));
    r.addArray("CalIsol", complexArrayState(cal.CalIsol));
    r.addArray("CalLoadModel", complexArrayState(cal.CalLoadModel));
    r.addArray("LoadModel", complexArrayState(cal.LoadModel));
    r.addArray("RawPoints", complexArrayState(cal.RawPoints));
    r.addArray("PointData", complexArrayState(cal.PointData));
    r.addArray("Y1Trace", reals(disp.Y1Trace));
    r.addArray("Y2Trace", reals(disp.Y2Trace));
    r.addArray("PrevY1Trace", reals(disp.PrevY1Trace));
    r.addArray("PrevY2Trace", reals(disp.PrevY2Trace));
    r.addArray("StoredY1", reals(disp.StoredY1));
    r.addArray("StoredY2", reals(disp.StoredY2));
    r.addArray("MarkerPos", [this](int i) -> std::optional<StateValue> {
        if (i < 0 || i > 1)
            return std::nullopt;
        return StateValue{static_cast<std::int64_t>(disp.MarkerPos[static_cast<std::size_t>(i)])};
    });
}

} // namespace orbilan::app
