// What a reflection trace tells about a one-port: its best match, its
// resonance and the band over which it is matched well enough.
#pragma once

#include <cstddef>
#include <optional>

#include "analysis/trace.h"

namespace orbilan::analysis {

struct MinimumSwr {
    std::size_t index = 0;  // the point of least |rho| (the first of equal ones)
    double hz = 0;
    double swr = 0;         // infinite when |rho| >= 1 there
};
// Nothing for an empty trace.
std::optional<MinimumSwr> FindMinimumSwr(const Trace& reflection);

struct Resonance {
    double hz = 0;          // where the reactance is zero, interpolated
    double resistance = 0;  // the resistance there, ohm
};
// Where the reactance crosses zero nearest the point of least |rho|. The
// reactance has the sign of the imaginary part of rho, which stays smooth
// where the reactance itself runs off to infinity (near an open), so the
// crossing is found and interpolated on rho. Nothing when the reactance does
// not change sign inside the sweep.
std::optional<Resonance> FindResonance(const Trace& reflection);

struct SwrBand {
    double swr = 2;                       // S
    MinimumSwr minimum;
    // The edges of the band around the minimum where SWR <= S, interpolated
    // on |rho|; missing where the band reaches the end of the sweep.
    std::optional<double> lowHz, highHz;
    bool complete() const { return lowHz && highHz; }
    double bandwidthHz() const { return *highHz - *lowHz; }
};
// Nothing for an empty trace, for S not above 1, or when the SWR nowhere
// comes down to S.
std::optional<SwrBand> FindSwrBand(const Trace& reflection, double swr);

} // namespace orbilan::analysis
