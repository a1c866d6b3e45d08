#include "app/trace_tools.h"

#include <algorithm>
#include <cmath>

#include "app/main_window.h"
#include "cal/display_quantities.h"
#include "cal/text_file.h"
#include "touchstone/touchstone.h"
#include "ui/number_text.h"

namespace orbilan::app {

namespace {

using ui::ControlKind;
using Args = ui::EventArgs;

constexpr ui::Rgb Grey = 0xC0C0C0;
constexpr ui::Rgb Green = 0x00FF00;
constexpr ui::Rgb Red = 0xFF0000;

constexpr const char* MathCaptions[] = {"Data", "Data - Memory", "Data / Memory"};
constexpr const char* ReferenceTitle = "Load reference trace";
constexpr const char* LimitsTitle = "Limit lines";
constexpr const char* LimitsFilter = "Limit lines (.lim)|*.lim|Text (.txt)|*.txt|All Files|*.*";
constexpr std::size_t LargestLimitFile = 1 << 20;

analysis::MathOp opOf(int index) { return index == 2 ? analysis::MathOp::Ratio : analysis::MathOp::Difference; }

// How a search result reads in the window: a name, the value's unit.
struct ResultWord {
    const char* name;
    const char* word;
    enum Unit { MHz, Db, Ohm, Plain } unit;
};
constexpr ResultWord ResultWords[] = {
    {"peak_hz", "peak", ResultWord::MHz},          {"peak_db", "", ResultWord::Db},
    {"bw_low_hz", "low", ResultWord::MHz},         {"bw_high_hz", "high", ResultWord::MHz},
    {"bw_hz", "width", ResultWord::MHz},           {"centre_hz", "centre", ResultWord::MHz},
    {"q", "Q", ResultWord::Plain},                 {"min_swr_hz", "best match", ResultWord::MHz},
    {"min_swr", "SWR", ResultWord::Plain},         {"resonance_hz", "resonance", ResultWord::MHz},
    {"resonance_r_ohm", "R", ResultWord::Ohm},     {"swr_low_hz", "low", ResultWord::MHz},
    {"swr_high_hz", "high", ResultWord::MHz},      {"swr_bw_hz", "width", ResultWord::MHz},
};

// The present sweep: the frequencies of the points 1..SweepPoints.
std::vector<std::int32_t> presentFrequencies(const MainWindow& w)
{
    const int n = std::clamp<int>(w.settings.SweepPoints, 0, cal::PointArraySize - 1);
    return {w.sweep.FreqList.begin() + 1, w.sweep.FreqList.begin() + 1 + n};
}

std::optional<double> valueOf(const analysis::Summary& s, const std::string& name)
{
    for (const auto& line : s.lines)
        if (line.name == name)
            return line.value;
    return std::nullopt;
}

} // namespace

// Follows the main window's controls: the stored trace emptied, the mode,
// the sweep and the display functions decide what the tools offer.
class TraceTools::WindowWatch : public ui::ControlObserver {
public:
    explicit WindowWatch(TraceTools& tools) : tools_(tools) {}
    void controlChanged(const ui::Control& control, ui::Property property) override
    {
        if (control.name() == "TraceStatusLabel" && property == ui::Property::Caption &&
            control.caption() == "(none)")
            tools_.storeEmptied();
        tools_.updateEnabled();
    }

private:
    TraceTools& tools_;
};

TraceTools::TraceTools(MainWindow& window, ui::StateRegistry& state) : w_(window)
{
    setupControls();
    setupState(state);
    w_.addSweepObserver([this](const cal::MeasuredSweep& sweep) { sweepFinished(sweep); });
    watch_ = std::make_unique<WindowWatch>(*this);
    w_.controls().addObserver(watch_.get());
    updateEnabled();
}

TraceTools::~TraceTools() { w_.controls().removeObserver(watch_.get()); }

void TraceTools::setupControls()
{
    auto& u = ui_;
    u.add("LoadReference", ControlKind::Button)
        .setCaption("Load Reference...")
        .setToolTip("Load a Touchstone file (.s1p, .s2p) as the stored trace");
    for (int i = 0; i < 3; ++i)
        u.add("TraceMath", ControlKind::Option, i)
            .setGroup("TraceMath")
            .setCaption(MathCaptions[i])
            .setToolTip("Show the data, or the data against the stored or loaded trace");
    u.at("TraceMath", 0).setValueQuietly(1);
    u.add("TraceMathStatus", ControlKind::Label);

    u.add("LimitText", ControlKind::TextBox)
        .setToolTip("Limit segments, one per line: upper|lower quantity from to value [value-at-to]");
    u.add("ApplyLimits", ControlKind::Button).setCaption("Apply").setToolTip("Use the limit segments above");
    u.add("LoadLimits", ControlKind::Button).setCaption("Load Limits...").setToolTip("Read limit lines from a file");
    u.add("SaveLimits", ControlKind::Button).setCaption("Save Limits...").setToolTip("Write the limit lines to a file");
    u.add("ClearLimits", ControlKind::Button).setCaption("Clear Limits").setToolTip("Remove every limit line");
    u.add("LimitLED", ControlKind::Lamp).setBackColour(Grey).setToolTip("Limit check of the last complete sweep");
    u.add("LimitLabel", ControlKind::Label).setCaption("No limits");

    u.add("SearchDrop", ControlKind::TextBox).setText("3").setToolTip("dB below the peak");
    u.add("SearchBandwidth", ControlKind::Button)
        .setCaption("Bandwidth")
        .setToolTip("Markers to the edges of the band N dB below the maximum");
    u.add("SearchResonance", ControlKind::Button)
        .setCaption("Resonance")
        .setToolTip("Marker to where the reactance crosses zero nearest the best match");
    u.add("SearchSwr", ControlKind::TextBox).setText("2").setToolTip("The SWR that bounds the matched band");
    u.add("SearchSwrBand", ControlKind::Button)
        .setCaption("SWR Band")
        .setToolTip("Markers to the edges of the band where the SWR stays at or below S");
    u.add("SearchResult", ControlKind::Label);

    u.on("LoadReference", ui::Event::Click, [this](Args&) { LoadReference_Click(); });
    u.on("TraceMath", ui::Event::Click, [this](Args& a) { TraceMath_Click(a.index); });
    u.on("ApplyLimits", ui::Event::Click, [this](Args&) { ApplyLimits_Click(); });
    u.on("LoadLimits", ui::Event::Click, [this](Args&) { LoadLimits_Click(); });
    u.on("SaveLimits", ui::Event::Click, [this](Args&) { SaveLimits_Click(); });
    u.on("ClearLimits", ui::Event::Click, [this](Args&) { ClearLimits_Click(); });
    u.on("SearchBandwidth", ui::Event::Click, [this](Args&) { SearchBandwidth_Click(); });
    u.on("SearchResonance", ui::Event::Click, [this](Args&) { SearchResonance_Click(); });
    u.on("SearchSwrBand", ui::Event::Click, [this](Args&) { SearchSwrBand_Click(); });
}

void TraceTools::setupState(ui::StateRegistry& r)
{
    using ui::StateValue;
    auto i64 = [](auto v) { return StateValue{static_cast<std::int64_t>(v)}; };
    r.add("ReferenceFile", [this] { return StateValue{referenceFile_}; });
    r.add("TraceMath", [this, i64] { return i64(math_); });
    r.add("LimitCount", [this, i64] { return i64(limits_.size()); });
    r.add("Limits", [this] {
        std::string lines;
        for (const auto& s : limits_)
            lines += analysis::SegmentText(s) + "\n";
        return StateValue{lines};
    });
    r.add("LimitStatus", [this] {
        return StateValue{std::string(!check_ ? "none" : check_->passed() ? "pass" : "fail")};
    });
    r.add("LimitFailures", [this, i64] { return i64(check_ ? check_->failures.size() : 0); });
    r.add("LimitFailHz", [this, i64] {
        return i64(check_ && !check_->passed() ? std::llround(check_->failures.front().hz) : 0);
    });
    // The same lines orbilan-cli analyse prints.
    r.add("SearchResult", [this] { return StateValue{analysis::SummaryText(search_)}; });
}

// ============================================================ shared helpers

std::string TraceTools::mhz(double hz) const
{
    return ui::formatPattern(ui::roundDecimals(hz / 1e6, 6), "#0.000000", w_.platform().decimalSeparator()) + " MHz";
}

void TraceTools::message(const std::string& text, const std::string& title)
{
    w_.msg(text, ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, title);
}

std::optional<double> TraceTools::number(const std::string& box, double above, const std::string& what)
{
    const auto v = ui::parseNumber(ui_.at(box).text(), w_.platform().decimalSeparator());
    if (!v || !std::isfinite(*v) || !(*v > above)) {
        message(what, "Marker search");
        return std::nullopt;
    }
    return v;
}

std::optional<cal::MeasuredSweep> TraceTools::shownSweep() const
{
    const auto& last = w_.lastSweep();
    if (!last || last->mode != w_.cal.MeasMode || last->hz != presentFrequencies(w_))
        return std::nullopt;
    if (mathApplies())
        return analysis::CombineSweep(*last, memory_, opOf(math_));
    return *last;
}

void TraceTools::updateEnabled()
{
    const int mode = w_.cal.MeasMode;
    referenceForMode();
    const bool functionsOn = w_.controls().at("TraceSave").enabled();
    const bool memoryOfMode = !memory_.empty() && memory_.mode == mode;
    ui_.at("LoadReference").setEnabled(functionsOn && mode != 2);
    ui_.at("TraceMath", 1).setEnabled(memoryOfMode);
    ui_.at("TraceMath", 2).setEnabled(memoryOfMode && analysis::MathDefined(mode, analysis::MathOp::Ratio));
    ui_.at("SearchBandwidth").setEnabled(functionsOn && mode != 1);
    ui_.at("SearchResonance").setEnabled(functionsOn && mode == 1);
    ui_.at("SearchSwrBand").setEnabled(functionsOn && mode == 1);
    // A memory of another mode, or a ratio the mode has no meaning for,
    // shows the data again.
    if (math_ != 0 && !ui_.at("TraceMath", math_).enabled())
        setMath(0);
}

// ============================================================ reference trace

analysis::Memory TraceTools::memoryOfWorkingSweep() const
{
    cal::MeasuredSweep s;
    s.mode = w_.cal.MeasMode;
    s.refImpedance = w_.cal.RefImpedance;
    s.hz = presentFrequencies(w_);
    s.points.assign(w_.cal.PointData.begin() + 1, w_.cal.PointData.begin() + 1 + static_cast<std::ptrdiff_t>(s.hz.size()));
    return analysis::MemoryOfSweep(s);
}

void TraceTools::LoadReference_Click()
{
    ui::FileDialogRequest request;
    request.title = ReferenceTitle;
    request.filter = "Touchstone (.s1p, .s2p)|*.s1p;*.s2p|All Files|*.*";
    request.filterIndex = 1;
    request.hideReadOnly = true;
    const auto path = w_.platform().fileDialog(request);
    if (!path)
        return;
    const int ports = touchstone::PortsOfName(*path);
    if (ports == 0) {
        message("A reference trace is read from a Touchstone file: its name ends in .s1p or .s2p.", ReferenceTitle);
        return;
    }
    touchstone::Data data;
    std::string error;
    analysis::Memory memory;
    if (!touchstone::ReadFile(*path, ports, data, error) ||
        !analysis::MemoryOfFile(data, w_.cal.MeasMode, w_.cal.RefImpedance, memory, error)) {
        message(error, ReferenceTitle);
        return;
    }
    const auto hz = presentFrequencies(w_);
    const bool overlaps = std::any_of(hz.begin(), hz.end(), [&memory](std::int32_t f) {
        return f >= memory.hz.front() && f <= memory.hz.back();
    });
    if (!overlaps) {
        message(cal::FileNameOf(*path) + " covers " + mhz(memory.hz.front()) + " to " + mhz(memory.hz.back()) +
                    ", outside the sweep.",
                ReferenceTitle);
        return;
    }

    w_.MemoryDisplayOff();
    memory_ = std::move(memory);
    referenceData_ = std::move(data);
    referenceFile_ = cal::FileNameOf(*path);
    convertReference();
    w_.controls().at("TraceStatusLabel").setCaption(referenceFile_);
    w_.controls().at("TraceStatusLED").setBackColour(Green);
    w_.controls().at("DisplayMemory").setVisible(true);
    w_.DisplayMemory_Click();
    if (math_ != 0)
        replot();
    checkLimits();
    updateEnabled();
}

void TraceTools::convertReference()
{
    auto& d = w_.disp;
    const auto hz = presentFrequencies(w_);
    int first = 0, last = 0;
    for (std::size_t k = 0; k < hz.size(); ++k) {
        const auto m = analysis::MemoryAt(memory_, hz[k]);
        if (!m)
            continue;
        const cal::Complex pair = cal::ConvertPoint(*m, d.DisplayCode, w_.cal.RefImpedance);
        d.StoredY1[k + 1] = pair.re;
        d.StoredY2[k + 1] = pair.im;
        const int i = static_cast<int>(k) + 1;
        if (first == 0)
            first = i;
        last = i;
    }
    // Outside the file's range nothing is drawn.
    d.StoredFirst = static_cast<std::int16_t>(first == 0 ? 1 : first);
    d.StoredLast = static_cast<std::int16_t>(last);
    converted_ = {d.DisplayCode, hz};
}

bool TraceTools::referenceForMode()
{
    if (referenceFile_.empty() || memory_.mode == w_.cal.MeasMode)
        return !referenceFile_.empty();
    analysis::Memory m;
    std::string error;
    if (!analysis::MemoryOfFile(referenceData_, w_.cal.MeasMode, w_.cal.RefImpedance, m, error))
        return false;
    memory_ = std::move(m);
    converted_ = {};
    return true;
}

void TraceTools::refreshReference()
{
    if (!referenceForMode())
        return;
    ui::Control& show = w_.controls().at("DisplayMemory");
    const ConversionKey now{w_.disp.DisplayCode, presentFrequencies(w_)};
    if (now == converted_ && show.visible())
        return;
    // The overlay comes off before its values change, so that the XOR pen
    // removes exactly what it drew, and goes back on if it was on.
    const bool wasOn = w_.storedTraceOnPlot();
    w_.MemoryDisplayOff();
    convertReference();
    show.setVisible(true);
    if (wasOn)
        w_.DisplayMemory_Click();
}

void TraceTools::storedTraceAboutToShow()
{
    if (w_.storedTraceOnPlot() || !referenceForMode())
        return;
    if (!(ConversionKey{w_.disp.DisplayCode, presentFrequencies(w_)} == converted_))
        convertReference();
}

void TraceTools::traceStored()
{
    const bool mathShown = mathApplies();
    memory_ = memoryOfWorkingSweep();
    referenceData_ = {};
    referenceFile_.clear();
    converted_ = {};
    // Store keeps what is displayed; with trace math shown that is the
    // result, but the stored trace is the memory the math works against.
    if (mathShown) {
        auto& d = w_.disp;
        for (std::size_t k = 0; k < memory_.points.size(); ++k) {
            const cal::Complex pair = cal::ConvertPoint(memory_.points[k], d.DisplayCode, w_.cal.RefImpedance);
            d.StoredY1[k + 1] = pair.re;
            d.StoredY2[k + 1] = pair.im;
        }
    }
    updateEnabled();
}

void TraceTools::storeEmptied()
{
    memory_ = {};
    referenceData_ = {};
    referenceFile_.clear();
    converted_ = {};
    setMath(0);
}

// ============================================================ trace math

bool TraceTools::mathApplies() const
{
    if (math_ == 0 || memory_.empty() || memory_.mode != w_.cal.MeasMode ||
        !analysis::MathDefined(memory_.mode, opOf(math_)))
        return false;
    const auto hz = presentFrequencies(w_);
    return !hz.empty() && memory_.covers(hz.front(), hz.back());
}

void TraceTools::setMath(int index)
{
    math_ = index;
    for (int i = 0; i < 3; ++i)
        ui_.at("TraceMath", i).setValueQuietly(i == index ? 1 : 0);
    ui_.at("TraceMathStatus").setCaption(index == 0 ? "" : MathCaptions[index]);
}

cal::Complex TraceTools::shownPoint(int i, cal::Complex point)
{
    if (math_ == 0)
        return point;
    if (!mathApplies()) {
        // The sweep has moved beyond the memory: the whole pass shows the
        // data rather than a trace that is partly one, partly the other.
        const auto hz = presentFrequencies(w_);
        if (!memory_.empty() && memory_.mode == w_.cal.MeasMode && !hz.empty()) {
            setMath(0);
            ui_.at("TraceMathStatus")
                .setCaption("Trace math off: the memory covers " + mhz(memory_.hz.front()) + " to " +
                            mhz(memory_.hz.back()) + " only");
        }
        return point;
    }
    if (i < 1 || i >= cal::PointArraySize)
        return point;
    const auto m = analysis::MemoryAt(memory_, w_.sweep.FreqList[static_cast<std::size_t>(i)]);
    const auto r = m ? analysis::Combine(memory_.mode, point, *m, opOf(math_), w_.cal.RefImpedance) : std::nullopt;
    return r ? *r : point;
}

void TraceTools::TraceMath_Click(int index)
{
    if (index < 0 || index > 2)
        return;
    const int before = math_;
    referenceForMode();
    if (index != 0) {
        const auto hz = presentFrequencies(w_);
        std::string refusal;
        if (memory_.empty() || memory_.mode != w_.cal.MeasMode)
            refusal = "Trace math needs a stored or loaded trace of this mode.";
        else if (!analysis::MathDefined(memory_.mode, opOf(index)))
            refusal = "A ratio of group delays means nothing: use Data - Memory.";
        else if (hz.empty() || !memory_.covers(hz.front(), hz.back()))
            refusal = "The memory covers " + mhz(memory_.hz.front()) + " to " + mhz(memory_.hz.back()) +
                      "; trace math needs it over the whole sweep.";
        if (!refusal.empty()) {
            setMath(before);
            message(refusal, "Trace math");
            return;
        }
    }
    setMath(index);
    if (index != before)
        replot();
    checkLimits();
}

void TraceTools::replot()
{
    // A running pass takes the change from its next point; a stopped one is
    // redrawn from its corrected points, as a scale change redraws it.
    if (!w_.sweep.StopSweep || w_.sweep.SingleFreqMode)
        return;
    const auto& last = w_.lastSweep();
    if (!last || last->mode != w_.cal.MeasMode || last->hz != presentFrequencies(w_))
        return;
    const bool markers = w_.controls().at("Markers").visible();
    const bool stored = w_.storedTraceOnPlot();
    if (markers)
        w_.UpdateMarkers();
    if (stored)
        w_.DrawStoredTrace();
    auto& d = w_.disp;
    for (std::size_t k = 1; k <= last->hz.size(); ++k) {
        const cal::Complex shown = shownPoint(static_cast<int>(k), w_.cal.PointData[k]);
        const cal::Complex pair = cal::ConvertPoint(shown, d.DisplayCode, w_.cal.RefImpedance);
        d.Y1Trace[k] = pair.re;
        d.Y2Trace[k] = pair.im;
    }
    w_.RedrawTraces();
    if (markers)
        w_.UpdateMarkers();
    if (stored)
        w_.DrawStoredTrace();
}

// ============================================================ limit lines

bool TraceTools::setLimits(const std::string& text, const std::string& source)
{
    std::vector<analysis::LimitSegment> parsed;
    std::string error;
    if (!analysis::ParseLimits(text, parsed, error)) {
        message((source.empty() ? "" : source + ": ") + error, LimitsTitle);
        return false;
    }
    limits_ = std::move(parsed);
    std::string lines;
    for (const auto& s : limits_)
        lines += analysis::SegmentText(s) + "\n";
    ui_.at("LimitText").setText(lines);
    checkLimits();
    return true;
}

void TraceTools::ApplyLimits_Click() { setLimits(ui_.at("LimitText").text(), ""); }

void TraceTools::LoadLimits_Click()
{
    ui::FileDialogRequest request;
    request.title = "Load limit lines";
    request.filter = LimitsFilter;
    request.hideReadOnly = true;
    request.fileName = limitsFile_;
    const auto path = w_.platform().fileDialog(request);
    if (!path)
        return;
    std::string text;
    if (const auto error = cal::ReadWholeFile(*path, text, LargestLimitFile)) {
        message("Error " + std::to_string(error->number) + ": " + error->description + "\r" + *path, LimitsTitle);
        return;
    }
    if (setLimits(text, cal::FileNameOf(*path)))
        limitsFile_ = *path;
}

void TraceTools::SaveLimits_Click()
{
    ui::FileDialogRequest request;
    request.save = true;
    request.title = "Save limit lines";
    request.filter = LimitsFilter;
    request.fileName = limitsFile_;
    const auto path = w_.platform().fileDialog(request);
    if (!path)
        return;
    if (const auto error = cal::ReplaceFileContents(*path, analysis::LimitsText(limits_))) {
        w_.msg("Error " + std::to_string(error->number) + ": " + error->description + "\r" + *path +
                   "\rThe file was not saved.",
               ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, "File error");
        return;
    }
    limitsFile_ = *path;
}

void TraceTools::ClearLimits_Click()
{
    limits_.clear();
    ui_.at("LimitText").setText("");
    checkLimits();
}

void TraceTools::checkLimits()
{
    check_.reset();
    if (!limits_.empty()) {
        if (const auto shown = shownSweep()) {
            analysis::LimitCheck c = analysis::CheckLimits(limits_, *shown);
            if (c.segmentsApplied > 0)
                check_ = std::move(c);
        }
    }
    showLimitState();
}

void TraceTools::showLimitState()
{
    ui::Control& lamp = ui_.at("LimitLED");
    ui::Control& label = ui_.at("LimitLabel");
    if (limits_.empty()) {
        lamp.setBackColour(Grey);
        label.setCaption("No limits");
        return;
    }
    if (!check_) {
        const bool ofMode = std::any_of(limits_.begin(), limits_.end(), [this](const analysis::LimitSegment& s) {
            return s.quantity->existsIn(w_.cal.MeasMode);
        });
        lamp.setBackColour(Grey);
        label.setCaption(ofMode ? "Not checked yet" : "No limits for this mode");
        return;
    }
    if (check_->passed()) {
        lamp.setBackColour(Green);
        label.setCaption("Pass");
        return;
    }
    const analysis::LimitFailure& f = check_->failures.front();
    const auto number = [this](double v) {
        return std::isfinite(v) ? ui::formatGeneral(v, 6, w_.platform().decimalSeparator())
                                : std::string(std::isnan(v) ? "no value" : "infinite");
    };
    lamp.setBackColour(Red);
    label.setCaption("Fail at " + mhz(f.hz) + ": " + f.segment.quantity->name + " " + number(f.value) +
                     (f.segment.upper ? " above " : " below ") + number(f.limit));
}

std::vector<analysis::LimitSegment> TraceTools::limitsShownOn(int displayCode, int axis) const
{
    std::vector<analysis::LimitSegment> out;
    for (const auto& s : limits_)
        if (s.quantity->isShownOn(displayCode, axis))
            out.push_back(s);
    return out;
}

// ============================================================ marker searches

std::optional<cal::MeasuredSweep> TraceTools::searchable(bool reflection)
{
    ui::Control& result = ui_.at("SearchResult");
    auto shown = shownSweep();
    if (!shown || shown->size() == 0) {
        search_ = {};
        result.setCaption("No complete sweep to search");
        return std::nullopt;
    }
    if (reflection != (shown->mode == 1)) {
        search_ = {};
        result.setCaption(reflection ? "Resonance and SWR band need a reflection sweep"
                                     : "The bandwidth needs a transmission or group-delay sweep");
        return std::nullopt;
    }
    return shown;
}

void TraceTools::SearchBandwidth_Click()
{
    const auto drop = number("SearchDrop", 0, "Enter how far below the peak the band ends, in dB above 0.");
    if (!drop)
        return;
    const auto s = searchable(false);
    if (!s)
        return;
    std::vector<double> hz(s->hz.begin(), s->hz.end()), db;
    for (const cal::Complex& p : s->points)
        db.push_back(p.re);
    search_ = analysis::SummariseBandwidth(hz, db, *drop);
    const auto peak = valueOf(search_, "peak_hz");
    const auto low = valueOf(search_, "bw_low_hz");
    const auto high = valueOf(search_, "bw_high_hz");
    placeMarkers(low ? low : peak, high ? high : peak);
    showSearch("-" + ui::formatGeneral(*drop, 6, w_.platform().decimalSeparator()) + " dB");
}

void TraceTools::SearchResonance_Click()
{
    const auto s = searchable(true);
    if (!s)
        return;
    const auto trace = analysis::TraceOfSweep(*s);
    search_ = analysis::SummariseReflection(*trace, 2);
    // Only what this search is about.
    std::erase_if(search_.lines, [](const analysis::SummaryLine& l) { return l.name.rfind("swr_", 0) == 0; });
    std::erase_if(search_.missing, [](const std::string& m) { return m.rfind("swr_", 0) == 0; });
    if (const auto res = valueOf(search_, "resonance_hz")) {
        // The selected marker goes; the other stays where it is.
        std::optional<double> a, b;
        (w_.disp.MarkerSel == 1 ? b : a) = res;
        placeMarkers(a, b);
    }
    showSearch("Resonance");
}

void TraceTools::SearchSwrBand_Click()
{
    const auto swr = number("SearchSwr", 1, "Enter the SWR that bounds the band, a number above 1.");
    if (!swr)
        return;
    const auto s = searchable(true);
    if (!s)
        return;
    search_ = analysis::SummariseReflection(*analysis::TraceOfSweep(*s), *swr);
    std::erase_if(search_.lines, [](const analysis::SummaryLine& l) { return l.name.rfind("resonance_", 0) == 0; });
    std::erase_if(search_.missing, [](const std::string& m) { return m.rfind("resonance_", 0) == 0; });
    const auto best = valueOf(search_, "min_swr_hz");
    const auto low = valueOf(search_, "swr_low_hz");
    const auto high = valueOf(search_, "swr_high_hz");
    placeMarkers(low ? low : best, high ? high : best);
    showSearch("SWR <= " + ui::formatGeneral(*swr, 6, w_.platform().decimalSeparator()));
}

void TraceTools::placeMarkers(std::optional<double> a, std::optional<double> b)
{
    if (w_.sweep.SingleFreqMode || (!a && !b))
        return;
    auto& c = w_.controls();
    if (!c.at("Markers").visible()) {
        if (!c.at("MarkerOn").enabled() || !c.at("MarkerOn").reachable())
            return;
        w_.MarkerOn_Click();
    }
    const auto hz = presentFrequencies(w_);
    auto nearest = [&hz](double f) {
        std::size_t best = 0;
        for (std::size_t k = 1; k < hz.size(); ++k)
            if (std::fabs(hz[k] - f) < std::fabs(hz[best] - f))
                best = k;
        return static_cast<std::int16_t>(best + 1);
    };
    w_.UpdateMarkers();
    if (a)
        w_.disp.MarkerPos[0] = nearest(*a);
    if (b)
        w_.disp.MarkerPos[1] = nearest(*b);
    w_.UpdateMarkers();
    if (b) {
        // Selecting B shows its readouts; A stays the one the buttons move.
        const int selected = w_.disp.MarkerSel;
        c.at("Option2", 1).setValue(1);
        if (selected == 0)
            c.at("Option2", 0).setValue(1);
    }
}

void TraceTools::showSearch(const std::string& heading)
{
    const char sep = w_.platform().decimalSeparator();
    std::string text = heading + ":";
    bool first = true;
    for (const auto& line : search_.lines) {
        for (const ResultWord& word : ResultWords) {
            if (line.name != word.name)
                continue;
            std::string value;
            switch (word.unit) {
            case ResultWord::MHz: value = mhz(line.value); break;
            case ResultWord::Db: value = ui::formatGeneral(ui::roundDecimals(line.value, 3), 15, sep) + " dB"; break;
            case ResultWord::Ohm: value = ui::formatGeneral(ui::roundDecimals(line.value, 2), 15, sep) + " ohm"; break;
            case ResultWord::Plain: value = ui::formatGeneral(ui::roundDecimals(line.value, 3), 15, sep); break;
            }
            text += (first ? " " : *word.word ? ", " : " ") + std::string(word.word) + (*word.word ? " " : "") + value;
            first = false;
        }
    }
    if (!search_.missing.empty())
        text += (first ? " " : "; ") + search_.missing.front();
    ui_.at("SearchResult").setCaption(text);
}

// ============================================================ Save Data

std::string TraceTools::dataFileFilter() const
{
    const std::string csv = "csv (.csv)|*.csv|";
    const auto& last = w_.lastSweep();
    const int mode = w_.cal.MeasMode;
    if (last && (mode == 0 || mode == 1) && last->mode == mode && last->hz == presentFrequencies(w_))
        return csv + (mode == 1 ? "Touchstone (.s1p)|*.s1p|" : "Touchstone (.s2p)|*.s2p|") + "All Files|*.*";
    return csv + "All Files|*.*";
}

TraceTools::TouchstoneSave TraceTools::touchstoneFor(const std::string& path, const std::string& comment)
{
    TouchstoneSave out;
    const int ports = touchstone::PortsOfName(path);
    if (ports == 0)
        return out;
    out.touchstone = true;
    const int mode = w_.cal.MeasMode;
    const char* title = "Save data to file";
    if (mode == 2) {
        message("Group delay has no Touchstone form: save it as .csv.", title);
        return out;
    }
    if (ports != (mode == 1 ? 1 : 2)) {
        message(mode == 1 ? "A reflection sweep is saved as .s1p (S11) or .csv."
                          : "A transmission sweep is saved as .s2p (S21) or .csv.",
                title);
        return out;
    }
    const auto& last = w_.lastSweep();
    if (!last || last->mode != mode || last->hz != presentFrequencies(w_)) {
        message("A Touchstone file holds a complete sweep: let the sweep run to its last point first.", title);
        return out;
    }
    auto file = touchstone::FromSweep(*last, "Orbilan");
    file->header.comment = comment;
    out.text = touchstone::Text(file->header, file->ports, file->points);
    return out;
}

void TraceTools::sweepFinished(const cal::MeasuredSweep&)
{
    refreshReference();
    checkLimits();
    updateEnabled();
}

} // namespace orbilan::app
