// Everything the plot area shows at one moment, as a plain value: the grid
// and its captions, each stretch of trace with the scale it was drawn in,
// the stored trace, the markers and their readouts. A view draws it whole,
// at its own size, through the same description the raster is drawn with;
// the window model says what is on its plot by building one (app/plot_scene.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/plot_drawing.h"
#include "display/surface.h"

namespace orbilan::display {

// One stretch of trace: points first..last of its arrays (indexed by point
// number, element 0 unused), in the scale it is on the plot with.
struct SceneTrace {
    std::vector<std::int32_t> hz; // empty on the Smith chart
    std::vector<double> re;       // the Smith chart's real parts
    std::vector<double> y;
    bool limitX = false;
    PlotScale scale;
    ui::Rgb colour = 0;
    DrawRole role = DrawRole::Trace;
    int first = 1, last = 0;

    TraceLine line() const { return {hz, re, y, limitX}; }
};

// One line of the marker readout box.
struct ReadoutLine {
    std::string text;
    ui::Rgb colour = 0xFFFFFF;
};

struct PlotScene {
    bool smith = false;
    ui::Rgb gridColour = 0x404040;
    bool frequencyCaptions = false;  // the frequency axis is shown
    GridCaptions captions;           // rectangular displays; y1/y2 only where shown
    double z0 = 50;
    char decimalSeparator = '.';

    // Drawn in order: the previous pass where the sweep has not yet come,
    // the present pass, the stored trace.
    std::vector<SceneTrace> traces;

    bool markersShown = false;
    int markerA = 1, markerB = 1;
    std::vector<SceneTrace> markerTraces; // the traces the markers sit on
    std::vector<ReadoutLine> readout;

    // What the plot shows at each point (for the mouse readout): frequency
    // and both values (on the Smith chart the reflection coefficient), and
    // whether the point is on the plot at all.
    std::vector<std::int32_t> pointHz;
    std::vector<double> pointY1, pointY2;
    std::vector<bool> pointShown;
    std::string y1Name, y2Name, y1Units, y2Units; // y2Name empty: one quantity
};

struct SceneOptions {
    bool captions = true;   // axis captions and the Smith chart's values
    ui::Rgb captionColour = 0xC0C0C0;
};

// The picture: the grid (with captions), the traces, the markers.
void DrawPlotScene(Surface& surface, const PlotScene& scene, const SceneOptions& options = {});

// The point nearest a place on the plot: on a rectangular display the point
// nearest in frequency, on the Smith chart the nearest in the plane of the
// reflection coefficient. 0 when no point is on the plot.
int NearestPoint(const PlotScene& scene, double x, double y);
// Frequency and values of a point as one line of text.
std::string PointText(const PlotScene& scene, int k);

// The series equivalent of a reflection coefficient against z0 at hz: R + jX
// and the inductance (X > 0) or capacitance (X < 0) of the reactance.
struct SeriesEquivalent {
    bool finite = true; // false at the open-circuit point
    double r = 0, x = 0;
    double henry = 0, farad = 0; // the one that applies, else 0
};
SeriesEquivalent SeriesEquivalentOf(double gammaRe, double gammaIm, double z0, double hz);
// "12.3 + j45.6 ohm   L 1.23 µH"; "open circuit" where Z is infinite.
std::string SeriesEquivalentText(const SeriesEquivalent& z, char decimalSeparator = '.');
// A value with an SI prefix and three significant digits: "1.23 µH", "470 pF".
std::string EngineeringText(double v, const std::string& unit, char decimalSeparator = '.');

} // namespace orbilan::display
