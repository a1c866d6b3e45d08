// The plotted pair of a point for each display type. A corrected point is
// (dB, degrees) in transmission, (|Z| ohm, degrees) in reflection and
// (dB, microseconds) in group delay; the display code picks what the two
// traces show. Values are returned unlimited: the plot engine clamps them.
#pragma once

#include "cal/complex.h"

namespace orbilan::cal {

// Display codes: mode x 10 + the position in the mode's display list, and 30
// for the raw readings shown while a calibration is measured.
enum DisplayCodes : int {
    CodeTransDb = 0,
    CodeTransMag = 1,
    CodeImpedance = 10,
    CodeRho = 11,
    CodeSeries = 12,
    CodeParallel = 13,
    CodeSwr = 14,
    CodeReturnLoss = 15,
    CodeSmith = 16,
    CodeGroupDelay = 20,
    CodeRaw = 30,
};

// What SWR shows for |rho| exactly 1, where the quotient has no value: the
// largest value the plot draws.
inline constexpr double SwrLimit = 1e6;

// (Y1, Y2) of point p for displayCode; z0 is the reference impedance
// (Z0, Tiny). Codes without a conversion pass p through.
Complex ConvertPoint(Complex p, int displayCode, Complex z0);

} // namespace orbilan::cal
