#include "display/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orbilan::display {

namespace {

constexpr double TwoPi = 6.283185307179586476925;

int roundPixel(double v) { return static_cast<int>(std::floor(v + 0.5)); }

} // namespace

bool ClipSegment(double ax, double ay, double bx, double by, double xmin, double ymin, double xmax,
                 double ymax, double& t0, double& t1)
{
    t0 = 0;
    t1 = 1;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - xmin, xmax - ax, ay - ymin, ymax - ay};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0)
                return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
    }
    return true;
}

Canvas::Canvas(int width, int height, ui::Rgb background)
    : width_(width < 1 ? 1 : width), height_(height < 1 ? 1 : height), background_(background & 0xFFFFFF),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), background_)
{
}

void Canvas::clear()
{
    std::fill(pixels_.begin(), pixels_.end(), background_);
    ++revision_;
}

void Canvas::setScale(double left, double top, double right, double bottom)
{
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

bool Canvas::map(double x, double y, double& px, double& py) const
{
    const double w = right_ - left_;
    const double h = bottom_ - top_;
    if (w == 0 || h == 0)
        return false;
    px = (x - left_) / w * (width_ - 1);
    py = (y - top_) / h * (height_ - 1);
    return std::isfinite(px) && std::isfinite(py);
}

double Canvas::pixelsPerUnitX() const
{
    const double w = right_ - left_;
    return w == 0 ? 0 : std::fabs((width_ - 1) / w);
}

void Canvas::point(double x, double y)
{
    double px = 0, py = 0;
    if (!map(x, y, px, py))
        return;
    // Far outside: nothing to draw, and no integer overflow either.
    if (px < -64 || py < -64 || px > width_ + 64 || py > height_ + 64)
        return;
    std::vector<Pixel> shape{{roundPixel(px), roundPixel(py)}};
    paint(shape, pen_);
}

void Canvas::line(double x1, double y1, double x2, double y2)
{
    double ax = 0, ay = 0, bx = 0, by = 0;
    if (!map(x1, y1, ax, ay) || !map(x2, y2, bx, by))
        return;
    // Clip to the area with a small margin first: scales far smaller than the
    // values would otherwise ask for lines billions of pixels long.
    double t0 = 0, t1 = 1;
    if (!ClipSegment(ax, ay, bx, by, -2, -2, width_ + 1, height_ + 1, t0, t1))
        return;
    const bool startClipped = t0 > 0;
    const double sx = ax + t0 * (bx - ax), sy = ay + t0 * (by - ay);
    const double ex = ax + t1 * (bx - ax), ey = ay + t1 * (by - ay);
    int x = roundPixel(sx), y = roundPixel(sy);
    const int xe = roundPixel(ex), ye = roundPixel(ey);

    std::vector<Pixel> shape;
    shape.reserve(static_cast<std::size_t>(std::abs(xe - x) + std::abs(ye - y) + 1));
    // Bresenham. The starting pixel belongs to whatever was drawn before
    // (the previous segment or the first point), unless it was cut away.
    const int dx = std::abs(xe - x), stepX = x < xe ? 1 : -1;
    const int dy = -std::abs(ye - y), stepY = y < ye ? 1 : -1;
    int err = dx + dy;
    if (startClipped)
        shape.push_back({x, y});
    while (x != xe || y != ye) {
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += stepX;
        }
        if (e2 <= dx) {
            err += dx;
            y += stepY;
        }
        shape.push_back({x, y});
    }
    paint(shape, pen_);
}

void Canvas::circle(double cx, double cy, double r) { curve(cx, cy, r, 0, TwoPi, true); }

void Canvas::arc(double cx, double cy, double r, double startAngle, double endAngle)
{
    if (!std::isfinite(startAngle) || !std::isfinite(endAngle))
        return;
    double sweep = endAngle - startAngle;
    while (sweep < 0)
        sweep += TwoPi;
    curve(cx, cy, r, startAngle, sweep, false);
}

