// The plot's picture, described once: the graticule and its captions, the
// traces, the stored trace and the markers, as drawing calls on a Surface.
// The window model draws through these on its raster, point by point with
// the exclusive-or pen; a view draws the same description whole, at its own
// size (plot_scene.h).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "display/surface.h"

namespace orbilan::display {

// The user coordinates of the plot's four edges.
struct PlotScale {
    double left = 0, top = 0, right = 1, bottom = 1;
};
void ApplyScale(Surface& surface, const PlotScale& scale);

// The graticule: 10 divisions across, 8 down.
inline constexpr int XDivisions = 10;
inline constexpr int YDivisions = 8;

// The grid lines in the graticule's own scale (0..10 across, 0..8 down);
// none on the edges, which are the plot area's border.
void DrawGraticule(Surface& surface, ui::Rgb colour);

struct AxisCaptions {
    double top = 0, bottom = 0;
    std::string units; // "dB", "ohm" ... ("" for a ratio)
    ui::Rgb colour = 0xFFFFFF;
};
struct GridCaptions {
    double leftHz = 0, rightHz = 0;
    ui::Rgb colour = 0xFFFFFF;       // the frequency captions
    // How the horizontal axis is written: its edges divided by xUnit, the
    // last value followed by xUnitText. Frequencies in MHz; another axis
    // (distance, time) gives its edges in its own base unit.
    double xUnit = 1e6;
    std::string xUnitText = "MHz";
    std::optional<AxisCaptions> y1;  // left edge
    std::optional<AxisCaptions> y2;  // right edge
    char decimalSeparator = '.';
};
// A caption at every division of both axes: frequencies (in MHz) under the
// plot, Y1 values left of it and Y2 values right of it, each axis with its
// units above the values.
void DrawGraticuleCaptions(Surface& surface, const GridCaptions& captions);

// The values at the n + 1 division lines from `first` to `last`, written
// with as many decimals as the division step needs (at most 6).
std::vector<std::string> DivisionTexts(double first, double last, int divisions, char decimalSeparator = '.');

// The value a plotted number is drawn at: ClampForPlot without writing back.
float PlotValue(double v);

// A trace as the plot draws it: point k lies at (x(k), PlotValue(y(k))).
// A rectangular trace takes x from its frequency list; the Smith chart from
// the real parts, which are limited only when `limitX` is set (the stored
// trace's are, the live trace's are not).
struct TraceLine {
    std::span<const std::int32_t> hz{};
    std::span<const double> re{};
    std::span<const double> y{};
    bool limitX = false;
};
UserPoint TracePoint(const TraceLine& trace, int k);
// One step of a trace as the sweep draws it: point 1 itself, any later point
// the segment from its predecessor.
void DrawTraceStep(Surface& surface, const TraceLine& trace, int i);
// Points first..last as one polyline.
void DrawTrace(Surface& surface, const TraceLine& trace, int first, int last);

// Markers A and B on one trace: A's dot green, B's red, of pen width 2.
struct MarkerTrace {
    TraceLine line;
    PlotScale scale;
    ui::Rgb colour = 0; // the trace's own colour
};
void DrawMarkers(Surface& surface, std::span<const MarkerTrace> traces, int a, int b);

} // namespace orbilan::display
