// The plot's drawing surface on a QPainter: the same description the raster
// canvas draws with its exclusive-or pen, painted anti-aliased at the
// painter's own resolution (a widget on any screen, a printer, a PDF page).
// Traces are whole polylines, markers labelled triangles, captions text.
#pragma once

#include <vector>

#include <QColor>
#include <QFont>
#include <QRectF>

#include "display/plot_scene.h"
#include "display/surface.h"

class QPainter;

namespace orbilan::gui {

class PainterSurface : public display::Surface {
public:
    struct Style {
        // Line widths in the painter's units.
        double gridWidth = 1.0;
        double outlineWidth = 1.5;
        double traceWidth = 2.0;
        double storedWidth = 1.5;
        double markerSize = 7.0; // half the width of a marker's triangle
        QFont font;
        // Paper: every colour printed as its inverse, as the printed page
        // has always shown the plot (black background white).
        bool invert = false;
    };

    // `plot` is where the scale's edges land; captions go around it.
    PainterSurface(QPainter& painter, const QRectF& plot, Style style);
    ~PainterSurface() override;

    void setScale(double left, double top, double right, double bottom) override;
    void setPenColour(ui::Rgb colour) override { colour_ = colour; }
    void setPenWidth(int width) override { width_ = width; }
    int penWidth() const override { return width_; }
    void point(double x, double y) override;
    void line(double x1, double y1, double x2, double y2) override;
    void circle(double cx, double cy, double r) override;
    void arc(double cx, double cy, double r, double startAngle, double endAngle) override;
    void polyline(std::span<const display::UserPoint> points) override;
    void marker(double x, double y, char label, ui::Rgb traceColour) override;
    void text(double x, double y, const std::string& text, display::TextAnchor anchor) override;
    void setRole(display::DrawRole role) override;

    // User coordinates of the present scale to the painter's, and back.
    QPointF map(double x, double y) const;
    display::UserPoint unmap(const QPointF& p) const;
    QColor colour(ui::Rgb rgb) const;

private:
    void applyPen();
    double lineWidth() const;

    QPainter& painter_;
    QRectF plot_;
    Style style_;
    double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
    ui::Rgb colour_ = 0xFFFFFF;
    int width_ = 1;
    display::DrawRole role_ = display::DrawRole::Grid;
    // Captions already placed: one that would overlap them is left out, so
    // a narrow plot shows every other division's value instead of a smudge.
    std::vector<QRectF> captions_;
};

// Readout lines in a box at the top right corner of the plot, each in its
// colour, over a dark translucent background (marker readouts).
void DrawReadoutBox(QPainter& painter, const QRectF& plot, const std::vector<display::ReadoutLine>& lines,
                    const QFont& font);

} // namespace orbilan::gui
