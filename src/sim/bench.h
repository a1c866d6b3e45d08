// The RF bench: the instrument's own imperfections between the synthesisers
// and the detector, through which the connected device is seen. Internal to
// libkespsim.
//
// The terms are what a calibration removes. Reflection follows the
// three-term one-port model, M = e00 + e01e10 G / (1 - e11 G), so an open,
// a short and a load of known impedance determine it exactly; transmission is
// M = leak + track S21, which thru and isolation readings determine exactly.
// The terms vary smoothly with frequency, and both tracking terms carry a few
// nanoseconds of cable delay, so a calibration made at other frequencies
// shows its interpolation error as a real instrument's would.
#pragma once

#include "sim/network.h"

namespace orbilan::sim {

struct ErrorTerms {
    Cx directivity;     // e00, volts
    Cx sourceMatch;     // e11
    Cx reflectionTrack; // e01e10, volts, cable delay included
    Cx transTrack;      // volts per unit S21, cable delay included
    Cx leakage;         // volts seen with nothing in the transmission path
};

ErrorTerms errorTermsAt(double hz);

// The detector's DC offset, added to every voltage; opposite LO phases
// cancel it.
inline constexpr double DetectorOffsetVolts = 0.0125;
// Detector noise per conversion (RMS, volts) when noise is on.
inline constexpr double DetectorNoiseVolts = 20e-6;

// The complex reading M (volts, offset excluded) of a device at hz: the
// detector voltage at an LO phase of phi is offset + Re(M e^(-j phi)).
Cx rawReading(const Device& device, double hz);

} // namespace orbilan::sim