void Canvas::curve(double cx, double cy, double r, double a0, double sweep, bool closed)
{
    double px = 0, py = 0;
    if (!map(cx, cy, px, py) || !std::isfinite(r))
        return;
    const double rp = std::fabs(r) * pixelsPerUnitX();
    // Bounded: a curve far larger than the area is not drawn at all.
    if (rp > 64.0 * (width_ + height_) || !std::isfinite(rp))
        return;
    const int samples = std::max(8, static_cast<int>(std::ceil(sweep * rp * 2.0)));
    std::vector<Pixel> shape;
    shape.reserve(static_cast<std::size_t>(samples) + 1);
    for (int k = 0; k <= samples; ++k) {
        if (closed && k == samples)
            break; // the full turn ends where it began
        const double a = a0 + sweep * k / samples;
        // Screen rows grow downwards: counterclockwise on the screen is up.
        const Pixel p{roundPixel(px + rp * std::cos(a)), roundPixel(py - rp * std::sin(a))};
        if (!shape.empty() && shape.back().x == p.x && shape.back().y == p.y)
            continue;
        // Drop the corner pixel of an L step, so the curve is one pixel thin.
        if (shape.size() >= 2) {
            const Pixel& q = shape[shape.size() - 2];
            if (std::abs(q.x - p.x) <= 1 && std::abs(q.y - p.y) <= 1)
                shape.pop_back();
        }
        shape.push_back(p);
    }
    paint(shape, pen_);
}

void Canvas::fillRect(double x1, double y1, double x2, double y2, ui::Rgb fill)
{
    double ax = 0, ay = 0, bx = 0, by = 0;
    if (!map(x1, y1, ax, ay) || !map(x2, y2, bx, by))
        return;
    const double limitX = width_ + 2.0, limitY = height_ + 2.0;
    auto limit = [](double v, double hi) { return std::clamp(v, -2.0, hi); };
    const int l = roundPixel(limit(std::min(ax, bx), limitX)), r = roundPixel(limit(std::max(ax, bx), limitX));
    const int t = roundPixel(limit(std::min(ay, by), limitY)), b = roundPixel(limit(std::max(ay, by), limitY));
    const ui::Rgb outline = pen_;
    fill &= 0xFFFFFF;
    bool touched = false;
    for (int y = std::max(t, 0); y <= std::min(b, height_ - 1); ++y) {
        for (int x = std::max(l, 0); x <= std::min(r, width_ - 1); ++x) {
            const bool edge = x == l || x == r || y == t || y == b;
            std::uint32_t& p = pixels_[static_cast<std::size_t>(y) * width_ + x];
            const ui::Rgb colour = edge ? outline : fill;
            p = mode_ == DrawMode::Xor ? (p ^ colour) : colour;
            touched = true;
        }
    }
    if (touched)
        ++revision_;
}

void Canvas::paint(std::vector<Pixel>& shape, ui::Rgb colour)
{
    std::vector<std::uint32_t> indices;
    const int lo = -(penWidth_ - 1) / 2;
    const int hi = lo + penWidth_ - 1;
    indices.reserve(shape.size() * static_cast<std::size_t>(penWidth_ * penWidth_));
    for (const Pixel& p : shape)
        for (int dy = lo; dy <= hi; ++dy)
            for (int dx = lo; dx <= hi; ++dx) {
                const int x = p.x + dx, y = p.y + dy;
                if (x >= 0 && y >= 0 && x < width_ && y < height_)
                    indices.push_back(static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(width_)
                                      + static_cast<std::uint32_t>(x));
            }
    if (indices.empty())
        return;
    // A pixel painted twice by one shape would cancel itself under XOR.
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (std::uint32_t i : indices)
        pixels_[i] = mode_ == DrawMode::Xor ? (pixels_[i] ^ colour) : colour;
    ++revision_;
}

} // namespace orbilan::display
