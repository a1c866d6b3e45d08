#include "display/recording_surface.h"

namespace orbilan::display {

std::vector<DrawnItem> RecordingSurface::of(DrawnItem::Kind kind) const
{
    std::vector<DrawnItem> found;
    for (const DrawnItem& item : items)
        if (item.kind == kind)
            found.push_back(item);
    return found;
}

std::vector<DrawnItem> RecordingSurface::of(DrawnItem::Kind kind, DrawRole role) const
{
    std::vector<DrawnItem> found;
    for (const DrawnItem& item : items)
        if (item.kind == kind && item.role == role)
            found.push_back(item);
    return found;
}

void RecordingSurface::setScale(double left, double top, double right, double bottom)
{
    scale_ = {left, top, right, bottom};
}

DrawnItem& RecordingSurface::add(DrawnItem::Kind kind)
{
    DrawnItem& item = items.emplace_back();
    item.kind = kind;
    item.role = role_;
    item.colour = colour_;
    item.penWidth = width_;
    item.scale = scale_;
    return item;
}

void RecordingSurface::point(double x, double y) { add(DrawnItem::Kind::Point).points = {{x, y}}; }

void RecordingSurface::line(double x1, double y1, double x2, double y2)
{
    add(DrawnItem::Kind::Line).points = {{x1, y1}, {x2, y2}};
}

void RecordingSurface::circle(double cx, double cy, double r)
{
    DrawnItem& item = add(DrawnItem::Kind::Circle);
    item.points = {{cx, cy}};
    item.radius = r;
}

void RecordingSurface::arc(double cx, double cy, double r, double startAngle, double endAngle)
{
    DrawnItem& item = add(DrawnItem::Kind::Arc);
    item.points = {{cx, cy}};
    item.radius = r;
    item.startAngle = startAngle;
    item.endAngle = endAngle;
}

void RecordingSurface::polyline(std::span<const UserPoint> points)
{
    add(DrawnItem::Kind::Polyline).points.assign(points.begin(), points.end());
}

void RecordingSurface::marker(double x, double y, char label, ui::Rgb traceColour)
{
    DrawnItem& item = add(DrawnItem::Kind::Marker);
    item.points = {{x, y}};
    item.label = label;
    item.traceColour = traceColour;
}

void RecordingSurface::text(double x, double y, const std::string& text, TextAnchor anchor)
{
    DrawnItem& item = add(DrawnItem::Kind::Text);
    item.points = {{x, y}};
    item.text = text;
    item.anchor = anchor;
}

} // namespace orbilan::display
