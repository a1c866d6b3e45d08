#include "app/tdr_view.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "display/plot_drawing.h"
#include "display/scales.h"
#include "ui/number_text.h"

namespace orbilan::app {

namespace {

using analysis::TdrMode;
using analysis::WindowShape;

constexpr ui::Rgb TraceColour = display::Yellow;
constexpr ui::Rgb ReferenceColour = 0x707070;
constexpr ui::Rgb RangeColour = 0xFF8000;
// Above this the impedance reads as an open line: the step is within a
// thousandth of 1 and the number would only say how large the noise is.
constexpr double OpenImpedance = 1e5;

const char* const SweepAdvice =
    "Set one with TDR Sweep in this window (start = step for the stop and the steps you give), "
    "calibrate it and sweep again; or choose band-pass.";

double metresPerUnit(LengthUnit unit) { return unit == LengthUnit::Feet ? analysis::MetresPerFoot : 1.0; }

std::string windowText(const analysis::TdrWindow& w, char sep)
{
    switch (w.shape) {
    case WindowShape::None: return "no window";
    case WindowShape::Hann: return "Hann window";
    case WindowShape::Kaiser: return "Kaiser window (beta " + ui::formatGeneral(w.beta, 15, sep) + ")";
    }
    return "";
}

// "3.30 m (10.8 ft)": the chosen unit first.
std::string bothUnits(double metres, LengthUnit unit, char sep)
{
    const LengthUnit other = unit == LengthUnit::Feet ? LengthUnit::Metres : LengthUnit::Feet;
    return LengthText(metres, unit, sep) + " (" + LengthText(metres, other, sep) + ")";
}

std::string modeName(int mode)
{
    switch (mode) {
    case 0: return "transmission";
    case 2: return "group delay";
    default: return "reflection";
    }
}

std::string passText(const cal::MeasuredSweep& sweep, const analysis::TdrResult& r, char sep)
{
    std::string text = "Pass of " + sweep.date + " " + sweep.time + ": " + std::to_string(sweep.size()) + " points, ";
    if (!sweep.hz.empty())
        text += ui::formatGeneral(sweep.hz.front() / 1e6, 9, sep) + " to " +
                ui::formatGeneral(sweep.hz.back() / 1e6, 9, sep) + " MHz, ";
    text += sweep.calStatusText.empty() ? std::string("not calibrated") : sweep.calStatusText;
    if (r.mode == TdrMode::LowPass)
        text += "; reflection at DC " + ui::formatPattern(r.dc, "0.000", sep) +
                (r.dcExtrapolated ? " (carried on from the lowest two points)" : " (measured)");
    return text;
}

const std::vector<double>& valuesOf(const TdrPicture& p)
{
    switch (p.quantity) {
    case TdrQuantity::Impedance: return p.result.impedance;
    case TdrQuantity::Step: return p.result.step;
    case TdrQuantity::Impulse: break;
    }
    return p.result.impulse;
}

// The vertical scale over 8 divisions that holds lo..hi, its step a nice one.
void niceRange(double lo, double hi, double& bottom, double& top)
{
    double step = NiceStep(hi - lo, display::YDivisions);
    for (int tries = 0; tries < 8; ++tries) {
        bottom = std::floor(lo / step + 1e-9) * step;
        top = bottom + display::YDivisions * step;
        if (top >= hi - step * 1e-9)
            return;
        step = NiceStep(step * display::YDivisions * 1.001, display::YDivisions);
    }
}

void verticalScale(TdrPicture& p)
{
    const std::vector<double>& v = valuesOf(p);
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (std::size_t i = 0; i < p.rows && i < v.size(); ++i) {
        if (!std::isfinite(v[i]))
            continue;
        lo = std::min(lo, v[i]);
        hi = std::max(hi, v[i]);
    }
    // The reference (Z0, or no reflection) stays on the plot; values beyond
    // what a line can show (an open's impedance) do not widen it.
    double reference = 0, least = -1, most = 1, narrowest = 0.1;
    if (p.quantity == TdrQuantity::Impedance) {
        reference = p.result.z0;
        least = 0;
        most = 10 * p.result.z0;
        narrowest = 0.2 * p.result.z0;
    } else if (p.settings.transform.mode == TdrMode::BandPass) {
        least = 0;
    }
    lo = std::clamp(std::min(lo, reference), least, most);
    hi = std::clamp(std::max(hi, reference), least, most);
    if (hi - lo < narrowest) {
        const double middle = (hi + lo) / 2;
        lo = std::max(least, middle - narrowest / 2);
        hi = lo + narrowest;
    }
    const double pad = 0.05 * (hi - lo);
    lo = lo - pad < least ? least : lo - pad;
    hi += pad;
    niceRange(lo, hi, p.bottom, p.top);
    switch (p.quantity) {
    case TdrQuantity::Impedance: p.yUnitText = "ohm"; break;
    case TdrQuantity::Step: p.yUnitText = "rho"; break;
    case TdrQuantity::Impulse:
        p.yUnitText = p.settings.transform.mode == TdrMode::BandPass ? "|impulse|" : "impulse";
        break;
    }
}

} // namespace

std::string LengthText(double metres, LengthUnit unit, char sep)
{
    if (unit == LengthUnit::Feet)
        return ui::formatPattern(metres / analysis::MetresPerFoot, "#0.0", sep) + " ft";
    return ui::formatPattern(metres, "#0.00", sep) + " m";
}

double NiceStep(double span, int divisions)
{
    if (!(span > 0) || !std::isfinite(span) || divisions < 1)
        return 1;
    const double raw = span / divisions;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 8.0})
        if (m * decade >= raw * (1 - 1e-9))
            return m * decade;
    return 10 * decade;
}

