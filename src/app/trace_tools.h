// The trace tools beside the main window: a reference trace loaded from a
// Touchstone file as the stored trace, trace math against the stored or
// loaded trace, limit lines with a pass/fail lamp, and the marker searches
// for bandwidth, resonance and the SWR band. The analysis is done by the
// analysis layer; this class owns the tools' state and controls, takes each
// finished sweep from the window and reaches into it only through a few
// hooks (the point about to be plotted, Store, Show) and its public
// procedures (drawing the stored trace, redrawing, the markers).
//
// Its controls form their own set, "TraceTools", so that a front end may put
// them in menus and dialogs rather than on the form; they are reached by
// name like every other control ("TraceTools.LoadReference").
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/limits.h"
#include "analysis/summary.h"
#include "analysis/trace_math.h"
#include "cal/measured_sweep.h"
#include "touchstone/touchstone.h"
#include "ui/control.h"
#include "ui/state_registry.h"

namespace orbilan::app {

class MainWindow;

class TraceTools {
public:
    static constexpr const char* WindowName = "TraceTools";

    // Creates the controls, names the state in `state` and installs the
    // window's hooks. The window outlives the tools.
    TraceTools(MainWindow& window, ui::StateRegistry& state);
    ~TraceTools();
    TraceTools(const TraceTools&) = delete;
    TraceTools& operator=(const TraceTools&) = delete;

    ui::ControlSet& controls() { return ui_; }
    const ui::ControlSet& controls() const { return ui_; }

    // ------------------------------------------------------ reference trace
    void LoadReference_Click();
    // The file the stored trace came from ("" for a trace stored from a sweep).
    const std::string& referenceFile() const { return referenceFile_; }
    // The memory trace math works against: the stored trace's measured
    // points, or the loaded file's; empty when there is none.
    const analysis::Memory& memory() const { return memory_; }

    // ------------------------------------------------------ trace math
    // 0 data, 1 data - memory, 2 data / memory.
    void TraceMath_Click(int index);
    int traceMath() const { return math_; }
    // The corrected point that point i (1-based) shows: data, or data
    // against the memory.
    cal::Complex shownPoint(int i, cal::Complex point);
    // The last complete pass as it is shown (trace math applied), for the
    // present sweep and mode; nothing when there is no such pass.
    std::optional<cal::MeasuredSweep> shownSweep() const;

    // ------------------------------------------------------ limit lines
    void LoadLimits_Click();
    void SaveLimits_Click();
    void ClearLimits_Click();
    // Applies the text of LimitText (one segment per line, as in a file).
    void ApplyLimits_Click();
    const std::vector<analysis::LimitSegment>& limits() const { return limits_; }
    // The limit check of the last complete pass; nothing before one, or
    // without limits on a quantity of its mode.
    const std::optional<analysis::LimitCheck>& lastCheck() const { return check_; }
    // The segments drawn on one axis (1 or 2) of a display type.
    std::vector<analysis::LimitSegment> limitsShownOn(int displayCode, int axis) const;

    // ------------------------------------------------------ marker searches
    void SearchBandwidth_Click();
    void SearchResonance_Click();
    void SearchSwrBand_Click();
    // What the last search found (names as orbilan-cli analyse prints them).
    const analysis::Summary& lastSearch() const { return search_; }

    // ------------------------------------------------------ the window's calls
    // Store has copied the displayed trace: it becomes the memory.
    void traceStored();
    // Show is about to draw the stored trace: a loaded one is converted to
    // the present display type and sweep first.
    void storedTraceAboutToShow();

    // ------------------------------------------------------ Save Data
    // The Save Data dialog's filter: Touchstone beside CSV when the last
    // complete pass is the present sweep's and has a Touchstone form.
    std::string dataFileFilter() const;
    struct TouchstoneSave {
        bool touchstone = false;  // the name asks for Touchstone
        std::string text;         // the file; empty when refused (the user was told)
    };
    // What Save Data writes for `path` as Touchstone, with the user's comment.
    TouchstoneSave touchstoneFor(const std::string& path, const std::string& comment);

private:
    void setupControls();
    void setupState(ui::StateRegistry& state);
    void sweepFinished(const cal::MeasuredSweep& sweep);
    void storeEmptied();
    // Converts the memory to the present display type at the present sweep's
    // frequencies into the window's stored trace.
    void convertReference();
    void refreshReference();
    // A loaded file serves the present mode when it can (a two-port's S11 in
    // reflection, its S21 in transmission): true when the memory is of it.
    bool referenceForMode();
    // The measured sweep now on screen as a memory.
    analysis::Memory memoryOfWorkingSweep() const;
    bool mathApplies() const;
    void setMath(int index);
    // Replots every point from its corrected value (after a change of math).
    void replot();
    void checkLimits();
    void showLimitState();
    bool setLimits(const std::string& text, const std::string& source);
    void updateEnabled();
    // A search over the shown sweep; false (with the result label saying
    // why) when there is nothing to search.
    std::optional<cal::MeasuredSweep> searchable(bool reflection);
    // Moves markers A and B (B may be absent) to the points nearest the
    // frequencies, switching the markers on when they can be.
    void placeMarkers(std::optional<double> a, std::optional<double> b);
    void showSearch(const std::string& heading);
    std::optional<double> number(const std::string& box, double above, const std::string& what);
    std::string mhz(double hz) const;
    void message(const std::string& text, const std::string& title);

    MainWindow& w_;
    ui::ControlSet ui_{WindowName};

    analysis::Memory memory_;
    std::string referenceFile_;
    touchstone::Data referenceData_;   // the loaded file, for another mode
    struct ConversionKey {
        int displayCode = -1;
        std::vector<std::int32_t> hz;
        friend bool operator==(const ConversionKey&, const ConversionKey&) = default;
    } converted_;
    int math_ = 0;
    class WindowWatch;
    std::unique_ptr<WindowWatch> watch_;

    std::vector<analysis::LimitSegment> limits_;
    std::string limitsFile_;
    std::optional<analysis::LimitCheck> check_;

    analysis::Summary search_;
};

} // namespace orbilan::app
