#include "display/surface.h"

namespace orbilan::display {

void Surface::polyline(std::span<const UserPoint> points)
{
    if (points.empty())
        return;
    point(points[0].x, points[0].y);
    for (std::size_t k = 1; k < points.size(); ++k)
        line(points[k - 1].x, points[k - 1].y, points[k].x, points[k].y);
}

void Surface::marker(double x, double y, char, ui::Rgb) { point(x, y); }

void Surface::text(double, double, const std::string&, TextAnchor) {}

void Surface::setRole(DrawRole) {}

} // namespace orbilan::display
