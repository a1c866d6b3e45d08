#include "display/plot_drawing.h"

#include <charconv>
#include <cmath>

#include "display/scales.h"

namespace orbilan::display {

void ApplyScale(Surface& surface, const PlotScale& scale)
{
    surface.setScale(scale.left, scale.top, scale.right, scale.bottom);
}

void DrawGraticule(Surface& surface, ui::Rgb colour)
{
    surface.setScale(0, 0, XDivisions, YDivisions);
    surface.setPenColour(colour);
    surface.setRole(DrawRole::Grid);
    for (int x = 1; x < XDivisions; ++x)
        surface.line(x, 0, x, YDivisions);
    for (int y = 1; y < YDivisions; ++y)
        surface.line(0, y, XDivisions, y);
}

std::vector<std::string> DivisionTexts(double first, double last, int divisions, char decimalSeparator)
{
    std::vector<std::string> texts;
    if (divisions < 1 || !std::isfinite(first) || !std::isfinite(last))
        return texts;
    const double step = (last - first) / divisions;
    // The fewest decimals that still tell one division from the next.
    int decimals = 0;
    const double size = std::fabs(step);
    if (size > 0)
        while (decimals < 6) {
            const double scale = std::pow(10.0, decimals);
            if (std::fabs(std::nearbyint(size * scale) / scale - size) <= size * 1e-3)
                break;
            ++decimals;
        }
    for (int k = 0; k <= divisions; ++k) {
        double v = k == divisions ? last : first + k * step;
        const double scale = std::pow(10.0, decimals);
        v = std::nearbyint(v * scale) / scale + 0.0; // no "-0"
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
        std::string text(buffer, end.ec == std::errc() ? end.ptr : buffer);
        for (char& ch : text)
            if (ch == '.')
                ch = decimalSeparator;
        texts.push_back(std::move(text));
    }
    return texts;
}

void DrawGraticuleCaptions(Surface& surface, const GridCaptions& captions)
{
    surface.setScale(0, 0, XDivisions, YDivisions);
    surface.setRole(DrawRole::Caption);
    const char sep = captions.decimalSeparator;
    const std::vector<std::string> frequencies =
        DivisionTexts(captions.leftHz / captions.xUnit, captions.rightHz / captions.xUnit, XDivisions, sep);
    // The ends first: where a narrow view has no room for every caption, it
    // keeps those it was given first.
    auto inOrder = [](std::size_t n) {
        std::vector<std::size_t> order;
        if (n > 0)
            order.push_back(0);
        if (n > 1)
            order.push_back(n - 1);
        for (std::size_t k = 1; k + 1 < n; ++k)
            order.push_back(k);
        return order;
    };
    surface.setPenColour(captions.colour);
    for (std::size_t k : inOrder(frequencies.size())) {
        const bool last = k + 1 == frequencies.size();
        const std::string units = last && !captions.xUnitText.empty() ? " " + captions.xUnitText : "";
        surface.text(static_cast<double>(k), YDivisions, frequencies[k] + units, TextAnchor::Below);
    }
    auto axis = [&](const AxisCaptions& a, double x, TextAnchor valueAnchor, TextAnchor unitsAnchor) {
        surface.setPenColour(a.colour);
        if (!a.units.empty())
            surface.text(x, 0, a.units, unitsAnchor);
        const std::vector<std::string> values = DivisionTexts(a.top, a.bottom, YDivisions, sep);
        for (std::size_t k : inOrder(values.size()))
            surface.text(x, static_cast<double>(k), values[k], valueAnchor);
    };
    if (captions.y1)
        axis(*captions.y1, 0, TextAnchor::LeftOf, TextAnchor::AboveLeft);
    if (captions.y2)
        axis(*captions.y2, XDivisions, TextAnchor::RightOf, TextAnchor::AboveRight);
}

float PlotValue(double v) { return ClampForPlot(v); }

UserPoint TracePoint(const TraceLine& trace, int k)
{
    const auto i = static_cast<std::size_t>(k);
    double x = 0;
    if (!trace.hz.empty())
        x = i < trace.hz.size() ? static_cast<double>(trace.hz[i]) : 0.0;
    else if (i < trace.re.size())
        x = trace.limitX ? static_cast<double>(PlotValue(trace.re[i])) : trace.re[i];
    const double y = i < trace.y.size() ? static_cast<double>(PlotValue(trace.y[i])) : 0.0;
    return {x, y};
}

void DrawTraceStep(Surface& surface, const TraceLine& trace, int i)
{
    if (i > 1) {
        const UserPoint from = TracePoint(trace, i - 1);
        const UserPoint to = TracePoint(trace, i);
        surface.line(from.x, from.y, to.x, to.y);
    } else {
        const UserPoint p = TracePoint(trace, 1);
        surface.point(p.x, p.y);
    }
}

void DrawTrace(Surface& surface, const TraceLine& trace, int first, int last)
{
    if (first < 1 || last < first)
        return;
    std::vector<UserPoint> points;
    points.reserve(static_cast<std::size_t>(last - first + 1));
    for (int k = first; k <= last; ++k)
        points.push_back(TracePoint(trace, k));
    surface.polyline(points);
}

void DrawMarkers(Surface& surface, std::span<const MarkerTrace> traces, int a, int b)
{
    const int width = surface.penWidth();
    surface.setPenWidth(2);
    surface.setRole(DrawRole::Marker);
    for (const MarkerTrace& t : traces) {
        ApplyScale(surface, t.scale);
        const UserPoint pa = TracePoint(t.line, a);
        surface.setPenColour(Green);
        surface.marker(pa.x, pa.y, 'A', t.colour);
        const UserPoint pb = TracePoint(t.line, b);
        surface.setPenColour(Red);
        surface.marker(pb.x, pb.y, 'B', t.colour);
    }
    surface.setPenWidth(width);
}

} // namespace orbilan::display
