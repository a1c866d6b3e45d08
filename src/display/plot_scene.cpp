#include "display/plot_scene.h"

#include <charconv>
#include <cmath>
#include <complex>
#include <limits>

#include "display/smith_chart.h"
#include "ui/number_text.h"

namespace orbilan::display {

namespace {

constexpr double TwoPi = 6.283185307179586476925;

std::string fixed(double v, int decimals, char sep)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v + 0.0, std::chars_format::fixed, decimals);
    std::string text(buffer, end.ec == std::errc() ? end.ptr : buffer);
    for (char& ch : text)
        if (ch == '.')
            ch = sep;
    return text;
}

std::string valueText(double v, char sep) { return ui::formatGeneral(ui::roundDecimals(v, 3), 15, sep); }

std::string quantity(const std::string& name, const std::string& units, double v, char sep)
{
    std::string text = name.empty() ? valueText(v, sep) : name + " " + valueText(v, sep);
    if (!units.empty() && units != name)
        text += " " + units;
    return text;
}

} // namespace

void DrawPlotScene(Surface& surface, const PlotScene& scene, const SceneOptions& options)
{
    if (scene.smith) {
        DrawSmithGridLines(surface, scene.gridColour);
        if (options.captions)
            DrawSmithGridValues(surface, options.captionColour);
    } else {
        DrawGraticule(surface, scene.gridColour);
        if (options.captions) {
            GridCaptions captions = scene.captions;
            captions.colour = options.captionColour;
            if (!scene.frequencyCaptions) {
                // Without a sweep there are no frequencies to name.
                captions.leftHz = captions.rightHz = std::numeric_limits<double>::quiet_NaN();
            }
            DrawGraticuleCaptions(surface, captions);
        }
    }
    for (const SceneTrace& t : scene.traces) {
        if (t.last < t.first)
            continue;
        surface.setRole(t.role);
        ApplyScale(surface, t.scale);
        surface.setPenColour(t.colour);
        DrawTrace(surface, t.line(), t.first, t.last);
    }
    if (scene.markersShown) {
        std::vector<MarkerTrace> markers;
        for (const SceneTrace& t : scene.markerTraces)
            markers.push_back({t.line(), t.scale, t.colour});
        DrawMarkers(surface, markers, scene.markerA, scene.markerB);
    }
}

int NearestPoint(const PlotScene& scene, double x, double y)
{
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    const std::size_t n = scene.pointShown.size();
    for (std::size_t k = 1; k < n; ++k) {
        if (!scene.pointShown[k])
            continue;
        double d = 0;
        if (scene.smith) {
            d = std::hypot(scene.pointY1[k] - x, PlotValue(scene.pointY2[k]) - y);
        } else {
            d = std::fabs(static_cast<double>(scene.pointHz[k]) - x);
        }
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(k);
        }
    }
    return best;
}

std::string PointText(const PlotScene& scene, int k)
{
    const auto i = static_cast<std::size_t>(k);
    if (k < 1 || i >= scene.pointShown.size() || !scene.pointShown[i])
        return {};
    const char sep = scene.decimalSeparator;
    std::string text = fixed(scene.pointHz[i] / 1e6, 6, sep) + " MHz";
    const double v1 = scene.pointY1[i], v2 = scene.pointY2[i];
    if (scene.smith) {
        const double magnitude = std::hypot(v1, v2);
        const double angle = std::atan2(v2, v1) * 360.0 / TwoPi;
        text += "   |\xCE\x93| " + ui::formatGeneral(ui::roundDecimals(magnitude, 4), 15, sep) + "  "
                + ui::formatGeneral(ui::roundDecimals(angle, 1), 15, sep) + " deg";
        text += "   Z " + SeriesEquivalentText(SeriesEquivalentOf(v1, v2, scene.z0, scene.pointHz[i]), sep);
        return text;
    }
    if (!scene.captions.y1 && !scene.captions.y2)
        return text;
    if (scene.captions.y1)
        text += "   " + quantity(scene.y1Name, scene.y1Units, v1, sep);
    if (scene.captions.y2 && !scene.y2Name.empty())
        text += "   " + quantity(scene.y2Name, scene.y2Units, v2, sep);
    return text;
}

SeriesEquivalent SeriesEquivalentOf(double gammaRe, double gammaIm, double z0, double hz)
{
    SeriesEquivalent z;
    const std::complex<double> gamma(gammaRe, gammaIm);
    const std::complex<double> below = 1.0 - gamma;
    if (std::abs(below) < 1e-12 || !std::isfinite(gammaRe) || !std::isfinite(gammaIm)) {
        z.finite = false;
        return z;
    }
    const std::complex<double> impedance = z0 * (1.0 + gamma) / below;
    z.r = impedance.real();
    z.x = impedance.imag();
    const double omega = TwoPi * hz;
    if (omega > 0 && z.x > 0)
        z.henry = z.x / omega;
    else if (omega > 0 && z.x < 0)
        z.farad = -1.0 / (omega * z.x);
    return z;
}

std::string EngineeringText(double v, const std::string& unit, char decimalSeparator)
{
    static const char* const prefixes[] = {"f", "p", "n", "\xC2\xB5", "m", "", "k", "M", "G", "T"};
    if (v == 0 || !std::isfinite(v))
        return (std::isfinite(v) ? "0 " : "- ") + unit;
    int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v)) / 3.0)) * 3;
    exponent = std::max(-15, std::min(12, exponent));
    double scaled = v / std::pow(10.0, exponent);
    int decimals = std::fabs(scaled) >= 100 ? 0 : (std::fabs(scaled) >= 10 ? 1 : 2);
    // 999.7 rounds to 1000: that is the next prefix's 1.00.
    if (std::fabs(std::round(scaled * std::pow(10.0, decimals)) / std::pow(10.0, decimals)) >= 1000 && exponent < 12) {
        exponent += 3;
        scaled /= 1000;
        decimals = 2;
    }
    return fixed(scaled, decimals, decimalSeparator) + " " + prefixes[(exponent + 15) / 3] + unit;
}

std::string SeriesEquivalentText(const SeriesEquivalent& z, char sep)
{
    if (!z.finite)
        return "open circuit";
    auto part = [sep](double v) { return fixed(v, std::fabs(v) < 1000 ? 1 : 0, sep); };
    std::string text = part(z.r) + (z.x < 0 ? " - j" : " + j") + part(std::fabs(z.x)) + " ohm";
    if (z.henry > 0)
        text += "   L " + EngineeringText(z.henry, "H", sep);
    else if (z.farad > 0)
        text += "   C " + EngineeringText(z.farad, "F", sep);
    return text;
}

} // namespace orbilan::display
