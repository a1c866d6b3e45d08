#include "analysis/trace_math.h"

#include <algorithm>
#include <cmath>

#include "analysis/trace.h"

namespace orbilan::analysis {

bool Memory::covers(double fromHz, double toHz) const
{
    return !hz.empty() && fromHz >= hz.front() && toHz <= hz.back();
}

Memory MemoryOfSweep(const cal::MeasuredSweep& sweep)
{
    Memory m;
    m.mode = sweep.mode;
    m.refImpedance = sweep.refImpedance;
    const std::size_t n = std::min(sweep.hz.size(), sweep.points.size());
    m.hz.assign(sweep.hz.begin(), sweep.hz.begin() + static_cast<std::ptrdiff_t>(n));
    m.points.assign(sweep.points.begin(), sweep.points.begin() + static_cast<std::ptrdiff_t>(n));
    return m;
}

bool MemoryOfFile(const touchstone::Data& file, int mode, cal::Complex refImpedance, Memory& out, std::string& error)
{
    if (mode == 2) {
        error = "a Touchstone file holds no group delay";
        return false;
    }
    if (mode == 0 && file.ports != 2) {
        error = "a one-port file holds a reflection; transmission needs a two-port (.s2p) file";
        return false;
    }
    touchstone::Data data = file;
    // A reflection is turned into the impedance it describes, which needs no
    // common reference; S21 must be referred to the program's Z0 first.
    if (mode == 0 && !touchstone::Renormalise(data, refImpedance.re, error))
        return false;
    Memory m;
    m.mode = mode;
    m.refImpedance = refImpedance;
    m.hz = data.hz;
    m.points.reserve(data.s.size());
    for (const auto& s : data.s) {
        if (mode == 1) {
            const Cx z = ImpedanceOf(s[touchstone::S11], data.z0);
            m.points.push_back({std::abs(z), std::arg(z) * cal::RadToDeg});
        } else {
            m.points.push_back(PointOfS(0, s[touchstone::S21], refImpedance));
        }
    }
    out = std::move(m);
    return true;
}

std::optional<cal::Complex> MemoryAt(const Memory& m, double hz)
{
    const auto& f = m.hz;
    if (f.empty() || m.points.size() != f.size() || !(hz >= f.front() && hz <= f.back()))
        return std::nullopt;
    const auto hi = static_cast<std::size_t>(std::lower_bound(f.begin(), f.end(), hz) - f.begin());
    if (f[hi] == hz)
        return m.points[hi];
    const std::size_t lo = hi - 1;
    const double t = (hz - f[lo]) / (f[hi] - f[lo]);
    if (m.mode == 2) {
        const cal::Complex a = m.points[lo], b = m.points[hi];
        return cal::Complex{a.re + (b.re - a.re) * t, a.im + (b.im - a.im) * t};
    }
    // On the complex value: interpolating dB and degrees apart would take
    // the long way round where the phase wraps.
    const Cx a = SOfPoint(m.mode, m.points[lo], m.refImpedance);
    const Cx b = SOfPoint(m.mode, m.points[hi], m.refImpedance);
    return PointOfS(m.mode, a + (b - a) * t, m.refImpedance);
}

bool MathDefined(int mode, MathOp op) { return mode == 0 || mode == 1 || op == MathOp::Difference; }

std::optional<cal::Complex> Combine(int mode, cal::Complex data, cal::Complex memory, MathOp op,
                                    cal::Complex refImpedance)
{
    if (!MathDefined(mode, op))
        return std::nullopt;
    if (op == MathOp::Difference && mode == 2)
        return cal::Complex{data.re - memory.re, data.im - memory.im};
    if (op == MathOp::Difference && mode == 0) {
        // A difference of two phases is an angle: -175 against +175 degrees
        // is 10 degrees apart, not 350.
        double deg = std::remainder(data.im - memory.im, 360.0);
        if (deg == -180)
            deg = 180;
        return cal::Complex{data.re - memory.re, deg};
    }
    const Cx d = SOfPoint(mode, data, refImpedance);
    const Cx m = SOfPoint(mode, memory, refImpedance);
    if (op == MathOp::Difference)
        return PointOfS(mode, d - m, refImpedance);
    if (m == Cx(0, 0))
        return std::nullopt;
    const Cx r = d / m;
    if (!std::isfinite(r.real()) || !std::isfinite(r.imag()))
        return std::nullopt;
    return PointOfS(mode, r, refImpedance);
}

cal::MeasuredSweep CombineSweep(const cal::MeasuredSweep& data, const Memory& memory, MathOp op)
{
    cal::MeasuredSweep out = data;
    out.hz.clear();
    out.points.clear();
    if (memory.mode != data.mode)
        return out;
    const std::size_t n = std::min(data.hz.size(), data.points.size());
    for (std::size_t k = 0; k < n; ++k) {
        const auto m = MemoryAt(memory, data.hz[k]);
        if (!m)
            continue;
        const auto r = Combine(data.mode, data.points[k], *m, op, data.refImpedance);
        if (!r)
            continue;
        out.hz.push_back(data.hz[k]);
        out.points.push_back(*r);
    }
    return out;
}

} // namespace orbilan::analysis
