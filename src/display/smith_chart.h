// The Smith chart grid: the real axis, the unit circle and the constant
// resistance and reactance curves, with arc limits that keep the chart
// uncluttered near the open-circuit point.
#pragma once

#include <vector>

#include "display/surface.h"

namespace orbilan::display {

// One curve in the reflection-coefficient plane, imaginary axis up. Angles
// in degrees, counterclockwise from the positive real direction; a full
// circle has no angles.
struct SmithCurve {
    const char* name;
    double cx, cy, radius;
    bool fullCircle;
    double startDeg, endDeg;
};
const std::vector<SmithCurve>& SmithGridCurves();

// The grid's own scale (the vertical axis pointing down) and the data's
// (pointing up); both put inductive reactance in the upper half.
void SetSmithGridScale(Surface& surface);
void SetSmithDataScale(Surface& surface);

// Draws the grid lines (on the raster in its present drawing mode: under XOR
// a second call removes them again).
void DrawSmithGridLines(Surface& surface, ui::Rgb colour);

// The normalised resistance values along the real axis and the reactance
// values at the rim, in the grid's scale, as captions in `colour`.
void DrawSmithGridValues(Surface& surface, ui::Rgb colour);

} // namespace orbilan::display
