// One S parameter against frequency, the form every analysis takes: S21 of a
// transmission sweep or of a two-port file, S11 of a reflection sweep or of a
// one-port file. Also the conversions between the program's corrected points
// ((dB, degrees) in transmission, (|Z| ohm, degrees) in reflection) and S
// parameters, in both directions.
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "cal/complex.h"
#include "cal/measured_sweep.h"
#include "touchstone/touchstone.h"

namespace orbilan::analysis {

using Cx = std::complex<double>;

struct Trace {
    bool reflection = false; // S11 (true) or S21
    double z0 = 50;          // what the S parameter is referred to
    std::vector<double> hz;  // rising
    std::vector<Cx> s;       // same length as hz
    std::size_t size() const { return s.size(); }
};

// The sweep's S parameter; nullopt for a group-delay sweep, which holds no
// phase.
std::optional<Trace> TraceOfSweep(const cal::MeasuredSweep& sweep);
// S11 of a one-port file, S21 of a two-port file.
Trace TraceOfFile(const touchstone::Data& data);

// |S| in dB, floored at -400 dB so that a zero reads as a very small number
// rather than minus infinity.
double DbOf(Cx s);
// The impedance a reflection coefficient gives against z0; a coefficient of
// exactly 1 (an ideal open) gives a very large but finite resistance.
Cx ImpedanceOf(Cx gamma, double z0);
// SWR of a reflection coefficient; infinite for |rho| >= 1, where no passive
// load has a finite SWR.
double SwrOf(Cx gamma);

// Corrected points from S parameters and back, for the mode (0
// transmission, 1 reflection). refImpedance is the program's (Z0, Tiny).
cal::Complex PointOfS(int mode, Cx s, cal::Complex refImpedance);
Cx SOfPoint(int mode, cal::Complex point, cal::Complex refImpedance);

} // namespace orbilan::analysis
