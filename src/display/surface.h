// What the plot is drawn on. The raster canvas is one surface: the program's
// own picture, drawn with an exclusive-or pen. A desktop view is another: it
// paints the same description at its own size and resolution. The plot's
// grid, traces and markers are described once (plot_drawing.h) as calls on
// this interface, in user coordinates of the scale set last.
//
// The raster needs only the first group of calls. The others carry what a
// view can show beyond pixels: whole polylines, labelled markers, captions,
// and the role of what is drawn, so that a view can give traces their width
// and grid lines theirs. Their defaults reduce them to the raster's calls.
#pragma once

#include <span>
#include <string>

#include "ui/control.h"

namespace orbilan::display {

struct UserPoint {
    double x = 0;
    double y = 0;
};

// Liang-Barsky: clips the segment a->b to the box [xmin, xmax] x [ymin, ymax];
// on true the kept part runs from a + t0 (b - a) to a + t1 (b - a), and on
// false none of it lies inside. Every surface clips its lines with it.
bool ClipSegment(double ax, double ay, double bx, double by, double xmin, double ymin, double xmax, double ymax,
                 double& t0, double& t1);

// What the following calls draw.
enum class DrawRole {
    Grid,        // graticule and Smith grid lines
    GridOutline, // the Smith chart's unit circle
    Trace,       // a measured trace
    StoredTrace, // the stored trace overlaid for comparison
    Overlay,     // items a tool adds on top (limit lines ...)
    Marker,
    Caption,     // axis and grid captions
};

// Where a caption sits against its point.
enum class TextAnchor {
    LeftOf,  // ends just left of the point, vertically centred
    RightOf, // starts just right of the point
    Above,   // centred, just above
    Below,   // centred, just below
    AboveLeft,  // ends left of the point, above it (units over a column of values)
    AboveRight, // starts right of the point, above it
    Centre,
};

class Surface {
public:
    virtual ~Surface() = default;

    // The user coordinates of the four edges (see Canvas::setScale).
    virtual void setScale(double left, double top, double right, double bottom) = 0;
    virtual void setPenColour(ui::Rgb colour) = 0;
    virtual void setPenWidth(int width) = 0;
    virtual int penWidth() const = 0;

    virtual void point(double x, double y) = 0;
    virtual void line(double x1, double y1, double x2, double y2) = 0;
    // Radii in horizontal units; angles in radians, counterclockwise on the screen.
    virtual void circle(double cx, double cy, double r) = 0;
    virtual void arc(double cx, double cy, double r, double startAngle, double endAngle) = 0;

    // A trace: its first point, then a segment to each following point.
    virtual void polyline(std::span<const UserPoint> points);
    // Marker A or B on a trace. The raster shows a dot in the pen colour; a
    // view may add the label and draw it in the trace's colour.
    virtual void marker(double x, double y, char label, ui::Rgb traceColour);
    // A caption in the pen colour; the raster has none.
    virtual void text(double x, double y, const std::string& text, TextAnchor anchor);
    virtual void setRole(DrawRole role);
};

} // namespace orbilan::display
