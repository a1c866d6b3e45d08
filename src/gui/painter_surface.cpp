#include "gui/painter_surface.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "gui/qt_text.h"

namespace orbilan::gui {

namespace {

constexpr double RadToDeg = 57.29577951308232;
constexpr double CaptionGap = 4.0;

// The part of a->b inside the box; false when none is.
bool clip(QPointF& a, QPointF& b, const QRectF& box)
{
    double t0 = 0, t1 = 1;
    if (!display::ClipSegment(a.x(), a.y(), b.x(), b.y(), box.left(), box.top(), box.right(), box.bottom(), t0, t1))
        return false;
    const QPointF start = a, step = b - a;
    a = start + t0 * step;
    b = start + t1 * step;
    return true;
}

bool finite(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

} // namespace

PainterSurface::PainterSurface(QPainter& painter, const QRectF& plot, Style style)
    : painter_(painter), plot_(plot), style_(std::move(style))
{
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setFont(style_.font);
    setRole(display::DrawRole::Grid);
}

PainterSurface::~PainterSurface() { painter_.restore(); }

void PainterSurface::setScale(double left, double top, double right, double bottom)
{
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

QPointF PainterSurface::map(double x, double y) const
{
    const double w = right_ - left_, h = bottom_ - top_;
    if (w == 0 || h == 0)
        return {std::nan(""), std::nan("")};
    return {plot_.left() + (x - left_) / w * plot_.width(), plot_.top() + (y - top_) / h * plot_.height()};
}

display::UserPoint PainterSurface::unmap(const QPointF& p) const
{
    return {left_ + (p.x() - plot_.left()) / plot_.width() * (right_ - left_),
            top_ + (p.y() - plot_.top()) / plot_.height() * (bottom_ - top_)};
}

QColor PainterSurface::colour(ui::Rgb rgb) const
{
    if (style_.invert)
        rgb = ~rgb & 0xFFFFFF;
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

double PainterSurface::lineWidth() const
{
    switch (role_) {
    case display::DrawRole::Grid: return style_.gridWidth;
    case display::DrawRole::GridOutline: return style_.outlineWidth;
    case display::DrawRole::Trace: return style_.traceWidth;
    case display::DrawRole::StoredTrace:
    case display::DrawRole::Overlay: return style_.storedWidth;
    case display::DrawRole::Marker:
    case display::DrawRole::Caption: return style_.gridWidth;
    }
    return style_.gridWidth;
}

void PainterSurface::applyPen()
{
    QPen pen(colour(colour_));
    pen.setWidthF(lineWidth());
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
}

void PainterSurface::setRole(display::DrawRole role)
{
    role_ = role;
    // Captions stand around the plot; everything else stays inside it.
    if (role == display::DrawRole::Caption)
        painter_.setClipping(false);
    else
        painter_.setClipRect(plot_.adjusted(-1, -1, 1, 1));
}

void PainterSurface::point(double x, double y)
{
    const QPointF p = map(x, y);
    if (!finite(p) || !plot_.adjusted(-64, -64, 64, 64).contains(p))
        return;
    applyPen();
    painter_.drawPoint(p);
}

void PainterSurface::line(double x1, double y1, double x2, double y2)
{
    QPointF a = map(x1, y1), b = map(x2, y2);
    if (!finite(a) || !finite(b) || !clip(a, b, plot_.adjusted(-64, -64, 64, 64)))
        return;
    applyPen();
    painter_.drawLine(a, b);
}

void PainterSurface::polyline(std::span<const display::UserPoint> points)
{
    if (points.empty())
        return;
    applyPen();
    if (points.size() == 1) {
        point(points[0].x, points[0].y);
        return;
    }
    // Values far beyond the scale are cut at a margin around the plot, piece
    // by piece, so that the painter never sees coordinates it cannot hold.
    const QRectF box = plot_.adjusted(-64, -64, 64, 64);
    QPolygonF piece;
    auto flush = [&] {
        if (piece.size() >= 2)
            painter_.drawPolyline(piece);
        piece.clear();
    };
    for (std::size_t k = 1; k < points.size(); ++k) {
        QPointF a = map(points[k - 1].x, points[k - 1].y), b = map(points[k].x, points[k].y);
        const QPointF end = b;
        if (!finite(a) || !finite(b) || !clip(a, b, box)) {
            flush();
            continue;
        }
        if (piece.isEmpty() || piece.last() != a) {
            flush();
            piece << a;
        }
        piece << b;
        if (b != end)
            flush();
    }
    flush();
}

void PainterSurface::circle(double cx, double cy, double r)
{
    const QPointF c = map(cx, cy);
    const double w = right_ - left_;
    const double rp = w == 0 ? 0 : std::fabs(r * plot_.width() / w);
    if (!finite(c) || !std::isfinite(rp) || rp > 64.0 * (plot_.width() + plot_.height()))
        return;
    applyPen();
    painter_.drawEllipse(c, rp, rp);
}

void PainterSurface::arc(double cx, double cy, double r, double startAngle, double endAngle)
{
    const QPointF c = map(cx, cy);
    const double w = right_ - left_;
    const double rp = w == 0 ? 0 : std::fabs(r * plot_.width() / w);
    if (!finite(c) || !std::isfinite(rp) || !std::isfinite(startAngle) || !std::isfinite(endAngle)
        || rp > 64.0 * (plot_.width() + plot_.height()))
        return;
    double sweep = endAngle - startAngle;
    while (sweep < 0)
        sweep += 2 * 3.14159265358979323846;
    // Screen angles, counterclockwise: QPainter's own convention.
    const QRectF box(c.x() - rp, c.y() - rp, 2 * rp, 2 * rp);
    QPainterPath path;
    path.arcMoveTo(box, startAngle * RadToDeg);
    path.arcTo(box, startAngle * RadToDeg, sweep * RadToDeg);
    applyPen();
    painter_.drawPath(path);
}

void PainterSurface::marker(double x, double y, char label, ui::Rgb traceColour)
{
    const QPointF p = map(x, y);
    if (!finite(p) || !plot_.adjusted(-1, -1, 1, 1).contains(p))
        return;
    // A triangle pointing down at the point, the letter above it.
    const double s = style_.markerSize;
    QPolygonF triangle;
    triangle << p << QPointF(p.x() - s, p.y() - 1.7 * s) << QPointF(p.x() + s, p.y() - 1.7 * s);
    QPen outline(style_.invert ? QColor(Qt::white) : QColor(Qt::black));
    outline.setWidthF(style_.gridWidth);
    painter_.setPen(outline);
    painter_.setBrush(colour(traceColour));
    painter_.drawPolygon(triangle);
    const QString letter(QChar::fromLatin1(label));
    QFont bold = style_.font;
    bold.setBold(true);
    painter_.setFont(bold);
    const QFontMetricsF metrics(bold, painter_.device());
    const QRectF box(p.x() - s * 2, p.y() - 1.7 * s - metrics.height() - 1, s * 4, metrics.height());
    painter_.setPen(colour(traceColour));
    painter_.drawText(box, Qt::AlignHCenter | Qt::AlignBottom, letter);
    painter_.setFont(style_.font);
    painter_.setBrush(Qt::NoBrush);
}

void PainterSurface::text(double x, double y, const std::string& text, display::TextAnchor anchor)
{
    const QPointF p = map(x, y);
    if (!finite(p))
        return;
    const QString t = qs(text);
    const QFontMetricsF metrics(painter_.font(), painter_.device());
    const QSizeF size(metrics.horizontalAdvance(t), metrics.height());
    QPointF topLeft;
    using A = display::TextAnchor;
    switch (anchor) {
    case A::LeftOf: topLeft = {p.x() - CaptionGap - size.width(), p.y() - size.height() / 2}; break;
    case A::RightOf: topLeft = {p.x() + CaptionGap, p.y() - size.height() / 2}; break;
    case A::Above: topLeft = {p.x() - size.width() / 2, p.y() - CaptionGap / 2 - size.height()}; break;
    case A::Below: topLeft = {p.x() - size.width() / 2, p.y() + CaptionGap / 2}; break;
    case A::AboveLeft: topLeft = {p.x() - CaptionGap - size.width(), p.y() - size.height() - size.height() / 2}; break;
    case A::AboveRight: topLeft = {p.x() + CaptionGap, p.y() - size.height() - size.height() / 2}; break;
    case A::Centre: topLeft = {p.x() - size.width() / 2, p.y() - size.height() / 2}; break;
    }
    const QRectF box(topLeft, size);
    for (const QRectF& placed : captions_)
        if (placed.intersects(box.adjusted(-2, 0, 2, 0)))
            return;
    captions_.push_back(box);
    painter_.setPen(colour(colour_));
    painter_.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, t);
}

void DrawReadoutBox(QPainter& painter, const QRectF& plot, const std::vector<display::ReadoutLine>& lines,
                    const QFont& font)
{
    if (lines.empty())
        return;
    painter.save();
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    double width = 0;
    for (const display::ReadoutLine& line : lines)
        width = std::max(width, metrics.horizontalAdvance(qs(line.text)));
    const double pad = 6;
    const QRectF box(plot.right() - width - 2 * pad - 4, plot.top() + 4, width + 2 * pad,
                     metrics.height() * static_cast<double>(lines.size()) + 2 * pad);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.setBrush(QColor(0, 0, 0, 200));
    painter.drawRoundedRect(box, 4, 4);
    double y = box.top() + pad;
    for (const display::ReadoutLine& line : lines) {
        painter.setPen(QColor((line.colour >> 16) & 0xFF, (line.colour >> 8) & 0xFF, line.colour & 0xFF));
        painter.drawText(QRectF(box.left() + pad, y, width + 1, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         qs(line.text));
        y += metrics.height();
    }
    painter.restore();
}

} // namespace orbilan::gui