TdrPicture TdrPictureOf(const cal::MeasuredSweep* sweep, const TdrSettings& settings, char sep)
{
    TdrPicture p;
    p.settings = settings;
    p.decimalSeparator = sep;
    const bool lowPass = settings.transform.mode == TdrMode::LowPass;
    p.quantity = lowPass ? settings.quantity : TdrQuantity::Impulse;
    if (!sweep) {
        p.message = "No complete sweep yet. Time domain is made of a calibrated reflection sweep: choose Refl, "
                    "calibrate and sweep once";
        p.message += lowPass ? std::string(", over a TDR Sweep (start = step) for low-pass.") : std::string(".");
        return p;
    }
    analysis::TdrInput input;
    std::string error;
    if (!analysis::InputOfSweep(*sweep, input, error)) {
        p.message = "Time domain needs a reflection sweep; the last complete pass measured " + modeName(sweep->mode) +
                    ". Choose Refl, calibrate and sweep.";
        return p;
    }
    const analysis::FrequencyGrid grid = analysis::ExamineGrid(input.hz);
    if (lowPass && grid.even && !grid.harmonic) {
        p.message = "Low-pass needs a harmonic sweep, every frequency a whole multiple of the step: " + grid.why +
                    ". " + SweepAdvice;
        return p;
    }
    if (!analysis::TimeDomain(input, settings.transform, p.result, error)) {
        if (!error.empty())
            error[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(error[0])));
        p.message = error + ".";
        if (lowPass && !grid.harmonic)
            p.message += std::string(" ") + SweepAdvice;
        return p;
    }
    p.shown = true;
    p.pass = passText(*sweep, p.result, sep);

    const double vf = settings.velocityFactor;
    const analysis::TdrResult& r = p.result;
    p.range = analysis::DistanceOfTime(r.aliasFreeTime, vf);
    p.resolution = analysis::DistanceOfTime(r.resolutionTime, vf);
    p.summary = std::string(lowPass ? "Low-pass" : "Band-pass") + ", " + windowText(settings.transform.window, sep) +
                ", velocity factor " + ui::formatGeneral(vf, 15, sep) + ": resolution " +
                bothUnits(p.resolution, settings.units, sep) + ", alias-free range " +
                bothUnits(p.range, settings.units, sep);

    // Where the rows end, and where the axis does: at the asked distance,
    // which may lie beyond the range the trace can have.
    double rowsEnd = r.aliasFreeTime;
    double axisEnd = r.aliasFreeTime;
    if (settings.maxDistance > 0) {
        axisEnd = analysis::TimeOfDistance(settings.maxDistance, vf);
        if (axisEnd > r.aliasFreeTime * (1 + 1e-9))
            p.warning = "The asked range of " + LengthText(settings.maxDistance, settings.units, sep) +
                        " lies beyond the alias-free range of " + LengthText(p.range, settings.units, sep) +
                        ": a reflection from further away folds back into it, and the trace ends at the range. "
                        "More steps (a smaller step) give a longer range.";
        else
            rowsEnd = axisEnd;
    }
    while (p.rows < r.size() && r.time[p.rows] <= rowsEnd * (1 + 1e-12))
        ++p.rows;

    if (settings.axis == TdrAxis::Time) {
        p.timeUnit = axisEnd < 2e-6 ? 1e-9 : 1e-6;
        p.xUnitText = axisEnd < 2e-6 ? "ns" : "\xC2\xB5s";
    } else {
        p.xUnitText = settings.units == LengthUnit::Feet ? "ft" : "m";
    }
    p.right = NiceStep(AxisValueOfTime(p, axisEnd), display::XDivisions) * display::XDivisions;
    verticalScale(p);
    return p;
}

