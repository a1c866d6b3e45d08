// Lumped circuits with closed-form answers, swept as the analysis sees them.
#pragma once

#include <cmath>
#include <numbers>
#include <random>

#include "analysis/trace.h"

namespace orbilan::analysis::testing {

struct SeriesRlc {
    double r, l, c;
    Cx impedance(double hz) const
    {
        const double w = 2 * std::numbers::pi * hz;
        return {r, w * l - 1 / (w * c)};
    }
    double resonanceHz() const { return 1 / (2 * std::numbers::pi * std::sqrt(l * c)); }
};

inline std::vector<double> linearHz(double from, double to, int points)
{
    std::vector<double> hz;
    for (int k = 0; k < points; ++k)
        hz.push_back(from + (to - from) * k / (points - 1));
    return hz;
}

// The circuit in series between a source and a load of z0: S21 = 2 z0 / (2 z0 + Z).
inline Trace SeriesThrough(const SeriesRlc& rlc, const std::vector<double>& hz, double z0 = 50)
{
    Trace t;
    t.z0 = z0;
    t.hz = hz;
    for (double f : hz)
        t.s.push_back(2 * z0 / (2 * z0 + rlc.impedance(f)));
    return t;
}

// The circuit as a one-port against z0.
inline Trace OnePort(const SeriesRlc& rlc, const std::vector<double>& hz, double z0 = 50)
{
    Trace t;
    t.reflection = true;
    t.z0 = z0;
    t.hz = hz;
    for (double f : hz) {
        const Cx z = rlc.impedance(f);
        t.s.push_back((z - z0) / (z + z0));
    }
    return t;
}

// Seeded complex noise of the given rms per part.
inline void AddNoise(Trace& t, double rms, unsigned seed)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> n(0, rms);
    for (Cx& s : t.s)
        s += Cx(n(gen), n(gen));
}

} // namespace orbilan::analysis::testing
