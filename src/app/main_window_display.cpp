// Display types and scales, the plot, the markers, autoscale and the
// single-frequency bars.
#include "app/main_window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "cal/display_quantities.h"
#include "display/canvas.h"
#include "display/plot_drawing.h"
#include "display/scales.h"
#include "display/smith_chart.h"
#include "ui/number_text.h"

namespace orbilan::app {

using display::ClampForPlot;
using display::FormatScaleValue;

namespace {

using ui::ControlKind;
using ui::Event;

// The six scale boxes: the button that shows the value and the list that edits it.
struct ScaleBox {
    const char* button;
    const char* list;
    int axis; // 1 or 2
    int kind; // 1 top, 2 units per division, 3 bottom
};
constexpr ScaleBox ScaleBoxes[6] = {
    {"Y1Hi", "Y1HiCombo", 1, 1}, {"Y1Scale", "Y1ScaleCombo", 1, 2}, {"Y1Lo", "Y1LoCombo", 1, 3},
    {"Y2Hi", "Y2HiCombo", 2, 1}, {"Y2Scale", "Y2ScaleCombo", 2, 2}, {"Y2Lo", "Y2LoCombo", 2, 3},
};

// Points are numbered 1..401 in arrays of 402.
constexpr int LastPoint = cal::PointArraySize - 1;

int clampIndex(int i) { return std::clamp(i, 0, LastPoint); }

std::size_t at(int i) { return static_cast<std::size_t>(clampIndex(i)); }

// Fills a list box from a list string and shows its first entry.
void loadcombo(ui::Control& box, const std::string& list)
{
    box.clearList();
    for (const std::string& piece : display::SplitList(list))
        box.addItem(piece);
    box.setText(box.list().empty() ? std::string() : box.list().front());
    box.setListIndex(box.list().empty() ? -1 : 0);
}

// The entry a list box stands on: a picked entry, else its text.
std::string chosenText(ui::Control& box)
{
    const int i = box.listIndex();
    if (i >= 0 && i < static_cast<int>(box.list().size())) {
        box.setText(box.list()[static_cast<std::size_t>(i)]);
        return box.list()[static_cast<std::size_t>(i)];
    }
    return box.text();
}

std::string rtrimBlanks(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace

// ------------------------------------------------------------------ set-up

void MainWindow::setupDisplay()
{
    auto& u = ui_;

    // No value yet at any point.
    for (int i = 1; i <= LastPoint; ++i) {
        const auto k = static_cast<std::size_t>(i);
        disp.Y1Trace[k] = disp.Y2Trace[k] = disp.PrevY1Trace[k] = disp.PrevY2Trace[k] = -999.0;
    }

    // The swept display.
    u.add("DisplayFrame", ControlKind::Frame);
    u.add("Screen1", ControlKind::Picture).setParent("DisplayFrame").setBackColour(0x000000);
    u.add("SweepLine", ControlKind::Picture)
        .setParent("DisplayFrame")
        .setBackColour(0xFFFFFF)
        .setForeColour(display::DarkGreen);
    for (const char* name : {"TellSteps", "FreqLeft", "FreqMid", "FreqRight", "FreqUnits"})
        u.add(name, ControlKind::Label).setParent("DisplayFrame").setVisible(false);
    u.add("FixX0", ControlKind::CheckBox)
        .setParent("DisplayFrame")
        .setCaption("Plot F=0")
        .setToolTip("Rounds off MHz/div by plotting from X=0");

    // Display type chooser.
    u.add("DisplayButton", ControlKind::Button).setCaption("Display").setVisible(false).setEnabled(false);
    u.add("displaycombo", ControlKind::ListBox).setVisible(false);
    u.add("DisplayLabel", ControlKind::Label).setCaption("dB,deg");

    // Plot selection.
    u.add("plotframe", ControlKind::Frame).setVisible(false).setEnabled(false);
    const char* plotCaptions[3] = {"dB", "deg", "Both"};
    for (int i = 0; i < 3; ++i)
        u.add("PlotOption", ControlKind::Option, i).setParent("plotframe").setGroup("PlotOption").setCaption(
            plotCaptions[i]);
    u.at("PlotOption", 2).setValueQuietly(1);

    // Vertical scales.
    for (const ScaleBox& b : ScaleBoxes) {
        u.add(b.button, ControlKind::Button).setVisible(false);
        u.add(b.list, ControlKind::EditableList).setVisible(false);
    }
    u.add("Y1div", ControlKind::Label).setCaption("units /div").setVisible(false);
    u.add("Y2div", ControlKind::Label).setCaption("units /div").setVisible(false);
    u.add("Y1Label", ControlKind::Label).setCaption("dB").setVisible(false);
    u.add("Y2Label", ControlKind::Label).setCaption("deg").setVisible(false);
    u.add("Ycolour", ControlKind::Lamp, 1).setBackColour(display::Yellow).setVisible(false);
    u.add("Ycolour", ControlKind::Lamp, 2).setBackColour(display::Cyan).setVisible(false);
    u.add("Temp1", ControlKind::TextBox).setVisible(false);
    u.add("Temp2", ControlKind::TextBox).setVisible(false);

    // Screen buttons.
    u.add("ScaleControl", ControlKind::Button)
        .setParent("SweepFrame")
        .setCaption("Autoscale")
        .setToolTip("Autoscale all displayed traces")
        .setEnabled(false);
    u.add("ClearButton", ControlKind::Button)
        .setParent("SweepFrame")
        .setCaption("Clear")
        .setToolTip("Delete all traces")
        .setEnabled(false);
    u.add("SendToClipboard", ControlKind::Button)
        .setParent("SweepFrame")
        .setCaption("Copy")
        .setToolTip("copies display screen to clipboard")
        .setEnabled(false);
    u.add("PrintMe", ControlKind::Button)
        .setParent("SweepFrame")
        .setCaption("Print")
        .setToolTip("prints annotated screen (white background)")
        .setEnabled(false);

    // Markers.
    u.add("MarkerOn", ControlKind::Button)
        .setParent("SweepFrame")
        .setCaption("Marker On")
        .setToolTip("Enable/disable marker")
        .setEnabled(false);
    u.add("Markers", ControlKind::Frame).setParent("SweepFrame").setVisible(false);
    u.add("Option2", ControlKind::Option, 0).setParent("Markers").setGroup("Option2").setCaption("A");
    u.add("Option2", ControlKind::Option, 1).setParent("Markers").setGroup("Option2").setCaption("B");
    u.at("Option2", 0).setValueQuietly(1);
    const char* stepGlyphs[6] = {"\xE2\x97\x80", "\xE2\x8F\xAA", "\xE2\x96\xB6", "\xE2\x8F\xA9", "\xE2\x96\xB2",
                                 "\xE2\x96\xBC"}; // ◀ ⏪ ▶ ⏩ ▲ ▼
    const char* stepTips[6] = {"Marker left 1 point",    "Marker left 10  points", "Marker right 1 point",
                               "Marker right 10 points", "Set marker to maximum ", "Set marker to minimum"};
    for (int i = 0; i < 6; ++i)
        u.add("Marker", ControlKind::Button, i).setParent("Markers").setCaption(stepGlyphs[i]).setToolTip(
            stepTips[i]);
    u.add("MkrCF", ControlKind::Button).setParent("Markers").setCaption("Mkr-> CF");
    const std::pair<const char*, const char*> readouts[] = {
        {"MarkerFreq", "Marker A frequency"},   {"MarkerY1", "Y1 value at marker  A"},
        {"MarkerY2", "Y2 value at marker A"},   {"MarkerF2", "Marker B frequency"},
        {"markery3", "Y1 value at marker B"},   {"markery4", "Y2 value at marker B"},
        {"MarkerF3", "A to B frequency difference"}, {"MarkerY5", "Y1 A-B difference"},
        {"MarkerY6", "Y2 A-B difference"},
    };
    for (const auto& [name, tip] : readouts)
        u.add(name, ControlKind::Label).setParent("Markers").setToolTip(tip);
    u.add("MarkerDeltaLabel", ControlKind::Label).setParent("Markers").setCaption("Delta");
    u.add("MarkerFindLabel", ControlKind::Label).setParent("Markers").setCaption("-Find-");
    u.add("MarkerStepLabel", ControlKind::Label).setParent("Markers").setCaption("-Step-");
    u.add("Markerlabel", ControlKind::Label).setParent("Markers");

    // The single-frequency panel.
    u.add("SingleDisplayFrame", ControlKind::Frame).setCaption("Single Frequency Mode").setVisible(false);
    u.add("BargraphY1", ControlKind::Picture)
        .setParent("SingleDisplayFrame")
        .setBackColour(0x000000)
        .setForeColour(display::Yellow);
    u.add("BarGraphY2", ControlKind::Picture)
        .setParent("SingleDisplayFrame")
        .setBackColour(0x000000)
        .setForeColour(display::Cyan);
    u.add("SingleAlabel", ControlKind::Label).setParent("SingleDisplayFrame").setForeColour(display::Yellow);
    u.add("SingleBlabel", ControlKind::Label).setParent("SingleDisplayFrame").setForeColour(display::Cyan);
    u.add("SingleFrequencyLabel", ControlKind::Label)
        .setParent("SingleDisplayFrame")
        .setForeColour(display::Green);
    for (const char* name : {"SingleY1Hi", "SingleY1Lo", "SingleY1Units"})
        u.add(name, ControlKind::Label).setParent("SingleDisplayFrame").setForeColour(display::Yellow);
    for (const char* name : {"SingleY2Hi", "SingleY2Lo", "SingleY2Units"})
        u.add(name, ControlKind::Label).setParent("SingleDisplayFrame").setForeColour(display::Cyan);
    u.at("SingleY1Units").setCaption("dB");
    u.at("SingleY2Units").setCaption("deg");

    // Handlers.
    u.on("DisplayButton", Event::Click, [this](ui::EventArgs&) { DisplayButton_Click(); });
    u.on("displaycombo", Event::Click, [this](ui::EventArgs&) { displaycombo_Click(); });
    u.on("displaycombo", Event::LostFocus, [this](ui::EventArgs&) {
        // Once applied the box is hidden; leaving it then changes nothing.
        if (ui_.at("displaycombo").visible())
            displaycombo_Click();
    });
    u.on("PlotOption", Event::Click, [this](ui::EventArgs& a) { PlotOption_Click(a.index); });
    for (int box = 0; box < 6; ++box) {
        const ScaleBox& b = ScaleBoxes[box];
        u.on(b.button, Event::Click, [this, box](ui::EventArgs&) { scaleButtonClick(box); });
        u.on(b.list, Event::Click, [this, box](ui::EventArgs&) { applyScaleEntry(box, true); });
        u.on(b.list, Event::KeyPress, [this, box](ui::EventArgs& a) { scaleBoxKeyPress(box, a); });
        u.on(b.list, Event::LostFocus, [this, box](ui::EventArgs&) {
            if (ui_.at(ScaleBoxes[box].list).visible())
                applyScaleEntry(box, false);
        });
    }
    u.on("ScaleControl", Event::Click, [this](ui::EventArgs&) { ScaleControl_Click(); });
    u.on("ClearButton", Event::Click, [this](ui::EventArgs&) { ClearButton_Click(); });
    u.on("SendToClipboard", Event::Click, [this](ui::EventArgs&) { SendToClipboard_Click(); });
    u.on("PrintMe", Event::Click, [this](ui::EventArgs&) { PrintMe_Click(); });
    u.on("MarkerOn", Event::Click, [this](ui::EventArgs&) { MarkerOn_Click(); });
    u.on("Option2", Event::Click, [this](ui::EventArgs& a) { Option2_Click(a.index); });
    u.on("Marker", Event::Click, [this](ui::EventArgs& a) { Marker_click(a.index); });
    u.on("MkrCF", Event::Click, [this](ui::EventArgs&) { MkrCF_Click(); });
    u.on("SingleFrequencyLabel", Event::Click, [this](ui::EventArgs&) { SetSweepButton_Click(); });
    for (const char* background : {"Screen1", "DisplayFrame", "Markers"})
        u.on(background, Event::Click, [this](ui::EventArgs&) { CloseOpenLists(); });
}

// ---------------------------------------------------------- small helpers

std::string MainWindow::numberText(double v) { return ui::formatGeneral(v, 15, platform_.decimalSeparator()); }

std::string MainWindow::frequencyText(std::int32_t hz)
{
    return ui::formatPattern(ui::roundDecimals(hz / 1e6, 6), "#0.000000", platform_.decimalSeparator());
}

bool MainWindow::markersShown() { return c("Markers").visible(); }

bool MainWindow::instrumentReady() const
{
    return cal.MeasMode == 1 ? cal.ReflCalValid : cal.TransCalValid;
}

Complex MainWindow::plottedPair(Complex pair)
{
    return cal::ConvertPoint(pair, disp.DisplayCode, cal.RefImpedance);
}

// -------------------------------------------------------- display types

void MainWindow::showDisplayNames()
{
    const std::vector<std::string> entries = display::SplitList(display::DisplayList(cal.MeasMode));
    const int position = disp.DisplayCode - cal.MeasMode * 10;
    if (position < 0 || position >= static_cast<int>(entries.size()))
        return;
    const std::string& t = entries[static_cast<std::size_t>(position)];
    const auto comma = t.find(',');
    const std::string y1Name = t.substr(0, comma);
    const std::string y2Name = comma == std::string::npos ? std::string() : t.substr(comma + 1);
    c("DisplayLabel").setCaption(!t.empty() && t.back() == ',' ? t.substr(0, t.size() - 1) : t);
    c("Y1Label").setCaption(y1Name);
    c("Y2Label").setCaption(y2Name);
    c("PlotOption", 0).setCaption(y1Name);
    c("PlotOption", 1).setCaption(y2Name);
}

void MainWindow::DisplayButton_Click()
{
    // The stored trace holds the quantities of the display being left, and
    // its button goes out of reach below: take it off while it can be.
    MemoryDisplayOff();
    markeroff();
    c("DisplayMemory").setVisible(false);
    c("SaveDataButton").setVisible(false);
    SweepButton_Click(2);
    sweep.PointIndex = 0;

    codeBeforeChooser_ = disp.DisplayCode;
    auto& box = c("displaycombo");
    loadcombo(box, display::DisplayList(cal.MeasMode));
    disp.DisplayCode = static_cast<std::int16_t>(cal.MeasMode * 10);

    c("DisplayButton").setVisible(false).setEnabled(false);
    box.setVisible(true);
    DisplaySet();
    SafeSetFocus("displaycombo");
}

void MainWindow::displaycombo_Click()
{
    auto& box = c("displaycombo");
    const std::string t = chosenText(box);
    if (t.empty())
        return;

    if (sweep.SingleFreqMode) {
        barY1_->clear();
        barY2_->clear();
        c("SingleAlabel").setCaption("");
        c("SingleBlabel").setCaption("");
        if (t == "Smith,") {
            box.setVisible(false);
            c("DisplayButton").setVisible(true).setEnabled(true);
            // Opening the chooser put the mode's first type in force; go back
            // to the type whose names are still on show, so the labels and the
            // bars speak of the same quantity.
            if (disp.DisplayCode != codeBeforeChooser_) {
                disp.DisplayCode = codeBeforeChooser_;
                DisplaySet();
                RefreshScales();
            }
            return;
        }
    }

    const std::vector<std::string> entries = display::SplitList(display::DisplayList(cal.MeasMode));
    const auto found = std::find(entries.begin(), entries.end(), t);
    if (found == entries.end())
        return;

    const auto comma = t.find(',');
    const std::string y1Name = t.substr(0, comma);
    const std::string y2Name = comma == std::string::npos ? std::string() : t.substr(comma + 1);
    c("DisplayLabel").setCaption(!t.empty() && t.back() == ',' ? t.substr(0, t.size() - 1) : t);
    c("Y1Label").setCaption(y1Name);
    c("SingleY1Units").setCaption(y1Name);
    c("PlotOption", 0).setCaption(y1Name);
    c("Y2Label").setCaption(y2Name);
    c("SingleY2Units").setCaption(y2Name);
    c("PlotOption", 1).setCaption(y2Name);
    disp.MarkerSel = 0;
    c("Option2", 0).setValue(1);
    c("Option2", 1).setValueQuietly(0);

    box.setVisible(false);
    c("DisplayButton").setVisible(true).setEnabled(true);

    disp.DisplayCode = static_cast<std::int16_t>(cal.MeasMode * 10 + (found - entries.begin()));
    DisplaySet();

    if (disp.DisplayCode == display::CodeSwr || disp.DisplayCode == display::CodeSmith) {
        disp.PlotSelection = 1;
        c("PlotOption", 0).setValueQuietly(1);
        c("plotframe").setVisible(false);
        c("FreqUnits").setVisible(disp.DisplayCode == display::CodeSwr);
    } else {
        disp.PlotSelection = 3;
        c("PlotOption", 2).setValueQuietly(1);
        c("plotframe").setVisible(true);
        c("FreqUnits").setVisible(true);
    }
    RefreshScales();
    ClearPlot();
}

void MainWindow::DisplaySet()
{
    SweepFrameFunctionsOff();

    const int code = disp.DisplayCode;
    const display::AxisScales defaults = display::DefaultScales(code);
    if (defaults.y1) {
        disp.Y1Top = defaults.y1->top;
        disp.Y1Bottom = defaults.y1->bottom;
    }
    if (defaults.y2) {
        disp.Y2Top = defaults.y2->top;
        disp.Y2Bottom = defaults.y2->bottom;
    }
    const display::ScaleLists lists = display::ScaleValueLists(code, platform_.decimalSeparator());
    const std::optional<std::string>* perBox[6] = {&lists.y1Top, &lists.y1Div, &lists.y1Bottom,
                                                   &lists.y2Top, &lists.y2Div, &lists.y2Bottom};
    for (int box = 0; box < 6; ++box)
        if (*perBox[box])
            loadcombo(c(ScaleBoxes[box].list), **perBox[box]);
    if (code == display::CodeSwr || code == display::CodeSmith)
        c("Ycolour", 2).setVisible(false);

    disp.Y1HiSet = disp.Y1Top;
    disp.Y1LoSet = disp.Y1Bottom;
    disp.Y1DivSet = (disp.Y1Top - disp.Y1Bottom) / 8;
    disp.Y2HiSet = disp.Y2Top;
    disp.Y2LoSet = disp.Y2Bottom;
    disp.Y2DivSet = (disp.Y2Top - disp.Y2Bottom) / 8;

    ClearPlot();
    disp.Y1ClickHistory = 0;
    disp.Y2ClickHistory = 0;
    CheckMachineStatus();
}

// ------------------------------------------------------------ scale entry

void MainWindow::scaleButtonClick(int box)
{
    if (!instrumentReady() || !sweep.StopSweep)
        return;
    c(ScaleBoxes[box].list).setVisible(true);
    SafeSetFocus(ScaleBoxes[box].list);
}

void MainWindow::scaleBoxKeyPress(int box, ui::EventArgs& args)
{
    const int key = args.key;
    if (key == 13) {
        args.key = 0;
        applyScaleEntry(box, false);
        return;
    }
    const bool digit = key >= '0' && key <= '9';
    const bool separator = key == ',' || key == '.';
    const bool sign = key == '+' || key == '-';
    const bool perDivision = ScaleBoxes[box].kind == 2;
    if (!(digit || separator || (sign && !perDivision)))
        args.key = 0;
}

void MainWindow::applyScaleEntry(int box, bool fromList)
{
    const ScaleBox& b = ScaleBoxes[box];
    auto& list = c(b.list);
    const std::string t = fromList ? chosenText(list) : list.text();
    if (ui::trimBlanks(t).empty()) {
        list.setVisible(false);
        return;
    }
    const char sep = platform_.decimalSeparator();
    const std::optional<double> parsed = ui::isNumeric(t, sep) ? ui::parseNumber(t, sep) : std::nullopt;
    // A value beyond single precision would leave no usable scale.
    if (!parsed || !std::isfinite(static_cast<float>(*parsed))) {
        list.setText("").setVisible(false);
        msg("Error in scale entry");
        return;
    }
    if (b.kind == 2 && *parsed <= 0) {
        list.setText("").setVisible(false);
        msg("Only +ve non-zero values allowed");
        return;
    }
    const auto v = static_cast<float>(*parsed);
    float* sets[2][3] = {{&disp.Y1HiSet, &disp.Y1DivSet, &disp.Y1LoSet}, {&disp.Y2HiSet, &disp.Y2DivSet, &disp.Y2LoSet}};
    *sets[b.axis - 1][b.kind - 1] = v;
    c(b.button).setCaption(ui::trimBlanks(t));
    list.setVisible(false);
    if (b.axis == 1)
        Y1Update(b.kind);
    else
        Y2Update(b.kind);
    RefreshScales();
    RedrawTraces();
}

void MainWindow::Y1Update(int last)
{
    std::int16_t& h = disp.Y1ClickHistory;
    if (h % 10 != last)
        h = static_cast<std::int16_t>((h % 10) * 10 + last);
    c("Temp1").setText(std::to_string(h));
}

void MainWindow::Y2Update(int last)
{
    std::int16_t& h = disp.Y2ClickHistory;
    if (h % 10 != last)
        h = static_cast<std::int16_t>((h % 10) * 10 + last);
    c("Temp2").setText(std::to_string(h));
}

bool MainWindow::reconcileAxis(int axis, bool markersOn)
{
    const bool y1 = axis == 1;
    std::int16_t& history = y1 ? disp.Y1ClickHistory : disp.Y2ClickHistory;
    float& top = y1 ? disp.Y1Top : disp.Y2Top;
    float& bottom = y1 ? disp.Y1Bottom : disp.Y2Bottom;
    float& hiSet = y1 ? disp.Y1HiSet : disp.Y2HiSet;
    float& loSet = y1 ? disp.Y1LoSet : disp.Y2LoSet;
    float& divSet = y1 ? disp.Y1DivSet : disp.Y2DivSet;
    auto& hiButton = c(y1 ? "Y1Hi" : "Y2Hi");
    auto& divButton = c(y1 ? "Y1Scale" : "Y2Scale");
    auto& loButton = c(y1 ? "Y1Lo" : "Y2Lo");
    const char sep = platform_.decimalSeparator();

    float newTop = top, newBottom = bottom;
    ui::Control* shows = nullptr;
    float shown = 0;
    switch (history) {
    case 0:
        hiButton.setCaption(FormatScaleValue(top, sep));
        loButton.setCaption(FormatScaleValue(bottom, sep));
        divButton.setCaption(FormatScaleValue((top - bottom) / 8, sep));
        history = 21;
        return true;
    case 12:
    case 21:
        newTop = hiSet;
        newBottom = hiSet - 8 * divSet;
        shows = &loButton;
        shown = newBottom;
        break;
    case 13:
    case 31:
        newTop = hiSet;
        newBottom = loSet;
        divSet = (hiSet - loSet) / 8;
        shows = &divButton;
        shown = divSet;
        break;
    case 23:
    case 32:
        newBottom = loSet;
        newTop = loSet + 8 * divSet;
        shows = &hiButton;
        shown = newTop;
        break;
    default:
        return true;
    }
    if (newTop > newBottom) {
        top = newTop;
        bottom = newBottom;
        shows->setCaption(FormatScaleValue(shown, sep));
        return true;
    }

    // Incompatible: the scale stays as it was, and so do the entered values,
    // so that the buttons and the next reconciliation agree with the plot.
    const float previousDivision = (top - bottom) / 8;
    hiButton.setCaption(FormatScaleValue(top, sep));
    loButton.setCaption(FormatScaleValue(bottom, sep));
    divButton.setCaption(FormatScaleValue(previousDivision, sep));
    hiSet = top;
    loSet = bottom;
    divSet = previousDivision;
    // The refresh took the marker dots off; put them back before leaving.
    if (markersOn)
        UpdateMarkers();
    msg("Incompatible max-div-min values");
    if (top == bottom) {
        // A degenerate scale (an autoscale of a flat trace) is recovered
        // through the autoscale button; with top and bottom entered both of
        // its actions take place.
        const bool bothEnds = history == 13 || history == 31;
        ScaleControl_Click();
        if (bothEnds)
            ScaleControl_Click();
    }
    return false;
}

void MainWindow::RefreshScales()
{
    const char sep = platform_.decimalSeparator();
    const bool markersOn = markersShown();

    // Frequency axis.
    const int points = settings.SweepPoints;
    if (points > 1) {
        const double stepMHz = (static_cast<double>(sweep.SweepEnd) - sweep.SweepStart) / (points - 1) / 1e6;
        c("TellSteps").setCaption(" " + std::to_string(points - 1) + " x "
                                  + ui::formatGeneral(ui::roundDecimals(stepMHz, 5), 15, sep) + "MHz steps");
    }
    // "Plot F=0" moves the left edge to 0 Hz for the captions only; the
    // sweep's own start stays what the list was built from, so the step
    // caption reads the same on every refresh.
    const auto& fix = c("FixX0");
    const double left = fix.value() != 0 && fix.enabled() ? 0.0 : static_cast<double>(sweep.SweepStart);
    c("FreqLeft").setCaption(ui::formatGeneral(left / 1e6, 15, sep));
    c("FreqMid").setCaption(ui::formatGeneral(sweep.SweepF1 / 1e6, 15, sep));
    c("FreqRight").setCaption(ui::formatGeneral(sweep.SweepEnd / 1e6, 15, sep));
    c("FreqUnits").setCaption(ui::formatGeneral(ui::roundDecimals((sweep.SweepEnd - left) / 1e7, 5), 15, sep)
                              + " MHz/div");
    if (markersOn)
        UpdateMarkers();

    // Vertical axes.
    if (!reconcileAxis(1, markersOn) || !reconcileAxis(2, markersOn))
        return;

    // Units.
    const int code = disp.DisplayCode;
    const display::UnitsLabels units = display::UnitsLabelsFor(code);
    if (units.y1)
        c("Y1div").setCaption(*units.y1);
    if (units.y2)
        c("Y2div").setCaption(*units.y2);
    if (code == display::CodeSwr || code == display::CodeSmith) {
        if (code == display::CodeSmith)
            HideY1Axis();
        HideY2Axis();
        c("plotframe").setVisible(false);
    }
    if (code == display::CodeRaw) {
        for (const char* name : {"Y1Hi", "Y2Hi"})
            c(name).setCaption("+2.0");
        for (const char* name : {"Y1Lo", "Y2Lo"})
            c(name).setCaption("-2.0");
        for (const char* name : {"Y1Scale", "Y2Scale"})
            c(name).setCaption("0.5");
        c("Y1Label").setCaption("Real");
        c("Y2Label").setCaption("Imag");
        disp.Y1ClickHistory = 21;
        disp.Y2ClickHistory = 21;
    }

    if (markersOn)
        UpdateMarkers();

    // The single-frequency panel.
    c("SingleY1Hi").setCaption(c("Y1Hi").caption());
    c("SingleY1Lo").setCaption(c("Y1Lo").caption());
    c("SingleY2Hi").setCaption(c("Y2Hi").caption());
    c("SingleY2Lo").setCaption(rtrimBlanks(c("Y2Lo").caption()));
    c("SingleY1Units").setCaption(display::UpToFirstBlank(c("Y1div").caption()));
    c("SingleY2Units").setCaption(display::UpToFirstBlank(c("Y2div").caption()));
}

// ------------------------------------------------------------ plot engine

void MainWindow::DrawGraticule()
{
    if (graticuleShown_)
        return;
    graticuleShown_ = true;
    if (disp.DisplayCode == display::CodeSmith) {
        DrawSmithGrid();
        return;
    }
    display::DrawGraticule(*screen_, settings.GraticuleColour);
}

void MainWindow::DrawSmithGrid()
{
    display::Canvas& s = *screen_;
    s.clear();
    s.setDrawMode(display::DrawMode::Xor);
    display::DrawSmithGridLines(s, settings.GraticuleColour);
    graticuleShown_ = true;
}

void MainWindow::ClearPlot()
{
    if (markersShown())
        markeroff();
    screen_->clear();
    graticuleShown_ = false;
    sweepLine_->clear();
    screen_->setDrawMode(display::DrawMode::Xor);
    DrawGraticule();
    disp.Y1Fresh = true;
    disp.Y2Fresh = true;
    disp.Y1Drawn = 0;
    disp.Y2Drawn = 0;
    storedOnScreen_ = false;
}

void MainWindow::PlotPoint(Complex pair)
{
    const int i = sweep.PointIndex;
    const Complex y = plottedPair(pair);
    if (sweep.SingleFreqMode) {
        showBars(y.re, y.im);
    } else if (i >= 1 && i <= LastPoint) {
        if (disp.DisplayCode == display::CodeSmith) {
            PlotSmithPoint(i, y.re, y.im);
        } else {
            const std::int32_t f = sweep.FreqList[at(i)];
            PlotY1Point(i, f, y.re);
            PlotY2Point(i, f, y.im);
        }
        PlotProgress(i);
    }
    // The sweep runs on the window's own thread: this is where the window
    // takes the stop button and everything else.
    yieldToWindow(true);
}

void MainWindow::limitStep(TraceArray& values, int i)
{
    if (i > 1)
        ClampForPlot(values[static_cast<std::size_t>(i - 1)]);
    ClampForPlot(values[static_cast<std::size_t>(i)]);
}

void MainWindow::PlotY1Point(int i, std::int32_t x, double y) { plotTracePoint(1, i, x, y); }

void MainWindow::PlotY2Point(int i, std::int32_t x, double y) { plotTracePoint(2, i, x, y); }

void MainWindow::plotTracePoint(int axis, int i, std::int32_t x, double y)
{
    const bool y1 = axis == 1;
    if (disp.PlotSelection == (y1 ? 2 : 1) || sweep.SingleFreqMode || i < 1 || i > LastPoint)
        return;
    auto& trace = y1 ? disp.Y1Trace : disp.Y2Trace;
    auto& prevTrace = y1 ? disp.PrevY1Trace : disp.PrevY2Trace;
    float& prevTop = y1 ? disp.PrevScale.Y1Top : disp.PrevScale.Y2Top;
    float& prevBottom = y1 ? disp.PrevScale.Y1Bottom : disp.PrevScale.Y2Bottom;
    const float top = y1 ? disp.Y1Top : disp.Y2Top;
    const float bottom = y1 ? disp.Y1Bottom : disp.Y2Bottom;
    bool& fresh = y1 ? disp.Y1Fresh : disp.Y2Fresh;
    const ui::Rgb colour = y1 ? display::Yellow : display::Cyan;

    display::Canvas& s = *screen_;
    auto& prev = disp.PrevScale;
    const auto k = static_cast<std::size_t>(i);
    s.setScale(prev.XLeft, prevTop, prev.XRight, prevBottom);
    s.setPenColour(colour);
    c("Ycolour", axis).setBackColour(colour);
    trace[k] = y;
    disp.PlotX[k] = x;
    // The previous sweep's segment is erased with the scale it was drawn with.
    if (!fresh) {
        limitStep(prevTrace, i);
        display::DrawTraceStep(s, {.hz = disp.PlotX, .y = prevTrace}, i);
    }
    s.setScale(disp.XLeft, top, disp.XRight, bottom);
    // Limiting through the array keeps what is drawn and what is stored alike.
    limitStep(trace, i);
    display::DrawTraceStep(s, {.hz = disp.PlotX, .y = trace}, i);
    (y1 ? disp.Y1Drawn : disp.Y2Drawn) = static_cast<std::int16_t>(i);
    if (i == settings.SweepPoints) {
        std::copy(trace.begin() + 1, trace.begin() + 1 + i, prevTrace.begin() + 1);
        prevTop = top;
        prevBottom = bottom;
        prev.XLeft = disp.XLeft;
        prev.XRight = disp.XRight;
        fresh = false;
    }
}

void MainWindow::PlotSmithPoint(int i, double re, double im)
{
    if (i < 1 || i > LastPoint)
        return;
    display::Canvas& s = *screen_;
    const auto k = static_cast<std::size_t>(i);
    display::SetSmithDataScale(s);
    s.setPenColour(display::Green);
    c("Ycolour", 1).setBackColour(display::Green);
    disp.Y1Trace[k] = re;
    disp.Y2Trace[k] = im;
    // Only the imaginary parts are limited; a reflection coefficient's real
    // part stays within reach of the chart.
    if (!disp.Y1Fresh) {
        limitStep(disp.PrevY2Trace, i);
        display::DrawTraceStep(s, {.re = disp.PrevY1Trace, .y = disp.PrevY2Trace}, i);
    }
    limitStep(disp.Y2Trace, i);
    display::DrawTraceStep(s, {.re = disp.Y1Trace, .y = disp.Y2Trace}, i);
    disp.Y1Drawn = static_cast<std::int16_t>(i);
    if (i == settings.SweepPoints) {
        disp.Y1Fresh = false;
        std::copy(disp.Y1Trace.begin() + 1, disp.Y1Trace.begin() + 1 + i, disp.PrevY1Trace.begin() + 1);
        std::copy(disp.Y2Trace.begin() + 1, disp.Y2Trace.begin() + 1 + i, disp.PrevY2Trace.begin() + 1);
        disp.PrevScale.Y1Top = disp.Y1Top;
        disp.PrevScale.Y1Bottom = disp.Y1Bottom;
    }
}

void MainWindow::PlotProgress(int i)
{
    if (i < 1 || i > LastPoint)
        return;
    display::Canvas& bar = *sweepLine_;
    bar.setDrawMode(display::DrawMode::Copy);
    bar.setScale(disp.XLeft, 1, disp.XRight, 3);
    bar.setPenColour(display::DarkGreen);
    const auto k = static_cast<std::size_t>(i);
    if (i > 1)
        bar.line(sweep.FreqList[k - 1], 2, sweep.FreqList[k], 2);
    else
        bar.point(sweep.FreqList[1], 2);
    if (i == settings.SweepPoints)
        bar.clear();
}

void MainWindow::RedrawTraces()
{
    sweep.PointIndex = 1;
    if (settings.SweepPoints < 1) {
        sweep.PointIndex = 0;
        return;
    }
    const int n = std::min<int>(settings.SweepPoints, LastPoint);
    for (int i = 1; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (disp.DisplayCode == display::CodeSmith) {
            PlotSmithPoint(i, disp.Y1Trace[k], disp.Y2Trace[k]);
        } else {
            PlotY1Point(i, sweep.FreqList[k], disp.Y1Trace[k]);
            PlotY2Point(i, sweep.FreqList[k], disp.Y2Trace[k]);
        }
    }
    sweep.PointIndex = 0;
}

void MainWindow::DrawStoredTrace()
{
    display::Canvas& s = *screen_;
    // A trace loaded from a file covers only its own range of the sweep.
    const int first = std::max<int>(disp.StoredFirst, 1);
    const int n = std::min<int>({settings.SweepPoints, LastPoint, disp.StoredLast});
    if (n < first)
        return;
    storedOnScreen_ = !storedOnScreen_;
    // The stored values are limited in place, as the live traces are.
    auto limitAll = [first, n](TraceArray& values) {
        for (int j = first; j <= n; ++j)
            ClampForPlot(values[static_cast<std::size_t>(j)]);
    };
    if (disp.DisplayCode == display::CodeSmith) {
        display::SetSmithDataScale(s);
        s.setPenColour(display::Red);
        limitAll(disp.StoredY1);
        limitAll(disp.StoredY2);
        display::DrawTrace(s, {.re = disp.StoredY1, .y = disp.StoredY2, .limitX = true}, first, n);
        return;
    }
    if (disp.PlotSelection != 2) {
        s.setScale(disp.XLeft, disp.Y1Top, disp.XRight, disp.Y1Bottom);
        s.setPenColour(display::Red);
        limitAll(disp.StoredY1);
        display::DrawTrace(s, {.hz = sweep.FreqList, .y = disp.StoredY1}, first, n);
    }
    if (disp.PlotSelection >= 2) {
        s.setScale(disp.XLeft, disp.Y2Top, disp.XRight, disp.Y2Bottom);
        s.setPenColour(display::Green);
        limitAll(disp.StoredY2);
        display::DrawTrace(s, {.hz = sweep.FreqList, .y = disp.StoredY2}, first, n);
    }
}

void MainWindow::ShowFreqAxis()
{
    for (const char* name : {"TellSteps", "FreqLeft", "FreqRight", "FreqUnits"})
        c(name).setVisible(true);
    const bool centreSpan = sweep.SweepKind == 2;
    c("FreqMid").setVisible(centreSpan).setBold(centreSpan);
    c("FreqLeft").setBold(!centreSpan);
    c("FreqRight").setBold(!centreSpan);
}

void MainWindow::HideFreqAxis()
{
    for (const char* name : {"TellSteps", "FreqLeft", "FreqMid", "FreqRight", "FreqUnits"})
        c(name).setVisible(false);
}

void MainWindow::ShowY1Axis()
{
    for (const char* name : {"Y1Hi", "Y1Scale", "Y1Lo", "Y1div", "Y1Label"})
        c(name).setVisible(true);
    c("Ycolour", 1).setVisible(true);
}

void MainWindow::HideY1Axis()
{
    for (const char* name : {"Y1Hi", "Y1Scale", "Y1Lo", "Y1div", "Y1Label"})
        c(name).setVisible(false);
    c("Ycolour", 1).setVisible(false);
}

void MainWindow::ShowY2Axis()
{
    for (const char* name : {"Y2Hi", "Y2Scale", "Y2Lo", "Y2div", "Y2Label"})
        c(name).setVisible(true);
    c("Ycolour", 2).setVisible(true);
}

void MainWindow::HideY2Axis()
{
    for (const char* name : {"Y2Hi", "Y2Scale", "Y2Lo", "Y2div", "Y2Label"})
        c(name).setVisible(false);
    c("Ycolour", 2).setVisible(false);
}

void MainWindow::PlotOption_Click(int index)
{
    if (index < 0 || index > 2)
        return;
    ClearPlot();
    disp.PlotSelection = static_cast<std::int16_t>(index + 1);
    c("Ycolour", 1).setVisible(disp.PlotSelection != 2);
    c("Ycolour", 2).setVisible(disp.PlotSelection != 1);
    if (!sweep.SingleFreqMode) {
        RedrawTraces();
        // The overlay the button says is shown comes back with the new selection.
        if (c("DisplayMemory").caption() == "Hide")
            showStoredTrace(true);
    }
}

void MainWindow::ClearButton_Click()
{
    MemoryDisplayOff();
    ClearPlot();
    c("Markers").setVisible(false);
    c("MarkerOn").setEnabled(false);
    sweep.PointIndex = 0;
    sweep.ResumeIndex = 0;
}

// ---------------------------------------------------------------- markers

void MainWindow::MarkerOn_Click()
{
    c("CalInfo").setVisible(false);
    if (markersShown()) {
        closeMarkerPanel();
        return;
    }
    c("Markers").setVisible(true);
    c("MarkerOn").setCaption("Mkr Off");
    disp.MarkerSel = 0;
    c("Option2", 0).setValue(1);
    c("Option2", 1).setValueQuietly(0);
    disp.MarkerPos = {1, 1};
    for (const char* name : {"markery3", "markery4", "MarkerY5", "MarkerY6", "MarkerF2", "MarkerF3"})
        c(name).setVisible(false);
    UpdateMarkers();
}

void MainWindow::closeMarkerPanel()
{
    UpdateMarkers();
    c("Markers").setVisible(false);
    c("MarkerOn").setCaption("Marker On");
    if (disp.DisplayCode == display::CodeSmith) {
        c("markery3").setVisible(false);
        c("markery4").setVisible(false);
    }
}

void MainWindow::markeroff()
{
    if (markersShown())
        closeMarkerPanel();
}

void MainWindow::Marker_click(int index)
{
    if (index < 0 || index > 5)
        return;
    UpdateMarkers();
    std::int16_t& pos = disp.MarkerPos[disp.MarkerSel == 1 ? 1 : 0];
    const int points = settings.SweepPoints;
    switch (index) {
    case 0: pos = static_cast<std::int16_t>(std::max(pos - 1, 1)); break;
    case 1: pos = static_cast<std::int16_t>(std::max(pos - 10, 1)); break;
    case 2: pos = static_cast<std::int16_t>(std::max(std::min(pos + 1, points), 1)); break;
    case 3: pos = static_cast<std::int16_t>(std::max(std::min(pos + 10, points), 1)); break;
    default: {
        // The first of equal extremes wins; a trace that never beats the
        // start value leaves the marker where it was.
        const TraceArray& trace = disp.PlotSelection == 2 ? disp.Y2Trace : disp.Y1Trace;
        const bool maximum = index == 4;
        float best = maximum ? -1000.0f : 1e6f;
        const int n = std::min(points, LastPoint);
        for (int i = 1; i <= n; ++i) {
            const auto v = static_cast<float>(trace[static_cast<std::size_t>(i)]);
            if (maximum ? v > best : v < best) {
                best = v;
                pos = static_cast<std::int16_t>(i);
            }
        }
        break;
    }
    }
    UpdateMarkers();
}

void MainWindow::Option2_Click(int index)
{
    if (index < 0 || index > 1)
        return;
    disp.MarkerSel = static_cast<std::int16_t>(index);
    if (index == 1)
        for (const char* name : {"markery3", "markery4", "MarkerY5", "MarkerY6", "MarkerF2", "MarkerF3"})
            c(name).setVisible(true);
}

void MainWindow::MkrCF_Click()
{
    const std::int32_t f = sweep.FreqList[at(disp.MarkerPos[disp.MarkerSel == 1 ? 1 : 0])];
    SetSweepButton_Click();
    c("Start_End").setValue(0);
    c("Centre_Span").setValue(1);
    SafeSetFocus("F1text");
    sweep.SweepF1 = f;
    // The span never exceeds a tenth of the new centre.
    if (sweep.SweepF1 / 10.0 < sweep.SweepF2)
        ui::toInt32(sweep.SweepF1 / 10.0, sweep.SweepF2);
    ShowF1Value();
    ShowF2Value();
    SafeSetFocus("F2text");
}

std::vector<display::MarkerTrace> MainWindow::markerTraces()
{
    const int code = disp.DisplayCode;
    const std::size_t a = at(disp.MarkerPos[0]);
    const std::size_t b = at(disp.MarkerPos[1]);
    std::vector<display::MarkerTrace> traces;
    // The dots sit at the limited values, which the arrays then hold.
    auto limited = [&](TraceArray& ys) {
        ClampForPlot(ys[a]);
        ClampForPlot(ys[b]);
        return std::span<const double>(ys);
    };
    if (code == display::CodeSmith) {
        traces.push_back({{.re = disp.Y1Trace, .y = limited(disp.Y2Trace)},
                          {-1.25, 1, 1.25, -1},
                          display::Green});
        return traces;
    }
    if (disp.PlotSelection != 2)
        traces.push_back({{.hz = sweep.FreqList, .y = limited(disp.Y1Trace)},
                          {static_cast<double>(disp.XLeft), disp.Y1Top, static_cast<double>(disp.XRight), disp.Y1Bottom},
                          display::Yellow});
    if (disp.PlotSelection >= 2 && code != display::CodeSwr)
        traces.push_back({{.hz = sweep.FreqList, .y = limited(disp.Y2Trace)},
                          {static_cast<double>(disp.XLeft), disp.Y2Top, static_cast<double>(disp.XRight), disp.Y2Bottom},
                          display::Cyan});
    return traces;
}

void MainWindow::UpdateMarkers()
{
    const int code = disp.DisplayCode;
    const std::size_t a = at(disp.MarkerPos[0]);
    const std::size_t b = at(disp.MarkerPos[1]);
    display::DrawMarkers(*screen_, markerTraces(), static_cast<int>(a), static_cast<int>(b));

    const std::string units1 = display::FirstChars(c("Y1div").caption(), 3);
    const std::string units2 = display::FirstChars(c("Y2div").caption(), 3);
    auto valueText = [this](double v, int decimals, const std::string& units) {
        return numberText(ui::roundDecimals(v, decimals)) + " " + units;
    };
    auto polarTexts = [this](Complex z, ui::Control& magnitude, ui::Control& angle) {
        const Complex p = cal::CToPolar(z);
        magnitude.setCaption(numberText(ui::roundDecimals(p.re, 4)) + " ");
        angle.setCaption(numberText(ui::roundDecimals(p.im * cal::RadToDeg, 1)) + " deg");
    };

    if (code != display::CodeSmith) {
        c("Markerlabel").setCaption("");
        c("MarkerY1").setCaption(valueText(disp.Y1Trace[a], 3, units1));
        c("markery3").setCaption(valueText(disp.Y1Trace[b], 3, units1));
        if (code == display::CodeSwr) {
            for (const char* name : {"MarkerY2", "markery4", "MarkerY6"})
                c(name).setCaption("");
        } else {
            const int decimals = code == display::CodeGroupDelay ? 3 : 2;
            c("MarkerY2").setCaption(valueText(disp.Y2Trace[a], decimals, units2));
            c("markery4").setCaption(valueText(disp.Y2Trace[b], decimals, units2));
        }
    } else {
        polarTexts({disp.Y1Trace[a], disp.Y2Trace[a]}, c("MarkerY1"), c("MarkerY2"));
        polarTexts({disp.Y1Trace[b], disp.Y2Trace[b]}, c("markery3"), c("markery4"));
    }

    c("MarkerFreq").setCaption(frequencyText(sweep.FreqList[a]) + " MHz");
    c("MarkerF2").setCaption(frequencyText(sweep.FreqList[b]) + " MHz");
    const double apart = std::fabs(static_cast<double>(sweep.FreqList[a]) - sweep.FreqList[b]);
    c("MarkerF3").setCaption(
        ui::formatPattern(ui::roundDecimals(apart / 1e6, 6), "#0.000000", platform_.decimalSeparator()) + " MHz");

    const double d1 = disp.Y1Trace[b] - disp.Y1Trace[a];
    const double d2 = disp.Y2Trace[b] - disp.Y2Trace[a];
    if (code != display::CodeSmith) {
        c("MarkerY5").setCaption(valueText(d1, 2, units1));
        if (code != display::CodeSwr)
            c("MarkerY6").setCaption(valueText(d2, 2, units2));
    } else {
        polarTexts({std::fabs(d1), d2}, c("MarkerY5"), c("MarkerY6"));
    }
}

// -------------------------------------------------------------- autoscale

void MainWindow::ScaleControl_Click()
{
    const int code = disp.DisplayCode;
    if (code == display::CodeSmith)
        return;
    if (markersShown())
        UpdateMarkers();
    showStoredTrace(false);
    disp.Y1ClickHistory = 0;
    disp.Y2ClickHistory = 0;

    auto& button = c("ScaleControl");
    const bool y1 = disp.PlotSelection != 2;
    const bool y2 = disp.PlotSelection >= 2;
    const int points = settings.SweepPoints;
    if (button.caption() == "Max Range") {
        const display::AxisScales full = display::FullRangeScales(code);
        if (y1 && full.y1) {
            disp.Y1Top = full.y1->top;
            disp.Y1Bottom = full.y1->bottom;
        }
        if (y2 && full.y2) {
            disp.Y2Top = full.y2->top;
            disp.Y2Bottom = full.y2->bottom;
        }
        button.setCaption("Autoscale");
    } else if (button.caption() == "Autoscale") {
        if (y1) {
            const display::ScalePair fit = display::FitY1(disp.Y1Trace, points, code);
            disp.Y1Top = fit.top;
            disp.Y1Bottom = fit.bottom;
        }
        if (y2) {
            const display::ScalePair fit = display::FitY2(disp.Y2Trace, points, code);
            disp.Y2Top = fit.top;
            disp.Y2Bottom = fit.bottom;
        }
        button.setCaption("Max Range");
    }

    disp.Y1HiSet = disp.Y1Top;
    disp.Y1LoSet = disp.Y1Bottom;
    disp.Y1DivSet = (disp.Y1Top - disp.Y1Bottom) / 8;
    disp.Y2HiSet = disp.Y2Top;
    disp.Y2LoSet = disp.Y2Bottom;
    disp.Y2DivSet = (disp.Y2Top - disp.Y2Bottom) / 8;
    RefreshScales();
    RedrawTraces();
    if (markersShown())
        UpdateMarkers();
    if (c("DisplayMemory").caption() == "Hide")
        showStoredTrace(true);
}

// ------------------------------------------------- single-frequency display

void MainWindow::drawBar(display::Canvas& bar, float bottom, float top, double value, ui::Rgb colour)
{
    // Each reading replaces the last, so a falling value shows a shorter bar.
    bar.clear();
    bar.setDrawMode(display::DrawMode::Copy);
    bar.setScale(bottom, 1, top, 3);
    bar.setPenColour(colour);
    bar.fillRect(bottom, 1, value, 3, colour);
}

void MainWindow::showBars(double y1, double y2)
{
    const char sep = platform_.decimalSeparator();
    // Values are limited as the plot limits them: an infinite standing-wave
    // ratio reads as the limit, as it does on the plot and in the markers.
    auto readout = [sep](double v, const char* pattern, const std::string& units) {
        if (std::isinf(v))
            v = std::copysign(display::PlotLimit, v);
        if (v < display::PlotLimit)
            return ui::formatPattern(ui::roundDecimals(v, 3), pattern, sep) + " " + units + " ";
        return ">1 Meg" + units;
    };
    auto limited = [](double v) {
        ClampForPlot(v);
        return v;
    };

    if (disp.PlotSelection != 2) {
        drawBar(*barY1_, disp.Y1Bottom, disp.Y1Top, limited(y1), display::Yellow);
        c("SingleAlabel").setCaption(readout(y1, "##0.00", display::FirstChars(c("Y1div").caption(), 3)));
    } else {
        c("SingleAlabel").setCaption("");
        barY1_->clear();
    }
    if (disp.PlotSelection != 1) {
        drawBar(*barY2_, disp.Y2Bottom, disp.Y2Top, limited(y2), display::Cyan);
        c("SingleBlabel").setCaption(readout(y2, "##0.0", display::FirstChars(c("Y2div").caption(), 3)));
    } else {
        c("SingleBlabel").setCaption("");
        barY2_->clear();
    }
    c("SingleFrequencyLabel").setCaption(frequencyText(sweep.FreqList[at(sweep.PointIndex)]) + " MHz ");
}

} // namespace orbilan::app