double AxisValueOfTime(const TdrPicture& p, double seconds)
{
    if (p.settings.axis == TdrAxis::Time)
        return seconds / p.timeUnit;
    return analysis::DistanceOfTime(seconds, p.settings.velocityFactor) / metresPerUnit(p.settings.units);
}

double TimeOfAxisValue(const TdrPicture& p, double x)
{
    if (p.settings.axis == TdrAxis::Time)
        return x * p.timeUnit;
    return analysis::TimeOfDistance(x * metresPerUnit(p.settings.units), p.settings.velocityFactor);
}

std::optional<TdrReading> ReadingAt(const TdrPicture& p, double seconds)
{
    if (!p.shown || p.rows == 0 || !(p.result.timeStep > 0) || !std::isfinite(seconds))
        return std::nullopt;
    const double at = std::clamp(seconds / p.result.timeStep, 0.0, static_cast<double>(p.rows - 1));
    TdrReading reading;
    reading.sample = static_cast<std::size_t>(std::lround(at));
    const std::size_t i = reading.sample;
    reading.time = p.result.time[i];
    reading.distance = analysis::DistanceOfTime(reading.time, p.settings.velocityFactor);
    reading.impulse = p.result.impulse[i];
    reading.hasStep = i < p.result.step.size();
    if (reading.hasStep) {
        reading.rho = p.result.step[i];
        reading.impedance = p.result.impedance[i];
    }
    return reading;
}

std::string ReadingText(const TdrPicture& p, const TdrReading& r)
{
    const char sep = p.decimalSeparator;
    std::string text = LengthText(r.distance, p.settings.units, sep) + "   " +
                       ui::formatPattern(r.time * 1e9, "#0.0", sep) + " ns";
    if (r.hasStep) {
        text += "   rho " + ui::formatPattern(r.rho, "0.000", sep) + "   Z ";
        text += r.impedance > OpenImpedance ? "> " + display::EngineeringText(OpenImpedance, "ohm", sep)
                                            : display::EngineeringText(r.impedance, "ohm", sep);
    } else {
        text += "   impulse " + ui::formatPattern(r.impulse, "0.000", sep);
    }
    return text;
}

std::vector<display::ReadoutLine> MarkerReadout(const TdrPicture& p, const TdrMarkers& markers)
{
    std::vector<display::ReadoutLine> lines;
    if (!markers.shown)
        return lines;
    const auto a = ReadingAt(p, markers.a);
    const auto b = ReadingAt(p, markers.b);
    if (!a || !b)
        return lines;
    const char sep = p.decimalSeparator;
    lines.push_back({"A  " + ReadingText(p, *a), display::Green});
    lines.push_back({"B  " + ReadingText(p, *b), display::Red});
    const double distance = b->distance - a->distance;
    std::string difference = "B-A  " + LengthText(distance, p.settings.units, sep) + "   " +
                             ui::formatPattern((b->time - a->time) * 1e9, "#0.0", sep) + " ns";
    if (a->hasStep && b->hasStep)
        difference += "   rho " + ui::formatPattern(b->rho - a->rho, "0.000", sep);
    lines.push_back({difference, 0xC0C0C0});
    return lines;
}

