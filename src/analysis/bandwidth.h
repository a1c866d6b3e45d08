// The -N dB bandwidth around the maximum of a transmission trace: a band-pass
// filter's pass band, a resonator's loaded Q.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace orbilan::analysis {

struct Bandwidth {
    std::size_t peak = 0;         // index of the maximum (the first of equal maxima)
    double peakHz = 0;
    double peakDb = 0;
    double drop = 3;              // N
    // Where the trace has fallen N dB below the peak, the first time on
    // either side, interpolated between the two points around the crossing.
    // Missing when the trace does not fall that far inside the sweep.
    std::optional<double> lowHz, highHz;

    bool complete() const { return lowHz && highHz; }
    double bandwidthHz() const { return *highHz - *lowHz; }
    // The geometric mean of the edges: the resonance of a symmetric
    // resonator, whose edges lie symmetric in log frequency.
    double centreHz() const;
    // Loaded Q, centre over bandwidth.
    double q() const { return centreHz() / bandwidthHz(); }
};

// The bandwidth of db (dB at the frequencies hz, rising). Nothing for an
// empty trace or one whose values are not all finite; drop must be above 0.
std::optional<Bandwidth> FindBandwidth(const std::vector<double>& hz, const std::vector<double>& db, double drop);

// Where a trace crosses `level` between points a and b (values va, vb on
// either side of it), by linear interpolation.
double Crossing(double hzA, double va, double hzB, double vb, double level);

} // namespace orbilan::analysis
