#include "display/smith_chart.h"

#include "cal/complex.h"

namespace orbilan::display {

const std::vector<SmithCurve>& SmithGridCurves()
{
    // Resistance r: centre (r/(1+r), 0), radius 1/(1+r). Reactance x: centre
    // (1, 1/x), radius 1/|x|. The resistance 1 and 0.5 circles stop at the
    // +-5 reactance arcs and the 0.2 circle at the +-2 arcs; the +-0.5 and
    // +-1 arcs run from the unit circle to the resistance-4 circle, the +-0.2
    // arcs to the resistance-2 circle, the +-2 and +-5 arcs from the unit
    // circle to the open-circuit point.
    static const std::vector<SmithCurve> curves = {
        {"resistance 1", 1.0 / 2, 0, 1.0 / 2, false, 43, 317},
        {"resistance 2", 2.0 / 3, 0, 1.0 / 3, true, 0, 0},
        {"resistance 4", 4.0 / 5, 0, 1.0 / 5, true, 0, 0},
        {"resistance 0.2", 1.0 / 6, 0, 5.0 / 6, false, 61, 299},
        {"resistance 0.5", 1.0 / 3, 0, 2.0 / 3, false, 33, 327},
        {"reactance +5", 1, 1.0 / 5, 1.0 / 5, false, 112, 270},
        {"reactance -5", 1, -1.0 / 5, 1.0 / 5, false, 90, 248},
        {"reactance +2", 1, 1.0 / 2, 1.0 / 2, false, 143, 270},
        {"reactance -2", 1, -1.0 / 2, 1.0 / 2, false, 90, 217},
        {"reactance +1", 1, 1, 1, false, 180, 248},
        {"reactance -1", 1, -1, 1, false, 112, 180},
        {"reactance +0.5", 1, 2, 2, false, 217, 258.75},
        {"reactance -0.5", 1, -2, 2, false, 101.25, 143},
        {"reactance +0.2", 1, 5, 5, false, 247.5, 262.5},
        {"reactance -0.2", 1, -5, 5, false, 97.5, 112.5},
    };
    return curves;
}

void SetSmithGridScale(Surface& canvas) { canvas.setScale(-1.25, -1, 1.25, 1); }

void SetSmithDataScale(Surface& canvas) { canvas.setScale(-1.25, 1, 1.25, -1); }

void DrawSmithGridLines(Surface& canvas, ui::Rgb colour)
{
    const int width = canvas.penWidth();
    SetSmithGridScale(canvas);
    canvas.setPenColour(colour);
    canvas.setPenWidth(1);
    canvas.setRole(DrawRole::Grid);
    canvas.line(-1, 0, 1, 0);
    canvas.setPenWidth(2);
    canvas.setRole(DrawRole::GridOutline);
    canvas.circle(0, 0, 1);
    canvas.setPenWidth(1);
    canvas.setRole(DrawRole::Grid);
    // The grid scale points down, so every centre's vertical coordinate is
    // negated; arc angles are screen angles and need no change.
    for (const SmithCurve& c : SmithGridCurves()) {
        if (c.fullCircle)
            canvas.circle(c.cx, -c.cy, c.radius);
        else
            canvas.arc(c.cx, -c.cy, c.radius, c.startDeg * cal::DegToRad, c.endDeg * cal::DegToRad);
    }
    canvas.setPenWidth(width);
}

void DrawSmithGridValues(Surface& surface, ui::Rgb colour)
{
    SetSmithGridScale(surface);
    surface.setPenColour(colour);
    surface.setRole(DrawRole::Caption);
    // Resistance r crosses the real axis at (r - 1) / (r + 1).
    surface.text(-1, 0, "0", TextAnchor::LeftOf);
    struct Value {
        const char* text;
        double v;
    };
    for (const Value& r : {Value{"0.2", 0.2}, Value{"0.5", 0.5}, Value{"1", 1}, Value{"2", 2}, Value{"4", 4}})
        surface.text((r.v - 1) / (r.v + 1), 0, r.text, TextAnchor::Above);
    surface.text(1, 0, "\xE2\x88\x9E", TextAnchor::RightOf); // infinity
    // Reactance x meets the rim at (x^2 - 1 + 2jx) / (x^2 + 1); the grid's
    // vertical axis points down, so the imaginary part is negated.
    for (const Value& x : {Value{"0.2", 0.2}, Value{"0.5", 0.5}, Value{"1", 1}, Value{"2", 2}, Value{"5", 5}}) {
        const double v = x.v;
        const double re = (v * v - 1) / (v * v + 1);
        const double im = 2 * v / (v * v + 1);
        for (int sign : {1, -1}) {
            const TextAnchor anchor = re > 0.5 ? TextAnchor::RightOf
                                      : re < -0.5 ? TextAnchor::LeftOf
                                      : sign > 0  ? TextAnchor::Above
                                                  : TextAnchor::Below;
            surface.text(re, -sign * im, std::string(sign > 0 ? "+j" : "-j") + x.text, anchor);
        }
    }
}

} // namespace orbilan::display
