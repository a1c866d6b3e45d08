#include "app/plot_scene.h"

#include <algorithm>

#include "app/main_window.h"
#include "display/scales.h"

namespace orbilan::app {

namespace {

constexpr int LastPoint = cal::PointArraySize - 1;

std::vector<double> copyOf(const TraceArray& a) { return {a.begin(), a.end()}; }
std::vector<std::int32_t> copyOf(const FreqArray& a) { return {a.begin(), a.end()}; }

bool shown(const MainWindow& w, const char* name)
{
    const ui::Control* c = w.controls().find(name);
    return c && c->visible();
}

std::string captionOf(const MainWindow& w, const char* name, int index = -1)
{
    const ui::Control* c = w.controls().find(name, index);
    return c ? c->caption() : std::string();
}

} // namespace

display::PlotScene PlotSceneOf(const MainWindow& w)
{
    using display::SceneTrace;
    const DisplayState& d = w.disp;
    const int code = d.DisplayCode;
    const int points = std::clamp<int>(w.settings.SweepPoints, 0, LastPoint);

    display::PlotScene scene;
    scene.smith = code == display::CodeSmith;
    scene.gridColour = w.settings.GraticuleColour;
    scene.z0 = w.cal.RefImpedance.re;
    scene.decimalSeparator = w.decimalSeparator();
    scene.y1Name = captionOf(w, "Y1Label");
    scene.y2Name = captionOf(w, "Y2Label");
    scene.y1Units = display::UpToFirstBlank(captionOf(w, "Y1div"));
    scene.y2Units = display::UpToFirstBlank(captionOf(w, "Y2div"));

    const double left = d.XLeft, right = d.XRight;
    scene.frequencyCaptions = shown(w, "FreqLeft") && right > left;
    scene.captions.leftHz = left;
    scene.captions.rightHz = right;
    const bool y1 = d.PlotSelection != 2;
    const bool y2 = d.PlotSelection != 1 && code != display::CodeSwr;
    if (!scene.smith && y1 && shown(w, "Y1Label"))
        scene.captions.y1 = display::AxisCaptions{d.Y1Top, d.Y1Bottom, scene.y1Units, display::Yellow};
    if (!scene.smith && y2 && shown(w, "Y2Label"))
        scene.captions.y2 = display::AxisCaptions{d.Y2Top, d.Y2Bottom, scene.y2Units, display::Cyan};

    // Each trace as the raster has it: the present pass up to its last
    // point in the present scale; the previous pass beyond it in the scale
    // it was drawn with, until the sweep gets there.
    auto passes = [&](const TraceArray* re, const TraceArray& now, const TraceArray& before, bool fresh,
                      int drawn, display::PlotScale nowScale, display::PlotScale beforeScale, ui::Rgb colour) {
        SceneTrace previous;
        if (re) {
            previous.re = copyOf(w.disp.PrevY1Trace);
        } else {
            previous.hz = copyOf(d.PlotX);
        }
        previous.y = copyOf(before);
        previous.scale = beforeScale;
        previous.colour = colour;
        previous.first = std::max(drawn, 1);
        previous.last = fresh ? 0 : points;
        if (previous.last > previous.first)
            scene.traces.push_back(std::move(previous));
        SceneTrace present;
        if (re)
            present.re = copyOf(*re);
        else
            present.hz = copyOf(d.PlotX);
        present.y = copyOf(now);
        present.scale = nowScale;
        present.colour = colour;
        present.last = std::min(drawn, points);
        if (present.last >= 1)
            scene.traces.push_back(std::move(present));
    };
    const display::PlotScale smithScale{-1.25, 1, 1.25, -1};
    const auto& prev = d.PrevScale;
    if (scene.smith) {
        passes(&d.Y1Trace, d.Y2Trace, d.PrevY2Trace, d.Y1Fresh, d.Y1Drawn, smithScale, smithScale, display::Green);
    } else {
        if (y1)
            passes(nullptr, d.Y1Trace, d.PrevY1Trace, d.Y1Fresh, d.Y1Drawn, {left, d.Y1Top, right, d.Y1Bottom},
                   {static_cast<double>(prev.XLeft), prev.Y1Top, static_cast<double>(prev.XRight), prev.Y1Bottom},
                   display::Yellow);
        if (d.PlotSelection != 1)
            passes(nullptr, d.Y2Trace, d.PrevY2Trace, d.Y2Fresh, d.Y2Drawn, {left, d.Y2Top, right, d.Y2Bottom},
                   {static_cast<double>(prev.XLeft), prev.Y2Top, static_cast<double>(prev.XRight), prev.Y2Bottom},
                   display::Cyan);
    }

    // What the mouse readout reads: the point as the plot shows it.
    scene.pointHz.assign(static_cast<std::size_t>(points) + 1, 0);
    scene.pointY1.assign(static_cast<std::size_t>(points) + 1, 0);
    scene.pointY2.assign(static_cast<std::size_t>(points) + 1, 0);
    scene.pointShown.assign(static_cast<std::size_t>(points) + 1, false);
    const int drawn = y1 || scene.smith ? d.Y1Drawn : d.Y2Drawn;
    const bool fresh = y1 || scene.smith ? d.Y1Fresh : d.Y2Fresh;
    for (int k = 1; k <= points; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const bool present = k <= drawn;
        scene.pointShown[i] = present || !fresh;
        scene.pointHz[i] = d.PlotX[i];
        scene.pointY1[i] = present ? d.Y1Trace[i] : d.PrevY1Trace[i];
        scene.pointY2[i] = present ? d.Y2Trace[i] : d.PrevY2Trace[i];
    }

    if (w.storedTraceOnPlot() && points >= 1) {
        auto stored = [&](const TraceArray& values, display::PlotScale scale, ui::Rgb colour, bool smith) {
            SceneTrace t;
            if (smith) {
                t.re = copyOf(d.StoredY1);
                t.limitX = true;
            } else {
                t.hz = copyOf(w.sweep.FreqList);
            }
            t.y = copyOf(values);
            t.scale = scale;
            t.colour = colour;
            t.role = display::DrawRole::StoredTrace;
            // A trace loaded from a file covers only its own range.
            t.first = std::max<int>(d.StoredFirst, 1);
            t.last = std::min<int>(points, d.StoredLast);
            scene.traces.push_back(std::move(t));
        };
        if (scene.smith) {
            stored(d.StoredY2, smithScale, display::Red, true);
        } else {
            if (d.PlotSelection != 2)
                stored(d.StoredY1, {left, d.Y1Top, right, d.Y1Bottom}, display::Red, false);
            if (d.PlotSelection >= 2)
                stored(d.StoredY2, {left, d.Y2Top, right, d.Y2Bottom}, display::Green, false);
        }
    }

    scene.markersShown = shown(w, "Markers");
    if (scene.markersShown) {
        scene.markerA = std::clamp<int>(d.MarkerPos[0], 0, LastPoint);
        scene.markerB = std::clamp<int>(d.MarkerPos[1], 0, LastPoint);
        auto on = [&](const TraceArray* re, const TraceArray& values, display::PlotScale scale, ui::Rgb colour) {
            SceneTrace t;
            if (re)
                t.re = copyOf(*re);
            else
                t.hz = copyOf(w.sweep.FreqList);
            t.y = copyOf(values);
            t.scale = scale;
            t.colour = colour;
            t.role = display::DrawRole::Marker;
            scene.markerTraces.push_back(std::move(t));
        };
        if (scene.smith) {
            on(&d.Y1Trace, d.Y2Trace, smithScale, display::Green);
        } else {
            if (y1)
                on(nullptr, d.Y1Trace, {left, d.Y1Top, right, d.Y1Bottom}, display::Yellow);
            if (d.PlotSelection >= 2 && code != display::CodeSwr)
                on(nullptr, d.Y2Trace, {left, d.Y2Top, right, d.Y2Bottom}, display::Cyan);
        }

        // The readouts the marker panel shows, and on the Smith chart the
        // series equivalent at each marker's frequency.
        auto line = [&](const std::string& head, const char* f, const char* v1, const char* v2) {
            std::string text = head + captionOf(w, f);
            for (const char* name : {v1, v2})
                if (const std::string value = captionOf(w, name); !value.empty())
                    text += "   " + value;
            return text;
        };
        const char sep = scene.decimalSeparator;
        scene.readout.push_back({line("A  ", "MarkerFreq", "MarkerY1", "MarkerY2"), 0xFFFFFF});
        auto series = [&](int k) {
            const auto i = static_cast<std::size_t>(k);
            return "    Z " + display::SeriesEquivalentText(
                                 display::SeriesEquivalentOf(d.Y1Trace[i], d.Y2Trace[i], scene.z0,
                                                             w.sweep.FreqList[i]),
                                 sep);
        };
        if (scene.smith)
            scene.readout.push_back({series(scene.markerA), 0xFFFFFF});
        scene.readout.push_back({line("B  ", "MarkerF2", "markery3", "markery4"), 0xFFFFFF});
        if (scene.smith)
            scene.readout.push_back({series(scene.markerB), 0xFFFFFF});
        scene.readout.push_back({line("B-A  ", "MarkerF3", "MarkerY5", "MarkerY6"), 0xC0C0C0});
    }
    return scene;
}

} // namespace orbilan::app
