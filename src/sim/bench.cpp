#include "sim/bench.h"

#include <cmath>
#include <numbers>

namespace orbilan::sim {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;
// The frequency the terms are shaped over: the top of the sweep range.
constexpr double SpanHz = 60e6;
constexpr double ReflectionDelaySeconds = 3.2e-9; // bridge cable, there and back
constexpr double TransmissionDelaySeconds = 4.5e-9;

} // namespace

ErrorTerms errorTermsAt(double hz)
{
    const double x = hz / SpanHz;
    ErrorTerms t;
    // Magnitudes are chosen so that |M| stays below 0.62 V for every passive
    // device (|G| <= 1, |S21| <= 1): with the offset that is far inside the
    // ADC's +-2.5 V.
    t.directivity = std::polar(0.035 + 0.02 * x, 0.6 + 1.8 * x);
    t.sourceMatch = std::polar(0.04 + 0.06 * x, -0.4 - 2.2 * x);
    t.reflectionTrack = std::polar(0.5 * (1 - 0.12 * x), 0.25 - 0.3 * x) *
                        std::polar(1.0, -TwoPi * hz * ReflectionDelaySeconds);
    t.transTrack = std::polar(0.8 * (1 - 0.18 * x), -0.15 + 0.2 * x) *
                   std::polar(1.0, -TwoPi * hz * TransmissionDelaySeconds);
    // Small enough that a calibration made with CDS (which records zero
    // isolation) still reads a thru within a few parts in 1e5.
    t.leakage = std::polar(2.5e-5 * (0.2 + x), 1.1 + 2.6 * x);
    return t;
}

Cx rawReading(const Device& device, double hz)
{
    const ErrorTerms t = errorTermsAt(hz);
    const Cx r = device.response(hz);
    if (device.path == Path::Transmission)
        return t.leakage + t.transTrack * r;
    return t.directivity + t.reflectionTrack * r / (1.0 - t.sourceMatch * r);
}

} // namespace orbilan::sim
