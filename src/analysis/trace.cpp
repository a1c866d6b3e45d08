#include "analysis/trace.h"

#include <cmath>

namespace orbilan::analysis {

namespace {

// Beyond this an impedance is an open circuit for every purpose of the
// program; keeping it finite keeps every later conversion finite.
constexpr double LargestImpedanceRatio = 1e15;

} // namespace

std::optional<Trace> TraceOfSweep(const cal::MeasuredSweep& sweep)
{
    if (sweep.mode != 0 && sweep.mode != 1)
        return std::nullopt;
    Trace t;
    t.reflection = sweep.mode == 1;
    t.z0 = sweep.z0();
    const std::size_t n = std::min(sweep.hz.size(), sweep.points.size());
    t.hz.reserve(n);
    t.s.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        t.hz.push_back(sweep.hz[k]);
        t.s.push_back(SOfPoint(sweep.mode, sweep.points[k], sweep.refImpedance));
    }
    return t;
}

Trace TraceOfFile(const touchstone::Data& data)
{
    Trace t;
    t.reflection = data.ports == 1;
    t.z0 = data.z0;
    t.hz = data.hz;
    t.s.reserve(data.s.size());
    for (const auto& s : data.s)
        t.s.push_back(s[t.reflection ? touchstone::S11 : touchstone::S21]);
    return t;
}

double DbOf(Cx s)
{
    const double m = std::abs(s);
    return m > 1e-20 ? 20 * std::log10(m) : -400;
}

Cx ImpedanceOf(Cx gamma, double z0)
{
    const Cx n = 1.0 + gamma;
    const Cx d = 1.0 - gamma;
    if (std::abs(d) * LargestImpedanceRatio <= std::abs(n))
        return std::polar(z0 * LargestImpedanceRatio, std::arg(n) - std::arg(d));
    return z0 * n / d;
}

double SwrOf(Cx gamma)
{
    const double m = std::abs(gamma);
    if (!(m < 1))
        return INFINITY;
    return (1 + m) / (1 - m);
}

cal::Complex PointOfS(int mode, Cx s, cal::Complex refImpedance)
{
    if (mode == 1) {
        const Cx z = ImpedanceOf(s, refImpedance.re);
        return {std::abs(z), std::arg(z) * cal::RadToDeg};
    }
    return {DbOf(s), std::arg(s) * cal::RadToDeg};
}

Cx SOfPoint(int mode, cal::Complex point, cal::Complex refImpedance)
{
    const cal::Complex s =
        mode == 1 ? cal::ReflectionOfPoint(point, refImpedance) : cal::TransmissionOfPoint(point);
    return {s.re, s.im};
}

} // namespace orbilan::analysis