std::optional<double> LargestReflectionTime(const TdrPicture& p)
{
    if (!p.shown || p.rows == 0)
        return std::nullopt;
    const std::vector<double>& h = p.result.impulse;
    const std::size_t n = std::min(p.rows, h.size());
    // Past the lobe of the reference plane: down to its first minimum.
    std::size_t start = 0;
    while (start + 1 < n && std::abs(h[start + 1]) < std::abs(h[start]))
        ++start;
    std::size_t best = start;
    for (std::size_t i = start; i < n; ++i)
        if (std::abs(h[i]) > std::abs(h[best]))
            best = i;
    return p.result.time[best];
}

void DrawTdrPicture(display::Surface& surface, const TdrPicture& p, const TdrMarkers& markers,
                    const TdrDrawOptions& options)
{
    display::DrawGraticule(surface, options.gridColour);
    if (options.captions && p.shown) {
        display::GridCaptions captions;
        captions.leftHz = 0;
        captions.rightHz = p.right;
        captions.xUnit = 1;
        captions.xUnitText = p.xUnitText;
        captions.colour = options.captionColour;
        captions.y1 = display::AxisCaptions{p.top, p.bottom, p.yUnitText, options.captionColour};
        captions.decimalSeparator = p.decimalSeparator;
        display::DrawGraticuleCaptions(surface, captions);
    }
    if (!p.shown)
        return;
    surface.setScale(0, p.top, p.right, p.bottom);

    // The level of a matched line.
    const double reference = p.quantity == TdrQuantity::Impedance ? p.result.z0 : 0.0;
    if (reference > p.bottom && reference < p.top) {
        surface.setRole(display::DrawRole::Grid);
        surface.setPenColour(ReferenceColour);
        surface.line(0, reference, p.right, reference);
    }
    // Where the alias-free range ends inside the axis: beyond it a
    // reflection is one from nearer, folded back.
    const double rangeX = AxisValueOfTime(p, p.result.aliasFreeTime);
    if (rangeX < p.right) {
        surface.setRole(display::DrawRole::Overlay);
        surface.setPenColour(RangeColour);
        surface.line(rangeX, p.top, rangeX, p.bottom);
        surface.setRole(display::DrawRole::Caption);
        surface.text(rangeX, p.top, "alias-free range", display::TextAnchor::AboveLeft);
    }

    const std::vector<double>& v = valuesOf(p);
    std::vector<display::UserPoint> trace;
    trace.reserve(p.rows);
    for (std::size_t i = 0; i < p.rows && i < v.size(); ++i)
        trace.push_back({AxisValueOfTime(p, p.result.time[i]), static_cast<double>(display::PlotValue(v[i]))});
    surface.setRole(display::DrawRole::Trace);
    surface.setPenColour(TraceColour);
    surface.polyline(trace);

    if (!markers.shown)
        return;
    const int width = surface.penWidth();
    surface.setPenWidth(2);
    surface.setRole(display::DrawRole::Marker);
    const struct {
        double time;
        char label;
        ui::Rgb colour;
    } placed[] = {{markers.a, 'A', display::Green}, {markers.b, 'B', display::Red}};
    for (const auto& m : placed) {
        const auto reading = ReadingAt(p, m.time);
        if (!reading)
            continue;
        // A value off the scale (an open's impedance) puts its marker on the edge.
        const double y = std::clamp(v[reading->sample], std::min(p.bottom, p.top), std::max(p.bottom, p.top));
        surface.setPenColour(m.colour);
        surface.marker(AxisValueOfTime(p, reading->time), y, m.label, TraceColour);
    }
    surface.setPenWidth(width);
}

} // namespace orbilan::app
