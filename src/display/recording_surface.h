// A surface that keeps every drawing call as a value: what a description
// drew, in which colour, role and scale, for tests and for anyone who wants
// to look at a picture without rendering it.
#pragma once

#include <string>
#include <vector>

#include "display/plot_drawing.h"
#include "display/surface.h"

namespace orbilan::display {

struct DrawnItem {
    enum class Kind { Point, Line, Circle, Arc, Polyline, Marker, Text } kind = Kind::Point;
    DrawRole role = DrawRole::Grid;
    ui::Rgb colour = 0;
    int penWidth = 1;
    PlotScale scale;
    // Point: one; line: two; circle and arc: the centre; polyline: all.
    std::vector<UserPoint> points;
    double radius = 0, startAngle = 0, endAngle = 0;
    char label = 0;              // marker
    ui::Rgb traceColour = 0;     // marker
    std::string text;            // text
    TextAnchor anchor = TextAnchor::Centre;
};

class RecordingSurface : public Surface {
public:
    std::vector<DrawnItem> items;

    // The items of one kind (and role, when given).
    std::vector<DrawnItem> of(DrawnItem::Kind kind) const;
    std::vector<DrawnItem> of(DrawnItem::Kind kind, DrawRole role) const;

    void setScale(double left, double top, double right, double bottom) override;
    void setPenColour(ui::Rgb colour) override { colour_ = colour; }
    void setPenWidth(int width) override { width_ = width; }
    int penWidth() const override { return width_; }
    void point(double x, double y) override;
    void line(double x1, double y1, double x2, double y2) override;
    void circle(double cx, double cy, double r) override;
    void arc(double cx, double cy, double r, double startAngle, double endAngle) override;
    void polyline(std::span<const UserPoint> points) override;
    void marker(double x, double y, char label, ui::Rgb traceColour) override;
    void text(double x, double y, const std::string& text, TextAnchor anchor) override;
    void setRole(DrawRole role) override { role_ = role; }

private:
    DrawnItem& add(DrawnItem::Kind kind);

    PlotScale scale_;
    ui::Rgb colour_ = 0xFFFFFF;
    int width_ = 1;
    DrawRole role_ = DrawRole::Grid;
};

} // namespace orbilan::display
