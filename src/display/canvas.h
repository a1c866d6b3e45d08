// The plot area as our own raster: an RGB32 pixel buffer drawn through a user
// coordinate system. It is the program's own picture of the plot, one of the
// surfaces the plot's description is drawn on (surface.h). Drawing happens with an exclusive-or pen by default, so
// drawing the same thing twice restores every pixel: traces, marker dots and
// the stored-trace overlay are all removed that way.
//
// Rasterisation is a pure function of the arguments, the scale and the pen,
// and every primitive touches each of its pixels exactly once. A line covers
// the pixels after its starting point up to and including its end point, so a
// trace drawn as a point followed by segment after segment covers every pixel
// of the polyline once, and erasing it segment by segment leaves nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "display/surface.h"
#include "ui/control.h"
#include "ui/platform.h"

namespace orbilan::display {

enum class DrawMode {
    Xor,  // pixel = pixel ^ colour
    Copy, // pixel = colour
};

class Canvas : public Surface {
public:
    Canvas(int width, int height, ui::Rgb background = 0x000000);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    std::uint32_t pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    ui::Image image() const { return ui::Image{width_, height_, pixels_}; }

    // Fills the whole area with the background colour.
    void clear();
    ui::Rgb background() const { return background_; }

    // The user coordinates of the four edges for the drawing calls that
    // follow. The mapping is linear: the left edge lands on the first pixel
    // column and the right edge on the last, likewise top and bottom rows.
    // A scale with equal left and right (or top and bottom) maps nothing, and
    // nothing is drawn until a usable scale is set.
    void setScale(double left, double top, double right, double bottom) override;

    void setPenColour(ui::Rgb colour) override { pen_ = colour & 0xFFFFFF; }
    ui::Rgb penColour() const { return pen_; }
    // A pen of width w paints a w x w square at every pixel of the shape.
    void setPenWidth(int width) override { penWidth_ = width < 1 ? 1 : (width > 16 ? 16 : width); }
    int penWidth() const override { return penWidth_; }
    void setDrawMode(DrawMode mode) { mode_ = mode; }
    DrawMode drawMode() const { return mode_; }

    void point(double x, double y) override;
    void line(double x1, double y1, double x2, double y2) override;
    // Radii are measured in horizontal units, so a circle stays round on a
    // scale whose units differ across and down.
    void circle(double cx, double cy, double r) override;
    // Runs counterclockwise on the screen from startAngle to endAngle
    // (radians from the rightward direction), whatever the scale's
    // orientation; an end below the start goes once more round.
    void arc(double cx, double cy, double r, double startAngle, double endAngle) override;
    // Interior in `fill`, outline in the pen colour; values beyond the edges
    // run off the area.
    void fillRect(double x1, double y1, double x2, double y2, ui::Rgb fill);

    // Counts every change, so a front end can repaint only when needed.
    std::uint64_t revision() const { return revision_; }

private:
    struct Pixel {
        int x, y;
    };
    bool map(double x, double y, double& px, double& py) const;
    double pixelsPerUnitX() const;
    void curve(double cx, double cy, double r, double a0, double sweep, bool closed);
    // Widens by the pen, removes duplicates, paints each pixel once.
    void paint(std::vector<Pixel>& shape, ui::Rgb colour);

    int width_;
    int height_;
    ui::Rgb background_;
    std::vector<std::uint32_t> pixels_;
    std::uint64_t revision_ = 0;

    double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
    ui::Rgb pen_ = 0xFFFFFF;
    int penWidth_ = 1;
    DrawMode mode_ = DrawMode::Xor;
};

} // namespace orbilan::display
